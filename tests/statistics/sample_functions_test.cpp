#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "common/QVRFCDoubleArray.h"
#include "statistics/QVRFCStatistics.h"

using Stats = CQVRFCStatistics;
using Values = CQVRFCDoubleArray;

TEST(SampleFunctions, MeanAndPopulationDeviationInAllForms) {
    Values a(std::vector<double>{9, 1, 2, 3}), empty;
    const double* p = a.GetData();
    const double means[] = {Stats::GetArithmeticMean(a, 0), Stats::GetArithmeticMean(&a, 0),
                            Stats::GetArithmeticMean(4, p, 0), Stats::GetArithmeticMean(3, p, 1)};
    const double deviations[] = {
        Stats::GetStandardDeviation(a, 0), Stats::GetStandardDeviation(&a, 0),
        Stats::GetStandardDeviation(4, p, 0), Stats::GetStandardDeviation(3, p, 1)};
    const double expectedMeans[] = {3.75, 3.75, 3.75, 2.0};
    const double expectedDeviations[] = {std::sqrt(9.6875), std::sqrt(9.6875), std::sqrt(9.6875),
                                         std::sqrt(2.0 / 3.0)};
    for (int i = 0; i < 4; ++i) {
        EXPECT_DOUBLE_EQ(means[i], expectedMeans[i]) << i;
        EXPECT_DOUBLE_EQ(deviations[i], expectedDeviations[i]) << i;
    }
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
