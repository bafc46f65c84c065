// The array object: loading tables, bounded readers, clearing and reallocating.
#include <gtest/gtest.h>

#include <vector>

#include "arrays/QVRFCDOETaguchiOrthogonalArray.h"

namespace {

using OA = CQVRFCDOETaguchiOrthogonalArray;
using V = std::vector<int>;

// Opens the protected storage routines to the tests.
class OpenArray : public OA {
  public:
    using OA::AllocData;
    using OA::FreeData;
};

V Shape(const OA& a) {
    return {a.GetType(), a.GetNoRun(), a.GetNoFactor(), a.GetNoLevel()};
}
V ColumnIDs(const OA& a, int from, int to) {
    V ids;
    for (int f = from; f <= to; ++f)
        ids.push_back(a.GetColumnID(f));
    return ids;
}

}  // namespace

TEST(ArrayObject, L8TableAndBoundedReaders) {
    OA array;
    EXPECT_EQ(Shape(array), (V{OA::OA_UNDEFINED, 0, 0, 0}));
    EXPECT_EQ(array.SetTable(OA::OA_L8), 1);
    EXPECT_EQ(Shape(array), (V{OA::OA_L8, 8, 7, 2}));
    EXPECT_EQ(array.GetArrayID(), 1);
    EXPECT_EQ(V({array.GetLevel(1, 3), array.GetLevel(7, 6), array.GetLevel(8, 0),
                 array.GetLevel(0, -1), array.GetLevel(0, 7)}),
              (V{2, 2, -100, -100, -100}));
    EXPECT_EQ(ColumnIDs(array, -1, 7), (V{-1, 0, 1, 3, 6, 2, 4, 5, -1}));

    array.SetNoFactorAndLevel(3, 2);
    EXPECT_EQ(array.GetLevel(0, 5), -100);
    EXPECT_EQ(array.GetColumnID(4), -1);
    // Counts raised beyond the matrix held never reach past it.
    array.SetNoFactorAndLevel(50, 9);
    EXPECT_EQ(V({array.GetLevel(0, 6), array.GetLevel(0, 7), array.GetColumnID(7)}),
              (V{1, -100, -1}));
}

TEST(ArrayObject, ColumnIdsLevelsAndOtherTypes) {
    OA array;
    ASSERT_EQ(array.SetTable(OA::OA_L81), 1);
    EXPECT_EQ(V({array.GetColumnID(0), array.GetColumnID(39), array.GetColumnID(40)}),
              (V{0, 39, -1}));
    ASSERT_EQ(array.SetTable(OA::OA_L54), 1);
    EXPECT_EQ(V({array.GetColumnID(9), array.GetColumnID(25)}), (V{14, 13}));
    ASSERT_EQ(array.SetTable(OA::OA_L18), 1);
    EXPECT_EQ(V({array.GetNoLevel(), array.GetNoLevel(0), array.GetNoLevel(1), array.GetNoLevel(-1),
                 array.GetNoLevel(8)}),
              (V{3, 2, 3, 3, 0}));

    // No table for full factorial or an unknown type: the type is kept, so is the matrix.
    EXPECT_EQ(array.SetTable(OA::OA_FULL_FACTORIAL), 0);
    EXPECT_EQ(Shape(array), (V{18, 18, 8, 3}));
    EXPECT_EQ(array.GetLevel(17, 7), OA::m_pL18[17][7]);
    EXPECT_EQ(array.SetTable(static_cast<OA::OA_TYPE>(25)), 0);
    EXPECT_EQ(array.GetNoLevel(0), 0);
    EXPECT_EQ(array.SetFullFactorialTable(), 0);
    EXPECT_EQ(array.SetL4Table(), 1);
    EXPECT_EQ(Shape(array), (V{25, 4, 3, 2}));  // setters do not store the type
}

TEST(ArrayObject, ClearFreeAndAlloc) {
    OpenArray array;
    array.SetTable(OA::OA_L9);
    array.FreeData();
    EXPECT_EQ(array.GetNoRun(), 9);
    EXPECT_EQ(array.GetLevel(0, 0), -100);
    EXPECT_EQ(array.GetColumnID(0), -1);
    array.ClearData();
    EXPECT_EQ(Shape(array), (V{OA::OA_UNDEFINED, 0, 0, 0}));

    EXPECT_EQ(array.AllocData(2, 3), 1);
    EXPECT_EQ(array.GetLevel(1, 2), 0);
    EXPECT_EQ(array.GetColumnID(2), 2);
    EXPECT_EQ(array.AllocData(0, 3), 0);
    EXPECT_EQ(array.GetNoFactor(), 3);
    EXPECT_EQ(array.GetLevel(0, 0), -100);
    EXPECT_EQ(array.AllocData(3, -1), 0);
}
