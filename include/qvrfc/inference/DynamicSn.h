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

#include <cmath>
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
    // Taguchi's decomposition under the noise conditions (AddNoiseDecomposition); NaN until then.
    // veWithin is its V_e, within the slopes per condition; its V_N equals ve above.
    double sNBeta = std::nan(""), sE = std::nan(""), veWithin = std::nan(""), vN = std::nan("");
    int dofE = 0, dofN = 0;
    std::vector<double> betaByNoise;   // [condition] the slope under each; NaN: none observed
    double linearityP = std::nan("");  // of a quadratic term in the signal; NaN: not testable
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

// Taguchi's decomposition of a run observed under several noise conditions, on the form's
// shifted values M' and y' (none for the zero-point form, the reference point, the means of the
// linear form): with L_i = sum M' y' and r_i = sum M'^2 under condition i of k,
//   S_T = sum y'^2 = S_beta + S_NxBeta + S_e,  S_beta = (sum L_i)^2 / sum r_i,
//   S_NxBeta = sum L_i^2 / r_i - S_beta,  V_e = S_e / (N - k - c),  V_N = (S_NxBeta + S_e) /
//   (N - 1 - c), with c = 0 for the zero-point form and 1 for the others (the shift's degree);
// beta_i = L_i / r_i, the least-squares slope through the origin under condition i. The
// linearity check adds a quadratic term in the signal (centred in the linear form) to the slopes
// per condition: the p of its F on 1 and N - k - 1 - c degrees of freedom, NaN when the signal
// has too few distinct levels or nothing is left for the error. condition[i] is the condition
// (from 0, below conditions) of observation i; the run is the one DynamicSnOfRun gave.
QVRFC_API void AddNoiseDecomposition(DynamicRun& run, const std::vector<double>& signal,
                                     const std::vector<double>& y,
                                     const std::vector<int>& condition, int conditions,
                                     DynamicKind kind);

}  // namespace qvrfc
