#include "qvrfc/experiment/Design.h"

#include <filesystem>
#include <random>
#include <system_error>

#include "qvrfc/common/QVRFCTextFormat.h"
#include "qvrfc/experiment/ArrayCatalogue.h"
#include "qvrfc/experiment/ArrayChoice.h"
#include "qvrfc/experiment/ExperimentAnalyzer.h"
#include "qvrfc/experiment/ExperimentFile.h"
#include "qvrfc/experiment/FileWriting.h"
#include "qvrfc/experiment/RunSheet.h"
#include "qvrfc/experiment/Workbook.h"

namespace qvrfc {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> SplitList(const std::string& text) {
    std::vector<std::string> items;
    size_t start = 0;
    for (size_t comma = text.find(',');; comma = text.find(',', start)) {
        items.push_back(TrimBlanks(text.substr(start, comma - start)));
        if (comma == std::string::npos) return items;
        start = comma + 1;
    }
}

// "Name[unit]" into its two parts; the unit is optional.
void SplitNameUnit(const std::string& option, const std::string& text, const std::string& part,
                   std::string& name, std::string& unit) {
    const size_t open = part.find('[');
    name = TrimBlanks(part.substr(0, open));
    if (open == std::string::npos) return;
    if (part.back() != ']')
        throw UsageError(option,
                         FormatText("%s '%s': the unit is written in brackets, as in Name[unit]",
                                    option.c_str(), text.c_str()));
    unit = TrimBlanks(part.substr(open + 1, part.size() - open - 2));
}

// --factor "Temperature[C]=150,170,190" and --noise "Humidity=low,high".
void ParseLevelled(const std::string& option, const std::string& text, std::string& name,
                   std::string& unit, std::vector<std::string>& levels) {
    const size_t equals = text.find('=');
    if (equals == std::string::npos)
        throw UsageError(option, FormatText("%s '%s': expected NAME[UNIT]=LEVEL,LEVEL,...",
                                            option.c_str(), text.c_str()));
    SplitNameUnit(option, text, text.substr(0, equals), name, unit);
    levels = SplitList(text.substr(equals + 1));
}

// --response "Yield[%]:larger" or "Thickness[um]:nominal3:5.0".
ExperimentResponse ParseResponse(const std::string& text) {
    ExperimentResponse response;
    const size_t colon = text.find(':');
    if (colon == std::string::npos)
        throw UsageError(
            "--response",
            FormatText("--response '%s': expected NAME[UNIT]:KIND[:TARGET], KIND one of %s",
                       text.c_str(), SnKindList().c_str()));
    SplitNameUnit("--response", text, text.substr(0, colon), response.name, response.unit);
    const std::string rest = text.substr(colon + 1);
    const size_t second = rest.find(':');
    const std::string kind = rest.substr(0, second);
    DynamicKind dynamic = DynamicKind::ZeroPoint;
    if (DynamicKindFromName(kind, dynamic)) {
        response.dynamic = dynamic;
        response.sn = kDynamicEngineKind;
    } else if (!SnKindFromName(kind, response.sn)) {
        throw UsageError(
            "--response",
            FormatText("--response '%s': unknown S/N kind '%s' (one of %s, %s)", text.c_str(),
                       kind.c_str(), SnKindList().c_str(), DynamicKindList().c_str()));
    }
    if (second == std::string::npos) return response;
    const std::string target = rest.substr(second + 1);
    if (!IsNominal(response.sn) && !response.dynamic)
        throw UsageError(
            "--response",
            FormatText("--response '%s': only the nominal kinds take a target", text.c_str()));
    if (!ParseNumber(target, response.target))
        throw UsageError("--response",
                         FormatText("--response '%s': the target '%s' is not a number",
                                    text.c_str(), target.c_str()));
    return response;
}

// --columns 2,3,5: one column (from 1) per factor, in the order of the --factor options.
void ApplyColumns(const std::string& text, Experiment& experiment) {
    if (text.empty()) return;
    const std::vector<std::string> columns = SplitList(text);
    const size_t factors = experiment.factors.size();
    if (columns.size() != factors)
        throw UsageError("--columns",
                         FormatText("--columns '%s': give one column for each of the %zu %s",
                                    text.c_str(), factors, factors == 1 ? "factor" : "factors"));
    for (size_t f = 0; f < columns.size(); ++f) {
        double column = 0.0;
        if (!ParseNumber(columns[f], column) || column < 1 || column > 1000 ||
            column != static_cast<int>(column))
            throw UsageError("--columns",
                             FormatText("--columns '%s': '%s' is not a column number from 1",
                                        text.c_str(), columns[f].c_str()));
        experiment.factors[f].column = static_cast<int>(column) - 1;
    }
}

// --interaction "Temperature*Pressure": pairs of the factors' names.
void ApplyInteractions(const DesignOptions& options, Experiment& experiment) {
    for (const std::string& text : options.interactions) {
        if (text.find('*') == std::string::npos)
            throw UsageError(
                "--interaction",
                FormatText("--interaction '%s': expected FACTOR*FACTOR, in the factors' names",
                           text.c_str()));
        try {
            experiment.interactions.push_back(InteractionOfNames(experiment, text));
            CheckInteractionPairs(experiment);
        } catch (const ExperimentFault& fault) {
            throw OptionError("--interaction", FormatText("--interaction: %s", fault.what()));
        } catch (const ExperimentError& error) {
            throw OptionError("--interaction",
                              FormatText("--interaction '%s': %s", text.c_str(), error.what()));
        }
    }
}

std::string InteractionList(const Experiment& experiment) {
    std::string names;
    for (const FactorPair& pair : experiment.interactions)
        names += (names.empty() ? "" : ", ") + InteractionName(experiment, pair);
    return names;
}

// Why the array of --array cannot hold the declared interactions, and which array can.
void RefuseArrayForInteractions(const std::string& option, const Experiment& experiment) {
    const OA_TYPE type = experiment.array;
    const std::string reason =
        ConstructionOf(type).IsRuleBuilt() || !PairsStandingApart(type).empty()
            ? "its columns cannot keep " + InteractionList(experiment) +
                  " free of the factors and apart"
            : "its interactions are spread over several columns";
    const OA_TYPE smallest = ArrayFor(experiment);
    throw OptionError("--array",
                      FormatText("--array %s: %s; %s", option.c_str(), reason.c_str(),
                                 smallest == CQVRFCDOETaguchiOrthogonalArray::OA_UNDEFINED
                                     ? "no array of the catalogue holds them"
                                     : (ArrayName(smallest) + " holds them").c_str()));
}

void ChooseDesignArray(const DesignOptions& options, Experiment& experiment) {
    const std::vector<int> counts = LevelCounts(experiment);
    if (!options.array.empty()) {
        experiment.array = ArrayOfText(options.array);
        if (!ArrayHolds(experiment.array, counts))
            throw OptionError("--array",
                              FormatText("--array %s: its columns cannot hold %s (it has %s)",
                                         options.array.c_str(), LevelCountText(counts).c_str(),
                                         LevelsPerColumn(experiment.array).c_str()));
        if (!experiment.interactions.empty() &&
            !PlaceFactors(experiment.array, counts, experiment.interactions).fits)
            RefuseArrayForInteractions(options.array, experiment);
        return;
    }
    experiment.array = ArrayFor(experiment);
    if (experiment.array == CQVRFCDOETaguchiOrthogonalArray::OA_UNDEFINED)
        throw Error(FormatText("no array of the catalogue holds %s%s",
                               LevelCountText(counts).c_str(),
                               experiment.interactions.empty() ? "" : " with the interactions"));
}

// The option that set an entry of the experiment, for messages.
std::string OptionOf(const DesignOptions& options, const ExperimentFault& fault) {
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
    if (fault.section == "signal") return "--signal '" + options.signal + "'";
    if (fault.field == "interactions")
        return options.columns.empty() ? "--interaction" : "--columns '" + options.columns + "'";
    return fault.field == "response" ? "--response" : "--factor";
}

}  // namespace

