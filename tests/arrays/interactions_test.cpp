// Interactions: the construction against the stored tables, interaction columns against the
// level patterns, placement with declared interactions, remaining confounding and interaction
// sums of squares against R's lm().
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "arrays/OACatalogueFacts.h"
#include "arrays/OAInteractions.h"

namespace {

using OA = CQVRFCDOETaguchiOrthogonalArray;
using qvrfc::FactorPair;
using Columns = std::vector<int>;

const OA::OA_TYPE kRuleBuilt[] = {OA::OA_L4,   OA::OA_L8,   OA::OA_L9,  OA::OA_L16,
                                  OA::OA_L16A, OA::OA_L25,  OA::OA_L27, OA::OA_L32,
                                  OA::OA_L64,  OA::OA_L64A, OA::OA_L81};

TEST(Interactions, ConstructionReproducesEveryRuleBuiltTable) {
    for (OA::OA_TYPE type : kRuleBuilt) {
        const qvrfc::ArrayConstruction& construction = qvrfc::ConstructionOf(type);
        ASSERT_EQ(construction.Runs(), OA::GetNoRun(type)) << type;
        ASSERT_EQ(static_cast<int>(construction.columns.size()), OA::GetNoFactor(type)) << type;
        for (int run = 0; run < construction.Runs(); ++run) {
            for (int column = 0; column < OA::GetNoFactor(type); ++column)
                ASSERT_EQ(construction.Level(run, column), qvrfc::CatalogueLevel(type, run, column))
                    << qvrfc::CatalogueName(type) << " run " << run + 1 << " column " << column + 1;
        }
    }
    for (OA::OA_TYPE type : {OA::OA_L12, OA::OA_L18, OA::OA_L32A, OA::OA_L36, OA::OA_L36A,
                             OA::OA_L50, OA::OA_L54, OA::OA_FULL_FACTORIAL, OA::OA_UNDEFINED})
        EXPECT_FALSE(qvrfc::ConstructionOf(type).IsRuleBuilt()) << type;
}

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

TEST(Interactions, EveryInteractionColumnHoldsTheLevelWiseCombination) {
    for (OA::OA_TYPE type : kRuleBuilt) {
        const int s = qvrfc::ConstructionOf(type).fieldSize;
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
}

const FactorPair AB{0, 1}, AC{0, 2}, BC{1, 2}, CD{2, 3};

TEST(Interactions, PlacementKeepsDeclaredInteractionsFree) {
    const struct {
        OA::OA_TYPE type;
        std::vector<int> levels;
        std::vector<FactorPair> interactions;
        Columns factorColumns;
        std::vector<Columns> interactionColumns;
    } cases[] = {
        {OA::OA_L8, {2, 2, 2}, {AB}, {0, 1, 3}, {{2}}},
        {OA::OA_L8, {2, 2, 2, 2}, {AB, AC}, {0, 1, 3, 5}, {{2}, {4}}},
        {OA::OA_L8, {2, 2, 2, 2}, {AB, AC, BC}, {0, 1, 3, 6}, {{2}, {4}, {5}}},
        {OA::OA_L8, {2, 2, 2}, {AC}, {0, 3, 1}, {{2}}},
        {OA::OA_L9, {3, 3}, {AB}, {0, 1}, {{2, 3}}},
        {OA::OA_L27, {3, 3, 3}, {AB, AC, BC}, {0, 1, 4}, {{2, 3}, {5, 6}, {7, 10}}},
        {OA::OA_L16A, {4, 4}, {AB}, {0, 1}, {{2, 3, 4}}},
        {OA::OA_L18, {2, 3, 3}, {AB}, {0, 1, 2}, {{}}},
        {OA::OA_L18, {3, 2}, {}, {1, 0}, {}},
        // Five factors with all ten interactions: the classic resolution V placement.
        {OA::OA_L16,
         {2, 2, 2, 2, 2},
         {{0, 1}, {0, 2}, {0, 3}, {0, 4}, {1, 2}, {1, 3}, {1, 4}, {2, 3}, {2, 4}, {3, 4}},
         {0, 1, 3, 7, 14},
         {{2}, {4}, {8}, {13}, {5}, {9}, {12}, {11}, {10}, {6}}},
    };
    for (const auto& c : cases) {
        const qvrfc::InteractionPlacement placement =
            qvrfc::PlaceFactors(c.type, c.levels, c.interactions);
        ASSERT_TRUE(placement.fits) << qvrfc::CatalogueName(c.type) << ": " << placement.reason;
        EXPECT_EQ(placement.factorColumns, c.factorColumns) << qvrfc::CatalogueName(c.type);
        EXPECT_EQ(placement.interactionColumns, c.interactionColumns)
            << qvrfc::CatalogueName(c.type);
    }
}

TEST(Interactions, PlacementRefusalsSayWhy) {
    const struct {
        OA::OA_TYPE type;
        std::vector<int> levels;
        std::vector<FactorPair> interactions;
        const char* reason;
    } cases[] = {
        {OA::OA_L8,
         {2, 2, 2, 2},
         {AB, CD},
         "no placement on L8 keeps the columns of A*B, C*D free and apart"},
        {OA::OA_L8,
         {2, 2, 2, 2, 2},
         {AB, CD, AC},
         "L8 has 7 columns; 5 factors and 3 interactions of 1 column each need 8"},
        {OA::OA_L9,
         {3, 3, 3},
         {AB},
         "L9 has 4 columns; 3 factors and 1 interaction of 2 columns each need 5"},
        {OA::OA_L8, {2, 3}, {}, "L8 has no column of 3 levels for factor B"},
        {OA::OA_L4, {2, 2, 2, 2}, {}, "L4 has 3 columns, not 4"},
        {OA::OA_L12, {2, 2}, {AB}, "interactions are spread over several columns in L12"},
        {OA::OA_L18,
         {3, 3},
         {AB},
         "in L18 no column pair whose interaction is estimable on its own fits the levels of A*B"},
        {OA::OA_L36A, {2, 2, 3}, {AC, BC}, "L36' holds at most one declared interaction"},
        {OA::OA_L18, {2, 2}, {}, "L18 has no free column of 2 levels left for factor B"},
        {OA::OA_L8, {2, 2}, {{0, 0}}, "interaction A*A pairs a factor with itself"},
        {OA::OA_L8, {2, 2}, {{0, 2}}, "interaction 1 names factor 3, but there are 2 factors"},
        {OA::OA_L8, {2, 2}, {AB, {1, 0}}, "interaction B*A is declared twice"},
        {OA::OA_FULL_FACTORIAL, {2}, {}, "the array has no table"},
    };
    for (const auto& c : cases) {
        const qvrfc::InteractionPlacement placement =
            qvrfc::PlaceFactors(c.type, c.levels, c.interactions);
        EXPECT_FALSE(placement.fits) << c.reason;
        EXPECT_EQ(placement.reason, c.reason);
    }
}

TEST(Interactions, SmallestArrayHoldingTheInteractions) {
    const std::vector<FactorPair> allOfSix = {{0, 1}, {0, 2}, {0, 3}, {0, 4}, {0, 5},
                                              {1, 2}, {1, 3}, {1, 4}, {1, 5}, {2, 3},
                                              {2, 4}, {2, 5}, {3, 4}, {3, 5}, {4, 5}};
    const struct {
        std::vector<int> levels;
        std::vector<FactorPair> interactions;
        OA::OA_TYPE smallest;
    } cases[] = {
        {{2, 2}, {AB}, OA::OA_L4},
        {{2, 2, 2}, {AB}, OA::OA_L8},
        {{2, 2, 2, 2}, {AB, CD}, OA::OA_L16},
        {{2, 2, 2, 2, 2, 2}, allOfSix, OA::OA_L32},
        {{3, 3, 3}, {AB}, OA::OA_L27},
        {{2, 3}, {AB}, OA::OA_L18},
        {{4, 4, 4}, {AB}, OA::OA_L64A},
        {{6}, {}, OA::OA_UNDEFINED},
    };
    for (const auto& c : cases)
        EXPECT_EQ(qvrfc::SmallestArrayFor(c.levels, c.interactions), c.smallest)
            << qvrfc::CatalogueName(c.smallest);
}

std::string Describe(const std::vector<qvrfc::Confounding>& found) {
    std::string text;
    for (const qvrfc::Confounding& c : found)
        text += std::to_string(c.pair.first) + std::to_string(c.pair.second) + ">" +
                (c.factor >= 0 ? "f" + std::to_string(c.factor) : "") +
                (c.declared >= 0 ? "i" + std::to_string(c.declared) : "") + "@" +
                std::to_string(c.column) + " ";
    return text;
}

TEST(Interactions, RemainingConfoundingNamesPairFactorOrInteractionAndColumn) {
    const struct {
        OA::OA_TYPE type;
        Columns factorColumns;
        std::vector<FactorPair> declared;
        const char* found;
    } cases[] = {
        // L8 with A, B, C, D on columns 1, 2, 4, 6 and A*B, A*C declared.
        {OA::OA_L8, {0, 1, 3, 5}, {AB, AC}, "12>f3@5 13>f2@3 23>f1@1 "},
        // D on column 7: C*D falls on column 3 with the declared A*B.
        {OA::OA_L8, {0, 1, 3, 6}, {AB}, "23>i0@2 "},
        {OA::OA_L27, {0, 1, 4}, {AB}, ""},
        {OA::OA_L18, {0, 1, 2}, {}, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Describe(qvrfc::RemainingConfounding(c.type, c.factorColumns, c.declared)),
                  c.found)
            << qvrfc::CatalogueName(c.type);
}

// Reference data: one response per run. L8: A, B, C on columns 1, 2, 4; L16: A, B, C, D on
// columns 1, 2, 4, 8; L27: A, B, C on columns 1, 2, 5; L18: A, B, C on columns 1, 2, 3.
const std::vector<double> kY8 = {12.4, 15.1, 13.8, 19.6, 11.2, 14.9, 16.3, 22.5};
const std::vector<double> kY16 = {41.2, 38.5, 44.9, 47.3, 36.8, 40.1, 52.6, 49.0,
                                  39.7, 43.3, 45.8, 51.4, 37.9, 42.6, 48.2, 55.1};
const std::vector<double> kY27 = {23.1, 25.4, 27.9, 22.6, 26.8, 30.2, 21.7, 24.9, 31.5,
                                  28.3, 29.0, 33.6, 26.1, 30.7, 35.2, 25.8, 29.9, 36.4,
                                  30.5, 31.8, 35.0, 27.2, 33.9, 38.1, 29.6, 32.4, 40.3};
const std::vector<double> kY18 = {10.2, 11.8, 13.1, 12.5, 15.3, 14.0, 11.1, 16.4, 13.7,
                                  12.9, 13.4, 15.8, 14.6, 18.2, 16.9, 13.3, 17.5, 19.4};

// The interaction sums of squares R gives: anova(lm(y ~ A*B + C)) on L8, L27 and L18,
// anova(lm(y ~ A*B + C*D)) on L16.
TEST(Interactions, InteractionSumsOfSquaresMatchR) {
    const struct {
        OA::OA_TYPE type;
        const std::vector<double>& y;
        int a, b;         // the interacting factors' columns
        Columns columns;  // their interaction's columns
        double expected;
    } cases[] = {
        {OA::OA_L8, kY8, 0, 1, {2}, 5.78},
        {OA::OA_L16, kY16, 0, 1, {2}, 0.5625},
        {OA::OA_L16, kY16, 3, 7, {11}, 0.36},
        {OA::OA_L27, kY27, 0, 1, {2, 3}, 2.4088888888889},
        {OA::OA_L18, kY18, 0, 1, {}, 0.3344444444444},
    };
    for (const auto& c : cases) {
        const char* name = qvrfc::CatalogueName(c.type);
        EXPECT_NEAR(qvrfc::CellInteractionSumOfSquares(c.type, c.a, c.b, c.y), c.expected, 1e-9)
            << name;
        if (!c.columns.empty()) {
            EXPECT_NEAR(qvrfc::InteractionSumOfSquares(c.type, c.columns, c.y), c.expected, 1e-9)
                << name;
        }
    }
}

TEST(Interactions, RefusesColumnsOutsideTheArrayAndWrongResponseCounts) {
    const struct {
        void (*call)();
        const char* message;
    } cases[] = {
        {[] {
             qvrfc::ColumnSumOfSquares(OA::OA_L8, 0, {1.0, 2.0});
         },
         "L8(2^7) has 8 runs, not 2 responses"},
        {[] { qvrfc::ColumnSumOfSquares(OA::OA_L8, 7, std::vector<double>(8)); },
         "L8(2^7) has no column 8"},
        {[] { qvrfc::CellInteractionSumOfSquares(OA::OA_L8, 0, -1, std::vector<double>(8)); },
         "L8(2^7) has no column 0"},
        {[] {
             qvrfc::RemainingConfounding(OA::OA_L8, {0, 9}, {});
         },
         "L8(2^7) has no column 10"},
    };
    for (const auto& c : cases) {
        try {
            c.call();
            ADD_FAILURE() << "accepted: " << c.message;
        } catch (const std::invalid_argument& error) {
            EXPECT_STREQ(error.what(), c.message);
        }
    }
}

}  // namespace
