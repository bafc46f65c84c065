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
using Lines_t = std::vector<std::string>;

namespace {

// L4 with one larger-the-better observation per run whose S/N ratios are 10, 12, 14, 20 dB:
// level effects 11/17, 12/16, 15/13, effects 6, 4, 2.
const double kSN[4] = {10, 12, 14, 20};

double Observation(int run) {
    return std::pow(10.0, kSN[run] / 20);
}

void SetupSingleObservationL4(Analyzer& analyzer) {
    LevelTable table(3, {10.0, 20.0});
    ASSERT_EQ(analyzer.SetupDOE(1, Array::OA_L4, table.get()), 1);
    analyzer.SetQualityCharacteristic(0, Analyzer::LARGER_THE_BETTER, 0.0);
    for (int r = 0; r < 4; ++r)
        EnterRun(analyzer, 0, r, {Observation(r)});
}

Lines_t Slice(const Lines_t& lines, size_t from, size_t count) {
    if (from >= lines.size()) return {};
    return Lines_t(lines.begin() + from, lines.begin() + std::min(lines.size(), from + count));
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
    const Lines_t lines = Lines(shared.Text());
    EXPECT_EQ(Slice(lines, FindLine(lines, " Factor     ID") + 3, 7),
              Lines(" 2          1\n 3          3\n" + std::string(22, '=') +
                    "\n@@@@( ERROR: -Factor#1 ID= 1 (same as that of control factor#2)\r\n\n\n"
                    "[DOE Data]\n"));

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
    Lines_t expected = L4Listing();
    const std::string rule(22, '=');
    Append(expected, Lines("\n[Control Factor ID]\nNo. Control Factor= 3\n"
                           "No. Available Control Factor in the Orthogonal Array= 3 \n" +
                           rule + "\n Factor     ID\n" + std::string(22, '-') + "\n" + rule +
                           "\n\n[DOE Data]\n@@@@( ERROR: Null run data!\n"));
    EXPECT_EQ(Lines(released.Text()), expected);
}

TEST(RunQualityTable, SingleAndRepeatedObservations) {
    Analyzer analyzer;
    SetupSingleObservationL4(analyzer);
    StreamCapture out;
    ASSERT_EQ(analyzer.WriteRunQualityData(out, 0, "[Run Quality Data]"), 1);
    Lines_t expected = Lines(
        "nFactor=3\nnLevel=2\nDOE Array=Taguchi Orthogonal Array L4(2^3)\n[Run Quality Data]\n"
        "Quality Characteristic: [5] the-Larger-the-Better Type IV (S/N=-10*log[Sum(1/Yi)/N] )\n"
        "Run\tA\tB\tC\tValue S/N Ratio\n");
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

    // Two qualities, three observations: average 10, deviation 1, MSD (81 + 100 + 121) / 3,
    // COV 0.1, S/N 20 dB in run 1.
    ASSERT_EQ(analyzer.SetupDOE(2, Array::OA_L4, nullptr), 1);
    for (int q = 0; q < 2; ++q)
        for (int r = 0; r < 4; ++r)
            EnterRun(analyzer, q, r, {9.0 + r, 10.0 + r, 11.0 + r});
    StreamCapture plain, csv;
    ASSERT_EQ(analyzer.WriteRunQualityData(plain, 0, "T"), 1);
    ASSERT_EQ(analyzer.WriteRunQualityData(csv, 1, "T"), 1);
    Lines_t lines = Lines(plain.Text());
    EXPECT_EQ(Slice(lines, 4, 6),
              Lines("Quality Count=\t2\n\n<Quality #1>\n"
                    "Quality Characteristic: [2] Nominal-the-Best Type III "
                    "(S/N=-10*log[STDEV^2/Avg^2])\n"
                    "Run\tA\tB\tC\tValue1Value2Value3AVG STDEV MSD COV S/N Ratio\n"
                    " 1 1 1 1 9 10 11 10 1.00e+00 1.0067e+02 1.0000e-01 20\n"));
    EXPECT_EQ(FindLine(lines, "Grand STDEV :1.00e+00"), 14u);
    EXPECT_LT(FindLine(lines, "<Quality #2>"), lines.size());
    EXPECT_EQ(Slice(Lines(csv.Text()), 4, 6),
              Lines("Quality Count=,\t2\n\n<Quality #1>\n"
                    "Quality Characteristic: ,[2] Nominal-the-Best Type III "
                    "(S/N=-10*log[STDEV^2/Avg^2])\n"
                    "Run,\tA,\tB,\tC,\tValue1,Value2,Value3,AVG, STDEV, MSD, COV, S/N Ratio\n"
                    " 1, 1, 1, 1, 9, 10, 11, 10, 1.00e+00, 1.0067e+02, 1.0000e-01, 20\n"));

    // No array: the level columns read -1.
    Analyzer bare;
    ASSERT_EQ(bare.SetupDOE(1, 4, 3, 2, nullptr), 1);
    StreamCapture noArray;
    ASSERT_EQ(bare.WriteRunQualityData(noArray, 0, "T"), 1);
    lines = Lines(noArray.Text());
    EXPECT_EQ(lines[2], "DOE Array=Undefined");
    EXPECT_EQ(lines[5], "Run\tA\tB\tC\tValue S/N Ratio");
    EXPECT_EQ(lines[6].substr(0, 12), " 1 -1 -1 -1 ");
}

TEST(ResponseTables, RanksBestLevelsPredictionsAndPlots) {
    Analyzer analyzer;
    SetupSingleObservationL4(analyzer);
    StreamCapture out, csv, two;
    ASSERT_EQ(analyzer.WriteFactorEffectData(out, 0, "[Factor Effect]"), 1);
    const Lines_t lines = Lines(out.Text());
    EXPECT_EQ(Slice(lines, 0, 4), Lines("\n[Factor Effect]\n\nQuality Response:\n"));
    EXPECT_EQ(FindLine(lines, "Quality Standard Deviation Response:"), lines.size());
    EXPECT_EQ(Slice(lines, FindLine(lines, "S/N Ratio Response:"), 99),
              Lines("S/N Ratio Response:\nGrand S/N Ratio :14\n\tA\tB\tC\t\nLevel 1\t11\t12\t15\t\n"
                    "Level 2\t17\t16\t13\t\nEffect\t6\t4\t2\t\nRank 1 2 3 \nBest Level 2 2 1 \n"
                    "Best Level:A2B2C1\nBest Response Prediction:20\n"
                    "Best Response Prediction:A2 17\n"));
    ASSERT_EQ(analyzer.WriteFactorEffectData(csv, 1, "[Factor Effect]"), 1);
    const Lines_t csvLines = Lines(csv.Text());
    for (const char* line : {"Level 1,\t11,\t12,\t15,\t", "Rank ,1, 2, 3, ",
                             "Best Response Prediction:,A2 ,17", "[Response Plot]"})
        EXPECT_LT(FindLine(csvLines, line), csvLines.size()) << line;
    // Style 2 writes no commas but appends the plot series; style 0 appends none.
    ASSERT_EQ(analyzer.WriteFactorEffectData(two, 2, "[Factor Effect]"), 1);
    EXPECT_EQ(two.Text().find(','), two.Text().find("A1, ") + 2);
    EXPECT_NE(two.Text().find("[Response Plot]"), std::string::npos);
    EXPECT_EQ(out.Text().find("[Response Plot]"), std::string::npos);
    EXPECT_EQ(analyzer.WriteFactorEffectData(nullptr, 0, "x"), 0);

    StreamCapture plot;
    ASSERT_EQ(analyzer.WriteQualityResponsePlotData(0, plot, "[Plot]"), 1);
    const Lines_t plotLines = Lines(plot.Text());
    ASSERT_EQ(plotLines.size(), 8u);
    EXPECT_EQ(Slice(plotLines, 0, 3),
              Lines("[Plot]\nQuality Response Plot:\nA1, A2, B1, B2, C1, C2, \n"));
    EXPECT_EQ(Slice(plotLines, 4, 4), Lines("\nS/N Ratio Response Plot:\nA1, A2, B1, B2, C1, C2, \n"
                                            "11, 17, 12, 16, 15, 13, \n"));

    // Two observations per run add the standard deviation series.
    Analyzer repeated;
    SetupHandWorkedL4(repeated);
    StreamCapture both;
    ASSERT_EQ(repeated.WriteQualityResponsePlotData(0, both, "[Plot]"), 1);
    const Lines_t bothLines = Lines(both.Text());
    ASSERT_EQ(bothLines.size(), 12u);
    EXPECT_EQ(bothLines[5], "Quality Standard Deviation Response Plot:");
    std::string deviations;
    for (int i = 0; i < 6; ++i)
        deviations += Fmt("%lg, ", std::sqrt(2.0));
    EXPECT_EQ(bothLines[7], deviations);

    // A quality outside the counts, a null stream or no run data: 0 and nothing written.
    StreamCapture refused;
    EXPECT_EQ(analyzer.WriteQualityResponsePlotData(1, refused, "[Plot]"), 0);
    EXPECT_EQ(analyzer.WriteQualityResponsePlotData(-1, refused, "[Plot]"), 0);
    EXPECT_EQ(analyzer.WriteQualityResponsePlotData(0, nullptr, "[Plot]"), 0);
    EXPECT_EQ(Analyzer().WriteQualityResponsePlotData(0, refused, "[Plot]"), 0);
    EXPECT_EQ(refused.Text(), "");
}
