#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "analyzer/QVRFCDOEAnalyzer.h"
#include "reference_data.h"
#include "support/test_support.h"

using qvrfc_test::FileExists;

namespace {

std::vector<int> Counts(const Analyzer& a) {
    return {a.GetDOEArrayType(), a.GetNoQuality(), a.GetNoRun(), a.GetNoFactor(), a.GetNoLevel()};
}

}  // namespace

TEST(AnalyzerSetup, ByFactorsAndLevelsPicksTheArray) {
    double temperature[] = {150.0, 180.0}, speed[] = {1.0, 2.0}, feed[] = {0.1, 0.2};
    double* table[] = {temperature, speed, feed};
    Analyzer a;
    ASSERT_EQ(a.SetupDOE(1, 3, 2, table), 1);
    EXPECT_EQ(Counts(a), (std::vector<int>{Array::OA_L4, 1, 4, 3, 2}));
    // Column 0 of L4 reads 1, 1, 2, 2; column 2 reads 1, 2, 2, 1.
    EXPECT_EQ(std::vector<double>({a.GetControlFactorValue(1, 0), a.GetControlFactorValue(2, 0),
                                   a.GetControlFactorValue(3, 2)}),
              (std::vector<double>{150.0, 180.0, 0.1}));
    EXPECT_TRUE(FileExists("QVRFCDOETaguchiMethod.log"));

    ASSERT_EQ(a.SetupDOE(1, 1, 2, nullptr), 1);  // one factor: the smallest two-level array
    ASSERT_EQ(a.SetupDOE(2, 4, 2, nullptr), 1);  // four factors: L8 with seven columns
    EXPECT_EQ(Counts(a), (std::vector<int>{Array::OA_L8, 2, 8, 7, 2}));
    EXPECT_EQ(a.GetControlFactorValue(0, 0), 0.0);
    EXPECT_EQ(a.GetDOEColumnID(3) * 10 + a.GetLevel(4, 2), 62);  // the fourth factor on column 7

    // Refused set-ups are the hostile-input tests'.
    // A new set-up restores every default; Clear keeps the counts and the array.
    a.SetFactorPooled(1, 3, 1);
    a.SetQualityFactorName(1, "Yield");
    a.AppendQualityValue(1, 7, 3.0);
    ASSERT_EQ(a.SetupDOE(2, Array::OA_L8, nullptr), 1);
    EXPECT_EQ(a.IsFactorPooled(1, 3) + a.GetRunNoQualityData(1, 7), 0);
    EXPECT_STREQ(a.GetQualityFactorName(1), "Quality#2");
    a.AppendQualityValue(1, 7, 3.0);
    EXPECT_EQ(a.Clear(), 1);
    EXPECT_EQ(Counts(a), (std::vector<int>{Array::OA_L8, 2, 8, 7, 2}));
    EXPECT_EQ(a.GetRunNoQualityData(1, 7), 0);
}

TEST(AnalyzerSetup, ControlFactorPlacementReport) {
    Analyzer a;
    ASSERT_EQ(a.SetupDOE(1, Array::OA_L8, nullptr), 1);
    EXPECT_EQ(a.SetControlFactorID(0, 7) + a.SetControlFactorID(7, 0), 0);
    EXPECT_EQ(a.SetControlFactorID(1, 0), 1);
    EXPECT_EQ(a.GetLevel(1, 1), a.GetLevel(1, 0));

    // Five factors on the three columns of L4: two off the array, and a shared column.
    ASSERT_EQ(a.SetupDOE(1, Array::OA_L4, nullptr), 1);
    ASSERT_EQ(a.SetupDOE(1, 4, 5, 2, nullptr), 1);
    a.SetControlFactorID(2, 0);
    CString report;
    EXPECT_EQ(a.CheckControlFactorID(report), 0);
    EXPECT_STREQ(report,
                 "-Factor#1 ID= 1 (same as that of control factor#3)\r\n"
                 "-Factor#4 ID= 4 (Orthogonal Array no. factor=3)\r\n"
                 "-Factor#5 ID= 5 (Orthogonal Array no. factor=3)\r\n");
    EXPECT_EQ(a.GetLevel(0, 4), -100);

    Analyzer bare;  // counts only: no array, no placement, nothing to report
    ASSERT_EQ(bare.SetupDOE(1, 2, 3, 2, nullptr), 1);
    EXPECT_EQ(bare.GetLevel(0, 0) + bare.SetControlFactorID(0, 1), -1);
    report = "stale";
    EXPECT_EQ(bare.CheckControlFactorID(report), 1);
    EXPECT_STREQ(report, "");
}

// Deep copies are checked with the other classes; here what SetData adds.
TEST(AnalyzerSetup, SetDataRefusesAnExperimentWithoutArrayAndKeepsCachesAndSequence) {
    Analyzer source, copy, noArray;
    reference::SetUpDataSetB(source);
    source.AppendQualityValue(0, 2, 80.0);  // cached statistics stay as they were
    source.AddQualityValueStart(0, 5);      // an open sequence is copied as it stands
    noArray.SetupDOE(1, 9, 4, 3, nullptr);
    EXPECT_EQ(copy.SetData(&noArray), 0);
    ASSERT_EQ(copy.SetData(&source), 1);
    EXPECT_NEAR(copy.GetRunQualityValue(0, 2), 70.12, 1e-9);
    EXPECT_EQ(copy.AddQualityValueStart(0, 0), 0);
    EXPECT_EQ(copy.AddQualityValue(1.0), 1);
    EXPECT_EQ(source.GetRunNoQualityData(0, 5) * 10 + copy.GetRunNoQualityData(0, 5), 1);
}

TEST(RunRecord, StatisticsCacheAndGrowth) {
    CQVRFCDOEAnalyzer::CQVRFCDOERunQualityData record;
    EXPECT_EQ(record.GetAverageValue(), 2e12);
    EXPECT_EQ(record.ComputeStatistics(), 0);
    EXPECT_EQ(record.AddValue(4), 1);
    record.AddValue(6);
    record.AddValue(8);
    EXPECT_EQ(record.GetAverageValue() * 10 + record.GetStandardDeviationValue(), 62.0);
    EXPECT_EQ(record.GetValue(2) + record.GetValue(-1) + record.GetValue(3), 20.0);  // 8, 6, 6
    record.ClearData();
    EXPECT_EQ(record.GetValueCount(), 0);
    EXPECT_EQ(record.m_dSNRatio, 2e12);
    // Only missing observations: both statistics 0.0.
    record.AddValue(2e12);
    record.AddValue(3e12);
    EXPECT_EQ(record.GetAverageValue() + record.GetStandardDeviationValue(), 0.0);
    // Writing past the end fills with valid zeros; a negative index throws.
    CQVRFCDOEAnalyzer::CQVRFCDOERunQualityData grown;
    EXPECT_EQ(grown.SetValue(3, 8.0), 4);
    EXPECT_EQ(grown.IsValidValue(1) + grown.GetAverageValue(), 3.0);
    EXPECT_THROW(grown.SetValue(-1, 1.0), std::invalid_argument);

    CQVRFCDOEAnalyzer::CQVRFCDOERunControlFactorData factors;
    factors.SetValue(2, 5.0);
    EXPECT_EQ(factors.GetValue(0) + factors.GetValue(3) + factors.GetValue(-1), 0.0);
    EXPECT_THROW(factors.SetValue(-1, 1.0), std::invalid_argument);
}
