#include "VerdictOutput.h"

#include <cstdio>
#include <stdexcept>

#include "CliError.h"
#include "VerdictInput.h"
#include "results/VerdictReport.h"

namespace qvrfcdoe {

VerdictOutput TakeVerdict(const CQVRFCDOEAnalyzer& analyzer, const std::string& dataFile,
                          const AnalysisSettings& settings,
                          const std::vector<qvrfc::ModelTerm>& terms) {
    VerdictOutput output;
    try {
        output.verdict = VerdictOf(analyzer, settings, terms);
    } catch (const qvrfc::InteractionError& error) {
        throw InputError(Text("'%s': %s", dataFile.c_str(), error.what()));
    } catch (const std::invalid_argument& error) {
        output.missing = error.what();
    }
    return output;
}

std::string VerdictReportName(const std::string& stem) {
    return stem + "-verdict.txt";
}

void WriteVerdictFile(const VerdictOutput& output, const std::filesystem::path& path,
                      const qvrfc::LevelLabel& label) {
    std::string error;
    if (!output.verdict || qvrfc::WriteVerdictReport(path.string(), *output.verdict, error, label))
        return;
    throw InputError(error);
}

void PrintVerdict(const VerdictOutput& output, const qvrfc::LevelLabel& label) {
    if (!output.verdict) {
        std::printf("\nNo verdict: %s\n", output.missing.c_str());
        return;
    }
    std::printf("\nVerdict\n\n%s", qvrfc::VerdictText(*output.verdict, label).c_str());
}

}  // namespace qvrfcdoe
