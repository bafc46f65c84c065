// results.json of the bundled moulding example without a verdict (the engine's ANOVA), compared
// whole with its golden file; the verdict's shape is checked through analyze.
#include <gtest/gtest.h>

#include "experiment/ExperimentAnalyzer.h"
#include "experiment/ExperimentFile.h"
#include "results/ResultsJson.h"
#include "support/golden.h"
#include "support/test_support.h"

namespace {

TEST(ResultsJson, MouldingExampleInNamesAndValues) {
    const qvrfc::Experiment experiment =
        qvrfc::ReadExperimentFile(qvrfc_test::DataFile("moulding/experiment.toml"));
    const qvrfc::SheetObservations observations =
        qvrfc::ReadRunSheet(experiment, qvrfc_test::DataFile("moulding/runsheet.csv"));
    CQVRFCDOEAnalyzer analyzer;
    qvrfc::SetUpAnalyzer(analyzer, experiment, &observations);
    analyzer.SetFactorPooled(1, 4, 1);  // Injection speed pooled for Shrinkage
    qvrfc::WriteResultsJson(experiment, analyzer, "results.json");
    qvrfc_test::ExpectGolden("results_moulding_engine.json", qvrfc_test::ReadFile("results.json"));
}

}  // namespace
