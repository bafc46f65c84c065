// The robust-design figures beside the S/N ratio, each against a reference computed once with
// numpy: the ANOVA of ln s^2, the noise range from the control x noise model, the decomposition
// of dynamic runs and their confirmation, grey grades of the means and the two-sided
// desirability. Published source: Derringer and Suich's formula for the last; no published
// table was used for the others.
#include <gtest/gtest.h>

#include <cmath>

#include "analysis/bundled.h"
#include "qvrfc/analysis/Analysis.h"
#include "qvrfc/analysis/ConfirmationRun.h"
#include "qvrfc/inference/Combine.h"

namespace {

using qvrfc_test::Bundled;

// Leaf spring: s2 = y.var(axis=1, ddof=1) over each run's six observations, the ANOVA of
// log(s2) as R's anova(lm(log(s2) ~ B + C + D + E)) gives it (9.506, 2.181, residual 4.641 on 3);
// the noise ranges from np.linalg.lstsq of y on (B + C + D + E) * Q in -1/+1 codes, predicted at
// both levels of Q: the optimum (all +), the worst (-, +, -, -) and the noise effect alone.
TEST(RobustDesign, LeafSpringDispersionAndNoiseRange) {
    const qvrfc::Analysis analysis = Bundled("leaf-spring/runsheet.csv");
    const qvrfc::ResponseResult& q = analysis.responses[0];
    ASSERT_TRUE(q.logVariance && q.noise && q.noise->robustness);
    const qvrfc::AnovaTable& lnS2 = q.logVariance->table;
    const qvrfc::AnovaRow& residual = lnS2.ErrorPart(qvrfc::AnovaTable::Residual);
    const qvrfc::Robustness& ranges = *q.noise->robustness;
    const std::vector<double> actual = {
        lnS2.Term(1).ss,      lnS2.Term(2).ss,    residual.ss,         residual.dof,
        ranges.optimum.range, ranges.worst.range, ranges.average.range};
    const std::vector<double> expected = {
        9.50647108094505,    2.1814165671730152, 4.640512238948704,  3.0,
        0.25958333333333083, 0.5904166666666697, 0.25958333333333383};
    for (size_t i = 0; i < actual.size(); ++i)
        EXPECT_NEAR(actual[i], expected[i], 1e-9) << i;
    EXPECT_EQ(ranges.worst.levels, (std::vector<int>{0, 1, 0, 0}));
}

// Calibration: each condition's slope is np.linalg.lstsq(M[:, None], y) through the origin, S_e
// the residual of a slope per condition, and the linearity p the F test of adding M**2 to that
// fit (F on 1 and 3 dof); S_beta + S_NxBeta + S_e is every run's sum of squares.
TEST(RobustDesign, CalibrationDecomposition) {
    const double slopes[8][2] = {
        {0.22914285714285726, 0.25050000000000017}, {0.29621428571428576, 0.30464285714285727},
        {0.2759285714285716, 0.32371428571428584},  {0.22900000000000006, 0.251857142857143},
        {0.5250000000000001, 0.574357142857143},    {0.4344285714285716, 0.44671428571428595},
        {0.4047857142857145, 0.4747857142857145},   {0.5230714285714287, 0.5782142857142859}};
    const double linearityP[8] = {0.5005529969013863,  0.5510392366748831, 0.49616883994574457,
                                  0.5916037874114379,  0.5187628668068249, 0.5342667905865877,
                                  0.47412850111991944, 0.5870028724605025};
    const qvrfc::Analysis analysis = Bundled("calibration/runsheet.csv");
    const std::vector<qvrfc::DynamicRun>& runs = analysis.responses[0].dynamic;
    ASSERT_EQ(runs.size(), 8u);
    for (size_t r = 0; r < runs.size(); ++r) {
        EXPECT_NEAR(runs[r].sBeta + runs[r].sNBeta + runs[r].sE, runs[r].sT, 1e-9 * runs[r].sT);
        EXPECT_NEAR(runs[r].betaByNoise[0], slopes[r][0], 1e-12);
        EXPECT_NEAR(runs[r].betaByNoise[1], slopes[r][1], 1e-12);
        EXPECT_NEAR(runs[r].linearityP, linearityP[r], 1e-9);
    }
    // A curved response, y = M + 0.2 M^2 with small errors, under two conditions: the quadratic
    // term's p is 6.2108e-9 (numpy: F = 6219.618 on 1 and 5 dof).
    const std::vector<double> m = {1, 2, 3, 4, 1, 2, 3, 4};
    const std::vector<double> y = {1.21, 2.78, 4.815, 7.19, 1.19, 2.82, 4.795, 7.21};
    qvrfc::DynamicRun run = qvrfc::DynamicSnOfRun(m, y, qvrfc::DynamicKind::ZeroPoint);
    qvrfc::AddNoiseDecomposition(run, m, y, {0, 0, 0, 0, 1, 1, 1, 1}, 2,
                                 qvrfc::DynamicKind::ZeroPoint);
    EXPECT_NEAR(run.linearityP, 6.210787661942163e-09, 1e-11);
    EXPECT_EQ(run.dofE, 6);
}

// Moulding, grades of the run means (Strength larger-, Shrinkage smaller-the-better), runs 1, 7
// and 12 against Deng's coefficients computed with numpy: x = (y - min) / (max - min) or
// (max - y) / (max - min), D = 1 - x, xi = (D.min() + 0.5 D.max()) / (D + 0.5 D.max()) over
// both responses, grade = xi.mean(axis=0).
TEST(RobustDesign, MouldingGreyGradesOfTheMeans) {
    qvrfc::AnalysisOptions options;
    options.combine = "grey";
    options.greyFrom = "mean";
    const qvrfc::Analysis analysis = Bundled("moulding/runsheet.csv", options);
    const qvrfc::GreyAnalysis& grey = analysis.combined->grey;
    const struct {
        size_t run;
        double strength, shrinkage, grade;
    } kRuns[] = {{0, 0.5125448028673838, 0.43469785575048736, 0.4736213293089356},
                 {6, 0.856287425149702, 1.0, 0.9281437125748511},
                 {11, 0.3333333333333333, 0.3333333333333333, 0.3333333333333333}};
    EXPECT_EQ(grey.from, qvrfc::GreyFrom::Mean);
    for (const auto& run : kRuns) {
        EXPECT_NEAR(grey.coefficients[0][run.run], run.strength, 1e-12);
        EXPECT_NEAR(grey.coefficients[1][run.run], run.shrinkage, 1e-12);
        EXPECT_NEAR(grey.grades[run.run], run.grade, 1e-12);
    }
    // Only Resin is significant for the grades: the prediction is its level mean at virgin.
    EXPECT_NEAR(grey.prediction.value, grey.levelGrades[0][0], 1e-12);
    EXPECT_TRUE(std::isfinite(grey.prediction.halfWidth));
    options.greyFrom = "median";
    EXPECT_THROW(qvrfc::SettingsOfOptions(options), qvrfc::Error);
}

// Derringer and Suich's two-sided desirability (J. Quality Technology 12, 1980): on [36, 46]
// with target 42, ((y - 36) / 6)^2 below and ((46 - y) / 4)^0.5 above.
TEST(RobustDesign, TwoSidedDesirability) {
    const qvrfc::DesirabilityShape shape{qvrfc::Aim::Nominal, 36.0, 46.0, 42.0, 2.0, 1.0, 0.5};
    const double kValues[][2] = {{39.0, 0.25}, {42.0, 1.0}, {45.0, 0.5}, {47.0, 0.0}, {35.0, 0.0}};
    for (const auto& value : kValues)
        EXPECT_DOUBLE_EQ(qvrfc::Desirability(shape, value[0]), value[1]) << value[0];
    qvrfc::AnalysisOptions options;
    options.desirability = {"Strength=low:36,target:42,high:46,s:2,t:0.5"};
    const qvrfc::Analysis analysis = Bundled("moulding/runsheet.csv", options);
    const qvrfc::CombinedResponse& strength = analysis.combined->responses[0];
    EXPECT_EQ(strength.aim, qvrfc::Aim::Nominal);
    EXPECT_DOUBLE_EQ(strength.d, qvrfc::Desirability(shape, strength.predicted.value));
    for (const char* bad : {"Strength=t:0.5", "Strength=target:42,t:0", "Strength=s:1,weight:2"}) {
        options.desirability = {bad};
        EXPECT_THROW(qvrfc::SettingsOfOptions(options), qvrfc::Error) << bad;
    }
}

// The calibration confirmed at one setting with each value's load: the slope sum(M y) / sum(M^2)
// and the dynamic S/N ratio 10 log10(((S_beta - V_e) / r) / V_e), computed with numpy.
TEST(RobustDesign, DynamicConfirmation) {
    const qvrfc::Analysis analysis = Bundled("calibration/runsheet.csv");
    const std::vector<qvrfc::FactorLevel> at = {{0, 1}, {1, 0}, {2, 0}, {3, 1}};
    const qvrfc::Confirmation c = qvrfc::ConfirmationRun(
        analysis, 0, at,
        std::vector<std::string>{"Load=10:5.3", "Load=20:10.6", "Load=30:15.9", "M=10:5.6",
                                 "M=20:11.5", "M=30:17.0"});
    EXPECT_NEAR(c.mean, 0.5492857142857143, 1e-12);
    EXPECT_NEAR(c.sn, 1.4965317485534992, 1e-9);
    EXPECT_TRUE(c.meanInside && c.snInside);
    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
             {"Load=10:5.3", "5.6"}, {"Force=10:5.3"}, {"Load=10"}, {"3"}})
        EXPECT_THROW(qvrfc::ConfirmationRun(analysis, 0, at, bad), qvrfc::Error) << bad[0];
}

}  // namespace
