// Declared interactions as ANOVA terms, against R's anova(lm(y ~ A*B + ...)) on the same data:
// an L8, an L16 with two interactions, an L27 with one 3-level interaction and the L18 pair
// of columns 1 and 2, whose interaction stands apart.
#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include "arrays/OAInteractions.h"
#include "inference/InteractionTerms.h"
#include "inference/Verdict.h"
#include "results/VerdictReport.h"
#include "support/golden.h"

namespace {

using Array = CQVRFCDOETaguchiOrthogonalArray;

// An experiment of one observation per run on an array whose factor f stands on column f,
// with the main effects of the factors given and declared interactions.
struct Design {
    const char* name;
    Array::OA_TYPE array;
    std::vector<int> factors;
    std::vector<qvrfc::FactorPair> interactions;
    std::vector<double> y;
};

const Design kL8{
    "L8", Array::OA_L8, {0, 1, 3}, {{0, 1}}, {12.4, 15.1, 13.8, 19.6, 11.2, 14.9, 16.3, 22.5}};
const Design kL16{"L16",
                  Array::OA_L16,
                  {0, 1, 3, 7},
                  {{0, 1}, {3, 7}},
                  {41.2, 38.5, 44.9, 47.3, 36.8, 40.1, 52.6, 49.0, 39.7, 43.3, 45.8, 51.4, 37.9,
                   42.6, 48.2, 55.1}};
const std::vector<double> kY27 = {23.1, 25.4, 27.9, 22.6, 26.8, 30.2, 21.7, 24.9, 31.5,
                                  28.3, 29.0, 33.6, 26.1, 30.7, 35.2, 25.8, 29.9, 36.4,
                                  30.5, 31.8, 35.0, 27.2, 33.9, 38.1, 29.6, 32.4, 40.3};
const Design kL27{"L27", Array::OA_L27, {0, 1, 4}, {{0, 1}}, kY27};
const Design kL18{"L18", Array::OA_L18, {0, 1, 2, 3}, {{0, 1}}, {kY27.begin(), kY27.begin() + 18}};

CQVRFCDOEAnalyzer AnalyzerOf(const Design& d) {
    CQVRFCDOEAnalyzer analyzer;
    analyzer.SetupDOE(1, d.array, nullptr);
    for (int r = 0; r < analyzer.GetNoRun(); ++r)
        analyzer.AppendQualityValue(0, r, d.y[r]);
    return analyzer;
}

qvrfc::VerdictSettings SettingsOf(const CQVRFCDOEAnalyzer& analyzer, const Design& d) {
    qvrfc::VerdictSettings settings;
    const std::vector<qvrfc::ModelTerm> all = qvrfc::MainEffectTerms(analyzer);
    for (int factor : d.factors)
        settings.terms.push_back(all[factor]);
    settings.interactions = d.interactions;
    settings.responses = {{qvrfc::SnKind::Larger, 0.0}};
    return settings;
}

qvrfc::Verdict VerdictOf(const Design& d) {
    const CQVRFCDOEAnalyzer analyzer = AnalyzerOf(d);
    return qvrfc::AnalyzeVerdict(analyzer, SettingsOf(analyzer, d));
}

TEST(InteractionAnova, SumsOfSquaresFAndPMatchR) {
    struct Row {
        const Design& design;
        const char* term;  // "Error" for the residual
        double ss;
        int dof;
        double f = NAN, p = NAN;  // interactions only
    };
    const Row rows[] = {
        {kL8, "A", 2.000, 1},
        {kL8, "B", 43.245, 1},
        {kL8, "D", 42.320, 1},
        {kL8, "A*B", 5.780, 1, 4.1187648456057, 0.135412636723635},
        {kL8, "Error", 4.210, 3},
        {kL16, "A", 11.56, 1},
        {kL16, "B", 6.5025, 1},
        {kL16, "D", 344.1025, 1},
        {kL16, "H", 25.5025, 1},
        {kL16, "A*B", 0.5625, 1, 0.0653647514525495, 0.803956567057976},
        {kL16, "D*H", 0.36, 1, 0.0418334409296319, 0.842488166345493},
        {kL16, "Error", 77.45, 9},
        {kL27, "A", 237.9755555555557, 2},
        {kL27, "B", 3.8422222222222, 2},
        {kL27, "E", 301.8688888888892, 2},
        {kL27, "A*B", 2.4088888888889, 4, 0.264196929076287, 0.896630829014778},
        {kL27, "Error", 36.4711111111111, 16},
        {kL18, "A*B", 0.401111111111119, 2, 0.0964209401709421, 0.909120927832605},
        {kL18, "Error", 16.64, 8},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.design.name) + " " + row.term);
        const qvrfc::ResponseAnalysis mean = VerdictOf(row.design).qualities[0].mean;
        if (std::string(row.term) == "Error") {
            EXPECT_NEAR(mean.error.residual.ss, row.ss, 1e-9 * row.ss);
            EXPECT_EQ(mean.error.residual.dof, row.dof);
            continue;
        }
        const qvrfc::AnovaTerm* term = nullptr;
        for (const qvrfc::AnovaTerm& t : mean.terms)
            term = t.name == row.term ? &t : term;
        ASSERT_NE(term, nullptr);
        EXPECT_NEAR(term->ss, row.ss, 1e-9 * row.ss);
        EXPECT_EQ(term->dof, row.dof);
        if (std::isnan(row.f)) continue;
        EXPECT_NEAR(term->f, row.f, 1e-6 * row.f);
        EXPECT_NEAR(term->p, row.p, 1e-6 * row.p);
        // The array's own sums of squares of the pair: from the cell means, and from the
        // interaction's columns where it has them.
        const Array::OA_TYPE type = row.design.array;
        const int a = row.term[0] - 'A', b = row.term[2] - 'A';
        EXPECT_NEAR(qvrfc::CellInteractionSumOfSquares(type, a, b, row.design.y), row.ss, 1e-9);
        const std::vector<int> columns = qvrfc::InteractionColumns(type, a, b);
        const double byColumns = qvrfc::InteractionSumOfSquares(type, columns, row.design.y);
        EXPECT_NEAR(columns.empty() ? row.ss : byColumns, row.ss, 1e-9);
    }
}

