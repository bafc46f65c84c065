// Comma-separated values as RFC 4180 describes them and spreadsheets write them: cells in
// double quotes may hold commas, quotes ("") and line ends; a byte order mark is skipped;
// records end in CRLF or LF.
#pragma once

#include <string>
#include <vector>

#include "common/QVRFCExport.h"

namespace qvrfc {

struct CsvRecord {
    int row = 0;  // the record's number in the file, from 1
    std::vector<std::string> cells;
};

// The records of a text; ExperimentError "<name>: row <n>: <cause>" for a quote that is not
// closed or stray text after a closing quote. Empty lines are no records.
QVRFC_API std::vector<CsvRecord> ParseCsv(const std::string& text, const std::string& name);
// One record with CRLF, quoting the cells that need it.
QVRFC_API std::string CsvLine(const std::vector<std::string>& cells);

}  // namespace qvrfc
