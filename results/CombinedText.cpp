#include "results/CombinedText.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "qvrfc/common/QVRFCTextFormat.h"
#include "qvrfc/results/VerdictReport.h"

namespace qvrfc {
namespace {

constexpr int kMinWidth = 12;

const char* AimName(const CombinedResponse& response) {
    if (response.dynamic) return "dynamic";
    if (!response.included) return "nominal, no target";
    return response.aim == Aim::Larger    ? "larger"
           : response.aim == Aim::Smaller ? "smaller"
                                          : "nominal";
}

std::string Value(double value) {
    return std::isfinite(value) ? FormatText("%.4f", value) : "*";
}

std::string FactorName(const Analysis& analysis, int factor) {
    return analysis.experiment.factors[factor].name;
}

std::string LevelsText(const Analysis& analysis, const std::vector<FactorLevel>& levels) {
    std::string text;
    for (const FactorLevel& at : levels)
        text += (text.empty() ? "" : ", ") + FactorName(analysis, at.factor) + "=" +
                analysis.LevelText(at.factor, at.level);
    return text;
}

std::string IntervalText(const Prediction& p) {
    return std::isfinite(p.halfWidth) ? FormatText("%.4f to %.4f", p.low, p.high) : "*";
}

int NameWidth(const Analysis& analysis) {
    size_t width = kMinWidth;
    for (const Factor& factor : analysis.experiment.factors)
        width = std::max(width, factor.name.size());
    for (const ExperimentResponse& response : analysis.experiment.responses)
        width = std::max(width, response.name.size());
    return static_cast<int>(width);
}

std::string ResponsesText(const Analysis& analysis, const CombinedResult& result, int width) {
    std::string text =
        FormatText("  %-*s %-18s %10s %10s %10s %7s %10s %12s  %-22s %8s\n", width, "Response",
                   "aim", "low", "high", "target", "weight", "importance", "predicted",
                   (FormatText("%g%%", 100.0 * (1.0 - analysis.model.alpha)) + " CI").c_str(), "d");
    for (const CombinedResponse& r : result.responses)
        text += FormatText("  %-*s %-18s %10.4g %10.4g %10s %7g %10g %12.4f  %-22s %8s\n", width,
                           r.name.c_str(), AimName(r), r.low, r.high,
                           std::isfinite(r.target) ? FormatText("%.4g", r.target).c_str() : "-",
                           r.weight, r.importance, r.predicted.value,
                           IntervalText(r.predicted).c_str(), Value(r.d).c_str());
    return text;
}

std::string TradeoffText(const Analysis& analysis, const CombinedResult& result, int width) {
    std::string text =
        "Trade-offs: the level each response's optimum prefers (the factor's "
        "contribution to its S/N ratio) and the level chosen\n";
    text += FormatText("  %-*s", width, "Factor");
    for (const CombinedResponse& r : result.responses)
        text += FormatText(" %-*s", width + 10, r.name.c_str());
    text += " chosen\n";
    for (const Tradeoff& t : result.tradeoffs) {
        text += FormatText("  %-*s", width, FactorName(analysis, t.factor).c_str());
        for (size_t r = 0; r < t.preferred.size(); ++r) {
            const std::string share = std::isfinite(t.contribution[r])
                                          ? FormatText("%.1f%%", t.contribution[r])
                                          : std::string("pooled");
            text += FormatText(
                " %-*s", width + 10,
                (analysis.LevelText(t.factor, t.preferred[r]) + " (" + share + ")").c_str());
        }
        text += " " + analysis.LevelText(t.factor, t.chosen) + (t.conflict ? "  conflict\n" : "\n");
    }
    return text;
}

std::string GreyText(const Analysis& analysis, const CombinedResult& result, int width) {
    const GreyAnalysis& grey = result.grey;
    std::string text = FormatText("Grey relational grades (zeta %g), by run:", grey.zeta);
    for (size_t r = 0; r < grey.grades.size(); ++r)
        text += FormatText("%s%3d %.4f", r % 6 == 0 ? "\n " : "   ", static_cast<int>(r) + 1,
                           grey.grades[r]);
    text += FormatText("\nGrade at each level (overall %.4f)\n", grey.overall);
    for (const Tradeoff& t : result.tradeoffs) {
        text += FormatText("  %-*s", width, FactorName(analysis, t.factor).c_str());
        for (double mean : grey.levelGrades[t.factor])
            text += FormatText(" %10.4f", mean);
        text +=
            FormatText("   best %s\n", analysis.LevelText(t.factor, grey.best[t.factor]).c_str());
    }
    return text + AnovaText(grey.anova, "ANOVA of the grey relational grade");
}

// The count of combinations searched, exact: as a whole number while a double holds it
// exactly, else as powers of the factors' level counts ("3^40", "2^1 x 3^39").
std::string CombinationCount(const Analysis& analysis, const CombinedResult& result) {
    if (result.combinations < 9007199254740992.0) return FormatText("%.0f", result.combinations);
    std::map<size_t, int> powers;
    for (const FactorLevel& at : result.levels)
        ++powers[analysis.experiment.factors[at.factor].levels.size()];
    std::string text;
    for (const auto& [levels, count] : powers)
        text += (text.empty() ? "" : " x ") + FormatText("%d^%d", int(levels), count);
    return text;
}

}  // namespace

const char* CombineMethodName(CombineMethod method) {
    return method == CombineMethod::Grey ? "grey" : "desirability";
}

std::vector<std::string> CombinedNotes(const Analysis& analysis) {
    const CombinedResult& result = *analysis.combined;
    std::vector<std::string> notes;
    const bool any = std::any_of(result.responses.begin(), result.responses.end(),
                                 [](const CombinedResponse& r) { return r.included; });
    if (result.method == CombineMethod::Desirability && !any)
        notes.push_back(
            "No response has a desirability: the levels are those most responses' optima "
            "prefer; give the nominal responses a target or combine them by grey relational "
            "grade (--combine grey).");
    else if (result.method == CombineMethod::Desirability)
        notes.push_back(FormatText(
            "%s search over the %s combinations of the tested levels%s.",
            result.search == CombinedSearch::Exhaustive ? "Exhaustive" : "Coordinate-ascent",
            CombinationCount(analysis, result).c_str(),
            result.search == CombinedSearch::Exhaustive
                ? " of the factors that move a prediction"
                : " (too many to try all: each factor in turn to its best level, from every "
                  "response's optimum, until none moves)"));
    std::string conflicts;
    for (const Tradeoff& t : result.tradeoffs) {
        if (t.conflict)
            conflicts += (conflicts.empty() ? "" : ", ") + FactorName(analysis, t.factor);
    }
    notes.push_back(conflicts.empty() ? "The responses' optima agree on every factor."
                                      : "The responses' optima disagree on " + conflicts + ".");
    for (const CombinedResponse& r : result.responses) {
        if (!r.included)
            notes.push_back("'" + r.name +
                            (r.dynamic ? "' is dynamic: its slope has no desirability"
                                       : "' is nominal without a target: it has no desirability") +
                            " and takes no part in the overall desirability.");
        if (r.targetReached) continue;
        notes.push_back(
            FormatText("'%s' cannot reach its target %g: no combination's interval "
                       "holds it; the closest prediction is %.4f (%s) at %s.",
                       r.name.c_str(), r.target, r.closest.value, IntervalText(r.closest).c_str(),
                       LevelsText(analysis, r.closestAt).c_str()));
    }
    return notes;
}

std::string CombinedSummaryText(const Analysis& analysis) {
    if (!analysis.combined) return "";
    const CombinedResult& result = *analysis.combined;
    const int width = NameWidth(analysis);
    std::string text = FormatText("\nSeveral responses: combined by %s\n",
                                  result.method == CombineMethod::Grey
                                      ? "grey relational grade (the best level of each factor)"
                                      : "overall desirability");
    text += "Levels: " + LevelsText(analysis, result.levels) + "\n";
    text += FormatText("Overall desirability %s; each response's predicted mean there:\n",
                       Value(result.desirability).c_str());
    text += ResponsesText(analysis, result, width) + TradeoffText(analysis, result, width);
    if (result.method == CombineMethod::Grey) text += GreyText(analysis, result, width);
    for (const std::string& note : CombinedNotes(analysis))
        text += note + "\n";
    return text;
}

}  // namespace qvrfc
