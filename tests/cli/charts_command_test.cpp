// The charts command of qvrfcdoe: the charts and the page of a data file in the output
// folder, listed when written; bad formats and data refused before anything is written.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/program_runner.h"
#include "support/test_support.h"

namespace {

using namespace qvrfcdoe_test;

using ChartsCommand = ProgramTest;

TEST_F(ChartsCommand, WritesTheChartsAndThePage) {
    fs::copy_file(qvrfc_test::DataFile("DOETest2.ipt"), "data.ipt");
    const Result result = RunProgram({"charts", "data.ipt", "--charts", "svg,pdf", "--out", "o"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    const std::vector<std::string> lines = qvrfc_test::Lines(result.out);
    const std::vector<std::string> expected = {"",
                                               "Files written to " + OutFolder("o") + ":",
                                               "  DOESetup.log",
                                               "  QVRFCDOETaguchiMethod.log",
                                               "  charts/quality-1-half-normal.pdf",
                                               "  charts/quality-1-half-normal.svg",
                                               "  charts/quality-1-main-effects.pdf",
                                               "  charts/quality-1-main-effects.svg",
                                               "  charts/quality-1-pareto.pdf",
                                               "  charts/quality-1-pareto.svg",
                                               "  charts/quality-2-half-normal.pdf",
                                               "  charts/quality-2-half-normal.svg",
                                               "  charts/quality-2-main-effects.pdf",
                                               "  charts/quality-2-main-effects.svg",
                                               "  charts/quality-2-pareto.pdf",
                                               "  charts/quality-2-pareto.svg",
                                               "  report.html"};
    EXPECT_EQ(lines, expected);
}

TEST_F(ChartsCommand, RefusesBadInput) {
    qvrfc_test::WriteFile("short.ipt", "9 1 0\n5 1 2 3\n");
    ExpectRefused({"charts", "missing.ipt"}, 1,
                  "'missing.ipt': cannot be read (No such file or directory)");
    fs::create_directories("o/charts/quality-1-main-effects.svg");  // a folder in the way
    fs::copy_file(qvrfc_test::DataFile("DOETest1.ipt"), "data.ipt");
    ExpectRefused(
        {"charts", "data.ipt", "--out", "o"}, 1,
        "cannot write '" + OutFolder("o") + "/charts/quality-1-main-effects.svg': Is a directory");
    EXPECT_FALSE(fs::exists("o/report.html"));
    ExpectRefused(
        {"charts", "short.ipt", "--charts", "svg,gif"}, 2,
        "--charts: unknown chart format 'gif' (use svg, png and pdf, separated by commas, or none)");
}

}  // namespace
