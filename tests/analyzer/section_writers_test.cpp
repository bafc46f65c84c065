// The report sections written into a caller's stream: experiment section, run quality
// table, response tables and response plot series.
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

// L4 with one larger-the-better observation per run whose S/N ratios are 10, 12, 14, 20 dB:
// level effects 11/17, 12/16, 15/13, effects 6, 4, 2.
const double kSN[4] = {10, 12, 14, 20};

void SetupSingleObservationL4(Analyzer& analyzer) {
    LevelTable table(3, {10.0, 20.0});
    ASSERT_EQ(analyzer.SetupDOE(1, Array::OA_L4, table.get()), 1);
    analyzer.SetQualityCharacteristic(0, Analyzer::LARGER_THE_BETTER, 0.0);
    for (int r = 0; r < 4; ++r)
        EnterRun(analyzer, 0, r, {std::pow(10.0, kSN[r] / 20)});
}

double Observation(int run) {
    return std::pow(10.0, kSN[run] / 20);
}

}  // namespace

TEST(ExperimentSection, BothStylesChecksAndRefusals) {
    Analyzer analyzer;
    SetupHandWorkedL4(analyzer);
    for (int bCSV : {0, 1}) {
        StreamCapture out;
        EXPECT_EQ(analyzer.DOEWriter(out, bCSV), 1);
        EXPECT_EQ(Lines(out.Text()), L4ExperimentSection(bCSV ? "," : "", bCSV == 0));
    }
    EXPECT_EQ(analyzer.DOEWriter(nullptr, 0), 0);

    // Two factors on column 0: the reasons are written and the section goes on.
    ASSERT_EQ(analyzer.SetControlFactorID(1, 0), 1);
    StreamCapture shared;
    EXPECT_EQ(analyzer.DOEWriter(shared, 0), 1);
    const std::vector<std::string> lines = Lines(shared.Text());
    const size_t table = FindLine(lines, " Factor     ID");
    ASSERT_LT(table + 6, lines.size());
    EXPECT_EQ(lines[table + 3], " 2          1");
    EXPECT_EQ(lines[table + 6],
              "@@@@( ERROR: -Factor#1 ID= 1 (same as that of control factor#2)\r");
    EXPECT_EQ(lines[table + 7], "");
    EXPECT_EQ(lines[table + 8], "");
    EXPECT_EQ(lines[table + 9], "[DOE Data]");

    // Without an array nothing is written.
    Analyzer bare;
    ASSERT_EQ(bare.SetupDOE(1, 4, 3, 2, nullptr), 1);
    StreamCapture none;
    EXPECT_EQ(bare.DOEWriter(none, 0), 0);
    EXPECT_EQ(none.Text(), "");

    // Released storage: listing, an empty placement table and the run data message.
    analyzer.Clear();
    StreamCapture released;
    EXPECT_EQ(analyzer.DOEWriter(released, 0), 0);
    std::vector<std::string> expected = L4Listing();
    Append(expected, {"", "[Control Factor ID]", "No. Control Factor= 3",
                      "No. Available Control Factor in the Orthogonal Array= 3 ",
                      std::string(22, '='), " Factor     ID", std::string(22, '-'),
                      std::string(22, '='), "", "[DOE Data]", "@@@@( ERROR: Null run data!"});
    EXPECT_EQ(Lines(released.Text()), expected);
}

TEST(RunQualityTable, SingleObservationRows) {
    Analyzer analyzer;
    SetupSingleObservationL4(analyzer);
    StreamCapture out;
    ASSERT_EQ(analyzer.WriteRunQualityData(out, 0, "[Run Quality Data]"), 1);
    std::vector<std::string> expected = {
        "nFactor=3",
        "nLevel=2",
        "DOE Array=Taguchi Orthogonal Array L4(2^3)",
        "[Run Quality Data]",
        "Quality Characteristic: [5] the-Larger-the-Better Type IV (S/N=-10*log[Sum(1/Yi)/N] )",
        "Run\tA\tB\tC\tValue S/N Ratio"};
    const char* levels[4] = {"1 1 1", "1 2 2", "2 1 2", "2 2 1"};
    double sum = 0.0;
    for (int r = 0; r < 4; ++r) {
        expected.push_back(Fmt("%2d %s %lg %lg", r + 1, levels[r], Observation(r), kSN[r]));
        sum += Observation(r);
    }
    Append(expected, {Fmt("Grand Average :%lg", sum / 4), "Grand S/N Ratio :14"});
    EXPECT_EQ(Lines(out.Text()), expected);

    EXPECT_EQ(analyzer.WriteRunQualityData(nullptr, 0, "x"), 0);
    Analyzer empty;
    StreamCapture none;
    EXPECT_EQ(empty.WriteRunQualityData(none, 0, "x"), 0);
    EXPECT_EQ(none.Text(), "");
}

