// The S/N ratio and sensitivity of one run of a dynamic characteristic: a response y that
// should follow a signal M, observed at every signal level under every noise condition and
// repetition (N values in all, in any order).
//
// dynamic (zero-point proportional, y = beta M):
//   r = sum M^2, L = sum M y, beta = L / r, S_beta = L^2 / r, S_T = sum y^2,
//   V_e = (S_T - S_beta) / (N - 1).
// dynamic-reference (reference-point proportional, y - y_ref = beta (M - M_ref)): M' = M - M_ref
//   and y' = y - y_ref, y_ref the mean of the observations at the reference level M_ref (by
//   default the smallest signal level); then the zero-point sums on M' and y', except that
//   V_e = (S_T - S_beta) / (N - 2): y_ref is estimated from the data and costs one degree of
//   freedom beside beta (the observations at M_ref, shifted by their own mean, sum to zero).
// dynamic-linear (y = alpha + beta M): r = S_xx = sum (M - mean M)^2, S_xy = sum (M - mean M)
//   (y - mean y), beta = S_xy / S_xx, alpha = mean y - beta mean M, S_beta = S_xy^2 / S_xx,
//   S_T = S_yy = sum (y - mean y)^2, V_e = (S_T - S_beta) / (N - 2).
//
// In every form the S/N ratio is the textbook dynamic one, beta^2 / sigma^2 with beta^2
// estimated without bias by (S_beta - V_e) / r and sigma^2 by V_e:
//   eta = 10 log10(((S_beta - V_e) / r) / V_e) dB, sensitivity S = 10 log10((S_beta - V_e) / r).
// S_T - S_beta is taken as the sum of squared residuals, which is the same sum without the
// cancellation; one below 1e-24 of S_T is rounding of an exact fit and is taken as zero.
//
// When S_beta <= V_e neither eta nor S exists (the signal's effect is not distinguishable from
// the noise); when V_e is zero (the observations lie exactly on the line) eta does not exist,
// while S does. A figure that does not exist is NaN and the reason says why, in one sentence
// without the run, which the caller names.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "qvrfc/common/QVRFCExport.h"
#include "qvrfc/experiment/SnKind.h"

namespace qvrfc {

// One run's figures. r is the divisor of the form: sum M^2, sum M'^2 or S_xx.
struct DynamicRun {
    double beta = 0.0;
    double alpha = 0.0;  // the linear form's intercept; NaN for the other forms
    double r = 0.0;
    double sBeta = 0.0;
    double sT = 0.0;
    double ve = 0.0;
    int dof = 0;  // of V_e
    double sn = 0.0;
    double sensitivity = 0.0;
    bool exists = false;  // whether sn exists
    std::string reason;   // why sn (and perhaps the sensitivity) does not exist; empty if it does
};

// The figures of one run from the signal level of every observation and the observations.
// reference: M_ref of the reference form (a signal level of the run; by default the smallest);
// given for another form it is refused. Throws qvrfc::Error, one sentence, for sizes
// that differ, values that are not finite, fewer than 2 observations (zero-point) or 3 (the
// other forms), all signal values zero, a single distinct signal level in the reference or
// linear form, a reference level that no observation has, and values so large that their sums
// of squares are not finite.
QVRFC_API DynamicRun DynamicSnOfRun(const std::vector<double>& signal, const std::vector<double>& y,
                                    DynamicKind kind,
                                    std::optional<double> reference = std::nullopt);

}  // namespace qvrfc
