// The verdict layer against reference figures computed with R (aov, pf, qf) on the same
// data: an L18 and an L27 with three repetitions, an L8 with two, a saturated L9 with one.
// Declared interactions as ANOVA terms, against R's anova(lm(y ~ A*B + ...)): an L8, an L16
// with two interactions, an L27 with one 3-level interaction and the L18 pair of columns 1
// and 2, whose interaction stands apart.
#include "qvrfc/inference/Verdict.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <stdexcept>

#include "qvrfc/arrays/OAInteractions.h"
#include "qvrfc/inference/InteractionTerms.h"
#include "support/golden.h"
#include "support/test_support.h"

namespace {

using qvrfc::PoolingRule;
using qvrfc::SnKind;
using Array = CQVRFCDOETaguchiOrthogonalArray;

// y = 20 + 3a - 2b + 1.5c^2 + 0.5d + ((7 run + 13 k) mod 11) / 4 for the levels a..d (from 1)
// of the first four factors, run and repetition k counted from 0.
double Observation(const CQVRFCDOEAnalyzer& analyzer, int run, int k) {
    const auto level = [&](int f) { return double(analyzer.GetLevel(run, f)); };
    return 20 + 3 * level(0) - 2 * level(1) + 1.5 * level(2) * level(2) + 0.5 * level(3) +
           ((run * 7 + k * 13) % 11) / 4.0;
}

struct Experiment {
    const char* name;
    Array::OA_TYPE array;
    int repetitions;
    SnKind kind;
    std::vector<int> pooled;
    PoolingRule rule;
};

const Experiment kL18{"L18", Array::OA_L18, 3, SnKind::SmallerTextbook, {}, PoolingRule::None};
const Experiment kL27{"L27", Array::OA_L27, 3, SnKind::Larger, {}, PoolingRule::None};
const Experiment kL27Auto{"L27 auto", Array::OA_L27, 3, SnKind::Larger, {}, PoolingRule::Auto};
const Experiment kL27Lenth{"L27 Lenth", Array::OA_L27, 3, SnKind::Larger, {}, PoolingRule::Lenth};
const Experiment kL8{"L8", Array::OA_L8, 2, SnKind::Larger, {5, 6}, PoolingRule::None};
const Experiment kL9{"L9", Array::OA_L9, 1, SnKind::Larger, {}, PoolingRule::Lenth};

qvrfc::Verdict VerdictOf(const Experiment& e) {
    CQVRFCDOEAnalyzer analyzer;
    analyzer.SetupDOE(1, e.array, nullptr);
    for (int r = 0; r < analyzer.GetNoRun(); ++r) {
        for (int k = 0; k < e.repetitions; ++k)
            analyzer.AppendQualityValue(0, r, Observation(analyzer, r, k));
    }
    qvrfc::VerdictSettings settings;
    settings.responses = {{e.kind, 0.0}};
    settings.pooling = {{e.pooled, e.rule}};
    return qvrfc::AnalyzeVerdict(analyzer, settings);
}

// Which of a response's two ANOVAs a row speaks of.
enum class Anova { SnRatio, Mean };
constexpr auto kSn = Anova::SnRatio;
constexpr auto kMean = Anova::Mean;

const qvrfc::ResponseAnalysis& Of(const qvrfc::Verdict& v, Anova anova) {
    return anova == kSn ? v.responses[0].snAnova : v.responses[0].meanAnova;
}

void ExpectRelative(double actual, double expected, double tolerance, const char* what) {
    EXPECT_NEAR(actual, expected, std::fabs(expected) * tolerance) << what;
}

TEST(VerdictAnova, TermsMatchR) {
    struct Row {
        const Experiment& experiment;
        Anova response;
        int term;
        double ss, f, p;
    };
    const Row rows[] = {
        {kL18, kSn, 0, 4.134188872513, 506.3015420200, 0.0019692751749},
        {kL18, kSn, 1, 3.966263350049, 242.8681069143, 0.0041005772040},
        {kL18, kSn, 2, 35.674562420337, 2184.4775990272, 0.0004575658888},
        {kL18, kSn, 3, 0.712140796593, 43.6068591166, 0.0224180769461},
        {kL18, kSn, 4, 0.122476801182, 7.4996807370, 0.1176514778552},
        {kL18, kSn, 6, 0.007850643007, 0.4807221903, 0.6753461294261},
        {kL18, kSn, 7, 0.259831638547, 15.9103954026, 0.0591352228135},
        {kL18, kMean, 0, 126.8067129630, 190.2970106957, 2.243708663e-16},
        {kL18, kMean, 3, 19.2106481481, 14.4145717159, 2.195514637e-05},
        {kL18, kMean, 5, 1.9606481481, 1.4711582412, 2.424446058e-01},
        {kL27, kMean, 2, 2009.810185185, 1490.110984, 5.745834463e-48},
        {kL27, kMean, 5, 8.962962963, 6.645308924, 2.629417719e-03},
        {kL27, kMean, 11, 2.240740741, 1.661327231, 1.994442858e-01},
        {kL27Auto, kSn, 2, 50.78855928111, 3846.939201491, 6.521571597e-20},
        {kL27Auto, kSn, 11, 0.05894450433, 4.464704801, 3.163341965e-02},
        {kL27Lenth, kSn, 2, 50.78855928111, 2866.7409297, 5.95255261995e-13},
        {kL8, kSn, 0, 1.83629206992, 29.218969874, 0.03256194662},
        {kL8, kSn, 3, 0.19544989086, 3.109987004, 0.21986567047},
        {kL8, kMean, 2, 81.0, 105.152129817, 1.262062382e-06},
        {kL8, kMean, 4, 1.890625, 2.454361055, 1.482680695e-01},
        {kL9, kSn, 0, 4.54536622770, 6.72226104584, 0.0908771841526},
        {kL9, kSn, 2, 19.49815175825, 28.8363268138, 0.0156251582604},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.experiment.name) + " term " + std::to_string(row.term));
        const qvrfc::AnovaRow term =
            Of(VerdictOf(row.experiment), row.response).table.Term(row.term);
        ExpectRelative(term.ss, row.ss, 1e-9, "SS");
        ExpectRelative(term.f, row.f, 1e-8, "F");
        ExpectRelative(term.p, row.p, 1e-6, "p");
    }
}

