#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "analyzer/QVRFCDOEAnalyzer.h"
#include "reference_data.h"

using Analyzer = CQVRFCDOEAnalyzer;
using Array = CQVRFCDOETaguchiOrthogonalArray;

TEST(QualityEntry, SequenceComputesStatisticsAndSNRatio) {
    Analyzer a;
    ASSERT_EQ(a.SetupDOE(2, Array::OA_L4, nullptr), 1);
    double average = -7.0, deviation = -7.0;
    EXPECT_EQ(a.AddQualityValue(1.0), 0);  // nothing open
    EXPECT_EQ(a.AddQualityValueEnd(average, deviation), 0);
    ASSERT_EQ(a.AddQualityValueStart(0, 0), 1);
    EXPECT_EQ(a.AddQualityValueStart(1, 1), 0);  // the first sequence stays open
    for (double v : {4.0, 6.0, 8.0})
        EXPECT_EQ(a.AddQualityValue(v), 1);
    EXPECT_EQ(a.AddQualityValueEnd(average, deviation), 1);
    EXPECT_EQ(std::vector<double>({average, deviation, a.GetRunQualityValue(0, 0),
                                   a.GetRunStandardDeviation(0, 0), a.GetQualityValue(0, 0, 2),
                                   a.GetQualityValue(0, 0, -1), a.GetAveragedQualityValue(0, 0)}),
              std::vector<double>({6, 2, 6, 2, 8, 6, 6}));
    EXPECT_EQ(a.GetRunNoQualityData(0, 0), 3);

    // No value: End returns 0, leaves the arguments and still stores an S/N ratio.
    average = deviation = -7.0;
    ASSERT_EQ(a.AddQualityValueStart(1, 1), 1);
    EXPECT_EQ(a.AddQualityValueEnd(average, deviation), 0);
    EXPECT_EQ(average + deviation, -14.0);
    EXPECT_EQ(a.GetRunQualityValue(1, 1), 2e12);
    EXPECT_EQ(a.AddQualityValueStart(1, 1), 1);  // closed again

    // A run entered twice keeps the second observations only.
    a.AddQualityValue(9.0);
    a.AddQualityValueEnd(average, deviation);
    EXPECT_EQ(reference::EnterRun(a, 1, 1, {5.0, 2e12}), 1);
    EXPECT_EQ(a.GetRunQualityValue(1, 1), 5.0);
    EXPECT_EQ(a.GetRunStandardDeviation(1, 1), 0.0);
    EXPECT_EQ(a.GetRunNoQualityData(1, 1), 2);
    EXPECT_EQ(a.GetQualityValue(1, 1, 1), 2e12);
}

TEST(QualityEntry, PlainWritesLeaveTheCacheAlone) {
    Analyzer a;
    ASSERT_EQ(a.SetupDOE(1, Array::OA_L4, nullptr), 1);
    reference::EnterRun(a, 0, 0, {4.0, 6.0});
    EXPECT_EQ(a.AppendQualityValue(0, 0, 8.0), 1);
    EXPECT_EQ(a.GetRunNoQualityData(0, 0), 3);
    EXPECT_EQ(a.GetRunQualityValue(0, 0), 5.0);

    EXPECT_EQ(a.SetQualityValue(0, 1, 7.0, 2), 1);
    EXPECT_EQ(std::vector<double>({a.GetQualityValue(0, 1, 0), a.GetQualityValue(0, 1, 1),
                                   a.GetQualityValue(0, 1, 2)}),
              std::vector<double>({0, 0, 7}));
    EXPECT_DOUBLE_EQ(a.GetRunQualityValue(0, 1), 7.0 / 3.0);
    a.SetQualityValue(0, 1, 70.0, 0);
    EXPECT_DOUBLE_EQ(a.GetRunQualityValue(0, 1), 7.0 / 3.0);  // computed once, then kept
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
    EXPECT_EQ(a.AddQualityValue(1.0), 0);
    EXPECT_EQ(a.AddQualityValueStart(0, 0), 0);
    double average = -7.0, deviation = -7.0;
    EXPECT_EQ(a.AddQualityValueEnd(average, deviation), 0);
    EXPECT_EQ(average, -7.0);
    EXPECT_EQ(a.AddQualityValueStart(0, 0), 1);
    a.Clear();
    EXPECT_EQ(a.AddQualityValue(1.0), 0);
    EXPECT_EQ(a.AddQualityValueEnd(average, deviation), 0);
    ASSERT_EQ(a.SetupDOE(1, Array::OA_L4, nullptr), 1);
    EXPECT_EQ(reference::EnterRun(a, 0, 0, {1.0, 3.0}), 1);
}
