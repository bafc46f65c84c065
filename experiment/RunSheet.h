// The run sheet (runsheet.csv): one row per run in the order the runs are carried out, with
// the factors' settings and an empty cell for every observation, for the lab to fill in.
// Its header: run, order, the factor names, then per response "<response> <k>" for each
// repetition, or "<response> <noise condition>" ("... <k>" with repetitions) with noise factors.
#pragma once

#include <string>
#include <vector>

#include "experiment/Experiment.h"

namespace qvrfc {

// Observations read from a filled sheet: [response][run][observation] with runs in design
// order and observations in column order; NaN for an empty cell.
using SheetObservations = std::vector<std::vector<std::vector<double>>>;

QVRFC_API std::vector<std::string> RunSheetHeader(const Experiment& experiment);
// The rows below the header, in run order, observation cells empty.
QVRFC_API std::vector<std::vector<std::string>> RunSheetRows(const Experiment& experiment);
// The header of observation k (from 0) of a response.
QVRFC_API std::string ObservationName(const Experiment& experiment, int response, int k);

// Both throw ExperimentFault for an experiment that is not sound (CheckExperiment).
// Writes the empty sheet whole (CRLF line ends).
QVRFC_API void WriteRunSheet(const Experiment& experiment, const std::string& path);
// The text WriteRunSheet writes.
QVRFC_API std::string RunSheetText(const Experiment& experiment);
// Reads a filled sheet of the experiment; ExperimentError "<path>: row <n>, column <c> '<name>':
// <cause>" for a cell that is not a number, a row whose settings differ from the design, a
// missing or unknown column, a run missing or given twice.
QVRFC_API SheetObservations ReadRunSheet(const Experiment& experiment, const std::string& path);

}  // namespace qvrfc
