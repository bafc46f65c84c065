// The charts and the report page that analyze writes beside its reports: the page carries
// the verdict's ANOVA, contributions and optimum where there is a verdict, and the
// experiment's factor names, units and level values where there is an experiment file.
#pragma once

#include "Commands.h"
#include "analyzer/QVRFCDOEAnalyzer.h"
#include "results/HtmlReport.h"

// The experiment layer's Response (a struct) and the verdict's Response (an enum) cannot meet
// in one source file: the verdict's figures are mapped in ReportPage.cpp, the experiment's
// names in ReportNames.cpp.
namespace qvrfc {
struct Experiment;
struct Verdict;
}  // namespace qvrfc

namespace qvrfcdoe {

struct VerdictOutput;

// The verdict's figures put into the page's figures: the ANOVA rows (F, p, pure-SS
// contributions), the Pareto of the S/N ratios and the optimum with its intervals.
void ApplyVerdict(const qvrfc::Verdict& verdict, qvrfc::ReportData& data);

// The experiment's names, units and level values in place of the engine's letters and level
// numbers.
void ApplyExperiment(const qvrfc::Experiment& experiment, qvrfc::ReportData& data);

// Writes charts/ and, unless request.html is false, report.html into the current directory
// (the output folder), when request.reports is set. An InputError names a file that cannot
// be written.
void WriteReportPage(const CQVRFCDOEAnalyzer& analyzer, const AnalyzeRequest& request,
                     const VerdictOutput& verdict, const qvrfc::Experiment* experiment = nullptr);

}  // namespace qvrfcdoe
