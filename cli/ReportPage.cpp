#include "ReportPage.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <stdexcept>

#include "CliError.h"
#include "VerdictOutput.h"
#include "results/ReportFromAnalyzer.h"

namespace qvrfcdoe {
namespace {

using qvrfc::ReportData;

std::optional<double> Figure(double value) {
    return std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

std::string NoteOf(const qvrfc::AnovaError& error) {
    if (error.lenth)
        return "No degree of freedom is left for the error: its variance is Lenth's pseudo "
               "standard error squared. Contributions are shares of pure sums of squares.";
    if (error.dof > 0)
        return "The error holds the pooled terms, the columns without a term and the variation "
               "within runs. Contributions are shares of pure sums of squares.";
    return "No degree of freedom is left for the error, so F is not available (*); pool the "
           "weakest factors to test the others.";
}

// A term's name on the page: the factor's name for a main effect, "A*B" names joined.
std::string TermName(const qvrfc::ModelTerm& term, const ReportData& data) {
    std::string name;
    for (int f : term.factors) {
        if (f < 0 || f >= static_cast<int>(data.experiment.factors.size())) return term.name;
        name += (name.empty() ? "" : "*") + data.experiment.factors[f].name;
    }
    return name.empty() ? term.name : name;
}

qvrfc::AnovaTable AnovaOf(const qvrfc::ResponseAnalysis& analysis, const qvrfc::Verdict& verdict,
                          const ReportData& data, const std::string& title) {
    qvrfc::AnovaTable table;
    table.title = title;
    for (size_t t = 0; t < analysis.terms.size(); ++t) {
        const qvrfc::AnovaTerm& term = analysis.terms[t];
        qvrfc::AnovaRow row;
        row.name = t < verdict.terms.size() ? TermName(verdict.terms[t], data) : term.name;
        row.ss = term.ss;
        row.dof = term.dof;
        row.ms = Figure(term.ms);
        row.f = Figure(term.f);
        row.p = Figure(term.p);
        row.contribution = Figure(term.contribution);
        row.pooled = term.pooled;
        table.terms.push_back(row);
    }
    table.error.name = "Error";
    table.error.ss = analysis.error.ss;
    table.error.dof = static_cast<int>(std::lround(analysis.error.dof));
    table.error.ms = Figure(analysis.error.ms);
    table.error.contribution = Figure(analysis.error.contribution);
    table.totalSS = analysis.total.ss;
    table.totalDof = analysis.total.dof;
    table.note = NoteOf(analysis.error);
    return table;
}

qvrfc::Pareto ParetoOf(const qvrfc::AnovaTable& anova, qvrfc::Pareto pareto) {
    pareto.terms.clear();
    for (const qvrfc::AnovaRow& row : anova.terms)
        pareto.terms.push_back({row.name, row.contribution.value_or(0.0), row.pooled});
    pareto.errorContribution = anova.error.contribution.value_or(0.0);
    return pareto;
}

qvrfc::Estimate EstimateOf(const qvrfc::Prediction& prediction) {
    qvrfc::Estimate estimate{prediction.value, {}, {}};
    if (std::isfinite(prediction.halfWidth)) {
        estimate.low = prediction.low;
        estimate.high = prediction.high;
    }
    return estimate;
}

std::string FactorOnPage(const ReportData& data, int factor) {
    return factor < static_cast<int>(data.experiment.factors.size())
               ? data.experiment.factors[factor].name
               : "factor " + std::to_string(factor + 1);
}

std::string LevelOnPage(const ReportData& data, int factor, int level) {
    if (factor < static_cast<int>(data.experiment.factors.size())) {
        const std::vector<std::string>& levels = data.experiment.factors[factor].levels;
        if (level >= 0 && level < static_cast<int>(levels.size())) return levels[level];
    }
    return std::to_string(level + 1);
}

qvrfc::OptimumReport OptimumOf(const qvrfc::QualityVerdict& quality, const qvrfc::Verdict& verdict,
                               const ReportData& data) {
    const qvrfc::Optimum& optimum = quality.optimum;
    qvrfc::OptimumReport report;
    for (const qvrfc::FactorLevel& at : optimum.levels)
        report.levels.push_back(
            {FactorOnPage(data, at.factor), LevelOnPage(data, at.factor, at.level)});
    for (int f : optimum.factorsUsed)
        report.factorsUsed.push_back(FactorOnPage(data, f));
    for (int t : optimum.interactionsUsed)
        report.factorsUsed.push_back(TermName(verdict.terms[t], data));
    report.sn = EstimateOf(optimum.sn);
    report.mean = EstimateOf(optimum.mean);
    if (optimum.adjustmentFactor >= 0)
        report.adjustmentFactor = FactorOnPage(data, optimum.adjustmentFactor);
    report.confidence = 1.0 - verdict.alpha;
    report.note =
        "Predicted from the significant terms: the overall mean plus their effects "
        "at the chosen levels.";
    if (!optimum.sn.warning.empty())
        report.note += " The predicted S/N ratio is " + optimum.sn.warning + ".";
    if (!optimum.mean.warning.empty())
        report.note += " The predicted mean is " + optimum.mean.warning + ".";
    return report;
}

qvrfc::ChartFactor ChartFactorOf(const ReportData& data, int factor) {
    if (factor >= 0 && factor < static_cast<int>(data.experiment.factors.size())) {
        const qvrfc::ReportFactor& named = data.experiment.factors[factor];
        return {named.name, named.unit, named.levels};
    }
    return {"factor " + std::to_string(factor + 1), "", {}};
}

// The interaction plots of a quality: its tables' means and S/N ratios at each pair of levels.
std::vector<qvrfc::InteractionPlot> InteractionPlotsOf(const qvrfc::Verdict& verdict, int quality,
                                                       const ReportData& data,
                                                       const std::string& response) {
    std::vector<qvrfc::InteractionPlot> plots;
    for (const qvrfc::InteractionTable& table : qvrfc::InteractionTables(verdict, quality)) {
        qvrfc::InteractionPlot plot;
        plot.response = response;
        plot.first = ChartFactorOf(data, table.first);
        plot.second = ChartFactorOf(data, table.second);
        // Level labels for the cells held where the experiment names none.
        for (size_t l = plot.first.levelLabels.size(); l < table.mean.size(); ++l)
            plot.first.levelLabels.push_back(std::to_string(l + 1));
        for (size_t l = plot.second.levelLabels.size();
             !table.mean.empty() && l < table.mean.front().size(); ++l)
            plot.second.levelLabels.push_back(std::to_string(l + 1));
        plot.panels = {{"Mean", table.mean}, {"S/N ratio (dB)", table.sn}};
        plots.push_back(plot);
    }
    return plots;
}

}  // namespace

void ApplyVerdict(const qvrfc::Verdict& verdict, ReportData& data) {
    for (const qvrfc::QualityVerdict& quality : verdict.qualities) {
        if (quality.quality < 0 || quality.quality >= static_cast<int>(data.responses.size()))
            continue;
        qvrfc::ResponseReport& response = data.responses[quality.quality];
        response.anovas.clear();
        response.anovas.push_back(AnovaOf(quality.sn, verdict, data, "ANOVA of the S/N ratios"));
        if (data.experiment.repetitions > 1)
            response.anovas.push_back(
                AnovaOf(quality.mean, verdict, data, "ANOVA of the observations"));
        response.charts.pareto = ParetoOf(response.anovas.front(), response.charts.pareto);
        response.optimum = OptimumOf(quality, verdict, data);
        response.charts.interactions =
            InteractionPlotsOf(verdict, quality.quality, data, response.charts.response);
    }
}

void WriteReportPage(const CQVRFCDOEAnalyzer& analyzer, const AnalyzeRequest& request,
                     const VerdictOutput& verdict, const qvrfc::Experiment* experiment) {
    if (!request.reports) return;
    const std::string source = std::filesystem::path(request.dataFile).filename().string();
    ReportData data = qvrfc::ReportFromAnalyzer(analyzer, source);
    if (experiment) ApplyExperiment(*experiment, data);
    if (verdict.verdict) ApplyVerdict(*verdict.verdict, data);
    try {
        qvrfc::WriteChartsAndPage(data, ".", request.chartFormats, request.html);
    } catch (const std::runtime_error& error) {
        throw InputError(error.what());
    }
}

}  // namespace qvrfcdoe
