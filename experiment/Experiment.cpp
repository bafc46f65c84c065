#include "experiment/Experiment.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>

#include "experiment/ArrayChoice.h"

namespace qvrfc {
namespace {

using Analyzer = CQVRFCDOEAnalyzer;
using Catalogue = CQVRFCDOETaguchiOrthogonalArray;

[[noreturn]] void Refuse(const char* section, size_t index, const char* field,
                         const std::string& cause) {
    throw ExperimentFault(section, static_cast<int>(index), field, cause);
}

void CheckName(const char* section, size_t index, const std::string& name,
               std::set<std::string>& seen) {
    if (name.empty()) Refuse(section, index, "name", "the name is empty");
    if (!seen.insert(name).second) Refuse(section, index, "name", "'" + name + "' is named twice");
}

void CheckLevels(const char* section, size_t index, const std::vector<std::string>& levels) {
    if (levels.size() < 2) Refuse(section, index, "levels", "at least two levels are needed");
    std::set<std::string> seen;
    for (const std::string& level : levels) {
        if (level.empty()) Refuse(section, index, "levels", "a level is empty");
        if (!seen.insert(level).second)
            Refuse(section, index, "levels", "the level '" + level + "' is given twice");
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
    for (size_t l = 0; l < levels.size(); ++l) {
        if (numeric ? cell == LevelValue(static_cast<int>(l)) : text == levels[l])
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
    char text[32];
    for (int precision = 1; precision <= 17; ++precision) {
        std::snprintf(text, sizeof text, "%.*g", precision, value);
        if (std::strtod(text, nullptr) == value) break;
    }
    return text;
}

std::vector<std::vector<int>> NoiseConditions(const Experiment& experiment) {
    std::vector<int> counts;
    int combinations = 1;
    for (const NoiseFactor& noise : experiment.noise) {
        counts.push_back(static_cast<int>(noise.levels.size()));
        combinations *= counts.back();
        if (combinations > 100000) break;
    }
    std::vector<std::vector<int>> conditions;
    const OA_TYPE outer = counts.empty() ? Catalogue::OA_UNDEFINED : ChooseArray(counts);
    if (outer == Catalogue::OA_UNDEFINED && combinations > 1000)
        throw ExperimentError("the noise factors make more than 1000 conditions");
    if (outer != Catalogue::OA_UNDEFINED && Catalogue::GetNoRun(outer) < combinations) {
        // Too many combinations: the runs of the smallest array that holds the noise factors.
        std::vector<int> levels(counts.size());
        for (int run = 0; run < Catalogue::GetNoRun(outer); ++run) {
            std::vector<int> used;
            std::vector<int> condition;
            for (size_t n = 0; n < counts.size(); ++n) {
                int column = 0;
                while (Catalogue::GetNoLevel(outer, column) != counts[n] ||
                       std::count(used.begin(), used.end(), column) != 0)
                    ++column;
                used.push_back(column);
                condition.push_back(ArrayLevel(outer, run, column) - 1);
            }
            conditions.push_back(condition);
        }
        return conditions;
    }
    for (int c = 0; c < combinations; ++c) {
        std::vector<int> condition(counts.size());
        int rest = c;
        for (size_t n = counts.size(); n-- > 0;) {
            condition[n] = rest % counts[n];
            rest /= counts[n];
        }
        conditions.push_back(condition);
    }
    return conditions;
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
    return static_cast<int>(NoiseConditions(experiment).size()) * experiment.repetitions;
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

std::string ExperimentFault::Key() const {
    if (section.empty()) return field;
    return section + "[" + std::to_string(index + 1) + "]." + field;
}

void CheckExperiment(const Experiment& experiment) {
    if (experiment.factors.empty()) Refuse("", 0, "factor", "the experiment has no factor");
    if (experiment.responses.empty()) Refuse("", 0, "response", "the experiment has no response");
    if (experiment.repetitions < 1 || experiment.repetitions > 1000)
        Refuse("", 0, "repetitions", "must be a whole number from 1 to 1000");
    std::set<std::string> names;
    for (size_t f = 0; f < experiment.factors.size(); ++f) {
        CheckName("factor", f, experiment.factors[f].name, names);
        CheckLevels("factor", f, experiment.factors[f].levels);
    }
    for (size_t n = 0; n < experiment.noise.size(); ++n) {
        CheckName("noise", n, experiment.noise[n].name, names);
        CheckLevels("noise", n, experiment.noise[n].levels);
    }
    std::set<std::string> responses;
    for (size_t r = 0; r < experiment.responses.size(); ++r) {
        const ExperimentResponse& response = experiment.responses[r];
        CheckName("response", r, response.name, responses);
        if (IsNominal(response.sn) && !std::isfinite(response.target))
            Refuse("response", r, "target", "a nominal S/N kind needs a finite target");
    }
    if (!experiment.noise.empty() && ObservationCount(experiment) > 1000)
        Refuse("noise", experiment.noise.size() - 1, "levels",
               "more than 1000 observations per run and response");
    if (Catalogue::GetNoRun(experiment.array) == 0)
        Refuse("", 0, "array", "no orthogonal array of the catalogue is chosen");
    CheckColumns(experiment);
    CheckInteractionPairs(experiment);
    CheckInteractionColumns(experiment);
    CheckRunOrder(experiment);
}

}  // namespace qvrfc
