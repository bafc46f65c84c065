// The observation records of one run and of a whole experiment: slots, statistics, report
// lines and the reader of counted groups.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "common/QVRFCConstants.h"
#include "containers/QVRFCDOERunQualityData.h"
#include "containers/QVRFCDOERunQualityFactorData.h"
#include "support/test_support.h"

using qvrfc_test::StreamCapture;
using Record = CQVRFCDOERunQualityData;
using Runs = CQVRFCDOERunQualityFactorData;

namespace {

template <class Data, class... Which>
std::string Written(Data& data, int style, Which... which) {
    StreamCapture out;
    EXPECT_EQ(data.WriteData(out, which..., style), 1);
    return out.Text();
}

// A stream holding text, positioned at its start.
FILE* Input(const std::string& text) {
    FILE* stream = std::tmpfile();
    std::fputs(text.c_str(), stream);
    std::rewind(stream);
    return stream;
}

}  // namespace

TEST(RunQualityData, SlotsStatisticsAndReportLines) {
    Record data;  // one slot without storage
    data.SetValue(5.0, 0);
    EXPECT_EQ(data.GetValue(0) + data.GetAverageValue() + data.GetStandardDeviationValue(), 0.0);
    EXPECT_EQ(Written(data, 0) + Written(data, 1), "   \n   ,\n");
    EXPECT_EQ(data.WriteData(nullptr, 0), 0);

    EXPECT_EQ(data.CreateData(-1), 0);
    EXPECT_EQ(data.CreateData(3), 1);
    EXPECT_EQ(data.IsValidValue(0), 0);
    for (int i = 0; i < 3; ++i)
        data.SetValue(i + 1.0, i);
    data.SetValue(9.0, 3);
    data.SetValue(9.0, -1);
    EXPECT_EQ(Written(data, 0), "   3\t 1   2   3  2\t\t1.00e+00\n");
    EXPECT_EQ(Written(data, 1), "   3\t, 1  , 2  , 3  ,2\t,\t1.00e+00\n");

    // Missing slots are skipped and written blank; exactly 1e12 is an observation.
    data.SetValue(qvrfc::kMissingValue, 1);
    EXPECT_EQ(data.IsValidValue(1), 0);
    EXPECT_EQ(Written(data, 0), "   3\t 1      3  2\t\t1.41e+00\n");
    data.SetValue(1e12 + 1.0, 0);
    EXPECT_DOUBLE_EQ(data.GetAverageValue(), 3.0);
    EXPECT_EQ(data.GetStandardDeviationValue(), 0.0);
    data.SetValue(1e12, 0);
    EXPECT_EQ(data.IsValidValue(0), 1);
    EXPECT_DOUBLE_EQ(data.GetAverageValue(), (1e12 + 3.0) / 2.0);

    // Caches survive CreateData; with no observation both statistics are 0.0.
    data.CreateData(2);
    EXPECT_DOUBLE_EQ(data.GetAverageValue(), (1e12 + 3.0) / 2.0);
    data.SetValue(qvrfc::kMissingValue, 0);
    EXPECT_EQ(Written(data, 0), "   2\t      0\t\t0.00e+00\n");

    // A request beyond the slot limit fails and keeps the record as it was.
    EXPECT_EQ(data.CreateData(Record::kMaxSlots + 1), 0);
    EXPECT_EQ(data.CreateData(2147483647), 0);
    EXPECT_EQ(data.GetQualityDataCount(), 2);
}

TEST(RunQualityData, LoadDataReadsCountAndValues) {
    Record data;
    data.CreateData(2);
    const struct {
        const char* text;
        int result;
        double first, second;
        const char* rest;
    } cases[] = {
        {"3 1.5 2.5 3.5 next", 1, 1.5, 2.5, " next"},
        {"1 4", 1, 4.0, 2.5, ""},         // fewer values than slots: the rest keep what they held
        {"2 6 x 7", 0, 6.0, 2.5, "x 7"},  // an unreadable number ends the read
        {"0 5", 0, 6.0, 2.5, " 5"},
        {"-3 5", 0, 6.0, 2.5, " 5"},
        {"x", 0, 6.0, 2.5, "x"},
        {"", 0, 6.0, 2.5, ""},
        {"2147483647 8 9", 0, 8.0, 9.0, ""},  // an absurd count reads what the stream holds
    };
    for (const auto& c : cases) {
        FILE* in = Input(c.text);
        EXPECT_EQ(data.LoadData(in), c.result) << c.text;
        EXPECT_EQ(data.GetValue(0), c.first) << c.text;
        EXPECT_EQ(data.GetValue(1), c.second) << c.text;
        std::string rest;
        for (int ch; (ch = std::fgetc(in)) != EOF;)
            rest += static_cast<char>(ch);
        EXPECT_EQ(rest, c.rest) << c.text;
        std::fclose(in);
    }
    EXPECT_EQ(data.LoadData(nullptr), 0);
}

