// Quality data file reader: any bytes as the file. A refusal must say why on one line;
// a refused file must leave the experiment held before untouched; an accepted one must
// report and analyse cleanly.
#include <cstdlib>
#include <string>

#include "fuzz_support.h"
#include "qvrfc/analyzer/QVRFCDOEAnalyzer.h"
#include "qvrfc/analyzer/QVRFCDOEDataFileReader.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    qvrfc_fuzz::EnterScratchDirectory();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    qvrfc_fuzz::WriteBytes("input.ipt", data, size);
    CQVRFCDOEAnalyzer analyzer;
    analyzer.SetupDOE(1, CQVRFCDOEAnalyzer::OA_TYPE::OA_L4, nullptr);
    analyzer.AppendQualityValue(0, 0, 1.5);
    // The strict reader refuses with a cause, or reads what LoadData then loads as well.
    CQVRFCDOEDataFileReader reader;
    const bool read = reader.Read("input.ipt");
    const CQVRFCDOEDataFileReader::Problem& problem = reader.GetProblem();
    if (read != problem.cause.empty() || problem.line < 0 || problem.quality < 0 ||
        problem.run < 0 || problem.cause.find('\n') != std::string::npos)
        std::abort();
    if (!analyzer.LoadData("input.ipt")) {
        if (read) std::abort();
        // The previous experiment must be intact.
        if (analyzer.GetNoRun() != 4 || analyzer.GetQualityValue(0, 0, 0) != 1.5) std::abort();
        return 0;
    }
    // Whatever the file held, every quality analyses and reports within its counts.
    if (analyzer.GetNoQuality() < 1 ||
        analyzer.GetDOEArrayType() == CQVRFCDOETaguchiOrthogonalArray::OA_UNDEFINED)
        std::abort();
    int ranks[64] = {};
    for (int q = 0; q < analyzer.GetNoQuality() && q < 3; ++q) {
        int dof = 0;
        analyzer.GetResponseRank(q, CQVRFCDOEAnalyzer::FACTOR_EFFECT_SN_RATIO, ranks);
        analyzer.GetErrorSumsOfSquares(q, dof, CQVRFCDOEAnalyzer::FACTOR_EFFECT_QUALITY);
        analyzer.PredictBestSNRatio(q, ranks, 0.0);
    }
    FILE* sink = qvrfc_fuzz::Sink();
    analyzer.WriteRunQualityData(sink, 1, "[Run Quality Data]");
    analyzer.WriteFactorEffectData(sink, 1, "[Factor Effect]");
    analyzer.DOEWriter(sink);
    return 0;
}
