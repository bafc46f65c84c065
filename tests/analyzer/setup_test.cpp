#include <gtest/gtest.h>

#include <cstdio>

#include "analyzer/QVRFCDOEAnalyzer.h"
#include "reference_data.h"
#include "support/test_support.h"

using Analyzer = CQVRFCDOEAnalyzer;
using Array = CQVRFCDOETaguchiOrthogonalArray;
using qvrfc_test::FileExists;

TEST(AnalyzerSetup, ByFactorsAndLevelsPicksTheArray) {
    double temperature[] = {150.0, 180.0}, speed[] = {1.0, 2.0}, feed[] = {0.1, 0.2};
    double* table[] = {temperature, speed, feed};
    Analyzer a;
    ASSERT_EQ(a.SetupDOE(1, 3, 2, table), 1);
    EXPECT_EQ(a.GetDOEArrayType(), Array::OA_L4);
    EXPECT_EQ(a.GetNoRun(), 4);
    EXPECT_EQ(a.GetNoFactor(), 3);
    EXPECT_EQ(a.GetNoLevel(), 2);
    // Column 0 of L4 reads 1, 1, 2, 2; column 2 reads 1, 2, 2, 1.
    EXPECT_EQ(a.GetControlFactorValue(1, 0), 150.0);
    EXPECT_EQ(a.GetControlFactorValue(2, 0), 180.0);
    EXPECT_EQ(a.GetControlFactorValue(3, 2), 0.1);
    EXPECT_TRUE(FileExists("QVRFCDOETaguchiMethod.log"));

    ASSERT_EQ(a.SetupDOE(1, 4, 2, nullptr), 1);  // four factors: L8 with seven columns
    EXPECT_EQ(a.GetDOEArrayType(), Array::OA_L8);
    EXPECT_EQ(a.GetNoFactor(), 7);
    EXPECT_EQ(a.GetControlFactorValue(0, 0), 0.0);
    EXPECT_EQ(a.GetControlFactorValue(8, 0), -1e10);
    const int l8Order[] = {0, 1, 3, 6, 2, 4, 5};
    for (int f = 0; f < 7; ++f)
        EXPECT_EQ(a.GetDOEColumnID(f), l8Order[f]);
    EXPECT_EQ(a.GetDOEColumnID(7), -1);
    EXPECT_EQ(a.GetDOEColumnID(-1), -1);

    // Refused set-ups: no quality keeps the L8 storage; no array for 1 level.
    std::remove("DOESetup.log");  // written by the successful set-ups above
    EXPECT_EQ(a.SetupDOE(0, 3, 2, nullptr), 0);
    EXPECT_EQ(a.GetNoRun(), 8);
    EXPECT_EQ(a.SetupDOE(1, 5, 1, nullptr), 0);
    EXPECT_EQ(a.SetupDOE(1, Array::OA_FULL_FACTORIAL, nullptr), 0);
    EXPECT_EQ(a.SetupDOE(1, Array::OA_UNDEFINED, nullptr), 0);
    EXPECT_EQ(a.GetNoRun(), 8);

    Analyzer untouched;
    EXPECT_EQ(untouched.SetupDOE(1, 0, 2, nullptr), 0);
    EXPECT_FALSE(FileExists("DOESetup.log"));
}

TEST(AnalyzerSetup, ArrayTypeAndBareCounts) {
    Analyzer a;
    EXPECT_EQ(a.GetDOEArrayType(), Array::OA_UNDEFINED);
    EXPECT_STREQ(a.GetDOEArrayName(), "Undefined");
    ASSERT_EQ(a.SetupDOE(2, Array::OA_L9, nullptr), 1);
    EXPECT_EQ(a.GetNoRun(), 9);
    EXPECT_EQ(a.GetNoFactor(), 4);
    EXPECT_EQ(a.GetNoLevel(), 3);
    EXPECT_EQ(a.GetNoQuality(), 2);
    EXPECT_STREQ(a.GetDOEArrayName(), "Taguchi Orthogonal Array L9(3^4)");
    EXPECT_EQ(a.GetDOEColumnID(4), -1);
    EXPECT_EQ(a.GetLevel(4, 2), 3);  // L9 run 5 reads 2, 2, 3, 1
    EXPECT_EQ(a.GetLevel(9, 0), -1);
    EXPECT_EQ(a.GetLevel(0, 4), -1);

    Analyzer bare;  // counts only: no array, any column below 1000 is accepted
    ASSERT_EQ(bare.SetupDOE(1, 2, 3, 2, nullptr), 1);
    EXPECT_EQ(bare.GetLevel(0, 0), -1);
    EXPECT_EQ(bare.GetDOEColumnID(0), -1);
    EXPECT_EQ(bare.SetControlFactorID(0, 1), 0);
    CString report = "stale";
    EXPECT_EQ(bare.CheckControlFactorID(report), 1);
    EXPECT_STREQ(report, "");
}

