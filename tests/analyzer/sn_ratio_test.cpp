#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "analyzer/QVRFCDOEAnalyzer.h"
#include "reference_data.h"
#include "support/golden.h"

TEST(SNRatio, ReferenceRunsOfEveryType) {
    const std::vector<double> c1 = {10.18, 10.18, 10.12, 10.06, 10.02, 9.98, 10.20};  // data set C
    const std::vector<double> runs[6] = {{0.55, 0.67, 0.70, 0.54, 0.41, 0.32, 0.46, 0.66},
                                         {0.37, 0.41, 0.37, 0.43, 0.39, 0.35, 0.40, 0.36},
                                         c1,
                                         c1,
                                         {0.64, 0.56, 0.71, 0.55, 0.59, 0.75, 0.64, 0.76},
                                         {17, 21, 30, 12, 10, 24, 16, 27}};
    const Analyzer::SN_RATIO_TYPE types[6] = {
        Analyzer::NOMINAL_THE_BEST_1, Analyzer::NOMINAL_THE_BEST_1, Analyzer::NOMINAL_THE_BEST_2,
        Analyzer::NOMINAL_THE_BEST_3, Analyzer::SMALLER_THE_BETTER, Analyzer::LARGER_THE_BETTER};
    const double targets[6] = {0.5, 0.5, 0, 0, 0, 0};
    const double averages[6] = {0.539, 0.385, 10.106, 10.106, 0.650, 19.625};
    const double deviations[6] = {0.136, 0.027, 0.087, 0.087, 0.082, 7.110};
    const double ratios[6] = {17.01, 18.55, 21.21, 41.31, 3.67, 24.15};
    Analyzer a;
    ASSERT_EQ(a.SetupDOE(1, Array::OA_L9, nullptr), 1);
    for (int run = 0; run < 6; ++run) {
        SCOPED_TRACE(run + 1);
        ASSERT_EQ(reference::EnterRun(a, 0, run, runs[run]), 1);
        EXPECT_NEAR(a.GetRunQualityValue(0, run), averages[run], 5e-4);
        EXPECT_NEAR(a.GetRunStandardDeviation(0, run), deviations[run], 5e-4);
        EXPECT_NEAR(a.GetSNRatio(0, run, types[run], targets[run]), ratios[run], 5e-3);
    }

    Analyzer b;
    reference::SetUpDataSetB(b);
    EXPECT_NEAR(b.GetRunQualityValue(0, 0), 66.220, 5e-4);
    EXPECT_NEAR(b.GetRunStandardDeviation(0, 0), 6.767, 5e-4);
    EXPECT_NEAR(b.GetMeanSquareDeviation(0, 0), 2.3472e-04, 5e-9);
    EXPECT_NEAR(b.GetCoefficientOfVariation(0, 0), 1.0219e-01, 5e-6);
    EXPECT_NEAR(b.GetSNRatio(0, 0), 36.29, 5e-3);
}

TEST(SNRatio, DescriptionTexts) {
    Analyzer a;
    ASSERT_EQ(a.SetupDOE(1, Array::OA_L4, nullptr), 1);
    std::string text;
    for (int type : {0, 1, 2, 3, 4, 5, 9}) {
        a.SetQualityCharacteristic(0, static_cast<Analyzer::SN_RATIO_TYPE>(type), 0.0);
        text += std::to_string(type) + " " + a.GetSNRatioType(0).str() + "\n";
    }
    qvrfc_test::ExpectGolden("analyzer/sn_ratio_types.txt", text);
}

TEST(SNRatio, FloorsLimitsAndRunFormulas) {
    Analyzer a;
    ASSERT_EQ(a.SetupDOE(1, Array::OA_L4, nullptr), 1);
    EXPECT_DOUBLE_EQ(a.GetSNRatioNominalTheBest2(0.0), 80.0);
    EXPECT_DOUBLE_EQ(a.GetSNRatioNominalTheBest1(3.0, 3.0, 0.0), 80.0);
    EXPECT_DOUBLE_EQ(a.GetSNRatioNominalTheBest3(10.0, 1.0), 20.0);
    EXPECT_EQ(a.GetSNRatioNominalTheBest3(0.0, 1.0) + a.GetSNRatioNominalTheBest3(-5.0, 1.0), 0.0);
    EXPECT_EQ(a.GetSNRatioSmallerTheBetter(0.0, 0.0), std::numeric_limits<double>::infinity());

    reference::EnterRun(a, 0, 0, {4.0, 6.0, 8.0});
    reference::EnterRun(a, 0, 1, {5.0, 5.0, 5.0});
    reference::EnterRun(a, 0, 2, std::vector<double>(10, 0.0));
    reference::EnterRun(a, 0, 3, {-1.0, 1.0});
    EXPECT_NEAR(a.GetSNRatioNominalTheBest4(0, 0), 9.378521, 1e-6);  // 10 log(104 / 12)
    EXPECT_DOUBLE_EQ(a.GetSNRatioNominalTheBest4(0, 1), -80.0);
    EXPECT_DOUBLE_EQ(a.GetSNRatioLargerTheBetter(0, 2), 90.0);
    EXPECT_NEAR(a.GetSensitivity(0, 0), 15.399121, 1e-6);  // 10 log(104 / 3)
    EXPECT_DOUBLE_EQ(a.GetSensitivity(0, 3), -1.0);        // Sm < Ve: returned as it stands
    EXPECT_EQ(a.GetCoefficientOfVariation(0, 3), -1e10);

    a.SetQualityCharacteristic(0, Analyzer::NOMINAL_THE_BEST_4, 5.0);
    EXPECT_DOUBLE_EQ(a.GetMeanSquareDeviation(0, 0), 11.0 / 3.0);
    a.SetQualityCharacteristic(0, Analyzer::SMALLER_THE_BETTER, 5.0);
    EXPECT_DOUBLE_EQ(a.GetMeanSquareDeviation(0, 0), 116.0 / 3.0);
    a.SetQualityCharacteristic(0, Analyzer::LARGER_THE_BETTER, 5.0);
    EXPECT_DOUBLE_EQ(a.GetMeanSquareDeviation(0, 0), (1 / 16.0 + 1 / 36.0 + 1 / 64.0) / 3);
    reference::EnterRun(a, 0, 2, {0.0});
    EXPECT_DOUBLE_EQ(a.GetSNRatio(0, 2), 80.0);
    reference::EnterRun(a, 0, 2, {});  // no slot: MSD and larger-the-better 0.0
    EXPECT_EQ(a.GetMeanSquareDeviation(0, 2) + a.GetSNRatio(0, 2), 0.0);

    a.SetQualityCharacteristic(0, static_cast<Analyzer::SN_RATIO_TYPE>(7), 0.0);
    EXPECT_EQ(a.GetSNRatio(0, 0), 0.0);
    EXPECT_EQ(a.GetMeanSquareDeviation(0, 0), -1.0);
}

