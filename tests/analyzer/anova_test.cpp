#include <gtest/gtest.h>

#include <utility>

#include "analysis_names.h"
#include "analyzer/QVRFCDOEAnalyzer.h"
#include "reference_data.h"

namespace {

using Sum = std::pair<double, int>;  // a sum of squares and its degrees of freedom

void ExpectSum(const Sum& got, double sum, int dof, double tolerance = 1e-9) {
    EXPECT_NEAR(got.first, sum, tolerance);
    EXPECT_EQ(got.second, dof) << "degrees of freedom of " << sum;
}

Sum Factor(const Analyzer& a, int factor, Analyzer::FACTOR_EFFECT_TYPE type, int pooling = 1) {
    int dof = -7;
    const double sum = a.GetFactorSumsOfSquares(0, factor, dof, type, pooling);
    return {sum, dof};
}
Sum Error(const Analyzer& a, Analyzer::FACTOR_EFFECT_TYPE type) {
    int dof = -7;
    const double sum = a.GetErrorSumsOfSquares(0, dof, type);
    return {sum, dof};
}
Sum Total(const Analyzer& a, Analyzer::FACTOR_EFFECT_TYPE type) {
    int dof = -7;
    const double sum = a.GetTotalSumsOfSquares(0, dof, type);
    return {sum, dof};
}

}  // namespace

TEST(Anova, L4ReferenceAndPoolingFlags) {
    Analyzer q;  // run averages 10, 12, 14, 20 with observations one unit below and above
    reference::SetUpL4SNRatios(q, {10, 12, 14, 20});
    const double average[] = {10, 12, 14, 20};
    for (int run = 0; run < 4; ++run)
        reference::EnterRun(q, 0, run, {average[run] - 1, average[run] + 1});
    ExpectSum(Factor(q, 0, kQuality), 72.0, 1);
    ExpectSum(Error(q, kQuality), 8.0, 4);
    ExpectSum(Factor(q, 1, kStdev), 0.0, 1);  // the deviation has no ANOVA

    Analyzer a;  // S/N ratios 10, 12, 14, 20 dB: factor sums of squares 36, 16, 4
    reference::SetUpL4SNRatios(a, {10, 12, 14, 20});
    ExpectSum(Error(a, kSN), 0.0, 0);
    ExpectSum(Total(a, kSN), 56.0, 3);
    double sd = -1, pct = -1, f = -1;
    a.GetFactorVariance(0, 0, 36.0, 1, 0.0, f, pct, kSN);
    EXPECT_EQ(f, 0.0);  // no error variance, no F value
    // A variance that rounding left below zero has a deviation of 0.0, not NaN.
    EXPECT_LT(a.GetErrorVariance(0, -1e-12, 1, sd, pct, kSN), 0.0);
    EXPECT_EQ(sd, 0.0);

    // Flag 1 on B moves its 16 into the error and out of the total.
    a.SetFactorPooled(0, 1, 1);
    ExpectSum(Error(a, kSN), 16.0, 1);
    ExpectSum(Factor(a, 1, kSN), 0.0, 0);
    ExpectSum(Factor(a, 1, kSN, 0), 16.0, 1);  // pooling not respected
    ExpectSum(Total(a, kSN), 40.0, 2);
    const double ve = a.GetErrorVariance(0, 16.0, 1, sd, pct, kSN);
    EXPECT_NEAR(ve + sd + pct, 16.0 + 4.0 + 40.0, 1e-9);
    EXPECT_EQ(a.GetFactorVariance(0, 1, 16.0, 1, ve, f, pct, kSN) + f + pct, 0.0);
    EXPECT_NEAR(a.GetFactorVariance(0, 0, 36.0, 1, ve, f, pct, kSN), 36.0, 1e-12);
    EXPECT_NEAR(f + pct, 2.25 + 90.0, 1e-9);

    // Flag 2 on C leaves the total only: no error, and its own row still counts.
    a.ResetAllFactorUnpooled(0);
    a.SetFactorPooled(0, 2, 2);
    ExpectSum(Error(a, kSN), 0.0, 0);
    ExpectSum(Total(a, kSN), 52.0, 2);
    ExpectSum(Factor(a, 2, kSN), 4.0, 1);
    a.GetFactorVariance(0, 2, 4.0, 1, 0.0, f, pct, kSN);
    EXPECT_NEAR(pct, 400.0 / 52, 1e-9);
}

TEST(Anova, DataSetBQualityTable) {
    Analyzer a;
    reference::SetUpDataSetB(a);
    ExpectSum(Error(a, kQuality), 1086.0, 36, 0.05);
    const double expected[] = {14133.0, 252.6, 337.3, 939.0};
    for (int factor = 0; factor < 4; ++factor)
        ExpectSum(Factor(a, factor, kQuality), expected[factor], 2, 0.05);
    ExpectSum(Total(a, kQuality), 15661.84, 8, 5e-3);
    double sd = 0, pct = 0, f = 0;
    const Sum error = Error(a, kQuality);
    const double ve = a.GetErrorVariance(0, error.first, error.second, sd, pct, kQuality);
    EXPECT_NEAR(ve, 30.17, 5e-3);
    a.GetFactorVariance(0, 0, Factor(a, 0, kQuality).first, 2, ve, f, pct, kQuality);
    EXPECT_NEAR(pct, 90.2, 0.05);
    EXPECT_NEAR(f, 234.2, 0.05);
}

TEST(Anova, ErrorOfUnequalRunsAndTotalWalk) {
    Analyzer a;
    ASSERT_EQ(a.SetupDOE(1, Array::OA_L4, nullptr), 1);
    reference::EnterRun(a, 0, 0, {1, 2, 3, 4});  // 5 with 3 dof
    reference::EnterRun(a, 0, 1, {2, 4});        // 2 with 1 dof
    reference::EnterRun(a, 0, 2, {7, 2e12, 9});  // 2 with 1 dof, the missing one left out
    reference::EnterRun(a, 0, 3, {5});           // nothing
    ExpectSum(Error(a, kQuality), 9.0, 5);
    ExpectSum(Total(a, kQuality), 0.0, 0);  // no control factor values
    double f = -1, pct = -1;
    a.GetFactorVariance(0, 0, 3.0, 1, 1.0, f, pct, kQuality);
    EXPECT_EQ(pct, 0.0);

    // Three two-level factors left on an L8: the walk skips column IDs 3 and above.
    Analyzer b;
    ASSERT_EQ(b.SetupDOE(1, Array::OA_L8, nullptr), 1);
    for (int run = 0; run < 8; ++run)
        reference::EnterRun(b, 0, run, {run * 1.0, run + 2.0});
    reference::SetLevelNumbersAsValues(b);
    b.SetFactorPooled(0, 0, 1);
    b.SetFactorPooled(0, 4, 1);
    b.SetFactorPooled(0, 6, 2);
    EXPECT_EQ(Total(b, kQuality).second, 4);
    ASSERT_EQ(b.SetupDOE(1, 8, 3, 2, nullptr), 1);
    for (int run = 0; run < 8; ++run)
        reference::EnterRun(b, 0, run, {run * 1.0, run + 2.0});
    reference::SetLevelNumbersAsValues(b);
    ExpectSum(Total(b, kQuality), 80.0, 2);  // A 64 and B 16; C has no column
}
