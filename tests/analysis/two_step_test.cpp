// The two-step dynamic optimum and the words and numbers around it (issue 34, items 1, 9, 10):
// one row per case, on the bundled calibration and leaf spring or on small inputs made here.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "analysis/bundled.h"
#include "qvrfc/analysis/Analysis.h"
#include "qvrfc/charts/ChartsOfAnalysis.h"
#include "qvrfc/experiment/ExperimentFile.h"
#include "qvrfc/inference/Combine.h"
#include "qvrfc/results/HtmlReport.h"
#include "qvrfc/results/VerdictReport.h"

namespace {

using qvrfc_test::Bundled;

// The calibration with its target slope changed, or one run's readings replaced by zeros.
qvrfc::Analysis Calibration(double target, bool zeroRun = false) {
    qvrfc::Experiment experiment =
        qvrfc::ReadExperimentFile(qvrfc_test::DataFile("calibration/experiment.toml"));
    qvrfc::SheetObservations observations =
        qvrfc::ReadRunSheet(experiment, qvrfc_test::DataFile("calibration/runsheet.csv"));
    experiment.responses[0].target = target;
    if (zeroRun) {
        for (double& y : observations[0][2])
            y = 0.0;
    }
    return qvrfc::Analyze(experiment, observations, {});
}

int FactorNamed(const qvrfc::Analysis& analysis, const std::string& name) {
    return qvrfc::FactorOfText(analysis.experiment, name);
}

struct TextCase {
    const char* item;
    std::function<std::string()> text;
    const char* holds;  // a text that must appear
    const char* lacks;  // and one that must not ("" for none)
};

TEST(TwoStep, CalibrationSlopeReachesTheTargetWithEveryAdjuster) {
    const qvrfc::Analysis analysis = Bundled("calibration/runsheet.csv");
    const qvrfc::ResponseResult& q = analysis.responses[0];
    const qvrfc::Optimum& o = q.optimum;
    const int bridge = FactorNamed(analysis, "Bridge voltage");
    // Gauge (beta F 243) and Bridge voltage (beta p 0.0098, S/N p 0.95) both adjust the slope.
    EXPECT_EQ(o.adjustmentFactors, (std::vector<int>{FactorNamed(analysis, "Gauge"), bridge}));
    EXPECT_EQ(o.betweenFactor, bridge);
    EXPECT_NEAR(o.betweenValue, 7.7842, 1e-4);
    EXPECT_NEAR(o.mean.value, 0.5, 1e-9);
    EXPECT_LE(o.mean.low, 0.5);
    EXPECT_GE(o.mean.high, 0.5);
    EXPECT_NEAR(o.sn.value, 7.7628, 1e-4);  // the S/N ratio is not moved
    // The slope table's best follows the choice: 10 V is the tested level nearest 7.78 V.
    EXPECT_EQ(q.mean.rows[bridge].best, 1);
}

TEST(TwoStep, WordsAndNumbersOfEachCase) {
    const TextCase cases[] = {
        {"1: a target the adjusters cannot reach is said, with the gap",
         [] { return qvrfc::VerdictText(Calibration(5.0)); },
         "Note: The target slope 5 is not reached: Gauge, Bridge voltage at their tested levels "
         "bring the slope nearest it, ",
         ""},
        {"9: an interpolated predict of a dynamic response names the slope",
         [] {
             const qvrfc::Analysis analysis = Bundled("calibration/runsheet.csv");
             return qvrfc::PredictionText(
                 analysis, qvrfc::PredictResponse(
                               analysis, 0, qvrfc::ParseSettingsAt(analysis, "Bridge voltage=7")));
         },
         "\n  slope ", "  mean "},
        {"9: the page names the slope's adjustment factors",
         [] {
             const qvrfc::Analysis analysis = Bundled("calibration/runsheet.csv");
             return qvrfc::BuildHtmlReport(analysis, qvrfc::ChartsOf(analysis));
         },
         "Adjustment factors for the slope: Gauge, Bridge voltage.", "for the mean"},
        {"9: variation across noise conditions is named so",
         [] { return qvrfc::VerdictText(Bundled("leaf-spring/runsheet.csv")); },
         "  noise+repetition ", ""},
        {"9: shares below 0 % get a note",
         [] { return qvrfc::VerdictText(Bundled("calibration/runsheet.csv")); },
         "Shares below 0 % or above 100 %: a term weaker than the error", ""},
        {"10: a dynamic run of zeros is refused as dynamic",
         [] { return qvrfc_test::Refusal([] { Calibration(0.5, true); }); },
         "response 'Output', run 3: the dynamic S/N ratio does not exist", "smaller"},
        {"10: low = nan in an experiment file is refused",
         [] {
             std::string text =
                 qvrfc_test::ReadFile(qvrfc_test::DataFile("calibration/experiment.toml"));
             text.replace(text.find("target = 0.5\n"), 13, "target = 0.5\nlow = nan\n");
             return qvrfc_test::Refusal(
                 [&] { qvrfc::ReadExperimentText(text, "experiment.toml"); });
         },
         "expected a finite number, not nan", ""},
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.item);
        const std::string text = c.text();
        EXPECT_NE(text.find(c.holds), std::string::npos) << text;
        if (*c.lacks) {
            EXPECT_EQ(text.find(c.lacks), std::string::npos) << text;
        }
    }
}

TEST(TwoStep, DesirabilityOfBoundsNearTheLargestDouble) {
    // 10: (y - low) / (high - low) must not overflow to d = 0 when the bounds are +-1e308.
    EXPECT_NEAR(qvrfc::Desirability({qvrfc::Aim::Larger, -1e308, 1e308, 0, 1, 1}, 0.0), 0.5, 1e-12);
    EXPECT_NEAR(qvrfc::Desirability({qvrfc::Aim::Smaller, -1e308, 1e308, 0, 1, 1}, 0.0), 0.5,
                1e-12);
}

}  // namespace
