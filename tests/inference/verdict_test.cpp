// The verdict layer against reference figures computed with R (aov, pf, qf) on the same
// data: an L18 and an L27 with three repetitions, an L8 with two, a saturated L9 with one.
#include "inference/Verdict.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include "results/VerdictReport.h"
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
    settings.pooledByHand = {e.pooled};
    settings.rule = e.rule;
    return qvrfc::AnalyzeVerdict(analyzer, settings);
}

const qvrfc::ResponseAnalysis& Of(const qvrfc::Verdict& v, qvrfc::Response response) {
    return response == qvrfc::Response::SnRatio ? v.qualities[0].sn : v.qualities[0].mean;
}

constexpr auto kSn = qvrfc::Response::SnRatio;
constexpr auto kMean = qvrfc::Response::Mean;

void ExpectRelative(double actual, double expected, double tolerance, const char* what) {
    EXPECT_NEAR(actual, expected, std::fabs(expected) * tolerance) << what;
}

TEST(VerdictAnova, TermsMatchR) {
    struct Row {
        const Experiment& experiment;
        qvrfc::Response response;
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
        const qvrfc::AnovaTerm term = Of(VerdictOf(row.experiment), row.response).terms[row.term];
        ExpectRelative(term.ss, row.ss, 1e-9, "SS");
        ExpectRelative(term.f, row.f, 1e-8, "F");
        ExpectRelative(term.p, row.p, 1e-6, "p");
    }
}

TEST(VerdictAnova, ErrorKeepsEverySourceAndContributionsAddTo100) {
    struct Row {
        const Experiment& experiment;
        qvrfc::Response response;
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
        ExpectRelative(a.error.ss, row.errorSS, 1e-8, "error SS");
        EXPECT_EQ(a.error.residual.dof, row.residual);
        EXPECT_EQ(a.error.repetition.dof, row.repetition);
        EXPECT_EQ(a.error.pooled.dof, row.pooled);
        EXPECT_EQ(a.total.dof, row.total);
        double sum = a.error.contribution, ss = a.error.ss;
        for (const qvrfc::AnovaTerm& term : a.terms) {
            if (!term.pooled) sum += term.contribution;
            ss += term.pooled ? 0.0 : term.ss;
        }
        EXPECT_NEAR(sum, 100.0, 1e-9);
        EXPECT_NEAR(ss, a.total.ss, 1e-9 * a.total.ss);
    }
    // The pure sum of squares takes the term's share of the error variance off: S - 2 Ve.
    const qvrfc::ResponseAnalysis a = VerdictOf(kL18).qualities[0].sn;
    ExpectRelative(a.terms[2].pureSS, 35.658231484997, 1e-9, "S'");
    ExpectRelative(a.total.ss, 44.930876173742, 1e-9, "total");
}

// A saturated design without repetitions has no error: no F, no p, no interval, and in the
// JSON data none of them (null).
TEST(VerdictAnova, SaturatedWithoutErrorHasNoFOrP) {
    const qvrfc::Verdict verdict = VerdictOf(kL27);
    const qvrfc::QualityVerdict& q = verdict.qualities[0];
    EXPECT_EQ(q.sn.error.dof, 0.0);
    for (const qvrfc::AnovaTerm& term : q.sn.terms) {
        EXPECT_TRUE(std::isnan(term.f) && std::isnan(term.p)) << term.name;
        EXPECT_EQ(term.pureSS, term.ss) << term.name;
    }
    EXPECT_TRUE(std::isnan(q.optimum.sn.halfWidth));
    const qvrfc::JsonResponseVerdict json = qvrfc::VerdictJsonData(verdict).at(0);
    EXPECT_FALSE(json.sn.terms[0].p || json.sn.error.ms || json.optimum.sn.low);
}

TEST(VerdictAnova, LenthErrorOfSaturatedDesigns) {
    struct Row {
        const Experiment& experiment;
        double pse, dof;
    };
    // 8 contrasts of which 7 are kept; 26 of which 20 are kept (an even count).
    const Row rows[] = {{kL9, 0.581449171249, 8.0 / 3.0}, {kL27Lenth, 0.0941182243939, 26.0 / 3.0}};
    for (const Row& row : rows) {
        const qvrfc::AnovaError e = VerdictOf(row.experiment).qualities[0].sn.error;
        EXPECT_TRUE(e.lenth) << row.experiment.name;
        EXPECT_DOUBLE_EQ(e.dof, row.dof) << row.experiment.name;
        ExpectRelative(std::sqrt(e.ms), row.pse, 1e-9, row.experiment.name);
    }
}

