// qvrfcdoe design: an experiment from named factors, its array and run order, written as the
// experiment file and the run sheet for the lab, and the sheet printed on the screen.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "ArrayCatalogue.h"
#include "CliError.h"
#include "Commands.h"
#include "OutputFolder.h"
#include "qvrfc/experiment/ArrayChoice.h"
#include "qvrfc/experiment/ExperimentAnalyzer.h"
#include "qvrfc/experiment/ExperimentFile.h"
#include "qvrfc/experiment/FileWriting.h"
#include "qvrfc/experiment/RunSheet.h"

namespace qvrfcdoe {
namespace {

using qvrfc::Experiment;
using OA_TYPE = CQVRFCDOETaguchiOrthogonalArray::OA_TYPE;

const char* const kExperimentFile = "experiment.toml";
const char* const kRunSheetFile = "runsheet.csv";

struct DesignOptions {
    std::vector<std::string> factors;
    std::vector<std::string> responses;
    std::vector<std::string> noise;
    std::string outer;
    std::vector<std::string> interactions;
    int repetitions = 1;
    std::string array;
    std::string columns;
    bool randomize = false;
    std::uint32_t seed = 0;
    bool seedGiven = false;
    std::string experimentFile;
    std::string outFolder = "qvrfcdoe-out";
};

std::vector<std::string> SplitList(const std::string& text) {
    std::vector<std::string> items;
    size_t start = 0;
    for (size_t comma = text.find(',');; comma = text.find(',', start)) {
        items.push_back(qvrfc::TrimBlanks(text.substr(start, comma - start)));
        if (comma == std::string::npos) return items;
        start = comma + 1;
    }
}

// "Name[unit]" into its two parts; the unit is optional.
void SplitNameUnit(const std::string& option, const std::string& text, const std::string& part,
                   std::string& name, std::string& unit) {
    const size_t open = part.find('[');
    name = qvrfc::TrimBlanks(part.substr(0, open));
    if (open == std::string::npos) return;
    if (part.back() != ']')
        throw UsageError(Text("%s '%s': the unit is written in brackets, as in Name[unit]",
                              option.c_str(), text.c_str()));
    unit = qvrfc::TrimBlanks(part.substr(open + 1, part.size() - open - 2));
}

// --factor "Temperature[C]=150,170,190" and --noise "Humidity=low,high".
void ParseLevelled(const std::string& option, const std::string& text, std::string& name,
                   std::string& unit, std::vector<std::string>& levels) {
    const size_t equals = text.find('=');
    if (equals == std::string::npos)
        throw UsageError(
            Text("%s '%s': expected NAME[UNIT]=LEVEL,LEVEL,...", option.c_str(), text.c_str()));
    SplitNameUnit(option, text, text.substr(0, equals), name, unit);
    levels = SplitList(text.substr(equals + 1));
}

// --response "Yield[%]:larger" or "Thickness[um]:nominal3:5.0".
qvrfc::ExperimentResponse ParseResponse(const std::string& text) {
    qvrfc::ExperimentResponse response;
    const size_t colon = text.find(':');
    if (colon == std::string::npos)
        throw UsageError(Text("--response '%s': expected NAME[UNIT]:KIND[:TARGET], KIND one of %s",
                              text.c_str(), qvrfc::SnKindList().c_str()));
    SplitNameUnit("--response", text, text.substr(0, colon), response.name, response.unit);
    const std::string rest = text.substr(colon + 1);
    const size_t second = rest.find(':');
    const std::string kind = rest.substr(0, second);
    if (!qvrfc::SnKindFromName(kind, response.sn))
        throw UsageError(Text("--response '%s': unknown S/N kind '%s' (one of %s)", text.c_str(),
                              kind.c_str(), qvrfc::SnKindList().c_str()));
    if (second == std::string::npos) return response;
    const std::string target = rest.substr(second + 1);
    if (!qvrfc::IsNominal(response.sn))
        throw UsageError(
            Text("--response '%s': only the nominal kinds take a target", text.c_str()));
    if (!qvrfc::ParseNumber(target, response.target))
        throw UsageError(
            Text("--response '%s': the target '%s' is not a number", text.c_str(), target.c_str()));
    return response;
}

// --columns 2,3,5: one column (from 1) per factor, in the order of the --factor options.
void ApplyColumns(const std::string& text, Experiment& experiment) {
    if (text.empty()) return;
    const std::vector<std::string> columns = SplitList(text);
    if (columns.size() != experiment.factors.size())
        throw UsageError(Text(
            "--columns '%s': give one column for each of the %s", text.c_str(),
            Counted(static_cast<int>(experiment.factors.size()), "factor", "factors").c_str()));
    for (size_t f = 0; f < columns.size(); ++f) {
        double column = 0.0;
        if (!qvrfc::ParseNumber(columns[f], column) || column < 1 || column > 1000 ||
            column != static_cast<int>(column))
            throw UsageError(Text("--columns '%s': '%s' is not a column number from 1",
                                  text.c_str(), columns[f].c_str()));
        experiment.factors[f].column = static_cast<int>(column) - 1;
    }
}

// --interaction "Temperature*Pressure": pairs of the factors' names.
void ApplyInteractions(const DesignOptions& options, Experiment& experiment) {
    for (const std::string& text : options.interactions) {
        if (text.find('*') == std::string::npos)
            throw UsageError(Text(
                "--interaction '%s': expected FACTOR*FACTOR, in the factors' names", text.c_str()));
        try {
            experiment.interactions.push_back(qvrfc::InteractionOfNames(experiment, text));
            qvrfc::CheckInteractionPairs(experiment);
        } catch (const qvrfc::ExperimentFault& fault) {
            throw InputError(Text("--interaction: %s", fault.what()));
        } catch (const qvrfc::ExperimentError& error) {
            throw InputError(Text("--interaction '%s': %s", text.c_str(), error.what()));
        }
    }
}

std::string InteractionList(const Experiment& experiment) {
    std::string names;
    for (const qvrfc::FactorPair& pair : experiment.interactions)
        names += (names.empty() ? "" : ", ") + qvrfc::InteractionName(experiment, pair);
    return names;
}

// Why the array of --array cannot hold the declared interactions, and which array can.
void RefuseArrayForInteractions(const std::string& option, const Experiment& experiment) {
    const OA_TYPE type = experiment.array;
    const std::string reason =
        qvrfc::ConstructionOf(type).IsRuleBuilt() || !qvrfc::PairsStandingApart(type).empty()
            ? "its columns cannot keep " + InteractionList(experiment) +
                  " free of the factors and apart"
            : "its interactions are spread over several columns";
    const OA_TYPE smallest = qvrfc::ArrayFor(experiment);
    throw InputError(Text("--array %s: %s; %s", option.c_str(), reason.c_str(),
                          smallest == CQVRFCDOETaguchiOrthogonalArray::OA_UNDEFINED
                              ? "no array of the catalogue holds them"
                              : (qvrfc::ArrayName(smallest) + " holds them").c_str()));
}

void ChooseArray(const DesignOptions& options, Experiment& experiment) {
    const std::vector<int> counts = qvrfc::LevelCounts(experiment);
    if (!options.array.empty()) {
        experiment.array = ParseArrayName(options.array);
        if (!qvrfc::ArrayHolds(experiment.array, counts))
            throw InputError(Text("--array %s: its columns cannot hold %s (it has %s)",
                                  options.array.c_str(), qvrfc::LevelCountText(counts).c_str(),
                                  LevelsPerColumn(experiment.array).c_str()));
        if (!experiment.interactions.empty() &&
            !qvrfc::PlaceFactors(experiment.array, counts, experiment.interactions).fits)
            RefuseArrayForInteractions(options.array, experiment);
        return;
    }
    experiment.array = qvrfc::ArrayFor(experiment);
    if (experiment.array == CQVRFCDOETaguchiOrthogonalArray::OA_UNDEFINED)
        throw InputError(Text("no array of the catalogue holds %s%s",
                              qvrfc::LevelCountText(counts).c_str(),
                              experiment.interactions.empty() ? "" : " with the interactions"));
}

// The option that set an entry of the experiment, for messages.
std::string OptionOf(const DesignOptions& options, const qvrfc::ExperimentFault& fault) {
    const size_t i = static_cast<size_t>(fault.index);
    if (fault.section == "factor" && fault.field == "column" && !options.columns.empty())
        return "--columns '" + options.columns + "'";
    if (fault.section == "factor" && i < options.factors.size())
        return "--factor '" + options.factors[i] + "'";
    if (fault.section == "response" && i < options.responses.size())
        return "--response '" + options.responses[i] + "'";
    if (fault.section == "noise" && i < options.noise.size())
        return "--noise '" + options.noise[i] + "'";
    if (fault.field == "repetitions") return "--repeat";
    if (fault.field == "outer") return "--outer";
    if (fault.field == "interactions")
        return options.columns.empty() ? "--interaction" : "--columns '" + options.columns + "'";
    return fault.field == "response" ? "--response" : "--factor";
}

Experiment ExperimentOfOptions(const DesignOptions& options) {
    Experiment experiment;
    for (const std::string& text : options.factors) {
        qvrfc::Factor factor;
        ParseLevelled("--factor", text, factor.name, factor.unit, factor.levels);
        experiment.factors.push_back(factor);
    }
    for (const std::string& text : options.responses)
        experiment.responses.push_back(ParseResponse(text));
    for (const std::string& text : options.noise) {
        qvrfc::NoiseFactor noise;
        std::string unit;
        ParseLevelled("--noise", text, noise.name, unit, noise.levels);
        experiment.noise.push_back(noise);
    }
    if (!options.outer.empty()) {
        try {
            experiment.outer = qvrfc::ParseOuterArray(options.outer);
        } catch (const qvrfc::Error& error) {
            throw InputError(std::string("--outer: ") + error.what());
        }
    }
    experiment.repetitions = options.repetitions;
    ApplyColumns(options.columns, experiment);
    ApplyInteractions(options, experiment);
    try {
        // Names, levels and responses are judged before an array is chosen for them.
        qvrfc::CheckExperimentEntries(experiment);
        ChooseArray(options, experiment);
        qvrfc::PlaceFactors(experiment);
        experiment.randomized = options.randomize || options.seedGiven;
        experiment.seed = options.seedGiven ? options.seed : std::random_device{}();
        if (!experiment.randomized) experiment.seed = 0;
        experiment.runOrder =
            qvrfc::RunOrder(experiment.RunCount(), experiment.randomized, experiment.seed);
        qvrfc::CheckExperiment(experiment);
    } catch (const qvrfc::ExperimentFault& fault) {
        throw InputError(OptionOf(options, fault) + ": " + fault.what());
    }
    return experiment;
}

// The engine's own placement check, its set-up logs written into a scratch folder.
void CheckPlacementWithEngine(const Experiment& experiment) {
    const ScratchFolder scratch;
    CQVRFCDOEAnalyzer analyzer;
    analyzer.SetLogFolder(scratch.Path().c_str());
    qvrfc::SetUpAnalyzer(analyzer, experiment, nullptr);
}

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
    std::printf("%s, %d runs, for %s", DisplayName(experiment.array).c_str(), experiment.RunCount(),
                qvrfc::LevelCountText(qvrfc::LevelCounts(experiment)).c_str());
    if (experiment.randomized) std::printf("; run order randomized with seed %u", experiment.seed);
    std::printf("\n");
    for (const qvrfc::Factor& factor : experiment.factors)
        std::printf("  column %d: %s\n", factor.column + 1, factor.name.c_str());
    PrintInteractions(experiment);
    if (!experiment.noise.empty())
        std::printf("  noise: %s\n", qvrfc::OuterArrayText(experiment).c_str());
    std::printf("\n");
    PrintSheet(experiment);
}

// A run sheet already in the output folder may hold the lab's observations: only the same
// empty sheet is written over. Judged under the folder's lock, so that two designs into one
// folder cannot both find it free.
void RefuseReplacingAnotherSheet(const std::string& newSheet, const fs::path& sheet) {
    std::error_code error;
    const fs::file_status status = fs::status(sheet, error);
    if (!fs::exists(status)) return;
    if (!fs::is_regular_file(status))
        throw InputError(
            Text("'%s' exists and is not a regular file; it is left as it is: choose "
                 "another --out folder",
                 sheet.c_str()));
    std::string text;
    try {
        text = qvrfc::ReadWholeFile(sheet.string(), "run sheet");
    } catch (const qvrfc::ExperimentError&) {
    }
    if (text != newSheet)
        throw InputError(
            Text("'%s' exists and differs from the new run sheet (it may hold "
                 "observations); move it or choose another --out folder",
                 sheet.c_str()));
}

int Design(const DesignOptions& options) {
    const Experiment experiment = options.experimentFile.empty()
                                      ? ExperimentOfOptions(options)
                                      : qvrfc::ReadExperimentFile(options.experimentFile);
    CheckPlacementWithEngine(experiment);
    OutputFolder folder(options.outFolder);
    if (!options.experimentFile.empty() &&
        SameFile(options.experimentFile, folder.File(kExperimentFile)))
        throw InputError(Text("'%s' would be overwritten; choose another --out folder",
                              options.experimentFile.c_str()));
    const std::string sheetFile = folder.File(kRunSheetFile).string();
    const std::string experimentFile = folder.File(kExperimentFile).string();
    // Both texts are made, and the experiment file read back, before anything is written.
    const std::string sheet = qvrfc::RunSheetText(experiment);
    const std::string text = qvrfc::VerifiedExperimentFileText(experiment, experimentFile);
    folder.Create();
    RemoveLeftovers(folder, {kRunSheetFile, kExperimentFile}, false);
    RefuseReplacingAnotherSheet(sheet, sheetFile);
    // The sheet and its experiment file are written as a set: never one new beside one old.
    qvrfc::FileSet files;
    files.Write(sheetFile, sheet);
    files.Write(experimentFile, text);
    files.Commit();
    PrintDesign(experiment);
    folder.PrintFilesWritten();
    return 0;
}

}  // namespace

