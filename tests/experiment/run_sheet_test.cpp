// The run sheet: written for the lab in run order, read back from what spreadsheets save
// (byte order mark, CRLF, quoted names, blanks, empty cells), and refused with row and column
// wherever a filled sheet does not fit its experiment.
#include <gtest/gtest.h>

#include <cmath>

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

struct BadSheet {
    const char* rows;  // below the header "run,order,Tool, type,Speed,Yield 1,Yield 2"
    const char* message;
};

TEST(RunSheet, RefusesWithRowAndColumn) {
    const std::string header = "run,order,\"Tool, type\",Speed,Yield 1,Yield 2\r\n";
    const std::string good = "1,2,new,10,1,2\r\n2,4,new,20,1,2\r\n3,1,worn,10,1,2\r\n";
    const BadSheet cases[] = {
        {"4,3,worn,20,1,abc", "s.csv: row 5, column 6 'Yield 2': 'abc' is not a number"},
        {"4,3,worn,20,1,\"1,5\"", "s.csv: row 5, column 6 'Yield 2': '1,5' is not a number"},
        {"4,3,worn,20,nan,2", "s.csv: row 5, column 5 'Yield 1': 'nan' is not a number"},
        {"4,3,new,20,1,2",
         "s.csv: row 5, column 3 'Tool, type': 'new' differs from the design's setting 'worn' of "
         "run 4"},
        {"4,3,worn,21,1,2",
         "s.csv: row 5, column 4 'Speed': '21' differs from the design's setting '20' of run 4"},
        {"4,2,worn,20,1,2",
         "s.csv: row 5, column 2 'order': '2' is not the place of run 4 in the run order"},
        {"3,1,worn,10,1,2", "s.csv: row 5, column 1 'run': run 3 is in row 4 already"},
        {"5,3,worn,20,1,2", "s.csv: row 5, column 1 'run': '5' is not a run from 1 to 4"},
        {"4,3,worn,20,1,2,3", "s.csv: row 5: 7 cells, the header has 6"},
        {"", "s.csv: run 4 has no row in the sheet"},
        {"4,3,worn,20,\"1,2", "s.csv: row 5: a quoted cell is not closed"},
        {"4,3,worn,20,\"1\"2,2", "s.csv: row 5: text after the closing quote of a cell"},
        {"4,3,worn,20,1\"2,2", "s.csv: row 5: a quote inside a cell that does not start with one"},
    };
    for (const BadSheet& c : cases) {
        WriteFile("s.csv", header + good + c.rows);
        try {
            qvrfc::ReadRunSheet(SmallExperiment(), "s.csv");
            ADD_FAILURE() << c.rows << ": accepted";
        } catch (const qvrfc::ExperimentError& error) {
            EXPECT_EQ(std::string(error.what()), c.message) << c.rows;
        }
    }
}

TEST(RunSheet, RefusesAHeaderThatDoesNotFit) {
    const std::pair<const char*, const char*> cases[] = {
        {"run,order,\"Tool, type\",Speed,Yield 1\r\n",
         "h.csv: row 1: the column 'Yield 2' is missing"},
        {"run,order,\"Tool, type\",Speed,Yield 1,Yield 2,Yield 3\r\n",
         "h.csv: row 1, column 7 'Yield 3': not a column of the sheet"},
        {"run,order,Speed,Speed,Yield 1,Yield 2\r\n",
         "h.csv: row 1, column 4 'Speed': the column is given twice"},
        {"run;order;Tool;Speed\r\n",
         "h.csv: row 1, column 1 'run;order;Tool;Speed': not a column "
         "of the sheet"},
        {"", "h.csv: the run sheet is empty"},
    };
    for (const auto& [text, message] : cases) {
        WriteFile("h.csv", text);
        try {
            qvrfc::ReadRunSheet(SmallExperiment(), "h.csv");
            ADD_FAILURE() << text << ": accepted";
        } catch (const qvrfc::ExperimentError& error) {
            EXPECT_EQ(std::string(error.what()), message) << text;
        }
    }
}

}  // namespace
