// Comma-separated values as RFC 4180 describes them and spreadsheets write them: cells in
// double quotes may hold separators, quotes ("") and line ends; a byte order mark is skipped;
// records end in CRLF or LF. The separator is a comma, or a semicolon where a spreadsheet's
// locale writes decimal commas.
#pragma once

#include <string>
#include <vector>

#include "qvrfc/common/QVRFCExport.h"

namespace qvrfc {

struct CsvRecord {
    int row = 0;  // the record's number in the file, from 1, as a spreadsheet numbers its rows
    std::vector<std::string> cells;
};

// The records of a text; ExperimentError "<name>: row <n>: <cause>" for a quote that is not
// closed or stray text after a closing quote. Blank records (empty lines, and lines of only
// separators, spaces and tabs) are no records, but they keep their row numbers.
QVRFC_API std::vector<CsvRecord> ParseCsv(const std::string& text, const std::string& name,
                                          char separator = ',');
// The separator with which the first record that is not blank has a cell `cell` (blanks
// around it ignored): ',' when read with commas, else ';' when read with semicolons; 0 when
// neither reading has it.
QVRFC_API char CsvSeparatorOf(const std::string& text, const std::string& cell);
// One record with CRLF, quoting the cells that need it.
QVRFC_API std::string CsvLine(const std::vector<std::string>& cells);

}  // namespace qvrfc
