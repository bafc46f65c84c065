// The charts' input filled from an Analysis: its factor names, units and level values, its
// response tables, the verdict's ANOVA and its interaction tables. Nothing is computed here.
#pragma once

#include <string>
#include <vector>

#include "qvrfc/analysis/Analysis.h"
#include "qvrfc/charts/ChartData.h"
#include "qvrfc/charts/ChartRender.h"
#include "qvrfc/common/QVRFCExport.h"

namespace qvrfc {

// Every chart of every response, in response order.
QVRFC_API std::vector<ResponseCharts> ChartsOf(const Analysis& analysis);

// The chart of several responses combined, drawn as main effects of one series: the overall
// desirability at each level of each factor (the others at the combined levels), or the grey
// relational grade's level means; empty without a combined result.
QVRFC_API MainEffects CombinedChartOf(const Analysis& analysis);
// "charts/combined-desirability" or "charts/combined-grade", without the format's extension.
QVRFC_API std::string CombinedChartName(const Analysis& analysis);
// Its file in each format; none without a combined result.
QVRFC_API std::vector<ChartFile> DrawCombinedChart(const Analysis& analysis,
                                                   const std::vector<ChartFormat>& formats);

}  // namespace qvrfc
