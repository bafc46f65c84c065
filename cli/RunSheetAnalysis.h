// The analysis of a filled run sheet (runsheet.csv) with its experiment file: the engine's
// reports, the summary on the screen and results.json, all in the experiment's names.
#pragma once

#include <filesystem>
#include <string>

#include "Commands.h"
#include "experiment/Experiment.h"
#include "inference/Verdict.h"

namespace qvrfcdoe {

// True for a data file that is a run sheet: its first cell is "run" (a quality data file
// starts with a number). Pipes and devices are quality data files: they are read once.
bool IsRunSheet(const std::string& dataFile);
// Analyses request.dataFile as a run sheet; the experiment file is request.experimentFile or
// experiment.toml beside the sheet.
int AnalyzeRunSheet(const AnalyzeRequest& request);

// The experiment of a run sheet, with the settings' S/N kinds, and the verdict on the sheet's
// observations in the experiment's names. The engine writes its set-up logs into
// engineFolder. InputError or UsageError for bad input.
struct SheetVerdict {
    qvrfc::Experiment experiment;
    qvrfc::Verdict verdict;
};
SheetVerdict LoadSheetVerdict(const std::string& sheet, const std::string& experimentFile,
                              const AnalysisSettings& settings,
                              const std::filesystem::path& engineFolder);

}  // namespace qvrfcdoe
