// Run sheets as workbooks: the sheet design writes as an .xlsx file (one row per run in run
// order, factor cells locked and shaded, observation cells numeric with data validation, the
// header frozen, a notes column, the experiment described on a second worksheet), and the
// first worksheet of an .xlsx or .ods file read as rows of cells for the run sheet's checks.
#pragma once

#include <string>
#include <vector>

#include "qvrfc/experiment/Experiment.h"

namespace qvrfc {

enum class WorkbookKind { Xlsx, Ods };

// A row of a worksheet: its number (from 1) and its cells from column A, numbers as
// NumberText of their value, formulas by their cached values, empty cells "".
struct WorksheetRow {
    int row = 0;
    std::vector<std::string> cells;
    std::vector<bool> text;  // per cell: the workbook holds it as text (or a date, a truth value)
};

struct Worksheet {
    std::string name;
    std::vector<WorksheetRow> rows;  // rows that hold a cell that is not blank, in order
};

// The column of the notes the lab may write beside a run; a reader passes it over.
constexpr const char* kNotesColumn = "notes";

// The kind of a workbook by its file name's extension (.xlsx or .ods, case ignored).
QVRFC_API bool WorkbookKindOf(const std::string& path, WorkbookKind& kind);
// "Runs!F7": a cell's reference (row from 1, column from 0), the worksheet's name quoted when
// it holds anything but letters, digits and '_'.
QVRFC_API std::string CellReference(const std::string& worksheet, int row, size_t column);
// The first worksheet of a workbook's bytes; ExperimentError "<name>: not a readable .xlsx
// workbook (<cause>)" for bytes that are not one, or one without a worksheet.
QVRFC_API Worksheet ReadFirstWorksheet(const std::string& bytes, WorkbookKind kind,
                                       const std::string& name);
// The bytes of the empty run sheet as an .xlsx workbook, the same for the same experiment.
// Throws ExperimentFault for an experiment that is not sound (CheckExperiment), and Error
// when the sheet does not fit a workbook (more than 16384 columns).
QVRFC_API std::string RunSheetWorkbook(const Experiment& experiment);

}  // namespace qvrfc
