// Uses the installed engine and its layers through the umbrella header: the engine's array
// catalogue, and the analysis of the installed data file with its verdict.
#include <cstdio>

#include "qvrfc/QVRFCDOEEngine.h"

int main() {
    using Array = CQVRFCDOETaguchiOrthogonalArray;
    const Array::OA_TYPE type = Array::ArraySelector(18);
    CString text;
    text.Format("%d runs, %d columns", Array::GetNoRun(type), Array::GetNoFactor(type));
    std::printf("consumer: L18 has %s\n", text.GetString());
    const bool defaultArray =
        CQVRFCDOEAnalyzer::GetDefaultOrthogonalArrayType(4, 3) == Array::OA_L9;
    qvrfc::AnalysisInput input;
    input.dataFile = QVRFC_DATA_DIR "/DOETest1.ipt";
    qvrfc::AnalysisSettings settings;
    settings.sn.push_back(qvrfc::ParseSnSetting("1=larger"));
    const qvrfc::Analysis analysis = qvrfc::Analyze(input, settings);
    const double optimum = analysis.responses.at(0).optimum.mean.value;
    std::printf("consumer: optimum mean %.4f\n", optimum);
    return type == Array::OA_L18 && text == CString("18 runs, 8 columns") && defaultArray &&
                   optimum > 123.70 && optimum < 123.71 &&
                   qvrfc::VerdictText(analysis).find("Optimum: A=3, B=3, C=3, D=2") !=
                       std::string::npos
               ? 0
               : 1;
}
