// The analyzer's reference scenarios, run in the per-test directory, against the numbers
// they are known to print.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "analyzer/QVRFCDOEAnalyzer.h"
#include "support/report_test_support.h"
#include "support/test_support.h"

using namespace qvrfc_test;
using Analyzer = CQVRFCDOEAnalyzer;
using Lines_t = std::vector<std::string>;

namespace {

Lines_t RunScenario(int (*scenario)(FILE*), int expectedResult = 1) {
    StreamCapture out;
    EXPECT_EQ(scenario(out), expectedResult);
    return Lines(out.Text());
}

void CopyDataFiles() {
    for (const char* name : {"DOETest1.ipt", "DOETest2.ipt"})
        std::filesystem::copy_file(DataFile(name), name);
}

bool HasLineStartingWith(const Lines_t& lines, const std::string& prefix) {
    for (const auto& line : lines)
        if (line.rfind(prefix, 0) == 0) return true;
    return false;
}

// Expects line to begin with prefix.
void ExpectPrefix(const std::string& line, const std::string& prefix) {
    EXPECT_EQ(line.substr(0, prefix.size()), prefix);
}

// The number printed after prefix on the first line that starts with it.
std::string ValueAfter(const Lines_t& lines, const std::string& prefix) {
    for (const auto& line : lines)
        if (line.rfind(prefix, 0) == 0) return line.substr(prefix.size());
    return "<none>";
}

}  // namespace

TEST(AnalyzerScenarios, SNRatiosOfEveryType) {
    const Lines_t lines = RunScenario(&Analyzer::Test3);
    const double averages[6] = {0.539, 0.385, 10.106, 10.106, 0.650, 19.625};
    const double deviations[6] = {0.136, 0.027, 0.087, 0.087, 0.082, 7.110};
    const double ratios[6] = {17.01, 18.55, 21.21, 41.31, 3.67, 24.15};
    Lines_t expected = {"", "", "@@@( Test#3 : SN-Ratio function test...BEGIN",
                        "@@@( nFactor=4,nLevel=3,DOE Array=Taguchi Orthogonal Array L9(3^4)"};
    for (int r = 0; r < 6; ++r)
        expected.push_back(Fmt("Run#%d   Ave=%8.3f   STDEV=%8.3f   S/N=%8.2f", r + 1, averages[r],
                               deviations[r], ratios[r]));
    Append(expected, {"", "", "@@@( Test#3 : SN-Ratio function test...END"});
    EXPECT_EQ(lines, expected);
}

