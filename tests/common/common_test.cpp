#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <vector>

#include "common/CString.h"
#include "common/QVRFCConstants.h"
#include "common/QVRFCDoubleArray.h"
#include "common/QVRFCPlatform.h"
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
