// The array listing (stream and file) and the reader of plain number files.
#include <gtest/gtest.h>

#include <regex>
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
using qvrfc_test::WriteFile;

class OpenArray : public OA {
  public:
    using OA::FreeData;
};

Text Listing(OA& array, const char* title = "[DOE OrthogonalArray]") {
    StreamCapture stream;
    EXPECT_EQ(array.Writer(stream.get(), title), 1);
    return Lines(stream.Text());
}

// Reads an nRun x nFactor matrix from the text, printing what the reader prints.
std::string Read(OA& array, int nRun, int nFactor, const std::string& numbers,
                 const char* output = "rows.txt") {
    WriteFile("matrix.txt", numbers);
    return CaptureStdout([&] { array.ReadOrthogonalArray(nRun, nFactor, "matrix.txt", output); });
}

// The run lines of a listing, empty lines between them included.
Text RunLines(const Text& listing) {
    return Text(listing.begin() + 11, listing.end() - 1);
}

}  // namespace

TEST(Listing, StreamListingOfL4AndOfAnEmptyObject) {
    OA array;
    EXPECT_EQ(array.Writer(nullptr, "x"), 0);
    const Text empty = {"",
                        "%s title",
                        "Type           = -1 (Taguchi Orthogonal Array Undefined)",
                        "No Run         = 0",
                        "Max. No  Factor= 0",
                        "Max. No. Level = 0",
                        "",
                        "=========",
                        "Run   Factor",
                        "No.   ",
                        "=========",
                        "========="};
    EXPECT_EQ(Listing(array, "%s title"), empty);
    array.SetTable(OA::OA_L4);
    EXPECT_EQ(Listing(array), qvrfc_test::L4Listing());
}

TEST(Listing, ListingFileHasTimeStampCreatorAndListing) {
    OA array;
    array.SetTable(OA::OA_L4);
    EXPECT_EQ(array.Writer(CString("missing-dir/list.log"), CString("me")), 0);
    ASSERT_EQ(array.Writer(CString("list.log"), CString("Some %d one")), 1);
    Text lines = Lines(ReadFile("list.log"));
    ASSERT_EQ(lines.size(), 18u);
    EXPECT_TRUE(std::regex_match(
        lines[0], std::regex("Time = [0-9]{2}:[0-9]{2}:[0-9]{2}-[0-9]{2}-[0-9]{2}-[0-9]{4}")))
        << lines[0];
    EXPECT_EQ(lines[1], "Created By = Some %d one");
    EXPECT_EQ(Text(lines.begin() + 2, lines.end()), qvrfc_test::L4Listing());
}

TEST(Listing, BlankLineAfterEveryFifthRunButTheLast) {
    OA array;
    Read(array, 5, 1, "1 2 1 2 1");
    EXPECT_EQ(RunLines(Listing(array)),
              (Text{" 1      1", " 2      2", " 3      1", " 4      2", " 5      1"}));
    Read(array, 6, 1, "1 2 1 2 1 2");
    EXPECT_EQ(RunLines(Listing(array))[5], "");
    EXPECT_EQ(RunLines(Listing(array))[6], " 6      2");
    array.SetTable(OA::OA_L12);
    array.SetNoFactorAndLevel(1, 2);
    Read(array, 10, 1, "1 1 1 1 1 2 2 2 2 2");
    const Text runs = RunLines(Listing(array));
    ASSERT_EQ(runs.size(), 11u);
    EXPECT_EQ(runs[5], "");
    EXPECT_EQ(runs[9], " 9      2");
    EXPECT_EQ(runs[10], "10      2");
}

TEST(Listing, CellsOutsideTheMatrixListAsMissingLevels) {
    OpenArray array;
    array.SetTable(OA::OA_L4);
    array.SetNoFactorAndLevel(4, 2);
    Text runs = RunLines(Listing(array));
    EXPECT_EQ(runs[0], " 1      1  1  1 -100");
    EXPECT_EQ(runs[3], " 4      2  2  1 -100");
    array.FreeData();
    runs = RunLines(Listing(array));
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_EQ(runs[2], " 3     -100 -100 -100 -100");
}

TEST(Listing, ReaderLoadsAndWritesRows) {
    OA array;
    array.SetTable(OA::OA_L9);
    EXPECT_EQ(Read(array, 4, 3, "1 1 1\n1 2 2 2\t1 2\n\n2 2 1"), "OK!\n");
    EXPECT_EQ(array.GetType(), OA::OA_L9);  // type and level count are not set by the reader
    EXPECT_EQ(array.GetNoLevel(), 3);
    EXPECT_EQ(array.GetNoRun(), 4);
    EXPECT_EQ(array.GetNoFactor(), 3);
    for (int run = 0; run < 4; ++run)
        for (int column = 0; column < 3; ++column)
            EXPECT_EQ(array.GetLevel(run, column), OA::m_pL4[run][column]);
    for (int f = 0; f < 3; ++f)
        EXPECT_EQ(array.GetColumnID(f), f);
    EXPECT_EQ(Lines(ReadFile("rows.txt")), (Text{"  1,  1,  1, //1", "  1,  2,  2, //2",
                                                 "  2,  1,  2, //3", "  2,  2,  1, //4"}));

    // A comma stops the reading; short input leaves cells 0; wide numbers keep their width.
    Read(array, 2, 3, "1, 2, 3, 4, 5, 6");
    EXPECT_EQ(Lines(ReadFile("rows.txt")), (Text{"  1,  0,  0, //1", "  0,  0,  0, //2"}));
    Read(array, 2, 2, "12 -3 x 4");
    EXPECT_EQ(Lines(ReadFile("rows.txt")), (Text{" 12, -3, //1", "  0,  0, //2"}));
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

    // Counts below 1 make no matrix, read nothing and write only what the counts allow.
    EXPECT_EQ(Read(array, 0, 3, "1 2 3"), "OK!\n");
    EXPECT_EQ(ReadFile("rows.txt"), "");
    EXPECT_EQ(array.GetLevel(0, 0), -100);
    EXPECT_EQ(Read(array, 2, 0, "1 2 3"), "OK!\n");
    EXPECT_EQ(ReadFile("rows.txt"), " //1\n //2\n");
    EXPECT_EQ(Read(array, -3, -3, "1 2 3"), "OK!\n");
    EXPECT_EQ(ReadFile("rows.txt"), "");
    EXPECT_EQ(array.GetColumnID(0), -1);
}
