// The array listing (stream and file) and the reader of plain number files.
#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "arrays/QVRFCDOETaguchiOrthogonalArray.h"
#include "support/array_listing.h"
#include "support/test_support.h"

namespace {

using OA = CQVRFCDOETaguchiOrthogonalArray;
using Text = std::vector<std::string>;
using namespace qvrfc_test;  // NOLINT: test helpers

class OpenArray : public OA {
  public:
    using OA::FreeData;
};

Text Listing(OA& array, const char* title = "[DOE OrthogonalArray]") {
    StreamCapture stream;
    EXPECT_EQ(array.Writer(stream.get(), title), 1);
    return Lines(stream.Text());
}

// The run lines of the listing, blank lines between them included.
Text RunLines(OA& array) {
    const Text listing = Listing(array);
    return Text(listing.begin() + 11, listing.end() - 1);
}

// Reads an nRun x nFactor matrix from the text, returning what the reader prints.
std::string Read(OA& array, int nRun, int nFactor, const std::string& numbers,
                 const char* output = "rows.txt") {
    WriteFile("matrix.txt", numbers);
    return CaptureStdout([&] { array.ReadOrthogonalArray(nRun, nFactor, "matrix.txt", output); });
}

}  // namespace

TEST(Listing, StreamListingOfL4AndOfAnEmptyObject) {
    OA array;
    EXPECT_EQ(array.Writer(nullptr, "x"), 0);
    EXPECT_EQ(Listing(array, "%s title"),
              Lines("\n%s title\nType           = -1 (Taguchi Orthogonal Array Undefined)\n"
                    "No Run         = 0\nMax. No  Factor= 0\nMax. No. Level = 0\n\n=========\n"
                    "Run   Factor\nNo.   \n=========\n=========\n"));
    array.SetTable(OA::OA_L4);
    EXPECT_EQ(Listing(array), L4Listing());
}

TEST(Listing, ListingFileHasTimeStampCreatorAndListing) {
    OA array;
    array.SetTable(OA::OA_L4);
    EXPECT_EQ(array.Writer(CString("missing-dir/list.log"), CString("me")), 0);
    ASSERT_EQ(array.Writer(CString("list.log"), CString("Some %d one")), 1);
    Text lines = Lines(ReadFile("list.log"));
    ASSERT_EQ(lines.size(), 18u);
    EXPECT_TRUE(std::regex_match(lines[0], std::regex(R"(Time = \d\d:\d\d:\d\d-\d\d-\d\d-\d{4})")))
        << lines[0];
    EXPECT_EQ(lines[1], "Created By = Some %d one");
    EXPECT_EQ(Text(lines.begin() + 2, lines.end()), L4Listing());
}

TEST(Listing, BlankLineAfterEveryFifthRunButTheLast) {
    OA array;
    Read(array, 5, 1, "1 2 1 2 1");
    EXPECT_EQ(RunLines(array), Lines(" 1      1\n 2      2\n 3      1\n 4      2\n 5      1\n"));
    array.SetTable(OA::OA_L12);
    array.SetNoFactorAndLevel(1, 2);
    Read(array, 10, 1, "1 1 1 1 1 2 2 2 2 2");
    EXPECT_EQ(RunLines(array), Lines(" 1      1\n 2      1\n 3      1\n 4      1\n 5      1\n\n"
                                     " 6      2\n 7      2\n 8      2\n 9      2\n10      2\n"));
}

TEST(Listing, CellsOutsideTheMatrixListAsMissingLevels) {
    OpenArray array;
    array.SetTable(OA::OA_L4);
    array.SetNoFactorAndLevel(4, 2);
    EXPECT_EQ(RunLines(array)[3], " 4      2  2  1 -100");
    array.FreeData();
    EXPECT_EQ(RunLines(array), Lines(" 1     -100 -100 -100 -100\n 2     -100 -100 -100 -100\n"
                                     " 3     -100 -100 -100 -100\n 4     -100 -100 -100 -100\n"));
}

TEST(Listing, ReaderLoadsAndWritesRows) {
    OA array;
    array.SetTable(OA::OA_L9);
    EXPECT_EQ(Read(array, 4, 3, "1 1 1\n1 2 2 2\t1 2\n\n2 2 1"), "OK!\n");
    // Type and level count are not set by the reader.
    EXPECT_EQ(std::vector<int>(
                  {array.GetType(), array.GetNoLevel(), array.GetNoRun(), array.GetNoFactor()}),
              (std::vector<int>{OA::OA_L9, 3, 4, 3}));
    for (int run = 0; run < 4; ++run)
        for (int column = 0; column < 3; ++column)
            EXPECT_EQ(array.GetLevel(run, column), OA::m_pL4[run][column]);
    EXPECT_EQ(array.GetColumnID(2), 2);
    EXPECT_EQ(ReadFile("rows.txt"),
              "  1,  1,  1, //1\n  1,  2,  2, //2\n  2,  1,  2, //3\n  2,  2,  1, //4\n");

    // A comma stops the reading; short input leaves cells 0; wide numbers keep their width.
    Read(array, 2, 3, "1, 2, 3, 4, 5, 6");
    EXPECT_EQ(ReadFile("rows.txt"), "  1,  0,  0, //1\n  0,  0,  0, //2\n");
    Read(array, 2, 2, "12 -3 x 4");
    EXPECT_EQ(ReadFile("rows.txt"), " 12, -3, //1\n  0,  0, //2\n");
}

TEST(Listing, ReaderFailuresAreQuietAndSafe) {
    OA array;
    array.SetTable(OA::OA_L4);
    EXPECT_EQ(CaptureStdout([&] { array.ReadOrthogonalArray(2, 2, "absent.txt", "rows.txt"); }),
              "");
    EXPECT_FALSE(FileExists("rows.txt"));
    EXPECT_EQ(array.GetNoRun(), 2);
    EXPECT_EQ(array.GetLevel(1, 1), 0);
    EXPECT_EQ(Read(array, 2, 2, "1 2 2 1", "missing-dir/rows.txt"), "");
    EXPECT_EQ(array.GetLevel(1, 0), 2);

    // Counts below 1, or beyond what a matrix may hold, make no matrix: nothing is written.
    for (const auto& counts : {std::pair{0, 3}, {2, 0}, {-3, -3}, {1 << 13, 1 << 13}}) {
        std::remove("rows.txt");
        EXPECT_EQ(Read(array, counts.first, counts.second, "1 2 3"), "");
        EXPECT_FALSE(FileExists("rows.txt"));
        EXPECT_EQ(array.GetLevel(0, 0), -100);
    }
    EXPECT_EQ(array.GetColumnID(0), -1);
}
