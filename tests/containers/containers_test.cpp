// The observation records of one run and of a whole experiment: slots, statistics, report
// lines and the reader of counted groups. Each step's state is kept as golden text.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>

#include "qvrfc/common/QVRFCConstants.h"
#include "qvrfc/containers/QVRFCDOERunQualityData.h"
#include "qvrfc/containers/QVRFCDOERunQualityFactorData.h"
#include "support/golden.h"
#include "support/test_support.h"

using qvrfc_test::StreamCapture;
using Record = CQVRFCDOERunQualityData;
using Runs = CQVRFCDOERunQualityFactorData;

namespace {

// Both report lines (or sets of lines) with WriteData's answer, for run... if given.
template <class Data, class... Run>
std::string Written(Data& data, Run... run) {
    std::string text;
    for (int style : {0, 1}) {
        StreamCapture out;
        const int result = data.WriteData(out, run..., style);
        text += "  [" + std::to_string(result) + "] " + out.Text();
        if (text.back() != '\n') text += '\n';
    }
    return text;
}

// The slots ("?" marks one without an observation), the statistics and the report lines.
std::string State(const std::string& step, Record& d) {
    std::ostringstream text;
    text.precision(15);
    text << step << ": slots";
    for (int i = 0; i < d.GetQualityDataCount(); ++i)
        text << " " << d.GetValue(i) << (d.IsValidValue(i) ? "" : "?");
    text << ", average " << d.GetAverageValue() << ", deviation " << d.GetStandardDeviationValue();
    return text.str() + "\n" + Written(d);
}

// The overall statistics and lines, then per run (one outside each end included) its count,
// first value, statistics and lines.
std::string State(const std::string& step, Runs& d) {
    std::ostringstream text;
    text.precision(15);
    text << step << ": runs " << d.GetRunCount() << ", average " << d.GetAverageValue()
         << ", deviation " << d.GetStandardDeviationValue() << "\n"
         << Written(d);
    for (int run = -1; run <= d.GetRunCount(); ++run)
        text << " run " << run << ": count " << d.GetQualityDataCount(run) << ", first "
             << d.GetValue(run, 0) << ", average " << d.GetAverageValue(run) << ", deviation "
             << d.GetStandardDeviationValue(run) << "\n"
             << Written(d, run);
    return text.str();
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
    std::string text = State("no storage, 5 set", data);
    EXPECT_EQ(data.WriteData(nullptr, 0) + data.CreateData(-1), 0);
    EXPECT_EQ(data.CreateData(3), 1);
    text += State("three slots", data);
    for (int i = 0; i < 4; ++i)
        data.SetValue(i + 1.0, i);
    data.SetValue(9.0, -1);
    text += State("1 2 3 set, 4 and 9 outside", data);
    data.SetValue(qvrfc::kMissingValue, 1);
    text += State("the second missing", data);
    data.SetValue(1e12 + 1.0, 0);
    text += State("the first just above 1e12: missing", data);
    data.SetValue(1e12, 0);
    text += State("the first exactly 1e12: an observation", data);
    data.CreateData(2);
    text += State("two slots made: the statistics cached before kept", data);
    data.SetValue(qvrfc::kMissingValue, 0);
    text += State("no observation", data);
    EXPECT_EQ(data.CreateData(Record::kMaxSlots + 1) + data.CreateData(2147483647), 0);
    text += State("requests beyond the slot limit refused", data);
    qvrfc_test::ExpectGolden("containers/run.txt", text);
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
    Runs data;
    EXPECT_EQ(data.WriteData(nullptr, 0) + data.WriteData(nullptr, 0, 0), 0);
    std::string text = State("fresh", data);
    EXPECT_EQ(data.CreateData(2, 3), 1);
    for (int i = 0; i < 3; ++i)
        data.SetValue(0, i + 1.0, i);
    for (int run : {1, -1, 2})  // the last two are ignored
        data.SetValue(run, 4.0, 0);
    data.SetValue(1, 8.0, 2);
    text += State("run 1 holds 1 2 3, run 2 holds 4, missing, 8", data);
    EXPECT_EQ(data.CreateData(0, 3), 1);
    text += State("no runs asked for: storage released, the run count kept", data);
    EXPECT_EQ(data.CreateData(2, -1), 1);
    text += State("a negative slot count: one slot without storage", data);
    EXPECT_EQ(data.CreateData(2147483647, 2147483647) + data.CreateData(1 << 20, 1 << 20), 0);
    text += State("requests beyond the slot limit refused", data);
    qvrfc_test::ExpectGolden("containers/runs.txt", text);
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
