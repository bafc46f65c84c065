// The steps of Analyze, one concern a file: the model and the verdict, the figures of each
// response, and the settings that name factors and terms.
#pragma once

#include <string>
#include <vector>

#include "qvrfc/analysis/Analysis.h"

namespace qvrfc {

// The experiment's declared interactions and those of the settings, each pair once.
std::vector<FactorPair> DeclaredInteractions(const Analysis& analysis,
                                             const AnalysisSettings& settings);

// The factors and interactions that the settings name must be the experiment's.
void CheckSettingNames(const Analysis& analysis, const AnalysisSettings& settings);

// Factors pooled by hand are pooled in the engine too, so that its reports agree.
void ApplyPoolsToEngine(const Analysis& analysis, const AnalysisSettings& settings,
                        CQVRFCDOEAnalyzer& analyzer);

// The verdict on the engine's observations: the experiment's main effects (a data file's
// factors on a declared interaction's columns leave the model) and the declared interactions.
// Dynamic responses are judged by their runs' dynamic S/N ratios and slopes.
Verdict VerdictOfAnalysis(const Analysis& analysis, const AnalysisSettings& settings,
                          const std::vector<FactorPair>& interactions,
                          const CQVRFCDOEAnalyzer& analyzer,
                          const std::vector<std::vector<DynamicRun>>& dynamic);

// Each dynamic response's run figures ([response][run]; empty for a static response), from the
// observations in sheet order. qvrfc::Error naming the response and the run for a run whose
// dynamic S/N ratio does not exist or cannot be computed.
std::vector<std::vector<DynamicRun>> DynamicRunsOf(const Analysis& analysis,
                                                   const SheetObservations& observations);
// The means at each signal level and the fitted lines' intercepts of every dynamic response.
void FillSignalMeans(Analysis& analysis, const SheetObservations& observations);

// The desirability settings over the experiment's responses, checked (CheckDesirability).
void ApplyDesirabilitySettings(const AnalysisSettings& settings, Experiment& experiment);

// The mean of a per-run value at each level of each factor, with Delta, rank and the level
// the setting's aim prefers for the statistic.
LevelTable LevelTableOf(const Experiment& experiment, const std::vector<double>& values,
                        Statistic statistic, const ResponseSpec& setting);

// One record per response: its verdict, with run figures, response tables and flags.
void FillResponses(Analysis& analysis, const AnalysisSettings& settings,
                   std::vector<ResponseVerdict> verdicts,
                   const std::vector<std::vector<DynamicRun>>& dynamic);

// The noise model of every response when the experiment has noise factors, from the
// observations of each run in sheet order ([response][run][k], NaN for none); a response whose
// observations do not allow one gets the reason instead.
void FillNoiseModels(Analysis& analysis, const SheetObservations& observations);

// Two-step optimisation between tested levels: for a dynamic response with a target slope,
// the first numeric adjustment factor (largest F first) whose setting between its tested values
// brings the predicted slope onto the target is set there, as `predict` interpolates.
void InterpolateAdjusters(Analysis& analysis);

// Each response's pooling advice, ANOVA by ANOVA, from its ANOVAs and its noise model.
void FillPoolingAdvice(Analysis& analysis);

}  // namespace qvrfc
