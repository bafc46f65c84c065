// The complete analysis report, checked line by line against a hand-worked L4 experiment
// in both styles, and the report's edge cases.
#include <gtest/gtest.h>

#include <algorithm>
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
using Levels = double[3][2];

// One response of the hand-worked L4: level effects, effects and best levels per factor.
struct Response {
    const char* label;
    Levels levels;
    double effects[3];
    int best[3];
};

Lines_t EffectTable(const Response& x, const char* sep, bool plain) {
    Lines_t lines = {plain ? Rule(3) : "", Fmt("                     %s", x.label)};
    if (plain) lines.push_back(Rule(3));
    lines.push_back(Fmt("Level%s         Factor", sep));
    lines.push_back(Fmt("No.%s   %12d%s%12d%s%12d%s", sep, 1, sep, 2, sep, 3, sep));
    if (plain) lines.push_back(Rule(3));
    for (int l = 0; l < 2; ++l)
        lines.push_back(Fmt("%2d%s       %12.4lf%s%12.4lf%s%12.4lf%s", l + 1, sep, x.levels[0][l],
                            sep, x.levels[1][l], sep, x.levels[2][l], sep));
    lines.push_back(Fmt("Effect%s   %12.4lf%s%12.4lf%s%12.4lf%s", sep, x.effects[0], sep,
                        x.effects[1], sep, x.effects[2], sep));
    lines.push_back(Fmt("Best%s             %-12d%s%-12d%s%-12d%s", sep, x.best[0], sep, x.best[1],
                        sep, x.best[2], sep));
    if (plain) lines.push_back(Rule(3));
    return lines;
}

// An ANOVA table with one degree of freedom per factor and nothing pooled.
Lines_t AnovaTable(const char* label, const double ss[3], double total, double errorSS,
                   int errorDof, const char* sep, bool plain) {
    const double ve = errorDof > 0 ? errorSS / errorDof : 0.0;
    Lines_t lines;
    const auto rule = [&](char c) {
        if (plain) lines.push_back(std::string(64, c));
    };
    rule('=');
    lines.push_back(Fmt("                     %s", label));
    rule('-');
    lines.push_back(
        Fmt("Factor%s  SumOfSquare%s   DOF%s   Variance%s   Contribution%%%s      FValue", sep, sep,
            sep, sep, sep));
    rule('=');
    for (int j = 0; j < 3; ++j)
        lines.push_back(Fmt("%4d%s   %12.4f%s  %3d%s %12.4lf%s     %4.1lf%%%s     %12.4lf", j + 1,
                            sep, ss[j], sep, 1, sep, ss[j], sep, ss[j] / total * 100, sep,
                            ve > 0 ? ss[j] / ve : 0.0));
    lines.push_back(Fmt("Error%s  %12.4f%s  %3d%s %12.4lf%s     %4.1lf%%         ", sep, errorSS,
                        sep, errorDof, sep, ve, sep, errorSS / total * 100));
    rule('=');
    Append(lines, {Fmt("Total%s   %12.4lf%s  %2d", sep, total, sep, 3), ""});
    return lines;
}

// The file summary of a one-quality L4 report with the default names, time masked.
Lines_t Summary(const std::string& file, const std::string& author) {
    return Lines("[File Summary]\nFile = " + file + "\nTime = <masked>\nCreated By = " + author +
                 "\nNo. Quality Factor = 1\nNo. Control Factor= 3\nQuality Factor#1 = Quality#1\n"
                 "Control Factor#1 = Factor#1\nControl Factor#2 = Factor#2\n"
                 "Control Factor#3 = Factor#3\n");
}

