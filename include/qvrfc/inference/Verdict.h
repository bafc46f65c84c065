// The engineer's verdict on an experiment held by the engine: for every response the full
// ANOVA of its S/N ratios and of its observations, the optimum levels with the predicted
// S/N ratio and mean and their confidence intervals, predictions at any levels and the
// check of a confirmation run.
//
// Prediction: mu = T + sum over the factors used of (level mean - T), with the confidence
// interval +- sqrt(F(alpha; 1, fe) * Ve / n_eff), n_eff = N / (1 + dof of the factors used)
// (N = runs for the S/N ratio, observations for the mean), and for r confirmation
// observations +- sqrt(F(alpha; 1, fe) * Ve * (1/n_eff + 1/r)).
//
// Optimum: every factor at its level of highest mean S/N ratio, except the adjustment
// factors: the factors significant for the mean (p < alpha) and weak for the S/N ratio
// (pooled or p >= alpha). A dynamic response adjusts its slope with every one of them, their
// levels chosen together so that the predicted slope lies nearest the target (two-step
// optimisation); a static response with the one of largest F on the mean alone, its level
// following the aim of the mean (largest for larger-the-better, smallest for
// smaller-the-better, nearest the target for the nominal kinds). A prediction uses the response's
// significant factors: the terms not pooled with p < alpha, or every term not pooled when p is not
// available.
//
// Declared interactions: a significant interaction for the S/N ratio sets its two factors
// together, at the pair of levels of highest mean S/N ratio (interactions in model order; a
// factor set by an earlier one keeps its level), and its factors cannot be the adjustment
// factor. A prediction that uses an interaction uses the mean of its pair of levels: mu = T +
// sum over the factors used of (level mean - T) + sum over the interactions used of (cell
// mean - first level mean - second level mean + T), which for one interaction is T + (cell
// mean - T) + the other factors' effects; n_eff counts the interactions' degrees of freedom
// too. A prediction at the optimum uses the significant interactions (and their factors);
// one at chosen levels uses every interaction not pooled whose two factors are chosen.
#pragma once

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "qvrfc/analyzer/QVRFCDOEAnalyzer.h"
#include "qvrfc/arrays/OAInteractions.h"
#include "qvrfc/common/QVRFCExport.h"
#include "qvrfc/experiment/SnKind.h"
#include "qvrfc/inference/ResponseAnova.h"

namespace qvrfc {

// How a response is judged: its S/N kind and target (NaN: none; a nominal kind without a
// target analyses the S/N ratio but leaves the mean where it is). A dynamic response is judged
// by its dynamic S/N ratio and its slope beta, which takes the mean's place throughout the
// verdict (its ANOVA, the adjustment factor, the predictions); its target is the slope to
// reach, none leaving beta where it is.
struct ResponseSpec {
    SnKind kind = SnKind::Nominal3;
    double target = 0.0;
    std::optional<DynamicKind> dynamic = std::nullopt;
    bool HasTarget() const { return std::isfinite(target); }
    // Where the mean (the slope of a dynamic response) should go.
    Aim MeanAim() const { return dynamic ? Aim::Nominal : AimOf(kind); }
};

// Each run's figures of a dynamic response, analysed in place of the engine's S/N ratios and of
// the observations: its dynamic S/N ratio and its slope.
struct DynamicFigures {
    std::vector<double> sn, beta;  // [run]
};

struct VerdictSettings {
    std::vector<ModelTerm> terms;          // empty: a main effect for every factor
    std::vector<FactorPair> interactions;  // declared: terms after those (see InteractionTerms)
    std::vector<ResponseSpec> responses;   // per response; missing ones: the engine's
    std::vector<PoolingChoice> pooling;    // per response, term indexes (both ANOVAs)
    std::vector<std::optional<DynamicFigures>> dynamic;  // per response; missing ones: static
    double alpha = 0.05;
};

// A factor set to a level, both from 0.
struct FactorLevel {
    int factor = 0;
    int level = 0;
};

struct Prediction {
    double value = 0.0;
    double halfWidth = 0.0;  // NaN when the error has no degrees of freedom
    double low = 0.0, high = 0.0;
    double effectiveCount = 0.0;    // n_eff
    std::vector<int> factors;       // the factors whose effects enter
    std::vector<int> interactions;  // the interaction terms whose cell means enter
    std::string warning;            // why the value lies outside what the data can take
};

struct Optimum {
    std::vector<FactorLevel> levels;    // every factor of a main-effect term
    std::vector<int> factorsUsed;       // in either prediction
    std::vector<int> interactionsUsed;  // interaction terms, in either prediction
    Prediction sn, mean;
    int adjustmentFactor = -1;           // the first of adjustmentFactors, -1: none
    std::vector<int> adjustmentFactors;  // largest F on the mean first
    // A numeric adjustment factor set between its tested levels (by the analysis, which knows
    // the settings; -1: none) and the setting; levels then holds its nearest tested level.
    int betweenFactor = -1;
    double betweenValue = 0.0;
};

// The model every response's verdict stands on: its terms (main effects, then declared
// interactions), the design's layout and the risk of the tests and intervals.
struct VerdictModel {
    std::vector<ModelTerm> terms;
    DesignLayout layout;
    double alpha = 0.05;
};

// The verdict on one response: the values analysed, the ANOVA tables of its S/N ratio and of
// its mean (of its slope for a dynamic response), and its optimum.
struct ResponseVerdict {
    std::string name;
    ResponseSpec setting;
    PoolingChoice pooling;
    std::vector<double> runSn;             // [run] the S/N ratio analysed
    std::vector<RunSummary> runSummaries;  // [run] the observations analysed
    ResponseAnalysis snAnova, meanAnova;
    // With noise factors: the noise model's control terms, whose error holds the repetitions
    // and no longer the noise (ControlAnalysis); the mean is predicted from it. Else empty.
    std::optional<ResponseAnalysis> meanOfControls;
    Optimum optimum;

