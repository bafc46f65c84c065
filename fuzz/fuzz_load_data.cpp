// Quality data file reader: any bytes as the file. A refused file must leave the
// experiment held before untouched; an accepted one must report and analyse cleanly.
#include <cstdlib>

#include "analyzer/QVRFCDOEAnalyzer.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    qvrfc_fuzz::EnterScratchDirectory();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    qvrfc_fuzz::WriteBytes("input.ipt", data, size);
    CQVRFCDOEAnalyzer analyzer;
    analyzer.SetupDOE(1, CQVRFCDOEAnalyzer::OA_TYPE::OA_L4, nullptr);
    analyzer.AppendQualityValue(0, 0, 1.5);
    if (!analyzer.LoadData("input.ipt")) {
        // The previous experiment must be intact.
        if (analyzer.GetNoRun() != 4 || analyzer.GetQualityValue(0, 0, 0) != 1.5) std::abort();
        return 0;
    }
    FILE* sink = qvrfc_fuzz::Sink();
    analyzer.WriteRunQualityData(sink, 1, "[Run Quality Data]");
    analyzer.WriteFactorEffectData(sink, 1, "[Factor Effect]");
    analyzer.DOEWriter(sink);
    return 0;
}
