#include "qvrfc/experiment/Experiment.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <numeric>
#include <set>

#include "qvrfc/experiment/ArrayChoice.h"
#include "qvrfc/experiment/RunSheet.h"

namespace qvrfc {
namespace {

using Analyzer = CQVRFCDOEAnalyzer;
using Catalogue = CQVRFCDOETaguchiOrthogonalArray;

[[noreturn]] void Refuse(const char* section, size_t index, const char* field,
                         const std::string& cause) {
    throw ExperimentFault(section, static_cast<int>(index), field, cause);
}

// A byte sequence that is UTF-8 as RFC 3629 has it: no overlong forms, surrogates or
// code points above U+10FFFF. The experiment file is UTF-8: other bytes would be written as
// other characters.
bool IsUtf8(const std::string& text) {
    for (size_t i = 0; i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        const int length = lead < 0x80                    ? 1
                           : lead >= 0xC2 && lead <= 0xDF ? 2
                           : lead >= 0xE0 && lead <= 0xEF ? 3
                           : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                          : 0;
        if (length == 0 || i + length > text.size()) return false;
        for (int k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        }
        const unsigned char second = length > 1 ? static_cast<unsigned char>(text[i + 1]) : 0;
        if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) ||
            (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F))
            return false;
        i += static_cast<size_t>(length);
    }
    return true;
}

bool HoldsControl(const std::string& text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const unsigned char byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
}

// The cause why a text cannot be written into the experiment file, the run sheet (a workbook's
// parts are XML), the charts and the page, and read back as it was; "" when it can.
std::string CharacterFault(const std::string& text) {
    if (HoldsControl(text)) return "holds a control character (a line end, tab, ...)";
    if (!IsUtf8(text)) return "is not UTF-8 text";
    // U+FFFE and U+FFFF are no characters of XML.
    if (text.find("\xEF\xBF\xBE") != std::string::npos ||
        text.find("\xEF\xBF\xBF") != std::string::npos)
        return "holds U+FFFE or U+FFFF, which is no character";
    return "";
}

// The cause why a text cannot be a name or level (written otherwise than it reads back, or
// matched with its blanks cut); "" when it can.
std::string TextFault(const std::string& text) {
    const std::string fault = CharacterFault(text);
    if (!fault.empty()) return fault;
    if (TrimBlanks(text) != text) return "begins or ends with a blank";
    return "";
}

void CheckName(const char* section, size_t index, const std::string& name,
               std::set<std::string>& seen) {
    if (name.empty()) Refuse(section, index, "name", "the name is empty");
    const std::string fault = TextFault(name);
    if (!fault.empty()) Refuse(section, index, "name", "the name " + fault);
    if (!seen.insert(name).second) Refuse(section, index, "name", "'" + name + "' is named twice");
}

void CheckUnit(const char* section, size_t index, const std::string& unit) {
    const std::string fault = CharacterFault(unit);
    if (!fault.empty()) Refuse(section, index, "unit", "the unit " + fault);
}

void CheckLevels(const char* section, size_t index, const std::vector<std::string>& levels,
                 bool numeric) {
    if (levels.size() < 2) Refuse(section, index, "levels", "at least two levels are needed");
    if (levels.size() > static_cast<size_t>(kMostLevels))
        Refuse(section, index, "levels",
               std::to_string(levels.size()) + " levels, more than " + std::to_string(kMostLevels));
    std::set<std::string> seen;
    std::map<double, size_t> values;  // a numeric factor's levels: value -> level
    for (size_t l = 0; l < levels.size(); ++l) {
        const std::string& level = levels[l];
        if (level.empty()) Refuse(section, index, "levels", "a level is empty");
        const std::string fault = TextFault(level);
        if (!fault.empty())
            Refuse(section, index, "levels", "level " + std::to_string(l + 1) + " " + fault);
        if (!seen.insert(level).second)
            Refuse(section, index, "levels", "the level '" + level + "' is given twice");
        double value = 0.0;
        if (!numeric || !ParseNumber(level, value)) continue;
        const auto found = values.emplace(value, l);
        if (!found.second)
            Refuse(section, index, "levels",
                   "the levels '" + levels[found.first->second] + "' and '" + level +
                       "' are the same number");
    }
}

