#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "analysis_names.h"
#include "analyzer/QVRFCDOEAnalyzer.h"
#include "reference_data.h"

TEST(FactorEffects, DataSetBResponseTables) {
    Analyzer a;
    reference::SetUpDataSetB(a);
    EXPECT_NEAR(a.GetAveragedQualityValue(0), 93.11, 5e-3);
    EXPECT_NEAR(a.GetAveragedStandardDeviationValue(0), 5.34, 5e-3);
    EXPECT_NEAR(a.GetAveragedSNRatio(0), 39.15, 5e-3);
    EXPECT_NEAR(a.GetAveragedResponseValue(0, kSN), 39.15, 5e-3);
    const double levels[] = {69.69, 97.09, 112.55};
    for (int l = 0; l < 3; ++l)
        EXPECT_NEAR(a.GetFactorLevelEffect(0, 0, l, kQuality), levels[l], 5e-3);
    const double quality[] = {42.86, 5.71, 6.17, 10.73}, sn[] = {4.20, 0.65, 0.52, 0.97};
    for (int f = 0; f < 4; ++f) {
        EXPECT_NEAR(a.GetFactorEffect(0, f, kQuality, 1), quality[f], 5e-3);
        EXPECT_NEAR(a.GetFactorEffect(0, f, kSN, 1), sn[f], 5e-3);
    }
    EXPECT_STREQ(a.GetBestLevelsCombinationName(0, kQuality), "A3B3C3D2");
    EXPECT_STREQ(a.GetBestLevelsCombinationName(0, kSN), "A3B3C3D2");
    EXPECT_STREQ(a.GetBestLevelsCombinationName(0, kStdev), "A1B3C3D1");
    int ranks[4] = {};
    EXPECT_EQ(a.GetResponseRank(0, kQuality, ranks), 1);
    EXPECT_EQ(std::vector<int>(ranks, ranks + 4), (std::vector<int>{0, 3, 2, 1}));
}

TEST(FactorEffects, SignedEffectsRanksAndTies) {
    Analyzer a;
    reference::SetUpL4SNRatios(a, {10, 12, 14, 20});
    EXPECT_NEAR(a.GetFactorEffect(0, 0, kSN, 0), 6.0, 1e-9);
    EXPECT_NEAR(a.GetFactorEffect(0, 2, kSN, 0), -2.0, 1e-9);
    EXPECT_NEAR(a.GetFactorEffect(0, 2, kSN, 1), 2.0, 1e-9);
    EXPECT_EQ(a.GetFactorLevelEffect(0, 0, 2, kSN), 0.0);  // no run at level 3
    EXPECT_STREQ(a.GetBestLevelsCombinationName(0, static_cast<Analyzer::FACTOR_EFFECT_TYPE>(3)),
                 "A1B1C1");
    int ranks[3];
    a.GetResponseRank(0, kSN, ranks);
    EXPECT_EQ(std::vector<int>(ranks, ranks + 3), (std::vector<int>{0, 1, 2}));
    // Effects 5, 5, 1 share the larger rank: 1, 1, 2.
    Analyzer tie;
    reference::SetUpL4SNRatios(tie, {0, 6, 6, 10});
    tie.GetResponseRank(0, kSN, ranks);
    EXPECT_EQ(std::vector<int>(ranks, ranks + 3), (std::vector<int>{1, 1, 2}));

    // L9 factor A with run deviations 7, 3, 7 by level: the signed effect falls
    // (-4); the best level is 1 for the deviation and 1 for the larger average.
    Analyzer b;
    ASSERT_EQ(b.SetupDOE(1, Array::OA_L9, nullptr), 1);
    for (int run = 0; run < 9; ++run) {
        const double spread = (run / 3 == 1 ? 3.0 : 7.0) * std::sqrt(2.0);
        reference::EnterRun(b, 0, run, {0.0, spread});
    }
    EXPECT_NEAR(b.GetFactorEffect(0, 0, kStdev, 0), -4.0, 1e-12);
    EXPECT_NEAR(b.GetFactorEffect(0, 0, kQuality, 0), -4.0 / std::sqrt(2.0), 1e-12);
    EXPECT_EQ(b.GetLargestResponseControlFactorLevel(0, 0, kStdev), 1);
    EXPECT_EQ(b.GetLargestResponseControlFactorLevel(0, 0, kQuality), 0);
}
