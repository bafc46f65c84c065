// The analyzer set up from an experiment: factors on their columns with their names and real
// values, empty columns named and pooled, observations without the empty cells.
#include <gtest/gtest.h>

#include <cmath>

#include "qvrfc/experiment/ExperimentAnalyzer.h"

namespace {

qvrfc::Experiment L8WithThreeFactors() {
    qvrfc::Experiment experiment;
    experiment.array = CQVRFCDOETaguchiOrthogonalArray::OA_L8;
    experiment.factors = {{"Temp", "C", {"150", "190"}, 4},
                          {"Tool", "", {"new", "worn"}, 0},
                          {"Feed", "", {"0.1", "0.2"}, 6}};
    experiment.responses = {{"Y", "", qvrfc::SnKind::Nominal1, 5.0}};
    experiment.runOrder = {1, 2, 3, 4, 5, 6, 7, 8};
    return experiment;
}

TEST(ExperimentAnalyzer, FactorsOnTheirColumnsThenTheEmptyColumns) {
    const qvrfc::Experiment experiment = L8WithThreeFactors();
    qvrfc::SheetObservations observations(1, std::vector<std::vector<double>>(8, {1.0, NAN}));
    observations[0][7] = {4.0, 6.0};
    CQVRFCDOEAnalyzer analyzer;
    qvrfc::SetUpAnalyzer(analyzer, experiment, &observations);

    struct Expected {
        int column;
        const char* name;
        double lastRunValue;  // run 8 of L8 reads 2 2 1 2 1 1 2
        int pooled;
    };
    const Expected factors[] = {{4, "Temp", 150, 0}, {0, "Tool", 2, 0}, {6, "Feed", 0.2, 0},
                                {1, "e2", 2, 1},     {2, "e3", 1, 1},   {3, "e4", 2, 1},
                                {5, "e6", 1, 1}};
    ASSERT_EQ(analyzer.GetNoFactor(), 7);
    for (int f = 0; f < 7; ++f) {
        EXPECT_EQ(analyzer.GetControlFactorID(f), factors[f].column) << f;
        EXPECT_EQ(analyzer.GetControlFactorName(f).str(), factors[f].name) << f;
        EXPECT_EQ(analyzer.GetControlFactorValue(7, f), factors[f].lastRunValue) << f;
        EXPECT_EQ(analyzer.IsFactorPooled(0, f), factors[f].pooled) << f;
    }
    EXPECT_EQ(analyzer.GetQualityFactorName(0).str(), "Y");
    EXPECT_EQ(analyzer.GetQualityTarget(0), 5.0);
    EXPECT_EQ(analyzer.GetRunNoQualityData(0, 0), 1);
    EXPECT_EQ(analyzer.GetRunQualityValue(0, 7), 5.0);

    observations[0][3] = {NAN, NAN};
    try {
        qvrfc::SetUpAnalyzer(analyzer, experiment, &observations);
        ADD_FAILURE() << "a run without observations accepted";
    } catch (const qvrfc::ExperimentError& error) {
        EXPECT_STREQ(error.what(), "run 4 has no observation of 'Y'");
    }
}

}  // namespace
