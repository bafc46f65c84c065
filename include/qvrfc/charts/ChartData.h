// What the charts show, in plain numbers and texts: the charts never read an analysis or a
// file themselves, so any analysis (the engine's, a fuller one) can be drawn by filling these.
// A value that does not exist is NaN; such points are left out of a drawing.
#pragma once

#include <string>
#include <vector>

namespace qvrfc {

// A control factor as a chart labels it.
struct ChartFactor {
    std::string name;                      // "Temperature" (or "A")
    std::string unit;                      // "°C"; empty when none
    std::vector<std::string> levelLabels;  // "150", "170", "190" (or "1", "2", "3")
};

// One response statistic per factor level, e.g. the mean S/N ratio of the runs at each level.
struct EffectSeries {
    std::string title;                       // "S/N ratio (dB)", "Mean", "Std. deviation"
    std::vector<std::vector<double>> means;  // [factor][level]
    double overall = 0.0;                    // the grand average, drawn as a dashed line
    std::vector<int> best;                   // [factor] best level from 0, -1 for none
};

// Main-effect plots: one small panel per factor for each series (a row of panels each).
struct MainEffects {
    std::string response;
    std::vector<ChartFactor> factors;
    std::vector<EffectSeries> series;
};

// One bar of a Pareto chart: an ANOVA term and its contribution in percent.
struct ParetoTerm {
    std::string name;
    double contribution = 0.0;
    bool pooled = false;      // drawn as part of the error
    bool belowError = false;  // a negative share (F below 1): drawn hollow, left of zero,
                              // beside the pooled terms
};

// Contributions of the terms of an ANOVA and of its error, in percent of the total: the ANOVA
// table's contribution column.
struct Pareto {
    std::string response;
    std::string title;  // "Contributions to the S/N ratio"
    std::vector<ParetoTerm> terms;
    double errorContribution = 0.0;
};

// One effect of a half-normal plot (a single degree of freedom each).
struct LabelledEffect {
    std::string label;  // "A", or "B.L", "B.Q" for the contrasts of a 3-level factor
    double value = 0.0;
};

// The absolute effects against half-normal quantiles; empty when the design is not saturated.
struct HalfNormal {
    std::string response;
    std::string title;
    std::vector<LabelledEffect> effects;
};

// One panel of an interaction plot: a statistic at each pair of levels of the two factors.
struct InteractionPanel {
    std::string title;                       // "Mean", "S/N ratio (dB)"
    std::vector<std::vector<double>> cells;  // [level of first][level of second]
};

// An interaction plot: each panel against the first factor's levels, one line per level of
// the second factor.
struct InteractionPlot {
    std::string response;
    ChartFactor first, second;
    std::vector<InteractionPanel> panels;
};

// A dynamic response against its signal, a small panel a run: one line per noise condition
// through the mean at each signal level, and the run's fitted line, dashed.
struct SignalResponse {
    std::string response;
    ChartFactor signal;                   // its levels' labels; values below
    std::vector<double> signalValues;     // M at each signal level
    std::vector<std::string> conditions;  // noise conditions' labels; one "" without noise
    struct Run {
        std::vector<std::vector<double>> means;  // [condition][signal level]; NaN: none
        double intercept = 0.0, slope = 0.0;     // the fitted line y = intercept + slope M
    };
    std::vector<Run> runs;  // empty for a static response
};

// Every chart of one response.
struct ResponseCharts {
    std::string response;  // also names the files: "<response>-main-effects.svg", ...
    MainEffects mainEffects;
    MainEffects dispersion;  // the runs' ln s^2 at each level; no series when there is none
    Pareto pareto;
    HalfNormal halfNormal;
    std::vector<InteractionPlot> interactions;  // of the declared interactions
    // The dampers' control x noise interactions: the mean at the control factor's levels, one
    // line per noise level.
    std::vector<InteractionPlot> noise;
    SignalResponse signal;  // of a dynamic response
};

}  // namespace qvrfc
