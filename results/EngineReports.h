// The engine's own reports of an analysis: its complete plain and comma-separated reports, as
// the engine writes them (its conventions: its ANOVA, its pooled factors).
#pragma once

#include <string>
#include <vector>

#include "analysis/Analysis.h"
#include "common/QVRFCExport.h"

namespace qvrfc {

// Writes each report (".csv" names the comma-separated one) whole, the reports side by side
// on threads of their own; qvrfc::Error naming the first that cannot be written and why.
QVRFC_API void WriteEngineReports(const Analysis& analysis, const std::vector<std::string>& paths);

}  // namespace qvrfc