TEST(VerdictAnova, ErrorKeepsEverySourceAndContributionsAddTo100) {
    struct Row {
        const Experiment& experiment;
        Anova response;
        double errorSS;
        int residual, repetition, pooled, total;
    };
    const Row rows[] = {
        {kL18, kSn, 0.016330935340, 2, 0, 0, 17},     {kL18, kMean, 25.3217592593, 2, 36, 0, 53},
        {kL27Auto, kSn, 0.09241630719, 0, 0, 14, 26}, {kL8, kSn, 0.12569177338, 0, 0, 2, 7},
        {kL8, kMean, 7.703125, 0, 8, 2, 15},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.experiment.name);
        const qvrfc::ResponseAnalysis a = Of(VerdictOf(row.experiment), row.response);
        const qvrfc::AnovaTable& table = a.table;
        ExpectRelative(table.Error().ss, row.errorSS, 1e-8, "error SS");
        EXPECT_EQ(table.ErrorPart(qvrfc::AnovaTable::Residual).dof, row.residual);
        EXPECT_EQ(table.ErrorPart(qvrfc::AnovaTable::Repetition).dof, row.repetition);
        EXPECT_EQ(table.ErrorPart(qvrfc::AnovaTable::Pooled).dof, row.pooled);
        EXPECT_EQ(table.Total().dof, row.total);
        // The terms not pooled and the error: their contributions and sums of squares add up.
        double sum = 0.0, ss = 0.0;
        for (const qvrfc::AnovaRow& r : table.rows) {
            if (r.kind != qvrfc::AnovaRow::Kind::Term && r.kind != qvrfc::AnovaRow::Kind::Error)
                continue;
            sum += r.contribution;
            ss += r.ss;
        }
        EXPECT_NEAR(sum, 100.0, 1e-9);
        EXPECT_NEAR(ss, table.Total().ss, 1e-9 * table.Total().ss);
    }
    // The pure sum of squares takes the term's share of the error variance off: S - 2 Ve.
    const qvrfc::Verdict l18 = VerdictOf(kL18);
    const qvrfc::AnovaTable& table = Of(l18, kSn).table;
    ExpectRelative(table.Term(2).pureSS, 35.658231484997, 1e-9, "S'");
    ExpectRelative(table.Total().ss, 44.930876173742, 1e-9, "total");
}

