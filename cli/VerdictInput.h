// What the verdict commands (predict, confirm) share: their options, the analysis of the
// data file by the verdict layer, and the levels given with --at.
#pragma once

#include <string>
#include <vector>

#include "AnalysisSettings.h"
#include "inference/InteractionTerms.h"
#include "inference/Verdict.h"

namespace CLI {
class App;
}

namespace qvrfcdoe {

struct VerdictRequest {
    std::string dataFile;
    std::vector<std::string> sn;            // --sn QUALITY=KIND[:TARGET]
    std::vector<std::string> pool;          // --pool QUALITY=LETTERS, auto or lenth
    std::string at;                         // --at "A=3,D=2"
    std::vector<std::string> interactions;  // --interaction "A*B", repeatable
    double alpha = 0.05;
};

// Declares FILE, --at, --interaction, --sn, --pool and --alpha on a verdict command.
void DeclareVerdictOptions(CLI::App* command, VerdictRequest& request);

// The verdict on the data file; the engine's set-up logs go to a scratch folder that is
// removed, so nothing is written. The file's factors are the array's columns, so a column
// that holds a declared interaction holds no factor: its factor leaves the model. InputError
// or UsageError for bad input.
qvrfc::Verdict LoadVerdict(const VerdictRequest& request);

// The factors and levels of --at, checked against the verdict's factors.
std::vector<qvrfc::FactorLevel> ParseLevels(const std::string& text, const qvrfc::Verdict& verdict);

}  // namespace qvrfcdoe
