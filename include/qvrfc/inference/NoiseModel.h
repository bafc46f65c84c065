// The noise model of a response, beside its S/N analysis: an analysis of variance of the
// observations whose terms are the control factors, each noise factor and each control x noise
// interaction. A significant control x noise interaction is a control factor that changes how
// much the noise moves the response: a damper, with a level at which the noise moves it least.
//
// The model is R's anova(lm(y ~ (controls) * (noise factors))) with every factor a factor,
// except that interactions between noise factors are not terms: the terms are the control main
// effects, then each noise factor's main effect, then each control x noise interaction (control
// factors major, named "Control*Noise"). The error is what remains: the repetitions, the
// array's unused columns and their interplay with the noise, and the noise x noise
// interactions. SS, dof, MS, F, p, pure sums of squares and contributions are those of
// AnalyzeResponse, pooled as `pooling` says: its term indexes count the terms in model order
// (the controls given first), its rule pools the weakest terms of this model, or takes Lenth's
// estimate when the model leaves no error. A compound noise factor (the extreme conditions of
// several noises combined into one factor) is one noise factor of two levels: one noise term.
//
// The design must be balanced: the control columns and the noise conditions orthogonal (each
// pair's level combinations occur in proportion to their levels' counts, as in an orthogonal
// array or a full factorial), and every run observed the same number of times under every noise
// condition, nothing missing. The terms are then orthogonal, their sums of squares do not depend
// on their order and come from cell means. A design that is not balanced is refused rather than
// analysed approximately.
//
// Dampers: the control x noise interactions whose p, adjusted by Holm's method over the control x
// noise tests of the response (every such interaction with a p), is below alpha, strongest
// first (smallest p; model order where p is equal). Testing many interactions at once finds some
// below alpha by chance; Holm's adjustment keeps the chance of any false damper below alpha.
// With no degrees of freedom for error nothing can be tested and there is no damper. Each
// damper has the noise effect at every level of its control factor. For
// a noise factor of two levels the effect is the difference of its level means there, last
// level minus first (high minus low); for a noise factor of more levels it is the range of its
// level means there, largest minus smallest, never negative. The damping level is the control
// level where the effect is smallest in size (the first of equal ones).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "qvrfc/common/QVRFCExport.h"
#include "qvrfc/inference/ResponseAnova.h"

namespace qvrfc {

// The noise factors of an experiment and the conditions under which each run is observed.
struct NoiseLayout {
    std::vector<std::string> names;            // [noise factor]
    std::vector<int> levelCounts;              // [noise factor]
    std::vector<std::vector<int>> conditions;  // [condition][noise factor], levels from 0
};

// The mean of the observations at each level of a control factor and each level of a noise
// factor: the table of one control x noise interaction.
struct NoiseTable {
    int term = 0;  // in the noise model's ANOVA
    std::string name;
    int control = 0;                        // in the control terms given
    int noise = 0;                          // noise factor
    std::vector<std::vector<double>> mean;  // [control level][noise level]
};

// A significant control x noise interaction and how much the noise moves the response at each
// level of the control factor.
struct Damper {
    int term = 0;  // in the noise model's ANOVA
    std::string name;
    int control = 0;  // in the control terms given
    int noise = 0;    // noise factor
    double p = 0.0;
    double pAdjusted = 0.0;      // Holm's, over the response's control x noise tests
    double contribution = 0.0;   // the interaction's share of the total variation, in percent
    bool range = false;          // the effect is the range of more than two level means
    std::vector<double> effect;  // [control level]
    int dampingLevel = 0;        // control level of the smallest effect in size
};

// How much the response moves across the noise conditions at a combination of control levels,
// predicted from the noise model: at each condition the noise factors' effects (level mean less
// the grand mean) plus, for every control x noise interaction not pooled, its effect beyond
// the main effects at the control level and the condition's noise level (cell mean less row
// and column means plus the table's mean); the control main effects move every condition alike.
// The range is the largest prediction less the smallest.
struct NoiseRange {
    std::vector<int> levels;          // [control, as the tables' `control` counts] from 0
    std::vector<double> byCondition;  // [condition] less the grand mean
    double range = 0.0;
};
// The combination chosen (the optimum's), the worst one (the largest range; ties: the first in
// the order of the levels) and the grand average (the noise main effects alone, no level set).
struct Robustness {
    NoiseRange optimum, worst, average;
};

struct NoiseModel {
    ResponseAnalysis anova;          // terms: controls, noise factors, control*noise interactions
    std::vector<NoiseTable> tables;  // of every control x noise interaction, in model order
    std::vector<Damper> dampers;     // strongest first
    double alpha = 0.05;
    int tests = 0;  // control x noise interactions with a p (none without error dof)
    double smallestP = kNotANumber, smallestAdjusted = kNotANumber;  // over those tests
    std::optional<Robustness> robustness;  // filled by the analysis, which knows the optimum
    bool Testable() const { return tests > 0; }
};

// The range at levelOf[control] (every control of a table not pooled must have a level), and
// over the conditions of `noise`; levels empty: the grand average.
QVRFC_API NoiseRange NoiseRangeAt(const NoiseModel& model, const NoiseLayout& noise,
                                  const std::vector<int>& levelOf);
// The three ranges; `levels` is the optimum, levelCounts[control] the levels of each control.
// The worst is searched over the combinations of the controls of tables not pooled, every
// one up to 10^6 of them, else by raising one control at a time from the optimum.
QVRFC_API Robustness RobustnessOf(const NoiseModel& model, const NoiseLayout& noise,
                                  const std::vector<int>& levels,
                                  const std::vector<int>& levelCounts);

// Holm's step-down adjustment of p-values: the i-th smallest of m is multiplied by m - i + 1,
// then made no smaller than those before it, and at most 1. NaN stays NaN and is not counted.
QVRFC_API std::vector<double> HolmAdjusted(const std::vector<double>& p);

// The noise model of one response. `controls` are main-effect terms of the layout (one factor
// on one column each, as MainEffectTerms gives them); `observations` holds each run's values
// in sheet order: noise condition by noise condition in the order of noise.conditions, the
// repetitions of a condition together. Throws qvrfc::Error with the cause in one
// sentence for a design that is not balanced, missing or surplus observations, a value that is
// not finite, noise factors that do not fit their conditions, names that repeat, a control
// term that is not a main effect, and alpha outside (0, 1).
QVRFC_API NoiseModel AnalyzeNoise(const DesignLayout& layout,
                                  const std::vector<ModelTerm>& controls, const NoiseLayout& noise,
                                  const RunValues& observations, double alpha,
                                  const PoolingChoice& pooling = {});

// The noise model's control terms as an analysis over `terms` (a verdict's, whose main effects
// carry the names of the controls): each main effect's row and level means from the noise
// model, its error (the repetitions, without the noise) and total. The verdict's other terms
// are not the noise model's: their rows are pooled, without cells, so a prediction leaves them
// out. The mean predicted from it at a setting is the one the observations' ANOVA gives, its
// interval that of the noise model's error.
QVRFC_API ResponseAnalysis ControlAnalysis(const NoiseModel& noise,
                                           const std::vector<ModelTerm>& terms);

}  // namespace qvrfc
