#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "analyzer/QVRFCDOEAnalyzer.h"
#include "reference_data.h"

TEST(QualityEntry, SequenceComputesStatisticsAndSNRatio) {
    Analyzer a;
    ASSERT_EQ(a.SetupDOE(2, Array::OA_L4, nullptr), 1);
    double average = -7.0, deviation = -7.0;
    EXPECT_EQ(a.AddQualityValue(1.0) + a.AddQualityValueEnd(average, deviation), 0);  // none open
    ASSERT_EQ(a.AddQualityValueStart(0, 0), 1);
    EXPECT_EQ(a.AddQualityValueStart(1, 1), 0);  // the first sequence stays open
    for (double v : {4.0, 6.0, 8.0})
        EXPECT_EQ(a.AddQualityValue(v), 1);
    EXPECT_EQ(a.AddQualityValueEnd(average, deviation), 1);
    EXPECT_EQ(std::vector<double>({average, deviation, a.GetRunQualityValue(0, 0),
                                   a.GetRunStandardDeviation(0, 0), a.GetQualityValue(0, 0, 2),
                                   a.GetQualityValue(0, 0, -1), a.GetAveragedQualityValue(0, 0),
                                   1.0 * a.GetRunNoQualityData(0, 0)}),
              std::vector<double>({6, 2, 6, 2, 8, 6, 6, 3}));

    // No value: End returns 0, leaves the arguments and closes the sequence.
    average = deviation = -7.0;
    ASSERT_EQ(a.AddQualityValueStart(1, 1), 1);
    EXPECT_EQ(a.AddQualityValueEnd(average, deviation), 0);
    EXPECT_EQ(average + deviation, -14.0);
    EXPECT_EQ(a.GetRunQualityValue(1, 1), 2e12);
    // A run entered twice keeps the second observations only.
    EXPECT_EQ(reference::EnterRun(a, 1, 1, {9.0}), 1);
    EXPECT_EQ(reference::EnterRun(a, 1, 1, {5.0, 2e12}), 1);
    EXPECT_EQ(std::vector<double>({a.GetRunQualityValue(1, 1), a.GetRunStandardDeviation(1, 1),
                                   1.0 * a.GetRunNoQualityData(1, 1), a.GetQualityValue(1, 1, 1)}),
              std::vector<double>({5, 0, 2, 2e12}));
}

TEST(QualityEntry, PlainWritesLeaveTheCacheAlone) {
    Analyzer a;
    ASSERT_EQ(a.SetupDOE(1, Array::OA_L4, nullptr), 1);
    reference::EnterRun(a, 0, 0, {4.0, 6.0});
    EXPECT_EQ(a.AppendQualityValue(0, 0, 8.0), 1);
    EXPECT_EQ(a.GetRunNoQualityData(0, 0), 3);
    EXPECT_EQ(a.GetRunQualityValue(0, 0), 5.0);
    // Writing past the end fills with zeros; the statistics are computed once, then kept.
    EXPECT_EQ(a.SetQualityValue(0, 1, 7.0, 2), 1);
    EXPECT_EQ(a.GetQualityValue(0, 1, 0) + a.GetQualityValue(0, 1, 1), 0.0);
    EXPECT_DOUBLE_EQ(a.GetRunQualityValue(0, 1), 7.0 / 3.0);
    a.SetQualityValue(0, 1, 70.0, 0);
    EXPECT_DOUBLE_EQ(a.GetRunQualityValue(0, 1), 7.0 / 3.0);
    // Indexes are checked before the repetition index is.
    EXPECT_THROW(a.SetQualityValue(0, 2, 1.0, -1), std::invalid_argument);
}

// A sequence that a smaller set-up or Clear left outside the storage accepts no
// values, and End closes it so that new sequences can be opened.
TEST(QualityEntry, SequenceOutsideTheStorageIsClosedByEnd) {
    Analyzer a;
    ASSERT_EQ(a.SetupDOE(1, Array::OA_L9, nullptr), 1);
    ASSERT_EQ(a.AddQualityValueStart(0, 8), 1);
    ASSERT_EQ(a.SetupDOE(1, Array::OA_L4, nullptr), 1);
    EXPECT_EQ(a.AddQualityValue(1.0) + a.AddQualityValueStart(0, 0), 0);
    double average = -7.0, deviation = -7.0;
    EXPECT_EQ(a.AddQualityValueEnd(average, deviation), 0);
    EXPECT_EQ(average, -7.0);
    EXPECT_EQ(a.AddQualityValueStart(0, 0), 1);
    a.Clear();
    EXPECT_EQ(a.AddQualityValue(1.0) + a.AddQualityValueEnd(average, deviation), 0);
    ASSERT_EQ(a.SetupDOE(1, Array::OA_L4, nullptr), 1);
    EXPECT_EQ(reference::EnterRun(a, 0, 0, {1.0, 3.0}), 1);
}
