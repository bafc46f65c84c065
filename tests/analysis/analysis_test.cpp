// The analysis layer in-process: the whole path from a run sheet or a data file to the one
// Analysis value, its renderings kept as golden files, every output agreeing with the verdict,
// and two analyses on two threads giving what they give one after the other.
#include "qvrfc/analysis/Analysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <thread>

#include "qvrfc/experiment/ArrayChoice.h"
#include "qvrfc/results/ResultsJson.h"
#include "qvrfc/results/Summary.h"
#include "qvrfc/results/VerdictReport.h"
#include "support/golden.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;

struct Case {
    const char* name;  // of the golden files
    const char* dataFile;
    std::vector<std::string> sn;
};

// The bundled L18, a leaf-spring-style L8 (4 factors on columns 1, 2, 4, 7, a noise factor),
// a quality data file and a load cell's calibration (a dynamic response, three loads, two
// ambient temperatures).
const Case kCases[] = {
    {"moulding", "moulding/runsheet.csv", {}},
    {"leaf_spring", "leaf-spring/runsheet.csv", {}},
    {"data_file", "DOETest1.ipt", {"1=larger"}},
    {"calibration", "calibration/runsheet.csv", {}},
};

qvrfc::Analysis AnalysisOf(const Case& c) {
    qvrfc::AnalysisInput input;
    input.dataFile = qvrfc_test::DataFile(c.dataFile);
    qvrfc::AnalysisSettings settings;
    for (const std::string& text : c.sn)
        settings.sn.push_back(qvrfc::ParseSnSetting(text));
    return qvrfc::Analyze(input, settings);
}

TEST(Analysis, SummaryVerdictAndResultsOfEachSource) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        const qvrfc::Analysis analysis = AnalysisOf(c);
        qvrfc_test::ExpectGolden(
            std::string("analysis/") + c.name + ".txt",
            qvrfc::SummaryText(analysis) + "\nVerdict\n\n" + qvrfc::VerdictText(analysis));
        qvrfc_test::ExpectGolden(std::string("analysis/") + c.name + ".json",
                                 qvrfc::ResultsJsonText(analysis));
    }
}

// One prediction per optimum: a prediction at the optimum's settings (an adjustment factor
// between its tested levels at its value) is the optimum's own.
TEST(Analysis, PredictionAtTheOptimumIsTheOptimums) {
    for (const Case& c : kCases) {
        const qvrfc::Analysis analysis = AnalysisOf(c);
        for (const qvrfc::ResponseResult& q : analysis.responses) {
            const qvrfc::Optimum& o = q.optimum;
            qvrfc::SettingsAt at;
            for (const qvrfc::FactorLevel& level : o.levels) {
                if (level.factor == o.betweenFactor)
                    at.between.push_back({level.factor, o.betweenValue});
                else
                    at.levels.push_back(level);
            }
            for (const auto& [anova, expected] :
                 {std::pair(&q.snAnova, o.sn), std::pair(&q.meanAnova, o.mean)}) {
                const qvrfc::Prediction p = qvrfc::PredictBetween(analysis, *anova, at);
                EXPECT_EQ(p.value, expected.value) << c.name;
                EXPECT_EQ(p.effectiveCount, expected.effectiveCount) << c.name;
            }
        }
    }
}

// Every option names factors alike: by name, letter or number; levels as written or by number.
TEST(Analysis, FactorsByNameLetterOrNumber) {
    const qvrfc::Analysis analysis = AnalysisOf(kCases[0]);
    const std::vector<qvrfc::FactorLevel> at =
        qvrfc::ParseLevels(analysis, "A=2,Melt temperature=235,3=3,h=15");
    const std::vector<std::pair<int, int>> expected = {{0, 1}, {1, 1}, {2, 2}, {7, 0}};
    ASSERT_EQ(at.size(), expected.size());
    for (size_t i = 0; i < at.size(); ++i)
        EXPECT_EQ(std::make_pair(at[i].factor, at[i].level), expected[i]) << i;
}

// Two different analyses at once, each with its own log folder, give what each gives alone;
// nothing lands in the current directory.
// Two noise factors of three and two levels in every combination: a noise model whose
// interactions with a three-level noise have 4 degrees of freedom; one observation missing and
// the noise model gives way to its reason while the S/N analysis stands.
TEST(Analysis, NoiseModelOfSeveralNoiseFactorsOrItsReason) {
    qvrfc::Experiment experiment;
    for (const char* name : {"A", "B", "C"})
        experiment.factors.push_back({name, "", {"1", "2", "3"}, -1});
    experiment.responses = {{"Y", "", qvrfc::SnKind::Larger}};
    experiment.noise = {{"N1", {"x", "y", "z"}}, {"N2", {"lo", "hi"}}};
    experiment.array = CQVRFCDOETaguchiOrthogonalArray::OA_L9;
    experiment.repetitions = 2;
    experiment.runOrder = qvrfc::RunOrder(9, false, 0);
    qvrfc::PlaceFactors(experiment);
    qvrfc::SheetObservations observations(1);
    for (int r = 0; r < 9; ++r) {
        observations[0].emplace_back();
        for (int k = 0; k < 12; ++k)
            observations[0][r].push_back(10 + experiment.Level(r, 0) * (k / 4) + (r * k % 5) / 4.0);
    }
    const qvrfc::Analysis analysis = qvrfc::Analyze(experiment, observations, {});
    ASSERT_TRUE(analysis.responses[0].noise.has_value());
    const qvrfc::ResponseAnalysis& anova = analysis.responses[0].noise->anova;
    ASSERT_EQ(anova.table.TermCount(), 11u);
    EXPECT_EQ(anova.table.Term(5).name, "A*N1");
    EXPECT_EQ(anova.table.Term(5).dof, 4);
    EXPECT_EQ(qvrfc::DamperTexts(analysis, 0)[0].substr(0, 14), "Damper A (p = ");

    observations[0][1][2] = std::nan("");
    const qvrfc::Analysis missing = qvrfc::Analyze(experiment, observations, {});
    EXPECT_FALSE(missing.responses[0].noise.has_value());
    EXPECT_EQ(missing.responses[0].noiseRefused,
              "observation 3 of run 2 is missing, and the noise model needs every observation");
}

// results.json and the engine's texts, its set-up log and its report, without their times.
std::string TextsOf(const qvrfc::Analysis& analysis) {
    return qvrfc::ResultsJsonText(analysis) +
           qvrfc_test::MaskTimes(analysis.engineTexts.setupLog +
                                 analysis.engineTexts.reports.at(0).second);
}

// The engine's texts are the value's, rendered in a scratch folder of each analysis: nothing
// lands in the current directory.
TEST(Analysis, TwoThreadsGiveWhatOneAfterTheOtherGives) {
    std::vector<std::string> alone;
    for (size_t i = 0; i < 3; ++i)
        alone.push_back(TextsOf(AnalysisOf(kCases[i])));
    std::vector<std::string> together(3);
    std::vector<std::thread> threads;
    for (int round = 0; round < 5; ++round) {
        for (size_t i = 0; i < 3; ++i)
            threads.emplace_back([&, i] { together[i] = TextsOf(AnalysisOf(kCases[i])); });
        for (std::thread& thread : threads)
            thread.join();
        threads.clear();
        EXPECT_EQ(together, alone) << round;
    }
    EXPECT_TRUE(fs::is_empty(fs::current_path()));
}

}  // namespace
