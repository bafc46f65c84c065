#include "AnalysisSettings.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "CliError.h"
#include "common/QVRFCFactorNames.h"

namespace qvrfcdoe {
namespace {

const char* const kSnForm = "QUALITY=TYPE[:TARGET]";
const char* const kPoolForm = "QUALITY=FACTORS, auto or lenth";

// The quality number before '=' and the text after it.
int SplitQuality(const std::string& option, const std::string& text, const char* form,
                 std::string& rest) {
    const size_t equals = text.find('=');
    if (equals == std::string::npos)
        throw UsageError(Text("%s '%s': expected %s, with QUALITY counted from 1", option.c_str(),
                              text.c_str(), form));
    const std::string number = text.substr(0, equals);
    errno = 0;
    char* end = nullptr;
    const long quality = std::strtol(number.c_str(), &end, 10);
    if (number.empty() || *end != '\0' || errno != 0 || quality < 1 || quality > INT_MAX)
        throw UsageError(Text("%s '%s': quality '%s' is not a number from 1 up", option.c_str(),
                              text.c_str(), number.c_str()));
    rest = text.substr(equals + 1);
    return static_cast<int>(quality);
}

double ParseTarget(const std::string& text, const std::string& target) {
    errno = 0;
    char* end = nullptr;
    const double value = std::strtod(target.c_str(), &end);
    if (target.empty() || *end != '\0' || errno != 0 || !std::isfinite(value))
        throw UsageError(
            Text("--sn '%s': target '%s' is not a number", text.c_str(), target.c_str()));
    return value;
}

// A factor by name (A, ..., Z, AA, ...) or by number from 1; -1 for anything else.
int ParseFactor(const std::string& name) {
    if (name.empty() || name.size() > 9) return -1;
    if (std::all_of(name.begin(), name.end(),
                    [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
        return std::atoi(name.c_str()) - 1;
    return qvrfc::FactorIndex(name);
}

}  // namespace

QualitySetting ParseQualitySetting(const std::string& text) {
    QualitySetting setting;
    setting.text = text;
    std::string rest;
    setting.quality = SplitQuality("--sn", text, kSnForm, rest);
    const size_t colon = rest.find(':');
    const std::string name = rest.substr(0, colon);
    if (colon != std::string::npos) setting.target = ParseTarget(text, rest.substr(colon + 1));
    if (!qvrfc::SnKindFromName(name, setting.kind))
        throw UsageError(Text("--sn '%s': unknown S/N type '%s' (one of %s)", text.c_str(),
                              name.c_str(), qvrfc::SnKindList().c_str()));
    return setting;
}

PoolSetting ParsePoolSetting(const std::string& text) {
    PoolSetting setting;
    setting.text = text;
    std::string rest;
    setting.quality = SplitQuality("--pool", text, kPoolForm, rest);
    size_t start = 0;
    while (start <= rest.size()) {
        const size_t comma = std::min(rest.find(',', start), rest.size());
        const std::string name = rest.substr(start, comma - start);
        const int factor = ParseFactor(name);
        if (factor < 0)
            throw UsageError(
                Text("--pool '%s': '%s' is not a factor (A, B, ..., Z, AA, ... or a "
                     "number from 1)",
                     text.c_str(), name.c_str()));
        setting.factors.push_back(factor);
        start = comma + 1;
    }
    return setting;
}

AnalysisSettings ParseAnalysisOptions(const AnalysisOptions& options) {
    AnalysisSettings settings;
    for (const std::string& text : options.sn)
        settings.qualities.push_back(ParseQualitySetting(text));
    for (const std::string& text : options.pool) {
        if (text != "auto" && text != "lenth") {
            settings.pools.push_back(ParsePoolSetting(text));
            continue;
        }
        const qvrfc::PoolingRule rule =
            text == "auto" ? qvrfc::PoolingRule::Auto : qvrfc::PoolingRule::Lenth;
        if (settings.rule != qvrfc::PoolingRule::None && settings.rule != rule)
            throw UsageError(Text("--pool '%s': only one pooling rule, auto or lenth, can be given",
                                  text.c_str()));
        settings.rule = rule;
    }
    if (!(options.alpha > 0.0 && options.alpha < 1.0))
        throw UsageError(Text("--alpha '%g': must lie between 0 and 1", options.alpha));
    settings.alpha = options.alpha;
    settings.interactions = options.interactions;
    return settings;
}

}  // namespace qvrfcdoe
