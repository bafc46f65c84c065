// The small common pieces: text, growing arrays, time stamps, the error exit and the checked
// output, which passes on every byte in order whatever its buffer size.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <vector>

#include "qvrfc/common/CString.h"
#include "qvrfc/common/QVRFCConstants.h"
#include "qvrfc/common/QVRFCDoubleArray.h"
#include "qvrfc/common/QVRFCPlatform.h"
// The output is internal to the library (not exported): its source is compiled in here.
#include "common/QVRFCTextOutput.cpp"  // NOLINT(bugprone-suspicious-include)
#include "support/golden.h"
#include "support/test_support.h"

// Text that looks like a format stays text when passed as an argument; the name ending
// decides the report style.
TEST(CString, FormatAndCaseBlindEnding) {
    CString s;
    s.Format("%s", "%s%n");
    s.AppendFormat("%c%d", 'A', 2);
    EXPECT_STREQ(s, "%s%nA2");
    EXPECT_STREQ(s.Right(100), "%s%nA2");
    EXPECT_STREQ(s.Right(0), "");
    EXPECT_EQ(CString("report.CSV").Right(3).CompareNoCase("csv"), 0);
}

TEST(DoubleArray, GrowsWithZerosAndRejectsNegativeIndex) {
    CQVRFCDoubleArray a;
    EXPECT_EQ(a.GetData(), nullptr);
    EXPECT_EQ(a.Add(5.0), 0);
    a.SetAtGrow(3, 7.0);
    EXPECT_EQ(std::vector<double>(a.GetData(), a.GetData() + a.GetSize()),
              (std::vector<double>{5, 0, 0, 7}));
    EXPECT_THROW(a.SetAtGrow(-1, 1.0), std::invalid_argument);
    EXPECT_EQ(a.GetSize(), 4);
}

TEST(Platform, TimeStampShapeAndMissingValues) {
    CString text("old");
    EXPECT_EQ(&GetCurrentTimeString(text), &text);
    EXPECT_EQ(qvrfc_test::MaskTimes(text.str()), "<time>");
    EXPECT_TRUE(qvrfc::IsMissing(qvrfc::kMissingValue));
    EXPECT_FALSE(qvrfc::IsMissing(1e12));
}

TEST(PlatformDeathTest, ErrorExitPrintsAndEndsWithStatusOne) {
    EXPECT_EXIT(QVRFCErrorExit("Vector check bound error!\n"), testing::ExitedWithCode(1), "");
    const std::string out = qvrfc_test::CaptureStdout([] {
        if (fork() == 0) QVRFCErrorExit("boom");
        int status = 0;
        wait(&status);
    });
    EXPECT_EQ(out, "@@@@( Error: boom\n");
}

TEST(TextOutput, TextCrossingTheBufferArrivesWhole) {
    const std::string name(100, 'x');
    char numbers[400];
    std::snprintf(numbers, sizeof numbers, "%12.4f%-12.4f%.4f", -3.14159, 2.5, 1e300);
    const std::string expected = "head " + name + "|42" + std::string(20, '=') + numbers;
    for (size_t capacity : {size_t{1}, size_t{7}, size_t{64}, size_t{1} << 18}) {
        qvrfc_test::StreamCapture capture;
        {
            qvrfc::TextOutput out(capture, capacity);
            out.Put("head ");
            out.Format("%s|%d", name.c_str(), 42);
            out.Repeat('=', 20);
            out.Fixed4(-3.14159, 12, false);
            out.Fixed4(2.5, 12, true);
            out.Fixed4(1e300, 0, true);
            EXPECT_EQ(out.Size(), expected.size()) << capacity;
            EXPECT_TRUE(out.Finish()) << capacity;
        }
        EXPECT_EQ(capture.Text(), expected) << capacity;
    }
}