// A saturated design without repetitions has no error: no F, no p, no interval.
TEST(VerdictAnova, SaturatedWithoutErrorHasNoFOrP) {
    const qvrfc::Verdict verdict = VerdictOf(kL27);
    const qvrfc::ResponseVerdict& q = verdict.responses[0];
    EXPECT_EQ(q.snAnova.table.Error().dof, 0.0);
    for (size_t t = 0; t < q.snAnova.table.TermCount(); ++t) {
        const qvrfc::AnovaRow& term = q.snAnova.table.Term(t);
        EXPECT_TRUE(std::isnan(term.f) && std::isnan(term.p)) << term.name;
        EXPECT_EQ(term.pureSS, term.ss) << term.name;
    }
    EXPECT_TRUE(std::isnan(q.optimum.sn.halfWidth));
}

TEST(VerdictAnova, LenthErrorOfSaturatedDesigns) {
    struct Row {
        const Experiment& experiment;
        double pse, dof;
    };
    // 8 contrasts of which 7 are kept; 26 of which 20 are kept (an even count).
    const Row rows[] = {{kL9, 0.581449171249, 8.0 / 3.0}, {kL27Lenth, 0.0941182243939, 26.0 / 3.0}};
    for (const Row& row : rows) {
        const qvrfc::Verdict v = VerdictOf(row.experiment);
        const qvrfc::AnovaRow e = Of(v, kSn).table.Error();
        EXPECT_TRUE(Of(v, kSn).table.lenth) << row.experiment.name;
        EXPECT_DOUBLE_EQ(e.dof, row.dof) << row.experiment.name;
        ExpectRelative(std::sqrt(e.ms), row.pse, 1e-9, row.experiment.name);
    }
}

