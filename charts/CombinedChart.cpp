// The chart of several responses combined: for each factor, the overall desirability with the
// factor at each level and the others at the combined levels, or the grey relational grade's
// mean at each level; the chosen level is the marked one.
#include "qvrfc/charts/ChartsOfAnalysis.h"

namespace qvrfc {

MainEffects CombinedChartOf(const Analysis& analysis) {
    MainEffects chart;
    if (!analysis.combined) return chart;
    const CombinedResult& result = *analysis.combined;
    const bool grey = result.method == CombineMethod::Grey;
    chart.response = "Several responses";
    EffectSeries series;
    series.title = grey ? "Grey relational grade" : "Overall desirability";
    series.overall = grey ? result.grey.overall : result.desirability;
    for (size_t i = 0; i < result.levels.size(); ++i) {
        const Factor& factor = analysis.experiment.factors[result.levels[i].factor];
        chart.factors.push_back({factor.name, factor.unit, factor.levels});
        series.means.push_back(result.profile[i]);
        series.best.push_back(result.levels[i].level);
    }
    chart.series.push_back(series);
    return chart;
}

std::string CombinedChartName(const Analysis& analysis) {
    const bool grey = analysis.combined && analysis.combined->method == CombineMethod::Grey;
    return std::string(kChartFolder) + (grey ? "/combined-grade" : "/combined-desirability");
}

std::vector<ChartFile> DrawCombinedChart(const Analysis& analysis,
                                         const std::vector<ChartFormat>& formats) {
    std::vector<ChartFile> files;
    if (!analysis.combined) return files;
    const MainEffects chart = CombinedChartOf(analysis);
    for (ChartFormat format : formats)
        files.push_back({CombinedChartName(analysis) + "." + ChartFormatName(format),
                         DrawMainEffects(chart, format)});
    return files;
}

}  // namespace qvrfc
