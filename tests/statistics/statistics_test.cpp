#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>

#include "statistics/QVRFCStatistics.h"

namespace {

// An object after an averaging pass over values of weight 1.
CQVRFCStatistics Averaged(std::initializer_list<double> values, int bGeometric = 1,
                          int bHarmonic = 1) {
    CQVRFCStatistics stats;
    stats.ComputAvgBegin(bGeometric, bHarmonic);
    for (double v : values)
        stats.ComputAvgAdd(v, 1.0);
    stats.ComputAvgEnd();
    return stats;
}

void Distribute(CQVRFCStatistics& stats, std::initializer_list<double> values, int nGroup,
                double from, double to) {
    ASSERT_EQ(stats.ComputDistributionBegin(nGroup, from, to), 1);
    for (double v : values)
        stats.ComputDistributionAdd(v);
}

}  // namespace

TEST(Statistics, AveragingPassMeans) {
    CQVRFCStatistics stats;
    EXPECT_EQ(stats.ComputAvgBegin(1, 1), 1);
    EXPECT_DOUBLE_EQ(stats.ComputAvgAdd(1.0, 1.0), 1.0);
    stats.ComputAvgAdd(2.0, 1.0);
    stats.ComputAvgAdd(3.0, 1.0);
    EXPECT_DOUBLE_EQ(stats.ComputAvgAdd(4.0, 1.0), 10.0);
    EXPECT_EQ(stats.ComputAvgEnd(), 1);
    EXPECT_DOUBLE_EQ(stats.GetAverageValue(), 2.5);
    EXPECT_DOUBLE_EQ(stats.GetRMS(), std::sqrt(7.5));
    EXPECT_DOUBLE_EQ(stats.GetGeometricMean(), std::pow(24.0, 0.25));
    EXPECT_DOUBLE_EQ(stats.GetHarmonicMean(), 1.92);
    EXPECT_EQ(stats.GetMinValue(), 1.0);
    EXPECT_EQ(stats.GetMaxValue(), 4.0);
    EXPECT_EQ(stats.GetRangeValue(), 3.0);

    // A zero stays out of the reciprocal sum but keeps its weight.
    EXPECT_DOUBLE_EQ(Averaged({0.0, 2.0}, 0, 1).GetHarmonicMean(), 4.0);

    // No values: mean and root mean square stay 0.
    CQVRFCStatistics empty = Averaged({});
    EXPECT_EQ(empty.GetAverageValue(), 0.0);
    EXPECT_EQ(empty.GetRMS(), 0.0);
}

TEST(Statistics, WeightedMeansDoNotDependOnTheWeightScale) {
    // Values 1 and 4 with equal weights of 2 must give the unweighted means.
    CQVRFCStatistics stats;
    stats.ComputAvgBegin(1, 1);
    stats.ComputAvgAdd(1.0, 2.0);
    stats.ComputAvgAdd(4.0, 2.0);
    stats.ComputAvgEnd();
    EXPECT_DOUBLE_EQ(stats.GetAverageValue(), 2.5);
    EXPECT_DOUBLE_EQ(stats.GetRMS(), std::sqrt(8.5));
    EXPECT_DOUBLE_EQ(stats.GetGeometricMean(), 2.0);
    EXPECT_DOUBLE_EQ(stats.GetHarmonicMean(), 1.6);

    // Weight 3 on the value 2 and 1 on the value 6.
    stats.ComputAvgBegin(0, 1);
    stats.ComputAvgAdd(2.0, 3.0);
    stats.ComputAvgAdd(6.0, 1.0);
    stats.ComputAvgEnd();
    EXPECT_DOUBLE_EQ(stats.GetAverageValue(), 3.0);
    EXPECT_DOUBLE_EQ(stats.GetRMS(), 3.0 * std::sqrt(1.0 + 1.0 / 3.0));
    EXPECT_DOUBLE_EQ(stats.GetHarmonicMean(), 4.0 / (1.5 + 1.0 / 6.0));

    // Weights summing to zero leave every mean as it was.
    stats.ComputAvgBegin(1, 1);
    stats.ComputAvgAdd(2.0, 1.0);
    stats.ComputAvgAdd(4.0, -1.0);
    stats.ComputAvgEnd();
    EXPECT_EQ(stats.GetAverageValue(), 0.0);
    EXPECT_DOUBLE_EQ(stats.GetHarmonicMean(), 4.0 / (1.5 + 1.0 / 6.0));
    EXPECT_TRUE(std::isfinite(stats.GetGeometricMean()));
}

