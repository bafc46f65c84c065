// What the commands share on the command line: the output folder, the analysis options and
// the analysis that predict and confirm start from.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <string>

#include "ArrayCatalogue.h"
#include "CliError.h"
#include "Commands.h"
#include "HugePages.h"
#include "OutputFolder.h"
#include "qvrfc/results/AnalysisFiles.h"

namespace qvrfcdoe {
CLI::App* AddCommand(CLI::App& app, CommandRun& run, const char* name, const char* description,
                     CommandRun body) {
    CLI::App* command = app.add_subcommand(name, description);
    command->callback([&run, body] { run = body; });
    return command;
}

void DeclareOutFolder(CLI::App* command, std::string& folder) {
    command
        ->add_option("--out", folder,
                     "Folder for the files the command writes (created if missing); commands "
                     "on one folder run one at a time")
        ->capture_default_str()
        ->type_name("DIR")
        ->check(CLI::Validator(
            [](std::string& name) {
                return name.empty() ? std::string("the folder name is empty") : std::string();
            },
            ""));
}

void DeclareAnalysisOptions(CLI::App* command, AnalysisOptions& options) {
    command
        ->add_option("--sn", options.sn,
                     "S/N ratio type and target of a response, named or numbered from 1, e.g. "
                     "1=larger, Strength=larger or 2=nominal1:10.5; types: " +
                         qvrfc::SnKindList())
        ->type_name("RESPONSE=TYPE[:TARGET]")
        ->allow_extra_args(false);
    command
        ->add_option("--pool", options.pool,
                     "Factors pooled into the error of a response's ANOVA, by name, letter or "
                     "number from 1 (1=B,C or 1=AA,3 or Strength=A*B); or a rule for a response "
                     "(1=auto) or for all (auto): 'auto' pools the weakest terms until the error "
                     "holds half the terms' degrees of freedom, 'lenth' uses Lenth's estimate "
                     "for a saturated design")
        ->type_name("RESPONSE=FACTORS|RESPONSE=auto|lenth")
        ->allow_extra_args(false);
    command->add_option("--alpha", options.alpha, "Risk of the p-value tests and the intervals")
        ->capture_default_str();
    command
        ->add_option("--interaction", options.interactions,
                     "A declared interaction of two factors, e.g. A*B or by name (repeatable): a "
                     "term of the ANOVA on its own columns")
        ->type_name("FACTOR*FACTOR")
        ->allow_extra_args(false);
    command
        ->add_option("--combine", options.combine,
                     "How several responses make one decision: desirability (of the predicted "
                     "means) or grey (grey relational grades of the runs' S/N ratios)")
        ->capture_default_str()
        ->type_name("METHOD");
    command
        ->add_option("--zeta", options.zeta,
                     "Distinguishing coefficient of the grey relational grades, in (0, 1]")
        ->capture_default_str();
    command
        ->add_option("--grey-from", options.greyFrom,
                     "What the grey relational grades are of: sn (the runs' S/N ratios) or mean "
                     "(the run means, normalised larger-, smaller- or nominal-the-better)")
        ->capture_default_str()
        ->type_name("sn|mean");
    command
        ->add_option("--desirability", options.desirability,
                     "A response's desirability over its experiment file's, by name or number "
                     "from 1, e.g. \"Strength=low:30,high:50,importance:2\" (keys low, high, "
                     "weight, importance; target with exponents s below and t above it for a "
                     "two-sided desirability, \"Y=low:36,target:42,high:46,s:2,t:0.5\"); repeat "
                     "it, or separate responses with ';'")
        ->type_name("RESPONSE=KEY:VALUE,...")
        ->allow_extra_args(false);
    command
        ->add_option("--array", options.array,
                     "The orthogonal array of a quality data file when several have its run "
                     "count, e.g. L16' (names as 'qvrfcdoe arrays' lists them)")
        ->type_name("NAME");
}

std::vector<qvrfc::ChartFormat> ParseChartOption(const std::string& text) {
    return qvrfc::ParseChartFormats(text);
}

void DeclareVerdictOptions(CLI::App* command, VerdictRequest& request) {
    command
        ->add_option("FILE", request.dataFile,
                     "Quality data file, or a filled run sheet (runsheet.csv)")
        ->required();
    command
        ->add_option("--experiment", request.experimentFile,
                     "Experiment file of a run sheet (default: experiment.toml beside it)")
        ->type_name("FILE");
    command
        ->add_option("--at", request.at,
                     "Levels of the factors to predict from, e.g. A=3,D=2, or in a run "
                     "sheet's names and values, e.g. \"Melt temperature=235,Resin=regrind\"")
        ->type_name("FACTOR=LEVEL,...")
        ->required();
    command
        ->add_option("--out", request.outFolder,
                     "Folder for the engine's set-up logs (default: none are kept)")
        ->type_name("DIR");
    DeclareAnalysisOptions(command, request.options);
}

int WithAnalysisBetween(
    const VerdictRequest& request,
    const std::function<std::string(const qvrfc::Analysis&, const qvrfc::SettingsAt&)>& use) {
    const qvrfc::AnalysisSettings settings = qvrfc::SettingsOfOptions(request.options);
    if (!request.experimentFile.empty() && !qvrfc::IsRunSheetFile(request.dataFile))
        throw UsageError(Text("--experiment: '%s' is not a run sheet", request.dataFile.c_str()));
    qvrfc::AnalysisInput input;
    input.dataFile = request.dataFile;
    input.experimentFile = request.experimentFile;
    input.reports = false;
    LoadOnHugePages(request.dataFile);
    const qvrfc::Analysis analysis = qvrfc::Analyze(input, settings);
    const std::string text = use(analysis, qvrfc::ParseSettingsAt(analysis, request.at));
    if (!request.outFolder.empty()) {
        // The engine's set-up logs, once the whole run has succeeded.
        qvrfc::AnalysisParts logs;
        logs.reports = logs.charts = false;
        qvrfc::WriteOutputFolder(
            OutRequest(request.outFolder, {request.dataFile, request.experimentFile}),
            qvrfc::AnalysisOutput(analysis, logs));
    }
    std::printf("%s", text.c_str());
    return 0;
}

int WithAnalysis(const VerdictRequest& request,
                 const std::function<std::string(const qvrfc::Analysis&,
                                                 const std::vector<qvrfc::FactorLevel>&)>& use) {
    return WithAnalysisBetween(
        request, [&](const qvrfc::Analysis& analysis, const qvrfc::SettingsAt& at) {
            // Tested levels only: ParseLevels says which setting is none.
            return use(analysis,
                       at.between.empty() ? at.levels : qvrfc::ParseLevels(analysis, request.at));
        });
}

}  // namespace qvrfcdoe