void DeclareDesignCommand(CLI::App& app, CommandRun& run) {
    auto options = std::make_shared<DesignOptions>();
    CLI::App* design = AddCommand(
        app, run, "design",
        "Design an experiment from named factors: array, placement, run order and run sheet",
        [options] { return Design(*options); });
    auto* factor = design->add_option("--factor", options->factors,
                                      "A control factor and its levels, e.g. "
                                      "\"Temperature[C]=150,170,190\" (repeat for each)");
    factor->type_name("NAME[UNIT]=LEVELS")->allow_extra_args(false);
    auto* response = design->add_option(
        "--response", options->responses,
        "A response and its S/N kind, e.g. \"Yield[%]:larger\" or \"Thickness[um]:nominal3:5.0\"; "
        "kinds: " +
            qvrfc::SnKindList());
    response->type_name("NAME[UNIT]:KIND[:TARGET]")->allow_extra_args(false);
    auto* noise = design->add_option("--noise", options->noise,
                                     "A noise factor, e.g. \"Humidity=low,high\": every run is "
                                     "observed under each noise condition");
    noise->type_name("NAME=LEVELS")->allow_extra_args(false);
    auto* outer = design->add_option(
        "--outer", options->outer,
        "The noise conditions: full (every combination of the noise factors' levels) or an "
        "orthogonal array such as L8 (default: the smallest array that holds the noise factors "
        "when it takes fewer conditions than every combination)");
    outer->type_name("full|ARRAY");
    auto* repeat = design->add_option("--repeat", options->repetitions,
                                      "Observations per run (and noise condition)");
    repeat->check(CLI::Range(1, 1000))->type_name("N");
    auto* array = design->add_option("--array", options->array,
                                     "The array to use (default: the smallest that fits)");
    array->type_name("ARRAY");
    auto* columns = design->add_option("--columns", options->columns,
                                       "The column (from 1) of each factor in --factor order, "
                                       "e.g. 1,3,5 (default: the first fitting columns)");
    columns->type_name("COLUMNS");
    auto* interaction = design->add_option(
        "--interaction", options->interactions,
        "A declared interaction of two factors, e.g. \"Temperature*Pressure\" (repeatable): "
        "its columns are kept free of factors and it becomes a term of the analysis");
    interaction->type_name("NAME*NAME")->allow_extra_args(false);
    auto* randomize =
        design->add_flag("--randomize", options->randomize, "Randomize the run order");
    auto* seed = design->add_option_function<std::uint32_t>(
        "--seed",
        [options](const std::uint32_t& value) {
            options->seed = value;
            options->seedGiven = true;
        },
        "Seed of the randomized run order (the same seed gives the same order)");
    seed->type_name("N");
    seed->needs(randomize);
    auto* experiment = design->add_option("--experiment", options->experimentFile,
                                          "Design from an experiment file instead of options");
    experiment->type_name("FILE");
    for (CLI::Option* option :
         {factor, response, noise, outer, interaction, repeat, array, columns, randomize, seed})
        experiment->excludes(option);
    DeclareOutFolder(design, options->outFolder);
    design->footer(
        "Writes experiment.toml and runsheet.csv into the output folder. Fill the "
        "observation cells of the sheet and run: qvrfcdoe analyze runsheet.csv");
}

}  // namespace qvrfcdoe