TEST(RunQualityTable, RepeatedObservationsQualitiesAndNoArray) {
    Analyzer analyzer;
    ASSERT_EQ(analyzer.SetupDOE(2, Array::OA_L4, nullptr), 1);
    for (int q = 0; q < 2; ++q)
        for (int r = 0; r < 4; ++r)
            EnterRun(analyzer, q, r, {9.0 + r, 10.0 + r, 11.0 + r});
    StreamCapture plain, csv;
    ASSERT_EQ(analyzer.WriteRunQualityData(plain, 0, "T"), 1);
    ASSERT_EQ(analyzer.WriteRunQualityData(csv, 1, "T"), 1);
    std::vector<std::string> lines = Lines(plain.Text());
    ASSERT_GE(lines.size(), 10u);
    EXPECT_EQ(lines[4], "Quality Count=\t2");
    EXPECT_EQ(lines[5], "");
    EXPECT_EQ(lines[6], "<Quality #1>");
    EXPECT_EQ(lines[8], "Run\tA\tB\tC\tValue1Value2Value3AVG STDEV MSD COV S/N Ratio");
    // Average 10, deviation 1, MSD (81 + 100 + 121) / 3, COV 0.1, S/N 20 dB.
    EXPECT_EQ(lines[9], " 1 1 1 1 9 10 11 10 1.00e+00 1.0067e+02 1.0000e-01 20");
    EXPECT_EQ(FindLine(lines, "Grand STDEV :1.00e+00"), 14u);
    EXPECT_LT(FindLine(lines, "<Quality #2>"), lines.size());
    lines = Lines(csv.Text());
    EXPECT_EQ(lines[4], "Quality Count=,\t2");
    EXPECT_EQ(lines[7],
              "Quality Characteristic: ,[2] "
              "Nominal-the-Best Type III (S/N=-10*log[STDEV^2/Avg^2])");
    EXPECT_EQ(lines[8], "Run,\tA,\tB,\tC,\tValue1,Value2,Value3,AVG, STDEV, MSD, COV, S/N Ratio");
    EXPECT_EQ(lines[9], " 1, 1, 1, 1, 9, 10, 11, 10, 1.00e+00, 1.0067e+02, 1.0000e-01, 20");

    Analyzer bare;
    ASSERT_EQ(bare.SetupDOE(1, 4, 3, 2, nullptr), 1);
    StreamCapture out;
    ASSERT_EQ(bare.WriteRunQualityData(out, 0, "T"), 1);
    lines = Lines(out.Text());
    EXPECT_EQ(lines[2], "DOE Array=Undefined");
    EXPECT_EQ(lines[5], "Run\tA\tB\tC\tValue S/N Ratio");
    EXPECT_EQ(lines[6].substr(0, 12), " 1 -1 -1 -1 ");
}

