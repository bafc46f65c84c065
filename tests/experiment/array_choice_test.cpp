// Array choice, placement and run order: the smallest catalogue array for a set of level
// counts, first fitting columns, and run orders that a seed reproduces on every platform.
#include <gtest/gtest.h>

#include <sstream>

#include "qvrfc/experiment/ArrayChoice.h"
#include "support/golden.h"

namespace {

using Catalogue = CQVRFCDOETaguchiOrthogonalArray;
using qvrfc::Experiment;

struct ChoiceCase {
    std::vector<int> levels;
    Catalogue::OA_TYPE expected;
    const char* words;
};

TEST(ArrayChoice, SmallestArrayThatHoldsTheLevelCounts) {
    const std::vector<int> mixed = {2, 3, 3, 3, 3, 3, 3, 3};
    const ChoiceCase cases[] = {
        {{2, 2, 2}, Catalogue::OA_L4, "3 factors of 2 levels"},
        {{2, 2, 2, 2}, Catalogue::OA_L8, "4 factors of 2 levels"},
        {std::vector<int>(8, 2), Catalogue::OA_L12, "8 factors of 2 levels"},
        {{3, 3, 3, 3}, Catalogue::OA_L9, "4 factors of 3 levels"},
        {{3, 3, 3, 3, 3}, Catalogue::OA_L18, "5 factors of 3 levels"},
        {mixed, Catalogue::OA_L18, "1 factor of 2 levels and 7 of 3 levels"},
        {{4, 4, 4, 4}, Catalogue::OA_L16A, "4 factors of 4 levels"},
        {{5, 5, 5}, Catalogue::OA_L25, "3 factors of 5 levels"},
        {{2, 2, 3}, Catalogue::OA_L36, "2 factors of 2 levels and 1 of 3 levels"},
        {{2, 4}, Catalogue::OA_L32A, "1 factor of 2 levels and 1 of 4 levels"},
        {{6, 6}, Catalogue::OA_UNDEFINED, "2 factors of 6 levels"},
        {std::vector<int>(41, 3), Catalogue::OA_UNDEFINED, "41 factors of 3 levels"},
    };
    for (const ChoiceCase& c : cases) {
        EXPECT_EQ(qvrfc::ChooseArray(c.levels), c.expected) << c.words;
        EXPECT_EQ(qvrfc::LevelCountText(c.levels), c.words);
    }
}

TEST(ArrayChoice, NamesReadAsUsersWriteThem) {
    EXPECT_EQ(qvrfc::ArrayOfName("l16a"), Catalogue::OA_L16A);
    EXPECT_EQ(qvrfc::ArrayOfName("L16'"), Catalogue::OA_L16A);
    EXPECT_EQ(qvrfc::ArrayOfName("L18(2^1x3^7)"), Catalogue::OA_L18);
    EXPECT_EQ(qvrfc::ArrayOfName("L17"), Catalogue::OA_UNDEFINED);
    EXPECT_EQ(qvrfc::ArrayName(Catalogue::OA_L16A), "L16'");
}

Experiment FactorsOfLevels(const std::vector<int>& levels, Catalogue::OA_TYPE array) {
    Experiment experiment;
    experiment.array = array;
    for (int count : levels) {
        qvrfc::Factor factor;
        factor.name = "F" + std::to_string(experiment.factors.size());
        factor.levels.resize(count);
        experiment.factors.push_back(factor);
    }
    return experiment;
}

TEST(ArrayChoice, FactorsTakeTheFirstFreeColumnOfTheirLevelCount) {
    Experiment experiment = FactorsOfLevels({3, 2, 3, 3}, Catalogue::OA_L18);
    experiment.factors[2].column = 1;  // given: kept, and skipped by the others
    qvrfc::PlaceFactors(experiment);
    const int expected[] = {2, 0, 1, 3};
    for (size_t f = 0; f < experiment.factors.size(); ++f)
        EXPECT_EQ(experiment.factors[f].column, expected[f]) << f;

    Experiment crowded = FactorsOfLevels({2, 2}, Catalogue::OA_L18);
    try {
        qvrfc::PlaceFactors(crowded);
        ADD_FAILURE() << "two 2-level factors placed on L18";
    } catch (const qvrfc::ExperimentFault& fault) {
        EXPECT_EQ(fault.Key(), "factor[2].column");
        EXPECT_STREQ(fault.what(), "L18 has no free column of 2 levels");
    }
}

TEST(ArrayChoice, RunOrderIsAFixedShuffleOfItsSeed) {
    std::ostringstream text;
    const std::pair<int, std::uint32_t> cases[] = {{4, 1}, {8, 7}, {18, 42}, {18, 2026}, {27, 0}};
    for (const auto& [runs, seed] : cases) {
        text << runs << " runs, seed " << seed << ":";
        for (int run : qvrfc::RunOrder(runs, true, seed))
            text << " " << run;
        text << "\n";
    }
    qvrfc_test::ExpectGolden("experiment_run_order.txt", text.str());
    EXPECT_EQ(qvrfc::RunOrder(5, false, 42), (std::vector<int>{1, 2, 3, 4, 5}));
}

}  // namespace