TEST(Statistics, DistributionPassGroupsAndDeviations) {
    CQVRFCStatistics refused;
    EXPECT_EQ(refused.ComputDistributionBegin(3, 0.0, 1.0), 0);
    EXPECT_EQ(refused.ComputDistributionAdd(0.5), 0.0);
    EXPECT_EQ(refused.ComputDistributionEnd(0), 0);
    EXPECT_EQ(refused.GetNoTotalCount(), 0);

    CQVRFCStatistics stats = Averaged({1, 2, 3, 4});
    Distribute(stats, {1, 2, 3, 4}, 3, 1.0, 0.0);
    double from = -1.0, to = -1.0;
    stats.GetGroupRange(from, to);
    EXPECT_EQ(from, 1.0);
    EXPECT_EQ(to, 4.0);
    ASSERT_EQ(stats.GetNoGroup(), 3);
    EXPECT_DOUBLE_EQ(stats.GetGroupTo(0), 2.0);
    EXPECT_DOUBLE_EQ(stats.GetGroupTo(1), 3.0);
    EXPECT_EQ(stats.GetGroupTo(2), 4.0);
    EXPECT_EQ(stats.GetGroupCount(0), 2);
    EXPECT_EQ(stats.GetGroupCount(1), 1);
    EXPECT_EQ(stats.GetGroupCount(2), 1);
    EXPECT_DOUBLE_EQ(stats.GetGroupRatio(0), 50.0);
    EXPECT_EQ(stats.ComputDistributionEnd(1), 1);
    EXPECT_DOUBLE_EQ(stats.GetMD(), 1.0);
    EXPECT_DOUBLE_EQ(stats.GetStandardDeviation(), std::sqrt(5.0 / 3.0));
    EXPECT_DOUBLE_EQ(stats.GetVariance(), 5.0 / 3.0);

    // Repeated with the groups of before (nGroup 0), population divisor.
    Distribute(stats, {1, 2, 3, 4}, 0, 1.0, 0.0);
    EXPECT_EQ(stats.GetNoGroup(), 3);
    EXPECT_EQ(stats.GetGroupCount(0), 2);
    stats.ComputDistributionEnd(0);
    EXPECT_DOUBLE_EQ(stats.GetStandardDeviation(), std::sqrt(5.0 / 4.0));

    // Outside the range: counted in the total only.
    Distribute(stats, {0.5, 1.0}, 2, 1.0, 3.0);
    EXPECT_EQ(stats.GetNoTotalCount(), 2);
    EXPECT_EQ(stats.GetGroupCount(0), 1);
    EXPECT_EQ(stats.GetGroupCount(1), 0);
}

TEST(Statistics, WeightedDistributionAndRatios) {
    CQVRFCStatistics stats = Averaged({1, 3});
    ASSERT_EQ(stats.ComputDistributionBegin(2, 1.0, 3.0), 1);
    stats.ComputDistributionAdd(1.0, 3.0);
    stats.ComputDistributionAdd(3.0, 1.0);
    stats.ComputDistributionAdd(9.0, 5.0);  // outside: no weight to the total
    EXPECT_DOUBLE_EQ(stats.GetNoTotalWeighting(), 4.0);
    EXPECT_DOUBLE_EQ(stats.GetGroupWeightingRatio(0), 75.0);
    EXPECT_DOUBLE_EQ(stats.GetGroupWeightingRatio(1), 25.0);
    stats.ComputDistributionEnd(0);
    // Weighted squared deviations 3 + 1 + 5 * 49 over the grouped weight 4.
    EXPECT_DOUBLE_EQ(stats.GetStandardDeviation(), std::sqrt(249.0 / 4.0));
    EXPECT_DOUBLE_EQ(stats.GetMD(), 9.0 / 3.0);

    // Bad group indexes and an empty total give 0 rather than a read out of range.
    for (int i : {-1, 2}) {
        EXPECT_EQ(stats.GetGroupCount(i) + stats.GetGroupWeighting(i) + stats.GetGroupFrom(i) +
                      stats.GetGroupTo(i) + stats.GetGroupInterval(i) + stats.GetGroupRatio(i) +
                      stats.GetGroupWeightingRatio(i),
                  0.0);
    }
    stats.SetNoGroup(2, 0);
    EXPECT_EQ(stats.GetGroupRatio(0), 0.0);
    EXPECT_EQ(stats.GetGroupInterval(1), 0.0);
}

