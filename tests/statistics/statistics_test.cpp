#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <utility>
#include <vector>

#include "statistics/QVRFCStatistics.h"

namespace {

using Stats = CQVRFCStatistics;
using Weighted = std::initializer_list<std::pair<double, double>>;  // value and weight

// An object after an averaging pass over the weighted values.
Stats Averaged(Weighted values, int bGeometric = 1, int bHarmonic = 1) {
    Stats stats;
    stats.ComputAvgBegin(bGeometric, bHarmonic);
    for (const auto& [value, weight] : values)
        stats.ComputAvgAdd(value, weight);
    stats.ComputAvgEnd();
    return stats;
}

// Compares readings with their expected values, each to a few units in the last place.
void ExpectValues(const std::vector<double>& got, const std::vector<double>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < got.size(); ++i)
        EXPECT_DOUBLE_EQ(got[i], want[i]) << "value " << i;
}

}  // namespace

TEST(Statistics, AveragingPassMeans) {
    const Stats stats = Averaged({{1, 1}, {2, 1}, {3, 1}, {4, 1}});
    ExpectValues(
        {stats.GetAverageValue(), stats.GetRMS(), stats.GetGeometricMean(), stats.GetHarmonicMean(),
         stats.GetMinValue(), stats.GetMaxValue(), stats.GetRangeValue()},
        {2.5, std::sqrt(7.5), std::pow(24.0, 0.25), 1.92, 1, 4, 3});
    // Equal weights of 2 give the unweighted means.
    const Stats twice = Averaged({{1, 2}, {4, 2}});
    ExpectValues({twice.GetAverageValue(), twice.GetRMS(), twice.GetGeometricMean(),
                  twice.GetHarmonicMean()},
                 {2.5, std::sqrt(8.5), 2.0, 1.6});
    // Weight 3 on the value 2 and 1 on the value 6.
    const Stats weighted = Averaged({{2, 3}, {6, 1}}, 0);
    ExpectValues({weighted.GetAverageValue(), weighted.GetRMS(), weighted.GetHarmonicMean()},
                 {3.0, 3.0 * std::sqrt(1.0 + 1.0 / 3.0), 4.0 / (1.5 + 1.0 / 6.0)});
    // A zero stays out of the reciprocal sum but keeps its weight.
    EXPECT_DOUBLE_EQ(Averaged({{0, 1}, {2, 1}}, 0).GetHarmonicMean(), 4.0);
    // No values: mean and root mean square stay 0.
    const Stats none = Averaged({});
    EXPECT_EQ(none.GetAverageValue() + none.GetRMS(), 0.0);
    // Weights summing to zero leave the other means as the pass before left them.
    Stats again = weighted;
    again.ComputAvgBegin(1, 1);
    again.ComputAvgAdd(2.0, 1.0);
    again.ComputAvgAdd(4.0, -1.0);
    again.ComputAvgEnd();
    EXPECT_EQ(again.GetAverageValue(), 0.0);
    EXPECT_DOUBLE_EQ(again.GetHarmonicMean(), 4.0 / (1.5 + 1.0 / 6.0));
    EXPECT_TRUE(std::isfinite(again.GetGeometricMean()));
}

