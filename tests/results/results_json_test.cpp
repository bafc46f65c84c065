// results.json of the bundled moulding example, rendered in-process from its analysis and
// compared whole with its golden file; Shrinkage has a factor pooled by hand.
#include <gtest/gtest.h>

#include "analysis/Analysis.h"
#include "results/ResultsJson.h"
#include "support/golden.h"
#include "support/test_support.h"

namespace {

TEST(ResultsJson, MouldingExampleInNamesAndValues) {
    qvrfc::AnalysisInput input;
    input.dataFile = qvrfc_test::DataFile("moulding/runsheet.csv");
    qvrfc::AnalysisSettings settings;
    settings.pools.push_back(qvrfc::ParsePoolSetting("2=Injection speed"));
    qvrfc_test::ExpectGolden("results_moulding.json",
                             qvrfc::ResultsJsonText(qvrfc::Analyze(input, settings)));
}

}  // namespace
