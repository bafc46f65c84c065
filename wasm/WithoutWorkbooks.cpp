// The page's module reads its observations from the page: it neither reads nor writes
// workbooks, and does without the libraries that do (libxlsxwriter, liborcus).
#include "qvrfc/common/QVRFCError.h"
#include "qvrfc/experiment/Workbook.h"

namespace qvrfc {

namespace {

const char* const kNoWorkbooks = "workbooks (.xlsx, .ods) are not read or written in the page";

}  // namespace

Worksheet ReadFirstWorksheet(const std::string&, WorkbookKind, const std::string&) {
    throw Error(kNoWorkbooks);
}

std::string RunSheetWorkbook(const Experiment&) {
    throw Error(kNoWorkbooks);
}

}  // namespace qvrfc