// The run sheet finds its columns by their headers: each must be one of a kind.
void CheckSheetColumns(const Experiment& experiment) {
    std::map<std::string, size_t> observations;  // header -> response
    for (size_t r = 0; r < experiment.responses.size(); ++r) {
        for (const std::string& header : ObservationNames(experiment, static_cast<int>(r))) {
            if (!observations.emplace(header, r).second)
                Refuse("response", r, "name",
                       "the run sheet would have two columns '" + header + "'");
        }
    }
    for (size_t f = 0; f < experiment.factors.size(); ++f) {
        const std::string& name = experiment.factors[f].name;
        if (name == "run" || name == "order")
            Refuse("factor", f, "name",
                   "'" + name + "' is a column of every run sheet (run, order)");
        const auto observation = observations.find(name);
        if (observation != observations.end())
            Refuse("factor", f, "name",
                   "'" + name + "' is the run sheet's column of an observation of " +
                       experiment.responses[observation->second].name);
    }
}

void CheckColumns(const Experiment& experiment) {
    const OA_TYPE type = experiment.array;
    std::set<int> columns;
    for (size_t f = 0; f < experiment.factors.size(); ++f) {
        const Factor& factor = experiment.factors[f];
        const int levels = static_cast<int>(factor.levels.size());
        if (factor.column < 0 || factor.column >= Catalogue::GetNoFactor(type))
            Refuse("factor", f, "column",
                   ArrayName(type) + " has columns 1 to " +
                       std::to_string(Catalogue::GetNoFactor(type)));
        if (Catalogue::GetNoLevel(type, factor.column) != levels)
            Refuse("factor", f, "column",
                   "column " + std::to_string(factor.column + 1) + " of " + ArrayName(type) +
                       " has " + std::to_string(Catalogue::GetNoLevel(type, factor.column)) +
                       " levels, the factor " + std::to_string(levels));
        if (!columns.insert(factor.column).second)
            Refuse("factor", f, "column",
                   "column " + std::to_string(factor.column + 1) + " holds another factor");
    }
}

[[noreturn]] void RefuseInteraction(const Experiment& experiment, size_t i,
                                    const std::string& cause) {
    Refuse("", i, "interactions",
           InteractionName(experiment, experiment.interactions[i]) + " " + cause);
}

}  // namespace

void CheckInteractionPairs(const Experiment& experiment) {
    const int factors = static_cast<int>(experiment.factors.size());
    for (size_t i = 0; i < experiment.interactions.size(); ++i) {
        const FactorPair& pair = experiment.interactions[i];
        if (pair.first < 0 || pair.second < 0 || pair.first >= factors || pair.second >= factors)
            Refuse("", i, "interactions",
                   "interaction " + std::to_string(i + 1) + " names a factor the experiment lacks");
        if (pair.first == pair.second)
            RefuseInteraction(experiment, i, "pairs a factor with itself");
        for (int f : {pair.first, pair.second}) {
            if (experiment.factors[f].name.find('*') != std::string::npos)
                RefuseInteraction(experiment, i, "names a factor whose name holds '*'");
        }
        for (size_t j = 0; j < i; ++j) {
            if (SamePair(pair, experiment.interactions[j]))
                RefuseInteraction(experiment, i, "is declared twice");
        }
    }
}

namespace {

std::vector<int> ColumnsOf(const Experiment& experiment, const FactorPair& pair) {
    return InteractionColumns(experiment.array, experiment.factors[pair.first].column,
                              experiment.factors[pair.second].column);
}

// Each declared interaction needs columns of its own: free of factors and of the other
// declared interactions; an array given by value estimates only a pair standing apart.
void CheckInteractionColumns(const Experiment& experiment) {
    const OA_TYPE type = experiment.array;
    const auto& pairs = experiment.interactions;
    for (size_t i = 0; i < pairs.size(); ++i) {
        const int a = experiment.factors[pairs[i].first].column;
        const int b = experiment.factors[pairs[i].second].column;
        if (!ConstructionOf(type).IsRuleBuilt()) {
            if (!InteractionStandsApart(type, a, b))
                RefuseInteraction(experiment, i,
                                  "cannot be estimated: " + ArrayName(type) +
                                      " spreads the interaction of columns " +
                                      std::to_string(a + 1) + " and " + std::to_string(b + 1) +
                                      " over several columns");
            continue;
        }
        for (int column : ColumnsOf(experiment, pairs[i])) {
            const std::string where = "lies on column " + std::to_string(column + 1) + ", which ";
            for (const Factor& factor : experiment.factors) {
                if (factor.column == column)
                    RefuseInteraction(experiment, i, where + "holds " + factor.name);
            }
            for (size_t j = 0; j < pairs.size(); ++j) {
                const std::vector<int> other = ColumnsOf(experiment, pairs[j]);
                if (j != i && std::count(other.begin(), other.end(), column) != 0)
                    RefuseInteraction(
                        experiment, i,
                        where + "also holds " + InteractionName(experiment, pairs[j]));
            }
        }
    }
}

void CheckRunOrder(const Experiment& experiment) {
    const size_t runs = static_cast<size_t>(experiment.RunCount());
    std::vector<int> sorted = experiment.runOrder;
    std::sort(sorted.begin(), sorted.end());
    bool permutation = sorted.size() == runs;
    for (size_t r = 0; permutation && r < runs; ++r)
        permutation = sorted[r] == static_cast<int>(r) + 1;
    if (!permutation)
        Refuse("", 0, "run_order",
               "must name each run from 1 to " + std::to_string(runs) + " once");
}

}  // namespace

