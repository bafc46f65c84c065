// The charts command of qvrfcdoe: the charts and the page of a data file in the output
// folder, listed when written; bad formats and data refused before anything is written.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/program_runner.h"
#include "support/golden.h"
#include "support/test_support.h"

namespace {

using namespace qvrfcdoe_test;

using ChartsCommand = ProgramTest;

TEST_F(ChartsCommand, WritesTheChartsAndThePage) {
    fs::copy_file(qvrfc_test::DataFile("DOETest2.ipt"), "data.ipt");
    const Result result = RunProgram({"charts", "data.ipt", "--charts", "svg,pdf", "--out", "o"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    qvrfc_test::ExpectGolden("charts_command.txt", Shown(result.out));
}

// A chart file that cannot be written leaves no page behind; the other refusals of the
// command are with the program's.
TEST_F(ChartsCommand, RefusesAFileThatCannotBeWritten) {
    fs::create_directories("o/charts/quality-1-main-effects.svg");  // a folder in the way
    fs::copy_file(qvrfc_test::DataFile("DOETest1.ipt"), "data.ipt");
    EXPECT_EQ(RefusedLine({"charts", "data.ipt", "--out", "o"}),
              "charts data.ipt --out o -> 1: qvrfcdoe: cannot write "
              "'<tmp>/o/charts/quality-1-main-effects.svg': Is a directory\n");
    EXPECT_FALSE(fs::exists("o/report.html"));
}

}  // namespace
