// Uses the installed engine and every layer through the umbrella header alone, each by its
// entry point: the array catalogue and analyzer, a design from names, the desirability, the
// analysis of the installed data file, its chart, verdict and results, and the version. Built
// as C++17 (CMake package) and as C++20 (pkg-config, which leaves the standard to the program).
#include <cstdio>
#include <cstring>

#include "qvrfc/QVRFCDOEEngine.h"
#if __cplusplus >= 202002L
#include <span>
#endif

int main() {
    using Array = CQVRFCDOETaguchiOrthogonalArray;
    const Array::OA_TYPE type = Array::ArraySelector(18);
    CString text;
    text.Format("%d runs, %d columns", Array::GetNoRun(type), Array::GetNoFactor(type));
    qvrfc::DesignOptions design;
    design.factors = {"Temperature[C]=150,170,190", "Catalyst=A,B,C"};
    design.responses = {"Yield[%]:larger"};
    qvrfc::DesirabilityShape shape;
    shape.high = 10.0;
    qvrfc::AnalysisInput input;
    input.dataFile = QVRFC_DATA_DIR "/DOETest1.ipt";
    qvrfc::AnalysisSettings settings;
    settings.sn.push_back(qvrfc::ParseSnSetting("1=larger"));
    const qvrfc::Analysis analysis = qvrfc::Analyze(input, settings);
    const double optimum = analysis.responses.at(0).optimum.mean.value;
    const std::string svg = qvrfc::DrawMainEffects(qvrfc::ChartsOf(analysis).at(0).mainEffects,
                                                   qvrfc::ChartFormat::Svg);
    std::printf("consumer: L18 has %s; optimum mean %.4f; version %s, C++%ld\n", text.GetString(),
                optimum, qvrfc::Version(), __cplusplus / 100 % 100);
#if __cplusplus >= 202002L
    const double levels[] = {1.0, 2.0, 3.0};
    if (std::span<const double>(levels).size() != 3) return 1;
#endif
    return type == Array::OA_L18 && text == CString("18 runs, 8 columns") &&
                   CQVRFCDOEAnalyzer::GetDefaultOrthogonalArrayType(4, 3) == Array::OA_L9 &&
                   qvrfc::ExperimentOfOptions(design).RunCount() == 9 &&
                   qvrfc::Desirability(shape, 5.0) == 0.5 && optimum > 123.70 && optimum < 123.71 &&
                   qvrfc::VerdictText(analysis).find("Optimum: A=3, B=3, C=3, D=2") !=
                       std::string::npos &&
                   qvrfc::ResultsJsonText(analysis).find("\"array\": \"L9\"") !=
                       std::string::npos &&
                   svg.find("<svg") != std::string::npos &&
                   std::strcmp(qvrfc::Version(), QVRFC_VERSION_STRING) == 0 &&
                   QVRFC_VERSION_NUMBER >= 10000
               ? 0
               : 1;
}
