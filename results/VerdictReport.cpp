#include "results/VerdictReport.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "common/QVRFCTextFormat.h"

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

std::string Settings(const Verdict& verdict, const std::vector<FactorLevel>& at,
                     const LevelLabel& label) {
    std::string text;
    for (const FactorLevel& setting : at)
        text += (text.empty() ? "" : ", ") + FactorLabel(verdict, setting.factor) + "=" +
                label(setting.factor, setting.level);
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

std::string CellTable(const Verdict& verdict, const InteractionTable& table,
                      const std::vector<std::vector<double>>& cells, const char* what,
                      const LevelLabel& label) {
    const std::string rows = FactorLabel(verdict, table.first);
    const std::string columns = FactorLabel(verdict, table.second);
    std::vector<std::string> rowNames = {rows + " \\ " + columns};
    for (size_t i = 0; i < cells.size(); ++i)
        rowNames.push_back(rows + "=" + label(table.first, int(i)));
    std::vector<std::string> columnNames;
    for (size_t j = 0; j < cells[0].size(); ++j)
        columnNames.push_back(columns + "=" + label(table.second, int(j)));
    const int rowWidth = WidthOf(rowNames);
    const int cellWidth = WidthOf(columnNames);
    std::string text = "Interaction " + table.name + ", " + what + " at each pair of levels\n";
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

std::string InteractionText(const Verdict& verdict, const QualityVerdict& q,
                            const LevelLabel& label) {
    std::string text;
    for (const InteractionTable& table : InteractionTables(verdict, q.quality))
        text += CellTable(verdict, table, table.mean, "mean", label) +
                CellTable(verdict, table, table.sn, "S/N ratio (dB)", label) + "\n";
    return text;
}

const char* RuleName(PoolingRule rule) {
    switch (rule) {
        case PoolingRule::Auto:
            return "pooling by rule";
        case PoolingRule::Lenth:
            return "Lenth's estimate for a saturated design";
        case PoolingRule::None:
            break;
    }
    return "no pooling rule";
}

std::string QualityText(const Verdict& verdict, const QualityVerdict& q, const LevelLabel& label) {
    std::string text = FormatText("Quality %d (%s): S/N %s", q.quality + 1, q.name.c_str(),
                                  SnKindName(q.setting.kind));
    if (AimOf(q.setting.kind) == Aim::Nominal) text += FormatText(", target %g", q.setting.target);
    text += FormatText(", alpha %g, %s\n\n", verdict.alpha, RuleName(verdict.rule));
    text += AnovaText(q.sn, "ANOVA of the S/N ratio (dB)") + "\n";
    text += AnovaText(q.mean, "ANOVA of the observations") + "\n";
    text += InteractionText(verdict, q, label);
    const Optimum& o = q.optimum;
    text += "Optimum: " + Settings(verdict, o.levels, label);
    if (o.adjustmentFactor >= 0)
        text += " (adjustment factor: " + FactorLabel(verdict, o.adjustmentFactor) + ")";
    text += "\n" + PredictionRow(verdict, "S/N ratio", "dB", o.sn, "CI");
    text += PredictionRow(verdict, "mean", "", o.mean, "CI");
    return text;
}

JsonNumber Optional(double value) {
    return std::isnan(value) ? JsonNumber() : JsonNumber(value);
}

JsonAnova AnovaData(const ResponseAnalysis& a) {
    JsonAnova data;
    for (const AnovaTerm& t : a.terms)
        data.terms.push_back({t.name, t.ss, t.dof, Optional(t.ms), Optional(t.f), Optional(t.p),
                              Optional(t.pureSS), Optional(t.contribution), t.pooled});
    const AnovaError& e = a.error;
    data.error = {e.ss,
                  e.dof,
                  Optional(e.ms),
                  Optional(e.contribution),
                  {e.residual.ss, double(e.residual.dof)},
                  {e.repetition.ss, double(e.repetition.dof)},
                  {e.pooled.ss, double(e.pooled.dof)}};
    data.total = {a.total.ss, double(a.total.dof)};
    return data;
}

JsonPrediction PredictionData(const Prediction& p) {
    return {Optional(p.value), Optional(p.low), Optional(p.high)};
}

std::vector<JsonInteractionTable> InteractionData(const Verdict& verdict, const QualityVerdict& q,
                                                  const LevelLabel& label) {
    std::vector<JsonInteractionTable> data;
    for (const InteractionTable& table : InteractionTables(verdict, q.quality)) {
        JsonInteractionTable json;
        json.name = table.name;
        json.rows = FactorLabel(verdict, table.first);
        json.columns = FactorLabel(verdict, table.second);
        for (size_t i = 0; i < table.mean.size(); ++i)
            json.row_levels.push_back(label(table.first, int(i)));
        for (size_t j = 0; j < table.mean[0].size(); ++j)
            json.column_levels.push_back(label(table.second, int(j)));
        json.mean = table.mean;
        json.sn = table.sn;
        data.push_back(json);
    }
    return data;
}

}  // namespace

std::string LevelNumber(int, int level) {
    return std::to_string(level + 1);
}

std::string VerdictText(const Verdict& verdict, const LevelLabel& label) {
    std::string text;
    for (const QualityVerdict& q : verdict.qualities)
        text += (text.empty() ? "" : "\n") + QualityText(verdict, q, label);
    return text;
}

bool WriteVerdictReport(const std::string& path, const Verdict& verdict, std::string& error,
                        const LevelLabel& label) {
    const std::string text = VerdictText(verdict, label);
    const std::string temporary = path + ".tmp";
    FILE* file = std::fopen(temporary.c_str(), "w");
    bool written = file && std::fwrite(text.data(), 1, text.size(), file) == text.size();
    written = file && std::fclose(file) == 0 && written;
    written = written && std::rename(temporary.c_str(), path.c_str()) == 0;
    if (!written) {
        error = "cannot write '" + path + "': " + std::strerror(errno);
        std::remove(temporary.c_str());
    }
    return written;
}

std::string PredictionText(const Verdict& verdict, int quality, const std::vector<FactorLevel>& at,
                           const LevelLabel& label) {
    const Prediction sn = PredictAt(verdict, quality, Response::SnRatio, at);
    const Prediction mean = PredictAt(verdict, quality, Response::Mean, at);
    return FormatText("Prediction for quality %d at %s\n", quality + 1,
                      Settings(verdict, at, label).c_str()) +
           PredictionRow(verdict, "S/N ratio", "dB", sn, "CI") +
           PredictionRow(verdict, "mean", "", mean, "CI");
}

std::string ConfirmationText(const Verdict& verdict, int quality,
                             const std::vector<FactorLevel>& at, const Confirmation& c,
                             const LevelLabel& label) {
    const auto verdictOf = [](const Prediction& p, bool inside) {
        return std::isnan(p.halfWidth) ? "cannot be judged without an error estimate"
                                       : (inside ? "inside the interval: the model is confirmed"
                                                 : "outside the interval: the model is not "
                                                   "confirmed");
    };
    std::string text = FormatText("Confirmation of quality %d at %s\n", quality + 1,
                                  Settings(verdict, at, label).c_str());
    text += PredictionRow(verdict, "S/N ratio", "dB", c.snInterval, "confirmation interval");
    text += FormatText("  %-10s %12.4f dB   %s\n", "observed", c.sn,
                       verdictOf(c.snInterval, c.snInside));
    text += PredictionRow(verdict, "mean", "", c.meanInterval, "confirmation interval");
    text += FormatText("  %-10s %12.4f      %s\n", "observed", c.mean,
                       verdictOf(c.meanInterval, c.meanInside));
    return text;
}

std::vector<JsonResponseVerdict> VerdictJsonData(const Verdict& verdict, const LevelLabel& label) {
    std::vector<JsonResponseVerdict> data;
    for (const QualityVerdict& q : verdict.qualities) {
        JsonResponseVerdict response;
        response.name = q.name;
        response.sn = AnovaData(q.sn);
        response.mean = AnovaData(q.mean);
        const Optimum& o = q.optimum;
        for (const FactorLevel& setting : o.levels)
            response.optimum.levels.emplace_back(FactorLabel(verdict, setting.factor),
                                                 label(setting.factor, setting.level));
        for (int factor : o.factorsUsed)
            response.optimum.factors_used.push_back(FactorLabel(verdict, factor));
        for (int term : o.interactionsUsed)
            response.optimum.interactions_used.push_back(verdict.terms[term].name);
        response.interactions = InteractionData(verdict, q, label);
        response.optimum.sn = PredictionData(o.sn);
        response.optimum.mean = PredictionData(o.mean);
        if (o.adjustmentFactor >= 0)
            response.optimum.adjustment_factor = FactorLabel(verdict, o.adjustmentFactor);
        data.push_back(response);
    }
    return data;
}

}  // namespace qvrfc
