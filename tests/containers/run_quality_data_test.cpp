#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "common/QVRFCConstants.h"
#include "containers/QVRFCDOERunQualityData.h"
#include "support/test_support.h"

using qvrfc_test::StreamCapture;

namespace {

std::string Written(CQVRFCDOERunQualityData& data, int mode) {
    StreamCapture out;
    EXPECT_EQ(data.WriteData(out, mode), 1);
    return out.Text();
}

// A stream holding text, positioned at its start.
FILE* Input(const std::string& text) {
    FILE* stream = std::tmpfile();
    std::fputs(text.c_str(), stream);
    std::rewind(stream);
    return stream;
}

std::string Rest(FILE* stream) {
    std::string rest;
    for (int c; (c = std::fgetc(stream)) != EOF;)
        rest += static_cast<char>(c);
    return rest;
}

}  // namespace

TEST(RunQualityData, DefaultRecordHasOneSlotWithoutStorage) {
    CQVRFCDOERunQualityData data;
    EXPECT_EQ(data.GetQualityDataCount(), 1);
    EXPECT_EQ(data.IsValidValue(0), 0);
    EXPECT_EQ(data.GetValue(0), 0.0);
    data.SetValue(5.0, 0);
    EXPECT_EQ(data.GetValue(0), 0.0);
    EXPECT_EQ(data.GetAverageValue(), 0.0);
    EXPECT_EQ(data.GetStandardDeviationValue(), 0.0);
    EXPECT_EQ(Written(data, 0), "   \n");
    EXPECT_EQ(Written(data, 1), "   ,\n");
    EXPECT_EQ(data.WriteData(nullptr, 0), 0);
}

TEST(RunQualityData, ValuesStatisticsAndReportLine) {
    CQVRFCDOERunQualityData data;
    EXPECT_EQ(data.CreateData(-1), 0);
    EXPECT_EQ(data.GetQualityDataCount(), 1);
    EXPECT_EQ(data.CreateData(3), 1);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(data.IsValidValue(i), 0);
    for (int i = 0; i < 3; ++i)
        data.SetValue(i + 1.0, i);
    data.SetValue(9.0, 3);
    data.SetValue(9.0, -1);
    EXPECT_DOUBLE_EQ(data.GetAverageValue(), 2.0);
    EXPECT_DOUBLE_EQ(data.GetStandardDeviationValue(), 1.0);
    EXPECT_EQ(Written(data, 0), "   3\t 1   2   3  2\t\t1.00e+00\n");
    EXPECT_EQ(Written(data, 1), "   3\t, 1  , 2  , 3  ,2\t,\t1.00e+00\n");

    // Missing slots are skipped and written blank; exactly 1e12 is an observation.
    data.SetValue(qvrfc::kMissingValue, 1);
    EXPECT_EQ(data.IsValidValue(1), 0);
    EXPECT_DOUBLE_EQ(data.GetAverageValue(), 2.0);
    EXPECT_DOUBLE_EQ(data.GetStandardDeviationValue(), std::sqrt(2.0));
    EXPECT_EQ(Written(data, 0), "   3\t 1      3  2\t\t1.41e+00\n");
    data.SetValue(1e12 + 1.0, 0);
    EXPECT_DOUBLE_EQ(data.GetAverageValue(), 3.0);
    EXPECT_EQ(data.GetStandardDeviationValue(), 0.0);
    data.SetValue(1e12, 0);
    EXPECT_EQ(data.IsValidValue(0), 1);
    EXPECT_DOUBLE_EQ(data.GetAverageValue(), (1e12 + 3.0) / 2.0);

    // With no observation the average is 0.0 and cached as such.
    data.CreateData(2);
    EXPECT_DOUBLE_EQ(data.GetAverageValue(), (1e12 + 3.0) / 2.0);  // caches survive CreateData
    data.SetValue(qvrfc::kMissingValue, 0);
    EXPECT_EQ(data.GetAverageValue(), 0.0);
    EXPECT_EQ(data.GetStandardDeviationValue(), 0.0);
    EXPECT_EQ(Written(data, 0), "   2\t      0\t\t0.00e+00\n");

    // A request beyond the slot limit fails and keeps the record as it was.
    EXPECT_EQ(data.CreateData(CQVRFCDOERunQualityData::kMaxSlots + 1), 0);
    EXPECT_EQ(data.GetQualityDataCount(), 2);
    EXPECT_EQ(data.CreateData(2147483647), 0);
}

