// The verdict part of analyze: the verdict printed after the summary and its extended plain
// report written beside the engine's reports.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "AnalysisSettings.h"
#include "analyzer/QVRFCDOEAnalyzer.h"
#include "inference/Verdict.h"
#include "results/VerdictReport.h"

namespace qvrfcdoe {

// The verdict, or why there is none: data the verdict cannot analyse (runs of unequal
// observation counts) leaves the engine's analysis standing.
struct VerdictOutput {
    std::optional<qvrfc::Verdict> verdict;
    std::string missing;
};

// `terms` as for VerdictOf. A declared interaction that cannot be a term is bad input: an
// InputError naming the data file.
VerdictOutput TakeVerdict(const CQVRFCDOEAnalyzer& analyzer, const std::string& dataFile,
                          const AnalysisSettings& settings,
                          const std::vector<qvrfc::ModelTerm>& terms = {});

// "<stem>-verdict.txt".
std::string VerdictReportName(const std::string& stem);

// Writes the report whole, after the engine's reports; when it cannot be written, its earlier
// version stays and an InputError says why. Nothing is written without a verdict.
void WriteVerdictFile(const VerdictOutput& output, const std::filesystem::path& path,
                      const qvrfc::LevelLabel& label = qvrfc::LevelNumber);

// The verdict on standard output, or the line saying why there is none.
void PrintVerdict(const VerdictOutput& output, const qvrfc::LevelLabel& label = qvrfc::LevelNumber);

}  // namespace qvrfcdoe
