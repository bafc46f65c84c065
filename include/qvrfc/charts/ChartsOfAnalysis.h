// The charts' input filled from an Analysis: its factor names, units and level values, its
// response tables, the verdict's ANOVA and its interaction tables. Nothing is computed here.
#pragma once

#include <vector>

#include "qvrfc/analysis/Analysis.h"
#include "qvrfc/charts/ChartData.h"
#include "qvrfc/common/QVRFCExport.h"

namespace qvrfc {

// Every chart of every response, in response order.
QVRFC_API std::vector<ResponseCharts> ChartsOf(const Analysis& analysis);

}  // namespace qvrfc
