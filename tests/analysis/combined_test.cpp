// Several responses, one decision, on the bundled moulding L18 (2 x 3^7 = 4374 combinations):
// no combination beats the combined optimum, its predictions are predict's, the trade-offs
// show the conflicts, a nominal target no combination reaches is told, grey relational grades
// follow the formula, interpolated predictions agree with R, and bad settings are refused.
#include <gtest/gtest.h>

#include <cmath>

#include "analysis/bundled.h"
#include "qvrfc/analysis/Analysis.h"
#include "qvrfc/common/QVRFCError.h"
#include "qvrfc/experiment/ArrayChoice.h"
#include "qvrfc/experiment/ExperimentFile.h"
#include "qvrfc/inference/Combine.h"
#include "qvrfc/results/Summary.h"
#include "support/golden.h"

namespace {

qvrfc::Analysis Moulding(const std::vector<std::string>& sn = {},
                         qvrfc::CombineMethod method = qvrfc::CombineMethod::Desirability,
                         const std::string& desirability = "") {
    qvrfc::AnalysisOptions options;
    options.sn = sn;
    options.combine = method == qvrfc::CombineMethod::Grey ? "grey" : "desirability";
    if (!desirability.empty()) options.desirability = {desirability};
    return qvrfc_test::Bundled("moulding/runsheet.csv", options);
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
    // The shapes: each response's range is its smallest and largest prediction over the
    // combinations of the tested levels.
    std::vector<double> low(2, HUGE_VAL), high(2, -HUGE_VAL);
    EveryCombination(analysis, [&](const std::vector<qvrfc::FactorLevel>& at) {
        for (size_t r = 0; r < 2; ++r) {
            low[r] = std::min(low[r], PredictedMean(analysis, r, at));
            high[r] = std::max(high[r], PredictedMean(analysis, r, at));
        }
    });
    std::vector<qvrfc::DesirabilityShape> shapes;
    for (size_t r = 0; r < 2; ++r) {
        EXPECT_NEAR(combined.responses[r].low, low[r], 1e-12);
        EXPECT_NEAR(combined.responses[r].high, high[r], 1e-12);
        shapes.push_back(
            {r == 0 ? qvrfc::Aim::Larger : qvrfc::Aim::Smaller, low[r], high[r], 0, 1, 1});
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
    EXPECT_EQ(combined.combinations, 1458);  // the factors that move a prediction
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

// Two dynamic responses on the calibration sheet: the second a scaled copy of the first.
qvrfc::Analysis TwoDynamicResponses(qvrfc::CombineMethod method) {
    std::string toml = qvrfc_test::ReadFile(qvrfc_test::DataFile("calibration/experiment.toml"));
    toml.replace(toml.find("target = 0.5\n"), 13,
                 "target = 0.5\n\n[[response]]\nname = 'Drift'\nsn = 'dynamic'\n");
    std::string csv;
    for (const std::string& line : qvrfc_test::Lines(
             qvrfc_test::ReadFile(qvrfc_test::DataFile("calibration/runsheet.csv")))) {
        if (line.empty()) continue;
        std::string row = line.back() == '\r' ? line.substr(0, line.size() - 1) : line;
        size_t cell = 0;
        for (int i = 0; i < 6; ++i)
            cell = row.find(',', cell) + 1;
        std::string rest = row.substr(cell);
        if (row.rfind("run,", 0) == 0) {
            for (size_t at; (at = rest.find("Output")) != std::string::npos;)
                rest.replace(at, 6, "Drift");
        } else {
            std::string scaled;
            for (size_t from = 0; from <= rest.size();) {
                const size_t to = std::min(rest.find(',', from), rest.size());
                scaled += (scaled.empty() ? "" : ",") +
                          std::to_string(0.9 * std::stod(rest.substr(from, to - from)) + 0.1);
                from = to + 1;
            }
            rest = scaled;
        }
        csv += row + "," + rest + "\r\n";
    }
    qvrfc_test::WriteFile("experiment.toml", toml);
    qvrfc_test::WriteFile("runsheet.csv", csv);
    qvrfc::AnalysisInput input;
    input.dataFile = "runsheet.csv";
    qvrfc::AnalysisSettings settings;
    settings.combine = method;
    return qvrfc::Analyze(input, settings);
}

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Issue 34, cases 6 and 7, one row each: what the combined optimum says and leaves out.
TEST(Combined, Issue34CombinedCases) {
    using Method = qvrfc::CombineMethod;
    const struct {
        const char* name;
        std::function<qvrfc::Analysis()> analyse;
        std::vector<std::string> said, unsaid;
    } cases[] = {
        // 6: dynamic responses are left out with a line; no placeholder figures.
        {"dynamic",
         [] { return TwoDynamicResponses(Method::Desirability); },
         {"Every response is dynamic: the combined optimum leaves dynamic responses out"},
         {"give the nominal responses a target", "Overall desirability"}},
        {"dynamic grey",
         [] { return TwoDynamicResponses(Method::Grey); },
         {"leaves dynamic responses out"},
         {"desirability "}},
        // 6: the advice goes to the nominal response without a target only.
        {"nominal without target",
         [] {
             qvrfc::AnalysisInput input;
             input.dataFile = qvrfc_test::DataFile("DOETest2.ipt");
             qvrfc::AnalysisSettings settings;
             settings.sn = {qvrfc::ParseSnSetting("1=larger")};
             return qvrfc::Analyze(input, settings);
         },
         {"'Quality#2' is nominal without a target: it has no desirability"},
         {"'Quality#1' is nominal", "give the nominal responses a target"}},
        // 6: grey never speaks of desirability.
        {"grey",
         [] { return Moulding({}, Method::Grey); },
         {"Each response's predicted mean"},
         {"desirability", "Desirability"}},
        // 7: the bounds are the predictions' range, said; D separates the combinations.
        {"bounds",
         [] { return Moulding(); },
         {"Desirability bounds not given (--desirability) are the smallest and largest "
          "prediction over the combinations of the tested levels (widened to hold a nominal "
          "target): Strength 35.69 to 47.34, Shrinkage 0.7859 to 1.647.",
          "Overall desirability 0.9716"},
         {"combinations share"}},
        // 7: bounds given inside the predictions' range saturate: the tie is said with its count.
        {"tie",
         [] { return Moulding({}, Method::Desirability, "Strength=high:44;Shrinkage=low:0.9"); },
         {"combinations share the largest overall desirability 1.0000",
          "Strength 35.69 to (given) 44, Shrinkage (given) 0.9 to 1.647"},
         {}},
    };
    for (const auto& c : cases) {
        const qvrfc::Analysis analysis = c.analyse();
        const std::string summary = qvrfc::SummaryText(analysis);
        const std::string text = summary.substr(summary.find("\nSeveral responses"));
        const std::string part = text.substr(0, text.find("\nVerdict"));
        for (const std::string& said : c.said)
            EXPECT_TRUE(Has(part, said)) << c.name << ": " << said << "\n" << part;
        for (const std::string& unsaid : c.unsaid)
            EXPECT_FALSE(Has(part, unsaid)) << c.name << ": " << unsaid << "\n" << part;
        for (const qvrfc::CombinedResponse& r : analysis.combined->responses) {
            EXPECT_EQ(std::isnan(r.predicted.value), r.dynamic) << c.name;
            EXPECT_EQ(r.hasClosest, std::isfinite(r.target)) << c.name;
            if (r.dynamic) {
                EXPECT_TRUE(std::isnan(r.low) && std::isnan(r.target)) << c.name;
            }
        }
        if (analysis.combined->method == Method::Grey) {
            EXPECT_TRUE(std::isnan(analysis.combined->desirability)) << c.name;
            EXPECT_EQ(analysis.combined->ties, 0.0) << c.name;
        }
    }
}

// The tie's count is the number of combinations of the largest overall desirability.
TEST(Combined, TieCountIsTheCombinationsOfTheLargestDesirability) {
    const qvrfc::Analysis analysis =
        Moulding({}, qvrfc::CombineMethod::Desirability, "Strength=high:44;Shrinkage=low:0.9");
    const qvrfc::CombinedResult& combined = *analysis.combined;
    int ties = 0;
    EveryCombination(analysis, [&](const std::vector<qvrfc::FactorLevel>& at) {
        const double d = qvrfc::OverallOf(
            combined, {PredictedMean(analysis, 0, at), PredictedMean(analysis, 1, at)});
        ties += std::fabs(d - combined.desirability) <= 1e-12 ? 1 : 0;
    });
    EXPECT_EQ(combined.desirability, 1.0);
    EXPECT_GT(combined.ties, 1.0);
    // The search counts the combinations of the factors that move a prediction: Injection
    // speed moves neither, and repeats each of them at its 3 levels here.
    EXPECT_EQ(ties, 3 * combined.ties);
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

// New bounds without analysing again give what the analysis with them gives; refused bounds
// leave the analysis as it was.
TEST(Combined, RecombineIsTheAnalysisWithTheBounds) {
    const std::string bounds = "Strength=low:40,high:48;Shrinkage=importance:2";
    const qvrfc::Analysis analysed = Moulding({}, qvrfc::CombineMethod::Desirability, bounds);
    qvrfc::Analysis recombined = Moulding();
    qvrfc::AnalysisSettings settings;
    settings.desirability = qvrfc::ParseDesirabilitySettings(bounds);
    qvrfc::Recombine(recombined, settings);
    EXPECT_EQ(recombined.combined->desirability, analysed.combined->desirability);
    EXPECT_EQ(recombined.combined->levels.size(), analysed.combined->levels.size());
    for (size_t f = 0; f < analysed.combined->levels.size(); ++f)
        EXPECT_EQ(recombined.combined->levels[f].level, analysed.combined->levels[f].level);

    settings.desirability = qvrfc::ParseDesirabilitySettings("Strength=low:1000");
    EXPECT_THROW(qvrfc::Recombine(recombined, settings), qvrfc::Error);
    EXPECT_EQ(recombined.combined->desirability, analysed.combined->desirability);
    EXPECT_EQ(recombined.experiment.responses[0].low, 40.0);
}