TEST(ResponseTables, RanksBestLevelsAndPredictions) {
    Analyzer analyzer;
    SetupSingleObservationL4(analyzer);
    StreamCapture out;
    ASSERT_EQ(analyzer.WriteFactorEffectData(out, 0, "[Factor Effect]"), 1);
    const std::vector<std::string> lines = Lines(out.Text());
    const size_t sn = FindLine(lines, "S/N Ratio Response:");
    ASSERT_LT(sn, lines.size());
    const std::vector<std::string> snBlock = {"S/N Ratio Response:",
                                              "Grand S/N Ratio :14",
                                              "\tA\tB\tC\t",
                                              "Level 1\t11\t12\t15\t",
                                              "Level 2\t17\t16\t13\t",
                                              "Effect\t6\t4\t2\t",
                                              "Rank 1 2 3 ",
                                              "Best Level 2 2 1 ",
                                              "Best Level:A2B2C1",
                                              "Best Response Prediction:20",
                                              "Best Response Prediction:A2 17"};
    EXPECT_EQ(std::vector<std::string>(lines.begin() + static_cast<long>(sn), lines.end()),
              snBlock);
    EXPECT_EQ(lines[0], "");
    EXPECT_EQ(lines[1], "[Factor Effect]");
    EXPECT_EQ(lines[3], "Quality Response:");
    EXPECT_EQ(FindLine(lines, "Quality Standard Deviation Response:"), lines.size());

    StreamCapture csv;
    ASSERT_EQ(analyzer.WriteFactorEffectData(csv, 1, "[Factor Effect]"), 1);
    const std::vector<std::string> csvLines = Lines(csv.Text());
    EXPECT_LT(FindLine(csvLines, "Level 1,\t11,\t12,\t15,\t"), csvLines.size());
    EXPECT_LT(FindLine(csvLines, "Rank ,1, 2, 3, "), csvLines.size());
    EXPECT_LT(FindLine(csvLines, "Best Response Prediction:,A2 ,17"), csvLines.size());
    EXPECT_LT(FindLine(csvLines, "[Response Plot]"), csvLines.size());

    // Style 2 writes no commas but appends the plot series; style 0 appends none.
    StreamCapture two;
    ASSERT_EQ(analyzer.WriteFactorEffectData(two, 2, "[Factor Effect]"), 1);
    EXPECT_EQ(two.Text().find(','), two.Text().find("A1, ") + 2);
    EXPECT_NE(two.Text().find("[Response Plot]"), std::string::npos);
    EXPECT_EQ(out.Text().find("[Response Plot]"), std::string::npos);
    EXPECT_EQ(analyzer.WriteFactorEffectData(nullptr, 0, "x"), 0);
}

TEST(ResponsePlot, SeriesAndRefusals) {
    Analyzer analyzer;
    SetupSingleObservationL4(analyzer);
    StreamCapture out;
    ASSERT_EQ(analyzer.WriteQualityResponsePlotData(0, out, "[Plot]"), 1);
    const std::vector<std::string> lines = Lines(out.Text());
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[0], "[Plot]");
    EXPECT_EQ(lines[1], "Quality Response Plot:");
    EXPECT_EQ(lines[2], "A1, A2, B1, B2, C1, C2, ");
    EXPECT_EQ(lines[4], "");
    EXPECT_EQ(lines[5], "S/N Ratio Response Plot:");
    EXPECT_EQ(lines[7], "11, 17, 12, 16, 15, 13, ");

    // Two observations per run add the standard deviation series.
    Analyzer repeated;
    SetupHandWorkedL4(repeated);
    StreamCapture both;
    ASSERT_EQ(repeated.WriteQualityResponsePlotData(0, both, "[Plot]"), 1);
    const std::vector<std::string> bothLines = Lines(both.Text());
    ASSERT_EQ(bothLines.size(), 12u);
    EXPECT_EQ(bothLines[3], "11, 17, 12, 16, 15, 13, ");
    EXPECT_EQ(bothLines[5], "Quality Standard Deviation Response Plot:");
    EXPECT_EQ(bothLines[7], Fmt("%lg, %lg, %lg, %lg, %lg, %lg, ", std::sqrt(2.0), std::sqrt(2.0),
                                std::sqrt(2.0), std::sqrt(2.0), std::sqrt(2.0), std::sqrt(2.0)));

    // A quality outside the counts, a null stream or no run data: 0 and nothing written.
    StreamCapture refused;
    EXPECT_EQ(analyzer.WriteQualityResponsePlotData(1, refused, "[Plot]"), 0);
    EXPECT_EQ(analyzer.WriteQualityResponsePlotData(-1, refused, "[Plot]"), 0);
    EXPECT_EQ(analyzer.WriteQualityResponsePlotData(0, nullptr, "[Plot]"), 0);
    Analyzer empty;
    EXPECT_EQ(empty.WriteQualityResponsePlotData(0, refused, "[Plot]"), 0);
    EXPECT_EQ(refused.Text(), "");
}
