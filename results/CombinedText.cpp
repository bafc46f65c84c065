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

std::string Short(double value) {
    return std::isfinite(value) ? FormatText("%.4g", value) : "-";
}

std::string CiTitle(const Analysis& analysis) {
    return FormatText("%g%%", 100.0 * (1.0 - analysis.model.alpha)) + " CI";
}

// The responses that take part (dynamic ones do not), with their desirabilities.
std::string ResponsesText(const Analysis& analysis, const CombinedResult& result, int width) {
    std::string text = FormatText("  %-*s %-18s %10s %10s %10s %7s %10s %12s  %-22s %8s\n", width,
                                  "Response", "aim", "low", "high", "target", "weight",
                                  "importance", "predicted", CiTitle(analysis).c_str(), "d");
    for (const CombinedResponse& r : result.responses) {
        if (r.dynamic) continue;
        text += FormatText("  %-*s %-18s %10s %10s %10s %7g %10g %12.4f  %-22s %8s\n", width,
                           r.name.c_str(), AimName(r), Short(r.low).c_str(), Short(r.high).c_str(),
                           Short(r.target).c_str(), r.weight, r.importance, r.predicted.value,
                           IntervalText(r.predicted).c_str(), Value(r.d).c_str());
    }
    return text;
}

// By grey relational grade: no desirability, the importance weighs each response's grades.
std::string GreyResponsesText(const Analysis& analysis, const CombinedResult& result, int width) {
    std::string text = FormatText("  %-*s %-18s %10s %10s %12s  %s\n", width, "Response", "aim",
                                  "target", "importance", "predicted", CiTitle(analysis).c_str());
    for (const CombinedResponse& r : result.responses) {
        if (r.dynamic) continue;
        text += FormatText("  %-*s %-18s %10s %10g %12.4f  %s\n", width, r.name.c_str(), AimName(r),
                           Short(r.target).c_str(), r.importance, r.predicted.value,
                           IntervalText(r.predicted).c_str());
    }
    return text;
}

