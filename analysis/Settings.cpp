#include "qvrfc/analysis/Settings.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "qvrfc/common/QVRFCError.h"
#include "qvrfc/common/QVRFCTextFormat.h"
#include "qvrfc/experiment/ArrayCatalogue.h"
#include "qvrfc/experiment/Experiment.h"

namespace qvrfc {
namespace {

const char* const kSnForm = "RESPONSE=TYPE[:TARGET]";
const char* const kPoolForm = "RESPONSE=FACTORS, RESPONSE=auto|lenth, auto or lenth";

bool IsWholeNumber(const std::string& text) {
    return !text.empty() && text.size() < 10 && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c));
    });
}

// The response before the first '=' (a name, or a number from 1, resolved once the analysis
// knows its responses) and the text after it.
std::string SplitResponse(const char* option, const std::string& text, const char* form,
                          std::string& rest) {
    const size_t equals = text.find('=');
    if (equals == std::string::npos)
        throw UsageError(FormatText("%s '%s': expected %s, with RESPONSE named or counted from 1",
                                    option, text.c_str(), form));
    const std::string response = TrimBlanks(text.substr(0, equals));
    if (response.empty())
        throw UsageError(FormatText("%s '%s': no response before '='", option, text.c_str()));
    if (IsWholeNumber(response) && std::atoi(response.c_str()) < 1)
        throw UsageError(FormatText("%s '%s': response '%s' is not a number from 1 up", option,
                                    text.c_str(), response.c_str()));
    rest = text.substr(equals + 1);
    return response;
}

double ParseTarget(const std::string& text, const std::string& target) {
    errno = 0;
    char* end = nullptr;
    const double value = std::strtod(target.c_str(), &end);
    if (target.empty() || *end != '\0' || errno != 0 || !std::isfinite(value))
        throw UsageError(
            FormatText("--sn '%s': target '%s' is not a number", text.c_str(), target.c_str()));
    return value;
}

double ParseValue(const char* option, const std::string& text, const std::string& value) {
    errno = 0;
    char* end = nullptr;
    const double number = std::strtod(value.c_str(), &end);
    if (value.empty() || *end != '\0' || errno != 0 || !std::isfinite(number))
        throw UsageError(
            FormatText("%s '%s': '%s' is not a number", option, text.c_str(), value.c_str()));
    return number;
}

// The text split at each separator, every part kept (empty ones too).
std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = std::min(text.find(separator, start), text.size());
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

DesirabilitySetting ParseDesirabilitySetting(const std::string& text) {
    const char* const option = "--desirability";
    DesirabilitySetting setting;
    setting.text = text;
    const size_t equals = text.find('=');
    if (equals == std::string::npos || TrimBlanks(text.substr(0, equals)).empty())
        throw UsageError(
            FormatText("%s '%s': expected RESPONSE=KEY:VALUE,... with keys low, "
                       "high, weight (or s), importance, target and t",
                       option, text.c_str()));
    setting.named = TrimBlanks(text.substr(0, equals));
    for (const std::string& item : Split(text.substr(equals + 1), ',')) {
        const size_t colon = item.find(':');
        const std::string key = TrimBlanks(item.substr(0, colon));
        double* slot = key == "low"                    ? &setting.low
                       : key == "high"                 ? &setting.high
                       : key == "weight" || key == "s" ? &setting.weight
                       : key == "importance"           ? &setting.importance
                       : key == "target"               ? &setting.target
                       : key == "t"                    ? &setting.weightAbove
                                                       : nullptr;
        if (!slot || colon == std::string::npos)
            throw UsageError(
                FormatText("%s '%s': '%s' is not KEY:VALUE with a key of low, high, "
                           "weight (or s), importance, target and t",
                           option, text.c_str(), item.c_str()));
        if (!std::isnan(*slot))
            throw UsageError(
                FormatText("%s '%s': %s is given twice", option, text.c_str(), key.c_str()));
        *slot = ParseValue(option, text, TrimBlanks(item.substr(colon + 1)));
    }
    if (!std::isnan(setting.weightAbove) && !(setting.weightAbove > 0.0))
        throw UsageError(FormatText("%s '%s': t must be a number above 0", option, text.c_str()));
    if (!std::isnan(setting.weightAbove) && std::isnan(setting.target))
        throw UsageError(FormatText("%s '%s': t is the exponent above a target; give the target",
                                    option, text.c_str()));
    return setting;
}

bool RuleOf(const std::string& word, PoolingRule& rule) {
    if (word == "auto") rule = PoolingRule::Auto;
    if (word == "lenth") rule = PoolingRule::Lenth;
    return word == "auto" || word == "lenth";
}

}  // namespace

SnSetting ParseSnSetting(const std::string& text) {
    SnSetting setting;
    setting.text = text;
    std::string rest;
    setting.named = SplitResponse("--sn", text, kSnForm, rest);
    const size_t colon = rest.find(':');
    const std::string name = rest.substr(0, colon);
    if (colon != std::string::npos) setting.target = ParseTarget(text, rest.substr(colon + 1));
    if (!SnKindFromName(name, setting.kind))
        throw UsageError(FormatText("--sn '%s': unknown S/N type '%s' (one of %s)", text.c_str(),
                                    name.c_str(), SnKindList().c_str()));
    return setting;
}

