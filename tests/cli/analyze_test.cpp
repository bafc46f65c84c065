// The analyze, demo and selftest commands of qvrfcdoe: the numbers agree with the
// engine's own self-tests, reports land in the output folder only, and bad data
// files or settings are refused before anything is written.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "analyzer/QVRFCDOEAnalyzer.h"
#include "cli/program_runner.h"
#include "support/test_support.h"

namespace {

using namespace qvrfcdoe_test;
using qvrfc_test::Lines;
using qvrfc_test::ReadFile;
using qvrfc_test::WriteFile;

using Analyze = ProgramTest;

void CopyData(const std::string& name, const std::string& target) {
    fs::copy_file(qvrfc_test::DataFile(name), target);
}

// The text between the first line that ends in startMark and the first endMark after it.
std::string Between(const std::string& text, const std::string& startMark,
                    const std::string& endMark) {
    const size_t start = text.find(startMark + "\n");
    if (start == std::string::npos) return "<no " + startMark + ">";
    const size_t from = start + startMark.size() + 1;
    const size_t end = text.find(endMark, from);
    return end == std::string::npos ? "<no " + endMark + ">" : text.substr(from, end - from);
}

// The analysis an analyze command printed, without the closing list of files.
std::string Analysis(const Result& result) {
    return result.out.substr(0, result.out.find("\nFiles written to "));
}

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST_F(Analyze, PrintsTheNumbersOfTheEngineSelfTests) {
    CopyData("DOETest1.ipt", "DOETest1.ipt");
    CopyData("DOETest2.ipt", "DOETest2.ipt");
    const Result plain = RunProgram({"analyze", "DOETest1.ipt", "--out", "a"});
    const Result multi = RunProgram({"analyze", "DOETest2.ipt", "--out", "b"});
    const Result larger = RunProgram({"analyze", "DOETest2.ipt", "--sn", "1=larger", "--out", "c"});
    ASSERT_EQ(plain.status, 0) << plain.err;
    ASSERT_EQ(multi.status, 0) << multi.err;
    ASSERT_EQ(larger.status, 0) << larger.err;

    const std::string test1 = qvrfc_test::CaptureStdout([] { CQVRFCDOEAnalyzer::Test1(stdout); });
    const std::string test2 = qvrfc_test::CaptureStdout([] { CQVRFCDOEAnalyzer::Test2(stdout); });
    const std::string test4 = qvrfc_test::CaptureStdout([] { CQVRFCDOEAnalyzer::Test4(stdout); });
    EXPECT_EQ(Analysis(plain), Between(test1, "averaged value...Start", "\n\n@@@( Test#1"));
    EXPECT_EQ(Analysis(multi), Between(test2, "averaged value...Start", "\n\n@@@( Test#2"));
    EXPECT_EQ(Analysis(larger),
              Between(test4, "SN-Ratio function test...BEGIN", "\nS/N-RATIO PREDICTION..."));
    EXPECT_NE(plain.out.find("Grand Average :93.1111\n"), std::string::npos);

    // The report's effects and ANOVA match the engine's larger-the-better report scenario,
    // which enters the same data set with the level numbers as factor values.
    const Result report = RunProgram({"analyze", "DOETest1.ipt", "--sn", "1=larger", "--out", "d"});
    ASSERT_EQ(report.status, 0) << report.err;
    qvrfc_test::CaptureStdout([] { CQVRFCDOEAnalyzer::Test7(stdout); });
    const std::string ours = ReadFile("d/DOETest1.log");
    const std::string engine = ReadFile("VUROROZuruza_ANOVA.log");
    EXPECT_EQ(Between(ours, "[Factor Effect for Quality#1]", "\n[EOF]"),
              Between(engine, "[Factor Effect for Quality#1]", "\n[Factor Effect for Quality#2]"));
    EXPECT_NE(ours.find("Total     15661.8444   8\n"), std::string::npos);
}

TEST_F(Analyze, WritesBothReportsIntoTheOutputFolderOnly) {
    CopyData("DOETest1.ipt", "DOETest1.ipt");
    const Result result = RunProgram(
        {"analyze", "DOETest1.ipt", "--sn", "1=nominal1:70", "--pool", "1=B,c", "--out", "rep"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(Entries(), (std::vector<std::string>{"DOETest1.ipt", "rep"}));
    const std::vector<std::string> written = {"DOESetup.log", "DOETest1.csv", "DOETest1.log",
                                              "QVRFCDOETaguchiMethod.log"};
    EXPECT_EQ(Entries("rep"), written);
    const std::vector<std::string> out = Lines(result.out);
    EXPECT_TRUE(Contains(out,
                         "Quality Characteristic: [0] Nominal-the-Best Type I "
                         "(S/N=-10*log[(Avg-Target)^2+STDEV^2])"));
    ASSERT_GE(out.size(), 5u);
    EXPECT_EQ(
        std::vector<std::string>(out.end() - 5, out.end()),
        (std::vector<std::string>{"Files written to " + OutFolder("rep") + ":", "  " + written[0],
                                  "  " + written[1], "  " + written[2], "  " + written[3]}));

    const std::vector<std::string> log = Lines(ReadFile("rep/DOETest1.log"));
    ASSERT_GE(log.size(), 4u);
    EXPECT_EQ(log[0], "[File Summary]");
    EXPECT_EQ(log[1], "File = DOETest1.log");
    EXPECT_TRUE(std::regex_match(log[2], std::regex(R"(Time = \d\d:\d\d:\d\d-\d\d-\d\d-\d{4})")));
    EXPECT_EQ(log[3], "Created By = qvrfcdoe");
    EXPECT_TRUE(Contains(log,
                         "S/N Ratio Type for Quality#1= Nominal-the-Best Type I "
                         "(S/N=-10*log[(Avg-Target)^2+STDEV^2])  Target=     70.0000"));
    EXPECT_TRUE(Contains(log, "Pooled factor = 2  3  "));
    EXPECT_TRUE(Contains(log, "   2   --------------- Pooled -----------------"));
    EXPECT_FALSE(Contains(log, "[Pareto Chart for Quality#1]"));
    const std::vector<std::string> csv = Lines(ReadFile("rep/DOETest1.csv"));
    EXPECT_TRUE(Contains(csv, "Pooled factor =, 2,  3,  "));
    EXPECT_TRUE(Contains(csv, "[Pareto Chart for Quality#1]"));
}

TEST_F(Analyze, DemoAndSelfTestRunInTheOutputFolder) {
    const Result demo = RunProgram({"demo"});
    ASSERT_EQ(demo.status, 0) << demo.err;
    const std::vector<std::string> out = Lines(demo.out);
    ASSERT_GE(out.size(), 2u);
    EXPECT_EQ(out[0],
              "Demo: " + fs::weakly_canonical(qvrfc_test::DataFile("DOETest1.ipt")).string() +
                  ", quality 1 analysed as larger-the-better");
    EXPECT_TRUE(Contains(out,
                         " 1 1 1 1 1 69.7 72.4 55 65.3 68.7 66.22 6.77e+00 2.3472e-04 "
                         "1.0219e-01 36.2945"));
    EXPECT_TRUE(Contains(out, "Grand S/N Ratio :39.1517"));
    EXPECT_EQ(Entries(), std::vector<std::string>{"qvrfcdoe-out"});
    EXPECT_TRUE(fs::is_regular_file("qvrfcdoe-out/DOETest1.log"));

    const Result self = RunProgram({"selftest", "--out", "st"});
    ASSERT_EQ(self.status, 0) << self.err;
    const std::vector<std::string> lines = Lines(self.out);
    EXPECT_TRUE(Contains(lines, "@@@( QVRTester_TestOrthogonalArray1...6 Fail! "));
    EXPECT_TRUE(Contains(lines, "@@@( Test#7 : DOE control ID specify and writer test..END"));
    EXPECT_EQ(Entries(), (std::vector<std::string>{"qvrfcdoe-out", "st"}));
    EXPECT_EQ(Entries("st"),
              (std::vector<std::string>{"DOESetup.log", "DOETest1.ipt", "DOETest1Result.csv",
                                        "DOETest2.ipt", "DOETest2Result.csv", "DOETest4Result.csv",
                                        "QVRFCDOETaguchiMethod.log", "VUROROZuruza_ANOVA.csv",
                                        "VUROROZuruza_ANOVA.log"}));
}

}  // namespace
