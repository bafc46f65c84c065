// The run sheet (runsheet.csv): one row per run in the order the runs are carried out, with
// the factors' settings and an empty cell for every observation, for the lab to fill in.
// Its header: run, order, the factor names, then per response "<response> <k>" for each
// repetition, or "<response> <noise condition>" ("... <k>" with repetitions) with noise factors.
#pragma once

#include <string>
#include <vector>

#include "qvrfc/experiment/Experiment.h"
#include "qvrfc/experiment/Workbook.h"

namespace qvrfc {

// Observations read from a filled sheet: [response][run][observation] with runs in design
// order and observations in column order; NaN for an empty cell.
using SheetObservations = std::vector<std::vector<std::vector<double>>>;

QVRFC_API std::vector<std::string> RunSheetHeader(const Experiment& experiment);
// The rows below the header, in run order, observation cells empty.
QVRFC_API std::vector<std::vector<std::string>> RunSheetRows(const Experiment& experiment);
// The headers of a response's observations, and of its observation k (from 0). Signal levels
// are written as LevelTexts makes them.
QVRFC_API std::vector<std::string> ObservationNames(const Experiment& experiment, int response);
QVRFC_API std::string ObservationName(const Experiment& experiment, int response, int k);

// Both throw ExperimentFault for an experiment that is not sound (CheckExperiment).
// Writes the empty sheet whole (CRLF line ends).
QVRFC_API void WriteRunSheet(const Experiment& experiment, const std::string& path);
// The text WriteRunSheet writes.
QVRFC_API std::string RunSheetText(const Experiment& experiment);
// Reads a filled sheet of the experiment; ExperimentError "<path>: row <n>, column <c> '<name>':
// <cause>" for a cell that is not a number, not finite, above the 1e12 that marks a missing
// observation or holding a NUL byte, a row whose settings differ from the design, a missing or
// unknown column, a run missing or given twice. Rows count records as a spreadsheet does
// (blank lines too, header = row 1 when it comes first); cell texts longer than 40 characters
// are cut in messages. Columns are matched by their header; blank records are passed over. A
// sheet whose header is separated by ';' is read with decimal commas ("43,4" is 43.4) too.
// A column "notes" is passed over. A path ending in .xlsx or .ods is read as a workbook
// (ReadRunSheetWorkbook).
QVRFC_API SheetObservations ReadRunSheet(const Experiment& experiment, const std::string& path);
// The same for the text of a sheet; `name` stands for the file in messages.
QVRFC_API SheetObservations ReadRunSheetText(const Experiment& experiment, const std::string& text,
                                             const std::string& name);
// The same checks on the first worksheet of a workbook: cells are named by their references
// ("<name>: Runs!F7 'Yield 1': ..."), an observation held as text is refused, and a first
// worksheet whose first row has no cell "run" is not a run sheet.
QVRFC_API SheetObservations ReadRunSheetWorkbook(const Experiment& experiment,
                                                 const std::string& bytes, WorkbookKind kind,
                                                 const std::string& name);
// True when path is a regular file (not a pipe or device, which can be read once only) whose
// first record that is not blank, within its first MiB, is a run sheet's header: one of its
// cells is "run" (after a byte order mark, quotes and blanks), separated by ',' or ';'; or a
// file named .xlsx or .ods that begins as a zip archive does.
QVRFC_API bool IsRunSheetFile(const std::string& path);

}  // namespace qvrfc
