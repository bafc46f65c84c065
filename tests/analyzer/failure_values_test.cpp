// Every member answers its failure value for indexes outside the counts, and without storage
// (a fresh analyzer, a cleared one); none of these calls changes the experiment.
#include <gtest/gtest.h>

#include <string>

#include "qvrfc/analyzer/QVRFCDOEAnalyzer.h"
#include "reference_data.h"
#include "support/golden.h"
#include "support/test_support.h"

namespace {

struct Probe {
    const char* call;
    double failure;
    int on;  // the analyzers asked: kFresh, kCleared, kReady or'ed
    double (*run)(Analyzer&);
};

enum { kFresh = 1, kCleared = 2, kReady = 4 };

// The call is its own label; quality 1, factor 3, run 4 and -1 are outside the L4 of one quality.
// clang-format off
#define PROBE(on, failure, call) {#call, failure, on, [](Analyzer& a) -> double { return (call); }}
// clang-format on
#define BAD(failure, call) PROBE(kFresh | kCleared | kReady, failure, call)
#define STORE(failure, call) PROBE(kFresh | kCleared, failure, call)
#define SIZED(failure, call) PROBE(kCleared | kReady, failure, call)

int dof = 7, levels[3] = {7, 7, 7};
double out = 7.0, sum = 0.0;
CString text = "stale";
constexpr auto kUnknown = static_cast<Analyzer::FACTOR_EFFECT_TYPE>(3);

const Probe kProbes[] = {
    BAD(-1, a.GetControlFactorID(3)), BAD(1, a.GetControlFactorName(-1).str().empty()),
    BAD(1, a.GetQualityFactorName(1).str().empty()), BAD(-1, a.GetQualityCharacteristic(-1)),
    BAD(-1, a.GetSNRatioTypeID(1)), BAD(1, a.GetSNRatioType(1).str() == "Unknown"),
    BAD(0, a.GetQualityTarget(1)), BAD(0, a.IsFactorPooled(0, 3)), BAD(0, a.IsFactorPooled(1, 0)),
    BAD(0, a.GetRunNoQualityData(0, 4)), BAD(0, a.GetRunNoQualityData(1, 0)),
    BAD(-1e10, a.GetControlFactorValue(0, 3)), BAD(-1e10, a.GetControlFactorValue(4, 0)),
    BAD(0, a.SetControlFactorValue(0, -1, 1.0)), BAD(0, a.SetControlFactorValue(-1, 0, 1.0)),
    BAD(-1, a.GetLevel(4, 0)), BAD(-1, a.GetDOEColumnID(3)),
    BAD(0, (a.SetControlFactorName(3, "x"), 0)), BAD(0, (a.SetQualityFactorName(1, "x"), 0)),
    BAD(0, (a.SetQualityCharacteristic(1, Analyzer::SMALLER_THE_BETTER, 1.0), 0)),
    BAD(0, (a.SetFactorPooled(1, 0, 1), a.SetFactorPooled(0, 3, 1), a.SetFactorPooled(-1, 0, 1),
            a.SetFactorPooled(0, -1, 1), 0)),
    BAD(0, (a.ResetAllFactorUnpooled(1), 0)),
    // Entering and reading observations.
    BAD(0, a.AddQualityValueStart(1, 0)), BAD(0, a.AddQualityValueStart(0, 4)),
    BAD(0, a.AppendQualityValue(0, -1, 1.0)), BAD(0, a.SetQualityValue(1, 2, 1.0, -1)),
    BAD(0, a.SetQualityValue(0, 4, 1.0, 0)), BAD(-1, a.GetQualityValue(1, 0, 0)),
    BAD(0, a.GetRunQualityValue(1, 0)), BAD(-1, a.GetRunStandardDeviation(0, 4)),
    // S/N ratios and their companions.
    BAD(0, a.GetSNRatio(1, 0)), BAD(0, a.GetSNRatio(0, 4, Analyzer::NOMINAL_THE_BEST_1, 1.0)),
    BAD(0, a.GetSNRatioNominalTheBest4(0, 4)), BAD(0, a.GetSensitivity(1, 0)),
    BAD(-1, a.GetMeanSquareDeviation(0, 4)), BAD(-1e10, a.GetCoefficientOfVariation(1, 0)),
    // Factor effects.
    BAD(0, a.GetAveragedQualityValue(1)), BAD(0, a.GetAveragedQualityValue(0, 4)),
    BAD(0, a.GetAveragedStandardDeviationValue(-1)), BAD(0, a.GetAveragedSNRatio(1)),
    BAD(0, a.GetAveragedResponseValue(0, kUnknown)),
    BAD(0, a.GetFactorLevelEffect(1, 0, 0, kQuality)),
    BAD(0, a.GetFactorLevelEffect(0, 3, 0, kQuality)),
    BAD(0, a.GetFactorLevelEffect(0, 0, 1, kUnknown)),
    BAD(0, a.GetFactorEffect(0, -1, kQuality, 1)), BAD(0, a.GetFactorEffect(0, 0, kUnknown, 1)),
    BAD(0, a.GetLargestResponseControlFactorLevel(0, 3, kQuality)),
    BAD(0, a.GetResponseRank(1, kQuality, levels)),
    BAD(1, a.GetBestLevelsCombinationName(1, kQuality).str().empty()),
    // Analysis of variance: a bad factor is -1e10 with the degrees untouched, a bad quality 0.
    BAD(-1e10 + 7, (sum = a.GetFactorSumsOfSquares(0, 3, dof, kSN, 1), sum + dof)),
    BAD(-1e10 + 7, (sum = a.GetFactorSumsOfSquares(0, -1, dof, kSN, 1), sum + dof)),
    BAD(-1e10 + 14, (sum = a.GetFactorVariance(0, 3, 1.0, 1, 1.0, out, out, kSN), sum + 2 * out)),
    SIZED(0, (sum = a.GetFactorSumsOfSquares(1, 0, dof, kSN, 1), sum + dof)),
    SIZED(0, a.GetFactorVariance(1, 0, 4.0, 1, 1.0, out, out, kSN)),
    BAD(0, (sum = a.GetErrorSumsOfSquares(1, dof, kQuality), sum + dof)),
    BAD(0, (sum = a.GetTotalSumsOfSquares(-1, dof, kSN), sum + dof)),
    BAD(0, a.GetErrorVariance(1, 4.0, 1, out, out, kSN)),
    // Predictions leave the levels they were given.
    BAD(-1, a.PredictSNRatio(1, levels)), BAD(-1, a.PredictBestSNRatio(-1, levels, 0.0)),
    BAD(0, a.PredictResponseValue(1, kQuality, levels, 0.0)),
    BAD(1, a.PredictResponseValue(1, kQuality, 1, text) == 0 && text.str().empty()),
    // Valid indexes that find no storage.
    STORE(-1, a.GetControlFactorID(0)), STORE(-1, a.GetQualityCharacteristic(0)),
    STORE(1, a.GetControlFactorName(0).str().empty() && a.GetQualityFactorName(0).str().empty()),
    STORE(-2e10, a.GetControlFactorValue(0, 0) + a.GetCoefficientOfVariation(0, 0)),
    STORE(0, a.GetRunNoQualityData(0, 0) + a.SetControlFactorValue(0, 0, 1.0) +
                 a.AddQualityValueStart(0, 0) + a.AppendQualityValue(0, 0, 1.0) +
                 a.SetQualityValue(0, 0, 1.0, -1) + a.GetResponseRank(0, kQuality, levels) +
                 a.GetSNRatio(0, 0) + a.GetSensitivity(0, 0)),
    STORE(-4, a.GetQualityValue(0, 0, 0) + a.GetRunStandardDeviation(0, 0) +
                  a.GetMeanSquareDeviation(0, 0) + a.PredictSNRatio(0, levels))};

// The complete report, time stamp masked: it shows every part of the experiment.
std::string Report(const Analyzer& a) {
    a.Writer("state.log", "x");
    return qvrfc_test::MaskTimes(qvrfc_test::ReadFile("state.log"));
}

}  // namespace

TEST(FailureValues, BadIndexesAndMissingStorage) {
    Analyzer fresh, cleared, ready;
    cleared.SetupDOE(1, Array::OA_L4, nullptr);
    cleared.Clear();
    reference::SetUpL4SNRatios(ready, {10, 12, 14, 20});
    const std::string before = Report(ready);
    const std::pair<Analyzer*, int> analyzers[] = {
        {&fresh, kFresh}, {&cleared, kCleared}, {&ready, kReady}};
    for (const auto& [a, which] : analyzers) {
        for (const Probe& p : kProbes) {
            if (!(p.on & which)) continue;
            dof = 7, out = 7.0;
            EXPECT_EQ(p.run(*a), p.failure) << p.call << " on analyzer " << which;
            EXPECT_EQ(levels[0] + levels[1] + levels[2], 21) << p.call << " wrote the levels";
        }
    }
    EXPECT_EQ(Report(ready), before);
}
