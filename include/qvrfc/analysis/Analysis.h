// The whole path from observations to verdict, in-process: a quality data file, or a filled
// run sheet with its experiment file, and the settings give one Analysis value. Every output
// (the terminal summary, the verdict text, results.json, the page and the charts) renders
// this value and computes nothing of its own, so none can contradict another.
//
//   qvrfc::AnalysisInput input;
//   input.dataFile = "moulding/runsheet.csv";   // experiment.toml beside it
//   const qvrfc::Analysis analysis = qvrfc::Analyze(input, qvrfc::AnalysisSettings());
//   const qvrfc::Optimum& best = analysis.responses[0].optimum;
//
// Analyze keeps no global state, never changes the current directory and writes no file of the
// caller's: the engine's set-up logs and reports are kept in the value as texts. Analyses may run
// on several threads at once. Bad input throws qvrfc::Error (file, line, key, message).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "qvrfc/analysis/Combined.h"
#include "qvrfc/analysis/ScratchFolder.h"
#include "qvrfc/analysis/Settings.h"
#include "qvrfc/analyzer/QVRFCDOEAnalyzer.h"
#include "qvrfc/common/QVRFCExport.h"
#include "qvrfc/experiment/Experiment.h"
#include "qvrfc/experiment/RunSheet.h"
#include "qvrfc/inference/DynamicSn.h"
#include "qvrfc/inference/NoiseModel.h"
#include "qvrfc/inference/Verdict.h"

namespace qvrfc {

struct AnalysisInput {
    std::string dataFile;        // a quality data file or a run sheet
    std::string experimentFile;  // of a run sheet; empty: experiment.toml beside it
    bool reports = true;  // false: the engine's reports are not rendered, and figures that only
                          // they print go unchecked
    // true: a quality data file's observations are kept run by run (`runObservations`, for the
    // run table); a run sheet's are kept always. Millions of them double the memory an
    // analysis needs while the engine holds them too.
    bool runObservations = false;
};

// The engine's set-up logs, as the engine names them: the set-up of the experiment and the
// listing of its array.
constexpr const char* kSetupLogFile = "DOESetup.log";
constexpr const char* kArrayListingFile = "QVRFCDOETaguchiMethod.log";

// The engine's own texts of an analysis, rendered while the engine held the observations: its
// set-up logs, and its plain and comma-separated reports (each naming itself by its file name,
// as EngineReportNames names them) unless the input asked for none. The reports grow with the
// observations (hundreds of megabytes for millions of them), so they stay on disk, in a folder
// of the value's own that lives as long as any copy of the value.
struct EngineTexts {
    std::string setupLog, arrayListing;  // empty for an engine set up by the caller
    std::vector<std::pair<std::string, std::string>> reports;  // file name, path in `folder`
    std::shared_ptr<const ScratchFolder> folder;
};

// The figures of one run of one response; NaN where a figure does not exist (the standard
// deviation of a single observation).
struct RunFigures {
    int n = 0;
    double mean = 0.0, sd = 0.0, sn = 0.0;
};

// A response table: the mean of one statistic at each level of each factor.
// A dynamic response's tables are of its S/N ratio, its slope and its sensitivity.
enum class Statistic { SnRatio, Mean, StandardDeviation, Slope, Sensitivity, LogVariance };
// "S/N ratio (dB)", "Mean", "Standard deviation", "Slope (beta)", "Sensitivity (dB)",
// "ln s^2": the title of a statistic's table.
QVRFC_API const char* StatisticTitle(Statistic statistic);
struct LevelTable {
    Statistic statistic = Statistic::SnRatio;
    double overall = 0.0;  // the grand average
    struct Row {
        std::vector<double> levels;  // [level]
        double delta = 0.0;          // largest less smallest level mean
        int rank = 0;                // 1 for the largest delta; equal deltas share a rank
        int best = -1;               // the level the aim prefers, -1 for none
    };
    std::vector<Row> rows;  // [factor], the experiment's factors
};

// Pooling advice for one ANOVA of a response: its terms not pooled whose F is below 1 (weaker
// than the error), those of them that may be pooled, and those that may not because another
// ANOVA of the same response (the S/N ratio's, the mean's or slope's, the noise model's) finds
// them significant, which pooling would hide there: --pool pools a term in both ANOVAs.
struct PoolingAdvice {
    std::string anova;         // "sn", "mean" or "beta"
    std::vector<int> weak;     // terms (the verdict's), F below 1, not pooled
    std::vector<int> advised;  // of weak, significant in no other ANOVA of the response
    struct Kept {
        int term = 0;
        std::string significantIn;  // "sn", "mean", "beta" or "noise_model"
        double p = 0.0;             // there
    };
    std::vector<Kept> kept;  // of weak, significant in another ANOVA
};

// Everything about one response, as plain numbers and texts: its verdict (setting, pooling,
// the values analysed, the ANOVA tables of the S/N ratio and of the mean, the optimum) and the
// figures below.
struct ResponseResult : ResponseVerdict {
    bool snChosen = false;  // its S/N kind was named in the settings (else the default)
    std::vector<RunFigures> runs;
    std::vector<int> shortRuns;  // runs (from 0) with fewer observations than the most
    int observations = 0, mostPerRun = 0;
    LevelTable sn, mean, sd;
    std::vector<InteractionTable> interactions;
    // Terms (indexes of the verdict's) not pooled whose F is below 1, for either ANOVA.
    std::vector<int> weakTerms;
    // The same, ANOVA by ANOVA (the S/N ratio's, then the mean's or slope's), with what may be
    // pooled; filled once the noise model is known.
    std::vector<PoolingAdvice> poolingAdvice;
    // The single-degree effects of the S/N ratio ("A", or "B.L", "B.Q" for a 3-level factor's
    // linear and quadratic contrasts), scaled so that a 2-level factor's is the difference of
    // its level means; empty unless the main effects leave no residual to test against.
    std::vector<std::pair<std::string, double>> effects;
    // Location and dispersion: the ANOVA of each run's ln s^2 over the verdict's terms, pooled
    // as the response is, and its table (smaller is better); none for a dynamic response or
    // when a run has fewer than two observations or none apart.
    std::optional<ResponseAnalysis> logVariance;
    LevelTable logVarianceTable;
    // With noise factors: the noise model of the observations (control factors, noise factors
    // and their interactions, and the dampers), or the reason there is none (a missing
    // observation, a design that is not balanced). Its tables' and dampers' `control` is the
    // experiment's factor.
    std::optional<NoiseModel> noise;
    std::string noiseRefused;
    // Of a dynamic response: each run's slope, S/N ratio and sensitivity; its tables `mean` and
    // `sd` are then those of the slope and the sensitivity. Empty for a static response.
    std::vector<DynamicRun> dynamic;
    // Of a dynamic response: each run's mean under each noise condition at each signal level
    // ([run][condition][signal level]; NaN where nothing was observed), and the intercept of
    // each run's fitted line (0 for the zero-point form; the reference form's line passes
    // through the mean at the smallest signal level).
    std::vector<std::vector<std::vector<double>>> signalMeans;
    std::vector<double> intercepts;
    // Each run's observations as the engine stores them ([run][k]; a missing one above 1e12);
    // of a quality data file only when the input asked for them, else empty.
    std::vector<std::vector<double>> runObservations;
    // The engine's name of its S/N ratio type, with its formula.
    std::string engineSnType;
};

// Whether a quality data file or a run sheet gave the observations.
enum class Source { DataFile, RunSheet };

struct Analysis {
    std::string dataFile;  // as given
    Source source = Source::DataFile;
    bool arrayChosen = false;  // a data file's array was named rather than the first
    // The experiment in names: a data file's factors are its array's columns, named A, B, ...
    // with levels 1, 2, ...; a run sheet's are its experiment's.
    Experiment experiment;
    VerdictModel model;                     // the terms, the design's layout and alpha
    std::vector<ResponseResult> responses;  // one record per response
    int observations = 0;
    std::optional<CombinedResult> combined;  // with two responses or more
    EngineTexts engineTexts;

