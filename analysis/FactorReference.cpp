// Factors and levels as settings name them: the experiment's names, letters or numbers.
#include <algorithm>
#include <cctype>

#include "analysis/AnalysisParts.h"
#include "qvrfc/common/QVRFCError.h"
#include "qvrfc/common/QVRFCFactorNames.h"
#include "qvrfc/common/QVRFCTextFormat.h"

namespace qvrfc {
namespace {

bool IsWholeNumber(const std::string& text) {
    return !text.empty() && text.size() < 10 && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c));
    });
}

int LevelOfText(const Analysis& analysis, int factor, const std::string& text) {
    const Factor& named = analysis.experiment.factors[factor];
    const int level = named.LevelOf(text);
    // A level as written first; else its number from 1 ("Resin=2" is Resin's second level).
    if (level >= 0 || !IsWholeNumber(text)) return level;
    const int number = std::stoi(text);
    return number >= 1 && number <= static_cast<int>(named.levels.size()) ? number - 1 : -1;
}

}  // namespace

int FactorOfText(const Experiment& experiment, const std::string& given) {
    const std::string text = TrimBlanks(given);
    const int factors = static_cast<int>(experiment.factors.size());
    for (int f = 0; f < factors; ++f) {
        if (experiment.factors[f].name == text) return f;
    }
    const int letter = FactorIndex(text);
    if (letter >= 0 && letter < factors) return letter;
    if (IsWholeNumber(text)) {
        const int number = std::stoi(text);
        if (number >= 1 && number <= factors) return number - 1;
    }
    return -1;
}

std::vector<FactorLevel> ParseLevels(const Analysis& analysis, const std::string& text) {
    std::vector<FactorLevel> levels;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t comma = std::min(text.find(',', start), text.size());
        const std::string item = text.substr(start, comma - start);
        start = comma + 1;
        const size_t equals = item.find('=');
        if (equals == std::string::npos)
            throw UsageError(
                "--at", FormatText("--at '%s': expected FACTOR=LEVEL, e.g. A=3", item.c_str()));
        const std::string name = TrimBlanks(item.substr(0, equals));
        const int factor = FactorOfText(analysis.experiment, name);
        if (factor < 0)
            throw OptionError("--at", FormatText("--at '%s': the experiment has no factor '%s'",
                                                 item.c_str(), name.c_str()));
        const std::string& factorName = analysis.experiment.factors[factor].name;
        if (MainEffectTermOf(analysis.model.terms, factor) < 0)
            throw OptionError(
                "--at", FormatText("--at '%s': factor '%s' is not in the model, its column holds "
                                   "a declared interaction",
                                   item.c_str(), factorName.c_str()));
        const std::string levelText = TrimBlanks(item.substr(equals + 1));
        const int level = LevelOfText(analysis, factor, levelText);
        if (level < 0)
            throw OptionError("--at",
                              FormatText("--at '%s': factor '%s' has no level '%s'", item.c_str(),
                                         factorName.c_str(), levelText.c_str()));
        for (const FactorLevel& earlier : levels) {
            if (earlier.factor == factor)
                throw UsageError("--at", FormatText("--at '%s': factor '%s' is given twice",
                                                    text.c_str(), factorName.c_str()));
        }
        levels.push_back({factor, level});
    }
    return levels;
}

}  // namespace qvrfc
