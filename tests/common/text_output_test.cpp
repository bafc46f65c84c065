// The checked output passes on every byte in order, whatever the buffer size, and reports
// a stream that cannot take them.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <string>

// The output is internal to the library (not exported): its source is compiled in here.
#include "common/QVRFCTextOutput.cpp"  // NOLINT(bugprone-suspicious-include)
#include "support/test_support.h"

using qvrfc::TextOutput;

TEST(TextOutput, TextCrossingTheBufferArrivesWhole) {
    const std::string name(100, 'x');
    char numbers[400];
    std::snprintf(numbers, sizeof numbers, "%12.4f%-12.4f%.4f", -3.14159, 2.5, 1e300);
    const std::string expected = "head " + name + "|42" + std::string(20, '=') + numbers;
    for (size_t capacity : {size_t{1}, size_t{7}, size_t{64}, size_t{1} << 18}) {
        qvrfc_test::StreamCapture capture;
        {
            TextOutput out(capture, capacity);
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

TEST(TextOutput, StreamInErrorFailsWithItsCause) {
    FILE* readOnly = std::fopen("/dev/null", "r");
    ASSERT_NE(readOnly, nullptr);
    TextOutput out(readOnly, 16);
    out.Put("more than sixteen bytes of text");
    errno = 0;
    EXPECT_FALSE(out.Finish());
    EXPECT_TRUE(out.Failed());
    EXPECT_EQ(errno, EBADF);
    std::fclose(readOnly);
}
