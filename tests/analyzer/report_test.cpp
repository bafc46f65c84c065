// The complete analysis report, checked line by line against a hand-worked L4 experiment
// in both styles, and the report's edge cases.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "analyzer/QVRFCDOEAnalyzer.h"
#include "support/report_test_support.h"
#include "support/test_support.h"

using namespace qvrfc_test;
using Analyzer = CQVRFCDOEAnalyzer;
using Array = CQVRFCDOETaguchiOrthogonalArray;

namespace {

using Lines_t = std::vector<std::string>;

// The hand-worked numbers of the L4 experiment of SetupHandWorkedL4.
struct HandWorkedL4 {
    double average[4] = {10, 12, 14, 20};
    double deviation = std::sqrt(2.0);
    double sn[4];          // nominal-the-best III: 10 log10(avg^2 / s^2)
    double snLevel[3][2];  // S/N level effects of A, B, C
    double quality[3][2] = {{11, 17}, {12, 16}, {15, 13}};
    double qualitySS[3] = {72, 32, 8};
    double snSS[3];  // two runs per level: (e1 - e2)^2
    double snTotal = 0;
    HandWorkedL4() {
        for (int r = 0; r < 4; ++r)
            sn[r] = 10 * std::log10(average[r] * average[r] / 2);
        const int runs[3][2][2] = {{{0, 1}, {2, 3}}, {{0, 2}, {1, 3}}, {{0, 3}, {1, 2}}};
        for (int f = 0; f < 3; ++f) {
            for (int l = 0; l < 2; ++l)
                snLevel[f][l] = (sn[runs[f][l][0]] + sn[runs[f][l][1]]) / 2;
            snSS[f] = std::pow(snLevel[f][0] - snLevel[f][1], 2);
            snTotal += snSS[f];
        }
    }
    double SNMean() const { return (sn[0] + sn[1] + sn[2] + sn[3]) / 4; }
};

Lines_t RunData(const HandWorkedL4& x, const char* sep, bool plain) {
    Lines_t lines = {"", "[Run Data]", ""};
    lines.push_back(Fmt("S/N Ratio Type for Quality#1= %s%s  Target=%12.4lf",
                        "Nominal-the-Best Type III (S/N=-10*log[STDEV^2/Avg^2])", sep, 0.0));
    if (plain) lines.push_back(Rule(8));
    lines.push_back(Fmt("Run%s      Factor", sep));
    lines.push_back(
        Fmt("No.   %-12d%s %-12d%s %-12d%s  Q#1[1]%s       Q#1[2]%s          "
            "Average#1%s     STDEV#1%s     S/NRatio#1%s  ",
            1, sep, 2, sep, 3, sep, sep, sep, sep, sep, sep));
    if (plain) lines.push_back(Rule(8));
    for (int r = 0; r < 4; ++r) {
        std::string row = Fmt("%-2d%s   ", r + 1, sep);
        for (double v : kL4FactorValues[r])
            row += Fmt("%-12.4lf%s ", v, sep);
        row += Fmt(" %-12.4lf%s %-12.4lf%s", x.average[r] - 1, sep, x.average[r] + 1, sep);
        row += Fmt("%12.4lf%s %12.4lf%s %12.4lf%s     ", x.average[r], sep, x.deviation, sep,
                   x.sn[r], sep);
        lines.push_back(row);
    }
    if (plain) lines.push_back(Rule(8));
    Append(lines, {"=== QUALITY#1 ====", Fmt("Run Averaged Quality Value      = %-12.4lf", 14.0),
                   Fmt("Run Averaged Standard Deviation = %-12.4lf", x.deviation),
                   Fmt("Run Averaged S/N Ratio          = %-12.4lf", x.SNMean())});
    return lines;
}

Lines_t EffectTable(const char* label, const double levels[3][2], const double effects[3],
                    const int best[3], const char* sep, bool plain) {
    Lines_t lines;
    lines.push_back(plain ? Rule(3) : "");
    lines.push_back(Fmt("                     %s", label));
    if (plain) lines.push_back(Rule(3));
    lines.push_back(Fmt("Level%s         Factor", sep));
    lines.push_back(Fmt("No.%s   %12d%s%12d%s%12d%s", sep, 1, sep, 2, sep, 3, sep));
    if (plain) lines.push_back(Rule(3));
    for (int l = 0; l < 2; ++l)
        lines.push_back(Fmt("%2d%s       %12.4lf%s%12.4lf%s%12.4lf%s", l + 1, sep, levels[0][l],
                            sep, levels[1][l], sep, levels[2][l], sep));
    lines.push_back(Fmt("Effect%s   %12.4lf%s%12.4lf%s%12.4lf%s", sep, effects[0], sep, effects[1],
                        sep, effects[2], sep));
    lines.push_back(Fmt("Best%s             %-12d%s%-12d%s%-12d%s", sep, best[0], sep, best[1], sep,
                        best[2], sep));
    if (plain) lines.push_back(Rule(3));
    return lines;
}

Lines_t AnovaTable(const char* label, const double ss[3], double total, double errorSS,
                   int errorDof, const char* sep, bool plain) {
    const double errorVariance = errorDof > 0 ? errorSS / errorDof : 0.0;
    Lines_t lines;
    if (plain) lines.push_back(std::string(64, '='));
    lines.push_back(Fmt("                     %s", label));
    if (plain) lines.push_back(std::string(64, '-'));
    lines.push_back(
        Fmt("Factor%s  SumOfSquare%s   DOF%s   Variance%s   Contribution%%%s      FValue", sep, sep,
            sep, sep, sep));
    if (plain) lines.push_back(std::string(64, '='));
    for (int j = 0; j < 3; ++j)
        lines.push_back(Fmt("%4d%s   %12.4f%s  %3d%s %12.4lf%s     %4.1lf%%%s     %12.4lf", j + 1,
                            sep, ss[j], sep, 1, sep, ss[j], sep, ss[j] / total * 100, sep,
                            errorVariance > 0 ? ss[j] / errorVariance : 0.0));
    lines.push_back(Fmt("Error%s  %12.4f%s  %3d%s %12.4lf%s     %4.1lf%%         ", sep, errorSS,
                        sep, errorDof, sep, errorVariance, sep, errorSS / total * 100));
    if (plain) lines.push_back(std::string(64, '='));
    lines.push_back(Fmt("Total%s   %12.4lf%s  %2d", sep, total, sep, 3));
    lines.push_back("");
    return lines;
}

Lines_t ExpectedReport(const std::string& fileName, bool csv) {
    const HandWorkedL4 x;
    const char* sep = csv ? "," : "";
    Lines_t lines = {"[File Summary]",
                     "File = " + fileName,
                     "Time = <masked>",
                     "Created By = Tester",
                     "No. Quality Factor = 1",
                     "No. Control Factor= 3",
                     "Quality Factor#1 = Quality#1"};
    for (int j = 1; j <= 3; ++j)
        lines.push_back(Fmt("Control Factor#%d = Factor#%d", j, j));
    Append(lines, L4ExperimentSection(sep, !csv));
    Append(lines, RunData(x, sep, !csv));
    Append(lines, {"", "[Factor Effect for Quality#1]"});
    const double qualityEffects[3] = {6, 4, 2}, zero[3] = {0, 0, 0};
    const int qualityBest[3] = {2, 2, 1}, stdevBest[3] = {1, 1, 1};
    const double stdevLevels[3][2] = {
        {x.deviation, x.deviation}, {x.deviation, x.deviation}, {x.deviation, x.deviation}};
    const double snEffects[3] = {std::sqrt(x.snSS[0]), std::sqrt(x.snSS[1]), std::sqrt(x.snSS[2])};
    Append(lines, EffectTable("QUALITY", x.quality, qualityEffects, qualityBest, sep, !csv));
    Append(lines, EffectTable("STANDARD DEVIATION", stdevLevels, zero, stdevBest, sep, !csv));
    Append(lines, EffectTable("S/N RATIO", x.snLevel, snEffects, qualityBest, sep, !csv));
    Append(lines, {"", "[ANOVA for Quality#1]"});
    Append(lines, AnovaTable("QUALITY", x.qualitySS, 112, 8, 4, sep, !csv));
    Append(lines, AnovaTable("S/N RATIO", x.snSS, x.snTotal, 0, 0, sep, !csv));
    if (csv) {
        const char* labels[3] = {"QUALITY", "STANDARD DEVIATION", "S/N RATIO"};
        const double* effects[3] = {qualityEffects, zero, snEffects};
        const double(*levels[3])[2] = {x.quality, stdevLevels, x.snLevel};
        Append(lines, {"", "[Pareto Chart for Quality#1]"});
        for (int k = 0; k < 3; ++k) {
            lines.push_back(labels[k]);
            lines.push_back("Factor#1 (A),Factor#2 (B),Factor#3 (C),");
            lines.push_back(
                Fmt("%12.4lf,%12.4lf,%12.4lf,", effects[k][0], effects[k][1], effects[k][2]));
        }
        Append(lines, {"", "[Main Effect Chart for Quality#1]"});
        for (int k = 0; k < 3; ++k) {
            lines.push_back(labels[k]);
            lines.push_back("A1 ,A2 ,B1 ,B2 ,C1 ,C2 ,");
            std::string row;
            for (int j = 0; j < 3; ++j)
                for (int l = 0; l < 2; ++l)
                    row += Fmt("%12.4lf,", levels[k][j][l]);
            lines.push_back(row);
        }
    }
    Append(lines, {"", "[EOF]"});
    return lines;
}

// The report file's lines with the time stamp field masked.
Lines_t ReportLines(const std::string& fileName) {
    Lines_t lines = Lines(ReadFile(fileName));
    for (auto& line : lines)
        if (line.rfind("Time = ", 0) == 0) line = "Time = <masked>";
    return lines;
}

void ExpectSameLines(const Lines_t& actual, const Lines_t& expected) {
    for (size_t i = 0; i < actual.size() && i < expected.size(); ++i)
        ASSERT_EQ(actual[i], expected[i]) << "line " << i + 1;
    EXPECT_EQ(actual.size(), expected.size());
}

size_t Count(const Lines_t& lines, const std::string& text) {
    size_t n = 0;
    for (const auto& line : lines)
        n += line == text;
    return n;
}

}  // namespace