TEST(Statistics, MomentsAndCoefficientOfVariation) {
    CQVRFCStatistics stats;
    EXPECT_EQ(stats.ComputMomentBegin(1.0), 1);
    EXPECT_EQ(stats.ComputMomentEnd(), 0);
    stats.ComputMomentBegin(2.0);
    EXPECT_EQ(stats.ComputMomentAdd(1.0), 1.0);
    stats.ComputMomentAdd(3.0);
    EXPECT_EQ(stats.ComputMomentEnd(), 1);
    EXPECT_EQ(stats.GetMomentCenter(), 2.0);
    EXPECT_DOUBLE_EQ(stats.GetSecondMoment(), 5.0);
    EXPECT_DOUBLE_EQ(stats.GetThirdMoment(), 14.0);
    EXPECT_DOUBLE_EQ(stats.GetFourthMoment(), 41.0);
    EXPECT_DOUBLE_EQ(stats.GetSecondMomentAbout(), 1.0);
    EXPECT_DOUBLE_EQ(stats.GetFourthMomentAbout(), 1.0);
    EXPECT_DOUBLE_EQ(stats.GetMoment(3), 41.0);
    EXPECT_EQ(stats.GetMoment(4), 0.0);
    EXPECT_EQ(stats.GetMomentAbout(-1), 0.0);
    stats.SetMoment(5, 9.0);
    stats.SetMoment(0, 7.0);
    EXPECT_EQ(stats.GetFirstMoment(), 7.0);
    EXPECT_DOUBLE_EQ(stats.GetFourthMomentAbout(), 1.0);

    stats.SetStandardDeviation(0.5);
    EXPECT_EQ(stats.GetCoefficientOfVariation(), 0.5);  // mean 0
    stats.SetArithmeticMean(2.0);
    EXPECT_EQ(stats.GetCoefficientOfDispersion(), 0.25);
}

TEST(Statistics, CopiesAreDeepAndSelfCopyChangesNothing) {
    CQVRFCStatistics stats = Averaged({1, 2, 3, 4});
    Distribute(stats, {1, 2, 3, 4}, 3, 1.0, 0.0);
    stats.ComputDistributionEnd(1);

    CQVRFCStatistics copy(stats);
    CQVRFCStatistics assigned;
    assigned = stats;
    stats.SetGroupCount(0, 99);
    stats.SetGroupRange(1, 2.5, 3.5);
    EXPECT_EQ(stats.GetGroupTo(0), 2.5);
    for (CQVRFCStatistics* other : {&copy, &assigned}) {
        EXPECT_EQ(other->GetGroupCount(0), 2);
        EXPECT_DOUBLE_EQ(other->GetGroupTo(1), 3.0);
        EXPECT_DOUBLE_EQ(other->GetStandardDeviation(), std::sqrt(5.0 / 3.0));
        EXPECT_DOUBLE_EQ(other->GetGeometricMean(), std::pow(24.0, 0.25));
    }
    // The copy carries the finished averaging pass: its distribution pass is allowed.
    EXPECT_EQ(copy.ComputDistributionBegin(0, 1.0, 0.0), 1);

    CQVRFCStatistics& self = stats;
    stats = self;
    EXPECT_EQ(stats.SetData(stats), 0);
    EXPECT_EQ(stats.SetData(nullptr), 0);
    EXPECT_EQ(stats.GetGroupCount(0), 99);

    stats.SetGroupInterval(2, 7);
    EXPECT_EQ(stats.GetGroupTo(2), 7.0);
    stats.Clear();
    EXPECT_EQ(stats.GetNoGroup(), 0);
    EXPECT_EQ(stats.GetAverageValue(), 0.0);
    EXPECT_EQ(stats.ComputDistributionBegin(1, 0.0, 1.0), 0);
}
