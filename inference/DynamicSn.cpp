#include "qvrfc/inference/DynamicSn.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <sstream>

#include "qvrfc/common/QVRFCError.h"

namespace qvrfc {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::string Figure(double value) {
    std::ostringstream text;
    text.precision(6);
    text << value;
    return text.str();
}

void Refuse(const std::string& cause) {
    throw Error(cause);
}

void CheckInput(const std::vector<double>& signal, const std::vector<double>& y, DynamicKind kind,
                const std::optional<double>& reference) {
    if (signal.size() != y.size())
        Refuse("The run has " + std::to_string(signal.size()) + " signal values but " +
               std::to_string(y.size()) + " observations.");
    for (std::size_t i = 0; i < y.size(); ++i)
        if (!std::isfinite(signal[i]) || !std::isfinite(y[i]))
            Refuse("Observation " + std::to_string(i + 1) +
                   " of the run has a signal value or an observation that is not finite.");
    const std::size_t needed = kind == DynamicKind::ZeroPoint ? 2 : 3;
    if (y.size() < needed)
        Refuse(std::string("The ") + DynamicKindName(kind) + " form needs at least " +
               std::to_string(needed) + " observations per run, the run has " +
               std::to_string(y.size()) + ".");
    if (reference && kind != DynamicKind::ReferencePoint)
        Refuse(std::string("A reference signal level applies only to the dynamic-reference "
                           "form, not to the ") +
               DynamicKindName(kind) + " form.");
    if (reference && !std::isfinite(*reference))
        Refuse("The reference signal level is not finite.");
    if (std::all_of(signal.begin(), signal.end(), [](double m) { return m == 0.0; }))
        Refuse("All signal values of the run are zero, so the slope is not defined.");
    if (kind != DynamicKind::ZeroPoint &&
        std::all_of(signal.begin(), signal.end(), [&](double m) { return m == signal[0]; }))
        Refuse(std::string("The ") + DynamicKindName(kind) +
               " form needs at least two distinct signal levels, the run has one.");
    if (reference && std::find(signal.begin(), signal.end(), *reference) == signal.end())
        Refuse("No observation of the run is at the reference signal level " + Figure(*reference) +
               ".");
}

}  // namespace

DynamicRun DynamicSnOfRun(const std::vector<double>& signal, const std::vector<double>& y,
                          DynamicKind kind, std::optional<double> reference) {
    CheckInput(signal, y, kind, reference);
    const std::size_t n = y.size();

    // Every form is a line through the origin on shifted values: none for the zero-point form,
    // the reference point for the reference form, the means for the linear form.
    double shiftM = 0.0;
    double shiftY = 0.0;
    if (kind == DynamicKind::ReferencePoint) {
        shiftM = reference ? *reference : *std::min_element(signal.begin(), signal.end());
        double sum = 0.0;
        int count = 0;
        for (std::size_t i = 0; i < n; ++i)
            if (signal[i] == shiftM) {
                sum += y[i];
                ++count;
            }
        shiftY = sum / count;
    } else if (kind == DynamicKind::Linear) {
        for (std::size_t i = 0; i < n; ++i) {
            shiftM += signal[i];
            shiftY += y[i];
        }
        shiftM /= double(n);
        shiftY /= double(n);
    }

    DynamicRun run;
    double l = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const double m = signal[i] - shiftM;
        const double v = y[i] - shiftY;
        run.r += m * m;
        l += m * v;
        run.sT += v * v;
    }
    if (!std::isfinite(run.r) || !std::isfinite(l) || !std::isfinite(run.sT))
        Refuse("The run's values are too large for their sums of squares to be finite.");
    run.beta = l / run.r;
    run.alpha = kind == DynamicKind::Linear ? shiftY - run.beta * shiftM : kNaN;
    run.sBeta = l * l / run.r;
    double se = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const double residual = (y[i] - shiftY) - run.beta * (signal[i] - shiftM);
        se += residual * residual;
    }
    if (se <= 1e-24 * run.sT) se = 0.0;
    run.dof = int(n) - (kind == DynamicKind::ZeroPoint ? 1 : 2);
    run.ve = se / run.dof;

    run.sn = kNaN;
    run.sensitivity = kNaN;
    if (run.sBeta <= run.ve) {
        run.reason = "S_beta (" + Figure(run.sBeta) + ") does not exceed V_e (" + Figure(run.ve) +
                     "): the signal's effect cannot be told from the noise, so neither the S/N "
                     "ratio nor the sensitivity exists.";
        return run;
    }
    const double beta2 = (run.sBeta - run.ve) / run.r;
    run.sensitivity = 10.0 * std::log10(beta2);
    if (run.ve == 0.0) {
        run.reason =
            "V_e is zero: the observations lie exactly on the line, so the S/N ratio "
            "does not exist.";
        return run;
    }
    run.sn = 10.0 * std::log10(beta2 / run.ve);
    run.exists = true;
    return run;
}

}  // namespace qvrfc
