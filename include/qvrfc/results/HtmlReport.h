// The report page: one self-contained HTML document (styles and drawings inline, no scripts)
// with the experiment, the runs, the response tables, the verdict's ANOVA, the optimum with
// its intervals and the charts, all rendered from an Analysis. A figure that does not exist
// (an F without error degrees of freedom) is shown as "*".
#pragma once

#include <string>
#include <vector>

#include "qvrfc/analysis/Analysis.h"
#include "qvrfc/charts/ChartData.h"
#include "qvrfc/charts/ChartRender.h"
#include "qvrfc/common/QVRFCExport.h"

namespace qvrfc {

// The complete page; charts (ChartsOf the analysis) are drawn as inline SVG. SVG files among
// `drawn` (named as DrawCharts names them) are used instead of drawing those charts again.
QVRFC_API std::string BuildHtmlReport(const Analysis& analysis,
                                      const std::vector<ResponseCharts>& charts,
                                      const std::vector<ChartFile>& drawn = {});

// The chart files of every response in the formats and, with withHtml, "report.html".
QVRFC_API std::vector<ChartFile> ChartAndPageFiles(const Analysis& analysis,
                                                   const std::vector<ChartFormat>& formats,
                                                   bool withHtml);

}  // namespace qvrfc
