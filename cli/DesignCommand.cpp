// qvrfcdoe design: an experiment from named factors, its array and run order, written as the
// experiment file and the run sheet for the lab, and the sheet printed on the screen.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ArrayCatalogue.h"
#include "CliError.h"
#include "Commands.h"
#include "OutputFolder.h"
#include "qvrfc/analysis/ScratchFolder.h"
#include "qvrfc/experiment/ArrayChoice.h"
#include "qvrfc/experiment/Design.h"
#include "qvrfc/experiment/ExperimentFile.h"
#include "qvrfc/experiment/RunSheet.h"
#include "qvrfc/results/AnalysisFiles.h"

namespace qvrfcdoe {
namespace {

using qvrfc::Experiment;
using OA_TYPE = CQVRFCDOETaguchiOrthogonalArray::OA_TYPE;

struct DesignOptions {
    qvrfc::DesignOptions design;
    std::string experimentFile;
    std::string outFolder = "qvrfcdoe-out";
    bool force = false;
};

void PrintSheet(const Experiment& experiment) {
    std::vector<std::vector<std::string>> rows = qvrfc::RunSheetRows(experiment);
    rows.insert(rows.begin(), qvrfc::RunSheetHeader(experiment));
    std::vector<size_t> widths(rows[0].size(), 0);
    for (const auto& row : rows) {
        for (size_t c = 0; c < row.size(); ++c)
            widths[c] = std::max(widths[c], row[c].size());
    }
    for (const auto& row : rows) {
        std::string line;
        for (size_t c = 0; c < row.size(); ++c)
            line += (c == 0 ? "" : "  ") + row[c] + std::string(widths[c] - row[c].size(), ' ');
        std::printf("%s\n", qvrfc::TrimBlanks(line).c_str());
    }
}

std::string ColumnList(const std::vector<int>& columns) {
    std::string text = columns.size() == 1 ? "column " : "columns ";
    for (size_t i = 0; i < columns.size(); ++i)
        text += (i == 0 ? "" : ", ") + std::to_string(columns[i] + 1);
    return text;
}

// Each declared interaction's columns, then the undeclared two-factor interactions that
// share a column with a factor or a declared interaction, one line per column and holder.
void PrintInteractions(const Experiment& experiment) {
    std::vector<int> columns;
    for (const qvrfc::Factor& factor : experiment.factors)
        columns.push_back(factor.column);
    for (const qvrfc::FactorPair& pair : experiment.interactions) {
        const std::string name = qvrfc::InteractionName(experiment, pair);
        const std::vector<int> held =
            qvrfc::InteractionColumns(experiment.array, columns[pair.first], columns[pair.second]);
        if (held.empty())
            std::printf("  %s: from the level pairs of columns %d and %d\n", name.c_str(),
                        columns[pair.first] + 1, columns[pair.second] + 1);
        else
            std::printf("  %s: %s\n", ColumnList(held).c_str(), name.c_str());
    }
    std::map<std::pair<int, std::string>, std::vector<std::string>> shared;
    for (const qvrfc::Confounding& c :
         qvrfc::RemainingConfounding(experiment.array, columns, experiment.interactions)) {
        const std::string holder =
            c.factor >= 0 ? experiment.factors[c.factor].name
                          : qvrfc::InteractionName(experiment, experiment.interactions[c.declared]);
        shared[{c.column, holder}].push_back(qvrfc::InteractionName(experiment, c.pair));
    }
    for (const auto& [place, pairs] : shared) {
        std::string names;
        for (const std::string& pair : pairs)
            names += (names.empty() ? "" : ", ") + pair;
        std::printf("  %s %s column %d with %s\n", names.c_str(),
                    pairs.size() == 1 ? "shares" : "share", place.first + 1, place.second.c_str());
    }
}

void PrintDesign(const Experiment& experiment) {
    std::printf("%s, %d runs, for %s", qvrfc::CatalogueName(experiment.array),
                experiment.RunCount(),
                qvrfc::LevelCountText(qvrfc::LevelCounts(experiment)).c_str());
    if (experiment.randomized) std::printf("; run order randomized with seed %u", experiment.seed);
    std::printf("\n");
    for (const qvrfc::Factor& factor : experiment.factors)
        std::printf("  column %d: %s\n", factor.column + 1, factor.name.c_str());
    PrintInteractions(experiment);
    if (!experiment.noise.empty())
        std::printf("  noise: %s\n", qvrfc::OuterArrayText(experiment).c_str());
    for (const std::string& confounded : qvrfc::OuterArrayConfounding(experiment))
        std::printf(
            "  confounded in the outer array: %s (the noise model cannot tell them "
            "apart)\n",
            confounded.c_str());
    if (experiment.signal)
        std::printf("  signal: %s at %zu levels\n", experiment.signal->name.c_str(),
                    experiment.signal->levels.size());
    std::printf("\n");
    PrintSheet(experiment);
}

int Design(const DesignOptions& options) {
    Experiment experiment = options.experimentFile.empty()
                                ? qvrfc::ExperimentOfOptions(options.design)
                                : qvrfc::ReadExperimentFile(options.experimentFile);
    if (!options.design.sheet.empty())
        qvrfc::SheetFormatOfName(options.design.sheet, experiment.sheet);  // checked: csv|xlsx
    {
        // The engine's own placement check, its set-up logs written into a scratch folder.
        const qvrfc::ScratchFolder scratch;
        qvrfc::CheckPlacementWithEngine(experiment, scratch.Path());
    }
    const qvrfc::WrittenFiles written =
        qvrfc::WriteOutputFolder(OutRequest(options.outFolder, {options.experimentFile}),
                                 qvrfc::DesignOutput(experiment, options.outFolder, options.force));
    PrintDesign(experiment);
    PrintFilesWritten(written);
    return 0;
}

}  // namespace

void DeclareDesignCommand(CLI::App& app, CommandRun& run) {
    auto options = std::make_shared<DesignOptions>();
    CLI::App* design = AddCommand(
        app, run, "design",
        "Design an experiment from named factors: array, placement, run order and run sheet",
        [options] { return Design(*options); });
    auto* factor = design->add_option("--factor", options->design.factors,
                                      "A control factor and its levels, e.g. "
                                      "\"Temperature[C]=150,170,190\" (repeat for each)");
    factor->type_name("NAME[UNIT]=LEVELS")->allow_extra_args(false);
    auto* response = design->add_option(
        "--response", options->design.responses,
        "A response and its S/N kind, e.g. \"Yield[%]:larger\" or \"Thickness[um]:nominal3:5.0\"; "
        "kinds: " +
            qvrfc::SnKindList());
    response->type_name("NAME[UNIT]:KIND[:TARGET]")->allow_extra_args(false);
    auto* noise = design->add_option("--noise", options->design.noise,
                                     "A noise factor, e.g. \"Humidity=low,high\": every run is "
                                     "observed under each noise condition");
    noise->type_name("NAME=LEVELS")->allow_extra_args(false);
    auto* outer = design->add_option(
        "--outer", options->design.outer,
        "The noise conditions: full (every combination of the noise factors' levels) or an "
        "orthogonal array such as L8 (default: the smallest array that holds the noise factors "
        "when it takes fewer conditions than every combination)");
    outer->type_name("full|ARRAY");
    auto* signal = design->add_option(
        "--signal", options->design.signal,
        "The signal factor of dynamic responses, e.g. \"Load[N]=10,20,30\": every run is "
        "observed at each of its levels (responses of kind " +
            qvrfc::DynamicKindList() +
            ", e.g. \"Deflection[mm]:dynamic:0.5\" with a target slope)");
    signal->type_name("NAME[UNIT]=LEVELS");
    auto* repeat = design->add_option("--repeat", options->design.repetitions,
                                      "Observations per run (and noise condition)");
    repeat->check(CLI::Range(1, 1000))->type_name("N");
    auto* array = design->add_option("--array", options->design.array,
                                     "The array to use (default: the smallest that fits)");
    array->type_name("ARRAY");
    auto* columns = design->add_option("--columns", options->design.columns,
                                       "The column (from 1) of each factor in --factor order, "
                                       "e.g. 1,3,5 (default: the first fitting columns)");
    columns->type_name("COLUMNS");
    auto* interaction = design->add_option(
        "--interaction", options->design.interactions,
        "A declared interaction of two factors, e.g. \"Temperature*Pressure\" (repeatable): "
        "its columns are kept free of factors and it becomes a term of the analysis");
    interaction->type_name("NAME*NAME")->allow_extra_args(false);
    auto* randomize =
        design->add_flag("--randomize", options->design.randomize, "Randomize the run order");
    auto* seed = design->add_option_function<std::uint32_t>(
        "--seed",
        [options](const std::uint32_t& value) {
            options->design.seed = value;
            options->design.seedGiven = true;
        },
        "Seed of the randomized run order (the same seed gives the same order)");
    seed->type_name("N");
    seed->needs(randomize);
    auto* experiment = design->add_option("--experiment", options->experimentFile,
                                          "Design from an experiment file instead of options");
    experiment->type_name("FILE");
    for (CLI::Option* option : {factor, response, noise, outer, signal, interaction, repeat, array,
                                columns, randomize, seed})
        experiment->excludes(option);
    design
        ->add_option("--sheet", options->design.sheet,
                     "The run sheet's format: csv (runsheet.csv) or xlsx (runsheet.xlsx, a "
                     "workbook; default: csv, or the experiment file's sheet)")
        ->check(CLI::IsMember({"csv", "xlsx"}))
        ->type_name("csv|xlsx");
    design->add_flag(
        "--force", options->force,
        "Replace an experiment.toml in the output folder that differs from the new one "
        "(a run sheet that differs is never replaced)");
    DeclareOutFolder(design, options->outFolder);
    design->footer(
        "Writes experiment.toml and runsheet.csv (runsheet.xlsx with --sheet xlsx) into the "
        "output folder. Fill the observation cells of the sheet and run: qvrfcdoe analyze "
        "runsheet.csv");
}

}  // namespace qvrfcdoe
