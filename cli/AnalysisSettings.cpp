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

using Analyzer = CQVRFCDOEAnalyzer;

const char* const kSnForm = "QUALITY=TYPE[:TARGET]";
const char* const kPoolForm = "QUALITY=FACTORS";

struct SnTypeName {
    const char* name;
    Analyzer::SN_RATIO_TYPE type;
};

// The S/N ratio types as the command line names them.
const SnTypeName kSnTypeNames[] = {
    {"nominal1", Analyzer::NOMINAL_THE_BEST_1}, {"nominal2", Analyzer::NOMINAL_THE_BEST_2},
    {"nominal3", Analyzer::NOMINAL_THE_BEST_3}, {"nominal4", Analyzer::NOMINAL_THE_BEST_4},
    {"smaller", Analyzer::SMALLER_THE_BETTER},  {"larger", Analyzer::LARGER_THE_BETTER},
};

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

// QUALITY=NAME[:TARGET] of --sn, the name not yet looked up.
struct SnParts {
    int quality = 0;
    std::string name;
    double target = 0.0;
};

SnParts SplitSn(const std::string& text) {
    SnParts parts;
    std::string rest;
    parts.quality = SplitQuality("--sn", text, kSnForm, rest);
    const size_t colon = rest.find(':');
    parts.name = rest.substr(0, colon);
    if (colon != std::string::npos) parts.target = ParseTarget(text, rest.substr(colon + 1));
    return parts;
}

CliError UnknownSnType(const std::string& text, const std::string& name, const std::string& list) {
    return UsageError(Text("--sn '%s': unknown S/N type '%s' (one of %s)", text.c_str(),
                           name.c_str(), list.c_str()));
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

std::string SnTypeList() {
    std::string list;
    for (const SnTypeName& entry : kSnTypeNames)
        list += (list.empty() ? "" : ", ") + std::string(entry.name);
    return list;
}

QualitySetting ParseQualitySetting(const std::string& text) {
    QualitySetting setting;
    const SnParts parts = SplitSn(text);
    setting.text = text;
    setting.quality = parts.quality;
    setting.target = parts.target;
    bool known = false;
    for (const SnTypeName& entry : kSnTypeNames) {
        if (parts.name == entry.name) {
            setting.type = entry.type;
            known = true;
        }
    }
    if (!known) throw UnknownSnType(text, parts.name, SnTypeList());
    return setting;
}

VerdictSnSetting ParseVerdictSnSetting(const std::string& text) {
    VerdictSnSetting setting;
    const SnParts parts = SplitSn(text);
    setting.text = text;
    setting.quality = parts.quality;
    setting.target = parts.target;
    if (!qvrfc::SnKindFromName(parts.name, setting.kind))
        throw UnknownSnType(text, parts.name, qvrfc::SnKindList());
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

}  // namespace qvrfcdoe
