// The analysis layer in-process: the whole path from a run sheet or a data file to the one
// Analysis value, its renderings kept as golden files, every output agreeing with the verdict,
// and two analyses on two threads giving what they give one after the other.
#include "qvrfc/analysis/Analysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <random>
#include <thread>

#include "analysis/bundled.h"
#include "qvrfc/experiment/ArrayChoice.h"
#include "qvrfc/results/ResultsJson.h"
#include "qvrfc/results/Summary.h"
#include "qvrfc/results/VerdictReport.h"
#include "support/golden.h"

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
    qvrfc::AnalysisOptions options;
    options.sn = c.sn;
    return qvrfc_test::Bundled(c.dataFile, options);
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
                 {std::pair(&q.snAnova, o.sn), std::pair(&q.MeanModel(), o.mean)}) {
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
                                 qvrfc_test::ReadFile(analysis.engineTexts.reports.at(0).second));
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
    std::string report;  // on disk while a copy of the value lives, and no longer
    {
        const qvrfc::Analysis first = AnalysisOf(kCases[0]), copy = first;
        report = copy.engineTexts.reports.at(0).second;
    }
    EXPECT_FALSE(fs::exists(report));
}

}  // namespace

namespace decisions {

// The seed of L18WithoutDamper: its smallest p, 0.0268, was a damper before Holm's adjustment.
constexpr unsigned kL18Seed = 1;
const char* const kCalibrationAdhesive =
    "Adhesive has F below 1 in the ANOVA of the slope (beta) but is not to be pooled: the ANOVA "
    "of the S/N ratio finds it significant (p = 0.01749), and pooling would take it out there too.";
const char* const kCalibrationGauge =
    "Gauge has F below 1 in the ANOVA of the S/N ratio but is not to be pooled: the ANOVA of the "
    "slope (beta) finds it significant (p = 0.0005728), and pooling would take it out there too.";
const char* const kSpringTransfer =
    "F below 1 (weaker than the error) in the ANOVA of the S/N ratio: Transfer time; in the ANOVA "
    "of the observations: Transfer time; pool it into the error (--pool '1=Transfer time').";
// The mean from the noise model's significant controls (Furnace temperature, Heating time,
// Hold-down time) and its error: R's lm(y ~ (A + B + C + D) * N) gives 7.8866667 with
// n_eff 48 / 4 and the interval +- sqrt(qf(0.95, 1, 38) * 0.0158 / 12).
const char* const kSpringTarget =
    "The target 8 lies outside the mean's 95% interval at the optimum (7.8132 to 7.9601): the "
    "nearest mean reached is 7.8867, 0.1133 below the target, with the adjustment factor Heating "
    "time at its tested level nearest the target.";
const char* const kSpringAdjusterDamper =
    "Heating time is both the adjustment factor and a damper of Quench oil temperature: the "
    "optimum takes Heating time=+ for the mean, where the noise moves Free height by -0.4250, "
    "against -0.0942 at its damping level Heating time=-.";
const char* const kL18NoDamper =
    "No damper: no control x noise interaction is significant at alpha 0.05 after Holm's "
    "adjustment over 16 tests (smallest p 0.02675, adjusted 0.4281).";

// Control factors named A, B, ... of the level counts given, on the array chosen, noise
// factors of two levels, one response; observation k of run r from y.
qvrfc::Analysis Made(qvrfc::OA_TYPE array, const std::vector<int>& levels, int noiseFactors,
                     int repetitions,
                     const std::function<double(const qvrfc::Experiment&, int, int)>& y,
                     const qvrfc::AnalysisSettings& settings = {}) {
    qvrfc::Experiment experiment;
    for (size_t f = 0; f < levels.size(); ++f) {
        std::vector<std::string> names;
        for (int l = 0; l < levels[f]; ++l)
            names.push_back(std::to_string(l + 1));
        experiment.factors.push_back({std::string(1, char('A' + f)), "", names, -1});
    }
    experiment.responses = {{"Y", "", qvrfc::SnKind::Larger}};
    for (int n = 0; n < noiseFactors; ++n)
        experiment.noise.push_back({"N" + std::to_string(n + 1), {"lo", "hi"}});
    experiment.array = array;
    experiment.repetitions = repetitions;
    qvrfc::PlaceFactors(experiment);
    experiment.runOrder = qvrfc::RunOrder(experiment.RunCount(), false, 0);
    const size_t perRun = qvrfc::NoiseConditions(experiment).size() * repetitions;
    qvrfc::SheetObservations observations(1);
    for (int r = 0; r < experiment.RunCount(); ++r) {
        observations[0].emplace_back();
        for (size_t k = 0; k < perRun; ++k)
            observations[0][r].push_back(y(experiment, r, int(k)));
    }
    return qvrfc::Analyze(experiment, observations, settings);
}

qvrfc::Analysis Bundled(const char* dataFile, const std::vector<std::string>& pools) {
    qvrfc::AnalysisOptions options;
    options.pool = pools;
    return qvrfc_test::Bundled(dataFile, options);
}

// An L18 of eight control factors observed under two noise factors (an L4 outer array of two
// columns: every combination), twice each; the noise moves the response alike at every
// control level: the data hold no damper. Gaussian-like errors from a fixed generator.
qvrfc::Analysis L18WithoutDamper(unsigned seed = kL18Seed) {
    std::mt19937 generator(seed);
    return Made(CQVRFCDOETaguchiOrthogonalArray::OA_L18, {2, 3, 3, 3, 3, 3, 3, 3}, 2, 2,
                [&](const qvrfc::Experiment&, int, int k) {
                    double e = -6.0;
                    for (int i = 0; i < 12; ++i)
                        e += generator() / 4294967296.0;
                    return 20.0 + 1.5 * (k / 4) + 0.8 * (k / 2 % 2) + e;
                });
}

// An L18 whose factor B moves the response by 0.3 a level and noise factor N1 by 4: against
// the noise B is weak in the ANOVA of the observations, and significant for the S/N ratio.
qvrfc::Analysis L18WeakAgainstTheNoise() {
    return Made(CQVRFCDOETaguchiOrthogonalArray::OA_L18, {2, 3, 3, 3, 3, 3, 3, 3}, 2, 2,
                [](const qvrfc::Experiment& e, int r, int k) {
                    return 20.0 + 4.0 * (k / 4) + 0.3 * e.Level(r, 1) +
                           0.05 * ((7 * r + 3 * k) % 5);
                });
}

// An L4 of three control factors under three two-level noise factors on the default outer
// array (an L4): the noise model leaves no degrees of freedom for error.
qvrfc::Analysis SaturatedNoiseModel(const std::string& pool = "") {
    qvrfc::AnalysisSettings settings;
    if (!pool.empty()) settings.pools.push_back(qvrfc::ParsePoolSetting(pool));
    return Made(
        CQVRFCDOETaguchiOrthogonalArray::OA_L4, {2, 2, 2}, 3, 1,
        [](const qvrfc::Experiment&, int r, int k) {
            return 5.0 + 0.3 * r + 0.7 * k + 0.1 * ((r * k) % 3);
        },
        settings);
}

}  // namespace decisions

