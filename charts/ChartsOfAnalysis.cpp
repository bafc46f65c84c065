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
    chart.series = {SeriesOf(response.sn, "S/N ratio (dB)"), SeriesOf(response.mean, "Mean")};
    if (response.mostPerRun > 1) chart.series.push_back(SeriesOf(response.sd, "Std. deviation"));
    return chart;
}

// The verdict's contributions; a term whose pure sum of squares is negative holds no share
// and is drawn as part of the error, with its (negative) share.
Pareto ParetoOf(const ResponseAnalysis& anova, const std::string& name) {
    Pareto chart;
    chart.response = name;
    chart.title = "Contributions to the S/N ratio";
    chart.errorContribution = anova.error.contribution;
    for (const AnovaTerm& term : anova.terms) {
        const bool below = !term.pooled && term.contribution < 0.0;
        chart.terms.push_back({term.name, term.contribution, term.pooled, below});
        if (below) chart.errorContribution += term.contribution;
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

}  // namespace

std::vector<ResponseCharts> ChartsOf(const Analysis& analysis) {
    std::vector<ResponseCharts> charts;
    for (const QualityVerdict& q : analysis.verdict.qualities) {
        const ResponseResult& response = analysis.responses[q.quality];
        const std::string& name = analysis.experiment.responses[q.quality].name;
        ResponseCharts chart;
        chart.response = name;
        chart.mainEffects = MainEffectsOf(analysis, response, name);
        chart.pareto = ParetoOf(q.sn, name);
        chart.halfNormal.response = name;
        chart.halfNormal.title = "Half-normal plot of the S/N effects";
        for (const auto& [label, value] : response.effects)
            chart.halfNormal.effects.push_back({label, value});
        chart.interactions = InteractionPlotsOf(analysis, response, name);
        chart.noise = NoisePlotsOf(analysis, response, name);
        charts.push_back(chart);
    }
    return charts;
}

}  // namespace qvrfc