TEST(SNRatio, StaticForms) {
    double ltb[] = {1, 2, 4}, ltbExtra[] = {1, 0, 2, -3, 4};
    EXPECT_NEAR(Analyzer::GetSNRatioLargerTheBetter(3, ltb), 3.590, 5e-4);
    EXPECT_DOUBLE_EQ(Analyzer::GetSNRatioLargerTheBetter(5, ltbExtra),
                     Analyzer::GetSNRatioLargerTheBetter(3, ltb));
    double spread[] = {2, 4, 4, 4, 5, 5, 7, 9};
    EXPECT_NEAR(Analyzer::GetSNRatioNominalTheBest2(8, spread, 0), -6.021, 5e-4);
    EXPECT_NEAR(Analyzer::GetSNRatioNominalTheBest3(8, spread, 0), 7.958800, 1e-6);
    double mixed[] = {-2, 2, 4};
    EXPECT_DOUBLE_EQ(Analyzer::GetSNRatioSmallerTheBetter(3, mixed), -10.0);
    EXPECT_NEAR(Analyzer::GetSNRatioNominalTheBest1(3, mixed, 1.0, 0), -8.016323, 1e-6);
    EXPECT_NEAR(Analyzer::GetSNRatioNominalTheBest1(3, mixed, 1.0, 1), -6.989700, 1e-6);
    EXPECT_DOUBLE_EQ(Analyzer::GetSNRatioNominalTheBest2(3, mixed, 1), 0.0);  // variance 1
    double zeros[] = {0.0, 0.0};
    EXPECT_DOUBLE_EQ(Analyzer::GetSNRatioLargerTheBetter(2, zeros), 80.0);
    EXPECT_EQ(Analyzer::GetSNRatioLargerTheBetter(0, ltb) +  // no values: 0.0
                  Analyzer::GetSNRatioSmallerTheBetter(3, nullptr) +
                  Analyzer::GetSNRatioNominalTheBest1(-1, ltb, 0.0, 0) +
                  Analyzer::GetSNRatioNominalTheBest3(3, nullptr, 0),
              0.0);
}

// Effects read the S/N ratio stored in each run; only GetSNRatio writes it.
TEST(SNRatio, StoredRatioChangesOnlyThroughGetSNRatio) {
    Analyzer a;
    ASSERT_EQ(a.SetupDOE(1, Array::OA_L4, nullptr), 1);
    a.SetQualityCharacteristic(0, Analyzer::LARGER_THE_BETTER, 0.0);
    auto stored = [&a] {
        return a.GetFactorLevelEffect(0, 0, 0, Analyzer::FACTOR_EFFECT_SN_RATIO);
    };
    EXPECT_EQ(stored(), 2e12);  // never computed
    reference::EnterRun(a, 0, 0, {10.0});
    reference::EnterRun(a, 0, 1, {100.0});
    EXPECT_DOUBLE_EQ(stored(), 30.0);
    a.SetQualityCharacteristic(0, Analyzer::NOMINAL_THE_BEST_2, 0.0);
    a.AppendQualityValue(0, 0, 1000.0);
    a.GetMeanSquareDeviation(0, 0);
    a.GetSensitivity(0, 0);
    EXPECT_EQ(a.GetSNRatio(0, 4) + a.GetSNRatio(1, 0, Analyzer::NOMINAL_THE_BEST_2, 0.0), 0.0);
    EXPECT_DOUBLE_EQ(stored(), 30.0);
    EXPECT_NEAR(a.GetSNRatio(0, 0, Analyzer::LARGER_THE_BETTER, 0.0), 23.009866, 1e-6);
    EXPECT_NEAR(stored(), 31.504933, 1e-6);  // with run 1's 40 dB
    EXPECT_DOUBLE_EQ(a.GetSNRatio(0, 1), 80.0);
    EXPECT_NEAR(stored(), 51.504933, 1e-6);
}
