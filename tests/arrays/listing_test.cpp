// The array listing (stream and file) and the reader of plain number files.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "arrays/QVRFCDOETaguchiOrthogonalArray.h"
#include "support/array_listing.h"
#include "support/golden.h"
#include "support/test_support.h"

namespace {

using OA = CQVRFCDOETaguchiOrthogonalArray;
using namespace qvrfc_test;  // NOLINT: test helpers

class OpenArray : public OA {
  public:
    using OA::FreeData;
};

// Reads an nRun x nFactor matrix from the text, returning what the reader prints.
std::string Read(OA& array, int nRun, int nFactor, const std::string& numbers,
                 const char* output = "rows.txt") {
    WriteFile("matrix.txt", numbers);
    return CaptureStdout([&] { array.ReadOrthogonalArray(nRun, nFactor, "matrix.txt", output); });
}

const std::pair<const char*, void (*)(OpenArray&)> kListings[] = {
    {"empty", [](OpenArray&) {}},
    {"l4", [](OpenArray& a) { a.SetTable(OA::OA_L4); }},
    {"five_runs", [](OpenArray& a) { Read(a, 5, 1, "1 2 1 2 1"); }},
    {"ten_runs",  // a blank line after every fifth run but the last
     [](OpenArray& a) {
         a.SetTable(OA::OA_L12);
         a.SetNoFactorAndLevel(1, 2);
         Read(a, 10, 1, "1 1 1 1 1 2 2 2 2 2");
     }},
    {"column_outside_the_matrix",
     [](OpenArray& a) {
         a.SetTable(OA::OA_L4);
         a.SetNoFactorAndLevel(4, 2);
     }},
    {"freed",
     [](OpenArray& a) {
         a.SetTable(OA::OA_L4);
         a.SetNoFactorAndLevel(4, 2);
         a.FreeData();
     }},
};

}  // namespace

TEST(Listing, StreamListings) {
    for (const auto& [name, setup] : kListings) {
        OpenArray array;
        setup(array);
        StreamCapture stream;
        EXPECT_EQ(array.Writer(stream.get(), "%s title"), 1) << name;
        ExpectGolden(std::string("arrays/") + name + ".txt", stream.Text());
    }
    OA array;
    EXPECT_EQ(array.Writer(nullptr, "x"), 0);
}

TEST(Listing, ListingFileHasTimeStampCreatorAndListing) {
    OA array;
    array.SetTable(OA::OA_L8);
    array.SetTable(OA::OA_L4);  // every SetTable rewrites its own listing file
    ExpectGolden("arrays/set_table_file.txt", ReadFile("QVRFCDOETaguchiMethod.log"));
    EXPECT_EQ(array.Writer(CString("missing-dir/list.log"), CString("me")), 0);
    ASSERT_EQ(array.Writer(CString("list.log"), CString("Some %d one")), 1);
    std::vector<std::string> lines = Lines(ReadFile("list.log"));
    ASSERT_EQ(lines.size(), 18u);
    EXPECT_EQ(MaskTimes(lines[0]), "Time = <time>");
    EXPECT_EQ(lines[1], "Created By = Some %d one");
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 2, lines.end()), L4Listing());
}

TEST(Listing, ReaderLoadsAndWritesRows) {
    OA array;
    array.SetTable(OA::OA_L9);
    EXPECT_EQ(Read(array, 4, 3, "1 1 1\n1 2 2 2\t1 2\n\n2 2 1"), "OK!\n");
    // Type and level count are not set by the reader.
    EXPECT_EQ(std::vector<int>(
                  {array.GetType(), array.GetNoLevel(), array.GetNoRun(), array.GetNoFactor()}),
              (std::vector<int>{OA::OA_L9, 3, 4, 3}));
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