    // The text of factor f's level l (from 0), as the user wrote it.
    QVRFC_API std::string LevelText(int factor, int level) const;
};

// The names of the engine's plain and comma-separated reports of a data file: "<stem>.log" and
// "<stem>.csv" for a quality data file, "<stem>-analysis.log" and ".csv" for a run sheet. An
// experiment held in memory (no data file) is named as its filled run sheet, runsheet.csv.
QVRFC_API std::vector<std::string> EngineReportNames(const std::string& dataFile, bool runSheet);

QVRFC_API Analysis Analyze(const AnalysisInput& input, const AnalysisSettings& settings);
// The same for an experiment held in memory and its observations ([response][run][k], NaN for
// none), as a filled run sheet gives them.
QVRFC_API Analysis Analyze(const Experiment& experiment, const SheetObservations& observations,
                           const AnalysisSettings& settings);

// The analysis of the observations an engine holds, set up on an array (as a data file sets
// it up): every column a factor named A, B, .... The analysis sets the engine's S/N kinds and
// pooled factors from the settings and keeps nothing of it; its set-up logs are the caller's.
QVRFC_API Analysis AnalyzeEngine(const std::shared_ptr<CQVRFCDOEAnalyzer>& engine,
                                 const AnalysisSettings& settings);

// FACTOR=LEVEL,... as the experiment names factors (its names, letters or numbers from 1)
// and levels (the values as written, or level numbers from 1 of a data file's factors).
// qvrfc::Error naming the item for an unknown factor or level or a factor given twice.
QVRFC_API std::vector<FactorLevel> ParseLevels(const Analysis& analysis, const std::string& text);

// The experiment's factor that text names: its name, its letter or its number from 1; -1 for
// none.
QVRFC_API int FactorOfText(const Experiment& experiment, const std::string& text);

}  // namespace qvrfc
