// qvrfcdoe analyze: analyse a quality data file or a filled run sheet, print the summary and
// the verdict, and write the reports, results.json, the charts and the page.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ArrayCatalogue.h"
#include "CliError.h"
#include "Commands.h"
#include "HugePages.h"
#include "OutputFolder.h"
#include "qvrfc/results/AnalysisFiles.h"
#include "qvrfc/results/Summary.h"
#include "qvrfc/results/VerdictReport.h"

namespace qvrfcdoe {

// Every file of the analysis replaced together, all of them or none, with the page and the
// chart files of an earlier run that this one does not write; with --no-reports none.
int Analyze(const AnalyzeRequest& request) {
    qvrfc::AnalysisInput input;
    input.dataFile = request.dataFile;
    input.experimentFile = request.experimentFile;
    input.reports = request.reports;
    input.runObservations = request.runTable;
    LoadOnHugePages(request.dataFile);
    const qvrfc::Analysis analysis = qvrfc::Analyze(input, request.settings);
    std::optional<qvrfc::WrittenFiles> written;
    if (request.reports) {
        qvrfc::AnalysisParts parts;
        parts.formats = request.chartFormats;
        parts.html = request.html;
        written = qvrfc::WriteOutputFolder(
            OutRequest(request.outFolder, {request.dataFile, request.experimentFile}),
            qvrfc::AnalysisOutput(analysis, parts));
    }
    std::printf("%s\nVerdict\n\n%s", qvrfc::SummaryText(analysis, request.runTable).c_str(),
                qvrfc::VerdictText(analysis).c_str());
    if (written) PrintFilesWritten(*written);
    return 0;
}

void DeclareAnalyzeCommand(CLI::App& app, CommandRun& run) {
    struct Options {
        AnalyzeRequest request;
        AnalysisOptions analysis;
        bool noReports = false;
        bool noHtml = false;
        std::string charts = "svg,png";
    };
    auto options = std::make_shared<Options>();
    CLI::App* analyze = AddCommand(
        app, run, "analyze", "Analyse a quality data file and write its reports", [options] {
            options->request.settings = qvrfc::SettingsOfOptions(options->analysis);
            options->request.reports = !options->noReports;
            options->request.html = !options->noHtml;
            options->request.chartFormats = ParseChartOption(options->charts);
            return Analyze(options->request);
        });
    analyze
        ->add_option("FILE", options->request.dataFile,
                     "Quality data file, or a filled run sheet (runsheet.csv, or a workbook: "
                     ".xlsx or .ods)")
        ->required();
    DeclareAnalysisOptions(analyze, options->analysis);
    analyze->add_flag("--runs", options->request.runTable,
                      "Print the run table with every observation before the summary");
    analyze->add_flag("--no-reports", options->noReports,
                      "Print the summary and the verdict only; write no reports, charts or page");
    analyze
        ->add_option("--charts", options->charts,
                     "Chart formats: svg, png, pdf, comma-separated, or none")
        ->type_name("FORMATS");
    analyze->add_flag("--no-html", options->noHtml, "Write the charts without report.html");
    analyze
        ->add_option("--experiment", options->request.experimentFile,
                     "Experiment file of a run sheet (default: experiment.toml beside it)")
        ->type_name("FILE");
    DeclareOutFolder(analyze, options->request.outFolder);
    analyze->footer(
        "FILE holds whole numbers and values separated by blanks or line ends: the run count, "
        "the response count and one unused number, then for each response and each of its runs "
        "the number of observations followed by the observations; or it is a run sheet that "
        "qvrfcdoe design wrote, filled in. Options may be repeated; factors are named by their "
        "names, by letter A, B, ..., Z, AA, ... in order, or numbered from 1. The engine's "
        "reports (FILE-stem.log and .csv), the verdict (full ANOVA with p-values, optimum and "
        "intervals) as FILE-stem-verdict.txt, results.json, the charts into charts/ and the "
        "page report.html are written into the output folder, all of them or none; the page "
        "and the chart files of an earlier run that this one does not write (--no-html, other "
        "formats, responses or interactions) are removed with them.");
}

}  // namespace qvrfcdoe
