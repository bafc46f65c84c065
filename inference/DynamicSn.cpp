#include "qvrfc/inference/DynamicSn.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <sstream>
#include <utility>

#include "qvrfc/common/QVRFCError.h"
#include "qvrfc/inference/ResponseAnova.h"

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

// Every form is a line through the origin on shifted values: none for the zero-point form,
// the reference point for the reference form, the means for the linear form.
std::pair<double, double> ShiftsOf(const std::vector<double>& signal, const std::vector<double>& y,
                                   DynamicKind kind, const std::optional<double>& reference) {
    const std::size_t n = y.size();
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
    return {shiftM, shiftY};
}

}  // namespace

DynamicRun DynamicSnOfRun(const std::vector<double>& signal, const std::vector<double>& y,
                          DynamicKind kind, std::optional<double> reference) {
    CheckInput(signal, y, kind, reference);
    const std::size_t n = y.size();

    const auto [shiftM, shiftY] = ShiftsOf(signal, y, kind, reference);

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

namespace {

// Sums under each condition of the shifted values: L_i, r_i and the quadratic column's.
struct ConditionSums {
    std::vector<double> l, r, mq;
};

// The p of a quadratic term added to the slopes per condition, from the residuals e of those
// slopes and the quadratic column q, made orthogonal to them within each condition.
double QuadraticP(const std::vector<double>& m, const std::vector<double>& q,
                  const std::vector<double>& e, const std::vector<int>& condition,
                  const ConditionSums& sums, double sE, int dof) {
    double qq = 0.0, qe = 0.0, raw = 0.0;
    for (std::size_t i = 0; i < m.size(); ++i) {
        const int c = condition[i];
        const double slope = sums.r[c] > 0.0 ? sums.mq[c] / sums.r[c] : 0.0;
        const double residual = q[i] - slope * m[i];
        qq += residual * residual;
        qe += residual * e[i];
        raw += q[i] * q[i];
    }
    if (dof < 1 || !(qq > 1e-12 * raw)) return kNaN;
    const double reduction = qe * qe / qq;
    const double rest = std::max(sE - reduction, 0.0);
    if (rest <= 0.0) return 0.0;
    return FisherUpperTail(reduction / (rest / dof), 1.0, dof);
}

}  // namespace

void AddNoiseDecomposition(DynamicRun& run, const std::vector<double>& signal,
                           const std::vector<double>& y, const std::vector<int>& condition,
                           int conditions, DynamicKind kind) {
    const auto [shiftM, shiftY] = ShiftsOf(signal, y, kind, std::nullopt);
    const std::size_t n = y.size();
    std::vector<double> m(n), v(n), q(n);
    double meanSquare = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        m[i] = signal[i] - shiftM;
        v[i] = y[i] - shiftY;
        q[i] = m[i] * m[i];
        meanSquare += q[i] / double(n);
    }
    if (kind == DynamicKind::Linear)
        for (double& value : q)
            value -= meanSquare;
    ConditionSums sums{std::vector<double>(conditions, 0.0), std::vector<double>(conditions, 0.0),
                       std::vector<double>(conditions, 0.0)};
    for (std::size_t i = 0; i < n; ++i) {
        sums.l[condition[i]] += m[i] * v[i];
        sums.r[condition[i]] += m[i] * m[i];
        sums.mq[condition[i]] += m[i] * q[i];
    }
    double within = 0.0;
    int slopes = 0;
    run.betaByNoise.assign(conditions, kNaN);
    for (int c = 0; c < conditions; ++c) {
        if (!(sums.r[c] > 0.0)) continue;
        run.betaByNoise[c] = sums.l[c] / sums.r[c];
        within += sums.l[c] * sums.l[c] / sums.r[c];
        ++slopes;
    }
    std::vector<double> e(n);
    double sE = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const double beta = run.betaByNoise[condition[i]];
        e[i] = v[i] - (std::isfinite(beta) ? beta * m[i] : 0.0);
        sE += e[i] * e[i];
    }
    if (sE <= 1e-24 * run.sT) sE = 0.0;
    const int shift = kind == DynamicKind::ZeroPoint ? 0 : 1;
    run.sNBeta = std::max(within - run.sBeta, 0.0);
    run.sE = sE;
    run.dofE = int(n) - slopes - shift;
    run.dofN = int(n) - 1 - shift;
    run.veWithin = run.dofE > 0 ? sE / run.dofE : kNaN;
    run.vN = run.dofN > 0 ? (run.sNBeta + sE) / run.dofN : kNaN;
    run.linearityP = QuadraticP(m, q, e, condition, sums, sE, run.dofE - 1);
}

}  // namespace qvrfc
