// The path from a data file or run sheet to the Analysis value: the engine holds the
// observations and computes the run statistics, the inference layer the ANOVAs and optima;
// this file gathers them in the experiment's names.
#include "qvrfc/analysis/Analysis.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <system_error>

#include "analysis/AnalysisChecks.h"
#include "analysis/AnalysisParts.h"
#include "analysis/EngineTexts.h"
#include "qvrfc/analysis/ScratchFolder.h"
#include "qvrfc/analyzer/QVRFCDOEDataFileReader.h"
#include "qvrfc/common/QVRFCError.h"
#include "qvrfc/common/QVRFCFactorNames.h"
#include "qvrfc/common/QVRFCTextFormat.h"
#include "qvrfc/experiment/Design.h"
#include "qvrfc/experiment/ExperimentAnalyzer.h"
#include "qvrfc/experiment/ExperimentFile.h"
#include "qvrfc/experiment/RunSheet.h"
#include "qvrfc/inference/InteractionTerms.h"

namespace qvrfc {
namespace {

namespace fs = std::filesystem;
using Analyzer = CQVRFCDOEAnalyzer;

std::string ExperimentFileOf(const AnalysisInput& input) {
    if (!input.experimentFile.empty()) return input.experimentFile;
    const fs::path beside = fs::path(input.dataFile).parent_path() / kExperimentFile;
    std::error_code error;
    if (!fs::is_regular_file(beside, error))
        throw Error::Placed(FormatText("'%s' has no experiment file beside it (%s); name it with "
                                       "--experiment",
                                       input.dataFile.c_str(), beside.c_str()),
                            input.dataFile, 0, "");
    return beside.string();
}

std::vector<std::string> NamesOf(const Experiment& experiment) {
    std::vector<std::string> names;
    for (const ExperimentResponse& response : experiment.responses)
        names.push_back(response.name);
    return names;
}

// The names the engine gives a quality data file's responses once it holds them.
std::vector<std::string> DataFileResponseNames(int count) {
    std::vector<std::string> names;
    for (int q = 1; q <= count; ++q)
        names.push_back(FormatText("Quality#%d", q));
    return names;
}

// A quality data file's experiment: every column of its array a factor, named A, B, ...,
// with levels 1, 2, ...; the responses under the engine's names once it holds them.
Experiment DataFileExperiment(OA_TYPE array) {
    Experiment experiment;
    experiment.array = array;
    for (int column = 0; column < CQVRFCDOETaguchiOrthogonalArray::GetNoFactor(array); ++column) {
        Factor factor;
        factor.name = FactorName(column);
        factor.column = column;
        const int levels = CQVRFCDOETaguchiOrthogonalArray::GetNoLevel(array, column);
        for (int l = 1; l <= levels; ++l)
            factor.levels.push_back(std::to_string(l));
        experiment.factors.push_back(factor);
    }
    return experiment;
}

void AddEngineResponses(const Analyzer& analyzer, Experiment& experiment) {
    for (int q = 0; q < analyzer.GetNoQuality(); ++q) {
        ExperimentResponse response;
        response.name = analyzer.GetQualityFactorName(q).GetString();
        response.sn = SnKindOf(analyzer.GetQualityCharacteristic(q));
        // The engine's default target (0) is no target the engineer chose.
        response.target = std::numeric_limits<double>::quiet_NaN();
        experiment.responses.push_back(response);
    }
}

void ApplySnSettings(const AnalysisSettings& settings, Experiment& experiment) {
    for (const SnSetting& setting : settings.sn) {
        ExperimentResponse& response = experiment.responses[setting.response - 1];
        if (response.dynamic)
            throw UsageError("--sn",
                             FormatText("--sn '%s': %s is a dynamic response (%s), judged by its "
                                        "dynamic S/N ratio",
                                        setting.text.c_str(), response.name.c_str(),
                                        DynamicKindName(*response.dynamic)));
        response.sn = setting.kind;
        response.target = setting.target;
    }
    ApplyDesirabilitySettings(settings, experiment);
}

// The S/N kinds and targets in the engine: the textbook kind maps to the engine's own
// smaller-the-better, a missing target to 0.
void ApplyResponsesToEngine(const Experiment& experiment, Analyzer& analyzer) {
    for (size_t q = 0; q < experiment.responses.size(); ++q) {
        const ExperimentResponse& response = experiment.responses[q];
        analyzer.SetQualityCharacteristic(static_cast<int>(q), EngineSnType(response.sn),
                                          std::isfinite(response.target) ? response.target : 0.0);
    }
}

// The statistics that const queries cache in the run records (averages, deviations, S/N
// ratios), filled once with the final settings, so that later readers only read.
void FillCaches(const Analyzer& analyzer) {
    for (int q = 0; q < analyzer.GetNoQuality(); ++q) {
        for (int r = 0; r < analyzer.GetNoRun(); ++r) {
            analyzer.GetRunQualityValue(q, r);
            analyzer.GetRunStandardDeviation(q, r);
            analyzer.GetSNRatio(q, r);
        }
    }
}

// The experiment of an engine that holds a data file's observations: every column a factor.
void TakeEngine(Analyzer& analyzer, const AnalysisSettings& settings, Analysis& analysis) {
    analysis.source = Source::DataFile;
    analysis.experiment = DataFileExperiment(analyzer.GetDOEArrayType());
    AddEngineResponses(analyzer, analysis.experiment);
    ApplySnSettings(settings, analysis.experiment);
    ApplyResponsesToEngine(analysis.experiment, analyzer);
}

std::shared_ptr<Analyzer> LoadDataFile(const AnalysisInput& input, AnalysisSettings& settings,
                                       const ScratchFolder& scratch, Analysis& analysis) {
    CQVRFCDOEDataFileReader data;
    if (settings.array != CQVRFCDOETaguchiOrthogonalArray::OA_UNDEFINED)
        data.SetArrayType(settings.array);
    if (!data.Read(input.dataFile.c_str()))
        throw Error::Placed(data.Describe(input.dataFile.c_str()), input.dataFile,
                            data.GetProblem().line, "");
    ResolveResponses(settings, DataFileResponseNames(data.GetNoQuality()), input.dataFile);
    analysis.source = Source::DataFile;
    analysis.experiment = DataFileExperiment(data.GetArrayType());
    CheckSettingNames(analysis, settings);
    auto analyzer = std::make_shared<Analyzer>();
    analyzer->SetLogFolder(scratch.Path().c_str());
    if (!analyzer->LoadData(data))
        throw DataError(input.dataFile, "the experiment cannot be set up");
    // The data file carries no control factor values; each factor takes its level number, so
    // the report's run table shows the design and its ANOVA totals span every factor.
    for (int r = 0; r < analyzer->GetNoRun(); ++r) {
        for (int f = 0; f < analyzer->GetNoFactor(); ++f)
            analyzer->SetControlFactorValue(r, f, analyzer->GetLevel(r, f));
    }
    analysis.arrayChosen = settings.array != CQVRFCDOETaguchiOrthogonalArray::OA_UNDEFINED;
    TakeEngine(*analyzer, settings, analysis);
    return analyzer;
}

// An experiment and its observations, set up in the engine.
std::shared_ptr<Analyzer> LoadObservations(const SheetObservations& observations,
                                           const AnalysisInput& input, const ScratchFolder& scratch,
                                           Analysis& analysis) {
    auto analyzer = std::make_shared<Analyzer>();
    analyzer->SetLogFolder(scratch.Path().c_str());
    try {
        SetUpAnalyzer(*analyzer, analysis.experiment, &observations);
    } catch (const Error& error) {
        throw DataError(input.dataFile, error);
    }
    return analyzer;
}

std::shared_ptr<Analyzer> LoadRunSheet(const AnalysisInput& input, AnalysisSettings& settings,
                                       const ScratchFolder& scratch, Analysis& analysis,
                                       SheetObservations& observations) {
    if (settings.array != CQVRFCDOETaguchiOrthogonalArray::OA_UNDEFINED)
        throw UsageError("--array", "--array: a run sheet's array is its experiment's");
    analysis.source = Source::RunSheet;
    analysis.arrayChosen = true;
    analysis.experiment = ReadExperimentFile(ExperimentFileOf(input));
    ResolveResponses(settings, NamesOf(analysis.experiment), input.dataFile);
    ApplySnSettings(settings, analysis.experiment);
    CheckSettingNames(analysis, settings);
    observations = ReadRunSheet(analysis.experiment, input.dataFile);
    return LoadObservations(observations, input, scratch, analysis);
}

std::vector<SnKind> KindsOf(const Experiment& experiment) {
    std::vector<SnKind> kinds;
    for (const ExperimentResponse& response : experiment.responses)
        kinds.push_back(response.sn);
    return kinds;
}

}  // namespace

std::string Analysis::LevelText(int factor, int level) const {
    if (factor >= 0 && factor < static_cast<int>(experiment.factors.size())) {
        const std::vector<std::string>& levels = experiment.factors[factor].levels;
        if (level >= 0 && level < static_cast<int>(levels.size())) return levels[level];
    }
    return std::to_string(level + 1);
}

namespace {

// What every source shares once the engine holds the observations. With a scratch folder (the
// engine's log folder), the engine's texts are kept, its reports with input.reports.
Analysis Finish(Analysis analysis, const std::shared_ptr<Analyzer>& analyzer,
                const AnalysisInput& input, const AnalysisSettings& settings,
                const SheetObservations& observations,
                const std::shared_ptr<const ScratchFolder>& scratch) {
    const std::vector<FactorPair> interactions = DeclaredInteractions(analysis, settings);
    ApplyPoolsToEngine(analysis, settings, *analyzer);
    FillCaches(*analyzer);
    // A dynamic response's runs are judged by their own figures first: the engine's stand-in
    // S/N kind for it would refuse a run with the wrong message.
    const std::vector<std::vector<DynamicRun>> dynamic = DynamicRunsOf(analysis, observations);
    CheckAnalysable(*analyzer, KindsOf(analysis.experiment), NamesOf(analysis.experiment),
                    input.dataFile, input.reports);
    // From here on the engine is only read: its reports are rendered meanwhile.
    std::optional<EngineTextsRendering> texts;
    if (scratch)
        texts.emplace(*analyzer, scratch,
                      input.reports ? EngineReportNames(analysis.dataFile,
                                                        analysis.source == Source::RunSheet)
                                    : std::vector<std::string>());
    Verdict verdict = VerdictOfAnalysis(analysis, settings, interactions, *analyzer, dynamic);
    analysis.model = std::move(verdict.model);
    FillResponses(analysis, settings, std::move(verdict.responses), dynamic);
    FillSignalMeans(analysis, observations);
    InterpolateAdjusters(analysis);
    FillNoiseModels(analysis, observations);
    FillPoolingAdvice(analysis);
    if (analysis.responses.size() > 1) analysis.combined = CombineResponses(analysis, settings);
    FillEngineFigures(*analyzer, analysis,
                      input.runObservations || analysis.source == Source::RunSheet);
    if (texts) analysis.engineTexts = texts->Finish();
    return analysis;
}

}  // namespace

std::vector<std::string> EngineReportNames(const std::string& dataFile, bool runSheet) {
    const std::string stem = fs::path(dataFile.empty() ? kRunSheetFile : dataFile).stem().string();
    const std::string reports = runSheet ? stem + "-analysis" : stem;
    return {reports + ".log", reports + ".csv"};
}

Analysis Analyze(const AnalysisInput& input, const AnalysisSettings& settings) {
    CheckAlpha(settings.alpha);
    Analysis analysis;
    analysis.dataFile = input.dataFile;
    AnalysisSettings resolved = settings;
    const auto scratch = std::make_shared<const ScratchFolder>();
    SheetObservations observations;  // of a run sheet; a data file has no noise factors
    const std::shared_ptr<Analyzer> analyzer =
        IsRunSheetFile(input.dataFile)
            ? LoadRunSheet(input, resolved, *scratch, analysis, observations)
            : LoadDataFile(input, resolved, *scratch, analysis);
    return Finish(std::move(analysis), analyzer, input, resolved, observations, scratch);
}

Analysis Analyze(const Experiment& experiment, const SheetObservations& observations,
                 const AnalysisSettings& settings) {
    CheckAlpha(settings.alpha);
    if (settings.array != CQVRFCDOETaguchiOrthogonalArray::OA_UNDEFINED)
        throw UsageError("--array", "--array: an experiment's array is its own");
    const AnalysisInput input;
    Analysis analysis;
    analysis.source = Source::RunSheet;
    analysis.arrayChosen = true;
    analysis.experiment = experiment;
    AnalysisSettings resolved = settings;
    ResolveResponses(resolved, NamesOf(experiment), "the experiment");
    ApplySnSettings(resolved, analysis.experiment);
    const auto scratch = std::make_shared<const ScratchFolder>();
    const std::shared_ptr<Analyzer> analyzer =
        LoadObservations(observations, input, *scratch, analysis);
    return Finish(std::move(analysis), analyzer, input, resolved, observations, scratch);
}

Analysis AnalyzeEngine(const std::shared_ptr<CQVRFCDOEAnalyzer>& engine,
                       const AnalysisSettings& settings) {
    CheckAlpha(settings.alpha);
    Analysis analysis;
    std::vector<std::string> names;
    for (int q = 0; q < engine->GetNoQuality(); ++q)
        names.push_back(engine->GetQualityFactorName(q).GetString());
    AnalysisSettings resolved = settings;
    ResolveResponses(resolved, names, "the experiment");
    TakeEngine(*engine, resolved, analysis);
    AnalysisInput input;
    input.reports = false;
    return Finish(std::move(analysis), engine, input, resolved, {}, nullptr);
}

}  // namespace qvrfc