// Runs average 10, 12, 14, 20 with deviation sqrt(2); the S/N ratio is nominal-the-best III.
Lines_t ExpectedReport(const std::string& fileName, bool csv) {
    const char* sep = csv ? "," : "";
    const bool plain = !csv;
    const double average[4] = {10, 12, 14, 20}, sd = std::sqrt(2.0);
    double sn[4], snMean = 0, snTotal = 0, snSS[3];
    for (int r = 0; r < 4; ++r)
        snMean += (sn[r] = 10 * std::log10(average[r] * average[r] / 2)) / 4;
    Response quality = {"QUALITY", {{11, 17}, {12, 16}, {15, 13}}, {6, 4, 2}, {2, 2, 1}};
    Response stdev = {"STANDARD DEVIATION", {{sd, sd}, {sd, sd}, {sd, sd}}, {0, 0, 0}, {1, 1, 1}};
    Response snRatio = {"S/N RATIO", {}, {}, {2, 2, 1}};
    const int runs[3][2][2] = {{{0, 1}, {2, 3}}, {{0, 2}, {1, 3}}, {{0, 3}, {1, 2}}};
    for (int f = 0; f < 3; ++f) {
        for (int l = 0; l < 2; ++l)
            snRatio.levels[f][l] = (sn[runs[f][l][0]] + sn[runs[f][l][1]]) / 2;
        snRatio.effects[f] = std::fabs(snRatio.levels[f][0] - snRatio.levels[f][1]);
        snTotal += snSS[f] = snRatio.effects[f] * snRatio.effects[f];
    }

    Lines_t lines = Summary(fileName, "Tester");
    Append(lines, L4ExperimentSection(sep, plain));
    Append(lines, {"", "[Run Data]", "",
                   Fmt("S/N Ratio Type for Quality#1= %s%s  Target=%12.4lf",
                       "Nominal-the-Best Type III (S/N=-10*log[STDEV^2/Avg^2])", sep, 0.0)});
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
        lines.push_back(row + Fmt(" %-12.4lf%s %-12.4lf%s%12.4lf%s %12.4lf%s %12.4lf%s     ",
                                  average[r] - 1, sep, average[r] + 1, sep, average[r], sep, sd,
                                  sep, sn[r], sep));
    }
    if (plain) lines.push_back(Rule(8));
    Append(lines, {"=== QUALITY#1 ====", Fmt("Run Averaged Quality Value      = %-12.4lf", 14.0),
                   Fmt("Run Averaged Standard Deviation = %-12.4lf", sd),
                   Fmt("Run Averaged S/N Ratio          = %-12.4lf", snMean), "",
                   "[Factor Effect for Quality#1]"});
    for (const Response* x : {&quality, &stdev, &snRatio})
        Append(lines, EffectTable(*x, sep, plain));
    Append(lines, {"", "[ANOVA for Quality#1]"});
    const double qualitySS[3] = {72, 32, 8};
    Append(lines, AnovaTable("QUALITY", qualitySS, 112, 8, 4, sep, plain));
    Append(lines, AnovaTable("S/N RATIO", snSS, snTotal, 0, 0, sep, plain));
    if (csv) {
        Append(lines, {"", "[Pareto Chart for Quality#1]"});
        for (const Response* x : {&quality, &stdev, &snRatio})
            Append(lines,
                   {x->label, "Factor#1 (A),Factor#2 (B),Factor#3 (C),",
                    Fmt("%12.4lf,%12.4lf,%12.4lf,", x->effects[0], x->effects[1], x->effects[2])});
        Append(lines, {"", "[Main Effect Chart for Quality#1]"});
        for (const Response* x : {&quality, &stdev, &snRatio}) {
            std::string row;
            for (const auto& factor : x->levels)
                row += Fmt("%12.4lf,%12.4lf,", factor[0], factor[1]);
            Append(lines, {x->label, "A1 ,A2 ,B1 ,B2 ,C1 ,C2 ,", row});
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
    return static_cast<size_t>(std::count(lines.begin(), lines.end(), text));
}

}  // namespace

TEST(AnalysisReport, HandWorkedL4InBothStyles) {
    Analyzer analyzer;
    SetupHandWorkedL4(analyzer);
    const std::pair<const char*, bool> styles[] = {{"l4.log", false}, {"l4.csv.log", false},
                                                   {"l4.txt", false}, {"l4.csv", true},
                                                   {"L4.CSV", true},  {"l4csv", true}};
    for (const auto& [name, csv] : styles) {
        ASSERT_EQ(analyzer.Writer(name, "Tester"), 1);
        ExpectSameLines(ReportLines(name), ExpectedReport(name, csv));
    }
    EXPECT_EQ(analyzer.Writer("no-such-dir/report.log", "Tester"), 0);
    EXPECT_FALSE(FileExists("no-such-dir/report.log"));
}

TEST(AnalysisReport, TextArgumentsTargetAndPooling) {
    Analyzer analyzer;
    SetupHandWorkedL4(analyzer);
    analyzer.SetQualityFactorName(0, "%s%n");
    analyzer.SetControlFactorName(1, "100% %d");
    analyzer.SetQualityCharacteristic(0, Analyzer::LARGER_THE_BETTER, 0.0);
    ASSERT_EQ(analyzer.Writer("%s%n.log", "%n%n"), 1);
    Lines_t lines = ReportLines("%s%n.log"), expected = Summary("%s%n.log", "%n%n");
    expected[6] = "Quality Factor#1 = %s%n";
    expected[8] = "Control Factor#2 = 100% %d";
    EXPECT_EQ(Lines_t(lines.begin(), lines.begin() + 10), expected);
    // No target for larger-the-better, no pooled list while nothing is pooled.
    EXPECT_EQ(Count(lines,
                    "S/N Ratio Type for Quality#1= "
                    "the-Larger-the-Better Type IV (S/N=-10*log[Sum(1/Yi)/N] )"),
              1u);
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
}

