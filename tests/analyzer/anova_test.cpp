#include <gtest/gtest.h>

#include "analysis_names.h"
#include "analyzer/QVRFCDOEAnalyzer.h"
#include "reference_data.h"

TEST(Anova, L4ReferenceAndPoolingFlags) {
    Analyzer q;  // run averages 10, 12, 14, 20 with observations one unit below and above
    reference::SetUpL4SNRatios(q, {10, 12, 14, 20});
    const double average[] = {10, 12, 14, 20};
    for (int run = 0; run < 4; ++run)
        reference::EnterRun(q, 0, run, {average[run] - 1, average[run] + 1});
    int dof = -1;
    EXPECT_NEAR(q.GetFactorSumsOfSquares(0, 0, dof, kQuality, 1), 72.0, 1e-9);
    EXPECT_EQ(dof, 1);
    EXPECT_NEAR(q.GetErrorSumsOfSquares(0, dof, kQuality), 8.0, 1e-9);
    EXPECT_EQ(dof, 4);
    // The standard deviation has no ANOVA: 0.0 with L - 1 degrees of freedom.
    EXPECT_EQ(q.GetFactorSumsOfSquares(0, 1, dof, kStdev, 1), 0.0);
    EXPECT_EQ(dof, 1);
    EXPECT_EQ(q.GetTotalSumsOfSquares(0, dof, kStdev), 0.0);

    Analyzer a;  // S/N ratios 10, 12, 14, 20 dB: factor sums of squares 36, 16, 4
    reference::SetUpL4SNRatios(a, {10, 12, 14, 20});
    EXPECT_EQ(a.GetErrorSumsOfSquares(0, dof, kSN), 0.0);
    EXPECT_EQ(dof, 0);
    double sd = -1, pct = -1, f = -1;
    EXPECT_EQ(a.GetErrorVariance(0, 0.0, 0, sd, pct, kSN), 0.0);
    a.GetFactorVariance(0, 0, 36.0, 1, 0.0, f, pct, kSN);
    EXPECT_EQ(f, 0.0);  // no error variance, no F value
    EXPECT_NEAR(a.GetTotalSumsOfSquares(0, dof, kSN), 56.0, 1e-9);
    EXPECT_EQ(dof, 3);
    // A variance that rounding left below zero has a deviation of 0.0, not NaN.
    EXPECT_LT(a.GetErrorVariance(0, -1e-12, 1, sd, pct, kSN), 0.0);
    EXPECT_EQ(sd, 0.0);

    // Flag 1 on B moves its 16 into the error and out of the total.
    a.SetFactorPooled(0, 1, 1);
    EXPECT_NEAR(a.GetErrorSumsOfSquares(0, dof, kSN), 16.0, 1e-9);
    EXPECT_EQ(dof, 1);
    const double ve = a.GetErrorVariance(0, 16.0, 1, sd, pct, kSN);
    EXPECT_NEAR(ve, 16.0, 1e-12);
    EXPECT_NEAR(sd, 4.0, 1e-12);
    EXPECT_NEAR(pct, 40.0, 1e-9);
    EXPECT_EQ(a.GetFactorSumsOfSquares(0, 1, dof, kSN, 1), 0.0);
    EXPECT_EQ(dof, 0);
    EXPECT_NEAR(a.GetFactorSumsOfSquares(0, 1, dof, kSN, 0), 16.0, 1e-9);  // pooling ignored
    EXPECT_EQ(a.GetFactorVariance(0, 1, 16.0, 1, ve, f, pct, kSN), 0.0);
    EXPECT_EQ(f + pct, 0.0);
    EXPECT_NEAR(a.GetFactorVariance(0, 0, 36.0, 1, ve, f, pct, kSN), 36.0, 1e-12);
    EXPECT_NEAR(f, 2.25, 1e-9);
    EXPECT_NEAR(pct, 90.0, 1e-9);
    EXPECT_NEAR(a.GetTotalSumsOfSquares(0, dof, kSN), 40.0, 1e-9);
    EXPECT_EQ(dof, 2);

    // Flag 2 on C leaves the total only: no error, and its own row still counts.
    a.ResetAllFactorUnpooled(0);
    a.SetFactorPooled(0, 2, 2);
    EXPECT_EQ(a.GetErrorSumsOfSquares(0, dof, kSN), 0.0);
    EXPECT_NEAR(a.GetTotalSumsOfSquares(0, dof, kSN), 52.0, 1e-9);
    EXPECT_NEAR(a.GetFactorSumsOfSquares(0, 2, dof, kSN, 1), 4.0, 1e-9);
    EXPECT_NEAR(a.GetFactorVariance(0, 2, 4.0, 1, 0.0, f, pct, kSN), 4.0, 1e-12);
    EXPECT_NEAR(pct, 400.0 / 52, 1e-9);
}