Experiment ExperimentOfOptions(const DesignOptions& options) {
    Experiment experiment;
    for (const std::string& text : options.factors) {
        Factor factor;
        ParseLevelled("--factor", text, factor.name, factor.unit, factor.levels);
        factor.levels = LevelTexts(factor.levels);
        experiment.factors.push_back(factor);
    }
    for (const std::string& text : options.responses)
        experiment.responses.push_back(ParseResponse(text));
    for (const std::string& text : options.noise) {
        NoiseFactor noise;
        std::string unit;
        ParseLevelled("--noise", text, noise.name, unit, noise.levels);
        experiment.noise.push_back(noise);
    }
    if (!options.signal.empty()) {
        Factor signal;
        ParseLevelled("--signal", options.signal, signal.name, signal.unit, signal.levels);
        signal.levels = LevelTexts(signal.levels);
        experiment.signal = signal;
    }
    if (!options.sheet.empty() && !SheetFormatOfName(options.sheet, experiment.sheet))
        throw UsageError("--sheet",
                         FormatText("--sheet '%s': expected csv or xlsx", options.sheet.c_str()));
    if (!options.outer.empty()) {
        try {
            experiment.outer = ParseOuterArray(options.outer);
        } catch (const Error& error) {
            throw OptionError("--outer", std::string("--outer: ") + error.what());
        }
    }
    experiment.repetitions = options.repetitions;
    ApplyColumns(options.columns, experiment);
    ApplyInteractions(options, experiment);
    try {
        // Names, levels and responses are judged before an array is chosen for them.
        CheckExperimentEntries(experiment);
        ChooseDesignArray(options, experiment);
        PlaceFactors(experiment);
        experiment.randomized = options.randomize || options.seedGiven;
        experiment.seed = options.seedGiven ? options.seed : std::random_device{}();
        if (!experiment.randomized) experiment.seed = 0;
        experiment.runOrder =
            RunOrder(experiment.RunCount(), experiment.randomized, experiment.seed);
        CheckExperiment(experiment);
    } catch (const ExperimentFault& fault) {
        const std::string option = OptionOf(options, fault);
        throw OptionError(option.substr(0, option.find(' ')), option + ": " + fault.what());
    }
    return experiment;
}

