// Experiment file reader: any bytes as an experiment file (ReadExperimentText). An experiment
// that is read must be written (ExperimentFileText) into a text that reads back into the same
// experiment, field by field, and that is written again as the same text; the design step's
// verified writing must accept it, and its empty run sheet must read back.
#include <cstdlib>
#include <string>

#include "fuzz_support.h"
#include "qvrfc/experiment/ExperimentFile.h"
#include "qvrfc/experiment/RunSheet.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    qvrfc_fuzz::EnterScratchDirectory();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    qvrfc::Experiment experiment;
    try {
        experiment = qvrfc::ReadExperimentText(text, "fuzz.toml");
    } catch (const qvrfc::Error&) {
        return 0;
    }
    const std::string written = qvrfc::ExperimentFileText(experiment);
    qvrfc::Experiment back;
    try {
        back = qvrfc::ReadExperimentText(written, "written.toml");
        qvrfc::VerifiedExperimentFileText(experiment, "verified.toml");
        qvrfc::ReadRunSheetText(experiment, qvrfc::RunSheetText(experiment), "runsheet.csv");
    } catch (const qvrfc::Error&) {
        std::abort();
    }
    if (!qvrfc::ExperimentDifference(experiment, back).empty()) std::abort();
    if (qvrfc::ExperimentFileText(back) != written) std::abort();
    return 0;
}
