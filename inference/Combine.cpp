#include "qvrfc/inference/Combine.h"

#include <algorithm>
#include <cmath>

#include "qvrfc/common/QVRFCError.h"

namespace qvrfc {
namespace {

// ((y - from) / (to - from))^w on the side from -> to, 0 at `from` and 1 at `to`.
double Ramp(double y, double from, double to, double weight) {
    if (from == to) return y == to ? 1.0 : 0.0;
    // Halved first, so that bounds near the largest double do not overflow their difference.
    const double x = (0.5 * y - 0.5 * from) / (0.5 * to - 0.5 * from);
    if (x <= 0.0) return 0.0;
    if (x >= 1.0) return 1.0;
    return std::pow(x, weight);
}

}  // namespace

double Desirability(const DesirabilityShape& shape, double y) {
    switch (shape.aim) {
        case Aim::Larger:
            return Ramp(y, shape.low, shape.high, shape.weight);
        case Aim::Smaller:
            return Ramp(y, shape.high, shape.low, shape.weight);
        case Aim::Nominal:
            break;
    }
    if (y < shape.low || y > shape.high) return 0.0;
    return y <= shape.target
               ? Ramp(y, shape.low, shape.target, shape.weight)
               : Ramp(y, shape.high, shape.target,
                      std::isfinite(shape.weightAbove) ? shape.weightAbove : shape.weight);
}

double OverallDesirability(const std::vector<double>& d, const std::vector<double>& importances) {
    double logSum = 0.0, total = 0.0;
    for (size_t i = 0; i < d.size(); ++i) {
        if (!(d[i] > 0.0)) return 0.0;
        logSum += importances[i] * std::log(d[i]);
        total += importances[i];
    }
    return total > 0.0 ? std::exp(logSum / total) : std::nan("");
}

namespace {

// One response's values normalised to [0, 1], 1 the best: larger- or smaller-the-better over
// their range, nominal as 1 - |y - T| / the largest |y - T|; 1 everywhere when all are alike.
std::vector<double> GreyNormalised(const std::vector<double>& values, Aim aim, double target) {
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    double far = 0.0;
    for (double value : values)
        far = std::max(far, std::fabs(value - target));
    std::vector<double> x;
    for (double value : values) {
        if (aim == Aim::Nominal && std::isfinite(target))
            x.push_back(far > 0.0 ? 1.0 - std::fabs(value - target) / far : 1.0);
        else if (!(*high > *low))
            x.push_back(1.0);
        else
            x.push_back(aim == Aim::Smaller ? (*high - value) / (*high - *low)
                                            : (value - *low) / (*high - *low));
    }
    return x;
}

}  // namespace

GreyGrades GreyRelationalGrades(const std::vector<std::vector<double>>& sn,
                                const std::vector<double>& weights, double zeta) {
    return GreyRelationalGrades(sn, std::vector<Aim>(sn.size(), Aim::Larger),
                                std::vector<double>(sn.size(), std::nan("")), weights, zeta);
}

GreyGrades GreyRelationalGrades(const std::vector<std::vector<double>>& values,
                                const std::vector<Aim>& aims, const std::vector<double>& targets,
                                const std::vector<double>& weights, double zeta) {
    const std::vector<std::vector<double>>& sn = values;
    if (!(zeta > 0.0 && zeta <= 1.0))
        throw Error("the distinguishing coefficient must lie in (0, 1]");
    if (weights.size() != sn.size()) throw Error("one weight per response is needed");
    if (aims.size() != sn.size() || targets.size() != sn.size())
        throw Error("one aim and target per response is needed");
    GreyGrades grey;
    double lowest = HUGE_VAL, highest = -HUGE_VAL;
    for (size_t i = 0; i < sn.size(); ++i) {
        if (sn[i].size() != sn[0].size() || !(weights[i] > 0.0))
            throw Error("responses of unequal run counts or a weight not above 0");
        const std::vector<double> x = GreyNormalised(sn[i], aims[i], targets[i]);
        for (double value : x) {
            lowest = std::min(lowest, 1.0 - value);
            highest = std::max(highest, 1.0 - value);
        }
        grey.normalised.push_back(x);
    }
    double weightSum = 0.0;
    for (double w : weights)
        weightSum += w;
    grey.grades.assign(sn.empty() ? 0 : sn[0].size(), 0.0);
    for (size_t i = 0; i < sn.size(); ++i) {
        std::vector<double> xi;
        for (size_t r = 0; r < sn[i].size(); ++r) {
            const double delta = 1.0 - grey.normalised[i][r];
            xi.push_back(highest > 0.0 ? (lowest + zeta * highest) / (delta + zeta * highest)
                                       : 1.0);
            grey.grades[r] += weights[i] * xi.back() / weightSum;
        }
        grey.coefficients.push_back(xi);
    }
    return grey;
}

}  // namespace qvrfc
