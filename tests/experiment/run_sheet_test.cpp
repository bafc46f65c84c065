// The run sheet: written for the lab in run order, read back from what spreadsheets save
// (byte order mark, CRLF, quoted names, blanks, empty cells), and refused with row and column
// wherever a filled sheet does not fit its experiment.
#include <gtest/gtest.h>

#include <cmath>
#include <regex>

#include "experiment/Csv.h"
#include "experiment/RunSheet.h"
#include "support/golden.h"
#include "support/test_support.h"

namespace {

using qvrfc_test::ReadFile;
using qvrfc_test::WriteFile;

// An L4 with a labelled and a numeric factor, one response, two repetitions, order 3 1 4 2.
qvrfc::Experiment SmallExperiment() {
    qvrfc::Experiment experiment;
    experiment.array = CQVRFCDOETaguchiOrthogonalArray::OA_L4;
    experiment.factors = {{"Tool, type", "", {"new", "worn"}, 0}, {"Speed", "", {"10", "20"}, 1}};
    experiment.responses = {{"Yield", "%", qvrfc::SnKind::Larger}};
    experiment.repetitions = 2;
    experiment.runOrder = {3, 1, 4, 2};
    return experiment;
}

TEST(RunSheet, WrittenInRunOrderWithEmptyObservationCells) {
    qvrfc::WriteRunSheet(SmallExperiment(), "runsheet.csv");
    qvrfc_test::ExpectGolden("experiment_runsheet.csv", ReadFile("runsheet.csv"));

    qvrfc::Experiment noisy = SmallExperiment();
    noisy.noise = {{"Humidity", {"low", "high"}}, {"Batch", {"A", "B"}}};
    qvrfc::WriteRunSheet(noisy, "noisy.csv");
    qvrfc_test::ExpectGolden("experiment_runsheet_noise.csv", ReadFile("noisy.csv"));
}

TEST(RunSheet, ManyNoiseFactorsTakeTheRunsOfAnOuterArray) {
    qvrfc::Experiment experiment = SmallExperiment();
    experiment.noise = {{"N1", {"a", "b"}}, {"N2", {"c", "d"}}, {"N3", {"e", "f"}}};
    const char* const expected[] = {"N1=a N2=c N3=e", "N1=a N2=d N3=f", "N1=b N2=c N3=f",
                                    "N1=b N2=d N3=e"};  // the rows of L4, not all 8 combinations
    ASSERT_EQ(qvrfc::NoiseConditions(experiment).size(), 4u);
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(qvrfc::NoiseConditionText(experiment, c), expected[c]);
    EXPECT_EQ(qvrfc::ObservationCount(experiment), 8);
}

TEST(RunSheet, ReadsWhatSpreadsheetsSave) {
    // Columns moved, names quoted and padded, "20.0" for 20, an empty cell, LF and CRLF mixed.
    WriteFile("filled.csv",
              "\xEF\xBB\xBF\"run\",order,\" Speed\",\"Tool, type\",Yield 2,Yield 1\r\n"
              "2,4,20.0,new, 5.5 ,\"4\"\r\n"
              "\r\n"
              "1,2,10,new,,1e1\n"
              "3,1,10,worn,-2,3\r\n"
              "4,3,20,worn,7,8");
    const qvrfc::SheetObservations values = qvrfc::ReadRunSheet(SmallExperiment(), "filled.csv");
    ASSERT_EQ(values.size(), 1u);
    const double expected[4][2] = {{10, NAN}, {4, 5.5}, {3, -2}, {8, 7}};
    for (int run = 0; run < 4; ++run) {
        for (int k = 0; k < 2; ++k) {
            if (std::isnan(expected[run][k]))
                EXPECT_TRUE(std::isnan(values[0][run][k])) << run << k;
            else
                EXPECT_EQ(values[0][run][k], expected[run][k]) << run << k;
        }
    }
}

// Rows below a good header and three good rows, then whole sheets whose header does not fit:
// one golden line each, the rows or the sheet (line ends shown as |) and the message.
TEST(RunSheet, RefusesWithRowAndColumn) {
    const std::string header = "run,order,\"Tool, type\",Speed,Yield 1,Yield 2\r\n";
    const std::string good = "1,2,new,10,1,2\r\n2,4,new,20,1,2\r\n3,1,worn,10,1,2\r\n";
    std::vector<std::pair<std::string, std::string>> cases;  // shown, sheet
    for (const char* rows : {"4,3,worn,20,1,abc", "4,3,worn,20,1,\"1,5\"", "4,3,worn,20,nan,2",
                             "4,3,new,20,1,2", "4,3,worn,21,1,2", "4,2,worn,20,1,2",
                             "3,1,worn,10,1,2", "5,3,worn,20,1,2", "4,3,worn,20,1,2,3", "",
                             "4,3,worn,20,\"1,2", "4,3,worn,20,\"1\"2,2", "4,3,worn,20,1\"2,2"})
        cases.push_back({rows, header + good + rows});
    for (const char* sheet :
         {"run,order,\"Tool, type\",Speed,Yield 1\r\n",
          "run,order,\"Tool, type\",Speed,Yield 1,Yield 2,Yield 3\r\n",
          "run,order,Speed,Speed,Yield 1,Yield 2\r\n", "run;order;Tool;Speed\r\n", ""})
        cases.push_back({std::regex_replace(sheet, std::regex("\r\n"), "|"), sheet});
    std::string refusals;
    for (const auto& [shown, sheet] : cases) {
        WriteFile("s.csv", sheet);
        try {
            qvrfc::ReadRunSheet(SmallExperiment(), "s.csv");
            refusals += shown + " => accepted\n";
        } catch (const qvrfc::ExperimentError& error) {
            refusals += shown + " => " + error.what() + "\n";
        }
    }
    qvrfc_test::ExpectGolden("refusals_run_sheet.txt", refusals);
}

}  // namespace
