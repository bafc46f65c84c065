#include <gtest/gtest.h>

#include <vector>

#include "analysis_names.h"
#include "analyzer/QVRFCDOEAnalyzer.h"
#include "reference_data.h"

TEST(Prediction, L4Reference) {
    Analyzer a;
    reference::SetUpL4SNRatios(a, {10, 12, 14, 20});
    int levels[3] = {-7, -7, -7};
    EXPECT_NEAR(a.PredictBestSNRatio(0, levels, 0.0), 20.0, 1e-9);
    EXPECT_EQ(std::vector<int>(levels, levels + 3), (std::vector<int>{1, 1, 0}));
    EXPECT_NEAR(a.PredictBestSNRatio(0, levels, 3.0), 19.0, 1e-9);
    EXPECT_EQ(levels[2], -1);
    EXPECT_NEAR(a.PredictSNRatio(0, levels), 19.0, 1e-9);
    const int none[] = {-1, -1, -1}, worst[] = {0, 0, 1};
    EXPECT_NEAR(a.PredictSNRatio(0, none), 14.0, 1e-9);
    EXPECT_NEAR(a.PredictSNRatio(0, worst), 8.0, 1e-9);
    EXPECT_EQ(a.PredictSNRatio(0, nullptr), -1.0);

    CString combination = "stale";
    EXPECT_NEAR(a.PredictResponseValue(0, kSN, 1, combination), 17.0, 1e-9);
    EXPECT_STREQ(combination, "A2");
    EXPECT_NEAR(a.PredictResponseValue(0, kSN, 0, combination), 20.0, 1e-9);
    EXPECT_STREQ(combination, "A2B2C1");
    EXPECT_NEAR(a.PredictResponseValue(0, kSN, nullptr, 0.0), 20.0, 1e-9);
    EXPECT_NEAR(a.PredictResponseValue(0, kSN, worst, 3.0), 9.0, 1e-9);  // C's 2 dB is left out

    // Negative S/N ratios: the two S/N forms refuse, the response form predicts.
    Analyzer negative;
    reference::SetUpL4SNRatios(negative, {-3, -5, -7, -5});
    levels[0] = 5;
    EXPECT_EQ(negative.PredictSNRatio(0, none), -1.0);
    EXPECT_EQ(negative.PredictBestSNRatio(0, levels, 0.0), -1.0);
    EXPECT_EQ(levels[0], 5);
    EXPECT_NEAR(negative.PredictResponseValue(0, kSN, none, 0.0), -5.0, 1e-9);
    EXPECT_NEAR(negative.PredictResponseValue(0, kSN, nullptr, 0.0), -3.0, 1e-9);
}

TEST(Prediction, StandardDeviationTakesTheSmallestLevels) {
    Analyzer
        a;  // run deviations 1, 3, 5, 11 / sqrt(2): level means A 2 and 8, B 3 and 7, C 6 and 4
    ASSERT_EQ(a.SetupDOE(1, Array::OA_L4, nullptr), 1);
    const double spread[] = {1, 3, 5, 11};
    for (int run = 0; run < 4; ++run)
        reference::EnterRun(a, 0, run, {0.0, spread[run]});
    CString combination;
    const double best = a.PredictResponseValue(0, kStdev, 0, combination);
    EXPECT_STREQ(combination, "A1B1C2");
    const int levels[] = {0, 0, 1};
    EXPECT_DOUBLE_EQ(a.PredictResponseValue(0, kStdev, levels, 0.0), best);
    EXPECT_DOUBLE_EQ(a.PredictResponseValue(0, kStdev, nullptr, 0.0), best);
}