TEST(AnalyzerScenarios, LargerTheBetterAnova) {
    const Lines_t lines = RunScenario(&Analyzer::Test5);
    EXPECT_EQ(lines[2], "@@@( Test#5 : The-Larger-the-Best Case ANOVA function test...BEGIN");
    EXPECT_EQ(lines[3],
              "Run#1  1  1  1  1  69.7  72.4  55.0  65.3  68.7 Ave=  66.220   STDEV=   6.767"
              "   MSD=2.3472e-04  COV= 1.0219e-01 S/N=   36.29");
    EXPECT_EQ(lines[12], "Grand Average=93.11, Averaged STDEV=5.34, Averaged S/N Ratio=39.15");

    const size_t quality = FindLine(lines, "FACTOR EFFECT ON QUALITY");
    ASSERT_LT(quality + 6, lines.size());
    const double firstFactor[3] = {69.69, 97.09, 112.55};
    for (int l = 0; l < 3; ++l)
        ExpectPrefix(lines[quality + 2 + l], Fmt("Level#%d  %6.2f ", l + 1, firstFactor[l]));
    EXPECT_EQ(lines[quality + 5],
              Fmt("Effect   %6.2f %6.2f %6.2f %6.2f ", 42.86, 5.71, 6.17, 10.73));
    EXPECT_EQ(lines[quality + 6], Fmt("BestLevel%6d %6d %6d %6d ", 3, 3, 3, 2));
    const size_t stdev = FindLine(lines, "FACTOR EFFECT ON STANDARD DEVIATION");
    EXPECT_EQ(lines[stdev + 6], Fmt("BestLevel%6d %6d %6d %6d ", 1, 3, 3, 1));
    const size_t sn = FindLine(lines, "FACTOR EFFECT ON S/N Ratio");
    EXPECT_EQ(lines[sn + 5], Fmt("Effect   %6.2f %6.2f %6.2f %6.2f ", 4.20, 0.65, 0.52, 0.97));
    EXPECT_EQ(lines[sn + 6], Fmt("BestLevel%6d %6d %6d %6d ", 3, 3, 3, 2));

    // The first quality table: nothing pooled, the within-run error.
    const std::string rule(76, '-');
    const size_t anova = FindLine(lines, "ANOVA Analysis of Quality");
    ASSERT_LT(anova + 8, lines.size());
    EXPECT_EQ(lines[anova + 1], rule);
    const double ss[4] = {14133.0, 252.6, 337.3, 939.0};
    for (int f = 0; f < 4; ++f)
        ExpectPrefix(lines[anova + 2 + f],
                     Fmt("Factor#%2d SS = %10.1f DOF=  2 Variance=", f + 1, ss[f]));
    EXPECT_NE(lines[anova + 2].find("(90.2%)  FValue=     234.2"), std::string::npos);
    ExpectPrefix(lines[anova + 6], "Error     SS =     1086.0 DOF= 36  Variance=   30.17(");
    EXPECT_EQ(lines[anova + 7], rule);
    EXPECT_EQ(lines[anova + 8], "Sum of Squares (Total)       =  15661.84 Total DOE=  8");
    EXPECT_EQ(lines[anova + 13], "Factor# 2 --------------- Pooled -----------------");

    // The first S/N table: nothing pooled, so no error and no F values.
    const size_t snAnova = FindLine(lines, "ANOVA Analysis of S/N Ratio");
    ASSERT_LT(snAnova + 6, lines.size());
    for (int f = 0; f < 4; ++f)
        EXPECT_NE(lines[snAnova + 2 + f].find("FValue=       0.0"), std::string::npos);
    EXPECT_EQ(lines[snAnova + 6],
              "Error     SS =        0.0 DOF=  0  Variance=    0.00(0.0%) STDEV= 0.00");
    EXPECT_EQ(lines.back(), "@@@( Test#5 : SN-Ratio function test...END");
}

TEST(AnalyzerScenarios, NominalTheBestAnova) {
    const Lines_t lines = RunScenario(&Analyzer::Test6);
    std::string run1 = "Run#1 ";
    for (int f = 0; f < 8; ++f)
        run1 += " 1 ";
    for (double v : {10.18, 10.18, 10.12, 10.06, 10.02, 9.98, 10.20})
        run1 += Fmt("%5.1f ", v);
    EXPECT_EQ(lines[3], run1 + "Ave=   10.11   STDEV=   0.087  S/N=    41.3 ");
    const size_t plain = FindLine(lines, "ANOVA analysis of S/N Ratio ...");
    const size_t pooled = FindLine(lines, "ANOVA analysis of S/N Ratio ...Pool Factor#6");
    ASSERT_LT(pooled + 7, lines.size());
    EXPECT_EQ(pooled - plain, 14u);  // rule, eight factors, error, rule, total, empty line
    EXPECT_EQ(lines[pooled + 7], "Factor# 6 --------------- Pooled -----------------");
    EXPECT_TRUE(
        std::regex_match(lines[plain + 2], std::regex(R"(Factor# 1 SS = +\d+\.\d{3} DOF=  1 .*)")));
}

TEST(AnalyzerScenarios, FullReportOnL9) {
    const Lines_t lines = RunScenario(&Analyzer::Test7);
    EXPECT_EQ(lines,
              (Lines_t{"", "", "@@@( Test#7 : DOE control ID specify and writer test...BEGIN", "",
                       "", "@@@( Test#7 : DOE control ID specify and writer test..END"}));
    for (const char* name : {"VUROROZuruza_ANOVA.log", "VUROROZuruza_ANOVA.csv"}) {
        const Lines_t report = Lines(ReadFile(name));
        const std::string sep = std::string(name).back() == 'v' ? "," : "";
        const size_t header =
            FindLine(report, "Run" + sep + "      Factor", FindLine(report, "[Run Data]"));
        ASSERT_LT(header + 13, report.size()) << name;
        const size_t firstRun = header + (sep.empty() ? 3 : 2);
        // Nine runs of both qualities: level numbers as values, data set B twice.
        ExpectPrefix(report[firstRun],
                     Fmt("%-2d%s   %-12.4lf%s ", 1, sep.c_str(), 1.0, sep.c_str()));
        ExpectPrefix(report[firstRun + 9],
                     Fmt("%-2d%s   %-12.4lf%s ", 9, sep.c_str(), 3.0, sep.c_str()));
        EXPECT_EQ(report[firstRun + 5], "") << name;
        size_t count = 0;
        for (size_t pos = report[firstRun + 9].find("114.0000"); pos != std::string::npos;
             pos = report[firstRun + 9].find("114.0000", pos + 1))
            ++count;
        EXPECT_EQ(count, 2u) << name;
        EXPECT_EQ(FindLine(report, "[ANOVA for Quality#2]") < report.size(), true) << name;
        EXPECT_EQ(HasLineStartingWith(report, "[Pareto Chart for Quality#2]"), !sep.empty())
            << name;
    }
}

