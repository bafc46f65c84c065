// The engine's analyzer set up from an Experiment and the observations of its filled sheet,
// so that every report speaks in the experiment's names and values.
#pragma once

#include "qvrfc/analyzer/QVRFCDOEAnalyzer.h"
#include "qvrfc/experiment/Experiment.h"
#include "qvrfc/experiment/RunSheet.h"

namespace qvrfc {

// The name of an array column that holds no factor: "e" and the column from 1 ("e4").
QVRFC_API std::string EmptyColumnName(int column);

// Sets up the analyzer on the experiment's array with one quality per response. Analyzer
// factor f is the experiment's factor f on its column; the columns without a factor follow
// as factors of their own, named by EmptyColumnName and pooled into the error of every
// response (an empty column measures only error). Control factor values are the real
// values of numeric factors and level numbers otherwise. S/N kinds, targets and names are set;
// with observations, each run receives its observed values (empty cells are left out) and its
// S/N ratio is computed. The engine writes its set-up logs into the current directory.
// Throws ExperimentError when the experiment is not sound (CheckExperiment), the observations
// are not one list per response and run, the engine refuses the set-up or the placement (its
// report follows), or a run of a response has no observation.
QVRFC_API void SetUpAnalyzer(CQVRFCDOEAnalyzer& analyzer, const Experiment& experiment,
                             const SheetObservations* observations);

}  // namespace qvrfc
