#include "qvrfc/analysis/Settings.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "qvrfc/common/QVRFCError.h"
#include "qvrfc/common/QVRFCTextFormat.h"

namespace qvrfc {
namespace {

const char* const kSnForm = "RESPONSE=TYPE[:TARGET]";
const char* const kPoolForm = "RESPONSE=FACTORS, RESPONSE=auto|lenth, auto or lenth";

// The response number before '=' and the text after it.
int SplitResponse(const char* option, const std::string& text, const char* form,
                  std::string& rest) {
    const size_t equals = text.find('=');
    if (equals == std::string::npos)
        throw UsageError(FormatText("%s '%s': expected %s, with RESPONSE counted from 1", option,
                                    text.c_str(), form));
    const std::string number = text.substr(0, equals);
    errno = 0;
    char* end = nullptr;
    const long response = std::strtol(number.c_str(), &end, 10);
    if (number.empty() || *end != '\0' || errno != 0 || response < 1 || response > INT_MAX)
        throw UsageError(FormatText("%s '%s': response '%s' is not a number from 1 up", option,
                                    text.c_str(), number.c_str()));
    rest = text.substr(equals + 1);
    return static_cast<int>(response);
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
    setting.response = SplitResponse("--sn", text, kSnForm, rest);
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
    setting.response = SplitResponse("--pool", text, kPoolForm, rest);
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

void CheckAlpha(double alpha) {
    if (!(alpha > 0.0 && alpha < 1.0))
        throw UsageError(FormatText("--alpha '%g': must lie between 0 and 1", alpha));
}

}  // namespace qvrfc
