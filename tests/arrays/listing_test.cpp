// The array listing (stream and file) and the reader of plain number files.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "qvrfc/arrays/QVRFCDOETaguchiOrthogonalArray.h"
#include "support/golden.h"
#include "support/test_support.h"

namespace {

using OA = CQVRFCDOETaguchiOrthogonalArray;
using namespace qvrfc_test;  // NOLINT: test helpers

// Opens the protected storage routines to the tests.
class OpenArray : public OA {
  public:
    using OA::AllocData;
    using OA::FreeData;
};

// Reads an nRun x nFactor matrix from the text.
void Read(OA& array, int nRun, int nFactor, const std::string& numbers) {
    WriteFile("matrix.txt", numbers);
    CaptureStdout([&] { array.ReadOrthogonalArray(nRun, nFactor, "matrix.txt", "rows.txt"); });
}

// Each state of an array object, reached by a few calls; the result of the last call.
#define STATE(name, ...)                               \
    {                                                  \
        name, [](OpenArray& a) { return __VA_ARGS__; } \
    }
// clang-format off
const std::pair<const char*, int (*)(OpenArray&)> kStates[] = {
    STATE("empty", a.GetType() * 0),
    STATE("l4", a.SetTable(OA::OA_L4)),
    STATE("l8", a.SetTable(OA::OA_L8)),
    STATE("l8_three_factors", a.SetTable(OA::OA_L8), a.SetNoFactorAndLevel(3, 2), 0),
    STATE("l8_counts_beyond_the_matrix", a.SetTable(OA::OA_L8), a.SetNoFactorAndLevel(50, 9), 0),
    STATE("l18", a.SetTable(OA::OA_L18)),
    STATE("l18_then_full_factorial", a.SetTable(OA::OA_L18), a.SetTable(OA::OA_FULL_FACTORIAL)),
    STATE("unknown_type_then_l4_setter",
          a.SetTable(OA::OA_TYPE(25)), a.SetFullFactorialTable(), a.SetL4Table()),
    STATE("l54", a.SetTable(OA::OA_L54)),
    STATE("l81", a.SetTable(OA::OA_L81)),
    STATE("l9_freed", a.SetTable(OA::OA_L9), a.FreeData(), 0),
    STATE("l9_cleared", a.SetTable(OA::OA_L9), a.ClearData(), 0),
    STATE("allocated", a.AllocData(2, 3)),
    STATE("allocation_refused", a.AllocData(2, 3), a.AllocData(0, 3) + a.AllocData(3, -1)),
    STATE("five_runs_read", Read(a, 5, 1, "1 2 1 2 1"), 0),
    STATE("ten_runs_read", a.SetTable(OA::OA_L12), Read(a, 10, 1, "1 1 1 1 1 2 2 2 2 2"), 0),
    STATE("l4_four_factors", a.SetTable(OA::OA_L4), a.SetNoFactorAndLevel(4, 2), 0),
    STATE("l4_four_factors_freed",
          a.SetTable(OA::OA_L4), a.SetNoFactorAndLevel(4, 2), a.FreeData(), 0),
};
// clang-format on

// The counts, the readers just outside every edge, column IDs and level counts per column.
std::string Readers(const OA& a) {
    std::string text = "type " + std::to_string(a.GetType()) + " id " +
                       std::to_string(a.GetArrayID()) + " levels " +
                       std::to_string(a.GetNoLevel()) + "\nedges";
    const int runs = a.GetNoRun(), columns = a.GetNoFactor();
    for (const auto& [r, c] :
         {std::pair{-1, 0}, {0, -1}, {runs, 0}, {0, columns}, {runs - 1, columns - 1}})
        text += " " + std::to_string(a.GetLevel(r, c));
    text += "\ncolumn id / levels:";
    for (int c = -1; c <= columns; ++c)
        text += " " + std::to_string(a.GetColumnID(c)) + "/" + std::to_string(a.GetNoLevel(c));
    return text + "\n";
}

}  // namespace

TEST(ArrayObject, StatesListedAndRead) {
    for (const auto& [name, reach] : kStates) {
        OpenArray array;
        StreamCapture stream;
        std::fprintf(stream, "result %d\n", reach(array));
        EXPECT_EQ(array.Writer(stream.get(), "%s title"), 1) << name;
        ExpectGolden(std::string("arrays/") + name + ".txt", stream.Text() + Readers(array));
    }
    EXPECT_EQ(OA().Writer(nullptr, "x"), 0);
}

TEST(Listing, ListingFileHasTimeStampCreatorAndListing) {
    OA array;
    array.SetTable(OA::OA_L8);
    array.SetTable(OA::OA_L4);  // every SetTable rewrites its own listing file
    ExpectGolden("arrays/set_table_file.txt", ReadFile("QVRFCDOETaguchiMethod.log"));
    EXPECT_EQ(array.Writer(CString("missing-dir/list.log"), CString("me")), 0);
    ASSERT_EQ(array.Writer(CString("list.log"), CString("Some %d one")), 1);
    EXPECT_EQ(Lines(ReadFile("list.log"))[1], "Created By = Some %d one");
}

// The reader prints "OK!" and writes the rows it read; counts below 1 or beyond what a matrix
// may hold, an absent input or an unwritable output print nothing. That the reader sets the
// counts but not the type or the level count shows in the "ten_runs_read" state above.
TEST(Listing, ReaderTable) {
    const struct {
        int nRun, nFactor;
        const char *numbers, *output, *printed, *rows;
    } cases[] = {
        {4, 3, "1 1 1\n1 2 2 2\t1 2\n\n2 2 1", "rows.txt", "OK!\n",
         "  1,  1,  1, //1\n  1,  2,  2, //2\n  2,  1,  2, //3\n  2,  2,  1, //4\n"},
        // A comma stops the reading; short input leaves cells 0; wide numbers keep their width.
        {2, 3, "1, 2, 3, 4, 5, 6", "rows.txt", "OK!\n", "  1,  0,  0, //1\n  0,  0,  0, //2\n"},
        {2, 2, "12 -3 x 4", "rows.txt", "OK!\n", " 12, -3, //1\n  0,  0, //2\n"},
        {2, 2, "1 2 2 1", "missing-dir/rows.txt", "", ""},
        {2, 2, nullptr, "rows.txt", "", ""},
        {0, 3, "1 2 3", "rows.txt", "", ""},
        {2, 0, "1 2 3", "rows.txt", "", ""},
        {-3, -3, "1 2 3", "rows.txt", "", ""},
        {1 << 13, 1 << 13, "1 2 3", "rows.txt", "", ""},
    };
    for (const auto& c : cases) {
        OA array;
        array.SetTable(OA::OA_L9);
        std::remove("matrix.txt");
        std::remove("rows.txt");
        if (c.numbers) WriteFile("matrix.txt", c.numbers);
        EXPECT_EQ(CaptureStdout([&] {
                      array.ReadOrthogonalArray(c.nRun, c.nFactor, "matrix.txt", c.output);
                  }),
                  c.printed)
            << c.numbers;
        EXPECT_EQ(ReadFile("rows.txt"), c.rows) << c.numbers;
    }
}
