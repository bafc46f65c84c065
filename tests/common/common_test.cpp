#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <regex>
#include <stdexcept>

#include "common/CString.h"
#include "common/QVRFCConstants.h"
#include "common/QVRFCDoubleArray.h"
#include "common/QVRFCPlatform.h"
#include "support/test_support.h"

TEST(CString, FormatRightAndCaseBlindCompare) {
    CString s;
    s.Format("Quality#%d", 12);
    EXPECT_STREQ(s, "Quality#12");
    s.AppendFormat("%c%d", 'A', 2);
    EXPECT_STREQ(s, "Quality#12A2");
    EXPECT_STREQ(s.Right(3), "2A2");
    EXPECT_STREQ(s.Right(100), "Quality#12A2");
    EXPECT_STREQ(s.Right(0), "");
    EXPECT_EQ(CString("report.CSV").Right(3).CompareNoCase("csv"), 0);
    EXPECT_NE(CString("report.csv.log").Right(3).CompareNoCase("csv"), 0);
    // Text that looks like a format is kept as text when passed as an argument.
    s.Format("%s", "%s%n");
    EXPECT_STREQ(s, "%s%n");
    CString copy = s;
    copy += "x";
    EXPECT_STREQ(s, "%s%n");
    EXPECT_EQ(copy, CString("%s%nx"));
}

TEST(DoubleArray, GrowsWithZerosAndRejectsNegativeIndex) {
    CQVRFCDoubleArray a;
    EXPECT_EQ(a.GetSize(), 0);
    EXPECT_EQ(a.GetData(), nullptr);
    EXPECT_EQ(a.Add(5.0), 0);
    a.SetAtGrow(3, 7.0);
    ASSERT_EQ(a.GetSize(), 4);
    EXPECT_EQ(a[0], 5.0);
    EXPECT_EQ(a[1], 0.0);
    EXPECT_EQ(a[2], 0.0);
    EXPECT_EQ(a[3], 7.0);
    EXPECT_EQ(a.GetData()[3], 7.0);
    EXPECT_THROW(a.SetAtGrow(-1, 1.0), std::invalid_argument);
    EXPECT_EQ(a.GetSize(), 4);
}

TEST(Platform, TimeStampShapeAndConstants) {
    CString text("old");
    CString& same = GetCurrentTimeString(text);
    EXPECT_EQ(&same, &text);
    EXPECT_TRUE(std::regex_match(text.str(), std::regex(R"(\d\d:\d\d:\d\d-\d\d-\d\d-\d{4})")))
        << text.GetString();
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