TEST(VerdictPrediction, IntervalsMatchR) {
    const qvrfc::Verdict v = VerdictOf(kL18);
    const qvrfc::Optimum& o = v.responses[0].optimum;
    const std::vector<qvrfc::FactorLevel> best = {{0, 0}, {1, 2}, {2, 0}, {3, 0}};
    ASSERT_GE(o.levels.size(), 4u);
    for (size_t f = 0; f < 4; ++f)
        EXPECT_EQ(o.levels[f].level, best[f].level) << f;
    EXPECT_EQ(o.factorsUsed, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(o.adjustmentFactor, -1);
    const qvrfc::Confirmation c = qvrfc::Confirm(v.model, v.responses[0], best, {9.0, 9.5, 10.0});
    const qvrfc::Verdict l8 = VerdictOf(kL8);
    struct Row {
        const char* what;
        qvrfc::Prediction prediction;
        double value, halfWidth;
    };
    const Row rows[] = {
        {"S/N optimum", o.sn, -26.3677777103, 0.25920034037},
        {"mean optimum", o.mean, 20.0185185185, 0.636060358469},
        {"mean confirmation", c.meanInterval, 20.0185185185, 1.14667411837},
        {"S/N confirmation", c.snInterval, -26.3677777103, 0.467280058911},
        {"L8 mean at A2 C1", qvrfc::PredictAt(l8.model, Of(l8, kMean), {{0, 1}, {2, 0}}), 26.53125,
         0.846791246895},
    };
    for (const Row& row : rows) {
        ExpectRelative(row.prediction.value, row.value, 1e-9, row.what);
        ExpectRelative(row.prediction.halfWidth, row.halfWidth, 1e-8, row.what);
    }
    ExpectRelative(c.sn, -19.5624849214, 1e-9, "textbook S/N");
    EXPECT_FALSE(c.meanInside);
}

TEST(VerdictPrediction, ValuesBeyondTheDataAreFlagged) {
    qvrfc::Verdict v = VerdictOf(kL8);
    EXPECT_EQ(qvrfc::PredictAt(v.model, Of(v, kMean), {{0, 1}}).warning, "");
    EXPECT_EQ(qvrfc::PredictAt(v.model, Of(v, kSn), v.responses[0].optimum.levels, 0,
                               qvrfc::PredictionTerms::Given)
                  .warning,
              "beyond the observed range 27.327 to 30.1698");
    v.responses[0].meanAnova.levelMeans[0] = {-100.0, 100.0};
    EXPECT_EQ(qvrfc::PredictAt(v.model, Of(v, kMean), {{0, 0}}).warning,
              "negative, though every value observed is positive");
}

// Spread set by A alone, centre by B alone: B is the adjustment factor of a nominal quality,
// set to the level whose mean lies nearest the target.
TEST(VerdictOptimum, AdjustmentFactorMovesTheMeanToTheTarget) {
    CQVRFCDOEAnalyzer analyzer;
    analyzer.SetupDOE(1, Array::OA_L8, nullptr);
    for (int r = 0; r < 8; ++r) {
        const double spread = (analyzer.GetLevel(r, 0) == 1 ? 1.0 : 3.0) + 0.1 * ((r * 5) % 3);
        const double centre = 10.0 + 10.0 * analyzer.GetLevel(r, 1);
        analyzer.AppendQualityValue(0, r, centre - spread);
        analyzer.AppendQualityValue(0, r, centre + spread);
    }
    qvrfc::VerdictSettings settings;
    settings.responses = {{SnKind::Nominal2, 21.0}};
    settings.pooling = {{{}, PoolingRule::Auto}};
    const qvrfc::ResponseVerdict q = qvrfc::AnalyzeVerdict(analyzer, settings).responses[0];
    // half of the terms' 7, rounded up
    EXPECT_EQ(q.snAnova.table.ErrorPart(qvrfc::AnovaTable::Pooled).dof, 4);
    EXPECT_EQ(q.meanAnova.table.ErrorPart(qvrfc::AnovaTable::Pooled).dof, 0);
    const qvrfc::Optimum& o = q.optimum;
    EXPECT_EQ(o.adjustmentFactor, 1);
    EXPECT_EQ(o.levels[0].level, 0);
    EXPECT_EQ(o.levels[1].level, 0);
    EXPECT_DOUBLE_EQ(o.mean.value, 20.0);
}

TEST(VerdictSn, OwnFormulasAgreeWithTheEngineAndTheTextbookFormDiffers) {
    CQVRFCDOEAnalyzer analyzer;
    analyzer.SetupDOE(1, Array::OA_L4, nullptr);
    const std::vector<std::vector<double>> runs = {{3.0, 4.0, 6.0}, {0.0, 2.0, 5.0}};
    for (int r = 0; r < 2; ++r) {
        for (double y : runs[r])
            analyzer.AppendQualityValue(0, r, y);
        for (SnKind kind : {SnKind::Nominal1, SnKind::Nominal2, SnKind::Nominal3, SnKind::Nominal4,
                            SnKind::Smaller, SnKind::Larger}) {
            EXPECT_DOUBLE_EQ(qvrfc::SnRatioOfValues(kind, runs[r], 5.0),
                             analyzer.GetSNRatio(0, r, qvrfc::EngineSnType(kind), 5.0))
                << qvrfc::SnKindName(kind) << " run " << r + 1;
        }
    }
    // Two observations 1 and 3: the textbook form's -10 log10(5), not the engine's
    // -10 log10(4 + 2).
    EXPECT_NEAR(qvrfc::SnRatioOfValues(SnKind::SmallerTextbook, {1.0, 3.0}, 0.0),
                -6.989700043360188, 1e-12);
}

// Values far from zero keep the precision of their spread: the within-run squares are
// summed about a value of the run, not about zero.
TEST(VerdictAnova, RunSummaryKeepsPrecisionFarFromZero) {
    qvrfc::RunSummary run;
    for (double y : {1e9 + 1, 1e9 + 2, 1e9 + 3, 1e9 + 4})
        run.Add(y);
    EXPECT_EQ(run.Within(), 5.0);
    EXPECT_EQ(run.Sum(), 4e9 + 10);
    EXPECT_EQ(run.Max() - run.Min(), 3.0);
}

// Runs of unequal counts: the unweighted means analysis. Run means 1.5, 3, 5.5, 7.5 weigh as
// the harmonic mean of the counts, 1.6 observations each (figures worked by hand).
TEST(VerdictAnova, UnequalCountsWeighRunMeansAlike) {
    CQVRFCDOEAnalyzer l4;
    l4.SetupDOE(1, Array::OA_L4, nullptr);
    const qvrfc::ResponseAnalysis a =
        qvrfc::AnalyzeResponse(qvrfc::LayoutOf(l4), qvrfc::MainEffectTerms(l4),
                               qvrfc::RunValues{{1, 2}, {3}, {5, 6}, {7, 8}}, {});
    EXPECT_TRUE(a.unequalCounts);
    EXPECT_DOUBLE_EQ(a.grandMean, 4.375);
    const double ss[3] = {28.9, 4.9, 0.1};
    for (int t = 0; t < 3; ++t)
        EXPECT_NEAR(a.table.Term(t).ss, ss[t], 1e-12) << t;
    EXPECT_NEAR(a.table.ErrorPart(qvrfc::AnovaTable::Repetition).ss, 1.5, 1e-12);
    EXPECT_EQ(a.table.ErrorPart(qvrfc::AnovaTable::Repetition).dof, 3);
    EXPECT_NEAR(a.table.Total().ss, 35.4, 1e-12);
    EXPECT_EQ(a.table.Total().dof, 6);
}

// An experiment of one observation per run on an array whose factor f stands on column f,
// with the main effects of the factors given and declared interactions.
struct Design {
    const char* name;
    Array::OA_TYPE array;
    std::vector<int> factors;
    std::vector<qvrfc::FactorPair> interactions;
    std::vector<double> y;
};

const Design kAB8{
    "L8", Array::OA_L8, {0, 1, 3}, {{0, 1}}, {12.4, 15.1, 13.8, 19.6, 11.2, 14.9, 16.3, 22.5}};
// clang-format off
const Design kAB16{"L16", Array::OA_L16, {0, 1, 3, 7}, {{0, 1}, {3, 7}},
                   {41.2, 38.5, 44.9, 47.3, 36.8, 40.1, 52.6, 49.0, 39.7, 43.3, 45.8, 51.4, 37.9,
                    42.6, 48.2, 55.1}};
// clang-format on
const std::vector<double> kY27 = {23.1, 25.4, 27.9, 22.6, 26.8, 30.2, 21.7, 24.9, 31.5,
                                  28.3, 29.0, 33.6, 26.1, 30.7, 35.2, 25.8, 29.9, 36.4,
                                  30.5, 31.8, 35.0, 27.2, 33.9, 38.1, 29.6, 32.4, 40.3};
const Design kAB27{"L27", Array::OA_L27, {0, 1, 4}, {{0, 1}}, kY27};
const Design kAB18{"L18", Array::OA_L18, {0, 1, 2, 3}, {{0, 1}}, {kY27.begin(), kY27.begin() + 18}};

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
        {kAB8, "A", 2.000, 1},
        {kAB8, "B", 43.245, 1},
        {kAB8, "D", 42.320, 1},
        {kAB8, "A*B", 5.780, 1, 4.1187648456057, 0.135412636723635},
        {kAB8, "Error", 4.210, 3},
        {kAB16, "A", 11.56, 1},
        {kAB16, "B", 6.5025, 1},
        {kAB16, "D", 344.1025, 1},
        {kAB16, "H", 25.5025, 1},
        {kAB16, "A*B", 0.5625, 1, 0.0653647514525495, 0.803956567057976},
        {kAB16, "D*H", 0.36, 1, 0.0418334409296319, 0.842488166345493},
        {kAB16, "Error", 77.45, 9},
        {kAB27, "A", 237.9755555555557, 2},
        {kAB27, "B", 3.8422222222222, 2},
        {kAB27, "E", 301.8688888888892, 2},
        {kAB27, "A*B", 2.4088888888889, 4, 0.264196929076287, 0.896630829014778},
        {kAB27, "Error", 36.4711111111111, 16},
        {kAB18, "A*B", 0.401111111111119, 2, 0.0964209401709421, 0.909120927832605},
        {kAB18, "Error", 16.64, 8},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.design.name) + " " + row.term);
        const qvrfc::AnovaTable table = VerdictOf(row.design).responses[0].meanAnova.table;
        if (std::string(row.term) == "Error") {
            EXPECT_NEAR(table.ErrorPart(qvrfc::AnovaTable::Residual).ss, row.ss, 1e-9 * row.ss);
            EXPECT_EQ(table.ErrorPart(qvrfc::AnovaTable::Residual).dof, row.dof);
            continue;
        }
        const qvrfc::AnovaRow* term = nullptr;
        for (const qvrfc::AnovaRow& t : table.rows)
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
    const qvrfc::Verdict v = VerdictOf(kAB8);
    const std::vector<qvrfc::FactorLevel> at = {{0, 1}, {1, 1}, {3, 1}};
    const qvrfc::Prediction p =
        qvrfc::PredictAt(v.model, Of(v, kMean), at, 0, qvrfc::PredictionTerms::Given);
    EXPECT_NEAR(p.value, 21.7, 1e-12);
    EXPECT_DOUBLE_EQ(p.effectiveCount, 1.6);
    EXPECT_NEAR(p.halfWidth, 2.98044776019891, 1e-9);
    EXPECT_EQ(p.interactions, std::vector<int>{3});
    EXPECT_NEAR(
        qvrfc::PredictAt(v.model, Of(v, kMean), at, 2, qvrfc::PredictionTerms::Given).halfWidth,
        3.99869027711506, 1e-9);
    // Without B the interaction does not enter.
    EXPECT_TRUE(qvrfc::PredictAt(v.model, Of(v, kMean), {{0, 1}}, 0, qvrfc::PredictionTerms::Given)
                    .interactions.empty());
}