TEST(AnalyzerSetup, ControlFactorPlacementReport) {
    Analyzer a;
    ASSERT_EQ(a.SetupDOE(1, Array::OA_L8, nullptr), 1);
    EXPECT_EQ(a.SetControlFactorID(0, 7), 0);
    EXPECT_EQ(a.SetControlFactorID(7, 0), 0);
    EXPECT_EQ(a.SetControlFactorID(1, 0), 1);
    CString report;
    EXPECT_EQ(a.CheckControlFactorID(report), 0);
    EXPECT_STREQ(report, "-Factor#1 ID= 1 (same as that of control factor#2)\r\n");
    EXPECT_EQ(a.GetLevel(1, 1), a.GetLevel(1, 0));

    // Five factors on the three columns of L4: two off the array, and a shared column.
    ASSERT_EQ(a.SetupDOE(1, Array::OA_L4, nullptr), 1);
    ASSERT_EQ(a.SetupDOE(1, 4, 5, 2, nullptr), 1);
    a.SetControlFactorID(2, 0);
    EXPECT_EQ(a.CheckControlFactorID(report), 0);
    EXPECT_STREQ(report,
                 "-Factor#1 ID= 1 (same as that of control factor#3)\r\n"
                 "-Factor#4 ID= 4 (Orthogonal Array no. factor=3)\r\n"
                 "-Factor#5 ID= 5 (Orthogonal Array no. factor=3)\r\n");
    EXPECT_EQ(a.GetLevel(0, 4), -100);
    EXPECT_EQ(a.GetDOEColumnID(3), -1);  // the array has no fourth column
}

TEST(AnalyzerSetup, QualitiesNamesAndPooledFlags) {
    Analyzer a;
    ASSERT_EQ(a.SetupDOE(2, Array::OA_L9, nullptr), 1);
    a.SetQualityFactorName(1, "Yield %s%n");
    a.SetControlFactorName(3, "Pressure");
    a.SetQualityCharacteristic(1, Analyzer::NOMINAL_THE_BEST_1, 12.5);
    EXPECT_STREQ(a.GetQualityFactorName(1), "Yield %s%n");
    EXPECT_STREQ(a.GetControlFactorName(3), "Pressure");
    EXPECT_EQ(a.GetSNRatioTypeID(1), Analyzer::NOMINAL_THE_BEST_1);
    EXPECT_EQ(a.GetQualityTarget(1), 12.5);
    a.SetFactorPooled(0, 2, 5);
    a.SetFactorPooled(0, 3, 1);
    a.SetFactorPooled(1, 3, 1);
    EXPECT_EQ(a.IsFactorPooled(0, 2), 5);
    a.ResetAllFactorUnpooled(0);
    EXPECT_EQ(a.IsFactorPooled(0, 2), 0);
    EXPECT_EQ(a.IsFactorPooled(0, 3), 0);
    EXPECT_EQ(a.IsFactorPooled(1, 3), 1);
    // A new set-up restores every default.
    a.SetupDOE(2, Array::OA_L9, nullptr);
    EXPECT_EQ(a.IsFactorPooled(1, 3), 0);
    EXPECT_STREQ(a.GetQualityFactorName(1), "Quality#2");
}

TEST(AnalyzerSetup, SetDataCopiesTheWholeExperiment) {
    Analyzer source;
    reference::SetUpDataSetB(source);
    source.SetControlFactorID(3, 0);
    source.SetQualityFactorName(0, "Strength");
    source.AppendQualityValue(0, 2, 80.0);  // cached statistics stay as they were
    source.AddQualityValueStart(0, 5);      // an open sequence is copied as it stands

    Analyzer copy;
    EXPECT_EQ(copy.SetData(nullptr), 0);
    EXPECT_EQ(copy.SetData(&copy), 0);
    Analyzer noArray;
    noArray.SetupDOE(1, 9, 4, 3, nullptr);
    EXPECT_EQ(copy.SetData(&noArray), 0);

    ASSERT_EQ(copy.SetData(&source), 1);
    EXPECT_EQ(copy.GetDOEArrayType(), Array::OA_L9);
    EXPECT_EQ(copy.GetQualityCharacteristic(0), Analyzer::LARGER_THE_BETTER);
    EXPECT_STREQ(copy.GetQualityFactorName(0), "Strength");
    EXPECT_EQ(copy.GetControlFactorID(3), 0);
    for (int run = 0; run < 9; ++run) {
        ASSERT_EQ(copy.GetRunNoQualityData(0, run), source.GetRunNoQualityData(0, run));
        for (int i = 0; i < copy.GetRunNoQualityData(0, run); ++i)
            EXPECT_EQ(copy.GetQualityValue(0, run, i), source.GetQualityValue(0, run, i));
        EXPECT_EQ(copy.GetRunQualityValue(0, run), source.GetRunQualityValue(0, run));
        EXPECT_EQ(copy.GetRunStandardDeviation(0, run), source.GetRunStandardDeviation(0, run));
        for (int f = 0; f < 4; ++f)
            EXPECT_EQ(copy.GetControlFactorValue(run, f), source.GetControlFactorValue(run, f));
    }
    EXPECT_NEAR(copy.GetRunQualityValue(0, 2), 70.12, 1e-9);  // cached before the append
    EXPECT_EQ(copy.AddQualityValueStart(0, 0), 0);            // the copied sequence is open
    EXPECT_EQ(copy.AddQualityValue(1.0), 1);
    EXPECT_EQ(source.GetRunNoQualityData(0, 5), 0);
    EXPECT_EQ(copy.GetRunNoQualityData(0, 5), 1);
}