TEST(AnalysisReport, HandWorkedL4InBothStyles) {
    Analyzer analyzer;
    SetupHandWorkedL4(analyzer);
    for (const char* name : {"l4.log", "l4.csv.log", "l4.txt"}) {
        ASSERT_EQ(analyzer.Writer(name, "Tester"), 1);
        ExpectSameLines(ReportLines(name), ExpectedReport(name, false));
    }
    for (const char* name : {"l4.csv", "L4.CSV", "l4csv"}) {
        ASSERT_EQ(analyzer.Writer(name, "Tester"), 1);
        ExpectSameLines(ReportLines(name), ExpectedReport(name, true));
    }
    EXPECT_EQ(analyzer.Writer("no-such-dir/report.log", "Tester"), 0);
    EXPECT_FALSE(FileExists("no-such-dir/report.log"));
}

TEST(AnalysisReport, TimeStampAndTextArguments) {
    Analyzer analyzer;
    SetupHandWorkedL4(analyzer);
    analyzer.SetQualityFactorName(0, "%s%n");
    analyzer.SetControlFactorName(1, "100% %d");
    ASSERT_EQ(analyzer.Writer("%s%n.log", "%n%n"), 1);
    const Lines_t lines = Lines(ReadFile("%s%n.log"));
    EXPECT_EQ(lines[1], "File = %s%n.log");
    EXPECT_TRUE(lines[2].size() > 7 && lines[2].compare(0, 7, "Time = ") == 0);
    EXPECT_EQ(lines[3], "Created By = %n%n");
    EXPECT_EQ(lines[6], "Quality Factor#1 = %s%n");
    EXPECT_EQ(lines[8], "Control Factor#2 = 100% %d");
}

