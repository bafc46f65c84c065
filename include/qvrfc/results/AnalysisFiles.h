// The files of an analysis in a folder, as the analyze command writes them: the engine's plain
// and comma-separated reports, the verdict text, results.json, the chart files and the page,
// all staged in one FileSet so that they are replaced together or not at all.
//
//   qvrfc::FileSet files;
//   qvrfc::StageAnalysisFiles(analysis, files, "out", qvrfc::ReportNamesOf(analysis.dataFile),
//                             {qvrfc::ChartFormat::Svg}, true);
//   files.Commit();
#pragma once

#include <string>
#include <vector>

#include "qvrfc/analysis/Analysis.h"
#include "qvrfc/charts/ChartRender.h"
#include "qvrfc/common/QVRFCExport.h"
#include "qvrfc/common/QVRFCFileSet.h"

namespace qvrfc {

// The page of the charts and results.
constexpr const char* kPageFile = "report.html";

// The files of an analysis, named after its data file: "<stem>.log" and "<stem>.csv" for a
// quality data file, "<stem>-analysis.log" and ".csv" for a run sheet, "<stem>-verdict.txt"
// and "results.json". An analysis of an experiment held in memory is named as the analysis of
// its filled run sheet, runsheet.csv.
struct ReportNames {
    std::vector<std::string> engine;  // the engine's plain and comma-separated reports
    std::string verdict, results;
};
QVRFC_API ReportNames ReportNamesOf(const std::string& dataFile, bool runSheet);
QVRFC_API ReportNames ReportNamesOf(const Analysis& analysis);

// The chart files in folder's charts/ (regular files named as charts are), by their names there.
QVRFC_API std::vector<std::string> ChartFilesIn(const std::string& folder);

// Stages the chart files and the page (named as ChartAndPageFiles names them) in files, and the
// removal of the chart files and the page that an earlier run left in folder and that this one
// does not write, so that no result of an earlier run stays beside the new ones. Only regular
// files of those names go: links, folders and other files stay.
QVRFC_API void StageChartsAndPage(FileSet& files, const std::string& folder,
                                  const std::vector<ChartFile>& drawn);

// Stages every file of the analysis in folder (which must exist): the engine's reports, the
// verdict, results.json, and the charts in the formats and the page (withHtml) as
// StageChartsAndPage does. Returns the names of the files staged, relative to folder;
// qvrfc::Error naming a file that cannot be written and why.
QVRFC_API std::vector<std::string> StageAnalysisFiles(const Analysis& analysis, FileSet& files,
                                                      const std::string& folder,
                                                      const ReportNames& names,
                                                      const std::vector<ChartFormat>& formats,
                                                      bool withHtml);

}  // namespace qvrfc
