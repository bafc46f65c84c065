// Several responses brought to one figure: the desirability of a predicted value (Derringer and
// Suich) and the overall desirability, and grey relational analysis of the runs' S/N ratios.
//
// Desirability of y on [low, high] with shape weight w, clipped to [0, 1]:
//   larger-the-better   ((y - low) / (high - low))^w
//   smaller-the-better  ((high - y) / (high - low))^w
//   nominal, target T   ((y - low) / (T - low))^s below T, ((high - y) / (high - T))^t above,
//                       s the weight and t the weight above (the weight when not given:
//                       Derringer and Suich's two-sided desirability)
// Overall desirability: the geometric mean of the d's weighted by their importances,
// (prod d_i^r_i)^(1 / sum r_i); 0 as soon as one d is 0.
//
// Grey relational grades: each response's S/N ratios normalised to [0, 1] (the larger the
// better for every S/N ratio; a response whose runs all have one S/N ratio is 1 everywhere),
// deviations D = 1 - x, coefficients xi = (Dmin + zeta Dmax) / (D + zeta Dmax) with Dmin and Dmax
// over every run and response (1 when every deviation is 0), and each run's grade the mean of
// its coefficients weighted by the importances.
#pragma once

#include <cmath>
#include <vector>

#include "qvrfc/common/QVRFCExport.h"
#include "qvrfc/experiment/SnKind.h"

namespace qvrfc {

// How one response's predicted value is judged: its aim, range, target (nominal only), shape
// weight and importance in the overall desirability.
struct DesirabilityShape {
    Aim aim = Aim::Larger;
    double low = 0.0, high = 1.0;
    double target = 0.0;
    double weight = 1.0;
    double importance = 1.0;
    double weightAbove = std::nan("");  // t of the nominal kind above the target; NaN: weight
};

QVRFC_API double Desirability(const DesirabilityShape& shape, double y);
// The importance-weighted geometric mean of d[i] with importances[i].
QVRFC_API double OverallDesirability(const std::vector<double>& d,
                                     const std::vector<double>& importances);

struct GreyGrades {
    std::vector<std::vector<double>> normalised;    // [response][run]
    std::vector<std::vector<double>> coefficients;  // [response][run]
    std::vector<double> grades;                     // [run]
};
// sn[response][run]; weights[response] > 0; zeta in (0, 1]. qvrfc::Error for
// responses of unequal run counts or a weight or zeta out of range.
QVRFC_API GreyGrades GreyRelationalGrades(const std::vector<std::vector<double>>& sn,
                                          const std::vector<double>& weights, double zeta);
// The same of any values ([response][run], such as the run means) normalised as each response's
// aim says: larger-the-better (y - min) / (max - min), smaller-the-better (max - y) / (max -
// min), nominal with a target T 1 - |y - T| / max |y - T| (without a target, as larger).
QVRFC_API GreyGrades GreyRelationalGrades(const std::vector<std::vector<double>>& values,
                                          const std::vector<Aim>& aims,
                                          const std::vector<double>& targets,
                                          const std::vector<double>& weights, double zeta);

}  // namespace qvrfc