TEST(AnalyzerScenarios, LoadedExperimentSections) {
    CopyDataFiles();
    Lines_t stream;
    const Lines_t out = Lines(CaptureStdout([&] { stream = RunScenario(&Analyzer::Test1); }));
    EXPECT_EQ(stream[2],
              "@@@( Test#1 : Set run quality data,evaluate factor effect and averaged "
              "value...Start");
    EXPECT_EQ(stream[5],
              "@@@( Test#1 : Set run quality data,evaluate factor effect and averaged "
              "value...OK");
    EXPECT_EQ(out[3], "[Run Quality Data]");
    EXPECT_EQ(ValueAfter(out, "Grand Average :"), "93.1111");
    const Lines_t csv = Lines(ReadFile("DOETest1Result.csv"));
    EXPECT_EQ(ValueAfter(csv, "Grand Average :,"), "93.1111");
    EXPECT_LT(FindLine(csv, "[Response Plot]"), csv.size());

    const Lines_t out2 = Lines(CaptureStdout([&] { stream = RunScenario(&Analyzer::Test2); }));
    EXPECT_EQ(stream[5],
              "@@@( Test#2 : Set run quality data,evaluate factor effect and averaged "
              "value...OK");
    EXPECT_EQ(out2[4], "Quality Count=\t2");
    const Lines_t csv2 = Lines(ReadFile("DOETest2Result.csv"));
    EXPECT_LT(FindLine(csv2, "<Quality #2>"), csv2.size());
}

TEST(AnalyzerScenarios, PredictionsOnLoadedExperiment) {
    CopyDataFiles();
    Lines_t lines;
    CaptureStdout([&] { lines = RunScenario(&Analyzer::Test4); });
    EXPECT_TRUE(FileExists("DOETest4Result.csv"));
    const size_t start = FindLine(lines, "S/N-RATIO PREDICTION...");
    ASSERT_LT(start + 6, lines.size());
    const std::regex number(R"(-?\d+\.\d\d)");
    const std::string all = ValueAfter(lines, "Predicted S/N-Ratio for A3B3C3D2= ");
    const std::string strong = ValueAfter(lines, "Predicted S/N-Ratio for A3D2= ");
    EXPECT_TRUE(std::regex_match(all, number)) << all;
    EXPECT_TRUE(std::regex_match(ValueAfter(lines, "Predicted S/N-Ratio for A2B2C2D2= "), number));
    EXPECT_TRUE(std::regex_match(ValueAfter(lines, "Predicted S/N-Ratio for A2D2= "), number));
    // Best levels 3, 3, 3, 2; with 0.7 dB the weak factors B and C (0.65, 0.52 dB) are left out.
    EXPECT_EQ(lines[start + 5], "Predicted Best S/N-Ratio for = " + all + "  (A3B3C3D2)");
    EXPECT_EQ(lines[start + 6], "Predicted Best S/N-Ratio for = " + strong + "  (A3B0C0D2)");
    EXPECT_EQ(lines.back(), "@@@( Test#4 : SN-Ratio function test...END");
}

TEST(AnalyzerScenarios, MissingInputFiles) {
    Lines_t stream;
    const std::string out = CaptureStdout([&] {
        stream = RunScenario(&Analyzer::Test1);
        RunScenario(&Analyzer::Test4);
    });
    EXPECT_EQ(out, "");
    EXPECT_EQ(stream.size(), 7u);
    EXPECT_EQ(ReadFile("DOETest1Result.csv"), "");
}
