// The array object: loading tables, bounded readers, copies, clearing and the
// listing file that every SetTable rewrites.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "arrays/QVRFCDOETaguchiOrthogonalArray.h"
#include "support/test_support.h"

namespace {

using OA = CQVRFCDOETaguchiOrthogonalArray;
using qvrfc_test::Lines;
using qvrfc_test::ReadFile;

// Opens the protected storage routines to the tests.
class OpenArray : public OA {
  public:
    using OA::AllocData;
    using OA::FreeData;
};

const char kLogName[] = "QVRFCDOETaguchiMethod.log";

}  // namespace

TEST(ArrayObject, L8TableAndBoundedReaders) {
    OA array;
    EXPECT_EQ(array.GetType(), OA::OA_UNDEFINED);
    EXPECT_EQ(array.GetLevel(0, 0), -100);
    EXPECT_EQ(array.GetColumnID(0), -1);

    EXPECT_EQ(array.SetTable(OA::OA_L8), 1);
    EXPECT_EQ(array.GetNoRun(), 8);
    EXPECT_EQ(array.GetNoFactor(), 7);
    EXPECT_EQ(array.GetNoLevel(), 2);
    EXPECT_EQ(array.GetType(), 1);
    EXPECT_EQ(array.GetArrayID(), 1);
    EXPECT_EQ(array.GetLevel(1, 3), 2);
    EXPECT_EQ(array.GetLevel(7, 6), 2);
    EXPECT_EQ(array.GetLevel(8, 0), -100);
    EXPECT_EQ(array.GetLevel(0, -1), -100);
    EXPECT_EQ(array.GetLevel(0, 7), -100);
    const std::vector<int> expected = {0, 1, 3, 6, 2, 4, 5};
    for (int f = 0; f < 7; ++f)
        EXPECT_EQ(array.GetColumnID(f), expected[f]);
    EXPECT_EQ(array.GetColumnID(7), -1);
    EXPECT_EQ(array.GetColumnID(-1), -1);

    array.SetNoFactorAndLevel(3, 2);
    EXPECT_EQ(array.GetNoFactor(), 3);
    EXPECT_EQ(array.GetLevel(0, 5), -100);
    EXPECT_EQ(array.GetColumnID(4), -1);
    // Counts raised beyond the matrix held never reach past it.
    array.SetNoFactorAndLevel(50, 9);
    EXPECT_EQ(array.GetLevel(0, 6), 1);
    EXPECT_EQ(array.GetLevel(0, 7), -100);
    EXPECT_EQ(array.GetColumnID(7), -1);
}

TEST(ArrayObject, ColumnIdsLevelsAndOtherTypes) {
    OA array;
    ASSERT_EQ(array.SetTable(OA::OA_L81), 1);
    for (int f = 0; f < 40; ++f)
        EXPECT_EQ(array.GetColumnID(f), f);
    EXPECT_EQ(array.GetColumnID(40), -1);
    ASSERT_EQ(array.SetTable(OA::OA_L54), 1);
    EXPECT_EQ(array.GetColumnID(9), 14);
    EXPECT_EQ(array.GetColumnID(25), 13);
    ASSERT_EQ(array.SetTable(OA::OA_L18), 1);
    EXPECT_EQ(array.GetNoLevel(), 3);
    EXPECT_EQ(array.GetNoLevel(0), 2);
    EXPECT_EQ(array.GetNoLevel(1), 3);
    EXPECT_EQ(array.GetNoLevel(-1), 3);
    EXPECT_EQ(array.GetNoLevel(8), 0);

    // No table for full factorial or an unknown type: the type is kept, so is the matrix.
    EXPECT_EQ(array.SetTable(OA::OA_FULL_FACTORIAL), 0);
    EXPECT_EQ(array.GetType(), 18);
    EXPECT_EQ(array.GetNoRun(), 18);
    EXPECT_EQ(array.GetLevel(17, 7), OA::m_pL18[17][7]);
    EXPECT_EQ(array.SetTable(static_cast<OA::OA_TYPE>(25)), 0);
    EXPECT_EQ(array.GetType(), 25);
    EXPECT_EQ(array.GetNoLevel(0), 0);
    EXPECT_EQ(array.SetFullFactorialTable(), 0);
    EXPECT_EQ(array.SetL4Table(), 1);
    EXPECT_EQ(array.GetNoRun(), 4);
    EXPECT_EQ(array.GetType(), 25);  // setters do not store the type
}

TEST(ArrayObject, ClearFreeAllocAndCopies) {
    OpenArray array;
    array.SetTable(OA::OA_L9);
    OA copy(array);
    OA assigned;
    assigned = array;

    array.FreeData();
    EXPECT_EQ(array.GetNoRun(), 9);
    EXPECT_EQ(array.GetLevel(0, 0), -100);
    EXPECT_EQ(array.GetColumnID(0), -1);
    for (const OA* other : {&copy, &assigned}) {
        EXPECT_EQ(other->GetType(), OA::OA_L9);
        EXPECT_EQ(other->GetNoLevel(), 3);
        EXPECT_EQ(other->GetLevel(8, 3), 1);
        EXPECT_EQ(other->GetColumnID(3), 3);
    }

    array.ClearData();
    EXPECT_EQ(array.GetType(), OA::OA_UNDEFINED);
    EXPECT_EQ(array.GetNoRun() + array.GetNoFactor() + array.GetNoLevel(), 0);
    EXPECT_EQ(array.GetLevel(0, 0), -100);

    EXPECT_EQ(array.AllocData(2, 3), 1);
    EXPECT_EQ(array.GetLevel(1, 2), 0);
    EXPECT_EQ(array.GetColumnID(2), 2);
    EXPECT_EQ(array.AllocData(0, 3), 0);
    EXPECT_EQ(array.GetNoFactor(), 3);
    EXPECT_EQ(array.GetLevel(0, 0), -100);
    EXPECT_EQ(array.AllocData(3, -1), 0);

    EXPECT_EQ(array.SetData(nullptr), 0);
    EXPECT_EQ(array.SetData(&copy), 1);
    EXPECT_EQ(array.GetType(), OA::OA_L9);
    EXPECT_EQ(array.GetLevel(3, 1), 1);
    EXPECT_EQ(array.GetLevel(3, 3), 3);
}

TEST(ArrayObject, SetTableRewritesTheListingFile) {
    OA array;
    array.SetTable(OA::OA_L8);
    array.SetTable(OA::OA_L4);
    const std::vector<std::string> lines = Lines(ReadFile(kLogName));
    ASSERT_EQ(lines.size(), 18u);
    EXPECT_EQ(lines[0].substr(0, 7), "Time = ");
    EXPECT_EQ(lines[1], "Created By = Kelvoran");
    EXPECT_EQ(lines[3], "[DOE OrthogonalArray]");
    EXPECT_EQ(lines[4], "Type           = 0 (Taguchi Orthogonal Array L4(2^3))");
    EXPECT_EQ(lines[17], "==================");

    // Still written when no table is set.
    array.SetTable(static_cast<OA::OA_TYPE>(-5));
    EXPECT_EQ(Lines(ReadFile(kLogName))[4],
              "Type           = -5 (Taguchi Orthogonal Array Undefined)");
}
