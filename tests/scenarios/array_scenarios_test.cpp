// The array self-tests: verdicts over the catalogue and the listing of one array.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "arrays/QVRFCDOETaguchiOrthogonalArray.h"
#include "support/array_listing.h"
#include "support/test_support.h"

namespace {

using OA = CQVRFCDOETaguchiOrthogonalArray;
using Text = std::vector<std::string>;
using qvrfc_test::CaptureStdout;
using qvrfc_test::FileExists;
using qvrfc_test::Lines;
using qvrfc_test::ReadFile;
using qvrfc_test::StreamCapture;

const char kBegin1[] = "CQVRDOETaguchiOrthogonalArray::Test1()...BEGIN";
const char kEnd1[] = "CQVRDOETaguchiOrthogonalArray::Test1()...END";

}  // namespace

TEST(ArrayScenarios, Test1ReportsSixMixedArraysAsFailing) {
    StreamCapture stream;
    int result = 0;
    const std::string out = CaptureStdout([&] { result = OA::Test1(0, stream.get()); });
    EXPECT_EQ(result, 1);
    const Text verdicts = {"PASS!", "PASS!", "PASS!", "PASS!", "PASS!", "FAIL!",
                           "PASS!", "PASS!", "PASS!", "FAIL!", "FAIL!", "FAIL!",
                           "FAIL!", "FAIL!", "PASS!", "PASS!", "PASS!"};
    Text expected = {"", kBegin1};
    expected.insert(expected.end(), verdicts.begin(), verdicts.end());
    expected.insert(expected.end(), {"", kEnd1});
    EXPECT_EQ(Lines(stream.Text()), expected);

    const std::string head =
        "@@@( Taguchi Orthogonal Array L8(2^7)...@@@( Taguchi Orthogonal Array L9(3^4)..."
        "@@@( Taguchi Orthogonal Array L12(2^11)...@@@( Taguchi Orthogonal Array L16(2^15)..."
        "@@@( Taguchi Orthogonal Array L16'(4^5)...@@@( Taguchi Orthogonal Array L18(2^1x3^7)..."
        "E1(1)..\n=>E3[ Level=3 (2) ]@@@( Taguchi Orthogonal Array L25(5^6)...";
    EXPECT_EQ(out.substr(0, head.size()), head);
    const std::string tail =
        "@@@( Taguchi Orthogonal Array L64(2^63)...@@@( Taguchi Orthogonal Array L64'(4^21)..."
        "@@@( Taguchi Orthogonal Array L81(3^40)...@@@( QVRTester_TestOrthogonalArray1...6 Fail! "
        "\n";
    ASSERT_GE(out.size(), tail.size());
    EXPECT_EQ(out.substr(out.size() - tail.size()), tail);
    EXPECT_EQ(out.find("L4(2^3)"), std::string::npos);
    // The last table set is the one left in the listing file.
    EXPECT_EQ(Lines(ReadFile("QVRFCDOETaguchiMethod.log"))[4],
              "Type           = 17 (Taguchi Orthogonal Array L81(3^40))");
}

TEST(ArrayScenarios, Test1WithTablesListsEachArrayBeforeItsVerdict) {
    StreamCapture stream;
    CaptureStdout([&] { OA::Test1(1, stream.get()); });
    const Text lines = Lines(stream.Text());
    const Text l8Head = {"",
                         kBegin1,
                         "",
                         "[DOE OrthogonalArray]",
                         "Type           = 1 (Taguchi Orthogonal Array L8(2^7))",
                         "No Run         = 8"};
    ASSERT_GT(lines.size(), l8Head.size());
    EXPECT_EQ(Text(lines.begin(), lines.begin() + 6), l8Head);
    EXPECT_EQ(lines[lines.size() - 3], "PASS!");
    EXPECT_EQ(lines[lines.size() - 4], std::string(9 + 3 * 40, '='));
}

TEST(ArrayScenarios, Test2ListsOneArray) {
    StreamCapture stream;
    EXPECT_EQ(OA::Test2(OA::OA_L4, stream.get()), 1);
    Text l4 = {"", "CQVRDOETaguchiOrthogonalArray::Test2()...BEGIN",
               "Orthogonal Array : Taguchi Orthogonal Array L4(2^3)"};
    l4.insert(l4.end(), qvrfc_test::L4Listing().begin(), qvrfc_test::L4Listing().end());
    l4.insert(l4.end(), {"", "CQVRDOETaguchiOrthogonalArray::Test2()...END"});
    EXPECT_EQ(Lines(stream.Text()), l4);

    for (int type : {18, -5}) {
        StreamCapture other;
        EXPECT_EQ(OA::Test2(type, other.get()), 1);
        const Text lines = Lines(other.Text());
        ASSERT_EQ(lines.size(), 17u);
        EXPECT_EQ(lines[2], type == 18
                                ? "Orthogonal Array : Taguchi Orthogonal Array Full Factorial"
                                : "Orthogonal Array : Taguchi Orthogonal Array Undefined");
        EXPECT_EQ(lines[5], type == 18
                                ? "Type           = 18 (Taguchi Orthogonal Array Full Factorial)"
                                : "Type           = -5 (Taguchi Orthogonal Array Undefined)");
        EXPECT_EQ(lines[6], "No Run         = 0");
        EXPECT_EQ(lines[12], "No.   ");
        EXPECT_EQ(lines[14], "=========");
    }
}

TEST(ArrayScenarios, NullStreamDoesNothing) {
    std::string out = CaptureStdout([] {
        EXPECT_EQ(OA::Test1(1, nullptr), 0);
        EXPECT_EQ(OA::Test2(OA::OA_L8, nullptr), 0);
    });
    EXPECT_EQ(out, "");
    EXPECT_FALSE(FileExists("QVRFCDOETaguchiMethod.log"));
}
