// Runs the qvrfcdoe program as a user would, from the test's own temporary
// directory, and checks what it prints, its exit status and the files it leaves.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/program_runner.h"
#include "support/array_listing.h"
#include "support/test_support.h"

namespace {

using namespace qvrfcdoe_test;
using qvrfc_test::Lines;

using Cli = ProgramTest;

TEST_F(Cli, ArraysListsTheCatalogue) {
    const Result result = RunProgram({"arrays"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    const std::vector<std::string> lines = Lines(result.out);
    ASSERT_EQ(lines.size(), 19u);
    EXPECT_EQ(lines[0], "Type  Name             Runs  Columns  Levels per column");
    EXPECT_EQ(lines[1], "   0  L4(2^3)             4        3  all 2");
    EXPECT_EQ(lines[6], "   5  L16'(4^5)          16        5  all 4");
    EXPECT_EQ(lines[7], "   6  L18(2^1x3^7)       18        8  column 1: 2; columns 2-8: 3");
    EXPECT_EQ(lines[12], "  11  L36(2^11x3^12)     36       23  columns 1-11: 2; columns 12-23: 3");
    EXPECT_EQ(lines[18], "  17  L81(3^40)          81       40  all 3");
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

TEST_F(Cli, ShowRefusesUnknownArrays) {
    const std::string hint =
        "' (names such as L9, L16', L16a or a type number 0 to 17; 'qvrfcdoe arrays' lists them)";
    for (const char* name : {"L99", "L16b", "19", "-1", "L", ""}) {
        ExpectRefused({"show", name}, 2, std::string("unknown array '") + name + hint);
    }
    ExpectRefused({"show", "18"}, 2, "array type 18 (Full Factorial) has no table");
}

TEST_F(Cli, CheckGivesAVerdictPerArray) {
    const Result result = RunProgram({"check"});
    EXPECT_EQ(result.status, 0);
    const std::vector<std::string> lines = Lines(result.out);
    ASSERT_GE(lines.size(), 23u);
    EXPECT_EQ(lines[0], "Balance check of the catalogue arrays");
    EXPECT_EQ(lines[1], "Type  Name             Verdict  Findings");
    EXPECT_EQ(lines[2], "   0  L4(2^3)          pass");
    EXPECT_EQ(lines[8], "   6  L18(2^1x3^7)     fail     E1(1).. =>E3[ Level=3 (2) ]");
    EXPECT_EQ(lines[19], "  17  L81(3^40)        pass");
    EXPECT_EQ(lines[21], "12 of 18 arrays pass.");
    EXPECT_EQ(Entries(), std::vector<std::string>{"qvrfcdoe-out"});
}

TEST_F(Cli, CommandLineErrorsAndHelp) {
    ExpectRefused({}, 2,
                  "a command is required: arrays, show, check, analyze, selftest or demo (see "
                  "qvrfcdoe --help)");
    ExpectRefused({"bogus"}, 2,
                  "The following argument was not expected: bogus (see qvrfcdoe --help)");
    ExpectRefused({"show"}, 2, "ARRAY is required (see qvrfcdoe --help)");
    ExpectRefused({"arrays", "--colour"}, 2,
                  "The following argument was not expected: --colour (see qvrfcdoe --help)");

    const Result version = RunProgram({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "qvrfcdoe 1.0.0\n");
    const Result help = RunProgram({"show", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: qvrfcdoe show [OPTIONS] ARRAY"), std::string::npos);
    EXPECT_NE(help.out.find("--out DIR=qvrfcdoe-out"), std::string::npos);
    EXPECT_EQ(Entries(), std::vector<std::string>{});
}

TEST_F(Cli, OutputFolderThatIsAFileIsRefused) {
    qvrfc_test::WriteFile("taken", "x");
    const Result result = RunProgram({"show", "L4", "--out", "taken"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err,
              "qvrfcdoe: output folder '" + OutFolder("taken") + "' exists and is not a folder\n");
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(qvrfc_test::ReadFile("taken"), "x");
}

}  // namespace
