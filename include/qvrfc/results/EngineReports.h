// The engine's own reports of an analysis: its complete plain and comma-separated reports, as
// the engine writes them (its conventions: its ANOVA, its pooled factors).
#pragma once

#include <string>
#include <vector>

#include "qvrfc/analysis/Analysis.h"
#include "qvrfc/common/QVRFCExport.h"
#include "qvrfc/common/QVRFCFileSet.h"

namespace qvrfc {

// Writes each report (".csv" names the comma-separated one) into its file staged in `files`,
// the reports side by side on threads of their own; each names itself by its file name.
// qvrfc::Error naming the first that cannot be written and why.
QVRFC_API void StageEngineReports(const Analysis& analysis, FileSet& files,
                                  const std::vector<std::string>& paths);

}  // namespace qvrfc
