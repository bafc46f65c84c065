// The noise model against R's anova(lm(y ~ (controls) * (noise factors))) with every factor a
// factor (tests/inference/noise_model_reference.R): the leaf-spring free heights (B, C, D, E
// on columns 1, 2, 4 and 7 of an L8, quench-oil temperature Q, three repetitions), an L9 with
// a 3-level and a 2-level noise factor crossed in full, and an L8 whose three noise factors
// are set by the rows of an L4.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "qvrfc/inference/NoiseModel.h"
#include "support/golden.h"
#include "support/test_support.h"

namespace {

using Array = CQVRFCDOETaguchiOrthogonalArray;

// Free height, [L8 run][Q low 1..3, Q high 1..3].
const double kSpring[8][6] = {
    {7.56, 7.62, 7.44, 7.18, 7.18, 7.25}, {7.50, 7.56, 7.50, 7.50, 7.56, 7.50},
    {7.94, 8.00, 7.88, 7.32, 7.44, 7.44}, {7.78, 7.78, 7.81, 7.50, 7.25, 7.12},
    {7.56, 7.81, 7.69, 7.81, 7.50, 7.59}, {7.59, 7.56, 7.75, 7.63, 7.75, 7.56},
    {7.69, 8.09, 8.06, 7.56, 7.69, 7.62}, {8.15, 8.18, 7.88, 7.88, 7.88, 7.44}};
const std::vector<std::vector<int>> kL4 = {{0, 0, 0}, {0, 1, 1}, {1, 0, 1}, {1, 1, 0}};

struct Input {
    std::string name;
    qvrfc::DesignLayout layout;
    std::vector<qvrfc::ModelTerm> controls;
    qvrfc::NoiseLayout noise;
    qvrfc::RunValues observations;
    double alpha = 0.05;
};

// Observation k of a run under a noise condition, from the levels (from 0) of the controls.
using Observation = double (*)(int run, const std::vector<int>& level, int condition, int k);

// Controls named by the letters of `names` on the columns given.
Input Make(Array::OA_TYPE array, const std::string& names, const std::vector<int>& columns,
           const qvrfc::NoiseLayout& noise, int repetitions, Observation y) {
    CQVRFCDOEAnalyzer analyzer;
    analyzer.SetupDOE(1, array, nullptr);
    Input in{names, qvrfc::LayoutOf(analyzer), {}, noise, {}};
    for (size_t f = 0; f < columns.size(); ++f)
        in.controls.push_back(
            {names.substr(f, 1), {int(f)}, {columns[f]}, in.layout.levelCounts[columns[f]] - 1});
    for (const std::vector<int>& run : in.layout.levels) {
        std::vector<int> level;
        for (int column : columns)
            level.push_back(run[column]);
        in.observations.emplace_back();
        for (size_t c = 0; c < noise.conditions.size(); ++c) {
            for (int k = 0; k < repetitions; ++k)
                in.observations.back().push_back(y(int(in.observations.size()) - 1, level, c, k));
        }
    }
    return in;
}

Input Spring() {
    return Make(Array::OA_L8, "BCDE", {0, 1, 3, 6}, {{"Q"}, {2}, {{0}, {1}}}, 3,
                [](int r, const std::vector<int>&, int c, int k) { return kSpring[r][c * 3 + k]; });
}

Input L9() {
    const qvrfc::NoiseLayout noise{
        {"N1", "N2"}, {3, 2}, {{0, 0}, {0, 1}, {1, 0}, {1, 1}, {2, 0}, {2, 1}}};
    return Make(Array::OA_L9, "ABC", {0, 1, 2}, noise, 2,
                [](int r, const std::vector<int>& l, int c, int k) {
                    return 10 + 0.6 * l[0] - 0.4 * l[1] + 0.2 * l[2] +
                           (1.2 - 0.5 * l[0]) * (c / 2) + 0.3 * (c % 2) * l[1] +
                           ((7 * r + 5 * c + 3 * k + r * c) % 11) / 10.0;
                });
}

Input OuterL4() {
    return Make(Array::OA_L8, "ABC", {0, 1, 3}, {{"N1", "N2", "N3"}, {2, 2, 2}, kL4}, 1,
                [](int r, const std::vector<int>& l, int c, int) {
                    const std::vector<int>& n = kL4[c];
                    return 5 + 0.7 * l[0] + 0.3 * l[1] + 0.5 * n[0] - 0.4 * l[0] * n[0] +
                           0.25 * n[2] * l[1] + ((5 * r + 3 * c + r * c * c) % 7) / 8.0;
                });
}

qvrfc::NoiseModel ModelOf(const Input& in) {
    return qvrfc::AnalyzeNoise(in.layout, in.controls, in.noise, in.observations, in.alpha);
}

// R's figures; "Error" is its residual row, "Total" the sum of its rows. Each case lists its
// terms in the model's order.
TEST(NoiseModel, AnovaMatchesR) {
    struct Row {
        Input (*input)();
        const char* term;
        double ss;
        int dof;
        double f = NAN, p = NAN;
    };
    const Row rows[] = {
        {Spring, "B", 0.587418749999999, 1, 37.1786599119, 4.18493324646e-07},
        {Spring, "C", 0.372768750000002, 1, 23.5931225927, 2.07144587727e-05},
        {Spring, "D", 0.00991875000000006, 1, 0.627773343974, 0.433092007571},
        {Spring, "E", 0.12916875, 1, 8.17529407682, 0.00685935881021},
        {Spring, "Q", 0.808602083333333, 1, 51.1777022103, 1.52427414751e-08},
        {Spring, "B*Q", 0.085852083333333, 1, 5.43371386932, 0.0251568537063},
        {Spring, "C*Q", 0.328352083333334, 1, 20.7819216489, 5.21399921754e-05},
        {Spring, "D*Q", 0.0346687499999999, 1, 2.19423991117, 0.146772659289},
        {Spring, "E*Q", 0.00880208333333331, 1, 0.557097748013, 0.460024988545},
        {Spring, "Error", 0.600395833333332, 38},
        {Spring, "Total", 2.96594791666667, 47},
        {L9, "A", 0.867407407407412, 2, 3.29841733711, 0.0420260689138},
        {L9, "B", 5.64518518518518, 2, 21.4664718413, 3.44245470847e-08},
        {L9, "C", 3.34240740740743, 2, 12.7098920832, 1.6095874271e-05},
        {L9, "N1", 35.0229629629629, 2, 133.178881397, 3.4882086029e-26},
        {L9, "N2", 2.49037037037039, 1, 18.9398447265, 3.95095957876e-05},
        {L9, "A*N1", 13.4742592592593, 4, 25.6187173213, 1.11139090537e-13},
        {L9, "A*N2", 0.0229629629629622, 2, 0.0873193317254, 0.916471634599},
        {L9, "B*N1", 0.461481481481479, 4, 0.877418446209, 0.481325368591},
        {L9, "B*N2", 1.47851851851851, 2, 5.62223826206, 0.00519201719081},
        {L9, "C*N1", 0.179259259259263, 4, 0.340827068993, 0.849635098798},
        {L9, "C*N2", 0.022407407407409, 2, 0.0852067672482, 0.918405611359},
        {L9, "Error", 10.5190740740741, 80},
        {OuterL4, "A", 2.82031250000001, 1, 58.9387755102, 9.42353763499e-07},
        {OuterL4, "B", 1.05125, 1, 21.9689795918, 0.00024729862497},
        {OuterL4, "C", 0.0078124999999996, 1, 0.163265306122, 0.691517284795},
        {OuterL4, "N1", 0.646953125000002, 1, 13.52, 0.00203924024332},
        {OuterL4, "N2", 0.0312499999999991, 1, 0.65306122449, 0.430872270649},
        {OuterL4, "N3", 0.439453125000003, 1, 9.18367346939, 0.00795716359942},
        {OuterL4, "A*N1", 0.928203125000005, 1, 19.3975510204, 0.000443298740822},
        {OuterL4, "A*N2", 0.0703124999999987, 1, 1.4693877551, 0.243039169977},
        {OuterL4, "A*N3", 0.0175781249999994, 1, 0.367346938775, 0.552956275279},
        {OuterL4, "B*N1", 0.330078124999998, 1, 6.89795918367, 0.0183300126023},
        {OuterL4, "B*N2", 0.0312500000000007, 1, 0.65306122449, 0.430872270649},
        {OuterL4, "B*N3", 0.330078124999998, 1, 6.89795918367, 0.0183300126023},
        {OuterL4, "C*N1", 0.0175781249999993, 1, 0.367346938775, 0.552956275279},
        {OuterL4, "C*N2", 0.00781250000000042, 1, 0.163265306122, 0.691517284795},
        {OuterL4, "C*N3", 0.00195312500000021, 1, 0.0408163265306, 0.842439273457},
        {OuterL4, "Error", 0.765625000000011, 16},
    };
    size_t next = 0;  // the table's rows in the reference's order: terms, then the error
    for (const Row& row : rows) {
        const qvrfc::ResponseAnalysis a = ModelOf(row.input()).anova;
        SCOPED_TRACE(row.input().name + " " + row.term);
        const std::string name = row.term;
        ASSERT_LT(next, a.table.rows.size());
        const qvrfc::AnovaRow& t = name == "Total" ? a.table.Total() : a.table.rows[next++];
        if (name == "Error" || name == "Total") next = 0;  // the next reference's table
        EXPECT_EQ(t.name, name);
        EXPECT_NEAR(t.ss, row.ss, 1e-9 * row.ss);
        EXPECT_EQ(t.dof, row.dof);
        if (!t.IsTerm()) continue;
        EXPECT_NEAR(t.f, row.f, 1e-8 * row.f);
        EXPECT_NEAR(t.p, row.p, 1e-6 * row.p);
    }
}

// Heating time C damps quench-oil temperature Q best at its level - (the first): -0.094
// there, -0.425 at +. R's cell means; a 3-level noise factor moves the response by its range.
TEST(NoiseModel, DampersStrongestFirstWithTheNoiseEffectAtEachLevel) {
    struct Row {
        Input (*input)();
        size_t count, rank;  // of the dampers, and this one's place among them
        const char* name;
        double p;
        int holm;  // Holm's factor of p: the tests left from its rank among the p's
        std::vector<double> effect;
        int dampingLevel;
    };
    // Effects: the noise's high minus low (or range) of R's cell means at each control level.
    const Row rows[] = {
        {Spring, 1, 0, "C*Q", 5.21399921754e-05, 4, {-0.0941666666666667, -0.425}, 0},
        {L9, 2, 0, "A*N1", 1.11139090537e-13, 6, {2.41666666666667, 1.425, 0.341666666666667}, 2},
        // clang-format off
        {L9, 2, 1, "B*N2", 0.00519201719081, 5,
         {0.0666666666666667, 0.222222222222222, 0.622222222222222}, 0},
        // clang-format on
    };
    for (const Row& row : rows) {
        const Input in = row.input();
        SCOPED_TRACE(in.name + " " + row.name);
        const qvrfc::NoiseModel model = ModelOf(in);
        ASSERT_EQ(model.dampers.size(), row.count);
        const qvrfc::Damper& damper = model.dampers[row.rank];
        EXPECT_EQ(damper.name, row.name);
        EXPECT_EQ(model.anova.table.Term(damper.term).name, row.name);
        EXPECT_NEAR(damper.p, row.p, 1e-6 * row.p);
        EXPECT_NEAR(damper.pAdjusted, row.holm * row.p, 1e-6 * row.p);
        ASSERT_EQ(damper.effect.size(), row.effect.size());
        for (size_t l = 0; l < row.effect.size(); ++l)
            EXPECT_NEAR(damper.effect[l], row.effect[l], 1e-12) << l;
        EXPECT_EQ(damper.dampingLevel, row.dampingLevel);
        EXPECT_EQ(damper.range, in.noise.levelCounts[damper.noise] > 2);
        // The tables of the control x noise interactions, control factors major.
        const size_t table = damper.control * in.noise.names.size() + damper.noise;
        EXPECT_EQ(model.tables.at(table).term, damper.term);
    }
}

// The leaf spring's B*Q (p 0.0252) is a damper by chance once its four control x noise tests
// are counted: Holm's adjustment gives 3 x 0.0252 = 0.0755. R's p.adjust(p, "holm").
TEST(NoiseModel, HolmsAdjustmentOverTheControlByNoiseTests) {
    const qvrfc::NoiseModel spring = ModelOf(Spring());
    EXPECT_EQ(spring.tests, 4);
    const double bq = spring.anova.table.Term(spring.tables[0].term).p;
    EXPECT_NEAR(bq, 0.0251568537063, 1e-9);
    EXPECT_NEAR(qvrfc::HolmAdjusted({5.21399921754e-05, bq, 0.5, 0.9})[1], 3 * bq, 1e-12);
    struct Row {
        std::vector<double> p, adjusted;
    };
    const double nan = std::nan("");
    const Row rows[] = {
        {{0.01, 0.04, 0.03, 0.005}, {0.03, 0.06, 0.06, 0.02}},
        {{0.6, 0.7}, {1.0, 1.0}},
        {{nan, 0.02, 0.01}, {nan, 0.02, 0.02}},
        {{}, {}},
    };
    for (const Row& row : rows) {
        const std::vector<double> adjusted = qvrfc::HolmAdjusted(row.p);
        ASSERT_EQ(adjusted.size(), row.adjusted.size());
        for (size_t i = 0; i < adjusted.size(); ++i) {
            if (std::isnan(row.adjusted[i]))
                EXPECT_TRUE(std::isnan(adjusted[i])) << i;
            else
                EXPECT_NEAR(adjusted[i], row.adjusted[i], 1e-15) << i;
        }
    }
}

// Every column of the L8 a control factor, one observation per condition: no error, no F or
// p, no damper.
TEST(NoiseModel, SaturatedModelHasNoDamper) {
    const qvrfc::NoiseModel model =
        ModelOf(Make(Array::OA_L8, "ABCDEFG", {0, 1, 2, 3, 4, 5, 6}, {{"Q"}, {2}, {{0}, {1}}}, 1,
                     [](int r, const std::vector<int>&, int c, int) { return kSpring[r][c * 3]; }));
    EXPECT_EQ(model.anova.table.Error().dof, 0.0);
    EXPECT_TRUE(std::isnan(model.anova.table.Term(7).p));
    EXPECT_EQ(model.tables.size(), 7u);
    EXPECT_TRUE(model.dampers.empty());
    EXPECT_FALSE(model.Testable());
}

// What the noise model refuses, one golden line per case with the reason given.
TEST(NoiseModel, RefusesWithTheReason) {
    // clang-format off
    const std::function<void(Input&)> changes[] = {
        [](Input& i) { i.noise = {}; },
        [](Input& i) { i.noise.levelCounts.push_back(2); },
        [](Input& i) { i.noise.names[0] = ""; },
        [](Input& i) { i.noise.levelCounts[0] = 1; },
        [](Input& i) { i.noise.names[0] = "C"; },
        [](Input& i) { i.controls[1].factors = {0, 1}; },
        [](Input& i) { i.controls[1].factors = {0}; },
        [](Input& i) { i.controls[3].columns = {7}; },
        [](Input& i) { i.noise.conditions.clear(); },
        [](Input& i) { i.noise.conditions[1] = {1, 0}; },
        [](Input& i) { i.noise.conditions[1] = {2}; },
        [](Input& i) { i.noise.conditions[1] = {0}; },
        [](Input& i) { i.noise = {{"N1", "N2"}, {2, 2}, {{0, 0}, {1, 1}}}; },
        [](Input& i) { i.observations.pop_back(); },
        [](Input& i) { i.observations[3].pop_back(); },
        [](Input& i) {
            for (std::vector<double>& run : i.observations)
                run.pop_back();
        },
        [](Input& i) { i.observations[2][4] = NAN; },
        [](Input& i) { i.observations[2][4] = 2e12; },  // the engine's missing value
        [](Input& i) { i.observations[2][4] = INFINITY; },
        [](Input& i) { i.alpha = 1.0; },
        [](Input& i) { i.layout.levels.clear(), i.observations.clear(); },
        [](Input& i) { i.layout.levels[5].pop_back(); },
        [](Input& i) { i.layout.levels[0][1] = 1; },
        [](Input& i) { i.layout.levelCounts[1] = 3; },
    };
    // clang-format on
    const Input spring = Spring();
    std::string said;
    for (const std::function<void(Input&)>& change : changes) {
        Input in = spring;
        change(in);
        said += qvrfc_test::Refusal([&] { ModelOf(in); }) + "\n";
    }
    // The analysis of one response refuses a design without runs on its own.
    said += qvrfc_test::Refusal([] { qvrfc::AnalyzeResponse({}, {}, qvrfc::RunValues{}, {}); });
    qvrfc_test::ExpectGolden("inference/noise_refusals.txt", said + "\n");
}

}  // namespace
