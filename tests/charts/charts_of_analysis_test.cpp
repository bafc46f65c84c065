// The charts' input filled from an analysis, against R (aov on data set B): level means and
// best levels, the verdict's contributions, the single-degree effects of a saturated design.
#include <gtest/gtest.h>

#include <cmath>

#include "qvrfc/analysis/Analysis.h"
#include "qvrfc/charts/ChartsOfAnalysis.h"
#include "qvrfc/common/QVRFCFactorNames.h"
#include "support/chart_inputs.h"
#include "support/test_support.h"

namespace {

// R's sums of squares of the S/N ratios of data set B, factors A to D.
const double kSnSS[4] = {20.182058712, 27.384158610, 17.994252746, 1.855874826};

TEST(ChartsOf, MainEffectsLevelMeansAndBestLevels) {
    const qvrfc::MainEffects chart = qvrfc::ChartsOf(qvrfc_test::NominalDataSetB())[0].mainEffects;
    ASSERT_EQ(chart.series.size(), 3u);  // S/N, mean and, with repetitions, the deviation
    const std::vector<std::vector<double>> sn = {{23.45968304, 24.35172496, 26.98697407},
                                                 {22.82106752, 24.88435440, 27.09296014},
                                                 {22.95084330, 25.69367020, 26.15386856},
                                                 {25.37820143, 25.11074185, 24.30943879}};
    for (size_t f = 0; f < 4; ++f)
        for (size_t l = 0; l < 3; ++l)
            EXPECT_NEAR(chart.series[0].means[f][l], sn[f][l], 1e-7) << f << " " << l;
    EXPECT_EQ(chart.series[0].best, (std::vector<int>{2, 2, 2, 0}));
    EXPECT_EQ(chart.series[1].best, (std::vector<int>{-1, -1, -1, -1}));  // no target: no aim
    EXPECT_EQ(chart.series[2].best, (std::vector<int>{0, 2, 2, 0}));      // the smallest
    EXPECT_EQ(chart.factors[3].name, "D");
    EXPECT_EQ(chart.factors[3].levelLabels, (std::vector<std::string>{"1", "2", "3"}));
}

// Saturated on the S/N ratios: every share is the term's sum of squares over the total.
TEST(ChartsOf, ParetoTakesTheVerdictsShares) {
    const qvrfc::Pareto chart = qvrfc::ChartsOf(qvrfc_test::NominalDataSetB())[0].pareto;
    const double total = kSnSS[0] + kSnSS[1] + kSnSS[2] + kSnSS[3];
    ASSERT_EQ(chart.terms.size(), 4u);
    for (size_t t = 0; t < 4; ++t)
        EXPECT_NEAR(chart.terms[t].contribution, 100.0 * kSnSS[t] / total, 1e-6) << t;
    EXPECT_NEAR(chart.errorContribution, 0.0, 1e-9);
}

// Issue 34, case 8: the bars are the ANOVA table's contribution column, the error's included
// (the bundled examples' S/N tables: calibration 15.58 %, moulding Shrinkage 6.06 %), and a
// term below the error keeps its negative share.
TEST(ChartsOf, ParetoDrawsTheTablesColumn) {
    const struct {
        const char* file;
        size_t response;
        double error;
    } cases[] = {{"calibration/runsheet.csv", 0, 15.58},
                 {"moulding/runsheet.csv", 1, 6.06},
                 {"leaf-spring/runsheet.csv", 0, 9.45}};
    for (const auto& c : cases) {
        qvrfc::AnalysisInput input;
        input.dataFile = qvrfc_test::DataFile(c.file);
        const qvrfc::Analysis analysis = qvrfc::Analyze(input, qvrfc::AnalysisSettings{});
        const qvrfc::Pareto chart = qvrfc::ChartsOf(analysis)[c.response].pareto;
        const qvrfc::AnovaTable& table = analysis.responses[c.response].snAnova.table;
        EXPECT_NEAR(chart.errorContribution, c.error, 0.005) << c.file;
        EXPECT_EQ(chart.errorContribution, table.Error().contribution) << c.file;
        for (size_t t = 0; t < chart.terms.size(); ++t) {
            EXPECT_EQ(chart.terms[t].contribution, table.Term(t).contribution) << c.file << t;
            EXPECT_EQ(chart.terms[t].belowError, table.Term(t).contribution < 0.0) << c.file << t;
        }
    }
}

// The contrasts of each factor split its sum of squares: N/4 times the sum of the squared
// effects is the factor's sum of squares (R's figures).
TEST(ChartsOf, HalfNormalContrastsSplitEachFactor) {
    const qvrfc::HalfNormal chart = qvrfc::ChartsOf(qvrfc_test::NominalDataSetB())[0].halfNormal;
    ASSERT_EQ(chart.effects.size(), 8u);
    for (size_t f = 0; f < 4; ++f) {
        const auto& linear = chart.effects[2 * f];
        const auto& quadratic = chart.effects[2 * f + 1];
        EXPECT_EQ(linear.label, qvrfc::FactorName(static_cast<int>(f)) + ".L");
        EXPECT_EQ(quadratic.label, qvrfc::FactorName(static_cast<int>(f)) + ".Q");
        EXPECT_NEAR(9.0 / 4.0 * (linear.value * linear.value + quadratic.value * quadratic.value),
                    kSnSS[f], 1e-7);
    }
}

// Two-level factors: the effect is the difference of the level means; a term pooled by hand
// leaves a residual, and there is no half-normal plot.
TEST(ChartsOf, HalfNormalTwoLevelEffectsAndResidual) {
    auto l4 = std::make_shared<CQVRFCDOEAnalyzer>();
    l4->SetupDOE(1, CQVRFCDOETaguchiOrthogonalArray::OA_L4, nullptr);
    const double y[4] = {10.0, 20.0, 40.0, 80.0};  // S/N 20, 26.0206, 32.0412, 38.0618 dB
    for (int run = 0; run < 4; ++run)
        l4->AppendQualityValue(0, run, y[run]);
    qvrfc::AnalysisSettings settings;
    settings.sn.push_back(qvrfc::ParseSnSetting("1=larger"));
    const qvrfc::HalfNormal chart =
        qvrfc::ChartsOf(qvrfc::AnalyzeEngine(l4, settings))[0].halfNormal;
    ASSERT_EQ(chart.effects.size(), 3u);
    const double db = 20.0 * std::log10(2.0);
    EXPECT_EQ(chart.effects[0].label, "A");
    EXPECT_NEAR(chart.effects[0].value, 2.0 * db, 1e-9);  // runs 3, 4 against 1, 2
    EXPECT_NEAR(chart.effects[1].value, db, 1e-9);
    EXPECT_NEAR(chart.effects[2].value, 0.0, 1e-9);
}

}  // namespace