bool Factor::IsNumeric() const {
    double value = 0.0;
    return std::all_of(levels.begin(), levels.end(),
                       [&](const std::string& level) { return ParseNumber(level, value); });
}

double Factor::LevelValue(int level) const {
    double value = level + 1;
    if (IsNumeric()) ParseNumber(levels[level], value);
    return value;
}

int Factor::LevelOf(const std::string& text) const {
    const bool numeric = IsNumeric();
    double cell = 0.0;
    if (numeric && !ParseNumber(text, cell)) return -1;
    double value = 0.0;
    for (size_t l = 0; l < levels.size(); ++l) {
        if (numeric ? ParseNumber(levels[l], value) && cell == value : text == levels[l])
            return static_cast<int>(l);
    }
    return -1;
}

int Experiment::RunCount() const {
    return Catalogue::GetNoRun(array);
}

int Experiment::Level(int run, int factor) const {
    return ArrayLevel(array, run, factors[factor].column) - 1;
}

bool ParseNumber(const std::string& text, double& value) {
    if (text.empty() || std::isspace(static_cast<unsigned char>(text[0]))) return false;
    char* end = nullptr;
    const double number = std::strtod(text.c_str(), &end);
    // A NUL byte ends the text for strtod but not for the caller; an underflow (ERANGE with a
    // finite result) reads as the nearest number.
    if (end != text.c_str() + text.size() || !std::isfinite(number)) return false;
    // Hexadecimal numbers, "inf" and "nan" are not numbers a person writes in a sheet.
    if (text.find_first_of("xXnN") != std::string::npos) return false;
    value = number;
    return true;
}

std::string NumberText(double value) {
    if (value == 0.0) value = 0.0;  // -0 is written 0, as files and sheets read it
    char text[400];
    int precision = 1;
    for (; precision < 17; ++precision) {
        std::snprintf(text, sizeof text, "%.*g", precision, value);
        if (std::strtod(text, nullptr) == value) break;
    }
    std::snprintf(text, sizeof text, "%.*g", precision, value);
    const char* e = std::strchr(text, 'e');
    if (e == nullptr || !std::isfinite(value)) return text;
    // "6e+01" is written 60, "1.5e-05" 0.000015: people write settings without exponents.
    const int exponent = std::atoi(e + 1);
    if (exponent < -6 || exponent > 20) return text;
    std::snprintf(text, sizeof text, "%.*f", std::max(0, precision - 1 - exponent), value);
    return text;
}

std::vector<std::string> LevelTexts(const std::vector<std::string>& levels) {
    std::vector<double> values(levels.size());
    for (size_t l = 0; l < levels.size(); ++l) {
        if (!ParseNumber(levels[l], values[l])) return levels;
    }
    // Levels that are one number stay as written, for the message that refuses them.
    if (std::set<double>(values.begin(), values.end()).size() < values.size()) return levels;
    std::vector<std::string> texts;
    for (double value : values)
        texts.push_back(NumberText(value));
    return texts;
}

const char* SheetFormatName(SheetFormat format) {
    return format == SheetFormat::Xlsx ? "xlsx" : "csv";
}

bool SheetFormatOfName(const std::string& name, SheetFormat& format) {
    for (SheetFormat each : {SheetFormat::Csv, SheetFormat::Xlsx}) {
        if (name == SheetFormatName(each)) {
            format = each;
            return true;
        }
    }
    return false;
}

