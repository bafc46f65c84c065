// The report page, written with HtmlWriter so that every name from the experiment is escaped.
#include "results/HtmlReport.h"

#include <cmath>
#include <cstdio>
#include <functional>

#include "results/HtmlWriter.h"

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

std::string Number(const std::optional<double>& value, const char* format = "%.4f") {
    return value ? Number(*value, format) : kMissing;
}

std::string PValue(const std::optional<double>& p) {
    if (p && std::isfinite(*p) && *p < 0.0001) return "< 0.0001";
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

void WriteExperiment(HtmlWriter& html, const ReportExperiment& experiment) {
    html.Open("section", {{"id", "experiment"}}).Element("h2", "Experiment");
    html.Element("p", "Array: " + experiment.array + "; " + std::to_string(experiment.runs) +
                          " runs; up to " + std::to_string(experiment.repetitions) +
                          " observations a run.");
    OpenTable(html, "Control factors");
    HeaderRow(html, {"Factor", "Unit", "Column", "Levels"});
    for (const ReportFactor& factor : experiment.factors)
        Row(html,
            {factor.name, factor.unit, std::to_string(factor.column), Join(factor.levels, ", ")},
            "", 4);
    CloseTable(html);
    OpenTable(html, "Responses");
    HeaderRow(html, {"Response", "Unit", "S/N ratio", "Target"});
    for (const ReportResponse& response : experiment.responses)
        Row(html,
            {response.name, response.unit, response.sn,
             response.target ? Number(*response.target, "%g") : ""},
            "", 4);
    CloseTable(html);
    html.Close();
}

// The level label of factor f at level (from 1), or the number when there is no label.
std::string LevelText(const ReportExperiment& experiment, size_t f, int level) {
    if (f < experiment.factors.size() && level >= 1 &&
        static_cast<size_t>(level) <= experiment.factors[f].levels.size())
        return experiment.factors[f].levels[level - 1];
    return std::to_string(level);
}

void WriteRuns(HtmlWriter& html, const ReportData& data) {
    const ReportExperiment& experiment = data.experiment;
    html.Open("section", {{"id", "runs"}}).Element("h2", "Runs");
    OpenTable(html, "Factor levels and the figures of each run");
    html.Open("tr").Element("th", "", {{"colspan", std::to_string(experiment.factors.size() + 1)}});
    for (const ResponseReport& response : data.responses)
        html.Element("th", response.name, {{"colspan", "4"}});
    html.Close();
    Cells header{"Run"};
    for (const ReportFactor& factor : experiment.factors)
        header.push_back(factor.name);
    for (size_t r = 0; r < data.responses.size(); ++r)
        header.insert(header.end(), {"n", "Mean", "Std. dev.", "S/N (dB)"});
    HeaderRow(html, header);
    for (int run = 0; run < experiment.runs; ++run) {
        Cells cells{std::to_string(run + 1)};
        for (size_t f = 0; f < experiment.factors.size(); ++f) {
            const auto& levels = static_cast<size_t>(run) < experiment.levels.size()
                                     ? experiment.levels[run]
                                     : std::vector<int>{};
            cells.push_back(f < levels.size() ? LevelText(experiment, f, levels[f]) : kMissing);
        }
        for (const ResponseReport& response : data.responses) {
            if (static_cast<size_t>(run) >= response.runs.size()) {
                cells.insert(cells.end(), 4, kMissing);
                continue;
            }
            const RunFigures& figures = response.runs[run];
            cells.insert(cells.end(), {std::to_string(figures.n), Number(figures.mean),
                                       Number(figures.sd), Number(figures.sn)});
        }
        Row(html, cells, "", experiment.factors.size() + 1);
    }
    CloseTable(html);
    html.Close();
}

void WriteResponseTable(HtmlWriter& html, const ResponseTable& table) {
    size_t levels = 0;
    for (const ResponseTable::Row& row : table.rows)
        levels = std::max(levels, row.levels.size());
    OpenTable(html, "Response table: " + table.title);
    Cells header{"Factor"};
    for (size_t l = 1; l <= levels; ++l)
        header.push_back("Level " + std::to_string(l));
    header.insert(header.end(), {"Delta", "Rank"});
    HeaderRow(html, header);
    for (const ResponseTable::Row& row : table.rows) {
        html.Open("tr").Element("td", row.factor);
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
    return {row.pooled ? row.name + " (pooled)" : row.name,
            Number(row.ss),
            std::to_string(row.dof),
            Number(row.ms),
            Number(row.f),
            PValue(row.p),
            Number(row.contribution, "%.2f")};
}

void WriteAnova(HtmlWriter& html, const AnovaTable& table) {
    OpenTable(html, table.title);
    HeaderRow(html, {"Source", "SS", "DoF", "MS", "F", "p", "Contribution %"});
    for (const AnovaRow& row : table.terms)
        Row(html, AnovaCells(row), row.pooled ? "pooled" : "");
    Row(html, AnovaCells(table.error));
    Row(html,
        {"Total", Number(table.totalSS), std::to_string(table.totalDof), "", "", "", "100.00"},
        "sum");
    CloseTable(html);
    if (!table.note.empty()) html.Element("p", table.note, {{"class", "note"}});
}

std::string EstimateText(const std::optional<Estimate>& estimate) {
    if (!estimate) return kMissing;
    std::string text = Number(estimate->value);
    if (estimate->low && estimate->high)
        text += "  [" + Number(*estimate->low) + ", " + Number(*estimate->high) + "]";
    else
        text += "  (interval not computed)";
    return text;
}

void WriteOptimum(HtmlWriter& html, const OptimumReport& optimum) {
    html.Element("h3", "Optimum");
    OpenTable(html, "Chosen levels");
    HeaderRow(html, {"Factor", "Level"});
    for (const auto& [factor, level] : optimum.levels)
        Row(html, {factor, level}, "", 2);
    CloseTable(html);
    OpenTable(html, "Prediction at the chosen levels, with its " +
                        Number(100.0 * optimum.confidence, "%g") + " % interval");
    HeaderRow(html, {"Figure", "Predicted [interval]"});
    Row(html, {"S/N ratio (dB)", EstimateText(optimum.sn)});
    Row(html, {"Mean", EstimateText(optimum.mean)});
    if (optimum.confirmation) Row(html, {"Confirmation run", EstimateText(optimum.confirmation)});
    CloseTable(html);
    if (!optimum.factorsUsed.empty())
        html.Element("p", "Factors in the prediction: " + Join(optimum.factorsUsed, ", ") + ".");
    if (!optimum.adjustmentFactor.empty())
        html.Element("p", "Adjustment factor for the mean: " + optimum.adjustmentFactor + ".");
    if (!optimum.note.empty()) html.Element("p", optimum.note, {{"class", "note"}});
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

// The charts of a response whose files are named stem + "-main-effects.svg", ...; id prefixes
// the identifiers inside each drawing.
void WriteCharts(HtmlWriter& html, const ResponseCharts& charts, const std::string& stem,
                 const std::string& id, const std::vector<ChartFile>& drawn) {
    html.Element("h3", "Charts");
    Figure(html,
           Svg(drawn, stem + "-main-effects.svg",
               [&] { return DrawMainEffects(charts.mainEffects, ChartFormat::Svg); }),
           id + "-me-",
           "Main effects: mean of each statistic at each level; the filled marker is the best "
           "level, the dashed line the overall mean.");
    for (size_t i = 0; i < charts.interactions.size(); ++i) {
        const InteractionPlot& plot = charts.interactions[i];
        Figure(html,
               Svg(drawn, stem + "-" + InteractionChartName(plot) + ".svg",
                   [&] { return DrawInteraction(plot, ChartFormat::Svg); }),
               id + "-ix" + std::to_string(i + 1) + "-",
               "Interaction of " + plot.first.name + " and " + plot.second.name +
                   ": each statistic at the levels of " + plot.first.name +
                   ", one line per level of " + plot.second.name + ".");
    }
    Figure(html,
           Svg(drawn, stem + "-pareto.svg",
               [&] { return DrawPareto(charts.pareto, ChartFormat::Svg); }),
           id + "-pa-", "Contributions of the ANOVA terms (pure sums of squares).");
    if (!charts.halfNormal.effects.empty())
        Figure(html,
               Svg(drawn, stem + "-half-normal.svg",
                   [&] { return DrawHalfNormal(charts.halfNormal, ChartFormat::Svg); }),
               id + "-hn-", "Half-normal plot of the effects.");
}

void WriteResponse(HtmlWriter& html, const ResponseReport& response, const std::string& stem,
                   const std::string& id, const std::vector<ChartFile>& drawn) {
    html.Open("section", {{"id", id}}).Element("h2", "Response: " + response.name);
    for (const ResponseTable& table : response.tables)
        WriteResponseTable(html, table);
    html.Element("h3", "Analysis of variance");
    for (const AnovaTable& table : response.anovas)
        WriteAnova(html, table);
    if (response.optimum) WriteOptimum(html, *response.optimum);
    WriteCharts(html, response.charts, stem, id, drawn);
    html.Close();
}

std::vector<ResponseCharts> ChartsOf(const ReportData& data) {
    std::vector<ResponseCharts> charts;
    for (const ResponseReport& response : data.responses)
        charts.push_back(response.charts);
    return charts;
}

}  // namespace

std::string BuildHtmlReport(const ReportData& data, const std::vector<ChartFile>& drawn) {
    // A response's section is named after its chart files: "charts/yield" -> "r-yield".
    const std::vector<std::string> stems = ChartStems(ChartsOf(data));
    std::vector<std::string> ids;
    for (const std::string& stem : stems)
        ids.push_back("r-" + stem.substr(stem.find('/') + 1));
    HtmlWriter html;
    html.Raw("<!DOCTYPE html>\n").Open("html", {{"lang", "en"}}).Open("head");
    html.Raw("<meta charset=\"utf-8\">\n");
    html.Element("title", data.title).Open("style").Raw(kStyle).Close().Close();
    html.Open("body").Element("h1", data.title);
    if (!data.experiment.source.empty()) html.Element("p", "Data: " + data.experiment.source);
    html.Open("nav").Element("a", "Experiment", {{"href", "#experiment"}});
    html.Element("a", "Runs", {{"href", "#runs"}});
    for (size_t r = 0; r < data.responses.size(); ++r)
        html.Element("a", data.responses[r].name, {{"href", "#" + ids[r]}});
    html.Close();
    WriteExperiment(html, data.experiment);
    WriteRuns(html, data);
    for (size_t r = 0; r < data.responses.size(); ++r)
        WriteResponse(html, data.responses[r], stems[r], ids[r], drawn);
    html.Close().Close();
    return html.Finish();
}

std::vector<std::string> WriteChartsAndPage(const ReportData& data, const std::string& folder,
                                            const std::vector<ChartFormat>& formats,
                                            bool withHtml) {
    std::vector<ChartFile> files = DrawCharts(ChartsOf(data), formats);
    if (withHtml) files.push_back({"report.html", BuildHtmlReport(data, files)});
    return WriteFilesWhole(folder, files);
}

}  // namespace qvrfc
