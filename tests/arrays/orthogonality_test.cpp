// The balance check: its verdicts and its messages, in their order.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "qvrfc/arrays/QVRFCDOETaguchiOrthogonalArray.h"
#include "support/test_support.h"

namespace {

using OA = CQVRFCDOETaguchiOrthogonalArray;
using qvrfc_test::CaptureStdout;

// Loads a matrix from text into an object whose level count is nLevel.
void Load(OA& array, int nRun, int nFactor, int nLevel, const std::string& numbers) {
    qvrfc_test::WriteFile("matrix.txt", numbers);
    CaptureStdout([&] { array.ReadOrthogonalArray(nRun, nFactor, "matrix.txt", "rows.txt"); });
    array.SetNoFactorAndLevel(nFactor, nLevel);
}

const struct {
    const char* name;
    void (*setup)(OA&);
    int result;
    const char* output;
} kChecks[] = {
    {"nothing to check", [](OA&) {}, 0, ""},
    {"cleared", [](OA& a) { a.SetTable(OA::OA_L8), a.ClearData(); }, 0, ""},
    {"equal columns", [](OA& a) { Load(a, 4, 2, 2, "1 1 1 1 2 2 2 2"); }, 1, ""},
    {"column adding up to 0", [](OA& a) { Load(a, 4, 2, 2, "0 1 0 1 0 2 0 2"); }, 0, ""},
    {"unbalanced column", [](OA& a) { Load(a, 4, 3, 2, "1 1 1\n1 2 1\n2 1 1\n2 2 2\n"); }, 0,
     "E1(1)..\n=>E2[ Factor 2, Level=2 (1) ]E2(1)..\n=>E3[ Level=2 (1) ]"},
    // Levels outside the level count are not counted: only the whole-array totals differ.
    {"levels 4 and 0 of two", [](OA& a) { Load(a, 4, 2, 2, "1 1  2 1  1 4  2 0"); }, 1,
     "\n=>E3[ Level=2 (1) ]"},
    {"huge levels", [](OA& a) { Load(a, 2, 2, 2, "-7 2000000000 9 -1999999998"); }, 1, ""},
    {"vast level count", [](OA& a) { Load(a, 4, 2, INT_MAX, "1 1 1 2 2 1 2 2"); }, 1, ""},
    {"counts beyond the matrix", [](OA& a) { a.SetTable(OA::OA_L4), a.SetNoFactorAndLevel(6, 3); },
     0, "E1(1).."},
    // The mixed-level arrays fail the whole-array level totals (each catalogue array is
    // checked by the array self-test).
    {"L18", [](OA& a) { a.SetTable(OA::OA_L18); }, 0, "E1(1)..\n=>E3[ Level=3 (2) ]"},
    {"L16", [](OA& a) { a.SetTable(OA::OA_L16); }, 1, ""},
};

}  // namespace

TEST(Orthogonality, VerdictsAndMessages) {
    for (const auto& check : kChecks) {
        OA array;
        check.setup(array);
        int result = -1;
        EXPECT_EQ(CaptureStdout([&] { result = array.CheckOrthogonality(); }), check.output)
            << check.name;
        EXPECT_EQ(result, check.result) << check.name;
    }
}