TEST(AnalysisReport, TargetPoolingAndTableCounts) {
    Analyzer analyzer;
    SetupHandWorkedL4(analyzer);
    analyzer.SetQualityCharacteristic(0, Analyzer::LARGER_THE_BETTER, 0.0);
    ASSERT_EQ(analyzer.Writer("plain.log", "Tester"), 1);
    Lines_t lines = Lines(ReadFile("plain.log"));
    EXPECT_EQ(Count(lines,
                    "S/N Ratio Type for Quality#1= "
                    "the-Larger-the-Better Type IV (S/N=-10*log[Sum(1/Yi)/N] )"),
              1u);
    EXPECT_EQ(Count(lines, "                     QUALITY"), 2u);    // effect table and ANOVA
    EXPECT_EQ(Count(lines, "                     S/N RATIO"), 2u);  // effect table and ANOVA
    EXPECT_EQ(Count(lines, "                     STANDARD DEVIATION"), 1u);
    EXPECT_EQ(FindLine(lines, "[Pareto Chart for Quality#1]"), lines.size());
    for (const auto& line : lines)
        EXPECT_NE(line.rfind("Pooled factor =", 0), 0u) << line;

    // Flag 1 is listed and pooled; flag 2 is pooled in the tables but not listed.
    analyzer.SetQualityCharacteristic(0, Analyzer::NOMINAL_THE_BEST_1, 12.5);
    analyzer.SetFactorPooled(0, 1, 1);
    analyzer.SetFactorPooled(0, 2, 2);
    ASSERT_EQ(analyzer.Writer("pooled.csv", "Tester"), 1);
    lines = Lines(ReadFile("pooled.csv"));
    EXPECT_EQ(
        Count(lines, Fmt("S/N Ratio Type for Quality#1= %s,  Target=%12.4lf",
                         "Nominal-the-Best Type I (S/N=-10*log[(Avg-Target)^2+STDEV^2])", 12.5)),
        1u);
    EXPECT_EQ(Count(lines, "Pooled factor =, 2,  "), 1u);
    EXPECT_EQ(Count(lines, "   2,   --------------- Pooled -----------------"), 2u);
    EXPECT_EQ(Count(lines, "   3,   --------------- Pooled -----------------"), 2u);
    for (const std::string& rule : {Rule(3), Rule(8), std::string(64, '='), std::string(64, '-'),
                                    std::string(22, '='), std::string(22, '-')})
        EXPECT_EQ(Count(lines, rule), 0u) << rule;
    EXPECT_LT(FindLine(lines, "[Pareto Chart for Quality#1]"), lines.size());
}

