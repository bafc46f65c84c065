#include <gtest/gtest.h>

#include <stdexcept>

#include "analyzer/QVRFCDOEAnalyzer.h"
#include "reference_data.h"
#include "support/test_support.h"

using Analyzer = CQVRFCDOEAnalyzer;
using Record = CQVRFCDOEAnalyzer::CQVRFCDOERunQualityData;

TEST(RunRecord, StatisticsCacheAndGrowth) {
    Record record;
    EXPECT_EQ(record.GetAverageValue(), 2e12);
    EXPECT_EQ(record.GetStandardDeviationValue(), 2e12);
    EXPECT_EQ(record.ComputeStatistics(), 0);
    EXPECT_EQ(record.AddValue(4), 1);
    record.AddValue(6);
    record.AddValue(8);
    EXPECT_EQ(record.GetAverageValue(), 6.0);
    EXPECT_EQ(record.GetStandardDeviationValue(), 2.0);
    EXPECT_EQ(record.GetValue(-1), 6.0);
    EXPECT_EQ(record.GetValue(3), 6.0);
    EXPECT_EQ(record.GetValue(2), 8.0);
    EXPECT_EQ(record.IsValidValue(3), 0);
    record.ClearData();
    EXPECT_EQ(record.GetValueCount(), 0);
    EXPECT_EQ(record.m_dSNRatio, 2e12);
    EXPECT_EQ(record.GetAverageValue(), 2e12);
    // Only missing observations: both statistics 0.0.
    record.AddValue(2e12);
    record.AddValue(3e12);
    EXPECT_EQ(record.GetAverageValue(), 0.0);
    EXPECT_EQ(record.GetStandardDeviationValue(), 0.0);
    // Writing past the end fills with valid zeros; a negative index throws.
    Record grown;
    EXPECT_EQ(grown.SetValue(3, 8.0), 4);
    EXPECT_EQ(grown.GetValue(1), 0.0);
    EXPECT_EQ(grown.IsValidValue(1), 1);
    EXPECT_EQ(grown.GetAverageValue(), 2.0);
    EXPECT_THROW(grown.SetValue(-1, 1.0), std::invalid_argument);

    CQVRFCDOEAnalyzer::CQVRFCDOERunControlFactorData factors;
    factors.SetValue(2, 5.0);
    EXPECT_EQ(factors.GetValue(2), 5.0);
    EXPECT_EQ(factors.GetValue(0), 0.0);
    EXPECT_EQ(factors.GetValue(3), 0.0);
    EXPECT_EQ(factors.GetValue(-1), 0.0);
    EXPECT_THROW(factors.SetValue(-1, 1.0), std::invalid_argument);
}

TEST(AnalyzerDataModel, SizingDefaultsAndClear) {
    Analyzer a;
    EXPECT_EQ(a.GetNoQuality() + a.GetNoRun() + a.GetNoFactor() + a.GetNoLevel(), 0);
    ASSERT_EQ(a.SetupDOE(2, CQVRFCDOETaguchiOrthogonalArray::OA_L8, nullptr), 1);
    EXPECT_EQ(a.GetQualityCount(), 2);
    EXPECT_EQ(a.GetRunCount(), 8);
    EXPECT_EQ(a.GetFactorCount(), 7);
    EXPECT_EQ(a.GetLevelCount(), 2);
    for (int f = 0; f < 7; ++f) {
        EXPECT_EQ(a.GetControlFactorID(f), f);
        EXPECT_STREQ(a.GetControlFactorName(f), ("Factor#" + std::to_string(f + 1)).c_str());
        EXPECT_EQ(a.IsFactorPooled(1, f), 0);
    }
    for (int q = 0; q < 2; ++q) {
        EXPECT_STREQ(a.GetQualityFactorName(q), ("Quality#" + std::to_string(q + 1)).c_str());
        EXPECT_EQ(a.GetQualityCharacteristic(q), Analyzer::NOMINAL_THE_BEST_3);
        EXPECT_EQ(a.GetQualityTarget(q), 0.0);
    }
    // A refused set-up keeps the experiment.
    EXPECT_EQ(a.SetupDOE(0, 4, 3, 2, nullptr), 0);
    EXPECT_EQ(a.GetNoRun(), 8);
    EXPECT_EQ(a.GetRunNoQualityData(1, 7), 0);
    a.AppendQualityValue(1, 7, 3.0);

    EXPECT_EQ(a.Clear(), 1);
    EXPECT_EQ(a.GetNoQuality(), 2);
    EXPECT_EQ(a.GetNoRun(), 8);
    EXPECT_EQ(a.GetNoFactor(), 7);
    EXPECT_EQ(a.GetNoLevel(), 2);
    EXPECT_EQ(a.GetRunNoQualityData(1, 7), 0);
    EXPECT_EQ(a.GetQualityValue(0, 0, 0), -1.0);
    EXPECT_EQ(a.GetDOEArrayType(), CQVRFCDOETaguchiOrthogonalArray::OA_L8);  // array kept
}

