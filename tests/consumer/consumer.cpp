// Uses the installed engine and every layer through the umbrella header alone, each by its
// entry point: the engine's array catalogue and analyzer, an experiment designed from names,
// the inference's desirability, the analysis of the installed data file, its chart and its
// results; and the version. Built as C++17 (CMake package) and as C++20 (pkg-config, which
// must leave the standard to the program).
#include <cstdio>
#include <cstring>
#include <string>

#include "qvrfc/QVRFCDOEEngine.h"

#if __cplusplus >= 202002L
#include <span>
#endif

namespace {

int failures = 0;

void Expect(bool ok, const char* what) {
    if (!ok) {
        std::printf("consumer: FAILED %s\n", what);
        ++failures;
    }
}

}  // namespace

int main() {
    using Array = CQVRFCDOETaguchiOrthogonalArray;
    const Array::OA_TYPE type = Array::ArraySelector(18);
    CString text;
    text.Format("%d runs, %d columns", Array::GetNoRun(type), Array::GetNoFactor(type));
    std::printf("consumer: L18 has %s\n", text.GetString());
    Expect(type == Array::OA_L18 && text == CString("18 runs, 8 columns"), "engine: L18");
    Expect(CQVRFCDOEAnalyzer::GetDefaultOrthogonalArrayType(4, 3) == Array::OA_L9,
           "engine: default array");

    qvrfc::DesignOptions options;
    options.factors = {"Temperature[C]=150,170,190", "Catalyst=A,B,C"};
    options.responses = {"Yield[%]:larger"};
    Expect(qvrfc::ExperimentOfOptions(options).RunCount() == 9, "experiment: L9 design");

    qvrfc::DesirabilityShape shape;
    shape.low = 0.0;
    shape.high = 10.0;
    Expect(qvrfc::Desirability(shape, 5.0) == 0.5, "inference: desirability");

    qvrfc::AnalysisInput input;
    input.dataFile = QVRFC_DATA_DIR "/DOETest1.ipt";
    qvrfc::AnalysisSettings settings;
    settings.sn.push_back(qvrfc::ParseSnSetting("1=larger"));
    const qvrfc::Analysis analysis = qvrfc::Analyze(input, settings);
    const double optimum = analysis.responses.at(0).optimum.mean.value;
    std::printf("consumer: optimum mean %.4f\n", optimum);
    Expect(optimum > 123.70 && optimum < 123.71, "analysis: optimum mean");
    Expect(qvrfc::VerdictText(analysis).find("Optimum: A=3, B=3, C=3, D=2") != std::string::npos,
           "results: verdict");
    Expect(qvrfc::ResultsJsonText(analysis).find("\"array\": \"L9\"") != std::string::npos,
           "results: results.json");
    const std::string svg = qvrfc::DrawMainEffects(qvrfc::ChartsOf(analysis).at(0).mainEffects,
                                                   qvrfc::ChartFormat::Svg);
    Expect(svg.find("<svg") != std::string::npos, "charts: main effects in memory");

    Expect(std::strcmp(qvrfc::Version(), QVRFC_VERSION_STRING) == 0 &&
               QVRFC_VERSION_NUMBER ==
                   10000 * QVRFC_VERSION_MAJOR + 100 * QVRFC_VERSION_MINOR + QVRFC_VERSION_PATCH,
           "version: library and headers");
    std::printf("consumer: version %s, C++%ld\n", qvrfc::Version(), __cplusplus / 100 % 100);
#if __cplusplus >= 202002L
    const double levels[] = {1.0, 2.0, 3.0};
    Expect(std::span<const double>(levels).size() == 3, "C++20: std::span");
#endif
    return failures == 0 ? 0 : 1;
}
