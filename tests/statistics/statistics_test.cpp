// The statistics object's passes; every reading after each step is kept as golden text.
#include <gtest/gtest.h>

#include <initializer_list>
#include <sstream>
#include <string>
#include <utility>

#include "common/QVRFCConstants.h"
#include "statistics/QVRFCStatistics.h"
#include "support/golden.h"

namespace {

using Stats = CQVRFCStatistics;
using Weighted = std::initializer_list<std::pair<double, double>>;  // value and weight

void Average(Stats& stats, Weighted values, int bGeometric = 1, int bHarmonic = 1) {
    stats.ComputAvgBegin(bGeometric, bHarmonic);
    for (const auto& [value, weight] : values)
        stats.ComputAvgAdd(value, weight);
    stats.ComputAvgEnd();
}

// Begins a distribution pass, adds the weighted values and ends it; returns Begin's result.
int Distribute(Stats& stats, int nGroup, double from, double to, Weighted values, int bSample) {
    const int begun = stats.ComputDistributionBegin(nGroup, from, to);
    for (const auto& [value, weight] : values)
        stats.ComputDistributionAdd(value, weight);
    stats.ComputDistributionEnd(bSample);
    return begun;
}

// Every reading of the object, groups -1 to the group count included.
std::string Readings(const std::string& step, const Stats& s) {
    std::ostringstream text;
    text.precision(12);
    text << step << "\n  mean " << s.GetAverageValue() << " rms " << s.GetRMS() << " geometric "
         << s.GetGeometricMean() << " harmonic " << s.GetHarmonicMean() << " min "
         << s.GetMinValue() << " max " << s.GetMaxValue() << " range " << s.GetRangeValue()
         << "\n  md " << s.GetMD() << " sd " << s.GetStandardDeviation() << " variance "
         << s.GetVariance() << " cov " << s.GetCoefficientOfVariation() << " total "
         << s.GetNoTotalCount() << " weight " << s.GetNoTotalWeighting() << "\n";
    for (int i = -1; i <= s.GetNoGroup(); ++i)
        text << "  group " << i << ": " << s.GetGroupFrom(i) << " to " << s.GetGroupTo(i)
             << " interval " << s.GetGroupInterval(i) << " count " << s.GetGroupCount(i)
             << " weight " << s.GetGroupWeighting(i) << " ratio " << s.GetGroupRatio(i)
             << " weight ratio " << s.GetGroupWeightingRatio(i) << "\n";
    text << "  moments about " << s.GetMomentCenter() << ":";
    for (int k = -1; k <= 4; ++k)
        text << " " << s.GetMoment(k) << "/" << s.GetMomentAbout(k);
    return text.str() + "\n";
}

}  // namespace

TEST(Statistics, PassesAndReadings) {
    std::string text;
    Stats stats;
    text += Readings("distribution refused before an averaging pass: " +
                         std::to_string(Distribute(stats, 3, 0.0, 1.0, {{0.5, 1}}, 0)),
                     stats);
    Average(stats, {{1, 1}, {2, 1}, {3, 1}, {4, 1}});
    text += Readings("averaged 1 2 3 4", stats);
    Distribute(stats, 3, 1.0, 0.0, {{1, 1}, {2, 1}, {3, 1}, {4, 1}}, 1);
    text += Readings("three groups over the values' own range, sample divisor", stats);
    Distribute(stats, 0, 1.0, 0.0, {{1, 1}, {2, 1}, {3, 1}, {4, 1}}, 0);
    text += Readings("the groups of before, population divisor", stats);
    Distribute(stats, 2, 1.0, 3.0, {{0.5, 1}, {1.0, 1}}, 0);
    text += Readings("0.5 outside the range 1 to 3", stats);
    Average(stats, {{1, 2}, {4, 2}});
    text += Readings("averaged 1 and 4 with weight 2 each", stats);
    Average(stats, {{2, 3}, {6, 1}}, 0);
    text += Readings("averaged 2 with weight 3 and 6 with weight 1, no geometric mean", stats);
    Average(stats, {{2, 1}, {4, -1}});
    text += Readings("weights summing to zero: mean 0, the root mean square left at the raw sum",
                     stats);
    Average(stats, {{0, 1}, {2, 1}}, 0);
    text += Readings("a zero stays out of the reciprocal sum", stats);
    Average(stats, {{1, 1}, {3, 1}});
    Distribute(stats, 2, 1.0, 3.0, {{1, 3}, {3, 1}, {9, 5}}, 0);
    text += Readings("weighted distribution with 9 outside", stats);
    stats.SetNoGroup(2, 0);
    text += Readings("two empty groups", stats);
    stats.ComputMomentBegin(2.0);
    stats.ComputMomentAdd(1.0);
    stats.ComputMomentAdd(3.0);
    stats.ComputMomentEnd();
    stats.SetArithmeticMean(2.0);
    stats.SetStandardDeviation(0.5);
    text += Readings("moments of 1 and 3 about 2, mean 2 and deviation 0.5 set", stats);
    stats.SetArithmeticMean(qvrfc::kNearZero);  // no division at the limit itself
    text += Readings("mean set to the near-zero limit", stats);
    stats.Clear();
    text += Readings(
        "cleared, distribution refused: " + std::to_string(Distribute(stats, 1, 0.0, 1.0, {}, 0)),
        stats);
    qvrfc_test::ExpectGolden("statistics/passes.txt", text);
}

TEST(Statistics, EmptyAveragingAndMomentPasses) {
    Stats stats;
    Average(stats, {});
    EXPECT_EQ(stats.GetAverageValue() + stats.GetRMS(), 0.0);
    EXPECT_EQ(stats.ComputMomentBegin(1.0), 1);
    EXPECT_EQ(stats.ComputMomentEnd(), 0);
    stats.ComputMomentBegin(2.0);
    EXPECT_EQ(stats.ComputMomentAdd(1.0), 1.0);
}
