// The balance check: its verdicts and its messages, in their order.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "arrays/QVRFCDOETaguchiOrthogonalArray.h"
#include "support/test_support.h"

namespace {

using OA = CQVRFCDOETaguchiOrthogonalArray;
using qvrfc_test::CaptureStdout;
using qvrfc_test::WriteFile;

struct CheckResult {
    int result;
    std::string output;
};

CheckResult Check(OA& array) {
    CheckResult check{};
    check.output = CaptureStdout([&] { check.result = array.CheckOrthogonality(); });
    return check;
}

// Loads a matrix from text into an object whose level count is nLevel.
void Load(OA& array, int nRun, int nFactor, int nLevel, const std::string& numbers) {
    WriteFile("matrix.txt", numbers);
    CaptureStdout([&] { array.ReadOrthogonalArray(nRun, nFactor, "matrix.txt", "rows.txt"); });
    array.SetNoFactorAndLevel(nFactor, nLevel);
}

}  // namespace

TEST(Orthogonality, CatalogueArrays) {
    OA array;
    for (OA::OA_TYPE type :
         {OA::OA_L4, OA::OA_L8, OA::OA_L9, OA::OA_L12, OA::OA_L16, OA::OA_L16A, OA::OA_L25,
          OA::OA_L27, OA::OA_L32, OA::OA_L64, OA::OA_L64A, OA::OA_L81}) {
        array.SetTable(type);
        const CheckResult check = Check(array);
        EXPECT_EQ(check.result, 1) << type;
        EXPECT_EQ(check.output, "") << type;
    }
    array.SetTable(OA::OA_L18);
    CheckResult check = Check(array);
    EXPECT_EQ(check.result, 0);
    EXPECT_EQ(check.output, "E1(1)..\n=>E3[ Level=3 (2) ]");
    for (OA::OA_TYPE type : {OA::OA_L32A, OA::OA_L36, OA::OA_L36A, OA::OA_L50, OA::OA_L54}) {
        array.SetTable(type);
        check = Check(array);
        EXPECT_EQ(check.result, 0) << type;
        EXPECT_EQ(check.output.substr(0, 7), "E1(1)..") << type;
        EXPECT_EQ(check.output.find("E2"), std::string::npos) << type;
    }
}

TEST(Orthogonality, UnbalancedColumnReportsInOrder) {
    OA array;
    array.SetTable(OA::OA_L4);
    Load(array, 4, 3, 2, "1 1 1\n1 2 1\n2 1 1\n2 2 2\n");
    const CheckResult check = Check(array);
    EXPECT_EQ(check.result, 0);
    EXPECT_EQ(check.output, "E1(1)..\n=>E2[ Factor 2, Level=2 (1) ]E2(1)..\n=>E3[ Level=2 (1) ]");
}

TEST(Orthogonality, NothingToCheckAndEqualColumns) {
    OA array;
    EXPECT_EQ(Check(array).result, 0);
    array.SetTable(OA::OA_L8);
    array.ClearData();
    CheckResult check = Check(array);
    EXPECT_EQ(check.result, 0);
    EXPECT_EQ(check.output, "");

    Load(array, 4, 2, 2, "1 1 1 1 2 2 2 2");  // two equal columns pass
    check = Check(array);
    EXPECT_EQ(check.result, 1);
    EXPECT_EQ(check.output, "");

    Load(array, 4, 2, 2, "0 1 0 1 0 2 0 2");  // column 0 adds up to 0
    check = Check(array);
    EXPECT_EQ(check.result, 0);
    EXPECT_EQ(check.output, "");
}

TEST(Orthogonality, LevelsOutsideTheLevelCountAreNotCounted) {
    OA array;
    // Column 1 holds 4 and 0 in a two-level array: neither is counted, so only
    // the whole-array totals differ (a warning).
    Load(array, 4, 2, 2, "1 1  2 1  1 4  2 0");
    CheckResult check = Check(array);
    EXPECT_EQ(check.result, 1);
    EXPECT_EQ(check.output, "\n=>E3[ Level=2 (1) ]");

    Load(array, 2, 2, 2, "-7 2000000000 9 -1999999998");
    check = Check(array);
    EXPECT_EQ(check.result, 1);
    EXPECT_EQ(check.output, "");

    // A vast level count makes no vast count table.
    Load(array, 4, 2, INT_MAX, "1 1 1 2 2 1 2 2");
    check = Check(array);
    EXPECT_EQ(check.result, 1);
    EXPECT_EQ(check.output, "");

    // Counts beyond the matrix held are not read past it.
    array.SetTable(OA::OA_L4);
    array.SetNoFactorAndLevel(6, 3);
    check = Check(array);
    EXPECT_EQ(check.result, 0);
    EXPECT_EQ(check.output, "E1(1)..");
}
