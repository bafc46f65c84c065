#include "results/ReportFromAnalyzer.h"

#include <algorithm>
#include <cmath>

#include "charts/ChartsFromAnalyzer.h"

namespace qvrfc {
namespace {

using Analyzer = CQVRFCDOEAnalyzer;

ReportExperiment ExperimentOf(const Analyzer& analyzer, const std::string& source) {
    ReportExperiment experiment;
    experiment.source = source;
    experiment.array = analyzer.GetDOEArrayName().GetString();
    experiment.runs = analyzer.GetNoRun();
    for (int f = 0; f < analyzer.GetNoFactor(); ++f) {
        ReportFactor factor;
        factor.name = FactorLabel(analyzer, f);
        factor.column = analyzer.GetControlFactorID(f) + 1;
        for (int l = 1; l <= LevelCount(analyzer, f); ++l)
            factor.levels.push_back(std::to_string(l));
        experiment.factors.push_back(factor);
    }
    for (int q = 0; q < analyzer.GetNoQuality(); ++q) {
        ReportResponse response;
        response.name = ResponseLabel(analyzer, q);
        response.sn = analyzer.GetSNRatioType(q).GetString();
        if (analyzer.GetQualityCharacteristic(q) == Analyzer::NOMINAL_THE_BEST_1)
            response.target = analyzer.GetQualityTarget(q);
        experiment.responses.push_back(response);
        for (int run = 0; run < analyzer.GetNoRun(); ++run)
            experiment.repetitions =
                std::max(experiment.repetitions, analyzer.GetRunNoQualityData(q, run));
    }
    for (int run = 0; run < analyzer.GetNoRun(); ++run) {
        std::vector<int> levels;
        for (int f = 0; f < analyzer.GetNoFactor(); ++f)
            levels.push_back(analyzer.GetLevel(run, f));
        experiment.levels.push_back(levels);
    }
    return experiment;
}

std::vector<RunFigures> RunsOf(const Analyzer& analyzer, int quality,
                               const std::vector<double>& sn) {
    std::vector<RunFigures> runs;
    for (int run = 0; run < analyzer.GetNoRun(); ++run) {
        RunFigures figures;
        figures.n = analyzer.GetRunNoQualityData(quality, run);
        figures.mean = analyzer.GetRunQualityValue(quality, run);
        if (figures.n > 1) figures.sd = analyzer.GetRunStandardDeviation(quality, run);
        figures.sn = sn[run];
        runs.push_back(figures);
    }
    return runs;
}

// Delta is the range of a factor's level means; rank 1 goes to the largest, ties share a rank.
ResponseTable TableOf(const EffectSeries& series, const std::vector<ChartFactor>& factors) {
    ResponseTable table;
    table.title = series.title;
    for (size_t f = 0; f < factors.size() && f < series.means.size(); ++f) {
        ResponseTable::Row row;
        row.factor = factors[f].name;
        row.levels = series.means[f];
        double low = INFINITY, high = -INFINITY;
        for (double v : row.levels) {
            if (!std::isfinite(v)) continue;
            low = std::min(low, v);
            high = std::max(high, v);
        }
        row.delta = high >= low ? high - low : NAN;
        row.best = f < series.best.size() ? series.best[f] : -1;
        table.rows.push_back(row);
    }
    for (ResponseTable::Row& row : table.rows) {
        row.rank = 1;
        for (const ResponseTable::Row& other : table.rows)
            row.rank += other.delta > row.delta ? 1 : 0;
    }
    return table;
}

AnovaTable AnovaTableOf(const AnovaNumbers& anova, const std::string& title) {
    AnovaTable table;
    table.title = title;
    const double ve = anova.ErrorVariance();
    const bool testable = anova.errorDof > 0 && ve > 0.0;
    for (const ChartAnovaTerm& term : anova.terms) {
        AnovaRow row;
        row.name = term.name;
        row.ss = term.ss;
        row.dof = term.dof;
        row.pooled = term.pooled;
        if (term.dof > 0) row.ms = term.ss / term.dof;
        if (testable && !term.pooled && row.ms) row.f = *row.ms / ve;
        row.contribution = term.contribution;
        table.terms.push_back(row);
    }
    table.error.name = "Error";
    table.error.ss = anova.errorSS;
    table.error.dof = anova.errorDof;
    if (anova.errorDof > 0) table.error.ms = ve;
    table.error.contribution = anova.errorContribution;
    table.totalSS = anova.totalSS;
    table.totalDof = anova.totalDof;
    table.note = anova.errorDof > 0
                     ? "The error holds the pooled factors, the columns without a factor and the "
                       "variation within runs. Contributions are shares of pure sums of squares."
                     : "No degree of freedom is left for the error, so F is not available (*); "
                       "pool the weakest factors to test the others.";
    return table;
}

// Every factor at its best S/N level; the additive model predicts the S/N ratio and the mean.
OptimumReport OptimumOf(const MainEffects& effects) {
    OptimumReport optimum;
    const EffectSeries& sn = effects.series[0];
    const EffectSeries& mean = effects.series[1];
    Estimate snEstimate{sn.overall, {}, {}};
    Estimate meanEstimate{mean.overall, {}, {}};
    for (size_t f = 0; f < effects.factors.size(); ++f) {
        const int best = sn.best[f];
        if (best < 0) continue;
        optimum.levels.push_back({effects.factors[f].name, effects.factors[f].levelLabels[best]});
        optimum.factorsUsed.push_back(effects.factors[f].name);
        snEstimate.value += sn.means[f][best] - sn.overall;
        meanEstimate.value += mean.means[f][best] - mean.overall;
    }
    optimum.sn = snEstimate;
    optimum.mean = meanEstimate;
    optimum.note =
        "Predicted by the additive model: the overall mean plus each factor's effect "
        "at its chosen level.";
    return optimum;
}

ResponseReport ResponseOf(const Analyzer& analyzer, int quality) {
    ResponseReport response;
    response.name = ResponseLabel(analyzer, quality);
    // The S/N ratios are computed from the observations once, here.
    const std::vector<double> sn = RunSnRatios(analyzer, quality);
    const AnovaNumbers snAnova = AnovaOfSnRatios(analyzer, quality, sn);
    response.charts = ChartsFromAnova(analyzer, quality, snAnova);
    response.runs = RunsOf(analyzer, quality, sn);
    const MainEffects& effects = response.charts.mainEffects;
    for (const EffectSeries& series : effects.series)
        response.tables.push_back(TableOf(series, effects.factors));
    response.anovas.push_back(AnovaTableOf(snAnova, "ANOVA of the S/N ratios"));
    if (HasRepetitions(analyzer, quality))
        response.anovas.push_back(
            AnovaTableOf(AnovaFromAnalyzer(analyzer, quality, false), "ANOVA of the observations"));
    response.optimum = OptimumOf(effects);
    return response;
}

}  // namespace

ReportData ReportFromAnalyzer(const Analyzer& analyzer, const std::string& source) {
    ReportData data;
    data.title = "Taguchi analysis" + (source.empty() ? "" : " of " + source);
    data.experiment = ExperimentOf(analyzer, source);
    for (int q = 0; q < analyzer.GetNoQuality(); ++q)
        data.responses.push_back(ResponseOf(analyzer, q));
    return data;
}

std::vector<std::string> WriteChartsAndPage(const Analyzer& analyzer, const std::string& source,
                                            const std::string& folder,
                                            const std::vector<ChartFormat>& formats,
                                            bool withHtml) {
    return WriteChartsAndPage(ReportFromAnalyzer(analyzer, source), folder, formats, withHtml);
}

}  // namespace qvrfc
