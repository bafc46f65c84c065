// The run sheet: written for the lab in run order, read back from what spreadsheets save
// (byte order mark, CRLF, quoted names, blanks, empty cells, blank rows, moved columns, ';' and
// decimal commas), known by its header, and refused with row and column wherever a filled
// sheet does not fit its experiment.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <string>

#include "qvrfc/experiment/Csv.h"
#include "qvrfc/experiment/RunSheet.h"
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

    // Twenty of two levels take the 32 runs of L32, each condition naming all twenty.
    experiment.noise.clear();
    for (int n = 1; n <= 20; ++n)
        experiment.noise.push_back({"N" + std::to_string(n), {"a", "b"}});
    const std::vector<std::vector<int>> conditions = qvrfc::NoiseConditions(experiment);
    ASSERT_EQ(conditions.size(), 32u);
    for (const std::vector<int>& condition : conditions)
        EXPECT_EQ(condition.size(), 20u);
    EXPECT_NE(qvrfc::ObservationName(experiment, 0, 63).find(" N20="), std::string::npos);
}

// Every sheet reads as runs 1 to 4 with Yield 1, Yield 2 of {10, empty}, {4, 5.5}, {3, -2}, {8, 7}.
TEST(RunSheet, ReadsWhatSpreadsheetsSave) {
    const char* const sheets[] = {
        // Columns moved, names quoted and padded, "20.0" for 20, an empty cell, LF and CRLF mixed.
        "\xEF\xBB\xBF\"run\",order,\" Speed\",\"Tool, type\",Yield 2,Yield 1\r\n"
        "2,4,20.0,new, 5.5 ,\"4\"\r\n\r\n1,2,10,new,,1e1\n3,1,10,worn,-2,3\r\n4,3,20,worn,7,8",
        // Blank lines and lines of separators before the header, between the rows and at the end.
        " \r\n,,,\r\nrun,order,\"Tool, type\",Speed,Yield 1,Yield 2\r\n2,4,new,20,4,5.5\r\n"
        ",,\t,, ,\r\n1,2,new,10,1e1,\r\n3,1,worn,10,3,-2\r\n4,3,worn,20,8,7\r\n,,,,,\r\n\r\n",
        // Separated by ';' with decimal commas, as spreadsheets save in many locales.
        "Speed;order;run;Tool, type;Yield 1;Yield 2\r\n20;4;2;new;4;5,5\r\n10,0;2;1;new;1E1;\r\n"
        "10;1;3;worn;3;-2,0\r\n20;3;4;\"worn\";8;7\r\n;;;;;\r\n",
    };
    const double expected[4][2] = {{10, NAN}, {4, 5.5}, {3, -2}, {8, 7}};
    for (const char* sheet : sheets) {
        WriteFile("filled.csv", sheet);
        const qvrfc::SheetObservations values =
            qvrfc::ReadRunSheet(SmallExperiment(), "filled.csv");
        ASSERT_EQ(values.size(), 1u) << sheet;
        for (int run = 0; run < 4; ++run) {
            for (int k = 0; k < 2; ++k) {
                if (std::isnan(expected[run][k]))
                    EXPECT_TRUE(std::isnan(values[0][run][k])) << sheet << run << k;
                else
                    EXPECT_EQ(values[0][run][k], expected[run][k]) << sheet << run << k;
            }
        }
    }
}

// A sheet is known by its header, wherever its first record that is not blank is; a pipe is
// never looked into (it could be read once only).
TEST(RunSheet, IsKnownByItsHeader) {
    const struct {
        const char* start;
        bool sheet;
    } cases[] = {
        {"run,order,A\r\n", true},
        {"\xEF\xBB\xBF\"run\";order;A\r\n", true},
        {"\r\n \r\n,,\r\norder, run ,A\r\n", true},
        {"\"A\nB\";run\r\n", true},
        {"9 1 0\n5 69.7 72.4 55.0 65.3 68.7\n", false},
        {"running,order\r\n", false},
        {"\"run", false},
        {"", false},
    };
    for (const auto& c : cases) {
        WriteFile("sheet.csv", c.start);
        EXPECT_EQ(qvrfc::IsRunSheetFile("sheet.csv"), c.sheet) << c.start;
    }
    ASSERT_EQ(mkfifo("pipe.csv", 0600), 0);
    for (const char* other : {"pipe.csv", "/dev/null", ".", "missing.csv"})
        EXPECT_FALSE(qvrfc::IsRunSheetFile(other)) << other;
}

// The text of a case for its golden line: line ends shown as | (\n alone as \n), NUL as \0.
std::string Shown(const std::string& text) {
    std::string shown;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "\r\n") == 0)
            shown += "|", ++i;
        else
            shown += text[i] == '\n' ? "\\n" : text[i] == '\0' ? "\\0" : std::string(1, text[i]);
    }
    return shown;
}

// Rows below a good header and three good rows, then whole sheets whose header does not fit:
// one golden line each, the rows or the sheet (line ends shown as |) and the message.
TEST(RunSheet, RefusesWithRowAndColumn) {
    using namespace std::string_literals;
    const std::string header = "run,order,\"Tool, type\",Speed,Yield 1,Yield 2\r\n";
    const std::string good = "1,2,new,10,1,2\r\n2,4,new,20,1,2\r\n3,1,worn,10,1,2\r\n";
    std::vector<std::pair<std::string, std::string>> cases;  // shown, sheet
    for (const std::string& rows :
         {"4,3,worn,20,1,abc"s,   "4,3,worn,20,1,\"1,5\""s,
          "4,3,worn,20,nan,2"s,   "4,3,new,20,1,2"s,
          "4,3,worn,21,1,2"s,     "4,2,worn,20,1,2"s,
          "3,1,worn,10,1,2"s,     "5,3,worn,20,1,2"s,
          "4,3,worn,20,1,2,3"s,   ""s,
          "4,3,worn,20,\"1,2"s,   "4,3,worn,20,\"1\"2,2"s,
          "4,3,worn,20,1\"2,2"s,  "4,3,worn,20,43.4\0garbage9,2"s,
          "4\0,3,worn,20,1,2"s,   "4,3,worn,20,2e12,2"s,
          "4,3,worn,20,1e400,2"s, "4,3,worn,20,1e-320,2"s,
          "4,3,worn,20,1,-inf"s,  "4,3,worn,20,\"1\n\n\",2\r\n5,3,worn,20,1\"2,2"s})
        cases.push_back({Shown(rows), header + good + rows});
    const std::string huge(1 << 20, '7');
    cases.push_back(
        {"4,3,worn,20,1,<a MiB of 7s>x", header + good + "4,3,worn,20,1," + huge + "x"});
    for (const std::string& sheet :
         {"run,order,\"Tool, type\",Speed,Yield 1\r\n"s,
          "run,order,\"Tool, type\",Speed,Yield 1,Yield 2,Yield 3\r\n"s,
          "run,order,Speed,Speed,Yield 1,Yield 2\r\n"s, "run;order;Tool;Speed\r\n"s,
          "run,order,\"Tool, type\",Spe\0ed,Yield 1,Yield 2\r\n"s, ""s})
        cases.push_back({Shown(sheet), sheet});
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