// At A2 B2 D2 of the L8: T + (cell A2B2 - T) + (D2 - T) = 15.725 + 3.675 + 2.3, with
// n_eff = 8 / (1 + 1 + 1 + 1) counting the interaction's degree of freedom; R's qf for the
// half widths.
TEST(InteractionPrediction, UsesTheCellMeanOfThePair) {
    const qvrfc::Verdict v = VerdictOf(kL8);
    const std::vector<qvrfc::FactorLevel> at = {{0, 1}, {1, 1}, {3, 1}};
    const qvrfc::Prediction p = qvrfc::PredictAt(v, 0, qvrfc::Response::Mean, at);
    EXPECT_NEAR(p.value, 21.7, 1e-12);
    EXPECT_DOUBLE_EQ(p.effectiveCount, 1.6);
    EXPECT_NEAR(p.halfWidth, 2.98044776019891, 1e-9);
    EXPECT_EQ(p.interactions, std::vector<int>{3});
    const qvrfc::Confirmation c = qvrfc::Confirm(v, 0, at, {21.0, 23.0});
    EXPECT_NEAR(c.meanInterval.halfWidth, 3.99869027711506, 1e-9);
    EXPECT_TRUE(c.meanInside);
    // Without B the interaction does not enter.
    EXPECT_TRUE(qvrfc::PredictAt(v, 0, qvrfc::Response::Mean, {{0, 1}}).interactions.empty());
}

// A1 is the better level of A on average, but the pair A2 B2 is the best: the optimum takes
// the pair, and the mean predicted there is its cell mean (D has no effect).
TEST(InteractionOptimum, TakesTheBestPairOfASignificantInteraction) {
    const Design crossing{
        "L8", Array::OA_L8, {0, 1, 3}, {{0, 1}}, {20.1, 19.9, 20.1, 19.9, 9.9, 10.1, 24.9, 25.1}};
    const qvrfc::Optimum o = VerdictOf(crossing).qualities[0].optimum;
    EXPECT_EQ(o.levels[0].level, 1);
    EXPECT_EQ(o.levels[1].level, 1);
    EXPECT_NEAR(o.mean.value, 25.0, 1e-12);
    EXPECT_EQ(o.interactionsUsed, std::vector<int>{3});
}

