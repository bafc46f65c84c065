// results.json of the bundled moulding example, rendered in-process from its analysis and
// with a factor pooled by letter and an interaction by names, compared whole with its golden
// file (the program writes the same, see the design tests).
#include <gtest/gtest.h>

#include "qvrfc/analysis/Analysis.h"
#include "qvrfc/results/ResultsJson.h"
#include "support/golden.h"
#include "support/test_support.h"

namespace {

TEST(ResultsJson, MouldingExampleInNamesAndValues) {
    qvrfc::AnalysisInput input;
    input.dataFile = qvrfc_test::DataFile("moulding/runsheet.csv");
    qvrfc::AnalysisSettings settings;
    settings.pools.push_back(qvrfc::ParsePoolSetting("2=E"));
    settings.interactions = {"Resin*Melt temperature"};
    qvrfc_test::ExpectGolden("results_moulding.json",
                             qvrfc::ResultsJsonText(qvrfc::Analyze(input, settings)));
}

}  // namespace
