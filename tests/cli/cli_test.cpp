// Runs the qvrfcdoe program as a user would, from the test's own temporary
// directory, and checks what it prints, its exit status and the files it leaves.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/program_runner.h"
#include "support/array_listing.h"
#include "support/golden.h"
#include "support/test_support.h"

namespace {

using namespace qvrfcdoe_test;
using qvrfc_test::Lines;

using Cli = ProgramTest;

TEST_F(Cli, ArraysListsTheCatalogue) {
    const Result result = RunProgram({"arrays"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    qvrfc_test::ExpectGolden("cli_arrays.txt", result.out);
    // Listing the catalogue loads no table, so it writes nothing at all.
    EXPECT_EQ(Entries(), std::vector<std::string>{});
}

TEST_F(Cli, ShowListsOneArrayInsideTheOutputFolder) {
    const Result result = RunProgram({"show", "L4"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    std::vector<std::string> expected = qvrfc_test::L4Listing();
    expected.insert(expected.end(),
                    {"", "Files written to " + OutFolder() + ":", "  QVRFCDOETaguchiMethod.log"});
    EXPECT_EQ(Lines(result.out), expected);
    EXPECT_EQ(Entries(), std::vector<std::string>{"qvrfcdoe-out"});
    EXPECT_EQ(Entries("qvrfcdoe-out"), std::vector<std::string>{"QVRFCDOETaguchiMethod.log"});

    // Every way of naming the second 16-run array gives the same listing.
    const std::string byNumber = RunProgram({"show", "5"}).out;
    EXPECT_NE(byNumber.find("Type           = 5 (Taguchi Orthogonal Array L16'(4^5))"),
              std::string::npos);
    for (const char* name : {"L16'", "L16a", "l16A", "L16'(4^5)"}) {
        EXPECT_EQ(RunProgram({"show", name}).out, byNumber) << name;
    }
    // --out makes nested folders as needed.
    EXPECT_EQ(RunProgram({"show", "L9", "--out", "a/b"}).status, 0);
    EXPECT_TRUE(fs::is_regular_file("a/b/QVRFCDOETaguchiMethod.log"));
}

TEST_F(Cli, CheckGivesAVerdictPerArray) {
    const Result result = RunProgram({"check"});
    EXPECT_EQ(result.status, 0);
    qvrfc_test::ExpectGolden("cli_check.txt", Shown(result.out));
    EXPECT_EQ(Entries(), std::vector<std::string>{"qvrfcdoe-out"});
}

TEST_F(Cli, VersionAndHelp) {
    const Result version = RunProgram({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "qvrfcdoe 1.0.0\n");
    const Result help = RunProgram({"show", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: qvrfcdoe show [OPTIONS] ARRAY"), std::string::npos);
    EXPECT_NE(help.out.find("--out DIR=qvrfcdoe-out"), std::string::npos);
    EXPECT_EQ(Entries(), std::vector<std::string>{});
}

// Every bad command line, data file or setting: status 1 or 2, one line on standard error,
// nothing on standard output and no file written; the lines of all cases are one golden file.
TEST_F(Cli, RefusesBadInput) {
    const std::vector<std::string> commands[] = {
        {},
        {"bogus"},
        {"show"},
        {"arrays", "--colour"},
        {"show", "L99"},
        {"show", "L16b"},
        {"show", "19"},
        {"show", "-1"},
        {"show", ""},
        {"show", "18"},
        {"analyze", "missing.ipt"},
        {"analyze", "d.ipt", "--array", "L16'"},
        {"analyze", "d.ipt", "--array", "L99"},
        {"analyze", "out/exp.csv", "--out", "out"},
        {"show", "L4", "--out", "taken"},
        {"interactions", "L7"},
        {"charts", "missing.ipt"},
        {"charts", "d.ipt", "--charts", "svg,gif"},
        // The reader's every refusal is tested with the reader; here, that the command says it
        // as it is.
        {"analyze", "empty.ipt"},
        {"analyze", "bad.ipt"},
        // Settings on a good data file (the options' every refusal is tested with their
        // parser; here, a text not understood and a response the file lacks).
        {"analyze", "d.ipt", "--sn", "1=big"},
        {"analyze", "d.ipt", "--pool", "1=0"},
        {"analyze", "d.ipt", "--sn", "2=larger"},
        {"analyze", "d.ipt", "--sn", "Quality#2=larger"},
        {"analyze", "d.ipt", "--pool", "1=B,E"},
    };
    fs::copy_file(qvrfc_test::DataFile("DOETest1.ipt"), "d.ipt");
    fs::create_directories("out");
    fs::copy_file("d.ipt", "out/exp.csv");
    qvrfc_test::WriteFile("taken", "x");
    qvrfc_test::WriteFile("empty.ipt", "");
    qvrfc_test::WriteFile("bad.ipt", "4 1 0\n1 10\n2 1 x\n");
    std::string lines;
    for (const std::vector<std::string>& args : commands)
        lines += RefusedLine(args);
    qvrfc_test::ExpectGolden("refusals_cli.txt", lines);
    EXPECT_EQ(Entries("out"), std::vector<std::string>{"exp.csv"});
    EXPECT_EQ(qvrfc_test::ReadFile("out/exp.csv"), qvrfc_test::ReadFile("d.ipt"));
    EXPECT_EQ(qvrfc_test::ReadFile("taken"), "x");
}

}  // namespace