// The decisions of issue 34 built on the figures, one row per case: the pooling advice per
// ANOVA, a noise model that cannot be tested, dampers after Holm's adjustment, a nominal
// target out of reach and an adjustment factor that is also a damper.
TEST(Analysis, DecisionsSayWhatTheFiguresAllow) {
    struct Row {
        const char* name;
        std::function<qvrfc::Analysis()> analysis;
        std::vector<std::string> said, unsaid;  // lines of the verdict's notes and dampers
    };
    const Row rows[] = {
        {"2: calibration, factors weak in one ANOVA and significant in the other",
         [] { return decisions::Bundled("calibration/runsheet.csv", {}); },
         {decisions::kCalibrationAdhesive, decisions::kCalibrationGauge},
         {"F below 1 (weaker than the error): Gauge, Adhesive"}},
        {"2: leaf spring, the adjustment factor significant for the observations",
         [] { return decisions::Bundled("leaf-spring/runsheet.csv", {}); },
         {decisions::kSpringTransfer},
         {}},
        {"2: a factor weak against the noise, significant for the S/N ratio",
         decisions::L18WeakAgainstTheNoise,
         {"B has F below 1 in the ANOVA of the observations but is not to be pooled: the ANOVA of "
          "the S/N ratio finds it significant (p = 5.519e-05), and pooling would take it out "
          "there too."},
         {}},
        {"2: leaf spring, pooling by rule already in effect",
         [] { return decisions::Bundled("leaf-spring/runsheet.csv", {"1=auto"}); },
         {},
         {"--pool 1=auto"}},
        {"3: saturated noise model, pooled by rule",
         [] { return decisions::SaturatedNoiseModel("1=auto"); },
         {"B has F below 1 in the ANOVA of the observations but is not to be pooled: the noise "
          "model finds it significant (p = 1.475e-07), and pooling would take it out there too."},
         {"cannot be tested"}},
        {"3: saturated noise model, Lenth's estimate",
         [] { return decisions::SaturatedNoiseModel("1=lenth"); },
         {"No damper: no control x noise interaction is significant at alpha 0.05 after Holm's "
          "adjustment over 9 tests (smallest p 0.1019, adjusted 0.9175)."},
         {"cannot be tested"}},
        {"3: saturated noise model",
         [] { return decisions::SaturatedNoiseModel(); },
         {"The control x noise interactions cannot be tested: no degrees of freedom for error."},
         {"No damper"}},
        {"4: L18 with two noise factors and no damper in the data",
         [] { return decisions::L18WithoutDamper(); },
         {decisions::kL18NoDamper},
         {"Damper "}},
        {"5: leaf spring, target 8 out of reach; the adjustment factor is a damper",
         [] { return decisions::Bundled("leaf-spring/runsheet.csv", {}); },
         {decisions::kSpringTarget, decisions::kSpringAdjusterDamper},
         {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const qvrfc::Analysis analysis = row.analysis();
        std::vector<std::string> lines = qvrfc::VerdictNotes(analysis, 0);
        for (const std::string& text : qvrfc::DamperTexts(analysis, 0))
            lines.push_back(text);
        const std::string all = ::testing::PrintToString(lines);
        for (const std::string& text : row.said)
            EXPECT_NE(std::find(lines.begin(), lines.end(), text), lines.end()) << text << all;
        for (const std::string& text : row.unsaid)
            EXPECT_EQ(all.find(text), std::string::npos) << text << all;
    }
}