TEST(RunQualityFactorData, RunsStatisticsAndReportLines) {
    Runs data;  // run 0 holds 1, 2, 3 and run 1 holds 4, missing, 8
    EXPECT_EQ(data.CreateData(2, 3), 1);
    for (int i = 0; i < 3; ++i)
        data.SetValue(0, i + 1.0, i);
    data.SetValue(1, 4.0, 0);
    data.SetValue(1, 8.0, 2);
    EXPECT_DOUBLE_EQ(data.GetAverageValue(), 4.0);
    EXPECT_DOUBLE_EQ(data.GetStandardDeviationValue(), (1.0 + std::sqrt(8.0)) / 2.0);
    EXPECT_EQ(Written(data, 0),
              "1\t   3\t 1   2   3  2\t\t1.00e+00\n2\t   3\t 4      8  6\t\t2.83e+00\n");
    EXPECT_EQ(qvrfc_test::Lines(Written(data, 1))[1], "2,\t   3\t, 4  ,   , 8  ,6\t,\t2.83e+00");
    EXPECT_EQ(Written(data, 0, 1), "   3\t 4      8  6\t\t2.83e+00\n");
    EXPECT_EQ(data.WriteData(nullptr, 0) + data.WriteData(nullptr, 0, 0), 0);
    for (int run : {-1, 2}) {  // bad runs: 0 and 0.0, setters ignored
        data.SetValue(run, 9.0, 0);
        EXPECT_EQ(data.GetQualityDataCount(run) + data.GetValue(run, 0) +
                      data.GetAverageValue(run) + data.GetStandardDeviationValue(run) +
                      data.WriteData(stdout, run, 0),
                  0.0);
    }

    // No runs asked for: storage released, the run count kept, nothing written.
    EXPECT_EQ(data.CreateData(0, 3), 1);
    EXPECT_EQ(data.GetRunCount(), 2);
    EXPECT_EQ(data.GetValue(0, 0) + data.GetAverageValue(0) + data.GetAverageValue(), 0.0);
    StreamCapture out;
    EXPECT_EQ(data.WriteData(out, 0), 0);
    EXPECT_EQ(out.Text(), "");

    // A negative slot count leaves every run at one slot without storage.
    EXPECT_EQ(data.CreateData(2, -1), 1);
    EXPECT_EQ(Written(data, 0), "1\t   \n2\t   \n");
    // Requests beyond the slot limit fail without touching the records.
    EXPECT_EQ(data.CreateData(2147483647, 2147483647), 0);
    EXPECT_EQ(data.CreateData(1 << 20, 1 << 20), 0);
    EXPECT_EQ(data.GetQualityDataCount(1), 1);
}

TEST(RunQualityFactorData, LoadDataReadsOneGroupPerRun) {
    Runs data, none;
    data.CreateData(2, 2);
    FILE* in = Input("2 1 2\n1\n5\n");
    EXPECT_EQ(data.LoadData(in), 1);
    std::fclose(in);
    EXPECT_EQ(data.GetValue(0, 1), 2.0);
    EXPECT_EQ(data.GetValue(1, 0), 5.0);
    EXPECT_EQ(data.GetValue(1, 1), 0.0);

    // A failing run does not stop the others from being tried.
    in = Input("0\n1 7\n");
    EXPECT_EQ(data.LoadData(in), 0);
    EXPECT_EQ(data.GetValue(1, 0), 7.0);
    std::rewind(in);
    EXPECT_EQ(none.LoadData(in), 0);
    std::fclose(in);
    EXPECT_EQ(data.LoadData(nullptr), 0);
}
