// Several responses, one decision: the combined optimum of an analysis with two responses or
// more, by desirability (the levels of largest overall desirability of the predicted means) or
// by grey relational analysis (the best levels of the runs' grey relational grades), each
// response's prediction there, and the trade-off each factor makes between the responses.
//
// A response's prediction is the verdict's prediction of its mean: the overall mean plus the
// effects of the terms its ANOVA of the observations finds significant. A desirability bound not
// given is the smallest or largest prediction over the combinations of the tested levels, so
// that the desirability separates them. Dynamic responses take no part: their slope is set by
// their own two-step optimum. The combinations of the
// tested levels are searched exhaustively up to 10^7 of the factors that move a prediction;
// above that by coordinate ascent from every response's own optimum. Factors that move no
// response's prediction take the level that most responses' optima choose (the first
// response's on a tie).
#pragma once

#include <string>
#include <vector>

#include "qvrfc/analysis/Settings.h"
#include "qvrfc/common/QVRFCExport.h"
#include "qvrfc/experiment/SnKind.h"
#include "qvrfc/inference/ResponseAnova.h"
#include "qvrfc/inference/Verdict.h"

namespace qvrfc {

enum class CombinedSearch { Exhaustive, CoordinateAscent };
// "exhaustive", "coordinate ascent".
QVRFC_API const char* CombinedSearchName(CombinedSearch search);

struct CombinedResponse {
    int response = 0;  // from 0
    std::string name;
    Aim aim = Aim::Larger;
    bool included = true;  // false: a nominal response without a target has no desirability
    bool dynamic = false;  // a dynamic response: left out of the combined optimum altogether
    Prediction predicted;  // of the mean, at the combined levels (NaN for a dynamic response)
    // NaN where they do not apply (a response without a desirability, the target of a
    // response that has none or is dynamic).
    double low = 0.0, high = 0.0, target = 0.0, weight = 1.0, importance = 1.0;
    double weightAbove = kNotANumber;          // t of a two-sided desirability; NaN: the weight
    bool lowGiven = false, highGiven = false;  // else the predictions' range
    double d = 0.0;  // NaN when not included or combined by grey relational grade
    // A static nominal response with a target (hasClosest): whether the interval of the
    // prediction nearest the target holds it (false when there is no interval to judge by), and
    // that prediction among the combinations searched, at the levels of the factors it uses.
    bool hasClosest = false;
    bool targetReached = false;
    std::vector<FactorLevel> closestAt;
    Prediction closest;
};

// What one factor costs: the level each response's own optimum prefers, the factor's share of
// each response's S/N ratio ANOVA (NaN when pooled) and the level chosen for all.
struct Tradeoff {
    int factor = 0;
    std::vector<int> preferred;        // [response] level from 0; -1 for a dynamic response
    std::vector<double> contribution;  // [response] in %; NaN for a dynamic response
    int chosen = 0;
    bool conflict = false;  // the responses taking part prefer different levels
};

// The grey relational grades of the runs' S/N ratios or of their means (normalised as each
// response's aim says), and the grade predicted at the combined levels from its ANOVA.
struct GreyAnalysis {
    GreyFrom from = GreyFrom::Sn;
    double zeta = 0.5;
    std::vector<std::vector<double>> normalised, coefficients;  // [response][run]
    std::vector<double> grades;                                 // [run]
    std::vector<std::vector<double>> levelGrades;  // [factor][level]: the grades' level means
    std::vector<int> best;                         // [factor] level of the largest mean
    double overall = 0.0;                          // the grades' mean
    ResponseAnalysis anova;                        // of the grades, over the verdict's terms
    Prediction prediction;                         // of the grade at the combined levels
};

struct CombinedResult {
    CombineMethod method = CombineMethod::Desirability;
    std::vector<FactorLevel> levels;  // every factor of a main-effect term
    double desirability = 0.0;        // overall, at the levels; NaN for grey
    std::vector<CombinedResponse> responses;
    std::vector<Tradeoff> tradeoffs;
    CombinedSearch search = CombinedSearch::Exhaustive;
    // The combinations searched: of the tested levels of the factors that move a prediction
    // for the exhaustive search, of every factor for coordinate ascent.
    double combinations = 0.0;
    // The exhaustive search: how many combinations of the factors that move a prediction share
    // the largest overall desirability (0 when not counted: coordinate ascent, none included).
    double ties = 0.0;
    // [factor][level]: the overall desirability with the factor at each level and the others
    // at the combined levels; for grey, the grades' level means.
    std::vector<std::vector<double>> profile;
    GreyAnalysis grey;  // empty but for the grey method with a static response
};

struct Analysis;

// The combined result of an analysis with two responses or more. qvrfc::Error when a
// response's desirability cannot be (low not below high once the defaults are taken).
QVRFC_API CombinedResult CombineResponses(const Analysis& analysis,
                                          const AnalysisSettings& settings);

// The combined result made again with the settings' desirability (each response's bounds,
// weight and importance over those the analysis has), without analysing again: what
// --desirability gives, for a page whose bounds change. With fewer than two responses there is
// nothing to combine. qvrfc::Error as --desirability and CombineResponses give it; the analysis
// is left as it was then.
QVRFC_API void Recombine(Analysis& analysis, const AnalysisSettings& settings);

// The desirability with which a response is judged at its predicted mean y, and the overall
// desirability of predictions (one per response, NaN for a response not included).
QVRFC_API double ResponseDesirability(const CombinedResponse& response, double y);
QVRFC_API double OverallOf(const CombinedResult& result, const std::vector<double>& predictions);

// A prediction at settings that may lie between the tested levels of numeric factors.
struct SettingBetween {
    int factor = 0;
    double value = 0.0;
};
struct SettingsAt {
    std::vector<FactorLevel> levels;      // at tested levels
    std::vector<SettingBetween> between;  // numeric values between tested levels
};
// FACTOR=LEVEL,... as ParseLevels reads it, where a numeric factor of a run sheet's experiment
// may also take a number between its smallest and largest tested value. qvrfc::Error for a value
// outside that range or a level between levels of a factor that is not numeric.
QVRFC_API SettingsAt ParseSettingsAt(const Analysis& analysis, const std::string& text);
// The prediction of one statistic of a response (its ANOVA: the response's snAnova or
// meanAnova) at the settings (PredictAt, the significant terms), where a factor
// between its tested levels contributes the polynomial through its level means (degree: levels
// - 1, the orthogonal-polynomial fit of its level means) at the value. qvrfc::Error when such a
// factor enters through a significant interaction.
QVRFC_API Prediction PredictBetween(const Analysis& analysis, const ResponseAnalysis& anova,
                                    const SettingsAt& at);

// Both statistics of a response (from 0) predicted at the settings, as predict prints them: the
// S/N ratio and the mean (the slope of a dynamic response), each by PredictBetween.
struct ResponsePrediction {
    int response = 0;
    SettingsAt at;
    Prediction sn, mean;
};
QVRFC_API ResponsePrediction PredictResponse(const Analysis& analysis, int response,
                                             const SettingsAt& at);

}  // namespace qvrfc