TEST(Anova, DataSetBQualityTable) {
    Analyzer a;
    reference::SetUpDataSetB(a);
    int errorDof = 0, dof = 0;
    const double errorSS = a.GetErrorSumsOfSquares(0, errorDof, kQuality);
    EXPECT_NEAR(errorSS, 1086.0, 0.05);
    EXPECT_EQ(errorDof, 36);
    double sd = 0, pct = 0, f = 0;
    const double ve = a.GetErrorVariance(0, errorSS, errorDof, sd, pct, kQuality);
    EXPECT_NEAR(ve, 30.17, 5e-3);
    const double expected[] = {14133.0, 252.6, 337.3, 939.0};
    for (int factor = 0; factor < 4; ++factor) {
        EXPECT_NEAR(a.GetFactorSumsOfSquares(0, factor, dof, kQuality, 1), expected[factor], 0.05);
        EXPECT_EQ(dof, 2);
    }
    const double ss = a.GetFactorSumsOfSquares(0, 0, dof, kQuality, 1);
    a.GetFactorVariance(0, 0, ss, dof, ve, f, pct, kQuality);
    EXPECT_NEAR(pct, 90.2, 0.05);
    EXPECT_NEAR(f, 234.2, 0.05);
    EXPECT_NEAR(a.GetTotalSumsOfSquares(0, dof, kQuality), 15661.84, 5e-3);
    EXPECT_EQ(dof, 8);
}

TEST(Anova, ErrorOfUnequalRunsAndTotalWalk) {
    Analyzer a;
    ASSERT_EQ(a.SetupDOE(1, Array::OA_L4, nullptr), 1);
    reference::EnterRun(a, 0, 0, {1, 2, 3, 4});  // 5 with 3 dof
    reference::EnterRun(a, 0, 1, {2, 4});        // 2 with 1 dof
    reference::EnterRun(a, 0, 2, {7, 2e12, 9});  // 2 with 1 dof, the missing one left out
    reference::EnterRun(a, 0, 3, {5});           // nothing
    int dof = 0;
    EXPECT_NEAR(a.GetErrorSumsOfSquares(0, dof, kQuality), 9.0, 1e-12);
    EXPECT_EQ(dof, 5);
    EXPECT_EQ(a.GetTotalSumsOfSquares(0, dof, kQuality), 0.0);  // no control factor values
    EXPECT_EQ(dof, 0);
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
    b.GetTotalSumsOfSquares(0, dof, kQuality);
    EXPECT_EQ(dof, 4);
    ASSERT_EQ(b.SetupDOE(1, 8, 3, 2, nullptr), 1);
    for (int run = 0; run < 8; ++run)
        reference::EnterRun(b, 0, run, {run * 1.0, run + 2.0});
    reference::SetLevelNumbersAsValues(b);
    EXPECT_NEAR(b.GetTotalSumsOfSquares(0, dof, kQuality), 80.0, 1e-9);  // A 64, B 16
    EXPECT_EQ(dof, 2);
}