TEST(VerdictPrediction, IntervalsMatchR) {
    const qvrfc::Verdict v = VerdictOf(kL18);
    const qvrfc::Optimum& o = v.qualities[0].optimum;
    const std::vector<qvrfc::FactorLevel> best = {{0, 0}, {1, 2}, {2, 0}, {3, 0}};
    ASSERT_GE(o.levels.size(), 4u);
    for (size_t f = 0; f < 4; ++f)
        EXPECT_EQ(o.levels[f].level, best[f].level) << f;
    EXPECT_EQ(o.factorsUsed, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(o.adjustmentFactor, -1);
    const qvrfc::Confirmation c = qvrfc::Confirm(v, 0, best, {9.0, 9.5, 10.0});
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
        {"L8 mean at A2 C1", qvrfc::PredictAt(l8, 0, kMean, {{0, 1}, {2, 0}}), 26.53125,
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
    EXPECT_EQ(qvrfc::PredictAt(v, 0, kMean, {{0, 1}}).warning, "");
    EXPECT_EQ(qvrfc::PredictAt(v, 0, kSn, v.qualities[0].optimum.levels).warning,
              "beyond the observed range 27.327 to 30.1698");
    v.qualities[0].mean.levelMeans[0] = {-100.0, 100.0};
    EXPECT_EQ(qvrfc::PredictAt(v, 0, kMean, {{0, 0}}).warning,
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
    settings.rule = PoolingRule::Auto;
    const qvrfc::QualityVerdict q = qvrfc::AnalyzeVerdict(analyzer, settings).qualities[0];
    EXPECT_EQ(q.sn.error.pooled.dof, 4);  // half of the terms' 7, rounded up
    EXPECT_EQ(q.mean.error.pooled.dof, 0);
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

TEST(VerdictAnova, RefusesWhatItCannotAnalyse) {
    CQVRFCDOEAnalyzer analyzer;
    analyzer.SetupDOE(1, Array::OA_L4, nullptr);
    const qvrfc::DesignLayout layout = qvrfc::LayoutOf(analyzer);
    std::vector<qvrfc::ModelTerm> terms = qvrfc::MainEffectTerms(analyzer);
    const qvrfc::RunValues balanced = {{1, 2}, {3, 4}, {5, 6}, {7, 8}};
    struct Case {
        qvrfc::RunValues values;
        std::vector<qvrfc::ModelTerm> terms;
        const char* message;
    };
    const Case cases[] = {
        {{{1, 2}, {3}, {5, 6}, {7, 8}},
         terms,
         "run 2 has 1 observations where run 1 has 2; the analysis of variance needs the same "
         "number in every run"},
        {{{1}, {}, {5}, {7}}, terms, "run 2 has no observation"},
        {{{1}, {NAN}, {5}, {7}}, terms, "run 2 has a value that is not a finite number"},
        {balanced, {terms[0], terms[0]}, "term A shares column 1 with another term"},
        {balanced,
         {terms[0], terms[1], terms[2], {"D", {3}, {0}, 1}},
         "term D shares column 1 with another term"},
    };
    for (const Case& c : cases) {
        try {
            qvrfc::AnalyzeResponse(layout, c.terms, c.values, {});
            ADD_FAILURE() << c.message;
        } catch (const std::invalid_argument& error) {
            EXPECT_STREQ(error.what(), c.message);
        }
    }
}

// An L8 with pooled factors, and constant observations, whose text shows no number that does
// not exist (no "nan", no "inf").
TEST(VerdictReport, PlainTexts) {
    qvrfc_test::ExpectGolden("verdict_l8.txt", qvrfc::VerdictText(VerdictOf(kL8)));
    CQVRFCDOEAnalyzer analyzer;
    analyzer.SetupDOE(1, Array::OA_L4, nullptr);
    for (int r = 0; r < 8; ++r)
        analyzer.AppendQualityValue(0, r / 2, 5.0);
    qvrfc_test::ExpectGolden("inference/verdict_constant_l4.txt",
                             qvrfc::VerdictText(qvrfc::AnalyzeVerdict(analyzer, {})));
}

TEST(VerdictReport, JsonDataMarksWhatDoesNotExistAsNull) {
    const std::vector<qvrfc::JsonResponseVerdict> data = qvrfc::VerdictJsonData(VerdictOf(kL8));
    ASSERT_EQ(data.size(), 1u);
    const qvrfc::JsonAnovaTerm& pooled = data[0].sn.terms[5];
    EXPECT_TRUE(pooled.pooled && !pooled.f && !pooled.p && !pooled.contribution);
    EXPECT_TRUE(data[0].sn.terms[0].p.has_value());
    EXPECT_EQ(data[0].optimum.levels[0], (std::pair<std::string, std::string>("A", "2")));
}

TEST(VerdictReport, FileHoldsTheTextOrTheCauseIsGiven) {
    const qvrfc::Verdict verdict = VerdictOf(kL8);
    std::string error;
    ASSERT_TRUE(qvrfc::WriteVerdictReport("verdict.txt", verdict, error));
    EXPECT_EQ(qvrfc_test::ReadFile("verdict.txt"), qvrfc::VerdictText(verdict));
    EXPECT_FALSE(qvrfc::WriteVerdictReport("missing/verdict.txt", verdict, error));
    EXPECT_EQ(error, "cannot write 'missing/verdict.txt': No such file or directory");
}

}  // namespace
