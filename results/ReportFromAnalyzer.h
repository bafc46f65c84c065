// The report page's figures filled from the engine's analysis (CQVRFCDOEAnalyzer): what the
// engine knows today. p-values and intervals are left empty; a fuller analysis fills them.
#pragma once

#include <string>
#include <vector>

#include "analyzer/QVRFCDOEAnalyzer.h"
#include "common/QVRFCExport.h"
#include "results/HtmlReport.h"

namespace qvrfc {

// source names the data file on the page.
QVRFC_API ReportData ReportFromAnalyzer(const CQVRFCDOEAnalyzer& analyzer,
                                        const std::string& source);

// The charts (in formats) and, with withHtml, report.html of the analysis, written into
// folder: every file or none. Returns the paths written.
QVRFC_API std::vector<std::string> WriteChartsAndPage(const CQVRFCDOEAnalyzer& analyzer,
                                                      const std::string& source,
                                                      const std::string& folder,
                                                      const std::vector<ChartFormat>& formats,
                                                      bool withHtml);

}  // namespace qvrfc
