// The files of an analysis and of a design in their folder, as the commands and the Python
// module write them: the engine's set-up logs and its plain and comma-separated reports, the
// verdict text, results.json, the chart files and the page; or the experiment file and the run
// sheet. Each is one set that WriteOutputFolder (OutputFolder.h) writes whole.
//
//   qvrfc::OutputRequest request;
//   request.folder = "out";
//   qvrfc::WriteOutputFolder(request, qvrfc::AnalysisOutput(analysis, qvrfc::AnalysisParts()));
#pragma once

#include <string>
#include <vector>

#include "qvrfc/analysis/Analysis.h"
#include "qvrfc/charts/ChartRender.h"
#include "qvrfc/common/QVRFCExport.h"
#include "qvrfc/results/OutputFolder.h"

namespace qvrfc {

// The page of the charts and results.
constexpr const char* kPageFile = "report.html";

// The files of an analysis, named after its data file: the engine's reports as
// EngineReportNames names them, "<stem>-verdict.txt" and "results.json". An analysis of an
// experiment held in memory is named as the analysis of its filled run sheet, runsheet.csv.
struct ReportNames {
    std::vector<std::string> engine;  // the engine's plain and comma-separated reports
    std::string verdict, results;
};
QVRFC_API ReportNames ReportNamesOf(const std::string& dataFile, bool runSheet);
QVRFC_API ReportNames ReportNamesOf(const Analysis& analysis);

// The chart files in folder's charts/ (regular files named as charts are), by their names there.
QVRFC_API std::vector<std::string> ChartFilesIn(const std::string& folder);

// What an analysis's set holds besides the engine's set-up logs, which it holds whenever the
// analysis kept them.
struct AnalysisParts {
    bool reports = true;  // the engine's reports (as the analysis kept them), verdict, results
    bool charts = true;   // the chart files in the formats and, with html, the page
    std::vector<ChartFormat> formats = {ChartFormat::Svg, ChartFormat::Png};
    bool html = true;
};
// The set of an analysis; with charts it owns the page and the chart files.
QVRFC_API OutputSet AnalysisOutput(const Analysis& analysis, const AnalysisParts& parts);

// The set of a design, experiment.toml and runsheet.csv (runsheet.xlsx for an experiment whose
// sheet is xlsx) for the folder, made (and the experiment file read back) before anything is
// written; under the lock, a run sheet already in the folder that differs from the new one (it
// may hold observations) is refused, and so is an experiment file that differs (it may have
// been edited by hand) unless forced.
QVRFC_API OutputSet DesignOutput(const Experiment& experiment, const std::string& folder,
                                 bool force = false);

}  // namespace qvrfc
