#include "qvrfc/analysis/ConfirmationRun.h"

#include <cmath>
#include <cstdlib>

#include "qvrfc/common/QVRFCTextFormat.h"

namespace qvrfc {

Confirmation ConfirmationRun(const Analysis& analysis, int response,
                             const std::vector<FactorLevel>& at,
                             const std::vector<double>& values) {
    const SnKind kind = analysis.responses[response].setting.kind;
    // The values of one run say nothing of a slope without their signal levels.
    if (analysis.responses[response].setting.dynamic)
        throw UsageError(
            "--values",
            FormatText(
                "--values: '%s' is a dynamic response: its confirmation needs the signal level of "
                "each value, as --values \"%s=M:Y,...\"",
                analysis.responses[response].name.c_str(),
                analysis.experiment.signal ? analysis.experiment.signal->name.c_str() : "M"));
    for (const double value : values) {
        if (kind == SnKind::Larger && value <= 0.0)
            throw UsageError(
                "--values",
                FormatText(
                    "--values: %g has no larger-the-better S/N ratio (values must be above 0)",
                    value));
    }
    const Confirmation confirmation =
        Confirm(analysis.model, analysis.responses[response], at, values);
    if (!std::isfinite(confirmation.sn))
        throw UsageError(
            "--values",
            FormatText("--values: their S/N ratio (%s) is not a finite number", SnKindName(kind)));
    return confirmation;
}

Confirmation DynamicConfirmationRun(const Analysis& analysis, int response,
                                    const std::vector<FactorLevel>& at,
                                    const std::vector<double>& signal,
                                    const std::vector<double>& values) {
    const ResponseResult& q = analysis.responses[response];
    if (!q.setting.dynamic)
        throw UsageError("--values",
                         FormatText("--values: '%s' is a static response: its values take no "
                                    "signal level",
                                    q.name.c_str()));
    DynamicRun run;
    try {
        run = DynamicSnOfRun(signal, values, *q.setting.dynamic);
    } catch (const Error& error) {
        throw UsageError("--values", std::string("--values: ") + error.what());
    }
    if (!run.exists) throw UsageError("--values", "--values: " + run.reason);
    Confirmation confirmation;
    confirmation.mean = run.beta;
    confirmation.sn = run.sn;
    confirmation.meanInterval = PredictAt(analysis.model, q.meanAnova, at, 1);
    confirmation.snInterval = PredictAt(analysis.model, q.snAnova, at, 1);
    const auto inside = [](const Prediction& p, double value) {
        return std::isfinite(p.halfWidth) && value >= p.low && value <= p.high;
    };
    confirmation.meanInside = inside(confirmation.meanInterval, run.beta);
    confirmation.snInside = inside(confirmation.snInterval, run.sn);
    return confirmation;
}

namespace {

// "Load=10:2.3" (or "M=10:2.3") as the signal level 10 and the value 2.3; false for a plain
// number.
bool SignalItem(const Analysis& analysis, const std::string& item, double& m, double& y) {
    const size_t equals = item.find('=');
    if (equals == std::string::npos) return false;
    const std::string name = item.substr(0, equals);
    const size_t colon = item.find(':', equals);
    const bool named =
        name == "M" || (analysis.experiment.signal && name == analysis.experiment.signal->name);
    char* end = nullptr;
    const std::string level =
        colon == std::string::npos ? "" : item.substr(equals + 1, colon - equals - 1);
    m = std::strtod(level.c_str(), &end);
    const bool levelRead = !level.empty() && *end == '\0' && std::isfinite(m);
    const std::string value = colon == std::string::npos ? "" : item.substr(colon + 1);
    y = std::strtod(value.c_str(), &end);
    if (!named || !levelRead || value.empty() || *end != '\0' || !std::isfinite(y))
        throw UsageError(
            "--values",
            FormatText("--values: '%s' is not SIGNAL=M:Y with the signal %s (or M), "
                       "a signal level M and a value Y, both finite numbers",
                       item.c_str(),
                       analysis.experiment.signal ? analysis.experiment.signal->name.c_str()
                                                  : "of a dynamic response"));
    return true;
}

}  // namespace

Confirmation ConfirmationRun(const Analysis& analysis, int response,
                             const std::vector<FactorLevel>& at,
                             const std::vector<std::string>& values) {
    std::vector<double> plain, signal, observed;
    for (const std::string& item : values) {
        double m = 0.0, y = 0.0;
        if (SignalItem(analysis, item, m, y)) {
            signal.push_back(m);
            observed.push_back(y);
            continue;
        }
        char* end = nullptr;
        const double value = std::strtod(item.c_str(), &end);
        if (item.empty() || *end != '\0' || !std::isfinite(value))
            throw UsageError("--values",
                             FormatText("--values: '%s' is not a finite number", item.c_str()));
        plain.push_back(value);
    }
    if (!plain.empty() && !signal.empty())
        throw UsageError("--values",
                         "--values: give every value with its signal level (SIGNAL=M:Y) or none");
    return signal.empty() ? ConfirmationRun(analysis, response, at, plain)
                          : DynamicConfirmationRun(analysis, response, at, signal, observed);
}

}  // namespace qvrfc
