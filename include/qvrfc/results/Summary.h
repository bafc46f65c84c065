// The terminal summary of an analysis: the experiment, then for every response its S/N kind,
// grand averages and the response tables of S/N ratio, mean and standard deviation with the
// level each aim prefers. The verdict (ANOVA, optimum, notes) follows it on the terminal.
// Its length depends on the numbers of factors, levels and responses only, never on the
// number of observations, unless the run table is asked for.
#pragma once

#include <string>

#include "qvrfc/analysis/Analysis.h"
#include "qvrfc/common/QVRFCExport.h"

namespace qvrfc {

// With runTable, the run table with every observation comes first.
QVRFC_API std::string SummaryText(const Analysis& analysis, bool runTable = false);

}  // namespace qvrfc