// A1 is the better level of A on average, but the pair A2 B2 is the best: the optimum takes
// the pair, and the mean predicted there is its cell mean (D has no effect).
TEST(InteractionOptimum, TakesTheBestPairOfASignificantInteraction) {
    const Design crossing{
        "L8", Array::OA_L8, {0, 1, 3}, {{0, 1}}, {20.1, 19.9, 20.1, 19.9, 9.9, 10.1, 24.9, 25.1}};
    const qvrfc::Optimum o = VerdictOf(crossing).responses[0].optimum;
    EXPECT_EQ(o.levels[0].level, 1);
    EXPECT_EQ(o.levels[1].level, 1);
    EXPECT_NEAR(o.mean.value, 25.0, 1e-12);
    EXPECT_EQ(o.interactionsUsed, std::vector<int>{3});
}

// What the analysis refuses, one golden line per case with the reason given.
TEST(Verdict, RefusesWithTheReason) {
    CQVRFCDOEAnalyzer l4;
    l4.SetupDOE(1, Array::OA_L4, nullptr);
    const qvrfc::DesignLayout layout = qvrfc::LayoutOf(l4);
    const std::vector<qvrfc::ModelTerm> terms = qvrfc::MainEffectTerms(l4);
    const qvrfc::RunValues balanced = {{1, 2}, {3, 4}, {5, 6}, {7, 8}};
    const std::pair<qvrfc::RunValues, std::vector<qvrfc::ModelTerm>> responses[] = {
        {{{1}, {}, {5}, {7}}, terms},
        {{{1}, {NAN}, {5}, {7}}, terms},
        {balanced, {terms[0], terms[0]}},
        {balanced, {terms[0], terms[1], terms[2], {"D", {3}, {0}, 1}}},
    };
    std::string said;
    for (const auto& [values, model] : responses)
        said +=
            qvrfc_test::Refusal([&] { qvrfc::AnalyzeResponse(layout, model, values, {}); }) + "\n";
    // Declared interactions; no factors given: a main effect for every factor of the array.
    const std::vector<double> y8(8, 1.0), y12(12, 1.0), y18(18, 1.0);
    const Design designs[] = {
        {"L8", Array::OA_L8, {}, {{0, 1}}, y8},
        {"L8", Array::OA_L8, {0, 1, 3, 6}, {{0, 1}, {3, 6}}, y8},
        {"L8", Array::OA_L8, {0, 1, 3}, {{0, 1}, {2, 3}}, y8},
        {"L8", Array::OA_L8, {0, 1}, {{0, 3}}, y8},
        {"L8", Array::OA_L8, {0, 1}, {{0, 0}}, y8},
        {"L8", Array::OA_L8, {0, 1}, {{0, 1}, {1, 0}}, y8},
        {"L8", Array::OA_L8, {0, 1}, {{0, 7}}, y8},
        {"L12", Array::OA_L12, {0, 1}, {{0, 1}}, y12},
        {"L18", Array::OA_L18, {0, 1, 2}, {{1, 2}}, y18},
    };
    for (const Design& design : designs) {
        const CQVRFCDOEAnalyzer analyzer = AnalyzerOf(design);
        qvrfc::VerdictSettings settings = SettingsOf(analyzer, design);
        if (design.factors.empty()) settings.terms.clear();
        said += qvrfc_test::Refusal([&] { qvrfc::AnalyzeVerdict(analyzer, settings); }) + "\n";
    }
    qvrfc_test::ExpectGolden("inference/refusals.txt", said);
}

}  // namespace
