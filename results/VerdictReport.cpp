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
#include "results/RobustText.h"

namespace qvrfc {
namespace {

// The one set of formats of the verdict texts; the first column is as wide as the longest
// name of its table, and never narrower than kNameWidth.
constexpr int kNameWidth = 14;
const char* const kAnovaHeader = "%-*s %14s %7s %14s %10s %10s %14s %9s\n";
const char* const kTermRow = "%-*s %14.4f %7s %14s %10s %10s %14s %9s\n";
const char* const kPooledRow = "%-*s %14.4f %7s %14.4f %10s\n";
const char* const kPartRow = "  %-*s %14.4f %7s\n";
const char* const kTotalRow = "%-*s %14.4f %7s %14s %10s %10s %14s %9.2f\n";
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

std::string AnovaRowText(const AnovaRow& row, int w) {
    const std::string dof = DofText(row.dof);
    switch (row.kind) {
        case AnovaRow::Kind::PooledTerm:
            return FormatText(kPooledRow, w, row.name.c_str(), row.ss, dof.c_str(), row.ms,
                              "pooled");
        case AnovaRow::Kind::ErrorPart:
            return FormatText(kPartRow, w - 2, row.name.c_str(), row.ss, dof.c_str());
        case AnovaRow::Kind::Total:
            return FormatText(kTotalRow, w, row.name.c_str(), row.ss, dof.c_str(), "", "", "", "",
                              row.contribution);
        case AnovaRow::Kind::Term:
        case AnovaRow::Kind::Error:
            break;
    }
    // The error is what F and p are measured against: it has none, rather than none available.
    const bool error = row.kind == AnovaRow::Kind::Error;
    return FormatText(kTermRow, w, row.name.c_str(), row.ss, dof.c_str(),
                      Number(row.ms, "%.4f").c_str(), error ? "" : Number(row.f, "%.4f").c_str(),
                      error ? "" : Number(row.p, "%.4g").c_str(),
                      Number(row.pureSS, "%.4f").c_str(), Number(row.contribution, "%.2f").c_str());
}

std::string FactorLabel(const VerdictModel& model, int factor) {
    const int term = MainEffectTermOf(model.terms, factor);
    return term < 0 ? "?" : model.terms[term].name;
}

std::string Settings(const Analysis& analysis, const std::vector<FactorLevel>& at) {
    std::string text;
    for (const FactorLevel& setting : at)
        text += (text.empty() ? "" : ", ") + FactorLabel(analysis.model, setting.factor) + "=" +
                analysis.LevelText(setting.factor, setting.level);
    return text.empty() ? "the grand average" : text;
}

// The optimum's settings, a numeric adjustment factor set between its tested levels by its
// value.
std::string OptimumSettings(const Analysis& analysis, const Optimum& optimum) {
    std::string text;
    for (const FactorLevel& setting : optimum.levels)
        text += (text.empty() ? "" : ", ") + FactorLabel(analysis.model, setting.factor) + "=" +
                (setting.factor == optimum.betweenFactor
                     ? FormatText("%.4g (interpolated)", optimum.betweenValue)
                     : analysis.LevelText(setting.factor, setting.level));
    return text.empty() ? "the grand average" : text;
}

std::string FactorList(const VerdictModel& verdict, const Prediction& p) {
    std::string text;
    for (int factor : p.factors)
        text += (text.empty() ? "" : ", ") + FactorLabel(verdict, factor);
    for (int term : p.interactions)
        text += ", " + verdict.terms[term].name;
    return text.empty() ? "no factor (grand average)" : text;
}

std::string Confidence(const VerdictModel& verdict) {
    return FormatText("%g%%", 100.0 * (1.0 - verdict.alpha));
}

std::string Interval(const Prediction& p) {
    if (std::isnan(p.halfWidth)) return std::string(kNotAvailable) + " (no error estimate)";
    return FormatText("%.4f to %.4f", p.low, p.high);
}

std::string PredictionRow(const VerdictModel& verdict, const char* what, const char* unit,
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
    const CellLabels labels = {FactorLabel(analysis.model, table.first),
                               FactorLabel(analysis.model, table.second),
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
        text += (text.empty() ? "" : ", ") + analysis.model.terms[t].name;
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

// "Damper Heating time (p = 5.214e-05, Holm-adjusted over 4 control x noise tests p =
// 0.0002086; 7.61% of the total variation): going from Quench oil temperature=low to high moves
// Free height by -0.4250 at Heating time=+ and by -0.0942 at Heating time=-, so Heating
// time=- is the damping level."
std::string DamperText(const Analysis& analysis, int quality, const Damper& damper) {
    const NoiseFactor& noise = analysis.experiment.noise[damper.noise];
    const NoiseModel& model = *analysis.responses[quality].noise;
    std::string text = FormatText(
        "Damper %s (p = %.4g, Holm-adjusted over %d control x noise tests p = %.4g; %.2f%% of "
        "the total variation): ",
        analysis.experiment.factors[damper.control].name.c_str(), damper.p, model.tests,
        damper.pAdjusted, damper.contribution);
    text += damper.range ? FormatText("the levels of %s move %s over a range of ",
                                      noise.name.c_str(), analysis.responses[quality].name.c_str())
                         : FormatText("going from %s=%s to %s moves %s by ", noise.name.c_str(),
                                      noise.levels.front().c_str(), noise.levels.back().c_str(),
                                      analysis.responses[quality].name.c_str());
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
    return text + RobustnessSentence(analysis, quality);
}

// What takes the mean's place: a dynamic response's slope.
// The ANOVA of the observations as the text shows it: with noise factors, the variation within
// a run is across the noise conditions (and repetitions), and is named so.
ResponseAnalysis ObservationAnova(const Analysis& analysis, const ResponseResult& q) {
    ResponseAnalysis shown = q.meanAnova;
    if (q.setting.dynamic || analysis.experiment.noise.empty()) return shown;
    AnovaTable& table = shown.table;
    table.rows[table.TermCount() + 1 + AnovaTable::Repetition].name =
        analysis.experiment.repetitions > 1 ? "noise+repetition" : "noise conditions";
    return shown;
}

const char* MeanWord(const ResponseVerdict& q) {
    return q.setting.dynamic ? "slope" : "mean";
}

std::string QualityText(const Analysis& analysis, int index) {
    const VerdictModel& verdict = analysis.model;
    const ResponseResult& q = analysis.responses[index];
    std::string text = FormatText("Response %d (%s): S/N %s", index + 1, q.name.c_str(),
                                  analysis.experiment.responses[index].KindName().c_str());
    const char* target = q.setting.dynamic ? "target slope" : "target";
    if (q.setting.MeanAim() == Aim::Nominal)
        text += q.setting.HasTarget() ? FormatText(", %s %g", target, q.setting.target)
                                      : FormatText(", no %s", target);
    text += FormatText(", alpha %g, %s\n\n", verdict.alpha, PoolingText(analysis, index).c_str());
    text += AnovaText(q.snAnova, "ANOVA of the S/N ratio (dB)") + "\n";
    text +=
        AnovaText(ObservationAnova(analysis, q),
                  q.setting.dynamic ? "ANOVA of the slope (beta)" : "ANOVA of the observations") +
        "\n";
    text += DispersionText(analysis, index);
    const std::string decomposition = DecompositionText(analysis, index);
    if (!decomposition.empty()) text += decomposition + "\n";
    text += InteractionText(analysis, q);
    const Optimum& o = q.optimum;
    text += "Optimum: " + OptimumSettings(analysis, o);
    if (!o.adjustmentFactors.empty()) {
        std::string names;
        for (int factor : o.adjustmentFactors)
            names += (names.empty() ? "" : ", ") + FactorLabel(verdict, factor);
        text += FormatText(" (adjustment factor%s: ", o.adjustmentFactors.size() > 1 ? "s" : "") +
                names + ")";
    }
    text += "\n" + PredictionRow(verdict, "S/N ratio", "dB", o.sn, "CI");
    text += PredictionRow(verdict, MeanWord(q), "", o.mean, "CI");
    if (q.meanOfControls)
        text +=
            "  (the mean from the noise model's ANOVA, whose error holds the repetitions, not "
            "the noise)\n";
    for (const std::string& note : VerdictNotes(analysis, index))
        text += "Note: " + note + "\n";
    const std::string noise = NoiseModelText(analysis, index);
    return noise.empty() ? text : text + "\n" + noise;
}

// "the ANOVA of the S/N ratio", "... of the observations", "... of the slope (beta)", "the
// noise model".
std::string AnovaName(const std::string& anova) {
    if (anova == "sn") return "the ANOVA of the S/N ratio";
    if (anova == "beta") return "the ANOVA of the slope (beta)";
    if (anova == "mean") return "the ANOVA of the observations";
    return "the noise model";
}

// --pool RESPONSE=TERMS for the terms pooled by hand and those advised, quoted when a name has
// a blank.
std::string PoolOption(const Analysis& analysis, int response, const std::vector<int>& advised) {
    std::vector<int> terms = analysis.responses[response].pooling.byHand;
    terms.insert(terms.end(), advised.begin(), advised.end());
    std::string names;
    for (int t : terms)
        names += (names.empty() ? "" : ",") + analysis.model.terms[t].name;
    const std::string value = std::to_string(response + 1) + "=" + names;
    return "--pool " + (value.find(' ') == std::string::npos ? value : "'" + value + "'");
}

void PoolingNotes(const Analysis& analysis, int response, std::vector<std::string>& notes) {
    const ResponseResult& q = analysis.responses[response];
    std::string weak;
    std::vector<int> advised;
    for (const PoolingAdvice& advice : q.poolingAdvice) {
        if (advice.advised.empty()) continue;
        weak += (weak.empty() ? "in " : "; in ") + AnovaName(advice.anova) + ": " +
                NameList(analysis, advice.advised);
        for (int t : advice.advised)
            if (std::find(advised.begin(), advised.end(), t) == advised.end()) advised.push_back(t);
    }
    std::sort(advised.begin(), advised.end());
    if (!weak.empty())
        notes.push_back(
            "F below 1 (weaker than the error) " + weak +
            (q.pooling.rule == PoolingRule::Auto
                 ? "; pooling by rule is in effect and leaves " +
                       std::string(advised.size() == 1 ? "it" : "them") + " in the model."
                 : "; pool " + std::string(advised.size() == 1 ? "it" : "them") +
                       " into the error (" + PoolOption(analysis, response, advised) + ")."));
    for (const PoolingAdvice& advice : q.poolingAdvice)
        for (const PoolingAdvice::Kept& kept : advice.kept)
            notes.push_back(FormatText(
                "%s has F below 1 in %s but is not to be pooled: %s finds it significant (p = "
                "%.4g), and pooling would take it out there too.",
                analysis.model.terms[kept.term].name.c_str(), AnovaName(advice.anova).c_str(),
                AnovaName(kept.significantIn).c_str(), kept.p));
}

// A nominal target outside the mean's interval at the optimum, with the mean reached.
// True when the prediction's interval holds the value.
bool Holds(const Prediction& p, double value) {
    return p.low <= value && value <= p.high;
}

void TargetNote(const Analysis& analysis, int response, std::vector<std::string>& notes) {
    const ResponseResult& q = analysis.responses[response];
    const Prediction& mean = q.optimum.mean;
    if (q.setting.dynamic || q.setting.MeanAim() != Aim::Nominal || !q.setting.HasTarget() ||
        std::isnan(mean.halfWidth) || Holds(mean, q.setting.target))
        return;
    const double gap = mean.value - q.setting.target;
    std::string text = FormatText(
        "The target %g lies outside the mean's %s interval at the optimum (%s): the nearest "
        "mean reached is %.4f, %.4f %s the target",
        q.setting.target, Confidence(analysis.model).c_str(), Interval(mean).c_str(), mean.value,
        std::fabs(gap), gap < 0 ? "below" : "above");
    if (q.optimum.adjustmentFactor >= 0)
        text += ", with the adjustment factor " +
                FactorLabel(analysis.model, q.optimum.adjustmentFactor) +
                " at its tested level nearest the target";
    notes.push_back(text + ".");
}

// An adjustment factor that is also a damper: which level the optimum takes and what it costs.
void AdjusterDamperNote(const Analysis& analysis, int response, std::vector<std::string>& notes) {
    const ResponseResult& q = analysis.responses[response];
    const int factor = q.optimum.adjustmentFactor;
    if (factor < 0 || !q.noise) return;
    int level = -1;
    for (const FactorLevel& at : q.optimum.levels)
        if (at.factor == factor) level = at.level;
    for (const Damper& damper : q.noise->dampers) {
        if (damper.control != factor || level < 0) continue;
        const std::string name = analysis.experiment.factors[factor].name;
        if (level == damper.dampingLevel)
            notes.push_back(FormatText(
                "%s is both the adjustment factor and a damper of %s; its level for the mean, "
                "%s, is also its damping level.",
                name.c_str(), analysis.experiment.noise[damper.noise].name.c_str(),
                LevelSetting(analysis, factor, level).c_str()));
        else
            notes.push_back(FormatText(
                "%s is both the adjustment factor and a damper of %s: the optimum takes %s for "
                "the mean, where the noise moves %s by %.4f, against %.4f at its damping level "
                "%s.",
                name.c_str(), analysis.experiment.noise[damper.noise].name.c_str(),
                LevelSetting(analysis, factor, level).c_str(), q.name.c_str(), damper.effect[level],
                damper.effect[damper.dampingLevel],
                LevelSetting(analysis, factor, damper.dampingLevel).c_str()));
    }
}

}  // namespace

std::vector<std::string> DamperTexts(const Analysis& analysis, int response) {
    std::vector<std::string> texts;
    const std::optional<NoiseModel>& model = analysis.responses[response].noise;
    if (!model) return texts;
    for (const Damper& damper : model->dampers)
        texts.push_back(DamperText(analysis, response, damper));
    if (!model->Testable())
        texts.push_back(
            "The control x noise interactions cannot be tested: no degrees of freedom for "
            "error.");
    else if (texts.empty())
        texts.push_back(FormatText(
            "No damper: no control x noise interaction is significant at alpha %g after Holm's "
            "adjustment over %d tests (smallest p %.4g, adjusted %.4g).",
            model->alpha, model->tests, model->smallestP, model->smallestAdjusted));
    return texts;
}

namespace {

// Whether a dynamic response's predicted slope at the optimum misses its target, and by how
// much; empty when the interval holds the target (or the slope is set onto it).
std::string TargetSlopeNote(const Analysis& analysis, const ResponseResult& q) {
    const Optimum& o = q.optimum;
    const double target = q.setting.target;
    if (!q.setting.dynamic || !q.setting.HasTarget() || o.betweenFactor >= 0) return "";
    if (Holds(o.mean, target)) return "";
    const double gap = o.mean.value - target;
    if (gap == 0.0) return "";
    const std::string miss = FormatText("%.4g %s it", std::fabs(gap), gap < 0 ? "below" : "above");
    if (o.adjustmentFactors.empty())
        return FormatText(
            "The target slope %g is not reached: no factor moves the slope without "
            "the S/N ratio, and the predicted slope %.4f is %s.",
            target, o.mean.value, miss.c_str());
    std::string names;
    for (int factor : o.adjustmentFactors)
        names += (names.empty() ? "" : ", ") + FactorLabel(analysis.model, factor);
    return FormatText(
        "The target slope %g is not reached: %s at %s tested levels bring%s the "
        "slope nearest it, %.4f, %s; its interval excludes the target.",
        target, names.c_str(), o.adjustmentFactors.size() > 1 ? "their" : "its",
        o.adjustmentFactors.size() > 1 ? "" : "s", o.mean.value, miss.c_str());
}

}  // namespace

std::vector<std::string> VerdictNotes(const Analysis& analysis, int quality) {
    const ResponseResult& q = analysis.responses[quality];
    const ResponseResult& response = q;
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
    const std::string unreached = TargetSlopeNote(analysis, q);
    if (!unreached.empty()) notes.push_back(unreached);
    PoolingNotes(analysis, quality, notes);
    TargetNote(analysis, quality, notes);
    AdjusterDamperNote(analysis, quality, notes);
    for (const std::string& note : LinearityNotes(analysis, quality))
        notes.push_back(note);
    return notes;
}

std::string PoolingText(const Analysis& analysis, int response) {
    const PoolingChoice& pooling = analysis.responses[response].pooling;
    std::string text;
    if (!pooling.byHand.empty()) text = "pooled by hand: " + NameList(analysis, pooling.byHand);
    const char* rule = pooling.rule == PoolingRule::Auto    ? "pooling by rule"
                       : pooling.rule == PoolingRule::Lenth ? "Lenth's estimate for a saturated "
                                                              "design"
                                                            : nullptr;
    if (rule) text += (text.empty() ? "" : "; then ") + std::string(rule);
    return text.empty() ? "no pooling" : text;
}

std::string DofText(double dof) {
    return dof == std::floor(dof) ? FormatText("%.0f", dof) : FormatText("%g", dof);
}

bool SharesBeyondBounds(const AnovaTable& table) {
    for (size_t i = 0; i <= table.TermCount() && i < table.rows.size(); ++i) {
        const AnovaRow& row = table.rows[i];
        if (row.kind != AnovaRow::Kind::PooledTerm &&
            (row.contribution < -0.005 || row.contribution > 100.005))
            return true;
    }
    return false;
}

std::string AnovaText(const ResponseAnalysis& a, const std::string& title) {
    std::vector<std::string> names;
    for (const AnovaRow& row : a.table.rows)
        names.push_back(row.name);
    const int w = WidthOf(names);
    std::string text = title + FormatText(", %d values\n", a.count);
    text +=
        FormatText(kAnovaHeader, w, "Source", "SS", "dof", "MS", "F", "p", "Pure SS", "Contr. %");
    for (const AnovaRow& row : a.table.rows)
        text += AnovaRowText(row, w);
    if (a.table.lenth)
        text += FormatText("Error variance: Lenth's pseudo standard error squared, %.4g dof\n",
                           a.table.Error().dof);
    if (SharesBeyondBounds(a.table)) text += std::string(kSharesNote) + "\n";
    return text;
}

std::string VerdictText(const Analysis& analysis) {
    std::string text;
    for (size_t r = 0; r < analysis.responses.size(); ++r)
        text += (text.empty() ? "" : "\n") + QualityText(analysis, static_cast<int>(r));
    return text;
}

std::string PredictionText(const Analysis& analysis, const ResponsePrediction& prediction) {
    const SettingsAt& at = prediction.at;
    std::string settings =
        at.levels.empty() && !at.between.empty() ? "" : Settings(analysis, at.levels);
    for (const SettingBetween& between : at.between)
        settings += (settings.empty() ? "" : ", ") + FactorLabel(analysis.model, between.factor) +
                    "=" + FormatText("%g", between.value) + " (interpolated)";
    const VerdictModel& verdict = analysis.model;
    const ResponseResult& response = analysis.responses[prediction.response];
    std::string text = FormatText("Prediction for response %d at %s\n", prediction.response + 1,
                                  settings.c_str()) +
                       PredictionRow(verdict, "S/N ratio", "dB", prediction.sn, "CI") +
                       PredictionRow(verdict, MeanWord(response), "", prediction.mean, "CI");
    if (!at.between.empty())
        text +=
            "  interpolated: a factor between its tested levels contributes the polynomial "
            "through its level means (degree: its levels - 1)\n";
    return text;
}

std::string ConfirmationText(const Analysis& analysis, int response,
                             const std::vector<FactorLevel>& at, const Confirmation& c) {
    const VerdictModel& verdict = analysis.model;
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
    text += PredictionRow(verdict, MeanWord(analysis.responses[response]), "", c.meanInterval,
                          "confirmation interval");
    text += FormatText("  %-10s %12.4f      %s\n", "observed", c.mean,
                       verdictOf(c.meanInterval, c.meanInside));
    return text;
}

}  // namespace qvrfc