std::string TradeoffText(const Analysis& analysis, const CombinedResult& result, int width) {
    std::string text =
        "Trade-offs: the level each response's optimum prefers (the factor's "
        "contribution to its S/N ratio) and the level chosen\n";
    text += FormatText("  %-*s", width, "Factor");
    for (const CombinedResponse& r : result.responses) {
        if (!r.dynamic) text += FormatText(" %-*s", width + 10, r.name.c_str());
    }
    text += " chosen\n";
    for (const Tradeoff& t : result.tradeoffs) {
        text += FormatText("  %-*s", width, FactorName(analysis, t.factor).c_str());
        for (size_t r = 0; r < t.preferred.size(); ++r) {
            if (result.responses[r].dynamic) continue;
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
    std::string text = FormatText("Grey relational grades (zeta %g%s), by run:", grey.zeta,
                                  grey.from == GreyFrom::Mean ? ", of the run means" : "");
    for (size_t r = 0; r < grey.grades.size(); ++r)
        text += FormatText("%s%3d %.4f", r % 6 == 0 ? "\n " : "   ", static_cast<int>(r) + 1,
                           grey.grades[r]);
    size_t row = 0;
    for (const CombinedResponse& response : result.responses) {
        if (response.dynamic || row >= grey.coefficients.size()) continue;
        text += "\nGrey relational coefficients of " + response.name + ", by run:";
        const std::vector<double>& xi = grey.coefficients[row++];
        for (size_t r = 0; r < xi.size(); ++r)
            text += FormatText("%s%3d %.4f", r % 6 == 0 ? "\n " : "   ", int(r) + 1, xi[r]);
    }
    const Prediction& p = grey.prediction;
    text += FormatText("\nPredicted grade at the best levels: %.4f", p.value);
    text += std::isfinite(p.halfWidth)
                ? FormatText(", %g%% CI %.4f to %.4f", 100.0 * (1.0 - analysis.model.alpha), p.low,
                             p.high)
                : std::string(", no interval (the grades' ANOVA has no error)");
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

namespace {

// The bounds taken from the predictions, said once for the responses that have one.
std::string BoundsNote(const CombinedResult& result) {
    std::string bounds;
    for (const CombinedResponse& r : result.responses) {
        if (!r.included || (r.lowGiven && r.highGiven)) continue;
        bounds +=
            FormatText("%s%s %s%.4g to %s%.4g", bounds.empty() ? "" : ", ", r.name.c_str(),
                       r.lowGiven ? "(given) " : "", r.low, r.highGiven ? "(given) " : "", r.high);
    }
    if (bounds.empty()) return "";
    return "Desirability bounds not given (--desirability) are the smallest and largest "
           "prediction over the combinations of the tested levels (widened to hold a nominal "
           "target): " +
           bounds + ".";
}

std::string TieNote(const CombinedResult& result) {
    if (!(result.ties > 1.0)) return "";
    return FormatText(
        "%.0f combinations share the largest overall desirability %.4f; the levels are the "
        "one of them that goes furthest in every response's direction, then the one most "
        "responses' optima agree with.",
        result.ties, result.desirability);
}

std::string UnreachedNote(const Analysis& analysis, const CombinedResponse& r) {
    if (!std::isfinite(r.closest.halfWidth))
        return FormatText(
            "'%s': whether its target %g can be reached cannot be judged: its prediction has "
            "no interval; the closest prediction is %.4f at %s.",
            r.name.c_str(), r.target, r.closest.value, LevelsText(analysis, r.closestAt).c_str());
    return FormatText(
        "'%s' cannot reach its target %g: no combination's interval holds it; the closest "
        "prediction is %.4f (%s) at %s.",
        r.name.c_str(), r.target, r.closest.value, IntervalText(r.closest).c_str(),
        LevelsText(analysis, r.closestAt).c_str());
}

}  // namespace

bool AnyStatic(const CombinedResult& result) {
    return std::any_of(result.responses.begin(), result.responses.end(),
                       [](const CombinedResponse& r) { return !r.dynamic; });
}

std::vector<std::string> CombinedNotes(const Analysis& analysis) {
    const CombinedResult& result = *analysis.combined;
    const bool grey = result.method == CombineMethod::Grey;
    if (!AnyStatic(result))
        return {
            "Every response is dynamic: the combined optimum leaves dynamic responses out "
            "(each slope is set by its response's own two-step optimum); the levels are "
            "those most responses' optima prefer."};
    std::vector<std::string> notes;
    const bool any = std::any_of(result.responses.begin(), result.responses.end(),
                                 [](const CombinedResponse& r) { return r.included; });
    const bool untargeted =
        std::any_of(result.responses.begin(), result.responses.end(),
                    [](const CombinedResponse& r) { return !r.included && !r.dynamic; });
    if (!grey && !any)
        notes.push_back(std::string("No response has a desirability: the levels are those most "
                                    "responses' optima prefer") +
                        (untargeted ? "; a nominal response without a target takes part when "
                                      "combined by grey relational grade (--combine grey)."
                                    : "."));
    else if (result.method == CombineMethod::Desirability)
        notes.push_back(FormatText(
            "%s search over the %s combinations of the tested levels%s.",
            result.search == CombinedSearch::Exhaustive ? "Exhaustive" : "Coordinate-ascent",
            CombinationCount(analysis, result).c_str(),
            result.search == CombinedSearch::Exhaustive
                ? " of the factors that move a prediction"
                : " (too many to try all: each factor in turn to its best level, from every "
                  "response's optimum, until none moves)"));
    if (!grey) {
        for (const std::string& note : {BoundsNote(result), TieNote(result)}) {
            if (!note.empty()) notes.push_back(note);
        }
    }
    std::string conflicts;
    for (const Tradeoff& t : result.tradeoffs) {
        if (t.conflict)
            conflicts += (conflicts.empty() ? "" : ", ") + FactorName(analysis, t.factor);
    }
    notes.push_back(conflicts.empty() ? "The responses' optima agree on every factor."
                                      : "The responses' optima disagree on " + conflicts + ".");
    for (const CombinedResponse& r : result.responses) {
        if (r.dynamic)
            notes.push_back("'" + r.name +
                            "' is dynamic: it is left out of the combined optimum (its slope is "
                            "set by its own two-step optimum).");
        else if (!r.included && !grey)
            notes.push_back("'" + r.name +
                            "' is nominal without a target: it has no desirability and takes "
                            "no part in the overall desirability; give it a target (--sn " +
                            r.name + "=nominal1:TARGET) to count it.");
        if (r.hasClosest && !r.targetReached) notes.push_back(UnreachedNote(analysis, r));
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
    if (!AnyStatic(result)) {
        // Nothing to tabulate: every response is left out.
    } else if (result.method == CombineMethod::Grey) {
        text += "Each response's predicted mean there:\n" +
                GreyResponsesText(analysis, result, width) + TradeoffText(analysis, result, width);
        if (!result.grey.grades.empty()) text += GreyText(analysis, result, width);
    } else {
        text += FormatText("Overall desirability %s; each response's predicted mean there:\n",
                           Value(result.desirability).c_str());
        text += ResponsesText(analysis, result, width) + TradeoffText(analysis, result, width);
    }
    for (const std::string& note : CombinedNotes(analysis))
        text += note + "\n";
    return text;
}

}  // namespace qvrfc