TEST(Statistics, DistributionPassGroupsAndDeviations) {
    Stats refused;  // no averaging pass yet
    EXPECT_EQ(refused.ComputDistributionBegin(3, 0.0, 1.0), 0);
    EXPECT_EQ(refused.ComputDistributionAdd(0.5) + refused.ComputDistributionEnd(0) +
                  refused.GetNoTotalCount(),
              0.0);

    Stats stats = Averaged({{1, 1}, {2, 1}, {3, 1}, {4, 1}});
    for (int nGroup : {3, 0}) {  // 0 keeps the groups of before
        ASSERT_EQ(stats.ComputDistributionBegin(nGroup, 1.0, 0.0), 1);
        for (double v : {1, 2, 3, 4})
            stats.ComputDistributionAdd(v);
        EXPECT_EQ(stats.ComputDistributionEnd(nGroup == 3), 1);
        double from = -1.0, to = -1.0;
        stats.GetGroupRange(from, to);
        ExpectValues({from, to, stats.GetGroupTo(0), stats.GetGroupTo(1), stats.GetGroupTo(2),
                      stats.GetGroupRatio(0), 1.0 * stats.GetGroupCount(1), stats.GetMD()},
                     {1, 4, 2, 3, 4, 50, 1, 1});
        EXPECT_DOUBLE_EQ(stats.GetVariance(), nGroup == 3 ? 5.0 / 3.0 : 5.0 / 4.0);
    }
    // Outside the range: counted in the total only.
    stats.ComputDistributionBegin(2, 1.0, 3.0);
    stats.ComputDistributionAdd(0.5);
    stats.ComputDistributionAdd(1.0);
    EXPECT_EQ(
        std::vector<int>({stats.GetNoTotalCount(), stats.GetGroupCount(0), stats.GetGroupCount(1)}),
        (std::vector<int>{2, 1, 0}));
}

TEST(Statistics, WeightedDistributionAndRatios) {
    Stats stats = Averaged({{1, 1}, {3, 1}});
    ASSERT_EQ(stats.ComputDistributionBegin(2, 1.0, 3.0), 1);
    stats.ComputDistributionAdd(1.0, 3.0);
    stats.ComputDistributionAdd(3.0, 1.0);
    stats.ComputDistributionAdd(9.0, 5.0);  // outside: no weight to the total
    stats.ComputDistributionEnd(0);
    // Weighted squared deviations 3 + 1 + 5 * 49 over the grouped weight 4.
    ExpectValues({stats.GetNoTotalWeighting(), stats.GetGroupWeightingRatio(0),
                  stats.GetGroupWeightingRatio(1), stats.GetStandardDeviation(), stats.GetMD()},
                 {4, 75, 25, std::sqrt(249.0 / 4.0), 3.0});
    // Bad group indexes and an empty total give 0 rather than a read out of range.
    for (int i : {-1, 2})
        EXPECT_EQ(stats.GetGroupCount(i) + stats.GetGroupWeighting(i) + stats.GetGroupFrom(i) +
                      stats.GetGroupTo(i) + stats.GetGroupInterval(i) + stats.GetGroupRatio(i) +
                      stats.GetGroupWeightingRatio(i),
                  0.0);
    stats.SetNoGroup(2, 0);
    EXPECT_EQ(stats.GetGroupRatio(0) + stats.GetGroupInterval(1), 0.0);
    stats.Clear();
    EXPECT_EQ(stats.GetNoGroup() + stats.GetAverageValue(), 0.0);
    EXPECT_EQ(stats.ComputDistributionBegin(1, 0.0, 1.0), 0);
}

TEST(Statistics, MomentsAndCoefficientOfVariation) {
    Stats stats;
    EXPECT_EQ(stats.ComputMomentBegin(1.0), 1);
    EXPECT_EQ(stats.ComputMomentEnd(), 0);
    stats.ComputMomentBegin(2.0);
    EXPECT_EQ(stats.ComputMomentAdd(1.0), 1.0);
    stats.ComputMomentAdd(3.0);
    EXPECT_EQ(stats.ComputMomentEnd(), 1);
    ExpectValues(
        {stats.GetMomentCenter(), stats.GetSecondMoment(), stats.GetThirdMoment(),
         stats.GetFourthMoment(), stats.GetSecondMomentAbout(), stats.GetFourthMomentAbout(),
         stats.GetMoment(3), stats.GetMoment(4), stats.GetMomentAbout(-1)},
        {2, 5, 14, 41, 1, 1, 41, 0, 0});
    stats.SetStandardDeviation(0.5);
    EXPECT_EQ(stats.GetCoefficientOfVariation(), 0.5);  // mean 0
    stats.SetArithmeticMean(2.0);
    EXPECT_EQ(stats.GetCoefficientOfDispersion(), 0.25);
}