namespace {

// Combinations beyond this many are not counted further.
constexpr long long kManyCombinations = 100000;
constexpr long long kMostConditions = kMostLevels;

std::vector<int> NoiseLevelCounts(const Experiment& experiment) {
    std::vector<int> counts;
    for (const NoiseFactor& noise : experiment.noise)
        counts.push_back(static_cast<int>(noise.levels.size()));
    return counts;
}

long long CombinationCount(const std::vector<int>& counts) {
    long long combinations = 1;
    for (int count : counts)
        combinations = std::min(combinations * count, kManyCombinations + 1);
    return combinations;
}

std::vector<std::vector<int>> EveryCombination(const std::vector<int>& counts) {
    std::vector<std::vector<int>> conditions;
    for (long long c = 0; c < CombinationCount(counts); ++c) {
        std::vector<int> condition(counts.size());
        long long rest = c;
        for (size_t n = counts.size(); n-- > 0;) {
            condition[n] = static_cast<int>(rest % counts[n]);
            rest /= counts[n];
        }
        conditions.push_back(condition);
    }
    return conditions;
}

// The columns of the smallest outer array: the first free column of each noise factor's level
// count, as designs have always placed them.
std::vector<int> FirstColumns(OA_TYPE outer, const std::vector<int>& counts) {
    std::vector<int> used;
    for (int count : counts) {
        int column = 0;
        while (Catalogue::GetNoLevel(outer, column) != count ||
               std::count(used.begin(), used.end(), column) != 0)
            ++column;
        used.push_back(column);
    }
    return used;
}

// The columns of a named outer array: placed as control factors with every pair of noise
// factors declared, so that as many combinations as the array allows are distinct.
std::vector<int> SpreadColumns(const Experiment& experiment) {
    Experiment noise;
    noise.array = experiment.outer.array;
    for (const NoiseFactor& factor : experiment.noise)
        noise.factors.push_back({factor.name, "", factor.levels, -1});
    for (int a = 0; a < static_cast<int>(noise.factors.size()); ++a) {
        for (int b = a + 1; b < static_cast<int>(noise.factors.size()); ++b)
            noise.interactions.push_back({a, b});
    }
    PlaceFactors(noise);  // the outer array holds them: CheckExperimentEntries saw to it
    std::vector<int> columns;
    for (const Factor& factor : noise.factors)
        columns.push_back(factor.column);
    return columns;
}

std::vector<std::vector<int>> ArrayRuns(OA_TYPE outer, const std::vector<int>& columns) {
    std::vector<std::vector<int>> conditions;
    for (int run = 0; run < Catalogue::GetNoRun(outer); ++run) {
        std::vector<int> condition;
        for (int column : columns)
            condition.push_back(ArrayLevel(outer, run, column) - 1);
        conditions.push_back(condition);
    }
    return conditions;
}

}  // namespace

OA_TYPE OuterArrayUsed(const Experiment& experiment) {
    const std::vector<int> counts = NoiseLevelCounts(experiment);
    if (counts.empty() || experiment.outer.kind == OuterArray::Kind::Full)
        return Catalogue::OA_UNDEFINED;
    if (experiment.outer.kind == OuterArray::Kind::Named) return experiment.outer.array;
    const OA_TYPE smallest = ChooseArray(counts);
    return smallest != Catalogue::OA_UNDEFINED &&
                   Catalogue::GetNoRun(smallest) < CombinationCount(counts)
               ? smallest
               : Catalogue::OA_UNDEFINED;
}

std::vector<std::vector<int>> NoiseConditions(const Experiment& experiment) {
    const std::vector<int> counts = NoiseLevelCounts(experiment);
    const OA_TYPE outer = OuterArrayUsed(experiment);
    if (outer != Catalogue::OA_UNDEFINED) {
        const bool named = experiment.outer.kind == OuterArray::Kind::Named;
        return ArrayRuns(outer, named ? SpreadColumns(experiment) : FirstColumns(outer, counts));
    }
    if (CombinationCount(counts) > kMostConditions)
        throw ExperimentError("the noise factors make more than " +
                              std::to_string(kMostConditions) + " conditions" +
                              std::string(experiment.outer.kind == OuterArray::Kind::Full
                                              ? ""
                                              : ", and no array of the catalogue holds " +
                                                    LevelCountText(counts) + " to take fewer"));
    return EveryCombination(counts);
}

