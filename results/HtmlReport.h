// The report page: one self-contained HTML document (styles and drawings inline, no scripts)
// with the experiment, the runs, the response tables, the ANOVA, the optimum and the charts.
// The page is built from the plain figures below; any analysis can fill them. A figure that
// does not exist (an F without error degrees of freedom, an interval not computed) is left
// empty and shown as "*".
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "charts/ChartData.h"
#include "charts/ChartRender.h"
#include "common/QVRFCExport.h"

namespace qvrfc {

struct ReportFactor {
    std::string name;
    std::string unit;
    int column = 0;                   // array column, from 1
    std::vector<std::string> levels;  // the level values or labels, in level order
};

struct ReportResponse {
    std::string name;
    std::string unit;
    std::string sn;  // the S/N ratio kind, as the reader should see it
    std::optional<double> target;
};

struct ReportExperiment {
    std::string source;  // the file the observations came from
    std::string array;   // "L18 (2^1 x 3^7)"
    int runs = 0;
    int repetitions = 0;  // most observations in a run
    std::vector<ReportFactor> factors;
    std::vector<ReportResponse> responses;
    std::vector<std::vector<int>> levels;  // [run][factor] level from 1
};

// The figures of one run of one response.
struct RunFigures {
    int n = 0;
    double mean = 0.0;
    std::optional<double> sd;  // none with a single observation
    double sn = 0.0;
};

// A response table: the mean of a statistic at each level of each factor, Delta and Rank.
struct ResponseTable {
    struct Row {
        std::string factor;
        std::vector<double> levels;
        double delta = 0.0;
        int rank = 0;   // 1 for the largest Delta
        int best = -1;  // level from 0 shown as the best, -1 for none
    };
    std::string title;  // "S/N ratio (dB)", "Mean", ...
    std::vector<Row> rows;
};

struct AnovaRow {
    std::string name;
    double ss = 0.0;
    int dof = 0;
    std::optional<double> ms;
    std::optional<double> f;
    std::optional<double> p;
    std::optional<double> contribution;  // percent
    bool pooled = false;
};

struct AnovaTable {
    std::string title;  // "ANOVA of the S/N ratios"
    std::vector<AnovaRow> terms;
    AnovaRow error;
    double totalSS = 0.0;
    int totalDof = 0;
    std::string note;  // how the error was made, or why F is missing
};

struct Estimate {
    double value = 0.0;
    std::optional<double> low, high;  // the confidence interval, when computed
};

struct OptimumReport {
    std::vector<std::pair<std::string, std::string>> levels;  // factor, chosen level
    std::vector<std::string> factorsUsed;                     // in the prediction
    std::optional<Estimate> sn;
    std::optional<Estimate> mean;
    std::optional<Estimate> confirmation;  // interval for a confirmation run
    std::string adjustmentFactor;
    std::string note;
    double confidence = 0.95;  // of the intervals
};

struct ResponseReport {
    std::string name;
    std::vector<RunFigures> runs;
    std::vector<ResponseTable> tables;
    std::vector<AnovaTable> anovas;
    std::optional<OptimumReport> optimum;
    ResponseCharts charts;
};

struct ReportData {
    std::string title;
    ReportExperiment experiment;
    std::vector<ResponseReport> responses;
};

// The complete page; its charts are drawn as inline SVG. SVG files among `drawn` (named as
// DrawCharts names them) are used instead of drawing those charts again.
QVRFC_API std::string BuildHtmlReport(const ReportData& data,
                                      const std::vector<ChartFile>& drawn = {});

// Draws the charts of every response in the formats into <folder>/charts/ and, with withHtml,
// writes <folder>/report.html: every file or none (std::runtime_error naming the file that
// failed). Returns the paths written.
QVRFC_API std::vector<std::string> WriteChartsAndPage(const ReportData& data,
                                                      const std::string& folder,
                                                      const std::vector<ChartFormat>& formats,
                                                      bool withHtml);

}  // namespace qvrfc
