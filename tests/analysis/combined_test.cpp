// Several responses, one decision, on the bundled moulding L18 (2 x 3^7 = 4374 combinations):
// no combination beats the combined optimum, its predictions are predict's, the trade-offs
// show the conflicts, a nominal target no combination reaches is told, grey relational grades
// follow the formula, interpolated predictions agree with R, and bad settings are refused.
#include <gtest/gtest.h>

#include <cmath>

#include "qvrfc/analysis/Analysis.h"
#include "qvrfc/common/QVRFCError.h"
#include "qvrfc/experiment/ArrayChoice.h"
#include "qvrfc/experiment/ExperimentFile.h"
#include "qvrfc/inference/Combine.h"
#include "qvrfc/results/Summary.h"
#include "support/golden.h"
#include "support/test_support.h"

namespace {

qvrfc::Analysis Moulding(const std::vector<std::string>& sn = {},
                         qvrfc::CombineMethod method = qvrfc::CombineMethod::Desirability,
                         const std::string& desirability = "") {
    qvrfc::AnalysisInput input;
    input.dataFile = qvrfc_test::DataFile("moulding/runsheet.csv");
    qvrfc::AnalysisSettings settings;
    for (const std::string& text : sn)
        settings.sn.push_back(qvrfc::ParseSnSetting(text));
    settings.combine = method;
    if (!desirability.empty())
        settings.desirability = qvrfc::ParseDesirabilitySettings(desirability);
    return qvrfc::Analyze(input, settings);
}

// Calls visit with every combination of the tested levels of the model's factors.
void EveryCombination(const qvrfc::Analysis& analysis,
                      const std::function<void(const std::vector<qvrfc::FactorLevel>&)>& visit) {
    std::vector<qvrfc::FactorLevel> at = analysis.responses[0].optimum.levels;
    for (qvrfc::FactorLevel& setting : at)
        setting.level = 0;
    while (true) {
        visit(at);
        size_t i = 0;
        for (; i < at.size(); ++i) {
            const int levels =
                static_cast<int>(analysis.experiment.factors[at[i].factor].levels.size());
            if (++at[i].level < levels) break;
            at[i].level = 0;
        }
        if (i == at.size()) return;
    }
}

double PredictedMean(const qvrfc::Analysis& analysis, int response,
                     const std::vector<qvrfc::FactorLevel>& at) {
    return qvrfc::PredictAt(analysis.model, analysis.responses[response].meanAnova, at, 0,
                            qvrfc::PredictionTerms::Significant)
        .value;
}

TEST(Combined, NoCombinationBeatsTheCombinedOptimum) {
    const qvrfc::Analysis analysis = Moulding();
    ASSERT_TRUE(analysis.combined.has_value());
    const qvrfc::CombinedResult& combined = *analysis.combined;
    // The shapes: each response's range is its smallest and largest run mean.
    std::vector<qvrfc::DesirabilityShape> shapes;
    for (size_t r = 0; r < 2; ++r) {
        double low = HUGE_VAL, high = -HUGE_VAL;
        for (const qvrfc::RunFigures& run : analysis.responses[r].runs) {
            low = std::min(low, run.mean);
            high = std::max(high, run.mean);
        }
        EXPECT_EQ(combined.responses[r].low, low);
        EXPECT_EQ(combined.responses[r].high, high);
        shapes.push_back({r == 0 ? qvrfc::Aim::Larger : qvrfc::Aim::Smaller, low, high, 0, 1, 1});
    }
    int combinations = 0, better = 0;
    EveryCombination(analysis, [&](const std::vector<qvrfc::FactorLevel>& at) {
        ++combinations;
        const double d = qvrfc::OverallDesirability(
            {qvrfc::Desirability(shapes[0], PredictedMean(analysis, 0, at)),
             qvrfc::Desirability(shapes[1], PredictedMean(analysis, 1, at))},
            {1, 1});
        better += d > combined.desirability + 1e-12 ? 1 : 0;
    });
    EXPECT_EQ(combinations, 4374);
    EXPECT_EQ(better, 0);
    EXPECT_EQ(combined.combinations, 4374);
    EXPECT_EQ(combined.search, qvrfc::CombinedSearch::Exhaustive);
    // Its predictions are predict's at those levels.
    for (const qvrfc::CombinedResponse& response : combined.responses) {
        const qvrfc::Prediction p = qvrfc::PredictAt(
            analysis.model, analysis.responses[response.response].meanAnova, combined.levels);
        EXPECT_EQ(response.predicted.value, p.value);
        EXPECT_EQ(response.predicted.low, p.low);
        EXPECT_EQ(response.predicted.high, p.high);
    }
}

// An L81 whose 40 factors all move both responses (3^40 combinations): coordinate ascent, whose
// result no single factor's other level betters.
TEST(Combined, CoordinateAscentBeyondTenMillionCombinations) {
    const auto type = CQVRFCDOETaguchiOrthogonalArray::OA_L81;
    std::string data = "81 2 0\n";
    for (int q = 0; q < 2; ++q) {
        for (int run = 0; run < 81; ++run) {
            double y = 200.0;
            for (int c = 0; c < 40; ++c) {
                const int level = qvrfc::ArrayLevel(type, run, c);
                y += (q == 0 ? 1.0 : -1.0) * ((c * 7 + level * 2) % 5) + q * ((c + level) % 3);
            }
            data += "2 " + std::to_string(y) + " " + std::to_string(y + 0.01) + "\n";
        }
    }
    qvrfc_test::WriteFile("l81.ipt", data);
    qvrfc::AnalysisInput input;
    input.dataFile = "l81.ipt";
    qvrfc::AnalysisSettings settings;
    settings.sn = {qvrfc::ParseSnSetting("1=larger"), qvrfc::ParseSnSetting("2=larger")};
    const qvrfc::Analysis analysis = qvrfc::Analyze(input, settings);
    const qvrfc::CombinedResult& combined = *analysis.combined;
    EXPECT_EQ(combined.search, qvrfc::CombinedSearch::CoordinateAscent);
    const auto overall = [&](const std::vector<qvrfc::FactorLevel>& at) {
        return qvrfc::OverallOf(combined,
                                {PredictedMean(analysis, 0, at), PredictedMean(analysis, 1, at)});
    };
    EXPECT_DOUBLE_EQ(overall(combined.levels), combined.desirability);
    for (size_t i = 0; i < combined.levels.size(); ++i) {
        std::vector<qvrfc::FactorLevel> at = combined.levels;
        for (at[i].level = 0; at[i].level < 3; ++at[i].level)
            EXPECT_LE(overall(at), combined.desirability + 1e-12) << i << " " << at[i].level;
    }
}

// A shrinkage target of 0.3 % lies below every interval; 1.2 % is reached.
TEST(Combined, NominalTargetThatNoCombinationReaches) {
    for (const auto& [target, reached] : {std::pair(0.3, false), std::pair(1.2, true)}) {
        const qvrfc::Analysis analysis = Moulding({"2=nominal1:" + std::to_string(target)});
        const qvrfc::CombinedResponse& shrinkage = analysis.combined->responses[1];
        EXPECT_EQ(shrinkage.targetReached, reached) << target;
        double closest = HUGE_VAL;
        EveryCombination(analysis, [&](const std::vector<qvrfc::FactorLevel>& at) {
            const double y = PredictedMean(analysis, 1, at);
            if (std::fabs(y - target) < std::fabs(closest - target)) closest = y;
        });
        EXPECT_NEAR(shrinkage.closest.value, closest, 1e-12) << target;
    }
}

// The grades are those of the runs' S/N ratios (each response's weight its importance); the
// combined levels are the grades' best levels.
TEST(Combined, GreyGradesOfTheRuns) {
    const qvrfc::Analysis analysis =
        Moulding({}, qvrfc::CombineMethod::Grey, "Shrinkage=importance:3");
    const qvrfc::GreyAnalysis& grey = analysis.combined->grey;
    std::vector<std::vector<double>> sn(2);
    for (size_t r = 0; r < 2; ++r) {
        for (const qvrfc::RunFigures& run : analysis.responses[r].runs)
            sn[r].push_back(run.sn);
    }
    EXPECT_EQ(grey.grades, qvrfc::GreyRelationalGrades(sn, {1, 3}, 0.5).grades);
    for (const qvrfc::FactorLevel& at : analysis.combined->levels)
        EXPECT_EQ(at.level, grey.best[at.factor]);
    const std::string summary = qvrfc::SummaryText(analysis);
    qvrfc_test::ExpectGolden("analysis/combined_grey.txt",
                             summary.substr(summary.find("\nSeveral responses")));
}

// R: m <- level means of Strength at 220, 235, 250; predict(lm(m ~ poly(x, 2)), x = 240).
TEST(Combined, InterpolatedPredictionAgreesWithR) {
    const qvrfc::Analysis analysis = Moulding();
    for (const auto& [text, expected] : {std::pair("Melt temperature=240", 43.209259259259),
                                         std::pair("B=227.5", 42.078472222222)}) {
        const qvrfc::SettingsAt at = qvrfc::ParseSettingsAt(analysis, text);
        ASSERT_EQ(at.between.size(), 1u);
        const qvrfc::Prediction p =
            qvrfc::PredictBetween(analysis, analysis.responses[0].meanAnova, at);
        EXPECT_NEAR(p.value, expected, 1e-9) << text;
        const qvrfc::Prediction tested = qvrfc::PredictAt(
            analysis.model, analysis.responses[0].meanAnova, qvrfc::ParseLevels(analysis, "B=235"));
        EXPECT_NEAR(p.halfWidth, tested.halfWidth, 1e-12) << text;
    }
}

TEST(Combined, RefusedSettings) {
    const qvrfc::Analysis analysis = Moulding();
    const auto at = [&](const std::string& text) {
        return qvrfc_test::Refusal([&] { qvrfc::ParseSettingsAt(analysis, text); });
    };
    const auto analyse = [](const std::string& sn, const std::string& desirability) {
        return qvrfc_test::Refusal([&] {
            Moulding(sn.empty() ? std::vector<std::string>{} : std::vector<std::string>{sn},
                     qvrfc::CombineMethod::Desirability, desirability);
        });
    };
    const std::string file =
        "array = 'L4'\n[[factor]]\nname = 'A'\nlevels = [1, 2]\n[[response]]\nname = 'Y'\n"
        "sn = 'larger'\nimportance = 0\n";
    std::string text;
    for (const std::string& message : {
             at("Melt temperature=260"),
             at("Resin=0.5"),
             at("Melt temperature=240,B=235"),
             analyse("", "Strength=weight:0"),
             analyse("", "1=importance:-1"),
             analyse("", "Strength=low:50,high:30"),
             analyse("", "Strength=low:50"),
             analyse("2=nominal1:1.2", "Shrinkage=low:1.3"),
             qvrfc_test::Refusal([&] { qvrfc::ReadExperimentText(file, "x.toml"); }),
         })
        text += message + "\n";
    qvrfc_test::ExpectGolden("analysis/combined_refusals.txt", text);
}

}  // namespace