OuterArray ParseOuterArray(const std::string& text) {
    OuterArray outer;
    if (text == "full") {
        outer.kind = OuterArray::Kind::Full;
        return outer;
    }
    outer.kind = OuterArray::Kind::Named;
    outer.array = ArrayOfName(text);
    if (outer.array == Catalogue::OA_UNDEFINED)
        throw ExperimentError("expected full or an array of the catalogue such as L8, not '" +
                              text + "'");
    return outer;
}

std::string OuterArrayName(const OuterArray& outer) {
    switch (outer.kind) {
        case OuterArray::Kind::Full:
            return "full";
        case OuterArray::Kind::Named:
            return ArrayName(outer.array);
        default:
            return "";
    }
}

std::vector<std::string> OuterArrayConfounding(const Experiment& experiment) {
    std::vector<std::string> confounded;
    if (experiment.noise.size() < 3) return confounded;
    const std::vector<std::vector<int>> conditions = NoiseConditions(experiment);
    const auto twoLevel = [&](size_t n) { return experiment.noise[n].levels.size() == 2; };
    // Factor k follows i x j when k's level is the parity of i's and j's (or its opposite)
    // in every condition; each triple is named once, by its last factor.
    const auto follows = [&](size_t k, size_t i, size_t j) {
        int same = 0;
        for (const std::vector<int>& c : conditions)
            same += c[k] == ((c[i] + c[j]) % 2) ? 1 : 0;
        return same == 0 || same == static_cast<int>(conditions.size());
    };
    const size_t count = experiment.noise.size();
    for (size_t k = 0; k < count; ++k) {
        for (size_t i = 0; i < k; ++i) {
            for (size_t j = i + 1; j < k; ++j) {
                if (!twoLevel(k) || !twoLevel(i) || !twoLevel(j) || !follows(k, i, j)) continue;
                confounded.push_back(experiment.noise[k].name + " with " +
                                     experiment.noise[i].name + " x " + experiment.noise[j].name);
            }
        }
    }
    return confounded;
}

std::string OuterArrayText(const Experiment& experiment) {
    if (experiment.noise.empty()) return "";
    const long long combinations = CombinationCount(NoiseLevelCounts(experiment));
    const OA_TYPE outer = OuterArrayUsed(experiment);
    const std::string all = std::to_string(combinations) + " combinations of the noise factors";
    if (outer == Catalogue::OA_UNDEFINED) return "every one of the " + all;
    std::set<std::vector<int>> distinct;
    for (const std::vector<int>& condition : NoiseConditions(experiment))
        distinct.insert(condition);
    return "outer array " + std::string(CatalogueName(outer)) + ": " +
           std::to_string(distinct.size()) + " of the " + all;
}

std::string NoiseConditionText(const Experiment& experiment, int condition) {
    const std::vector<int> levels = NoiseConditions(experiment)[condition];
    std::string text;
    for (size_t n = 0; n < levels.size(); ++n) {
        const NoiseFactor& noise = experiment.noise[n];
        text += (n == 0 ? "" : " ") + noise.name + "=" + noise.levels[levels[n]];
    }
    return text;
}

int ObservationCount(const Experiment& experiment) {
    const int signals = experiment.signal ? static_cast<int>(experiment.signal->levels.size()) : 1;
    return signals * static_cast<int>(NoiseConditions(experiment).size()) * experiment.repetitions;
}

std::vector<double> SignalValues(const Experiment& experiment) {
    std::vector<double> values;
    if (!experiment.signal) return values;
    const int perLevel =
        static_cast<int>(NoiseConditions(experiment).size()) * experiment.repetitions;
    for (const std::string& level : experiment.signal->levels) {
        double value = 0.0;
        ParseNumber(level, value);
        values.insert(values.end(), static_cast<size_t>(perLevel), value);
    }
    return values;
}

std::string ExperimentResponse::KindName() const {
    return dynamic ? DynamicKindName(*dynamic) : SnKindName(sn);
}