    // The analysis the mean (or slope) is predicted from.
    const ResponseAnalysis& MeanModel() const {
        return meanOfControls ? *meanOfControls : meanAnova;
    }
};

struct Verdict {
    VerdictModel model;
    std::vector<ResponseVerdict> responses;
};

// The optimum of a response: the S/N ratio's best levels, the adjustment factors set by the
// mean's aim, and both predictions there.
QVRFC_API Optimum FindOptimum(const VerdictModel& model, const ResponseVerdict& response);

// The interaction table of a declared interaction: the mean and the S/N ratio at each pair
// of levels of its factors.
struct InteractionTable {
    int term = 0;  // in the verdict's terms
    std::string name;
    int first = 0, second = 0;                  // the factors of the rows and of the columns
    std::vector<std::vector<double>> mean, sn;  // [level of first][level of second]
};
// The tables of a response's interactions with cell means, in model order.
QVRFC_API std::vector<InteractionTable> InteractionTables(const VerdictModel& model,
                                                          const ResponseVerdict& response);

// The verdict on every response. The engine computes the S/N ratios of its six kinds (and
// stores them in its run records, as it does for any S/N query); the textbook kind is
// computed here. Throws qvrfc::Error with the cause (naming the response) when a
// response cannot be analysed, when a declared interaction cannot be a term (the reasons of
// InteractionTerms), or when alpha is not between 0 and 1.
QVRFC_API Verdict AnalyzeVerdict(const CQVRFCDOEAnalyzer& analyzer,
                                 const VerdictSettings& settings);

// The one formula of every prediction's value: the grand mean, plus each factor's level mean
// less the grand mean, plus each interaction's cell mean beyond its factors' effects, laid out
// as tables so that a search can evaluate millions of combinations.
struct QVRFC_API PredictionFormula {
    struct Effect {
        int factor = 0;
        std::vector<double> effect;  // [level] level mean - grand mean
    };
    struct Cells {
        int first = 0, second = 0;                // factors
        std::vector<std::vector<double>> effect;  // [level][level] beyond the main effects
    };
    double grand = 0.0;
    std::vector<Effect> effects;
    std::vector<Cells> interactions;

    // The value at the levels of the factors, levelOf[factor]; every factor of the formula's
    // terms must have a level there.
    double Value(const std::vector<int>& levelOf) const;
};
// The formula of one statistic's ANOVA over the factors' main effects and the interaction
// terms given (indexes of the model's terms).
QVRFC_API PredictionFormula FormulaOf(const VerdictModel& model, const ResponseAnalysis& anova,
                                      const std::vector<int>& factors,
                                      const std::vector<int>& interactions);

// The prediction of one statistic of a response (its ANOVA `anova`, the response's sn or
// mean) at the given levels, with the confidence interval, or the confirmation interval for
// r > 0 observations. By default it uses what the optimum's
// prediction uses, among the factors given: the significant terms (and the factors of
// significant interactions), so that a prediction at the optimum levels is the optimum's.
// With PredictionTerms::Given every factor given enters, and every interaction not pooled
// whose two factors are given. Throws qvrfc::Error for a factor without a main-effect
// term or a level out of range.
enum class PredictionTerms { Significant, Given };
QVRFC_API Prediction PredictAt(const VerdictModel& model, const ResponseAnalysis& anova,
                               const std::vector<FactorLevel>& at, int r = 0,
                               PredictionTerms terms = PredictionTerms::Significant);

// A confirmation run at the given levels: its mean and S/N ratio against the confirmation
// intervals (r = the observations for the mean, r = 1 for the S/N ratio of the run).
struct Confirmation {
    double mean = 0.0;
    double sn = 0.0;
    Prediction meanInterval, snInterval;
    bool meanInside = false, snInside = false;  // false when there is no interval
};
QVRFC_API Confirmation Confirm(const VerdictModel& model, const ResponseVerdict& response,
                               const std::vector<FactorLevel>& at,
                               const std::vector<double>& values);

}  // namespace qvrfc