void CheckPlacementWithEngine(const Experiment& experiment, const std::string& logFolder) {
    CQVRFCDOEAnalyzer analyzer;
    analyzer.SetLogFolder(logFolder.c_str());
    SetUpAnalyzer(analyzer, experiment, nullptr);
}

DesignTexts DesignFileTexts(const Experiment& experiment, const std::string& experimentPath) {
    if (experiment.sheet == SheetFormat::Xlsx)
        return {RunSheetWorkbook(experiment),
                VerifiedExperimentFileText(experiment, experimentPath), kRunSheetWorkbookFile};
    return {RunSheetText(experiment), VerifiedExperimentFileText(experiment, experimentPath),
            kRunSheetFile};
}

void RefuseReplacingAnotherExperimentFile(const std::string& newText, const std::string& path) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (!fs::exists(status)) return;
    const std::string wayOut = "design with --force to replace it, or choose another --out folder";
    if (!fs::is_regular_file(status))
        throw Error::Placed(FormatText("'%s' exists and is not a regular file; it is left as it "
                                       "is: choose another --out folder",
                                       path.c_str()),
                            path, 0, "");
    std::string text;
    try {
        text = ReadWholeFile(path, "experiment file");
    } catch (const ExperimentError&) {
    }
    if (text == newText) return;
    std::string difference;
    try {
        difference = "in " + ExperimentDifference(ReadExperimentText(text, path),
                                                  ReadExperimentText(newText, path));
        if (difference == "in ") difference = "in its text (comments or layout edited by hand)";
    } catch (const ExperimentError& unreadable) {
        difference = std::string("and does not read as an experiment (") + unreadable.what() + ")";
    }
    throw Error::Placed(FormatText("'%s' exists and differs from the new experiment file %s; %s",
                                   path.c_str(), difference.c_str(), wayOut.c_str()),
                        path, 0, "");
}

void RefuseReplacingAnotherSheet(const std::string& newSheet, const std::string& sheet) {
    std::error_code error;
    const fs::file_status status = fs::status(sheet, error);
    if (!fs::exists(status)) return;
    if (!fs::is_regular_file(status))
        throw Error::Placed(FormatText("'%s' exists and is not a regular file; it is left as it "
                                       "is: choose another --out folder",
                                       sheet.c_str()),
                            sheet, 0, "");
    std::string text;
    try {
        text = ReadWholeFile(sheet, "run sheet");
    } catch (const ExperimentError&) {
    }
    if (text != newSheet)
        throw Error::Placed(FormatText("'%s' exists and differs from the new run sheet (it may "
                                       "hold observations); move it or choose another --out "
                                       "folder",
                                       sheet.c_str()),
                            sheet, 0, "");
}

}  // namespace qvrfc
