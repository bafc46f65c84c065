// S/N ratios of every type, factor effects, analysis of variance with pooling and predictions.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

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
    EXPECT_DOUBLE_EQ(Analyzer::GetSNRatioNominalTheBest2(1, ltb, 0), 80.0);   // one: floored
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
}

namespace {

using Sum = std::pair<double, int>;  // a sum of squares and its degrees of freedom

void ExpectSum(const Sum& got, double sum, int dof, double tolerance = 1e-9) {
    EXPECT_NEAR(got.first, sum, tolerance);
    EXPECT_EQ(got.second, dof) << "degrees of freedom of " << sum;
}

// The engine's three sums of squares, each with the degrees of freedom it reports.
Sum Factor(const Analyzer& a, int factor, Analyzer::FACTOR_EFFECT_TYPE type, int pooling = 1) {
    int dof = -7;
    return {a.GetFactorSumsOfSquares(0, factor, dof, type, pooling), dof};
}
Sum Error(const Analyzer& a, Analyzer::FACTOR_EFFECT_TYPE type) {
    int dof = -7;
    return {a.GetErrorSumsOfSquares(0, dof, type), dof};
}
Sum Total(const Analyzer& a, Analyzer::FACTOR_EFFECT_TYPE type) {
    int dof = -7;
    return {a.GetTotalSumsOfSquares(0, dof, type), dof};
}

}  // namespace

// The report texts show the pooled tables in full; here the rule for each flag.
TEST(Anova, PoolingFlags) {
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
    // Flag 2 on C leaves the total only: no error, and its own row still counts.
    a.ResetAllFactorUnpooled(0);
    a.SetFactorPooled(0, 2, 2);
    ExpectSum(Error(a, kSN), 0.0, 0);
    ExpectSum(Total(a, kSN), 52.0, 2);
    ExpectSum(Factor(a, 2, kSN), 4.0, 1);
}

TEST(Anova, DataSetBQualityTable) {
    Analyzer a;
    reference::SetUpDataSetB(a);
    // R's sums of squares of these observations are checked with the charts' analysis table.
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

// The report texts show the best levels and predictions of every response; here the levels
// chosen, the threshold and the refusals.
TEST(Prediction, LevelsThresholdAndNegativeRatios) {
    Analyzer a;
    reference::SetUpL4SNRatios(a, {10, 12, 14, 20});
    int levels[3] = {-7, -7, -7};
    EXPECT_NEAR(a.PredictBestSNRatio(0, levels, 3.0), 19.0, 1e-9);  // C's 2 dB is left out
    EXPECT_EQ(std::vector<int>(levels, levels + 3), (std::vector<int>{1, 1, -1}));
    const int none[] = {-1, -1, -1}, worst[] = {0, 0, 1};
    EXPECT_NEAR(a.PredictSNRatio(0, none), 14.0, 1e-9);
    EXPECT_NEAR(a.PredictSNRatio(0, worst), 8.0, 1e-9);
    EXPECT_NEAR(a.PredictResponseValue(0, kSN, worst, 3.0), 9.0, 1e-9);
    EXPECT_EQ(a.PredictSNRatio(0, nullptr), -1.0);

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
