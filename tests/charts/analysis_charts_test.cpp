// The charts' input filled from the engine's analysis, against R (aov on data set B).
#include <gtest/gtest.h>

#include <cmath>

#include "charts/ChartsFromAnalyzer.h"
#include "common/QVRFCReportStyle.h"
#include "support/chart_inputs.h"

namespace {

using qvrfc::AnovaFromAnalyzer;
using qvrfc::AnovaNumbers;

struct TermReference {
    double ss;
    double f;             // NAN where R gives none
    double contribution;  // pure sum of squares over the total, percent
};

void ExpectAnova(const AnovaNumbers& anova, const std::vector<TermReference>& terms, double errorSS,
                 int errorDof, double errorContribution) {
    ASSERT_EQ(anova.terms.size(), terms.size());
    const double ve = anova.ErrorVariance();
    double sum = anova.errorContribution;
    for (size_t i = 0; i < terms.size(); ++i) {
        SCOPED_TRACE(anova.terms[i].name);
        EXPECT_NEAR(anova.terms[i].ss, terms[i].ss, 1e-6 * terms[i].ss);
        if (std::isfinite(terms[i].f)) {
            EXPECT_NEAR(anova.terms[i].ss / anova.terms[i].dof / ve, terms[i].f, 1e-5 * terms[i].f);
        }
        EXPECT_NEAR(anova.terms[i].contribution, terms[i].contribution, 1e-6);
        if (!anova.terms[i].pooled) sum += anova.terms[i].contribution;
    }
    EXPECT_NEAR(anova.errorSS, errorSS, 1e-6 * std::max(errorSS, 1.0));
    EXPECT_EQ(anova.errorDof, errorDof);
    EXPECT_NEAR(anova.errorContribution, errorContribution, 1e-6);
    EXPECT_NEAR(sum, 100.0, 1e-9);
}

// Observations: the error is the variation within runs (36 degrees of freedom).
TEST(AnovaFromAnalyzer, ObservationsAgreeWithR) {
    CQVRFCDOEAnalyzer analyzer;
    qvrfc_test::SetUpNominalDataSetB(analyzer);
    ExpectAnova(AnovaFromAnalyzer(analyzer, 0, false),
                {{14132.960444, 234.24365, 84.026390628},
                 {252.587111, 4.18645, 1.147923470},
                 {337.344444, 5.59124, 1.654001923},
                 {938.952444, 15.56246, 5.246149459}},
                1086.02, 36, 100.0 - 84.026390628 - 1.147923470 - 1.654001923 - 5.246149459);
}

// R's sums of squares of the S/N ratios of data set B, factors A to D.
const double kSnSS[4] = {20.182058712, 27.384158610, 17.994252746, 1.855874826};

// S/N ratios: saturated, so nothing is left for the error until D is pooled; then the error is
// R's residual of the model without D, and D is shown with its raw share.
TEST(AnovaFromAnalyzer, SnRatiosWithAndWithoutPooling) {
    CQVRFCDOEAnalyzer analyzer;
    qvrfc_test::SetUpNominalDataSetB(analyzer);
    const double total = kSnSS[0] + kSnSS[1] + kSnSS[2] + kSnSS[3];
    std::vector<TermReference> saturated;
    for (double ss : kSnSS)
        saturated.push_back({ss, NAN, 100.0 * ss / total});
    ExpectAnova(AnovaFromAnalyzer(analyzer, 0, true), saturated, 0.0, 0, 0.0);
    analyzer.SetFactorPooled(0, 3, 1);
    ExpectAnova(AnovaFromAnalyzer(analyzer, 0, true),
                {{kSnSS[0], 10.87469, 27.18359163},
                 {kSnSS[1], 14.75539, 37.86660909},
                 {kSnSS[2], 9.69583, 23.93837569},
                 saturated[3]},
                kSnSS[3], 2, 11.01142359);
}

TEST(MainEffectsFromAnalyzer, LevelMeansBestLevelsAndSeries) {
    CQVRFCDOEAnalyzer analyzer;
    qvrfc_test::SetUpNominalDataSetB(analyzer);
    const qvrfc::MainEffects chart = qvrfc::MainEffectsFromAnalyzer(analyzer, 0);
    ASSERT_EQ(chart.series.size(), 3u);  // S/N, mean and, with repetitions, the deviation
    const std::vector<std::vector<double>> sn = {{23.45968304, 24.35172496, 26.98697407},
                                                 {22.82106752, 24.88435440, 27.09296014},
                                                 {22.95084330, 25.69367020, 26.15386856},
                                                 {25.37820143, 25.11074185, 24.30943879}};
    for (size_t f = 0; f < 4; ++f)
        for (size_t l = 0; l < 3; ++l)
            EXPECT_NEAR(chart.series[0].means[f][l], sn[f][l], 1e-7) << f << " " << l;
    EXPECT_EQ(chart.series[0].best, (std::vector<int>{2, 2, 2, 0}));
    EXPECT_EQ(chart.series[1].best, (std::vector<int>{-1, -1, -1, -1}));  // no aim for nominal
    EXPECT_EQ(chart.factors[3].name, "D");
    EXPECT_EQ(chart.factors[3].levelLabels, (std::vector<std::string>{"1", "2", "3"}));
}

// The contrasts of each factor split its sum of squares: N/4 times the sum of the squared
// effects is the factor's sum of squares (R's figures).
TEST(HalfNormalFromAnalyzer, ContrastsSplitEachFactor) {
    CQVRFCDOEAnalyzer analyzer;
    qvrfc_test::SetUpNominalDataSetB(analyzer);
    const qvrfc::HalfNormal chart = qvrfc::HalfNormalFromAnalyzer(analyzer, 0);
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

// Two-level factors: the effect is the difference of the level means; with a column left
// free the design is not saturated and there is no half-normal plot.
TEST(HalfNormalFromAnalyzer, TwoLevelEffectsAndFreeColumns) {
    CQVRFCDOEAnalyzer saturated;
    saturated.SetupDOE(1, CQVRFCDOETaguchiOrthogonalArray::OA_L4, nullptr);
    saturated.SetQualityCharacteristic(0, CQVRFCDOEAnalyzer::LARGER_THE_BETTER, 0.0);
    const double y[4] = {10.0, 20.0, 40.0, 80.0};  // S/N 20, 26.0206, 32.0412, 38.0618 dB
    for (int run = 0; run < 4; ++run)
        reference::EnterRun(saturated, 0, run, {y[run]});
    const qvrfc::HalfNormal chart = qvrfc::HalfNormalFromAnalyzer(saturated, 0);
    ASSERT_EQ(chart.effects.size(), 3u);
    const double db = 20.0 * std::log10(2.0);
    EXPECT_EQ(chart.effects[0].label, "A");
    EXPECT_NEAR(chart.effects[0].value, 2.0 * db, 1e-9);  // runs 3, 4 against 1, 2
    EXPECT_NEAR(chart.effects[1].value, db, 1e-9);
    EXPECT_NEAR(chart.effects[2].value, 0.0, 1e-9);

    CQVRFCDOEAnalyzer withFreeColumns;
    withFreeColumns.SetupDOE(1, CQVRFCDOETaguchiOrthogonalArray::OA_L8, nullptr);
    withFreeColumns.SetupDOE(1, 8, 4, 2, nullptr);  // four 2-level factors on the L8
    ASSERT_EQ(withFreeColumns.GetNoFactor(), 4);
    ASSERT_EQ(qvrfc::LevelCount(withFreeColumns, 3), 2);
    for (int run = 0; run < withFreeColumns.GetNoRun(); ++run)
        reference::EnterRun(withFreeColumns, 0, run, {1.0 + run, 2.0 + run});
    EXPECT_TRUE(qvrfc::HalfNormalFromAnalyzer(withFreeColumns, 0).effects.empty());
}

}  // namespace