TEST(AnalysisReport, RuleWidthsAndRunGroups) {
    // Two qualities with three observations on L9 (four factors): (3 + 3) * 2 + 4 = 16.
    Analyzer analyzer;
    ASSERT_EQ(analyzer.SetupDOE(2, Array::OA_L9, nullptr), 1);
    for (int q = 0; q < 2; ++q)
        for (int r = 0; r < 9; ++r)
            EnterRun(analyzer, q, r, {1.0 + r, 2.0 + r, 4.0 + r});
    ASSERT_EQ(analyzer.Writer("l9.log", "Tester"), 1);
    Lines_t lines = Lines(ReadFile("l9.log"));
    const size_t runData = FindLine(lines, "[Run Data]");
    ASSERT_LT(runData, lines.size());
    EXPECT_EQ(lines[runData + 4], Rule(16));
    EXPECT_EQ(Count(lines, "=== QUALITY#2 ===="), 1u);
    EXPECT_EQ(Count(lines, "[ANOVA for Quality#2]"), 1u);

    // L25: empty lines after runs 5, 10, 15 and 20 but not after run 25, in both run tables.
    ASSERT_EQ(analyzer.SetupDOE(1, Array::OA_L25, nullptr), 1);
    for (int r = 0; r < 25; ++r)
        EnterRun(analyzer, 0, r, {5.0 + r});
    ASSERT_EQ(analyzer.Writer("l25.log", "Tester"), 1);
    lines = Lines(ReadFile("l25.log"));
    for (const char* title : {"[DOE Data]", "[Run Data]"}) {
        size_t row = FindLine(lines, title);
        while (row < lines.size() && lines[row].rfind("25", 0) != 0)
            ++row;
        ASSERT_LT(row + 1, lines.size()) << title;
        EXPECT_EQ(lines[row + 1].substr(0, 12), std::string(12, '=')) << title;
        EXPECT_EQ(lines[row - 1].substr(0, 2), "24") << title;
        EXPECT_EQ(lines[row - 4].substr(0, 2), "21") << title;
        EXPECT_EQ(lines[row - 5], "") << title;
    }
}