TEST(RunQualityData, CopiesKeepMissingSlotsAndOwnTheirStorage) {
    CQVRFCDOERunQualityData source;
    source.CreateData(3);
    source.SetValue(1.0, 0);
    source.SetValue(5.0, 2);
    EXPECT_DOUBLE_EQ(source.GetAverageValue(), 3.0);

    CQVRFCDOERunQualityData copy;
    EXPECT_EQ(copy.SetData(nullptr), 0);
    EXPECT_EQ(copy.SetData(&copy), 0);
    EXPECT_EQ(copy.SetData(&source), 1);
    EXPECT_EQ(copy.GetQualityDataCount(), 3);
    EXPECT_EQ(copy.IsValidValue(1), 0);  // still missing, not a valid 0.0
    EXPECT_EQ(copy.GetValue(2), 5.0);
    EXPECT_DOUBLE_EQ(copy.GetAverageValue(), 3.0);
    copy.SetValue(7.0, 2);
    EXPECT_DOUBLE_EQ(copy.GetAverageValue(), 4.0);
    EXPECT_EQ(source.GetValue(2), 5.0);

    CQVRFCDOERunQualityData constructed(source);
    CQVRFCDOERunQualityData assigned;
    assigned = source;
    source.SetValue(8.0, 0);
    EXPECT_EQ(constructed.GetValue(0), 1.0);
    EXPECT_EQ(assigned.GetValue(0), 1.0);
    EXPECT_EQ(assigned.IsValidValue(1), 0);
    CQVRFCDOERunQualityData& self = assigned;
    assigned = self;
    EXPECT_EQ(assigned.GetValue(2), 5.0);

    // A record without storage copies as one without storage.
    CQVRFCDOERunQualityData bare;
    EXPECT_EQ(assigned.SetData(&bare), 1);
    EXPECT_EQ(assigned.GetQualityDataCount(), 1);
    EXPECT_EQ(Written(assigned, 0), "   \n");
}

TEST(RunQualityData, LoadDataReadsCountAndValues) {
    CQVRFCDOERunQualityData data;
    data.CreateData(2);
    FILE* in = Input("3 1.5 2.5 3.5 next");
    EXPECT_EQ(data.LoadData(in), 1);
    EXPECT_EQ(data.GetValue(0), 1.5);
    EXPECT_EQ(data.GetValue(1), 2.5);
    EXPECT_EQ(Rest(in), " next");
    std::fclose(in);

    // Fewer values than slots: the rest keep what they held.
    in = Input("1 4");
    EXPECT_EQ(data.LoadData(in), 1);
    EXPECT_EQ(data.GetValue(0), 4.0);
    EXPECT_EQ(data.GetValue(1), 2.5);
    std::fclose(in);

    // An unreadable number ends the read: no value is repeated into the next slot.
    in = Input("2 6 x 7");
    EXPECT_EQ(data.LoadData(in), 0);
    EXPECT_EQ(data.GetValue(0), 6.0);
    EXPECT_EQ(data.GetValue(1), 2.5);
    EXPECT_EQ(Rest(in), "x 7");
    std::fclose(in);

    // Bad or absurd counts read nothing more, or only what the stream holds.
    for (const char* text : {"0 5", "-3 5", "x", "", "2147483647 8 9"}) {
        in = Input(text);
        EXPECT_EQ(data.LoadData(in), 0) << text;
        std::fclose(in);
    }
    EXPECT_EQ(data.GetValue(0), 8.0);
    EXPECT_EQ(data.GetValue(1), 9.0);
    EXPECT_EQ(data.LoadData(nullptr), 0);
}
