#include "VerdictOutput.h"

#include <cstdio>
#include <stdexcept>

#include "CliError.h"
#include "VerdictInput.h"
#include "results/VerdictReport.h"

namespace qvrfcdoe {

VerdictOutput TakeVerdict(const CQVRFCDOEAnalyzer& analyzer, const AnalysisSettings& settings) {
    VerdictOutput output;
    try {
        output.verdict = VerdictOf(analyzer, settings);
    } catch (const std::invalid_argument& error) {
        output.missing = error.what();
    }
    return output;
}

std::string VerdictReportName(const std::string& stem) {
    return stem + "-verdict.txt";
}

void WriteVerdictFile(const VerdictOutput& output, const std::filesystem::path& path,
                      const std::vector<std::string>& engineReports) {
    std::string error;
    if (!output.verdict || qvrfc::WriteVerdictReport(path.string(), *output.verdict, error)) return;
    for (const std::string& report : engineReports)
        std::remove(report.c_str());
    throw InputError(error);
}

void PrintVerdict(const VerdictOutput& output) {
    if (!output.verdict) {
        std::printf("\nNo verdict: %s\n", output.missing.c_str());
        return;
    }
    std::printf("\nVerdict\n\n%s", qvrfc::VerdictText(*output.verdict).c_str());
}

}  // namespace qvrfcdoe
