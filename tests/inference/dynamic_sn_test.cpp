// One run of a dynamic characteristic against figures computed with R: an instrument read at
// three standard masses (1, 2, 3) under two noise conditions with two repetitions each.
//   M <- rep(c(1, 2, 3), each = 4); y <- <the run's readings, in the order below>
//   zero-point: z <- lm(y ~ 0 + M); beta = coef(z), r = sum(M^2), Sb = sum(M*y)^2/r,
//               Ve = sum(residuals(z)^2)/df.residual(z)
//   linear:     l <- lm(y ~ M); alpha, beta = coef(l), Sb = anova(l)["M", "Sum Sq"],
//               Ve = sigma(l)^2, r = sum((M - mean(M))^2)
//   reference:  Mp <- M - 1; yp <- y - mean(y[M == 1]); z <- lm(yp ~ 0 + Mp);
//               Sb = sum(Mp*yp)^2/sum(Mp^2), Ve = sum(residuals(z)^2)/(length(y) - 2)
//   then eta = 10*log10(((Sb - Ve)/r)/Ve), S = 10*log10((Sb - Ve)/r), printed with %.15g.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "qvrfc/common/QVRFCError.h"
#include "qvrfc/inference/DynamicSn.h"

namespace {

using qvrfc::DynamicKind;
using qvrfc::DynamicRun;
using qvrfc::DynamicSnOfRun;

const std::vector<double> kMass = {1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3};

const std::vector<double> kRunA = {2.02, 1.98, 2.10, 2.06, 4.01, 3.97,
                                   4.15, 4.09, 6.03, 5.95, 6.20, 6.12};
const std::vector<double> kRunB = {1.51, 1.47, 1.40, 1.44, 3.05, 2.99,
                                   2.80, 2.86, 4.52, 4.58, 4.21, 4.27};
const std::vector<double> kRunC = {0.95, 1.01, 1.20, 1.12, 1.93, 2.01,
                                   2.27, 2.19, 2.85, 2.99, 3.31, 3.19};
// Noise around a flat line: no slope to speak of.
const std::vector<double> kNoise = {0.30,  -0.20, 0.10, -0.40, -0.10, 0.25,
                                    -0.30, 0.20,  0.15, -0.25, 0.05,  -0.10};

struct Reference {
    const char* name;
    const std::vector<double>* y;
    DynamicKind kind;
    std::optional<double> reference;
    double alpha;  // NaN: not the linear form
    double beta, sBeta, sT, ve;
    int dof;
    double sn, sensitivity;
};

const double kNaN = std::nan("");

constexpr DynamicKind kZero = DynamicKind::ZeroPoint, kLinear = DynamicKind::Linear,
                      kRef = DynamicKind::ReferencePoint;
const std::optional<double> kSmallest;  // the reference form's default level

// clang-format off
const Reference kReferences[] = {
    // name, y, kind, reference, alpha, beta, S_beta, S_T, V_e, dof, S/N, sensitivity
    {"A zero-point", &kRunA, kZero, kSmallest, kNaN, 2.02678571428571, 230.040178571429,
     230.1038, 0.00578376623376624, 11, 28.5139401821614, 6.13604749695388},
    {"A linear", &kRunA, kLinear, kSmallest, 0.0216666666666648, 2.0175, 32.56245,
     32.6252666666667, 0.00628166666666669, 10, 28.1146841129895, 6.09543298364912},
    {"A reference", &kRunA, kRef, kSmallest, kNaN, 2.017, 81.36578, 81.4286,
     0.00628200000000001, 10, 28.1128033253603, 6.09378264598513},
    {"B zero-point", &kRunB, kZero, kSmallest, kNaN, 1.46357142857143, 119.954314285714,
     120.1006, 0.0132987012987013, 11, 22.069704633739, 3.30779694841235},
    {"B linear", &kRunB, kLinear, kSmallest, -0.0149999999999998, 1.47, 17.2872, 17.4331,
     0.01459, 10, 21.7021268826824, 3.34267980161694},
    {"B reference", &kRunB, kRef, kSmallest, kNaN, 1.47, 43.218, 43.3639, 0.01459, 10,
     21.7043273901991, 3.34488030913363},
    {"C zero-point", &kRunC, kZero, kSmallest, kNaN, 1.0375, 60.27875, 60.5258,
     0.0224590909090909, 11, 16.8042219498229, 0.318143680495012},
    {"C linear", &kRunC, kLinear, kSmallest, 0.0699999999999993, 1.0075, 8.12045, 8.3591,
     0.023865, 10, 16.2745045387728, 0.0521189257954003},
    {"C reference", &kRunC, kRef, kSmallest, kNaN, 1.012, 20.48288, 20.7218, 0.023892, 10,
     16.3160164587341, 0.0985415194844818},
    // Mp <- M - 2; yp <- y - mean(y[M == 2]), S_T = sum(yp^2): the middle level, the linear slope.
    {"A reference at 2", &kRunA, kRef, 2.0, kNaN, 2.0175, 32.56245, 32.6253,
     0.00628500000000001, 10, 28.1123797187676, 6.09543253898735},
};
// clang-format on

void ExpectNear(double expected, double actual, const char* what) {
    EXPECT_NEAR(expected, actual, 1e-10 * std::max(1.0, std::fabs(expected))) << what;
}

TEST(DynamicSn, RunsMatchR) {
    for (const Reference& ref : kReferences) {
        SCOPED_TRACE(ref.name);
        const DynamicRun run = DynamicSnOfRun(kMass, *ref.y, ref.kind, ref.reference);
        ASSERT_TRUE(run.exists) << run.reason;
        EXPECT_TRUE(run.reason.empty());
        if (std::isnan(ref.alpha))
            EXPECT_TRUE(std::isnan(run.alpha));
        else
            ExpectNear(ref.alpha, run.alpha, "alpha");
        ExpectNear(ref.beta, run.beta, "beta");
        ExpectNear(ref.sBeta, run.sBeta, "S_beta");
        ExpectNear(ref.sT, run.sT, "S_T");
        ExpectNear(ref.ve, run.ve, "V_e");
        EXPECT_EQ(ref.dof, run.dof);
        ExpectNear(ref.sn, run.sn, "S/N");
        ExpectNear(ref.sensitivity, run.sensitivity, "sensitivity");
    }
}

// Noise around a flat line: S_beta does not exceed V_e (R: S_beta 0.00540178571428571,
// 0.000312500000000014, 0.006125 against V_e 0.0540543831168831, 0.05921875, 0.0593875). An
// exact line, 0.1 M (not exact in binary: the residuals are rounding only): V_e zero, and a
// sensitivity of -20 dB.
TEST(DynamicSn, NoSnWhenTheSlopeIsLostInNoiseOrTheLineIsExact) {
    const std::vector<double> mass = {1, 2, 3, 1, 2, 3}, exact = {0.1, 0.2, 0.3, 0.1, 0.2, 0.3};
    for (DynamicKind kind : {kZero, kLinear, kRef}) {
        SCOPED_TRACE(qvrfc::DynamicKindName(kind));
        const DynamicRun noise = DynamicSnOfRun(kMass, kNoise, kind);
        const DynamicRun line = DynamicSnOfRun(mass, exact, kind);
        EXPECT_FALSE(noise.exists || line.exists);
        EXPECT_LE(noise.sBeta, noise.ve);
        EXPECT_EQ(0.0, line.ve);
        EXPECT_TRUE(std::isnan(noise.sn) && std::isnan(noise.sensitivity) && std::isnan(line.sn));
        EXPECT_NEAR(-20.0, line.sensitivity, 1e-9);
        EXPECT_NE(std::string::npos, noise.reason.find("does not exceed V_e")) << noise.reason;
        EXPECT_NE(std::string::npos, line.reason.find("V_e is zero")) << line.reason;
    }
    ExpectNear(0.0540543831168831, DynamicSnOfRun(kMass, kNoise, kZero).ve, "V_e");
}

TEST(DynamicSn, SmallestRuns) {
    // Two observations for the zero-point form, three for the others, one degree of freedom.
    const DynamicRun zero = DynamicSnOfRun({1, 2}, {1.1, 1.9}, DynamicKind::ZeroPoint);
    EXPECT_EQ(1, zero.dof);
    ExpectNear(0.98, zero.beta, "beta");  // (1.1 + 3.8) / 5
    const DynamicRun linear = DynamicSnOfRun({1, 2, 3}, {1, 2.1, 2.9}, DynamicKind::Linear);
    EXPECT_EQ(1, linear.dof);
    ExpectNear(0.95, linear.beta, "beta");
    ExpectNear(0.1, linear.alpha, "alpha");
}

TEST(DynamicSn, Refusals) {
    const double inf = INFINITY;
    struct Bad {
        std::vector<double> signal, y;
        DynamicKind kind;
        std::optional<double> reference;
        const char* message;
    };
    const DynamicKind Z = kZero, L = kLinear, R = kRef;
    const std::optional<double> none;
    // clang-format off
    const Bad bad[] = {
        {{1, 2, 3}, {1, 2}, Z, none, "The run has 3 signal values but 2 observations."},
        {{1, 2, kNaN}, {1, 2, 3}, L, none,
         "Observation 3 of the run has a signal value or an observation that is not finite."},
        {{1, 2, 3}, {1, -inf, 3}, Z, none,
         "Observation 2 of the run has a signal value or an observation that is not finite."},
        {{1}, {1}, Z, none,
         "The dynamic form needs at least 2 observations per run, the run has 1."},
        {{1, 2}, {1, 2}, L, none,
         "The dynamic-linear form needs at least 3 observations per run, the run has 2."},
        {{0, 0, 0}, {1, 2, 3}, Z, none,
         "All signal values of the run are zero, so the slope is not defined."},
        {{2, 2, 2}, {1, 2, 3}, L, none,
         "The dynamic-linear form needs at least two distinct signal levels, the run has one."},
        {{2, 2, 2}, {1, 2, 3}, R, none,
         "The dynamic-reference form needs at least two distinct signal levels, the run has one."},
        {{1, 2, 3}, {1, 2, 3}, R, 1.5,
         "No observation of the run is at the reference signal level 1.5."},
        {{1, 2, 3}, {1, 2, 3}, R, inf, "The reference signal level is not finite."},
        {{1, 2, 3}, {1, 2, 3}, L, 1.0, "A reference signal level applies only to the "
         "dynamic-reference form, not to the dynamic-linear form."},
        {{1, 2, 1e200}, {1, 2, 3}, Z, none,
         "The run's values are too large for their sums of squares to be finite."},
    };
    // clang-format on
    for (const Bad& b : bad) {
        try {
            DynamicSnOfRun(b.signal, b.y, b.kind, b.reference);
            ADD_FAILURE() << "accepted: " << b.message;
        } catch (const qvrfc::Error& e) {
            EXPECT_EQ(std::string(b.message), e.what());
        }
    }
}

}  // namespace
