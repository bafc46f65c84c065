#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <string>
#include <vector>

#include "common/QVRFCDoubleArray.h"
#include "statistics/QVRFCStatistics.h"
#include "support/test_support.h"

using Stats = CQVRFCStatistics;

namespace {

CQVRFCDoubleArray Array(std::vector<double> values) {
    return CQVRFCDoubleArray(std::move(values));
}

}  // namespace

TEST(SampleFunctions, MeanAndPopulationDeviationInAllForms) {
    CQVRFCDoubleArray a = Array({1, 2, 3, 4});
    EXPECT_DOUBLE_EQ(Stats::GetArithmeticMean(a, 0), 2.5);
    EXPECT_DOUBLE_EQ(Stats::GetArithmeticMean(&a, 0), 2.5);
    EXPECT_DOUBLE_EQ(Stats::GetArithmeticMean(4, a.GetData(), 0), 2.5);
    EXPECT_DOUBLE_EQ(Stats::GetStandardDeviation(a, 0), std::sqrt(1.25));
    EXPECT_DOUBLE_EQ(Stats::GetStandardDeviation(&a, 0), std::sqrt(1.25));
    EXPECT_DOUBLE_EQ(Stats::GetStandardDeviation(4, a.GetData(), 0), std::sqrt(1.25));

    const double storage[] = {9, 1, 2, 3};
    EXPECT_DOUBLE_EQ(Stats::GetArithmeticMean(3, storage, 1), 2.0);
    EXPECT_DOUBLE_EQ(Stats::GetStandardDeviation(3, storage, 1), std::sqrt(2.0 / 3.0));

    // Bad arguments: no values, no storage, or a start that would leave the array.
    CQVRFCDoubleArray empty;
    EXPECT_EQ(Stats::GetArithmeticMean(empty, 0), 0.0);
    EXPECT_EQ(Stats::GetArithmeticMean(&empty, 0), 0.0);
    EXPECT_EQ(Stats::GetArithmeticMean(static_cast<CQVRFCDoubleArray*>(nullptr), 0), 0.0);
    EXPECT_EQ(Stats::GetArithmeticMean(0, storage, 0), 0.0);
    EXPECT_EQ(Stats::GetArithmeticMean(3, nullptr, 0), 0.0);
    EXPECT_EQ(Stats::GetArithmeticMean(a, 1), 0.0);
    EXPECT_EQ(Stats::GetStandardDeviation(a, -1), 0.0);
}

TEST(SampleFunctions, CorrelationAndRegression) {
    CQVRFCDoubleArray x = Array({1, 2, 3});
    CQVRFCDoubleArray up = Array({2, 4, 6});
    CQVRFCDoubleArray down = Array({6, 4, 2});
    CQVRFCDoubleArray flat = Array({5, 5, 5});
    EXPECT_DOUBLE_EQ(Stats::GetCorrelationCoefficients(x, up, 0), 1.0);
    EXPECT_DOUBLE_EQ(Stats::GetCorrelationCoefficients(&x, &down, 0), -1.0);
    EXPECT_EQ(Stats::GetCorrelationCoefficients(3, x.GetData(), flat.GetData(), 0), 0.0);
    // A constant sample whose sums do not cancel exactly still has no correlation.
    CQVRFCDoubleArray spread = Array({0.3, 0.3, 0.3});
    EXPECT_EQ(Stats::GetCorrelationCoefficients(spread, x, 0), 0.0);
    const double sevenTenths[] = {0.7, 0.7, 0.7, 0.7, 0.7}, oneToFive[] = {1, 2, 3, 4, 5};
    EXPECT_EQ(Stats::GetCorrelationCoefficients(5, oneToFive, sevenTenths, 0), 0.0);

    CQVRFCDoubleArray y = Array({3, 5, 7});
    double slope = -1.0, intercept = -1.0;
    EXPECT_EQ(Stats::GetLinearRegressionCoefficients(x, y, slope, intercept, 0), 1);
    EXPECT_DOUBLE_EQ(slope, 2.0);
    EXPECT_DOUBLE_EQ(intercept, 1.0);
    slope = intercept = -1.0;
    EXPECT_EQ(Stats::GetLinearRegressionCoefficients(&x, &y, slope, intercept, 0), 1);
    EXPECT_DOUBLE_EQ(slope, 2.0);
    const double xs[] = {0, 1, 2, 3}, ys[] = {0, 3, 5, 7};
    slope = intercept = -1.0;
    EXPECT_EQ(Stats::GetLinearRegressionCoefficients(3, xs, ys, slope, intercept, 1), 1);
    EXPECT_DOUBLE_EQ(intercept, 1.0);

    CQVRFCDoubleArray same = Array({2, 2, 2});
    EXPECT_EQ(Stats::GetLinearRegressionCoefficients(same, y, slope, intercept, 0), 0);
    EXPECT_EQ(slope, 0.0);
    EXPECT_EQ(intercept, 0.0);
    // A constant x whose mean is off by rounding still gives no line.
    CQVRFCDoubleArray tenths = Array({0.1, 0.1, 0.1});
    slope = intercept = -1.0;
    EXPECT_EQ(Stats::GetLinearRegressionCoefficients(tenths, y, slope, intercept, 0), 0);
    EXPECT_EQ(slope, 0.0);

    // Unequal sizes, null pointers: 0 and untouched outputs.
    CQVRFCDoubleArray shorter = Array({1, 2});
    slope = intercept = -1.0;
    EXPECT_EQ(Stats::GetCorrelationCoefficients(x, shorter, 0), 0.0);
    EXPECT_EQ(Stats::GetCorrelationCoefficients(&x, &shorter, 0), 0.0);
    EXPECT_EQ(Stats::GetCorrelationCoefficients(&x, nullptr, 0), 0.0);
    EXPECT_EQ(Stats::GetLinearRegressionCoefficients(x, shorter, slope, intercept, 0), 0);
    EXPECT_EQ(Stats::GetLinearRegressionCoefficients(nullptr, &y, slope, intercept, 0), 0);
    EXPECT_EQ(Stats::GetLinearRegressionCoefficients(x, y, slope, intercept, 1), 0);
    EXPECT_EQ(slope, -1.0);
    EXPECT_EQ(intercept, -1.0);
}

TEST(SampleFunctionsDeathTest, CheckedAccessStopsOutsideTheArray) {
    CQVRFCDoubleArray a = Array({1, 2, 3, 4});
    CQVRFCDoubleArray b = Array({1, 2, 3, 4});
    double slope = 0.0, intercept = 0.0;
    // Starting at 1, the last value read would be the one at the element count.
    EXPECT_EXIT(Stats::GetArithmeticMean(&a, 1), testing::ExitedWithCode(1), "");
    EXPECT_EXIT(Stats::GetStandardDeviation(&a, -1), testing::ExitedWithCode(1), "");
    EXPECT_EXIT(Stats::GetCorrelationCoefficients(&a, &b, 1), testing::ExitedWithCode(1), "");
    EXPECT_EXIT(Stats::GetLinearRegressionCoefficients(&a, &b, slope, intercept, 2),
                testing::ExitedWithCode(1), "");

    // The message goes to standard output, which the death test does not see.
    int status = 0;
    const std::string out = qvrfc_test::CaptureStdout([&] {
        const pid_t child = fork();
        if (child == 0) {
            Stats::GetArithmeticMean(&a, 1);
            _exit(0);
        }
        waitpid(child, &status, 0);
    });
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(out, "@@@@( Error: Vector check bound error!\n\n");
}
