#include "qvrfc/results/VerdictReport.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <optional>

#include "qvrfc/common/QVRFCTextFormat.h"

namespace qvrfc {
namespace {

// The one set of formats of the verdict texts; the first column is as wide as the longest
// name of its table, and never narrower than kNameWidth.
constexpr int kNameWidth = 14;
const char* const kAnovaHeader = "%-*s %14s %7s %14s %10s %10s %14s %9s\n";
const char* const kTermRow = "%-*s %14.4f %7d %14.4f %10s %10s %14s %9s\n";
const char* const kPooledRow = "%-*s %14.4f %7d %14.4f %10s\n";
const char* const kErrorRow = "%-*s %14.4f %7s %14s %10s %10s %14s %9s\n";
const char* const kPartRow = "  %-*s %14.4f %7d\n";
const char* const kTotalRow = "%-*s %14.4f %7d %14s %10s %10s %14s %9.2f\n";
const char* const kPredictionRow = "  %-10s %12.4f %-3s  %s %s   n_eff %.4g   from %s%s\n";
const char* const kNotAvailable = "*";
const char* const kCellLabel = "%-*s";
const char* const kCellHeader = " %*s";
const char* const kCell = " %*.4f";

// The width of a column of texts: the longest, or kNameWidth when all are shorter.
int WidthOf(const std::vector<std::string>& texts) {
    size_t width = kNameWidth;
    for (const std::string& text : texts)
        width = std::max(width, text.size());
    return static_cast<int>(width);
}

// A number, or "*" when it does not exist.
std::string Number(double value, const char* format) {
    return std::isnan(value) ? kNotAvailable : FormatText(format, value);
}

std::string FactorLabel(const Verdict& verdict, int factor) {
    for (const ModelTerm& term : verdict.terms) {
        if (term.factors.size() == 1 && term.factors[0] == factor) return term.name;
    }
    return "?";
}

std::string Settings(const Analysis& analysis, const std::vector<FactorLevel>& at) {
    std::string text;
    for (const FactorLevel& setting : at)
        text += (text.empty() ? "" : ", ") + FactorLabel(analysis.verdict, setting.factor) + "=" +
                analysis.LevelText(setting.factor, setting.level);
    return text.empty() ? "the grand average" : text;
}

std::string FactorList(const Verdict& verdict, const Prediction& p) {
    std::string text;
    for (int factor : p.factors)
        text += (text.empty() ? "" : ", ") + FactorLabel(verdict, factor);
    for (int term : p.interactions)
        text += ", " + verdict.terms[term].name;
    return text.empty() ? "no factor (grand average)" : text;
}

std::string Confidence(const Verdict& verdict) {
    return FormatText("%g%%", 100.0 * (1.0 - verdict.alpha));
}

std::string Interval(const Prediction& p) {
    if (std::isnan(p.halfWidth)) return std::string(kNotAvailable) + " (no error estimate)";
    return FormatText("%.4f to %.4f", p.low, p.high);
}

std::string PredictionRow(const Verdict& verdict, const char* what, const char* unit,
                          const Prediction& p, const char* interval) {
    const std::string warning = p.warning.empty() ? "" : "   (" + p.warning + ")";
    return FormatText(kPredictionRow, what, p.value, unit,
                      (Confidence(verdict) + " " + interval).c_str(), Interval(p).c_str(),
                      p.effectiveCount, FactorList(verdict, p).c_str(), warning.c_str());
}

// The labels of a table of cells: a row for each level of one factor, a column for each level
// of another.
struct CellLabels {
    std::string rows, columns;
    std::vector<std::string> rowLevels, columnLevels;
};

std::string CellTable(const std::string& title, const CellLabels& labels,
                      const std::vector<std::vector<double>>& cells) {
    std::vector<std::string> rowNames = {labels.rows + " \\ " + labels.columns};
    for (const std::string& level : labels.rowLevels)
        rowNames.push_back(labels.rows + "=" + level);
    std::vector<std::string> columnNames;
    for (const std::string& level : labels.columnLevels)
        columnNames.push_back(labels.columns + "=" + level);
    const int rowWidth = WidthOf(rowNames);
    const int cellWidth = WidthOf(columnNames);
    std::string text = title + "\n";
    text += FormatText(kCellLabel, rowWidth, rowNames[0].c_str());
    for (const std::string& name : columnNames)
        text += FormatText(kCellHeader, cellWidth, name.c_str());
    text += "\n";
    for (size_t i = 0; i < cells.size(); ++i) {
        text += FormatText(kCellLabel, rowWidth, rowNames[i + 1].c_str());
        for (double cell : cells[i])
            text += FormatText(kCell, cellWidth, cell);
        text += "\n";
    }
    return text;
}

std::vector<std::string> LevelTexts(const Analysis& analysis, int factor, size_t levels) {
    std::vector<std::string> texts;
    for (size_t l = 0; l < levels; ++l)
        texts.push_back(analysis.LevelText(factor, int(l)));
    return texts;
}

std::string CellTable(const Analysis& analysis, const InteractionTable& table,
                      const std::vector<std::vector<double>>& cells, const char* what) {
    const CellLabels labels = {FactorLabel(analysis.verdict, table.first),
                               FactorLabel(analysis.verdict, table.second),
                               LevelTexts(analysis, table.first, cells.size()),
                               LevelTexts(analysis, table.second, cells[0].size())};
    return CellTable("Interaction " + table.name + ", " + what + " at each pair of levels", labels,
                     cells);
}

std::string InteractionText(const Analysis& analysis, const ResponseResult& response) {
    std::string text;
    for (const InteractionTable& table : response.interactions)
        text += CellTable(analysis, table, table.mean, "mean") +
                CellTable(analysis, table, table.sn, "S/N ratio (dB)") + "\n";
    return text;
}

std::string NameList(const Analysis& analysis, const std::vector<int>& terms) {
    std::string text;
    for (int t : terms)
        text += (text.empty() ? "" : ", ") + analysis.verdict.terms[t].name;
    return text;
}

std::string RunList(const std::vector<int>& runs) {
    std::string text;
    for (int r : runs)
        text += (text.empty() ? "" : ", ") + std::to_string(r + 1);
    return text;
}

std::string LevelSetting(const Analysis& analysis, int factor, int level) {
    return analysis.experiment.factors[factor].name + "=" + analysis.LevelText(factor, level);
}

// "Damper Heating time (p = 5.2e-05): going from Quench oil temperature=low to high moves
// Free height by -0.4250 at Heating time=+ and by -0.0942 at Heating time=-, so Heating
// time=- is the damping level."
std::string DamperText(const Analysis& analysis, int quality, const Damper& damper) {
    const NoiseFactor& noise = analysis.experiment.noise[damper.noise];
    std::string text = FormatText(
        "Damper %s (p = %.4g): ", analysis.experiment.factors[damper.control].name.c_str(),
        damper.p);
    text += damper.range
                ? FormatText("the levels of %s move %s over a range of ", noise.name.c_str(),
                             analysis.verdict.qualities[quality].name.c_str())
                : FormatText("going from %s=%s to %s moves %s by ", noise.name.c_str(),
                             noise.levels.front().c_str(), noise.levels.back().c_str(),
                             analysis.verdict.qualities[quality].name.c_str());
    for (size_t l = 0; l < damper.effect.size(); ++l)
        text += FormatText(
            l == 0 ? "%.4f at %s"
                   : (l + 1 == damper.effect.size() ? " and by %.4f at %s" : ", by %.4f at %s"),
            damper.effect[l], LevelSetting(analysis, damper.control, int(l)).c_str());
    return text + ", so " + LevelSetting(analysis, damper.control, damper.dampingLevel) +
           " is the damping level.";
}

std::string NoiseModelText(const Analysis& analysis, int quality) {
    const ResponseResult& response = analysis.responses[quality];
    if (!response.noiseRefused.empty()) return "No noise model: " + response.noiseRefused + ".\n";
    if (!response.noise) return "";
    const NoiseModel& model = *response.noise;
    std::string text =
        AnovaText(model.anova, "Noise model: ANOVA of the observations with the noise factors") +
        "\n";
    // Each damper's table of means, then what it does, strongest first.
    for (const Damper& damper : model.dampers) {
        for (const NoiseTable& table : model.tables) {
            if (table.term != damper.term) continue;
            const NoiseFactor& noise = analysis.experiment.noise[table.noise];
            const CellLabels labels = {analysis.experiment.factors[table.control].name, noise.name,
                                       LevelTexts(analysis, table.control, table.mean.size()),
                                       noise.levels};
            text += (&damper == &model.dampers.front() ? "" : "\n") +
                    CellTable("Interaction " + table.name + ", mean at each pair of levels", labels,
                              table.mean);
        }
        text += DamperText(analysis, quality, damper) + "\n";
    }
    if (model.dampers.empty()) text += DamperTexts(analysis, quality)[0] + "\n";
    return text;
}

// What takes the mean's place: a dynamic response's slope.
const char* MeanWord(const QualityVerdict& q) {
    return q.setting.dynamic ? "slope" : "mean";
}

std::string QualityText(const Analysis& analysis, const QualityVerdict& q) {
    const Verdict& verdict = analysis.verdict;
    const ResponseResult& response = analysis.responses[q.quality];
    std::string text = FormatText("Response %d (%s): S/N %s", q.quality + 1, q.name.c_str(),
                                  analysis.experiment.responses[q.quality].KindName().c_str());
    const char* target = q.setting.dynamic ? "target slope" : "target";
    if (q.setting.MeanAim() == Aim::Nominal)
        text += q.setting.HasTarget() ? FormatText(", %s %g", target, q.setting.target)
                                      : FormatText(", no %s", target);
    text +=
        FormatText(", alpha %g, %s\n\n", verdict.alpha, PoolingText(analysis, q.quality).c_str());
    text += AnovaText(q.sn, "ANOVA of the S/N ratio (dB)") + "\n";
    text += AnovaText(q.mean, q.setting.dynamic ? "ANOVA of the slope (beta)"
                                                : "ANOVA of the observations") +
            "\n";
    text += InteractionText(analysis, response);
    const Optimum& o = q.optimum;
    text += "Optimum: " + Settings(analysis, o.levels);
    if (o.adjustmentFactor >= 0)
        text += " (adjustment factor: " + FactorLabel(verdict, o.adjustmentFactor) + ")";
    text += "\n" + PredictionRow(verdict, "S/N ratio", "dB", o.sn, "CI");
    text += PredictionRow(verdict, MeanWord(q), "", o.mean, "CI");
    for (const std::string& note : VerdictNotes(analysis, q.quality))
        text += "Note: " + note + "\n";
    const std::string noise = NoiseModelText(analysis, q.quality);
    return noise.empty() ? text : text + "\n" + noise;
}

}  // namespace

std::vector<std::string> DamperTexts(const Analysis& analysis, int response) {
    std::vector<std::string> texts;
    const std::optional<NoiseModel>& model = analysis.responses[response].noise;
    if (!model) return texts;
    for (const Damper& damper : model->dampers)
        texts.push_back(DamperText(analysis, response, damper));
    if (texts.empty())
        texts.push_back(FormatText(
            "No damper: no control x noise interaction is significant at alpha %g.", model->alpha));
    return texts;
}

std::vector<std::string> VerdictNotes(const Analysis& analysis, int quality) {
    const QualityVerdict& q = analysis.verdict.qualities[quality];
    const ResponseResult& response = analysis.responses[quality];
    std::vector<std::string> notes;
    if (!response.shortRuns.empty())
        notes.push_back(FormatText(
            "%s %s %s fewer observations than the most (%d); the ANOVA of the observations "
            "weighs the run means alike (unweighted means).",
            response.shortRuns.size() == 1 ? "Run" : "Runs", RunList(response.shortRuns).c_str(),
            response.shortRuns.size() == 1 ? "has" : "have", response.mostPerRun));
    if (q.setting.dynamic && !q.setting.HasTarget())
        notes.push_back(
            "No target slope, so the slope is not adjusted; a target slope is needed to "
            "choose an adjustment factor (target in the experiment file).");
    else if (AimOf(q.setting.kind) == Aim::Nominal && !q.setting.HasTarget())
        notes.push_back(
            FormatText("No target, so the mean is not adjusted; a target is needed "
                       "to place the mean (--sn %d=%s:TARGET).",
                       quality + 1, SnKindName(q.setting.kind)));
    if (!response.weakTerms.empty())
        notes.push_back(
            FormatText("F below 1 (weaker than the error): %s; pool them into the "
                       "error (--pool %d=auto).",
                       NameList(analysis, response.weakTerms).c_str(), quality + 1));
    return notes;
}

std::string PoolingText(const Analysis& analysis, int response) {
    const PoolingChoice& pooling = analysis.verdict.qualities[response].pooling;
    std::string text;
    if (!pooling.byHand.empty()) text = "pooled by hand: " + NameList(analysis, pooling.byHand);
    const char* rule = pooling.rule == PoolingRule::Auto    ? "pooling by rule"
                       : pooling.rule == PoolingRule::Lenth ? "Lenth's estimate for a saturated "
                                                              "design"
                                                            : nullptr;
    if (rule) text += (text.empty() ? "" : "; then ") + std::string(rule);
    return text.empty() ? "no pooling" : text;
}

std::string AnovaText(const ResponseAnalysis& a, const std::string& title) {
    std::vector<std::string> names;
    for (const AnovaTerm& t : a.terms)
        names.push_back(t.name);
    const int w = WidthOf(names);
    std::string text = title + FormatText(", %d values\n", a.count);
    text +=
        FormatText(kAnovaHeader, w, "Source", "SS", "dof", "MS", "F", "p", "Pure SS", "Contr. %");
    for (const AnovaTerm& t : a.terms) {
        if (t.pooled)
            text += FormatText(kPooledRow, w, t.name.c_str(), t.ss, t.dof, t.ms, "pooled");
        else
            text += FormatText(kTermRow, w, t.name.c_str(), t.ss, t.dof, t.ms,
                               Number(t.f, "%.4f").c_str(), Number(t.p, "%.4g").c_str(),
                               Number(t.pureSS, "%.4f").c_str(),
                               Number(t.contribution, "%.2f").c_str());
    }
    const AnovaError& e = a.error;
    text += FormatText(kErrorRow, w, "Error", e.ss, FormatText("%g", e.dof).c_str(),
                       Number(e.ms, "%.4f").c_str(), "", "", Number(e.pureSS, "%.4f").c_str(),
                       Number(e.contribution, "%.2f").c_str());
    text += FormatText(kPartRow, w - 2, "residual", e.residual.ss, e.residual.dof);
    text += FormatText(kPartRow, w - 2, "repetition", e.repetition.ss, e.repetition.dof);
    text += FormatText(kPartRow, w - 2, "pooled", e.pooled.ss, e.pooled.dof);
    text += FormatText(kTotalRow, w, "Total", a.total.ss, a.total.dof, "", "", "", "", 100.0);
    if (e.lenth)
        text +=
            FormatText("Error variance: Lenth's pseudo standard error squared, %.4g dof\n", e.dof);
    return text;
}

std::string VerdictText(const Analysis& analysis) {
    std::string text;
    for (const QualityVerdict& q : analysis.verdict.qualities)
        text += (text.empty() ? "" : "\n") + QualityText(analysis, q);
    return text;
}

std::string PredictionText(const Analysis& analysis, int response,
                           const std::vector<FactorLevel>& at) {
    const Verdict& verdict = analysis.verdict;
    const Prediction sn = PredictAt(verdict, response, Response::SnRatio, at);
    const Prediction mean = PredictAt(verdict, response, Response::Mean, at);
    return FormatText("Prediction for response %d at %s\n", response + 1,
                      Settings(analysis, at).c_str()) +
           PredictionRow(verdict, "S/N ratio", "dB", sn, "CI") +
           PredictionRow(verdict, MeanWord(verdict.qualities[response]), "", mean, "CI");
}

std::string PredictionText(const Analysis& analysis, int response, const SettingsAt& at) {
    if (at.between.empty()) return PredictionText(analysis, response, at.levels);
    std::string settings = at.levels.empty() ? "" : Settings(analysis, at.levels);
    for (const SettingBetween& between : at.between)
        settings += (settings.empty() ? "" : ", ") + FactorLabel(analysis.verdict, between.factor) +
                    "=" + FormatText("%g", between.value) + " (interpolated)";
    const Verdict& verdict = analysis.verdict;
    const Prediction sn = PredictBetween(analysis, response, Response::SnRatio, at);
    const Prediction mean = PredictBetween(analysis, response, Response::Mean, at);
    return FormatText("Prediction for response %d at %s\n", response + 1, settings.c_str()) +
           PredictionRow(verdict, "S/N ratio", "dB", sn, "CI") +
           PredictionRow(verdict, "mean", "", mean, "CI") +
           "  interpolated: a factor between its tested levels contributes the polynomial "
           "through its level means (degree: its levels - 1)\n";
}

std::string ConfirmationText(const Analysis& analysis, int response,
                             const std::vector<FactorLevel>& at, const Confirmation& c) {
    const Verdict& verdict = analysis.verdict;
    const auto verdictOf = [](const Prediction& p, bool inside) {
        return std::isnan(p.halfWidth) ? "cannot be judged without an error estimate"
                                       : (inside ? "inside the interval: the model is confirmed"
                                                 : "outside the interval: the model is not "
                                                   "confirmed");
    };
    std::string text = FormatText("Confirmation of response %d at %s\n", response + 1,
                                  Settings(analysis, at).c_str());
    text += PredictionRow(verdict, "S/N ratio", "dB", c.snInterval, "confirmation interval");
    text += FormatText("  %-10s %12.4f dB   %s\n", "observed", c.sn,
                       verdictOf(c.snInterval, c.snInside));
    text += PredictionRow(verdict, "mean", "", c.meanInterval, "confirmation interval");
    text += FormatText("  %-10s %12.4f      %s\n", "observed", c.mean,
                       verdictOf(c.meanInterval, c.meanInside));
    return text;
}

}  // namespace qvrfc
