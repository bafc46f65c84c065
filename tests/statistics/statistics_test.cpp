// The statistics object's passes (every call's answer and every reading after each step kept
// as golden text) and the functions over a sample of values.
#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "qvrfc/common/QVRFCConstants.h"
#include "qvrfc/common/QVRFCDoubleArray.h"
#include "qvrfc/statistics/QVRFCStatistics.h"
#include "support/golden.h"

namespace {

using Stats = CQVRFCStatistics;
using Values = CQVRFCDoubleArray;
using Weighted = std::initializer_list<std::pair<double, double>>;  // value and weight

// Runs an averaging pass; returns what Begin, each Add and End answered.
std::string Average(Stats& stats, Weighted values, int bGeometric = 1, int bHarmonic = 1) {
    std::ostringstream said;
    said << " (begin " << stats.ComputAvgBegin(bGeometric, bHarmonic) << ", add";
    for (const auto& [value, weight] : values)
        said << " " << stats.ComputAvgAdd(value, weight);
    said << ", end " << stats.ComputAvgEnd() << ")";
    return said.str();
}

// Runs a distribution pass; returns what Begin, each Add and End answered.
std::string Distribute(Stats& stats, int nGroup, double from, double to, Weighted values,
                       int bSample) {
    std::ostringstream said;
    said << " (begin " << stats.ComputDistributionBegin(nGroup, from, to) << ", add";
    for (const auto& [value, weight] : values)
        said << " " << stats.ComputDistributionAdd(value, weight);
    said << ", end " << stats.ComputDistributionEnd(bSample) << ")";
    return said.str();
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
    const Weighted oneToFour = {{1, 1}, {2, 1}, {3, 1}, {4, 1}};
    Stats stats;
    std::string text = Readings(
        "distribution refused before an averaging pass" + Distribute(stats, 3, 0, 1, {{0.5, 1}}, 0),
        stats);
    text += Readings("empty averaging pass" + Average(stats, {}), stats);
    text += Readings("averaged 1 2 3 4" + Average(stats, oneToFour), stats);
    text += Readings("three groups over the values' own range, sample divisor" +
                         Distribute(stats, 3, 1.0, 0.0, oneToFour, 1),
                     stats);
    text += Readings(
        "the groups of before, population divisor" + Distribute(stats, 0, 1.0, 0.0, oneToFour, 0),
        stats);
    text += Readings(
        "0.5 outside the range 1 to 3" + Distribute(stats, 2, 1.0, 3.0, {{0.5, 1}, {1.0, 1}}, 0),
        stats);
    text += Readings("an empty range from 2 to 2 is taken as given" +
                         Distribute(stats, 1, 2.0, 2.0, oneToFour, 0),
                     stats);
    text +=
        Readings("averaged 1 and 4 with weight 2 each" + Average(stats, {{1, 2}, {4, 2}}), stats);
    text += Readings("averaged 2 with weight 3 and 6 with weight 1, no geometric mean" +
                         Average(stats, {{2, 3}, {6, 1}}, 0),
                     stats);
    text += Readings("weights summing to zero: mean 0, the root mean square left at the raw sum" +
                         Average(stats, {{2, 1}, {4, -1}}),
                     stats);
    text += Readings("a zero stays out of the reciprocal sum" + Average(stats, {{0, 1}, {2, 1}}, 0),
                     stats);
    Average(stats, {{1, 1}, {3, 1}});
    text += Readings("weighted distribution with 9 outside" +
                         Distribute(stats, 2, 1.0, 3.0, {{1, 3}, {3, 1}, {9, 5}}, 0),
                     stats);
    stats.SetNoGroup(2, 0);
    text += Readings("two empty groups", stats);
    std::ostringstream moments;
    moments << "moments: begin " << stats.ComputMomentBegin(1.0) << ", end with none "
            << stats.ComputMomentEnd() << "; begin " << stats.ComputMomentBegin(2.0) << ", add "
            << stats.ComputMomentAdd(1.0) << " " << stats.ComputMomentAdd(3.0) << ", end "
            << stats.ComputMomentEnd();
    stats.SetArithmeticMean(2.0);
    stats.SetStandardDeviation(0.5);
    text += Readings(moments.str() + "; of 1 and 3 about 2, mean 2 and deviation 0.5 set", stats);
    stats.SetArithmeticMean(qvrfc::kNearZero);  // no division at the limit itself
    text += Readings("mean set to the near-zero limit", stats);
    stats.Clear();
    text +=
        Readings("cleared, distribution refused" + Distribute(stats, 1, 0.0, 1.0, {}, 0), stats);
    qvrfc_test::ExpectGolden("statistics/passes.txt", text);
}

TEST(SampleFunctions, MeanAndPopulationDeviationInAllForms) {
    Values a(std::vector<double>{9, 1, 2, 3}), empty;
    const double* p = a.GetData();
    const double variance = 9.6875, fromOne = 2.0 / 3.0;  // of 9 1 2 3, and of 1 2 3
    const std::pair<double, double> cases[] = {
        {Stats::GetArithmeticMean(a, 0), 3.75},
        {Stats::GetArithmeticMean(&a, 0), 3.75},
        {Stats::GetArithmeticMean(4, p, 0), 3.75},
        {Stats::GetArithmeticMean(3, p, 1), 2.0},
        {Stats::GetStandardDeviation(a, 0), std::sqrt(variance)},
        {Stats::GetStandardDeviation(&a, 0), std::sqrt(variance)},
        {Stats::GetStandardDeviation(4, p, 0), std::sqrt(variance)},
        {Stats::GetStandardDeviation(3, p, 1), std::sqrt(fromOne)},
    };
    for (const auto& [actual, expected] : cases)
        EXPECT_DOUBLE_EQ(actual, expected);
    // Bad arguments: no values, no storage, or a start that would leave the array.
    EXPECT_EQ(Stats::GetArithmeticMean(empty, 0) + Stats::GetArithmeticMean(&empty, 0) +
                  Stats::GetArithmeticMean(static_cast<Values*>(nullptr), 0) +
                  Stats::GetArithmeticMean(0, p, 0) + Stats::GetArithmeticMean(3, nullptr, 0) +
                  Stats::GetArithmeticMean(a, 1) + Stats::GetStandardDeviation(a, -1),
              0.0);
}

TEST(SampleFunctions, CorrelationAndRegression) {
    Values x(std::vector<double>{1, 2, 3}), up(std::vector<double>{2, 4, 6});
    Values down(std::vector<double>{6, 4, 2}), y(std::vector<double>{3, 5, 7});
    Values tenths(std::vector<double>{0.1, 0.1, 0.1}), shorter(std::vector<double>{1, 2});
    EXPECT_DOUBLE_EQ(Stats::GetCorrelationCoefficients(x, up, 0), 1.0);
    EXPECT_DOUBLE_EQ(Stats::GetCorrelationCoefficients(&x, &down, 0), -1.0);
    // A constant sample, even one whose sums do not cancel exactly, has no correlation.
    const double sevenTenths[] = {0.7, 0.7, 0.7, 0.7, 0.7}, oneToFive[] = {1, 2, 3, 4, 5};
    EXPECT_EQ(Stats::GetCorrelationCoefficients(5, oneToFive, sevenTenths, 0), 0.0);
    EXPECT_EQ(Stats::GetCorrelationCoefficients(tenths, x, 0), 0.0);

    double slope = -1.0, intercept = -1.0;
    EXPECT_EQ(Stats::GetLinearRegressionCoefficients(x, y, slope, intercept, 0), 1);
    EXPECT_EQ(slope * 10 + intercept, 21.0);
    const double xs[] = {0, 1, 2, 3}, ys[] = {0, 3, 5, 7};
    slope = intercept = -1.0;
    EXPECT_EQ(Stats::GetLinearRegressionCoefficients(3, xs, ys, slope, intercept, 1), 1);
    EXPECT_DOUBLE_EQ(slope * 10 + intercept, 21.0);
    // A constant x whose mean is off by rounding gives no line: 0 and both zero.
    EXPECT_EQ(Stats::GetLinearRegressionCoefficients(&tenths, &y, slope, intercept, 0), 0);
    EXPECT_EQ(slope + intercept, 0.0);

    // Unequal sizes, null pointers, a start past the values: 0 and untouched outputs.
    slope = intercept = -1.0;
    EXPECT_EQ(Stats::GetCorrelationCoefficients(x, shorter, 0) +
                  Stats::GetCorrelationCoefficients(&x, &shorter, 0) +
                  Stats::GetCorrelationCoefficients(&x, nullptr, 0),
              0.0);
    EXPECT_EQ(Stats::GetLinearRegressionCoefficients(x, shorter, slope, intercept, 0) +
                  Stats::GetLinearRegressionCoefficients(nullptr, &y, slope, intercept, 0) +
                  Stats::GetLinearRegressionCoefficients(x, y, slope, intercept, 1),
              0);
    EXPECT_EQ(slope + intercept, -2.0);
}

TEST(SampleFunctionsDeathTest, CheckedAccessStopsOutsideTheArray) {
    Values a(std::vector<double>{1, 2, 3, 4}), b(std::vector<double>{1, 2, 3, 4});
    double slope = 0.0, intercept = 0.0;
    // Starting at 1, the last value read would be the one at the element count.
    EXPECT_EXIT(Stats::GetArithmeticMean(&a, 1), testing::ExitedWithCode(1), "");
    EXPECT_EXIT(Stats::GetCorrelationCoefficients(&a, &b, 1), testing::ExitedWithCode(1), "");
    EXPECT_EXIT(Stats::GetLinearRegressionCoefficients(&a, &b, slope, intercept, 2),
                testing::ExitedWithCode(1), "");
}