// Without storage (fresh or cleared) and with indexes outside the counts, every
// accessor answers its failure value and nothing is written.
TEST(AnalyzerDataModel, NoStorageAndBadIndexesTouchNothing) {
    Analyzer fresh, cleared, ready;
    cleared.SetupDOE(1, CQVRFCDOETaguchiOrthogonalArray::OA_L4, nullptr);
    cleared.Clear();
    ready.SetupDOE(1, CQVRFCDOETaguchiOrthogonalArray::OA_L4, nullptr);
    const struct {
        Analyzer* a;
        int quality, factor;
    } cases[] = {{&fresh, 0, 0}, {&cleared, 0, 0}, {&ready, 1, 3}, {&ready, -1, -1}};
    for (const auto& c : cases) {
        Analyzer& a = *c.a;
        a.SetControlFactorName(c.factor, "x");
        a.SetQualityFactorName(c.quality, "x");
        a.SetQualityCharacteristic(c.quality, Analyzer::LARGER_THE_BETTER, 1.0);
        a.SetFactorPooled(c.quality, c.factor, 1);
        a.ResetAllFactorUnpooled(c.quality);
        EXPECT_EQ(a.GetControlFactorID(c.factor), -1);
        EXPECT_STREQ(a.GetControlFactorName(c.factor), "");
        EXPECT_STREQ(a.GetQualityFactorName(c.quality), "");
        EXPECT_EQ(a.GetQualityCharacteristic(c.quality), -1);
        EXPECT_EQ(a.GetSNRatioTypeID(c.quality), -1);
        EXPECT_STREQ(a.GetSNRatioType(c.quality), "Unknown");
        EXPECT_EQ(a.GetQualityTarget(c.quality), 0.0);
        EXPECT_EQ(a.IsFactorPooled(c.quality, c.factor), 0);
        EXPECT_EQ(a.GetRunNoQualityData(c.quality, 0), 0);
        EXPECT_EQ(a.GetControlFactorValue(0, c.factor), -1e10);
        EXPECT_EQ(a.SetControlFactorValue(0, c.factor, 1.0), 0);
        // S/N forms on a quality and run answer their failure values.
        EXPECT_EQ(a.GetSNRatio(c.quality, 0) + a.GetSNRatioLargerTheBetter(c.quality, 0), 0.0);
        EXPECT_EQ(a.GetSNRatio(c.quality, 0, Analyzer::NOMINAL_THE_BEST_1, 1.0), 0.0);
        EXPECT_EQ(a.GetSNRatioNominalTheBest4(c.quality, 0) + a.GetSensitivity(c.quality, 0), 0.0);
        EXPECT_EQ(a.GetMeanSquareDeviation(c.quality, 0), -1.0);
        EXPECT_EQ(a.GetCoefficientOfVariation(c.quality, 0), -1e10);
    }
    EXPECT_STREQ(ready.GetQualityFactorName(0), "Quality#1");
    EXPECT_STREQ(ready.GetControlFactorName(2), "Factor#3");
}

TEST(AnalyzerDataModel, CopiesAreDeepAndWriteNoFiles) {
    Analyzer source;
    reference::SetUpDataSetB(source);
    source.SetControlFactorName(1, "Speed");
    source.SetFactorPooled(0, 2, 1);
    std::remove("QVRFCDOETaguchiMethod.log");

    Analyzer copy(source);
    Analyzer assigned;
    assigned.SetupDOE(3, CQVRFCDOETaguchiOrthogonalArray::OA_L4, nullptr);
    std::remove("QVRFCDOETaguchiMethod.log");
    std::remove("DOESetup.log");  // written by the set-ups above
    assigned = source;
    assigned = assigned;
    EXPECT_FALSE(qvrfc_test::FileExists("QVRFCDOETaguchiMethod.log"));
    EXPECT_FALSE(qvrfc_test::FileExists("DOESetup.log"));

    for (Analyzer* a : {&copy, &assigned}) {
        EXPECT_EQ(a->GetLevel(8, 3), 1);
        EXPECT_STREQ(a->GetControlFactorName(1), "Speed");
        EXPECT_EQ(a->IsFactorPooled(0, 2), 1);
        EXPECT_EQ(a->GetQualityValue(0, 4, 2), 104.8);
        EXPECT_NEAR(a->GetRunQualityValue(0, 0), 66.22, 1e-9);
        EXPECT_EQ(a->GetControlFactorValue(8, 3), source.GetControlFactorValue(8, 3));
    }
    // Changing or re-setting the source leaves the copies alone, and the reverse.
    source.SetQualityValue(0, 4, 1.0, 2);
    source.SetupDOE(1, CQVRFCDOETaguchiOrthogonalArray::OA_L4, nullptr);
    copy.SetControlFactorName(1, "Feed");
    EXPECT_EQ(assigned.GetQualityValue(0, 4, 2), 104.8);
    EXPECT_EQ(assigned.GetDOEArrayType(), CQVRFCDOETaguchiOrthogonalArray::OA_L9);
    EXPECT_EQ(assigned.GetLevel(8, 3), 1);
    EXPECT_STREQ(assigned.GetControlFactorName(1), "Speed");

    copy = Analyzer();
    EXPECT_EQ(copy.GetNoRun(), 0);
    EXPECT_EQ(copy.GetDOEArrayType(), CQVRFCDOETaguchiOrthogonalArray::OA_UNDEFINED);
}
