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
// nothing on standard output and no file written.
TEST_F(Cli, RefusesBadInput) {
    const std::string see = " (see qvrfcdoe --help)";
    const std::string hint =
        "' (names such as L9, L16', L16a or a type number 0 to 17; 'qvrfcdoe arrays' lists them)";
    const struct {
        std::vector<std::string> args;
        int status;
        std::string message;
    } commands[] = {
        {{},
         2,
         "a command is required: arrays, show, interactions, check, design, analyze, predict, "
         "confirm, selftest, demo or charts" +
             see},
        {{"bogus"}, 2, "The following argument was not expected: bogus" + see},
        {{"show"}, 2, "ARRAY is required" + see},
        {{"arrays", "--colour"}, 2, "The following argument was not expected: --colour" + see},
        {{"show", "L99"}, 2, "unknown array 'L99" + hint},
        {{"show", "L16b"}, 2, "unknown array 'L16b" + hint},
        {{"show", "19"}, 2, "unknown array '19" + hint},
        {{"show", "-1"}, 2, "unknown array '-1" + hint},
        {{"show", ""}, 2, "unknown array '" + hint},
        {{"show", "18"}, 2, "array type 18 (Full Factorial) has no table"},
        {{"analyze", "missing.ipt"},
         1,
         "'missing.ipt': cannot be read (No such file or directory)"},
        {{"analyze", "d.ipt", "--array", "L16'"},
         1,
         "'d.ipt': the header announces 9 runs, but L16'(4^5) has 16"},
        {{"analyze", "d.ipt", "--array", "L99"}, 2, "unknown array 'L99" + hint},
        {{"analyze", "out/exp.csv", "--out", "out"},
         1,
         "'out/exp.csv' would be overwritten by 'exp.csv'; choose another --out folder"},
        {{"show", "L4", "--out", "taken"},
         1,
         "output folder '" + OutFolder("taken") + "' exists and is not a folder"},
    };
    // Data files given as bad.ipt; the message follows "'bad.ipt'". The reader's every
    // refusal is tested with the reader; here, that the command says it as it is.
    const std::pair<std::string, std::string> files[] = {
        {"", ": the file is empty"},
        {"4 1 0\n1 10\n2 1 x\n", " line 3: observation 2 of quality 1, run 2 is 'x', not a number"},
    };
    // Settings on a good data file; the message follows "OPTION 'VALUE': ".
    const std::string range = " is out of range ('d.ipt' has 1 quality)";
    const struct {
        const char* option;
        const char* value;
        int status;
        std::string message;
    } settings[] = {
        {"--sn", "1=big", 2,
         "unknown S/N type 'big' (one of nominal1, nominal2, nominal3, "
         "nominal4, smaller, larger, smaller-textbook)"},
        {"--sn", "larger", 2, "expected QUALITY=TYPE[:TARGET], with QUALITY counted from 1"},
        {"--sn", "0=larger", 2, "quality '0' is not a number from 1 up"},
        {"--sn", "1=nominal1:ten", 2, "target 'ten' is not a number"},
        {"--pool", "1=B,,C", 2, "'' is not a factor (A, B, ..., Z, AA, ... or a number from 1)"},
        {"--pool", "1=0", 2, "'0' is not a factor (A, B, ..., Z, AA, ... or a number from 1)"},
        {"--pool", "Auto", 2,
         "expected QUALITY=FACTORS, auto or lenth, with QUALITY counted from 1"},
        {"--alpha", "0", 2, "must lie between 0 and 1"},
        {"--sn", "2=larger", 1, "quality 2" + range},
        {"--pool", "3=A", 1, "quality 3" + range},
        {"--pool", "1=B,E", 1,
         "factor E (5) is out of range (the 9-run experiment of 'd.ipt' has factors A to D, 1 "
         "to 4)"},
    };
    fs::copy_file(qvrfc_test::DataFile("DOETest1.ipt"), "d.ipt");
    fs::create_directories("out");
    fs::copy_file("d.ipt", "out/exp.csv");
    qvrfc_test::WriteFile("taken", "x");
    for (const auto& c : commands)
        ExpectRefused(c.args, c.status, c.message);
    for (const auto& [data, message] : files) {
        qvrfc_test::WriteFile("bad.ipt", data);
        ExpectRefused({"analyze", "bad.ipt"}, 1, "'bad.ipt'" + message);
    }
    for (const auto& c : settings)
        ExpectRefused({"analyze", "d.ipt", c.option, c.value}, c.status,
                      std::string(c.option) + " '" + c.value + "': " + c.message);
    EXPECT_EQ(Entries("out"), std::vector<std::string>{"exp.csv"});
    EXPECT_EQ(qvrfc_test::ReadFile("out/exp.csv"), qvrfc_test::ReadFile("d.ipt"));
    EXPECT_EQ(qvrfc_test::ReadFile("taken"), "x");
}

}  // namespace
