// Several responses brought to one figure: the desirability of one value on each side of its
// range and target, the overall desirability, and grey relational grades of a small table
// worked by hand.
#include "qvrfc/inference/Combine.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace {

using qvrfc::Aim;

TEST(Combine, DesirabilityOfOneValue) {
    struct Case {
        Aim aim;
        double low, high, target, weight, y, expected;
    };
    const Case cases[] = {
        // Larger-the-better on [10, 20]: 0 up to low, 1 from high on.
        {Aim::Larger, 10, 20, 0, 1, 5, 0.0},
        {Aim::Larger, 10, 20, 0, 1, 10, 0.0},
        {Aim::Larger, 10, 20, 0, 1, 15, 0.5},
        {Aim::Larger, 10, 20, 0, 1, 20, 1.0},
        {Aim::Larger, 10, 20, 0, 1, 25, 1.0},
        {Aim::Larger, 10, 20, 0, 2, 15, 0.25},
        {Aim::Larger, 10, 20, 0, 0.5, 15, 0.70710678118654757},
        // Smaller-the-better: 1 up to low, 0 from high on.
        {Aim::Smaller, 10, 20, 0, 1, 5, 1.0},
        {Aim::Smaller, 10, 20, 0, 1, 12, 0.8},
        {Aim::Smaller, 10, 20, 0, 1, 20, 0.0},
        {Aim::Smaller, 10, 20, 0, 1, 25, 0.0},
        // Nominal, target 14: each side its own ramp, 0 outside the range.
        {Aim::Nominal, 10, 20, 14, 1, 9, 0.0},
        {Aim::Nominal, 10, 20, 14, 1, 12, 0.5},
        {Aim::Nominal, 10, 20, 14, 1, 14, 1.0},
        {Aim::Nominal, 10, 20, 14, 1, 17, 0.5},
        {Aim::Nominal, 10, 20, 14, 2, 18, 1.0 / 9.0},
        {Aim::Nominal, 10, 20, 14, 1, 21, 0.0},
        // A target at the low end: nothing below it is desirable.
        {Aim::Nominal, 10, 20, 10, 1, 10, 1.0},
        {Aim::Nominal, 10, 20, 10, 1, 15, 0.5},
    };
    for (const Case& c : cases) {
        const qvrfc::DesirabilityShape shape{c.aim, c.low, c.high, c.target, c.weight, 1.0};
        EXPECT_NEAR(qvrfc::Desirability(shape, c.y), c.expected, 1e-15)
            << static_cast<int>(c.aim) << " w " << c.weight << " y " << c.y;
    }
}

TEST(Combine, OverallDesirabilityIsTheWeightedGeometricMean) {
    // (0.5^1 0.8^2)^(1/3), R: 0.683990378671
    EXPECT_NEAR(qvrfc::OverallDesirability({0.5, 0.8}, {1.0, 2.0}), 0.683990378671, 1e-12);
    EXPECT_EQ(qvrfc::OverallDesirability({0.0, 0.8}, {1.0, 1.0}), 0.0);
}

// S/N ratios of two responses over four runs: the first normalises to 0, 1/3, 2/3, 1, the
// second (5, 5, 15, 10) to 0, 0, 1, 1/2. Dmin = 0 and Dmax = 1, so xi = zeta / (D + zeta).
TEST(Combine, GreyRelationalGradesOfAHandTable) {
    const std::vector<std::vector<double>> sn = {{10, 20, 30, 40}, {5, 5, 15, 10}};
    struct Case {
        std::vector<double> weights;
        double zeta;
        std::vector<double> grades;
    };
    const Case cases[] = {
        // xi: 1/3, 3/7, 3/5, 1 and 1/3, 1/3, 1, 1/2.
        {{1, 1}, 0.5, {1.0 / 3, 8.0 / 21, 0.8, 0.75}},
        {{1, 3}, 0.5, {1.0 / 3, 5.0 / 14, 0.9, 0.625}},
        // xi: 1/2, 3/5, 3/4, 1 and 1/2, 1/2, 1, 2/3.
        {{1, 1}, 1.0, {0.5, 0.55, 0.875, 5.0 / 6}},
    };
    for (const Case& c : cases) {
        const qvrfc::GreyGrades grey = qvrfc::GreyRelationalGrades(sn, c.weights, c.zeta);
        ASSERT_EQ(grey.grades.size(), 4u);
        for (size_t r = 0; r < 4; ++r)
            EXPECT_NEAR(grey.grades[r], c.grades[r], 1e-15) << "zeta " << c.zeta << " run " << r;
    }
    struct Refused {
        std::vector<std::vector<double>> sn;
        std::vector<double> weights;
        double zeta;
        const char* cause;
    };
    const Refused refused[] = {
        {sn, {1, 1}, 0.0, "the distinguishing coefficient must lie in (0, 1]"},
        {sn, {1}, 0.5, "one weight per response is needed"},
        {sn, {1, 0}, 0.5, "responses of unequal run counts or a weight not above 0"},
        {{{1, 2, 3, 4}, {1, 2, 3}},
         {1, 1},
         0.5,
         "responses of unequal run counts or a weight not above 0"},
    };
    for (const Refused& r : refused)
        EXPECT_EQ(
            qvrfc_test::Refusal([&] { qvrfc::GreyRelationalGrades(r.sn, r.weights, r.zeta); }),
            r.cause);
}

}  // namespace