TEST(AnalysisReport, RuleWidthsRunGroupsAndMixedLevels) {
    // Two qualities with three observations on L9 (four factors): (3 + 3) * 2 + 4 = 16.
    Analyzer analyzer;
    ASSERT_EQ(analyzer.SetupDOE(2, Array::OA_L9, nullptr), 1);
    for (int q = 0; q < 2; ++q)
        for (int r = 0; r < 9; ++r)
            EnterRun(analyzer, q, r, {1.0 + r, 2.0 + r, 4.0 + r});
    ASSERT_EQ(analyzer.Writer("l9.log", "Tester"), 1);
    Lines_t lines = Lines(ReadFile("l9.log"));
    ASSERT_LT(FindLine(lines, "[Run Data]") + 4, lines.size());
    EXPECT_EQ(lines[FindLine(lines, "[Run Data]") + 4], Rule(16));
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

    // L18: the chart labels follow each column's levels; A's third level row reads 0.
    ASSERT_EQ(analyzer.SetupDOE(1, Array::OA_L18, nullptr), 1);
    for (int r = 0; r < 18; ++r)
        EnterRun(analyzer, 0, r, {10.0 + r % 3, 11.0 + r % 5});
    ASSERT_EQ(analyzer.Writer("l18.csv", "Tester"), 1);
    lines = Lines(ReadFile("l18.csv"));
    const size_t chart = FindLine(lines, "[Main Effect Chart for Quality#1]");
    const size_t effects = FindLine(lines, "[Factor Effect for Quality#1]");
    ASSERT_LT(chart + 2, lines.size());
    EXPECT_EQ(lines[chart + 2],
              "A1 ,A2 ,B1 ,B2 ,B3 ,C1 ,C2 ,C3 ,D1 ,D2 ,D3 ,E1 ,E2 ,E3 ,F1 ,F2 ,F3 ,G1 ,G2 ,G3 ,"
              "H1 ,H2 ,H3 ,");
    EXPECT_EQ(lines[effects + 7].substr(0, 23), " 3,       " + Fmt("%12.4lf,", 0.0));
    EXPECT_EQ(lines[effects + 8].substr(0, 10), "Effect,   ");
}

TEST(AnalysisReport, MissingDataMessages) {
    // No set-up: the summary alone, then the run data message.
    Analyzer empty;
    ASSERT_EQ(empty.Writer("empty.log", "Tester"), 1);
    EXPECT_EQ(ReportLines("empty.log"),
              Lines("[File Summary]\nFile = empty.log\nTime = <masked>\nCreated By = Tester\n"
                    "No. Quality Factor = 0\nNo. Control Factor= 0\n"
                    "@@@@( No available run data!\n\n[EOF]\n"));

    // Released storage: the counts stay, the names and placements are gone and are not read.
    Analyzer released;
    SetupHandWorkedL4(released);
    released.Clear();
    ASSERT_EQ(released.Writer("released.log", "Tester"), 1);
    const Lines_t lines = Lines(ReadFile("released.log"));
    EXPECT_EQ(lines[5], "No. Control Factor= 3");
    EXPECT_EQ(lines[6], "");  // the experiment section follows the counts directly
    EXPECT_EQ(Count(lines, "@@@@( ERROR: Null run data!"), 1u);
    EXPECT_EQ(Lines_t(lines.end() - 3, lines.end()),
              (Lines_t{"@@@@( No available run data!", "", "[EOF]"}));

    // Right after set-up the set-up log holds the summary, the experiment and the message.
    Analyzer fresh;
    LevelTable table(3, {10.0, 20.0});
    ASSERT_EQ(fresh.SetupDOE(1, Array::OA_L4, table.get()), 1);
    Lines_t expected = Summary("DOESetup.log", "VUROROZuruza");
    Append(expected, L4ExperimentSection("", true));
    Append(expected, {"@@@@( No available run quality data!", "", "[EOF]"});
    ExpectSameLines(ReportLines("DOESetup.log"), expected);
}
