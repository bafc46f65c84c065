// The report page, written with HtmlWriter so that every name from the experiment is escaped.
#include "qvrfc/results/HtmlReport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>

#include "qvrfc/charts/ChartsOfAnalysis.h"
#include "qvrfc/experiment/ArrayChoice.h"
#include "qvrfc/results/HtmlWriter.h"
#include "qvrfc/results/VerdictReport.h"
#include "results/CombinedText.h"
#include "results/HtmlInteractive.h"
#include "results/RobustText.h"

namespace qvrfc {
namespace {

constexpr const char* kMissing = "*";

constexpr const char* kStyle = R"(
body { font-family: "DejaVu Sans", Verdana, sans-serif; font-size: 14px; color: #111;
       margin: 24px; line-height: 1.4; }
h1 { font-size: 24px; margin-bottom: 4px; }
h2 { font-size: 20px; border-bottom: 2px solid #0072b2; padding-bottom: 2px; margin-top: 32px; }
h3 { font-size: 16px; margin: 20px 0 6px; }
nav a { margin-right: 14px; }
.scroll { overflow-x: auto; }
table { border-collapse: collapse; margin: 6px 0 14px; }
caption { text-align: left; font-weight: bold; padding: 4px 0; white-space: nowrap; }
th, td { border: 1px solid #bbb; padding: 3px 6px; }
th { background: #eee; text-align: center; }
td.num { text-align: right; font-variant-numeric: tabular-nums; white-space: nowrap; }
td.best { font-weight: bold; text-decoration: underline; }
tr.pooled td { color: #555; font-style: italic; }
tr.conflict td { background: #fdeccc; }
tr.sum td { font-weight: bold; }
p.note { color: #444; font-size: 13px; }
figure { margin: 12px 0 24px; }
figure svg { max-width: 100%; height: auto; }
figcaption { font-size: 13px; color: #444; }
@media print {
  body { margin: 0; font-size: 11px; }
  nav { display: none; }
  .scroll { overflow: visible; }
  table, figure { page-break-inside: avoid; }
  h2 { page-break-after: avoid; }
}
)";

std::string Number(double value, const char* format = "%.4f") {
    if (!std::isfinite(value)) return kMissing;
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string PValue(double p) {
    if (std::isfinite(p) && p < 0.0001) return "< 0.0001";
    return Number(p);
}

using Cells = std::vector<std::string>;

void HeaderRow(HtmlWriter& html, const Cells& cells) {
    html.Open("tr");
    for (const std::string& cell : cells)
        html.Element("th", cell);
    html.Close();
}

// A row whose first textColumns cells are text and the others numbers.
void Row(HtmlWriter& html, const Cells& cells, const std::string& rowClass = "",
         size_t textColumns = 1) {
    html.Open("tr", rowClass.empty() ? HtmlWriter::Attributes{}
                                     : HtmlWriter::Attributes{{"class", rowClass}});
    for (size_t i = 0; i < cells.size(); ++i)
        html.Element("td", cells[i], {{"class", i < textColumns ? "name" : "num"}});
    html.Close();
}

void OpenTable(HtmlWriter& html, const std::string& caption) {
    html.Open("div", {{"class", "scroll"}}).Open("table");
    if (!caption.empty()) html.Element("caption", caption);
}

void CloseTable(HtmlWriter& html) {
    html.Close().Close();
}

std::string Join(const std::vector<std::string>& words, const std::string& joint) {
    std::string text;
    for (size_t i = 0; i < words.size(); ++i)
        text += (i ? joint : "") + words[i];
    return text;
}

void WriteExperiment(HtmlWriter& html, const Analysis& analysis) {
    const Experiment& experiment = analysis.experiment;
    int most = 0;
    for (const ResponseResult& response : analysis.responses)
        most = std::max(most, response.mostPerRun);
    html.Open("section", {{"id", "experiment"}}).Element("h2", "Experiment");
    html.Element("p", "Array: " + std::string(CatalogueName(experiment.array)) + "; " +
                          std::to_string(experiment.RunCount()) + " runs; up to " +
                          std::to_string(most) + " observations a run.");
    OpenTable(html, "Control factors");
    HeaderRow(html, {"Factor", "Unit", "Column", "Levels"});
    for (const Factor& factor : experiment.factors)
        Row(html,
            {factor.name, factor.unit, std::to_string(factor.column + 1),
             Join(factor.levels, ", ")},
            "", 4);
    CloseTable(html);
    OpenTable(html, "Responses");
    HeaderRow(html, {"Response", "Unit", "S/N ratio", "Target"});
    for (size_t r = 0; r < analysis.responses.size(); ++r) {
        const ResponseResult& q = analysis.responses[r];
        Row(html,
            {q.name, experiment.responses[r].unit, experiment.responses[r].KindName(),
             q.setting.HasTarget() && q.setting.MeanAim() == Aim::Nominal
                 ? Number(q.setting.target, "%g") + (q.setting.dynamic ? " (slope)" : "")
                 : ""},
            "", 4);
    }
    CloseTable(html);
    html.Close();
}

void WriteRuns(HtmlWriter& html, const Analysis& analysis) {
    const Experiment& experiment = analysis.experiment;
    html.Open("section", {{"id", "runs"}}).Element("h2", "Runs");
    OpenTable(html, "Factor levels and the figures of each run");
    html.Open("tr").Element("th", "", {{"colspan", std::to_string(experiment.factors.size() + 1)}});
    for (const ExperimentResponse& response : experiment.responses)
        html.Element("th", response.name, {{"colspan", "4"}});
    html.Close();
    Cells header{"Run"};
    for (const Factor& factor : experiment.factors)
        header.push_back(factor.name);
    for (const ResponseResult& response : analysis.responses) {
        if (response.dynamic.empty())
            header.insert(header.end(), {"n", "Mean", "Std. dev.", "S/N (dB)"});
        else
            header.insert(header.end(), {"n", "beta", "S (dB)", "S/N (dB)"});
    }
    HeaderRow(html, header);
    for (int run = 0; run < experiment.RunCount(); ++run) {
        Cells cells{std::to_string(run + 1)};
        for (size_t f = 0; f < experiment.factors.size(); ++f)
            cells.push_back(analysis.LevelText(int(f), experiment.Level(run, int(f))));
        for (const ResponseResult& response : analysis.responses) {
            const RunFigures& figures = response.runs[run];
            if (response.dynamic.empty())
                cells.insert(cells.end(), {std::to_string(figures.n), Number(figures.mean),
                                           Number(figures.sd), Number(figures.sn)});
            else
                cells.insert(cells.end(),
                             {std::to_string(figures.n), Number(response.dynamic[run].beta),
                              Number(response.dynamic[run].sensitivity), Number(figures.sn)});
        }
        Row(html, cells, "", experiment.factors.size() + 1);
    }
    CloseTable(html);
    html.Close();
}

void WriteResponseTable(HtmlWriter& html, const Experiment& experiment, const LevelTable& table) {
    size_t levels = 0;
    for (const LevelTable::Row& row : table.rows)
        levels = std::max(levels, row.levels.size());
    OpenTable(html, std::string("Response table: ") + StatisticTitle(table.statistic));
    Cells header{"Factor"};
    for (size_t l = 1; l <= levels; ++l)
        header.push_back("Level " + std::to_string(l));
    header.insert(header.end(), {"Delta", "Rank"});
    HeaderRow(html, header);
    for (size_t f = 0; f < table.rows.size(); ++f) {
        const LevelTable::Row& row = table.rows[f];
        html.Open("tr").Element("td", experiment.factors[f].name);
        for (size_t l = 0; l < levels; ++l) {
            const bool best = static_cast<int>(l) == row.best;
            html.Element("td", l < row.levels.size() ? Number(row.levels[l]) : "",
                         {{"class", best ? "num best" : "num"}});
        }
        html.Element("td", Number(row.delta), {{"class", "num"}});
        html.Element("td", std::to_string(row.rank), {{"class", "num"}});
        html.Close();
    }
    CloseTable(html);
}

Cells AnovaCells(const AnovaRow& row) {
    return {row.Pooled() ? row.name + " (pooled)" : row.name,
            Number(row.ss),
            DofText(row.dof),
            row.kind == AnovaRow::Kind::Total ? "" : Number(row.ms),
            row.kind == AnovaRow::Kind::Total ? "" : Number(row.f),
            row.kind == AnovaRow::Kind::Total ? "" : PValue(row.p),
            Number(row.contribution, "%.2f")};
}

std::string AnovaNote(const AnovaTable& table) {
    if (table.lenth)
        return "No degree of freedom is left for the error: its variance is Lenth's pseudo "
               "standard error squared. Contributions are shares of pure sums of squares.";
    if (table.Error().dof > 0)
        return "The error holds the pooled terms, the columns without a term and the variation "
               "within runs. Contributions are shares of pure sums of squares.";
    return "No degree of freedom is left for the error, so F is not available (*); pool the "
           "weakest factors to test the others.";
}

// The page shows the terms, the error and the total; the error's parts are the verdict's.
void WriteAnova(HtmlWriter& html, const ResponseAnalysis& anova, const std::string& title) {
    OpenTable(html, title);
    HeaderRow(html, {"Source", "SS", "DoF", "MS", "F", "p", "Contribution %"});
    for (const AnovaRow& row : anova.table.rows) {
        if (row.kind == AnovaRow::Kind::ErrorPart) continue;
        const char* style = row.Pooled()                        ? "pooled"
                            : row.kind == AnovaRow::Kind::Total ? "sum"
                                                                : "";
        Row(html, AnovaCells(row), style);
    }
    CloseTable(html);
    html.Element("p",
                 AnovaNote(anova.table) +
                     (SharesBeyondBounds(anova.table) ? std::string(" ") + kSharesNote : ""),
                 {{"class", "note"}});
}

std::string EstimateText(const Prediction& p) {
    std::string text = Number(p.value);
    if (std::isfinite(p.halfWidth))
        text += "  [" + Number(p.low) + ", " + Number(p.high) + "]";
    else
        text += "  (no error estimate for an interval)";
    return text;
}

std::string FactorNames(const Analysis& analysis, const Prediction& p) {
    std::vector<std::string> names;
    for (int f : p.factors)
        names.push_back(analysis.experiment.factors[f].name);
    for (int t : p.interactions)
        names.push_back(analysis.model.terms[t].name);
    return names.empty() ? "none (the grand average)" : Join(names, ", ");
}

void WriteOptimum(HtmlWriter& html, const Analysis& analysis, const ResponseResult& q) {
    const Optimum& optimum = q.optimum;
    html.Element("h3", "Optimum");
    OpenTable(html, "Chosen levels");
    HeaderRow(html, {"Factor", "Level"});
    for (const FactorLevel& at : optimum.levels)
        Row(html,
            {analysis.experiment.factors[at.factor].name,
             at.factor == optimum.betweenFactor
                 ? Number(optimum.betweenValue, "%.4g") + " (interpolated)"
                 : analysis.LevelText(at.factor, at.level)},
            "", 2);
    CloseTable(html);
    OpenTable(html, "Prediction at the chosen levels, with its " +
                        Number(100.0 * (1.0 - analysis.model.alpha), "%g") + " % interval");
    HeaderRow(html, {"Figure", "Predicted [interval]", "From"});
    Row(html, {"S/N ratio (dB)", EstimateText(optimum.sn), FactorNames(analysis, optimum.sn)});
    Row(html, {q.setting.dynamic ? "Slope (beta)" : "Mean", EstimateText(optimum.mean),
               FactorNames(analysis, optimum.mean)});
    CloseTable(html);
    if (!optimum.adjustmentFactors.empty()) {
        std::string names;
        for (int factor : optimum.adjustmentFactors)
            names += (names.empty() ? "" : ", ") + analysis.experiment.factors[factor].name;
        html.Element("p", std::string(optimum.adjustmentFactors.size() > 1 ? "Adjustment factors"
                                                                           : "Adjustment factor") +
                              (q.setting.dynamic ? " for the slope: " : " for the mean: ") + names +
                              ".");
    }
    std::string note =
        "Predicted from the significant terms: the overall mean plus their effects "
        "at the chosen levels.";
    if (!optimum.sn.warning.empty())
        note += " The predicted S/N ratio is " + optimum.sn.warning + ".";
    if (!optimum.mean.warning.empty())
        note += " The predicted mean is " + optimum.mean.warning + ".";
    html.Element("p", note, {{"class", "note"}});
}

// The noise range at the optimum, at the worst combination and on the grand average.
void WriteRobustness(HtmlWriter& html, const Analysis& analysis, const NoiseModel& model) {
    if (!model.robustness) return;
    const Robustness& r = *model.robustness;
    OpenTable(html, "Noise range across the noise conditions, from the noise model");
    HeaderRow(html, {"Combination", "Settings", "Noise range"});
    Row(html, {"optimum", NoiseRangeSettings(analysis, model, r.optimum), Number(r.optimum.range)},
        "", 2);
    Row(html, {"worst", NoiseRangeSettings(analysis, model, r.worst), Number(r.worst.range)}, "",
        2);
    Row(html, {"grand average", "", Number(r.average.range)}, "", 2);
    CloseTable(html);
}

// Taguchi's decomposition of each run of a dynamic response, with its slopes per condition.
void WriteDecomposition(HtmlWriter& html, const Analysis& analysis, const ResponseResult& q) {
    if (q.dynamic.empty()) return;
    OpenTable(html, "Decomposition of each run: S_T = S_beta + S_NxBeta + S_e");
    Cells header = {"Run", "S_T", "S_beta", "S_NxBeta", "S_e", "V_e", "V_N"};
    for (size_t c = 0; c < q.dynamic[0].betaByNoise.size(); ++c)
        header.push_back("beta, " + NoiseConditionText(analysis.experiment, int(c)));
    header.push_back("linearity p");
    HeaderRow(html, header);
    for (size_t r = 0; r < q.dynamic.size(); ++r) {
        const DynamicRun& run = q.dynamic[r];
        Cells cells = {std::to_string(r + 1), Number(run.sT), Number(run.sBeta),
                       Number(run.sNBeta),    Number(run.sE), Number(run.veWithin),
                       Number(run.vN)};
        for (double beta : run.betaByNoise)
            cells.push_back(Number(beta));
        cells.push_back(PValue(run.linearityP));
        Row(html, cells);
    }
    CloseTable(html);
}

// The noise model: its ANOVA, then each damper in words, strongest first.
void WriteNoiseModel(HtmlWriter& html, const Analysis& analysis, int quality) {
    const ResponseResult& response = analysis.responses[quality];
    if (!response.noise && response.noiseRefused.empty()) return;
    html.Element("h3", "Noise model");
    if (!response.noise) {
        html.Element("p", "No noise model: " + response.noiseRefused + ".", {{"class", "note"}});
        return;
    }
    WriteAnova(html, response.noise->anova, "ANOVA of the observations with the noise factors");
    for (const std::string& text : DamperTexts(analysis, quality))
        html.Element("p", text);
    WriteRobustness(html, analysis, *response.noise);
}

// The SVG drawing named name among drawn, or draw() when it is not there.
std::string Svg(const std::vector<ChartFile>& drawn, const std::string& name,
                const std::function<std::string()>& draw) {
    for (const ChartFile& file : drawn)
        if (file.name == name) return file.bytes;
    return draw();
}

void Figure(HtmlWriter& html, const std::string& svg, const std::string& prefix,
            const std::string& caption) {
    html.Open("figure").Raw(InlineSvg(svg, prefix)).Raw("\n");
    html.Element("figcaption", caption).Close();
}

// The charts of a response whose files are named by names (+ ".svg"); id prefixes the
// identifiers inside each drawing.
void WriteCharts(HtmlWriter& html, const ResponseCharts& charts, const ChartNames& names,
                 const std::string& id, const std::vector<ChartFile>& drawn) {
    html.Element("h3", "Charts");
    Figure(html,
           Svg(drawn, names.mainEffects + ".svg",
               [&] { return DrawMainEffects(charts.mainEffects, ChartFormat::Svg); }),
           id + "-me-",
           "Main effects: mean of each statistic at each level; the filled marker is the best "
           "level, the dashed line the overall mean.");
    if (!charts.dispersion.series.empty())
        Figure(html,
               Svg(drawn, names.dispersion + ".svg",
                   [&] { return DrawMainEffects(charts.dispersion, ChartFormat::Svg); }),
               id + "-ds-",
               "Dispersion: the runs' ln s^2 at each level; the filled marker is the level of "
               "least spread.");
    for (size_t i = 0; i < charts.interactions.size(); ++i) {
        const InteractionPlot& plot = charts.interactions[i];
        Figure(html,
               Svg(drawn, names.interactions[i] + ".svg",
                   [&] { return DrawInteraction(plot, ChartFormat::Svg); }),
               id + "-ix" + std::to_string(i + 1) + "-",
               "Interaction of " + plot.first.name + " and " + plot.second.name +
                   ": each statistic at the levels of " + plot.first.name +
                   ", one line per level of " + plot.second.name + ".");
    }
    if (!charts.signal.runs.empty())
        Figure(html,
               Svg(drawn, names.signal + ".svg",
                   [&] { return DrawSignalResponse(charts.signal, ChartFormat::Svg); }),
               id + "-sg-",
               "Each run's mean against " + charts.signal.signal.name +
                   " under each noise condition, with its fitted line: straight, steep lines "
                   "that stay together are robust.");
    for (size_t i = 0; i < charts.noise.size(); ++i) {
        const InteractionPlot& plot = charts.noise[i];
        Figure(html,
               Svg(drawn, names.noise[i] + ".svg",
                   [&] { return DrawInteraction(plot, ChartFormat::Svg); }),
               id + "-nx" + std::to_string(i + 1) + "-",
               charts.signal.runs.empty()
                   ? "Damper " + plot.first.name +
                         ": the mean at its levels, one line per level of " + plot.second.name +
                         "; where the lines come together the noise moves the response least."
                   : std::string("Each run's slope under each noise condition: where the lines "
                                 "come together the noise moves the slope least."));
    }
    Figure(html,
           Svg(drawn, names.pareto + ".svg",
               [&] { return DrawPareto(charts.pareto, ChartFormat::Svg); }),
           id + "-pa-", "Contributions of the ANOVA terms (pure sums of squares).");
    if (!charts.halfNormal.effects.empty())
        Figure(html,
               Svg(drawn, names.halfNormal + ".svg",
                   [&] { return DrawHalfNormal(charts.halfNormal, ChartFormat::Svg); }),
               id + "-hn-", "Half-normal plot of the effects.");
}

void WriteResponse(HtmlWriter& html, const Analysis& analysis, int index,
                   const ResponseCharts& charts, const ChartNames& names, const std::string& id,
                   const std::vector<ChartFile>& drawn) {
    const ResponseResult& response = analysis.responses[index];
    const ResponseResult& q = response;
    html.Open("section", {{"id", id}}).Element("h2", "Response: " + q.name);
    for (const LevelTable* table : {&response.sn, &response.mean, &response.sd})
        WriteResponseTable(html, analysis.experiment, *table);
    if (response.logVariance)
        WriteResponseTable(html, analysis.experiment, response.logVarianceTable);
    html.Element("h3", "Analysis of variance");
    html.Element("p", "Error: " + PoolingText(analysis, index) + ".");
    WriteAnova(html, q.snAnova, "ANOVA of the S/N ratios");
    if (q.setting.dynamic)
        WriteAnova(html, q.meanAnova, "ANOVA of the slope (beta)");
    else if (response.mostPerRun > 1)
        WriteAnova(html, q.meanAnova, "ANOVA of the observations");
    if (q.logVariance) WriteAnova(html, *q.logVariance, "ANOVA of ln s^2 (dispersion)");
    WriteDecomposition(html, analysis, q);
    WriteOptimum(html, analysis, q);
    for (const std::string& note : VerdictNotes(analysis, index))
        html.Element("p", note, {{"class", "note"}});
    WriteNoiseModel(html, analysis, index);
    WriteCharts(html, charts, names, id, drawn);
    html.Close();
}

std::string Given(double value) {
    return std::isfinite(value) ? Number(value, "%g") : "";
}

// The static responses (a dynamic one takes no part); their desirabilities but by grey grade.
void WriteCombinedResponses(HtmlWriter& html, const Analysis& analysis,
                            const CombinedResult& result) {
    const bool grey = result.method == CombineMethod::Grey;
    const std::string interval = Number(100.0 * (1.0 - analysis.model.alpha), "%g") + " % interval";
    OpenTable(html, "Each response at the combined levels: predicted mean with its " + interval +
                        (grey ? "" : ", and its desirability"));
    if (grey)
        HeaderRow(html, {"Response", "Target", "Importance", "Predicted [interval]"});
    else
        HeaderRow(html, {"Response", "Low", "High", "Target", "Weight", "Importance",
                         "Predicted [interval]", "d"});
    for (const CombinedResponse& r : result.responses) {
        if (r.dynamic) continue;
        if (grey)
            Row(html,
                {r.name, Given(r.target), Number(r.importance, "%g"), EstimateText(r.predicted)});
        else
            Row(html, {r.name, Given(r.low), Given(r.high), Given(r.target), Number(r.weight, "%g"),
                       Number(r.importance, "%g"), EstimateText(r.predicted), Number(r.d)});
    }
    CloseTable(html);
}

void WriteTradeoffs(HtmlWriter& html, const Analysis& analysis, const CombinedResult& result) {
    OpenTable(html,
              "Trade-offs: the level each response's optimum prefers (contribution to its S/N "
              "ratio) and the level chosen");
    Cells header{"Factor"};
    for (const CombinedResponse& r : result.responses) {
        if (!r.dynamic) header.push_back(r.name);
    }
    header.push_back("Chosen");
    HeaderRow(html, header);
    for (const Tradeoff& t : result.tradeoffs) {
        Cells cells{analysis.experiment.factors[t.factor].name};
        for (size_t r = 0; r < t.preferred.size(); ++r) {
            if (result.responses[r].dynamic) continue;
            cells.push_back(analysis.LevelText(t.factor, t.preferred[r]) + " (" +
                            (std::isfinite(t.contribution[r])
                                 ? Number(t.contribution[r], "%.1f") + " %"
                                 : std::string("pooled")) +
                            ")");
        }
        cells.push_back(analysis.LevelText(t.factor, t.chosen) + (t.conflict ? " (conflict)" : ""));
        Row(html, cells, t.conflict ? "conflict" : "", cells.size());
    }
    CloseTable(html);
}

void WriteCombined(HtmlWriter& html, const Analysis& analysis,
                   const std::vector<ChartFile>& drawn) {
    const CombinedResult& result = *analysis.combined;
    const bool grey = result.method == CombineMethod::Grey;
    html.Open("section", {{"id", "combined"}}).Element("h2", "Several responses");
    std::vector<std::string> levels;
    for (const FactorLevel& at : result.levels)
        levels.push_back(analysis.experiment.factors[at.factor].name + "=" +
                         analysis.LevelText(at.factor, at.level));
    html.Element("p", grey ? "Best levels of the grey relational grade: " + Join(levels, ", ") + "."
                           : "Levels of largest overall desirability: " + Join(levels, ", ") +
                                 "; overall desirability " + Number(result.desirability) + ".");
    if (AnyStatic(result)) {
        WriteCombinedResponses(html, analysis, result);
        WriteTradeoffs(html, analysis, result);
    }
    if (grey && !result.grey.grades.empty()) {
        WriteAnova(html, result.grey.anova, "ANOVA of the grey relational grade");
        const Prediction& p = result.grey.prediction;
        html.Element(
            "p", "Grades of the " +
                     std::string(result.grey.from == GreyFrom::Mean ? "run means" : "S/N ratios") +
                     "; predicted grade at the best levels: " + EstimateText(p) + ".");
    }
    for (const std::string& note : CombinedNotes(analysis))
        html.Element("p", note, {{"class", "note"}});
    Figure(html,
           Svg(drawn, CombinedChartName(analysis) + ".svg",
               [&] { return DrawMainEffects(CombinedChartOf(analysis), ChartFormat::Svg); }),
           "combined-",
           grey ? "Grey relational grade: its mean at each level; the filled marker is the "
                  "level chosen."
                : "Overall desirability with each factor at each level and the others at the "
                  "combined levels; the filled marker is the level chosen.");
    html.Close();
}

}  // namespace

std::string BuildHtmlReport(const Analysis& analysis, const std::vector<ResponseCharts>& charts,
                            const std::vector<ChartFile>& drawn) {
    // A response's section is named after its chart files: "charts/yield" -> "r-yield".
    const std::vector<std::string> stems = ChartStems(charts);
    const std::vector<ChartNames> names = ChartFileNames(charts);
    std::vector<std::string> ids;
    for (const std::string& stem : stems)
        ids.push_back("r-" + stem.substr(stem.find('/') + 1));
    const std::string source = std::filesystem::path(analysis.dataFile).filename().string();
    const std::string title = "Taguchi analysis" + (source.empty() ? "" : " of " + source);
    HtmlWriter html;
    html.Raw("<!DOCTYPE html>\n").Open("html", {{"lang", "en"}}).Open("head");
    html.Raw("<meta charset=\"utf-8\">\n");
    const bool interactive = PageIsInteractive(analysis);
    if (interactive)
        html.Raw("<meta http-equiv=\"Content-Security-Policy\" content=\"" +
                 EscapeHtml(PageSecurityPolicy()) + "\">\n");
    html.Element("title", title).Open("style").Raw(kStyle).Close().Close();
    html.Open("body").Element("h1", title);
    if (!source.empty()) html.Element("p", "Data: " + source);
    html.Open("nav").Element("a", "Experiment", {{"href", "#experiment"}});
    html.Element("a", "Runs", {{"href", "#runs"}});
    for (size_t r = 0; r < analysis.responses.size(); ++r)
        html.Element("a", analysis.responses[r].name, {{"href", "#" + ids[r]}});
    if (analysis.combined) html.Element("a", "Several responses", {{"href", "#combined"}});
    html.Close();
    if (interactive) WriteInteractive(html, analysis);
    WriteExperiment(html, analysis);
    WriteRuns(html, analysis);
    for (size_t r = 0; r < analysis.responses.size(); ++r)
        WriteResponse(html, analysis, static_cast<int>(r), charts[r], names[r], ids[r], drawn);
    if (analysis.combined) WriteCombined(html, analysis, drawn);
    html.Close().Close();
    return html.Finish();
}

std::vector<ChartFile> ChartAndPageFiles(const Analysis& analysis,
                                         const std::vector<ChartFormat>& formats, bool withHtml) {
    const std::vector<ResponseCharts> charts = ChartsOf(analysis);
    std::vector<ChartFile> files = DrawCharts(charts, formats);
    for (ChartFile& file : DrawCombinedChart(analysis, formats))
        files.push_back(std::move(file));
    if (withHtml) files.push_back({"report.html", BuildHtmlReport(analysis, charts, files)});
    return files;
}

}  // namespace qvrfc
