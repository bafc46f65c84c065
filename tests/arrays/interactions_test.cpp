// Interactions: the construction against the stored tables, interaction columns against the
// level patterns, placement with declared interactions, remaining confounding and the smallest
// array. Interaction sums of squares are checked against R with the verdict's ANOVA.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/QVRFCReportStyle.h"
#include "qvrfc/arrays/OACatalogueFacts.h"
#include "qvrfc/arrays/OAInteractions.h"
#include "support/golden.h"
#include "support/test_support.h"

namespace {

using OA = CQVRFCDOETaguchiOrthogonalArray;
using qvrfc::FactorPair;
using Columns = std::vector<int>;

const OA::OA_TYPE kRuleBuilt[] = {OA::OA_L4,   OA::OA_L8,   OA::OA_L9,  OA::OA_L16,
                                  OA::OA_L16A, OA::OA_L25,  OA::OA_L27, OA::OA_L32,
                                  OA::OA_L64,  OA::OA_L64A, OA::OA_L81};

// The column that holds c-th combination of a and b carries, run by run, the field value
// a + c*b times one non-zero constant (the scaling to the columns' normal form); for two
// levels that is the level-wise sum mod 2.
bool HoldsCombination(OA::OA_TYPE type, int column, int a, int b, int c) {
    const qvrfc::GaloisField field(qvrfc::ConstructionOf(type).fieldSize);
    for (int scale = 1; scale < field.Size(); ++scale) {
        bool all = true;
        for (int run = 0; run < OA::GetNoRun(type) && all; ++run) {
            const int x = qvrfc::CatalogueLevel(type, run, a) - 1;
            const int y = qvrfc::CatalogueLevel(type, run, b) - 1;
            const int z = field.Multiply(scale, field.Add(x, field.Multiply(c, y)));
            all = qvrfc::CatalogueLevel(type, run, column) - 1 == z;
        }
        if (all) return true;
    }
    return false;
}

TEST(Interactions, ConstructionAndInteractionColumnsFollowTheTables) {
    for (OA::OA_TYPE type : kRuleBuilt) {
        const qvrfc::ArrayConstruction& construction = qvrfc::ConstructionOf(type);
        ASSERT_EQ(construction.Runs(), OA::GetNoRun(type)) << type;
        ASSERT_EQ(static_cast<int>(construction.columns.size()), OA::GetNoFactor(type)) << type;
        for (int run = 0; run < construction.Runs(); ++run) {
            for (int column = 0; column < OA::GetNoFactor(type); ++column)
                ASSERT_EQ(construction.Level(run, column), qvrfc::CatalogueLevel(type, run, column))
                    << qvrfc::CatalogueName(type) << " run " << run + 1 << " column " << column + 1;
        }
        const int s = construction.fieldSize;
        for (int a = 0; a < OA::GetNoFactor(type); ++a) {
            for (int b = a + 1; b < OA::GetNoFactor(type); ++b) {
                const Columns columns = qvrfc::InteractionColumns(type, a, b);
                ASSERT_EQ(static_cast<int>(columns.size()), s - 1);
                ASSERT_EQ(columns, qvrfc::InteractionColumns(type, b, a));
                for (int c = 1; c < s; ++c) {
                    int holding = 0;
                    for (int column : columns)
                        holding += HoldsCombination(type, column, a, b, c);
                    ASSERT_EQ(holding, 1) << qvrfc::CatalogueName(type) << " columns " << a + 1
                                          << ", " << b + 1 << ", c = " << c;
                }
            }
        }
    }
    EXPECT_EQ(qvrfc::InteractionColumns(OA::OA_L8, 2, 2), Columns{});
    EXPECT_EQ(qvrfc::InteractionColumns(OA::OA_L8, 0, 7), Columns{});
    EXPECT_EQ(qvrfc::InteractionColumns(OA::OA_L18, 0, 1), Columns{});
    for (OA::OA_TYPE type : {OA::OA_L12, OA::OA_L18, OA::OA_L32A, OA::OA_L36, OA::OA_L36A,
                             OA::OA_L50, OA::OA_L54, OA::OA_FULL_FACTORIAL, OA::OA_UNDEFINED})
        EXPECT_FALSE(qvrfc::ConstructionOf(type).IsRuleBuilt()) << type;
}

const FactorPair AB{0, 1}, AC{0, 2}, BC{1, 2}, CD{2, 3};

std::string Pair(const FactorPair& pair) {
    return qvrfc::FactorName(pair.first) + "*" + qvrfc::FactorName(pair.second);
}

// Columns from 1.
std::string Listed(const Columns& columns) {
    std::string text;
    for (int column : columns)
        text += " " + std::to_string(column + 1);
    return text;
}

// "C*D with A*B on 3 ...": each undeclared interaction left on the column of a factor or of a
// declared interaction.
std::string Confounded(OA::OA_TYPE type, const Columns& factorColumns,
                       const std::vector<FactorPair>& declared) {
    std::string text;
    for (const qvrfc::Confounding& c : qvrfc::RemainingConfounding(type, factorColumns, declared))
        text += " " + Pair(c.pair) + " with " +
                (c.factor >= 0 ? qvrfc::FactorName(c.factor) : Pair(declared.at(c.declared))) +
                " on " + std::to_string(c.column + 1);
    return text;
}

// One case: the array, the factors' level counts and the declared interactions; then the
// columns (from 1) of the factors and of each interaction ("()" where it stands apart) and
// what stays confounded, or why no placement fits; last the smallest array that holds them.
std::string Placement(OA::OA_TYPE type, const std::vector<int>& levels,
                      const std::vector<FactorPair>& interactions) {
    std::string text = std::string(qvrfc::CatalogueName(type)) + ", levels";
    for (int count : levels)
        text += " " + std::to_string(count);
    text += ", declared";
    for (const FactorPair& pair : interactions)
        text += " " + Pair(pair);
    const qvrfc::InteractionPlacement placed = qvrfc::PlaceFactors(type, levels, interactions);
    if (placed.fits) {
        text += "\n  factors on" + Listed(placed.factorColumns) + "; interactions on";
        for (const Columns& columns : placed.interactionColumns)
            text += " (" + Listed(columns) + " )";
        text += "\n  confounded:" + Confounded(type, placed.factorColumns, interactions);
    } else {
        text += "\n  refused: " + placed.reason;
    }
    return text +
           "\n  smallest: " + qvrfc::CatalogueName(qvrfc::SmallestArrayFor(levels, interactions)) +
           "\n";
}

TEST(Interactions, PlacementConfoundingAndSmallestArray) {
    const std::vector<FactorPair> allOfFive = {{0, 1}, {0, 2}, {0, 3}, {0, 4}, {1, 2},
                                               {1, 3}, {1, 4}, {2, 3}, {2, 4}, {3, 4}};
    std::vector<FactorPair> allOfSix = allOfFive;
    for (int f = 0; f < 5; ++f)
        allOfSix.push_back({f, 5});
    const struct {
        OA::OA_TYPE type;
        std::vector<int> levels;
        std::vector<FactorPair> interactions;
    } cases[] = {
        {OA::OA_L4, {2, 2}, {AB}},
        {OA::OA_L8, {2, 2, 2}, {AB}},
        {OA::OA_L8, {2, 2, 2, 2}, {AB, AC}},
        {OA::OA_L8, {2, 2, 2, 2}, {AB, AC, BC}},
        {OA::OA_L8, {2, 2, 2}, {AC}},
        {OA::OA_L9, {3, 3}, {AB}},
        {OA::OA_L27, {3, 3, 3}, {AB}},
        {OA::OA_L27, {3, 3, 3}, {AB, AC, BC}},
        {OA::OA_L16A, {4, 4}, {AB}},
        {OA::OA_L64A, {4, 4, 4}, {AB}},
        {OA::OA_L18, {2, 3, 3}, {AB}},
        {OA::OA_L18, {3, 2}, {}},
        {OA::OA_L16, {2, 2, 2, 2, 2}, allOfFive},  // the classic resolution V placement
        {OA::OA_L32, {2, 2, 2, 2, 2, 2}, allOfSix},
        {OA::OA_L8, {2, 2, 2, 2}, {AB, CD}},
        {OA::OA_L8, {2, 2, 2, 2, 2}, {AB, CD, AC}},
        {OA::OA_L9, {3, 3, 3}, {AB}},
        {OA::OA_L8, {2, 3}, {}},
        {OA::OA_L4, {2, 2, 2, 2}, {}},
        {OA::OA_L12, {2, 2}, {AB}},
        {OA::OA_L18, {3, 3}, {AB}},
        {OA::OA_L36A, {2, 2, 3}, {AC, BC}},
        {OA::OA_L18, {2, 2}, {}},
        {OA::OA_L8, {2, 2}, {{0, 0}}},
        {OA::OA_L8, {2, 2}, {{0, 2}}},
        {OA::OA_L8, {2, 2}, {AB, {1, 0}}},
        {OA::OA_FULL_FACTORIAL, {6}, {}},
    };
    std::string text;
    for (const auto& c : cases)
        text += Placement(c.type, c.levels, c.interactions);
    qvrfc_test::ExpectGolden("arrays/placements.txt", text);
    // D on column 7: C*D falls on column 3 with the declared A*B.
    EXPECT_EQ(Confounded(OA::OA_L8, {0, 1, 3, 6}, {AB}), " C*D with A*B on 3");
}

TEST(Interactions, RefusesColumnsOutsideTheArrayAndWrongResponseCounts) {
    const std::vector<double> eight(8);
    // clang-format off
    const std::function<void()> calls[] = {
        [] { qvrfc::ColumnSumOfSquares(OA::OA_L8, 0, {1.0, 2.0}); },
        [&] { qvrfc::ColumnSumOfSquares(OA::OA_L8, 7, eight); },
        [&] { qvrfc::CellInteractionSumOfSquares(OA::OA_L8, 0, -1, eight); },
        [] { qvrfc::RemainingConfounding(OA::OA_L8, {0, 9}, {}); }};
    // clang-format on
    std::string said;
    for (const auto& call : calls)
        said += qvrfc_test::Refusal(call) + "\n";
    qvrfc_test::ExpectGolden("arrays/interaction_refusals.txt", said);
}

}  // namespace
