// What analyze, predict and confirm share: the options --sn, --pool and --alpha, the checks
// and the engine set-up they ask for, the verdict on the data, and the levels of --at.
#pragma once

#include <string>
#include <vector>

#include "AnalysisSettings.h"
#include "analyzer/QVRFCDOEAnalyzer.h"
#include "analyzer/QVRFCDOEDataFileReader.h"
#include "inference/InteractionTerms.h"
#include "inference/Verdict.h"
#include "results/VerdictReport.h"

namespace CLI {
class App;
}

namespace qvrfcdoe {

// Declares --sn, --pool and --alpha.
void DeclareAnalysisOptions(CLI::App* command, AnalysisOptions& options);

// Qualities and factors named in the settings must exist in the file's experiment; an
// InputError otherwise.
void CheckSettingsFit(const AnalysisSettings& settings, const CQVRFCDOEDataFileReader& data,
                      const std::string& fileName);

// Each quality named gets its characteristic and target; factors pooled by hand are pooled.
void ApplyToEngine(CQVRFCDOEAnalyzer& analyzer, const AnalysisSettings& settings);

// The verdict on the experiment the engine holds, set up by ApplyToEngine. `terms` are the
// main effects of the model (empty: every factor of the engine, named A, B, ...), counted as
// the engine's factors, so that factors pooled by hand are term indexes too. Throws
// std::invalid_argument with the cause when a response cannot be analysed.
qvrfc::Verdict VerdictOf(const CQVRFCDOEAnalyzer& analyzer, const AnalysisSettings& settings,
                         const std::vector<qvrfc::ModelTerm>& terms = {});

struct VerdictRequest {
    std::string dataFile;
    std::string experimentFile;  // of a run sheet; default: experiment.toml beside it
    AnalysisOptions options;
    std::string at;  // --at "A=3,D=2"
};

// Declares FILE, --at and the analysis options on predict or confirm.
void DeclareVerdictOptions(CLI::App* command, VerdictRequest& request);

// The verdict, the levels of --at and how levels are shown.
struct LoadedVerdict {
    qvrfc::Verdict verdict;
    std::vector<qvrfc::FactorLevel> at;
    qvrfc::LevelLabel label = qvrfc::LevelNumber;
};

// The verdict on the data file or run sheet; the engine's set-up logs go to a scratch folder
// that is removed, so nothing is written. A data file's factors are the array's columns, so a
// column that holds a declared interaction holds no factor: its factor leaves the model; --at
// names them by letter and level number. A run sheet speaks in its experiment's factor names
// and level values. InputError or UsageError for bad input.
LoadedVerdict LoadVerdict(const VerdictRequest& request);

}  // namespace qvrfcdoe
