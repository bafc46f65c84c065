// Run sheet reader: any bytes as comma- and semicolon-separated values (ParseCsv), then as the
// filled sheet of a small fixed experiment (ReadRunSheetText). A record must have a row after
// the one before and a cell that is not blank; a sheet that is read must have one list per
// response and run, each with a value (finite, at most 1e12, or NaN for an empty cell) per
// observation column, and the same bytes as a file must be recognised as a run sheet.
#include <cmath>
#include <cstdlib>
#include <string>

#include "fuzz_support.h"
#include "qvrfc/common/QVRFCConstants.h"
#include "qvrfc/experiment/Csv.h"
#include "qvrfc/experiment/RunSheet.h"
#include "sheet_checks.h"

namespace {

// An L4 with a labelled and a numeric factor, two responses, a noise factor and two
// repetitions, in the run order 3 1 4 2 (fuzz/corpus/run_sheet/filled holds its sheet).
qvrfc::Experiment FixedExperiment() {
    qvrfc::Experiment experiment;
    experiment.array = CQVRFCDOETaguchiOrthogonalArray::OA_L4;
    experiment.factors = {{"Tool, type", "", {"new", "worn"}, 0}, {"Speed", "", {"10", "2.5"}, 1}};
    experiment.responses = {{"Yield", "%", qvrfc::SnKind::Larger},
                            {"Wear", "", qvrfc::SnKind::Smaller}};
    experiment.noise = {{"Humidity", {"low", "high"}}};
    experiment.repetitions = 2;
    experiment.runOrder = {3, 1, 4, 2};
    return experiment;
}

void CheckRecords(const std::string& text, char separator) {
    try {
        int row = 0;
        for (const qvrfc::CsvRecord& record : qvrfc::ParseCsv(text, "fuzz.csv", separator)) {
            bool blank = true;
            for (const std::string& cell : record.cells)
                blank = blank && qvrfc::TrimBlanks(cell).empty();
            if (record.row <= row || blank) std::abort();
            row = record.row;
        }
    } catch (const qvrfc::Error&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    qvrfc_fuzz::EnterScratchDirectory();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const qvrfc::Experiment experiment = FixedExperiment();
    const std::string text(reinterpret_cast<const char*>(data), size);
    CheckRecords(text, ',');
    CheckRecords(text, ';');
    qvrfc::SheetObservations values;
    try {
        values = qvrfc::ReadRunSheetText(experiment, text, "fuzz.csv");
    } catch (const qvrfc::Error&) {
        return 0;
    }
    qvrfc_fuzz::CheckSheetShape(experiment, values);
    qvrfc_fuzz::WriteBytes("sheet.csv", data, size);
    if (!qvrfc::IsRunSheetFile("sheet.csv")) std::abort();
    return 0;
}