TEST(AnalysisReport, MixedArrayChartsUseColumnLevels) {
    Analyzer analyzer;
    ASSERT_EQ(analyzer.SetupDOE(1, Array::OA_L18, nullptr), 1);
    for (int r = 0; r < 18; ++r)
        EnterRun(analyzer, 0, r, {10.0 + r % 3, 11.0 + r % 5});
    ASSERT_EQ(analyzer.Writer("l18.csv", "Tester"), 1);
    const Lines_t lines = Lines(ReadFile("l18.csv"));
    const size_t chart = FindLine(lines, "[Main Effect Chart for Quality#1]");
    ASSERT_LT(chart + 2, lines.size());
    EXPECT_EQ(lines[chart + 2],
              "A1 ,A2 ,B1 ,B2 ,B3 ,C1 ,C2 ,C3 ,D1 ,D2 ,D3 ,E1 ,E2 ,E3 ,F1 ,F2 ,F3 ,G1 ,G2 ,G3 ,"
              "H1 ,H2 ,H3 ,");
    // The factor effect tables give every factor three level rows; A has no third level.
    const size_t effects = FindLine(lines, "[Factor Effect for Quality#1]");
    ASSERT_LT(effects + 8, lines.size());
    EXPECT_EQ(lines[effects + 7].substr(0, 23), " 3,       " + Fmt("%12.4lf,", 0.0));
    EXPECT_EQ(lines[effects + 8].substr(0, 10), "Effect,   ");
}

TEST(AnalysisReport, MissingDataMessages) {
    // No set-up: the summary alone, then the run data message.
    Analyzer empty;
    ASSERT_EQ(empty.Writer("empty.log", "Tester"), 1);
    Lines_t lines = Lines(ReadFile("empty.log"));
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[5], "No. Control Factor= 0");
    EXPECT_EQ(lines[6], "@@@@( No available run data!");
    EXPECT_EQ(lines[7], "");
    EXPECT_EQ(lines[8], "[EOF]");

    // Released storage: the counts stay, the names and placements are gone and are not read.
    Analyzer released;
    SetupHandWorkedL4(released);
    released.Clear();
    ASSERT_EQ(released.Writer("released.log", "Tester"), 1);
    lines = Lines(ReadFile("released.log"));
    EXPECT_EQ(lines[5], "No. Control Factor= 3");
    EXPECT_EQ(lines[6], "");  // the experiment section follows the counts directly
    EXPECT_EQ(Count(lines, "@@@@( ERROR: Null run data!"), 1u);
    EXPECT_EQ(lines[lines.size() - 3], "@@@@( No available run data!");
    EXPECT_EQ(lines.back(), "[EOF]");

    // Right after set-up the set-up log holds the summary, the experiment and the message.
    Analyzer fresh;
    LevelTable table(3, {10.0, 20.0});
    ASSERT_EQ(fresh.SetupDOE(1, Array::OA_L4, table.get()), 1);
    Lines_t expected = {"[File Summary]",
                        "File = DOESetup.log",
                        "Time = <masked>",
                        "Created By = VUROROZuruza",
                        "No. Quality Factor = 1",
                        "No. Control Factor= 3",
                        "Quality Factor#1 = Quality#1"};
    for (int j = 1; j <= 3; ++j)
        expected.push_back(Fmt("Control Factor#%d = Factor#%d", j, j));
    Append(expected, L4ExperimentSection("", true));
    Append(expected, {"@@@@( No available run quality data!", "", "[EOF]"});
    ExpectSameLines(ReportLines("DOESetup.log"), expected);
}
