// Workbook reader: any bytes as an .xlsx and as an .ods workbook (ReadFirstWorksheet), then as
// the filled run sheet of a small fixed experiment (ReadRunSheetWorkbook). A worksheet that is
// read must have rows in order, each with a cell that is not blank and a text flag per cell;
// a sheet that is read must hold one list per response and run with a value per observation
// column (finite and at most 1e12, or empty). Failures must be qvrfc::Error.
#include <cmath>
#include <cstdlib>
#include <string>

#include "fuzz_support.h"
#include "qvrfc/common/QVRFCConstants.h"
#include "qvrfc/experiment/RunSheet.h"
#include "qvrfc/experiment/Workbook.h"
#include "sheet_checks.h"

namespace {

// An L4 with a labelled and a numeric factor and one response observed twice, in the run
// order 2 1 4 3 (fuzz/corpus/workbook holds its sheet as .xlsx and as .ods).
qvrfc::Experiment FixedExperiment() {
    qvrfc::Experiment experiment;
    experiment.array = CQVRFCDOETaguchiOrthogonalArray::OA_L4;
    experiment.factors = {{"Tool", "", {"new", "worn"}, 0}, {"Speed", "", {"10", "2.5"}, 1}};
    experiment.responses = {{"Yield", "%", qvrfc::SnKind::Larger}};
    experiment.repetitions = 2;
    experiment.runOrder = {2, 1, 4, 3};
    return experiment;
}

void CheckWorksheet(const std::string& bytes, qvrfc::WorkbookKind kind) {
    try {
        int row = 0;
        for (const qvrfc::WorksheetRow& each :
             qvrfc::ReadFirstWorksheet(bytes, kind, "fuzz").rows) {
            bool blank = true;
            for (const std::string& cell : each.cells)
                blank = blank && qvrfc::TrimBlanks(cell).empty();
            if (each.row <= row || blank || each.text.size() != each.cells.size()) std::abort();
            row = each.row;
        }
    } catch (const qvrfc::Error&) {
    }
}

void CheckSheet(const qvrfc::Experiment& experiment, const std::string& bytes,
                qvrfc::WorkbookKind kind) {
    qvrfc::SheetObservations values;
    try {
        values = qvrfc::ReadRunSheetWorkbook(experiment, bytes, kind, "fuzz");
    } catch (const qvrfc::Error&) {
        return;
    }
    qvrfc_fuzz::CheckSheetShape(experiment, values);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    qvrfc_fuzz::EnterScratchDirectory();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const qvrfc::Experiment experiment = FixedExperiment();
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    for (qvrfc::WorkbookKind kind : {qvrfc::WorkbookKind::Xlsx, qvrfc::WorkbookKind::Ods}) {
        CheckWorksheet(bytes, kind);
        CheckSheet(experiment, bytes, kind);
    }
    return 0;
}