std::string TrimBlanks(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

FactorPair InteractionOfNames(const Experiment& experiment, const std::string& text) {
    const size_t star = text.find('*');
    if (star == std::string::npos)
        throw ExperimentError("expected FACTOR*FACTOR, in the factors' names");
    const auto factorOf = [&](const std::string& part) {
        const std::string name = TrimBlanks(part);
        for (size_t f = 0; f < experiment.factors.size(); ++f) {
            if (experiment.factors[f].name == name) return static_cast<int>(f);
        }
        throw ExperimentError("no factor is named '" + name + "'");
    };
    return {factorOf(text.substr(0, star)), factorOf(text.substr(star + 1))};
}

std::string InteractionName(const Experiment& experiment, const FactorPair& pair) {
    const auto name = [&](int f) {
        return f >= 0 && f < static_cast<int>(experiment.factors.size())
                   ? experiment.factors[f].name
                   : "?";
    };
    return name(pair.first) + "*" + name(pair.second);
}

namespace {

std::string FieldKey(const std::string& section, int index, const std::string& field) {
    if (section.empty()) return field;
    if (section == "signal") return section + "." + field;  // one table, not a list
    return section + "[" + std::to_string(index + 1) + "]." + field;
}

}  // namespace

ExperimentFault::ExperimentFault(std::string section, int index, std::string field,
                                 const std::string& cause)
    : ExperimentError(Error::Placed(cause, "", 0, FieldKey(section, index, field))),
      section(std::move(section)),
      index(index),
      field(std::move(field)) {}

void CheckDesirability(const ExperimentResponse& response, int index) {
    const size_t r = static_cast<size_t>(index);
    if (!(std::isfinite(response.weight) && response.weight > 0.0))
        Refuse("response", r, "weight", "the weight must be a number above 0");
    if (!(std::isfinite(response.importance) && response.importance > 0.0))
        Refuse("response", r, "importance", "the importance must be a number above 0");
    for (const double bound : {response.low, response.high}) {
        if (std::isinf(bound))
            Refuse("response", r, bound == response.low ? "low" : "high", "must be finite");
    }
    const auto text = [](double value) {
        char number[32];
        std::snprintf(number, sizeof number, "%g", value);
        return std::string(number);
    };
    if (response.low >= response.high)
        Refuse(
            "response", r, "high",
            "low (" + text(response.low) + ") must lie below high (" + text(response.high) + ")");
    if (!std::isfinite(response.target) || !IsNominal(response.sn)) return;
    if (response.target < response.low)
        Refuse(
            "response", r, "low",
            "the target " + text(response.target) + " lies below low (" + text(response.low) + ")");
    if (response.target > response.high)
        Refuse("response", r, "high",
               "the target " + text(response.target) + " lies above high (" + text(response.high) +
                   ")");
}

namespace {

// A named outer array with more runs than the noise factors have combinations repeats
// conditions, and the run sheet would have two columns of one name.
void CheckOuterArrayRuns(const Experiment& experiment) {
    if (experiment.outer.kind != OuterArray::Kind::Named) return;
    const std::vector<std::vector<int>> conditions = NoiseConditions(experiment);
    const std::set<std::vector<int>> distinct(conditions.begin(), conditions.end());
    if (distinct.size() < conditions.size())
        Refuse("", 0, "outer",
               ArrayName(experiment.outer.array) + " takes " + std::to_string(conditions.size()) +
                   " noise conditions, but only " + std::to_string(distinct.size()) +
                   " of them differ (" + LevelCountText(NoiseLevelCounts(experiment)) +
                   "); choose full or a smaller array");
}

// Signal levels x noise conditions x repetitions, blamed on the signal, else the last noise
// factor, else the repetitions.
void CheckObservationCount(const Experiment& experiment) {
    const bool signal = experiment.signal.has_value();
    const bool noise = !experiment.noise.empty();
    const char* section = signal ? "signal" : noise ? "noise" : "";
    const char* field = signal || noise ? "levels" : "repetitions";
    const size_t index = signal || !noise ? 0 : experiment.noise.size() - 1;
    long long conditions = 1;
    try {
        conditions = static_cast<long long>(NoiseConditions(experiment).size());
    } catch (const ExperimentError& error) {
        Refuse("noise", experiment.noise.size() - 1, "levels", error.what());
    }
    const long long levels = signal ? static_cast<long long>(experiment.signal->levels.size()) : 1;
    const long long observations = levels * conditions * experiment.repetitions;
    if (observations <= kMostLevels) return;
    std::string parts;
    if (signal) parts += std::to_string(levels) + " signal levels x ";
    if (noise) parts += std::to_string(conditions) + " noise conditions x ";
    parts += std::to_string(experiment.repetitions) +
             (experiment.repetitions == 1 ? " repetition" : " repetitions");
    Refuse(section, index, field,
           parts + " make " + std::to_string(observations) +
               " observations per run and response, more than " + std::to_string(kMostLevels));
}

// What a dynamic response's runs can never give, whatever is observed: fewer observations
// than its form needs, or signal values whose sum of squares (about the form's origin) is 0,
// too small to be a normal number or not finite, so that the slope cannot be computed.
void CheckDynamicRuns(const Experiment& experiment) {
    if (!experiment.signal) return;
    const std::vector<double> signal = SignalValues(experiment);
    const double mean =
        std::accumulate(signal.begin(), signal.end(), 0.0) / static_cast<double>(signal.size());
    const double lowest = *std::min_element(signal.begin(), signal.end());
    for (size_t r = 0; r < experiment.responses.size(); ++r) {
        const std::optional<DynamicKind>& kind = experiment.responses[r].dynamic;
        if (!kind) continue;
        const size_t needed = *kind == DynamicKind::ZeroPoint ? 2 : 3;
        if (signal.size() < needed)
            Refuse("response", r, "sn",
                   std::string("the ") + DynamicKindName(*kind) + " form needs at least " +
                       std::to_string(needed) + " observations per run, the design has " +
                       std::to_string(signal.size()) +
                       " (add a signal level, a noise factor or repetitions)");
        const double origin = *kind == DynamicKind::Linear           ? mean
                              : *kind == DynamicKind::ReferencePoint ? lowest
                                                                     : 0.0;
        double squares = 0.0;
        for (double m : signal)
            squares += (m - origin) * (m - origin);
        if (!std::isfinite(mean) || !std::isfinite(squares) ||
            squares < std::numeric_limits<double>::min())
            Refuse("signal", 0, "levels",
                   std::string("the sum of squares of the signal values (about the ") +
                       DynamicKindName(*kind) + " form's origin) is " + NumberText(squares) +
                       ": the slope of " + experiment.responses[r].name +
                       " could not be computed; choose signal levels nearer 1");
    }
}

}  // namespace

void CheckExperimentEntries(const Experiment& experiment) {
    if (experiment.factors.empty()) Refuse("", 0, "factor", "the experiment has no factor");
    if (experiment.responses.empty()) Refuse("", 0, "response", "the experiment has no response");
    if (experiment.repetitions < 1 || experiment.repetitions > 1000)
        Refuse("", 0, "repetitions", "must be a whole number from 1 to 1000");
    std::set<std::string> names;
    for (size_t f = 0; f < experiment.factors.size(); ++f) {
        const Factor& factor = experiment.factors[f];
        CheckName("factor", f, factor.name, names);
        CheckUnit("factor", f, factor.unit);
        CheckLevels("factor", f, factor.levels, factor.IsNumeric());
    }
    for (size_t n = 0; n < experiment.noise.size(); ++n) {
        CheckName("noise", n, experiment.noise[n].name, names);
        CheckLevels("noise", n, experiment.noise[n].levels, false);
    }
    if (const std::optional<Factor>& signal = experiment.signal) {
        CheckName("signal", 0, signal->name, names);
        CheckUnit("signal", 0, signal->unit);
        if (!signal->IsNumeric())
            Refuse("signal", 0, "levels", "the signal's levels must be numbers");
        CheckLevels("signal", 0, signal->levels, true);
    }
    std::set<std::string> responses;
    for (size_t r = 0; r < experiment.responses.size(); ++r) {
        const ExperimentResponse& response = experiment.responses[r];
        CheckName("response", r, response.name, responses);
        CheckUnit("response", r, response.unit);
        if (IsNominal(response.sn) && !response.dynamic && !std::isfinite(response.target))
            Refuse("response", r, "target", "a nominal S/N kind needs a finite target");
        if (response.dynamic && !experiment.signal)
            Refuse("response", r, "sn", "a dynamic response needs a signal factor");
        if (!response.dynamic && experiment.signal)
            Refuse("response", r, "sn",
                   "with a signal factor every response is dynamic (" + DynamicKindList() + ")");
        CheckDesirability(response, static_cast<int>(r));
    }
    if (experiment.noise.empty() && experiment.outer.kind != OuterArray::Kind::Smallest)
        Refuse("", 0, "outer", "an outer array needs noise factors");
    if (experiment.outer.kind == OuterArray::Kind::Named &&
        !ArrayHolds(experiment.outer.array, NoiseLevelCounts(experiment)))
        Refuse("", 0, "outer",
               ArrayName(experiment.outer.array) + " does not hold the noise factors (" +
                   LevelCountText(NoiseLevelCounts(experiment)) + ")");
    CheckOuterArrayRuns(experiment);
    CheckObservationCount(experiment);
    CheckDynamicRuns(experiment);
    CheckSheetColumns(experiment);
}

void CheckExperiment(const Experiment& experiment) {
    CheckExperimentEntries(experiment);
    if (Catalogue::GetNoRun(experiment.array) == 0)
        Refuse("", 0, "array", "no orthogonal array of the catalogue is chosen");
    CheckColumns(experiment);
    CheckInteractionPairs(experiment);
    CheckInteractionColumns(experiment);
    CheckRunOrder(experiment);
}

namespace {

bool SameLevels(const Factor& a, const Factor& b) {
    if (a.levels.size() != b.levels.size() || a.IsNumeric() != b.IsNumeric()) return false;
    for (size_t l = 0; l < a.levels.size(); ++l) {
        const int level = static_cast<int>(l);
        if (a.IsNumeric() ? a.LevelValue(level) != b.LevelValue(level) : a.levels[l] != b.levels[l])
            return false;
    }
    return true;
}

std::string EntryKey(const char* section, size_t index, const char* field) {
    return std::string(section) + "[" + std::to_string(index + 1) + "]." + field;
}

}  // namespace

std::string ExperimentDifference(const Experiment& a, const Experiment& b) {
    if (a.factors.size() != b.factors.size()) return "factor";
    for (size_t f = 0; f < a.factors.size(); ++f) {
        const Factor &x = a.factors[f], &y = b.factors[f];
        if (x.name != y.name) return EntryKey("factor", f, "name");
        if (x.unit != y.unit) return EntryKey("factor", f, "unit");
        if (!SameLevels(x, y)) return EntryKey("factor", f, "levels");
        if (x.column != y.column) return EntryKey("factor", f, "column");
    }
    if (a.responses.size() != b.responses.size()) return "response";
    for (size_t r = 0; r < a.responses.size(); ++r) {
        const ExperimentResponse &x = a.responses[r], &y = b.responses[r];
        if (x.name != y.name) return EntryKey("response", r, "name");
        if (x.unit != y.unit) return EntryKey("response", r, "unit");
        if (x.sn != y.sn || x.dynamic != y.dynamic) return EntryKey("response", r, "sn");
        const auto differ = [](double u, double v) {
            return u != v && !(std::isnan(u) && std::isnan(v));
        };
        if (differ(x.target, y.target)) return EntryKey("response", r, "target");
        if (differ(x.low, y.low)) return EntryKey("response", r, "low");
        if (differ(x.high, y.high)) return EntryKey("response", r, "high");
        if (x.weight != y.weight) return EntryKey("response", r, "weight");
        if (x.importance != y.importance) return EntryKey("response", r, "importance");
    }
    if (a.noise.size() != b.noise.size()) return "noise";
    for (size_t n = 0; n < a.noise.size(); ++n) {
        if (a.noise[n].name != b.noise[n].name) return EntryKey("noise", n, "name");
        if (a.noise[n].levels != b.noise[n].levels) return EntryKey("noise", n, "levels");
    }
    const auto samePairs = [](const std::vector<FactorPair>& x, const std::vector<FactorPair>& y) {
        return std::equal(x.begin(), x.end(), y.begin(), y.end(),
                          [](const FactorPair& p, const FactorPair& q) {
                              return p.first == q.first && p.second == q.second;
                          });
    };
    if (!samePairs(a.interactions, b.interactions)) return "interactions";
    if (a.outer.kind != b.outer.kind || a.outer.array != b.outer.array) return "outer";
    if (a.signal.has_value() != b.signal.has_value()) return "signal";
    if (a.signal) {
        if (a.signal->name != b.signal->name) return "signal.name";
        if (a.signal->unit != b.signal->unit) return "signal.unit";
        if (!SameLevels(*a.signal, *b.signal)) return "signal.levels";
    }
    if (a.repetitions != b.repetitions) return "repetitions";
    if (a.array != b.array) return "array";
    if (a.runOrder != b.runOrder) return "run_order";
    if (a.randomized != b.randomized) return "randomized";
    if (a.seed != b.seed) return "seed";
    if (a.sheet != b.sheet) return "sheet";
    return "";
}

}  // namespace qvrfc
