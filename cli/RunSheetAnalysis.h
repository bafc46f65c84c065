// The analysis of a filled run sheet (runsheet.csv) with its experiment file: the engine's
// reports, the summary on the screen and results.json, all in the experiment's names.
#pragma once

#include <string>

#include "Commands.h"

namespace qvrfcdoe {

// True for a data file that is a run sheet: its first cell is "run" (a quality data file
// starts with a number). Pipes and devices are quality data files: they are read once.
bool IsRunSheet(const std::string& dataFile);
// Analyses request.dataFile as a run sheet; the experiment file is request.experimentFile or
// experiment.toml beside the sheet.
int AnalyzeRunSheet(const AnalyzeRequest& request);

}  // namespace qvrfcdoe
