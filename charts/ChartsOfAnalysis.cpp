#include "qvrfc/charts/ChartsOfAnalysis.h"

namespace qvrfc {
namespace {

ChartFactor ChartFactorOf(const Factor& factor) {
    return {factor.name, factor.unit, factor.levels};
}

EffectSeries SeriesOf(const LevelTable& table, const char* title) {
    EffectSeries series;
    series.title = title;
    series.overall = table.overall;
    for (const LevelTable::Row& row : table.rows) {
        series.means.push_back(row.levels);
        series.best.push_back(row.best);
    }
    return series;
}

MainEffects MainEffectsOf(const Analysis& analysis, const ResponseResult& response,
                          const std::string& name) {
    MainEffects chart;
    chart.response = name;
    for (const Factor& factor : analysis.experiment.factors)
        chart.factors.push_back(ChartFactorOf(factor));
    chart.series = {SeriesOf(response.sn, "S/N ratio (dB)"),
                    SeriesOf(response.mean, StatisticTitle(response.mean.statistic))};
    if (!response.dynamic.empty())
        chart.series.push_back(SeriesOf(response.sd, StatisticTitle(response.sd.statistic)));
    else if (response.mostPerRun > 1)
        chart.series.push_back(SeriesOf(response.sd, "Std. deviation"));
    return chart;
}

// The ANOVA table's contribution column, the error's included, figure for figure; a term whose
// pure sum of squares is negative (F below 1) keeps its negative share, marked.
Pareto ParetoOf(const ResponseAnalysis& anova, const std::string& name) {
    Pareto chart;
    chart.response = name;
    chart.title = "Contributions to the S/N ratio";
    chart.errorContribution = anova.table.Error().contribution;
    for (size_t t = 0; t < anova.table.TermCount(); ++t) {
        const AnovaRow& term = anova.table.Term(t);
        const bool below = !term.Pooled() && term.contribution < 0.0;
        chart.terms.push_back({term.name, term.contribution, term.Pooled(), below});
    }
    return chart;
}

std::vector<InteractionPlot> InteractionPlotsOf(const Analysis& analysis,
                                                const ResponseResult& response,
                                                const std::string& name) {
    std::vector<InteractionPlot> plots;
    for (const InteractionTable& table : response.interactions) {
        InteractionPlot plot;
        plot.response = name;
        plot.first = ChartFactorOf(analysis.experiment.factors[table.first]);
        plot.second = ChartFactorOf(analysis.experiment.factors[table.second]);
        plot.panels = {{"Mean", table.mean}, {"S/N ratio (dB)", table.sn}};
        plots.push_back(plot);
    }
    return plots;
}

// The dampers' tables, strongest first.
std::vector<InteractionPlot> NoisePlotsOf(const Analysis& analysis, const ResponseResult& response,
                                          const std::string& name) {
    std::vector<InteractionPlot> plots;
    if (!response.noise) return plots;
    for (const Damper& damper : response.noise->dampers) {
        const NoiseFactor& noise = analysis.experiment.noise[damper.noise];
        InteractionPlot plot;
        plot.response = name;
        plot.first = ChartFactorOf(analysis.experiment.factors[damper.control]);
        plot.second = {noise.name, "", noise.levels};
        for (const NoiseTable& table : response.noise->tables) {
            if (table.term == damper.term) plot.panels = {{"Mean", table.mean}};
        }
        plots.push_back(plot);
    }
    return plots;
}

// A dynamic response's slope under each noise condition, run by run, one line a condition.
std::vector<InteractionPlot> SlopePlotsOf(const Analysis& analysis, const ResponseResult& response,
                                          const std::string& name) {
    const size_t conditions = response.dynamic.empty() ? 0 : response.dynamic[0].betaByNoise.size();
    if (conditions < 2) return {};
    InteractionPlot plot;
    plot.response = name;
    plot.first.name = "Run";
    plot.second.name = "Noise";
    for (size_t c = 0; c < conditions; ++c)
        plot.second.levelLabels.push_back(NoiseConditionText(analysis.experiment, int(c)));
    InteractionPanel panel{"Slope (beta)", {}};
    for (size_t r = 0; r < response.dynamic.size(); ++r) {
        plot.first.levelLabels.push_back(std::to_string(r + 1));
        panel.cells.push_back(response.dynamic[r].betaByNoise);
    }
    plot.panels = {panel};
    return {plot};
}

SignalResponse SignalResponseOf(const Analysis& analysis, const ResponseResult& response,
                                const std::string& name) {
    SignalResponse chart;
    const Experiment& experiment = analysis.experiment;
    if (response.dynamic.empty() || !experiment.signal) return chart;
    chart.response = name;
    chart.signal = ChartFactorOf(*experiment.signal);
    for (size_t l = 0; l < experiment.signal->levels.size(); ++l)
        chart.signalValues.push_back(experiment.signal->LevelValue(int(l)));
    const size_t conditions = NoiseConditions(experiment).size();
    for (size_t c = 0; c < conditions; ++c)
        chart.conditions.push_back(NoiseConditionText(experiment, int(c)));
    for (size_t r = 0; r < response.signalMeans.size(); ++r)
        chart.runs.push_back(
            {response.signalMeans[r], response.intercepts[r], response.dynamic[r].beta});
    return chart;
}

}  // namespace

std::vector<ResponseCharts> ChartsOf(const Analysis& analysis) {
    std::vector<ResponseCharts> charts;
    for (size_t r = 0; r < analysis.responses.size(); ++r) {
        const ResponseResult& response = analysis.responses[r];
        const std::string& name = analysis.experiment.responses[r].name;
        ResponseCharts chart;
        chart.response = name;
        chart.mainEffects = MainEffectsOf(analysis, response, name);
        if (response.logVariance) {
            chart.dispersion = chart.mainEffects;
            chart.dispersion.series = {SeriesOf(response.logVarianceTable, "ln s^2")};
        }
        chart.pareto = ParetoOf(response.snAnova, name);
        chart.halfNormal.response = name;
        chart.halfNormal.title = "Half-normal plot of the S/N effects";
        for (const auto& [label, value] : response.effects)
            chart.halfNormal.effects.push_back({label, value});
        chart.interactions = InteractionPlotsOf(analysis, response, name);
        chart.noise = response.dynamic.empty() ? NoisePlotsOf(analysis, response, name)
                                               : SlopePlotsOf(analysis, response, name);
        chart.signal = SignalResponseOf(analysis, response, name);
        charts.push_back(chart);
    }
    return charts;
}

}  // namespace qvrfc
