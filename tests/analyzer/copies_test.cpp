// Copies of every class that owns storage: constructed, assigned and SetData copies are deep,
// a copy onto itself changes nothing, and copying writes no file.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "analyzer/QVRFCDOEAnalyzer.h"
#include "containers/QVRFCDOERunQualityFactorData.h"
#include "reference_data.h"
#include "statistics/QVRFCStatistics.h"
#include "support/golden.h"
#include "support/test_support.h"

using qvrfc_test::StreamCapture;

namespace {

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