PoolSetting ParsePoolSetting(const std::string& text) {
    PoolSetting setting;
    setting.text = text;
    if (RuleOf(text, setting.rule)) return setting;
    std::string rest;
    setting.named = SplitResponse("--pool", text, kPoolForm, rest);
    if (RuleOf(rest, setting.rule)) return setting;
    size_t start = 0;
    while (start <= rest.size()) {
        const size_t comma = std::min(rest.find(',', start), rest.size());
        const std::string term = rest.substr(start, comma - start);
        if (term.empty())
            throw UsageError(FormatText("--pool '%s': an empty factor name", text.c_str()));
        setting.terms.push_back(term);
        start = comma + 1;
    }
    return setting;
}

std::vector<DesirabilitySetting> ParseDesirabilitySettings(const std::string& text) {
    std::vector<DesirabilitySetting> settings;
    for (const std::string& part : Split(text, ';'))
        settings.push_back(ParseDesirabilitySetting(part));
    return settings;
}

CombineMethod ParseCombineMethod(const std::string& text) {
    if (text == "desirability") return CombineMethod::Desirability;
    if (text == "grey") return CombineMethod::Grey;
    throw UsageError(FormatText("--combine '%s': expected desirability or grey", text.c_str()));
}

GreyFrom ParseGreyFrom(const std::string& text) {
    if (text == "sn") return GreyFrom::Sn;
    if (text == "mean") return GreyFrom::Mean;
    throw UsageError(FormatText("--grey-from '%s': expected mean or sn", text.c_str()));
}

void CheckZeta(double zeta) {
    if (!(zeta > 0.0 && zeta <= 1.0))
        throw UsageError(FormatText("--zeta '%g': must lie in (0, 1]", zeta));
}

void CheckAlpha(double alpha) {
    if (!(alpha > 0.0 && alpha < 1.0))
        throw UsageError(FormatText("--alpha '%g': must lie between 0 and 1", alpha));
}

AnalysisSettings SettingsOfOptions(const AnalysisOptions& options) {
    AnalysisSettings settings;
    for (const std::string& text : options.sn)
        settings.sn.push_back(ParseSnSetting(text));
    for (const std::string& text : options.pool)
        settings.pools.push_back(ParsePoolSetting(text));
    settings.interactions = options.interactions;
    for (const std::string& text : options.desirability) {
        for (const DesirabilitySetting& setting : ParseDesirabilitySettings(text))
            settings.desirability.push_back(setting);
    }
    CheckAlpha(options.alpha);
    settings.alpha = options.alpha;
    settings.combine = ParseCombineMethod(options.combine);
    CheckZeta(options.zeta);
    settings.zeta = options.zeta;
    settings.greyFrom = ParseGreyFrom(options.greyFrom);
    try {
        if (!options.array.empty()) settings.array = ArrayOfText(options.array);
    } catch (const Error& error) {
        throw UsageError(std::string("--array: ") + error.what());
    }
    return settings;
}

int ResponseOfText(const std::vector<std::string>& names, const std::string& given) {
    const std::string text = TrimBlanks(given);
    const int count = static_cast<int>(names.size());
    for (int r = 0; r < count; ++r) {
        if (names[r] == text) return r;
    }
    if (!IsWholeNumber(text)) return -1;
    const int number = std::atoi(text.c_str());
    return number >= 1 && number <= count ? number - 1 : -1;
}

int RequireResponse(const char* option, const std::string& text, const std::string& named,
                    const std::vector<std::string>& names, const std::string& source) {
    const int response = ResponseOfText(names, named);
    if (response >= 0) return response;
    const int count = static_cast<int>(names.size());
    if (IsWholeNumber(TrimBlanks(named)))
        throw Error(FormatText("%s '%s': response %s is out of range ('%s' has %d %s)", option,
                               text.c_str(), TrimBlanks(named).c_str(), source.c_str(), count,
                               count == 1 ? "response" : "responses"));
    throw Error(
        FormatText("%s '%s': the experiment has no response '%s' (name one, or number it "
                   "from 1 to %d)",
                   option, text.c_str(), TrimBlanks(named).c_str(), count));
}

int RequireResponse(const char* option, const std::string& text, const Experiment& experiment,
                    const std::string& source) {
    std::vector<std::string> names;
    for (const ExperimentResponse& response : experiment.responses)
        names.push_back(response.name);
    return RequireResponse(option, text, text, names, source);
}

void ResolveResponses(AnalysisSettings& settings, const std::vector<std::string>& names,
                      const std::string& source) {
    // A setting made in code may carry its number alone; a pool's none is every response.
    const auto resolve = [&](const char* option, const std::string& text, const std::string& named,
                             int& response, bool everyOne) {
        if (named.empty() && response == 0 && everyOne) return;
        const bool numbered = named.empty() && response >= 1 && response <= int(names.size());
        if (!numbered)
            response =
                RequireResponse(option, text, named.empty() ? std::to_string(response) : named,
                                names, source) +
                1;
    };
    for (SnSetting& setting : settings.sn)
        resolve("--sn", setting.text, setting.named, setting.response, false);
    for (PoolSetting& setting : settings.pools)
        resolve("--pool", setting.text, setting.named, setting.response, true);
    for (DesirabilitySetting& setting : settings.desirability)
        resolve("--desirability", setting.text, setting.named, setting.response, false);
}

}  // namespace qvrfc
