#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "common/QVRFCConstants.h"
#include "containers/QVRFCDOERunQualityFactorData.h"
#include "support/test_support.h"

using qvrfc_test::StreamCapture;

namespace {

// Two runs of three slots: run 0 holds 1, 2, 3 and run 1 holds 4, missing, 8.
CQVRFCDOERunQualityFactorData TwoRuns() {
    CQVRFCDOERunQualityFactorData data;
    EXPECT_EQ(data.CreateData(2, 3), 1);
    for (int i = 0; i < 3; ++i)
        data.SetValue(0, i + 1.0, i);
    data.SetValue(1, 4.0, 0);
    data.SetValue(1, 8.0, 2);
    return data;
}

std::string Written(CQVRFCDOERunQualityFactorData& data, int mode) {
    StreamCapture out;
    EXPECT_EQ(data.WriteData(out, mode), 1);
    return out.Text();
}

}  // namespace

TEST(RunQualityFactorData, PerRunAndWholeExperimentStatistics) {
    CQVRFCDOERunQualityFactorData data = TwoRuns();
    EXPECT_EQ(data.GetRunCount(), 2);
    EXPECT_EQ(data.GetQualityDataCount(1), 3);
    EXPECT_EQ(data.GetValue(1, 1), 0.0);
    EXPECT_DOUBLE_EQ(data.GetAverageValue(0), 2.0);
    EXPECT_DOUBLE_EQ(data.GetAverageValue(1), 6.0);
    EXPECT_DOUBLE_EQ(data.GetStandardDeviationValue(1), std::sqrt(8.0));
    EXPECT_DOUBLE_EQ(data.GetAverageValue(), 4.0);
    EXPECT_DOUBLE_EQ(data.GetStandardDeviationValue(), (1.0 + std::sqrt(8.0)) / 2.0);

    // Bad runs: 0 and 0.0, setters ignored.
    for (int run : {-1, 2}) {
        data.SetValue(run, 9.0, 0);
        EXPECT_EQ(data.GetQualityDataCount(run), 0);
        EXPECT_EQ(data.GetValue(run, 0), 0.0);
        EXPECT_EQ(data.GetAverageValue(run), 0.0);
        EXPECT_EQ(data.GetStandardDeviationValue(run), 0.0);
        EXPECT_EQ(data.WriteData(stdout, run, 0), 0);
    }

    // No runs asked for: storage released, the run count kept.
    EXPECT_EQ(data.CreateData(0, 3), 1);
    EXPECT_EQ(data.GetRunCount(), 2);
    EXPECT_EQ(data.GetQualityDataCount(0), 0);
    EXPECT_EQ(data.GetValue(0, 0), 0.0);
    EXPECT_EQ(data.GetAverageValue(0), 0.0);
    EXPECT_EQ(data.GetAverageValue(), 0.0);
    EXPECT_EQ(data.GetStandardDeviationValue(), 0.0);
    StreamCapture out;
    EXPECT_EQ(data.WriteData(out, 0), 0);
    EXPECT_EQ(out.Text(), "");

    // A negative slot count leaves every run at one slot without storage.
    EXPECT_EQ(data.CreateData(2, -1), 1);
    EXPECT_EQ(data.GetQualityDataCount(1), 1);
    EXPECT_EQ(Written(data, 0), "1\t   \n2\t   \n");

    // Requests beyond the slot limit fail without touching the records.
    EXPECT_EQ(data.CreateData(2147483647, 2147483647), 0);
    EXPECT_EQ(data.CreateData(1 << 20, 1 << 20), 0);
    EXPECT_EQ(data.GetRunCount(), 2);
    EXPECT_EQ(data.GetQualityDataCount(1), 1);
}

TEST(RunQualityFactorData, ReportLinesPerRun) {
    CQVRFCDOERunQualityFactorData data = TwoRuns();
    const auto lines = qvrfc_test::Lines(Written(data, 0));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "1\t   3\t 1   2   3  2\t\t1.00e+00");
    EXPECT_EQ(lines[1], "2\t   3\t 4      8  6\t\t2.83e+00");
    EXPECT_EQ(qvrfc_test::Lines(Written(data, 1))[1], "2,\t   3\t, 4  ,   , 8  ,6\t,\t2.83e+00");
    StreamCapture one;
    EXPECT_EQ(data.WriteData(one, 1, 0), 1);
    EXPECT_EQ(one.Text(), "   3\t 4      8  6\t\t2.83e+00\n");
    EXPECT_EQ(data.WriteData(nullptr, 0), 0);
    EXPECT_EQ(data.WriteData(nullptr, 0, 0), 0);
}

TEST(RunQualityFactorData, CopiesAreDeep) {
    CQVRFCDOERunQualityFactorData source = TwoRuns();
    CQVRFCDOERunQualityFactorData empty;
    CQVRFCDOERunQualityFactorData copy;
    EXPECT_EQ(copy.SetData(nullptr), 0);
    EXPECT_EQ(copy.SetData(&copy), 0);
    EXPECT_EQ(copy.SetData(&empty), 0);
    EXPECT_EQ(copy.SetData(&source), 1);
    CQVRFCDOERunQualityFactorData constructed(source);
    CQVRFCDOERunQualityFactorData assigned;
    assigned = source;
    source.SetValue(0, 100.0, 0);
    source.SetValue(1, 100.0, 1);
    for (CQVRFCDOERunQualityFactorData* other : {&copy, &constructed, &assigned}) {
        EXPECT_EQ(other->GetValue(0, 0), 1.0);
        EXPECT_EQ(other->GetValue(1, 1), 0.0);  // missing stays missing
        EXPECT_DOUBLE_EQ(other->GetAverageValue(1), 6.0);
    }
    CQVRFCDOERunQualityFactorData& self = assigned;
    assigned = self;
    EXPECT_EQ(assigned.GetValue(1, 2), 8.0);
}

TEST(RunQualityFactorData, LoadDataReadsOneGroupPerRun) {
    CQVRFCDOERunQualityFactorData data;
    data.CreateData(2, 2);
    qvrfc_test::WriteFile("runs.txt", "2 1 2\n1\n5\n");
    FILE* in = std::fopen("runs.txt", "r");
    ASSERT_NE(in, nullptr);
    EXPECT_EQ(data.LoadData(in), 1);
    std::fclose(in);
    EXPECT_EQ(data.GetValue(0, 1), 2.0);
    EXPECT_EQ(data.GetValue(1, 0), 5.0);
    EXPECT_EQ(data.GetValue(1, 1), 0.0);

    // A failing run does not stop the others from being tried.
    qvrfc_test::WriteFile("runs.txt", "0\n1 7\n");
    in = std::fopen("runs.txt", "r");
    EXPECT_EQ(data.LoadData(in), 0);
    std::fclose(in);
    EXPECT_EQ(data.GetValue(1, 0), 7.0);
    EXPECT_EQ(data.LoadData(nullptr), 0);
    CQVRFCDOERunQualityFactorData none;
    in = std::fopen("runs.txt", "r");
    EXPECT_EQ(none.LoadData(in), 0);
    std::fclose(in);
}