TEST(InteractionTerms, RefusedWithTheReason) {
    struct Case {
        Design design;  // no factors given: a main effect for every factor of the array
        const char* message;
    };
    const std::vector<double> y8(8, 1.0), y12(12, 1.0), y18(18, 1.0);
    const Case cases[] = {
        {{"L8", Array::OA_L8, {}, {{0, 1}}, y8},
         "interaction A*B lies on column 3, which holds factor C"},
        {{"L8", Array::OA_L8, {0, 1, 3, 6}, {{0, 1}, {3, 6}}, y8},
         "interactions A*B and D*G share column 3"},
        {{"L8", Array::OA_L8, {0, 1, 3}, {{0, 1}, {2, 3}}, y8},
         "interaction A*B lies on column 3, which holds a factor of interaction C*D"},
        {{"L8", Array::OA_L8, {0, 1}, {{0, 3}}, y8},
         "interaction A*D needs the main effects of both its factors in the model"},
        {{"L8", Array::OA_L8, {0, 1}, {{0, 0}}, y8}, "interaction A*A pairs a factor with itself"},
        {{"L8", Array::OA_L8, {0, 1}, {{0, 1}, {1, 0}}, y8}, "interaction B*A is declared twice"},
        {{"L8", Array::OA_L8, {0, 1}, {{0, 7}}, y8},
         "interaction 1 names factor 8, but the experiment has 7 factors"},
        {{"L12", Array::OA_L12, {0, 1}, {{0, 1}}, y12},
         "interaction A*B cannot be estimated: in L12 the interaction of columns 1 and 2 is spread "
         "over several columns"},
        {{"L18", Array::OA_L18, {0, 1, 2}, {{1, 2}}, y18},
         "interaction B*C cannot be estimated: in L18 the interaction of columns 2 and 3 is spread "
         "over several columns; that of columns 1 and 2 is estimable on its own"},
    };
    for (const Case& c : cases) {
        const CQVRFCDOEAnalyzer analyzer = AnalyzerOf(c.design);
        qvrfc::VerdictSettings settings = SettingsOf(analyzer, c.design);
        if (c.design.factors.empty()) settings.terms.clear();
        try {
            qvrfc::AnalyzeVerdict(analyzer, settings);
            ADD_FAILURE() << c.message;
        } catch (const std::invalid_argument& error) {
            EXPECT_STREQ(error.what(), c.message);
        }
    }
}

// The interaction is named after its factors' main effects, as a host names them.
TEST(InteractionReport, TablesOfMeansAndSnRatiosAndTheirJsonData) {
    qvrfc_test::ExpectGolden("verdict_interaction_l8.txt", qvrfc::VerdictText(VerdictOf(kL8)));
    const CQVRFCDOEAnalyzer analyzer = AnalyzerOf(kL8);
    qvrfc::VerdictSettings settings = SettingsOf(analyzer, kL8);
    settings.terms[0].name = "Temperature";
    settings.terms[1].name = "Pressure";
    const std::vector<qvrfc::JsonResponseVerdict> data =
        qvrfc::VerdictJsonData(qvrfc::AnalyzeVerdict(analyzer, settings));
    EXPECT_EQ(data[0].mean.terms[3].name, "Temperature*Pressure");
    ASSERT_EQ(data[0].interactions.size(), 1u);
    const qvrfc::JsonInteractionTable& table = data[0].interactions[0];
    EXPECT_EQ(table.name + " " + table.rows + " " + table.columns,
              "Temperature*Pressure Temperature Pressure");
    EXPECT_EQ(table.column_levels, (std::vector<std::string>{"1", "2"}));
    EXPECT_NEAR(table.mean[1][0], 13.05, 1e-12);
    EXPECT_EQ(data[0].optimum.interactions_used, std::vector<std::string>());
}

}  // namespace
