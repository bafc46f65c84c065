// Setting an experiment up, entering observations, and copies of every class that owns
// storage: constructed, assigned and SetData copies are deep, a copy onto itself changes
// nothing, and copying writes no file.
#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "qvrfc/containers/QVRFCDOERunQualityFactorData.h"
#include "qvrfc/statistics/QVRFCStatistics.h"
#include "reference_data.h"
#include "support/golden.h"
#include "support/test_support.h"

using qvrfc_test::FileExists;
using qvrfc_test::StreamCapture;

namespace {

std::vector<int> Counts(const Analyzer& a) {
    return {a.GetDOEArrayType(), a.GetNoQuality(), a.GetNoRun(), a.GetNoFactor(), a.GetNoLevel()};
}

// fill sets an object up, change alters it, and state shows all of it as text.
template <class T, class Fill, class Change, class State>
void ExpectDeepCopies(Fill fill, Change change, State state) {
    T source;
    fill(source);
    const std::string before = state(source);
    std::remove("DOESetup.log");
    std::remove("QVRFCDOETaguchiMethod.log");
    T constructed(source), assigned, set;
    assigned = source;
    T& self = assigned;
    assigned = self;
    EXPECT_FALSE(qvrfc_test::FileExists("DOESetup.log"));
    EXPECT_FALSE(qvrfc_test::FileExists("QVRFCDOETaguchiMethod.log"));
    EXPECT_EQ(set.SetData(nullptr) + set.SetData(&set), 0);
    EXPECT_EQ(set.SetData(&source), 1);
    change(source);
    EXPECT_NE(state(source), before);
    for (T* copy : {&constructed, &assigned, &set})
        EXPECT_EQ(state(*copy), before);
    change(constructed);
    EXPECT_EQ(state(assigned), before);
}

template <class T>
std::string Written(T& data) {
    StreamCapture out;
    data.WriteData(out, 0);
    return out.Text();
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

TEST(Copies, AreDeepAndOwnTheirStorage) {
    using Analyzer = CQVRFCDOEAnalyzer;
    ExpectDeepCopies<Analyzer>(
        [](Analyzer& a) {
            reference::SetUpDataSetB(a);
            a.SetControlFactorName(1, "Speed");
            a.SetFactorPooled(0, 2, 1);
        },
        [](Analyzer& a) { a.SetQualityValue(0, 4, 1.0, 2), a.SetControlFactorName(1, "Feed"); },
        [](const Analyzer& a) {
            a.Writer("state.log", "x");
            return qvrfc_test::MaskTimes(qvrfc_test::ReadFile("state.log"));
        });

    using OA = CQVRFCDOETaguchiOrthogonalArray;
    ExpectDeepCopies<OA>([](OA& a) { a.SetTable(OA::OA_L9); }, [](OA& a) { a.ClearData(); },
                         [](OA& a) {
                             StreamCapture out;
                             a.Writer(out.get(), "x");
                             return out.Text();
                         });

    using Record = CQVRFCDOERunQualityData;  // the middle slot stays missing
    ExpectDeepCopies<Record>(
        [](Record& a) { a.CreateData(3), a.SetValue(1.0, 0), a.SetValue(5.0, 2); },
        [](Record& a) { a.SetValue(8.0, 1); }, Written<Record>);

    using Records = CQVRFCDOERunQualityFactorData;
    ExpectDeepCopies<Records>(
        [](Records& a) { a.CreateData(2, 3), a.SetValue(0, 1.0, 0), a.SetValue(1, 8.0, 2); },
        [](Records& a) { a.SetValue(1, 100.0, 1); }, Written<Records>);

    using Stats = CQVRFCStatistics;
    ExpectDeepCopies<Stats>(
        [](Stats& a) {
            a.ComputAvgBegin(1, 1);
            a.ComputAvgAdd(1.0, 1.0), a.ComputAvgAdd(4.0, 1.0), a.ComputAvgEnd();
            a.ComputDistributionBegin(3, 1.0, 0.0);
            a.ComputDistributionAdd(1.0), a.ComputDistributionAdd(4.0);
            a.ComputDistributionEnd(1);
        },
        [](Stats& a) { a.SetGroupCount(0, 99), a.SetGroupRange(1, 2.5, 3.5); },
        [](const Stats& a) {
            return std::to_string(a.GetGroupCount(0)) + " " + std::to_string(a.GetGroupTo(1)) +
                   " " + std::to_string(a.GetStandardDeviation());
        });
}
