// What the analysis keeps of the engine once it is gone: its texts (set-up logs, reports) and
// the figures that only it holds (each run's observations as stored, its S/N type's name).
#pragma once

#include <string>
#include <vector>

#include "qvrfc/analysis/Analysis.h"
#include "qvrfc/analysis/ScratchFolder.h"

namespace qvrfc {

// The set-up logs that the engine wrote into scratch while it was set up, and the reports
// named reportNames (".csv" names the comma-separated one) rendered there, each naming itself
// by its name. qvrfc::Error naming a file that the engine could not write, and why.
EngineTexts EngineTextsOf(const CQVRFCDOEAnalyzer& engine,
                          const std::shared_ptr<const ScratchFolder>& scratch,
                          const std::vector<std::string>& reportNames);

// Each response's S/N type's name, and its observations as the engine stores them when
// `observations`.
void FillEngineFigures(const CQVRFCDOEAnalyzer& engine, Analysis& analysis, bool observations);

}  // namespace qvrfc
