// The analyzer's reference scenarios Test1 to Test7. Each drives one part of the analysis
// with a fixed experiment and prints what it computes; none judges the results.
#include <cstdio>

#include "common/QVRFCReportStyle.h"
#include "qvrfc/analyzer/QVRFCDOEAnalyzer.h"
#include "scenarios/ScenarioData.h"

namespace {

using Analyzer = CQVRFCDOEAnalyzer;
using namespace qvrfc::scenario;

// Enters the observations of one run through the Start/Add/End sequence.
void EnterRun(Analyzer& analyzer, int quality, int run, const double* values, int count) {
    analyzer.AddQualityValueStart(quality, run);
    for (int i = 0; i < count; ++i)
        analyzer.AddQualityValue(values[i]);
    double average = 0.0;
    double standardDeviation = 0.0;
    analyzer.AddQualityValueEnd(average, standardDeviation);
}

// Gives every control factor of a run its level number as its value.
void SetLevelNumbersAsValues(Analyzer& analyzer, int run) {
    for (int f = 0; f < analyzer.GetNoFactor(); ++f)
        analyzer.SetControlFactorValue(run, f, analyzer.GetLevel(run, f));
}

// "Run#n", the control factor values and the observations of a run.
void PrintRunValues(FILE* stream, const Analyzer& analyzer, int run) {
    std::fprintf(stream, "Run#%d ", run + 1);
    for (int f = 0; f < analyzer.GetNoFactor(); ++f)
        std::fprintf(stream, "%2.0f ", analyzer.GetControlFactorValue(run, f));
    for (int k = 0; k < analyzer.GetRunNoQualityData(0, run); ++k)
        std::fprintf(stream, "%5.1f ", analyzer.GetQualityValue(0, run, k));
}

// The run quality and factor effect sections of a loaded experiment: plain to standard
// output, comma-separated to the result file (skipped when it cannot be created).
void WriteLoadedSections(const Analyzer& analyzer, const char* resultFile) {
    analyzer.WriteRunQualityData(stdout, 0, "[Run Quality Data]");
    analyzer.WriteFactorEffectData(stdout, 0, "[Factor Effect]");
    FILE* file = std::fopen(resultFile, "w");
    if (!file) return;
    analyzer.WriteRunQualityData(file, 1, "[Run Quality Data]");
    analyzer.WriteFactorEffectData(file, 1, "[Factor Effect]");
    std::fclose(file);
}

// Number formats of the printed ANOVA tables; factorSS null leaves out the factor sum of squares.
struct AnovaFormats {
    const char* factorSS;
    const char* factorRow;  // degrees of freedom, variance, contribution %, F value
    const char* errorSS;
    const char* errorRow;  // degrees of freedom, variance, contribution %, standard deviation
    const char* total;
};
constexpr AnovaFormats kAnovaOneDecimal{
    "SS = %10.1f ", "DOF= %2d Variance=%10.1lf(%3.1lf%%)  FValue=%10.1lf\n",
    "Error     SS = %10.1f ", "DOF= %2d  Variance=%8.2lf(%3.1lf%%) STDEV= %.2lf\n",
    "Sum of Squares (Total)       =%10.2lf "};
constexpr AnovaFormats kAnovaTwoDecimalsNoSS{
    nullptr, "DOF= %2d Variance=%10.2lf(%3.1lf%%)  FValue=%10.2lf\n", kAnovaOneDecimal.errorSS,
    kAnovaOneDecimal.errorRow, kAnovaOneDecimal.total};
constexpr AnovaFormats kAnovaThreeDecimals{
    "SS = %10.3f ", "DOF= %2d Variance=%10.3lf(%3.1lf%%)  FValue=%10.2lf\n",
    "Error     SS = %10.3f ", "DOF= %2d  Variance=%10.3lf(%3.1lf%%) STDEV= %.3lf\n",
    "Sum of Squares (Total)       =%10.3lf "};
constexpr const char* kAnovaRule =
    "----------------------------------------------------------------------------\n";

void PrintAnovaFactorRow(FILE* stream, const Analyzer& analyzer, int factor,
                         Analyzer::FACTOR_EFFECT_TYPE type, double errorVariance,
                         const AnovaFormats& formats) {
    std::fprintf(stream, "Factor#%2d ", factor + 1);
    if (analyzer.IsFactorPooled(0, factor) != 0) {
        std::fputs(qvrfc::kPooledFactorRow, stream);
        return;
    }
    int dof = 0;
    double fValue = 0.0;
    double percent = 0.0;
    const double ss = analyzer.GetFactorSumsOfSquares(0, factor, dof, type, 1);
    const double variance =
        analyzer.GetFactorVariance(0, factor, ss, dof, errorVariance, fValue, percent, type);
    if (formats.factorSS) std::fprintf(stream, formats.factorSS, ss);
    std::fprintf(stream, formats.factorRow, dof, variance, percent, fValue);
}

// One ANOVA table of quality 0 for one response.
void PrintAnovaTable(FILE* stream, const Analyzer& analyzer, Analyzer::FACTOR_EFFECT_TYPE type,
                     const AnovaFormats& formats) {
    int errorDof = 0;
    double errorSD = 0.0;
    double errorPercent = 0.0;
    double errorSS = analyzer.GetErrorSumsOfSquares(0, errorDof, type);
    double errorVariance =
        analyzer.GetErrorVariance(0, errorSS, errorDof, errorSD, errorPercent, type);
    std::fputs(kAnovaRule, stream);
    for (int f = 0; f < analyzer.GetNoFactor(); ++f)
        PrintAnovaFactorRow(stream, analyzer, f, type, errorVariance, formats);
    errorSS = analyzer.GetErrorSumsOfSquares(0, errorDof, type);
    errorVariance = analyzer.GetErrorVariance(0, errorSS, errorDof, errorSD, errorPercent, type);
    std::fprintf(stream, formats.errorSS, errorSS);
    std::fprintf(stream, formats.errorRow, errorDof, errorVariance, errorPercent, errorSD);
    std::fputs(kAnovaRule, stream);
    int totalDof = 0;
    std::fprintf(stream, formats.total, analyzer.GetTotalSumsOfSquares(0, totalDof, type));
    std::fprintf(stream, "Total DOE= %2d\n", totalDof);
}

// A response table of quality 0: level effects, effects and best levels of every factor.
void PrintResponseTable(FILE* stream, const Analyzer& analyzer, const char* heading,
                        Analyzer::FACTOR_EFFECT_TYPE type) {
    const int nFactor = analyzer.GetNoFactor();
    std::fputs(heading, stream);
    std::fprintf(stream, "Factor   ");
    for (int f = 0; f < nFactor; ++f)
        std::fprintf(stream, "%6d ", f + 1);
    std::fprintf(stream, "\n");
    for (int l = 0; l < analyzer.GetNoLevel(); ++l) {
        std::fprintf(stream, "Level#%d  ", l + 1);
        for (int f = 0; f < nFactor; ++f)
            std::fprintf(stream, "%6.2f ", analyzer.GetFactorLevelEffect(0, f, l, type));
        std::fprintf(stream, "\n");
    }
    std::fprintf(stream, "Effect   ");
    for (int f = 0; f < nFactor; ++f)
        std::fprintf(stream, "%6.2f ", analyzer.GetFactorEffect(0, f, type, 1));
    std::fprintf(stream, "\n");
    std::fprintf(stream, "BestLevel");
    for (int f = 0; f < nFactor; ++f)
        std::fprintf(stream, "%6d ", analyzer.GetLargestResponseControlFactorLevel(0, f, type) + 1);
    std::fprintf(stream, "\n");
}

void PrintSNRatioPrediction(FILE* stream, const Analyzer& analyzer, const char* format,
                            const int* levels) {
    std::fprintf(stream, format, analyzer.PredictSNRatio(0, levels));
}

void PrintBestSNRatioPrediction(FILE* stream, const Analyzer& analyzer, double threshold) {
    int levels[4] = {-1, -1, -1, -1};
    const double best = analyzer.PredictBestSNRatio(0, levels, threshold);
    std::fprintf(stream, "Predicted Best S/N-Ratio for = %.2lf ", best);
    std::fprintf(stream, " (A%dB%dC%dD%d)\n", levels[0] + 1, levels[1] + 1, levels[2] + 1,
                 levels[3] + 1);
}

// Larger-the-better runs of data set B entered for one quality, with level numbers as values.
void EnterDataSetB(Analyzer& analyzer, int quality) {
    for (int run = 0; run < kDataSetBRuns; ++run) {
        EnterRun(analyzer, quality, run, kDataSetB[run], kDataSetBValues);
        SetLevelNumbersAsValues(analyzer, run);
    }
}

}  // namespace

int CQVRFCDOEAnalyzer::Test1(FILE* stream) {
    std::fprintf(stream,
                 "\n\n@@@( Test#1 : Set run quality data,evaluate factor effect and averaged "
                 "value...Start\n");
    CQVRFCDOEAnalyzer analyzer;
    analyzer.LoadData("DOETest1.ipt");
    WriteLoadedSections(analyzer, "DOETest1Result.csv");
    std::fprintf(stream,
                 "\n\n@@@( Test#1 : Set run quality data,evaluate factor effect and averaged "
                 "value...OK\n\n");
    return 1;
}

int CQVRFCDOEAnalyzer::Test2(FILE* stream) {
    std::fprintf(stream,
                 "\n\n@@@( Test#2 : Set run multiple quality data,evaluate factor effect and "
                 "averaged value...Start\n");
    CQVRFCDOEAnalyzer analyzer;
    analyzer.LoadData("DOETest2.ipt");
    WriteLoadedSections(analyzer, "DOETest2Result.csv");
    std::fprintf(stream,
                 "\n\n@@@( Test#2 : Set run quality data,evaluate factor effect and averaged "
                 "value...OK\n\n");
    return 1;
}

int CQVRFCDOEAnalyzer::Test3(FILE* stream) {
    std::fprintf(stream, "\n\n@@@( Test#3 : SN-Ratio function test...BEGIN\n");
    CQVRFCDOEAnalyzer analyzer;
    analyzer.SetupDOE(1, CQVRFCDOETaguchiOrthogonalArray::OA_L9, nullptr);
    std::fprintf(stream, "@@@( nFactor=%d,nLevel=%d,DOE Array=%s\n", 4, 3,
                 analyzer.GetDOEArrayName().GetString());
    for (int run = 0; run < kSNRatioRunCount; ++run) {
        const SNRatioRun& data = kSNRatioRuns[run];
        EnterRun(analyzer, 0, run, data.values, data.count);
        const double snRatio = analyzer.GetSNRatio(0, run, data.type, data.target);
        std::fprintf(stream, "Run#%d   Ave=%8.3f   STDEV=%8.3f   S/N=%8.2f\n", run + 1,
                     analyzer.GetRunQualityValue(0, run), analyzer.GetRunStandardDeviation(0, run),
                     snRatio);
    }
    std::fprintf(stream, "\n\n@@@( Test#3 : SN-Ratio function test...END\n");
    return 1;
}

int CQVRFCDOEAnalyzer::Test4(FILE* stream) {
    std::fprintf(stream, "\n\n@@@( Test#4 : SN-Ratio function test...BEGIN\n");
    CQVRFCDOEAnalyzer analyzer;
    if (analyzer.LoadData("DOETest2.ipt"))
        analyzer.SetQualityCharacteristic(0, LARGER_THE_BETTER, 0.0);
    WriteLoadedSections(analyzer, "DOETest4Result.csv");
    std::fprintf(stream, "\nS/N-RATIO PREDICTION...\n");
    const int allSecond[4] = {1, 1, 1, 1};
    const int secondAD[4] = {1, -1, -1, 1};
    const int allThirdButD[4] = {2, 2, 2, 1};
    const int thirdASecondD[4] = {2, -1, -1, 1};
    PrintSNRatioPrediction(stream, analyzer, "Predicted S/N-Ratio for A2B2C2D2= %.2lf\n",
                           allSecond);
    PrintSNRatioPrediction(stream, analyzer, "Predicted S/N-Ratio for A2D2= %.2lf\n", secondAD);
    PrintSNRatioPrediction(stream, analyzer, "Predicted S/N-Ratio for A3B3C3D2= %.2lf\n",
                           allThirdButD);
    PrintSNRatioPrediction(stream, analyzer, "Predicted S/N-Ratio for A3D2= %.2lf\n",
                           thirdASecondD);
    PrintBestSNRatioPrediction(stream, analyzer, 0.0);
    PrintBestSNRatioPrediction(stream, analyzer, 0.7);
    std::fprintf(stream, "\n\n@@@( Test#4 : SN-Ratio function test...END\n");
    return 1;
}

int CQVRFCDOEAnalyzer::Test5(FILE* stream) {
    std::fprintf(stream,
                 "\n\n@@@( Test#5 : The-Larger-the-Best Case ANOVA function test...BEGIN\n");
    CQVRFCDOEAnalyzer analyzer;
    analyzer.SetupDOE(1, CQVRFCDOETaguchiOrthogonalArray::OA_L9, nullptr);
    analyzer.SetQualityCharacteristic(0, LARGER_THE_BETTER, 0.0);
    for (int run = 0; run < kDataSetBRuns; ++run) {
        EnterRun(analyzer, 0, run, kDataSetB[run], kDataSetBValues);
        SetLevelNumbersAsValues(analyzer, run);
        PrintRunValues(stream, analyzer, run);
        std::fprintf(stream, "Ave=%8.3f   STDEV=%8.3f   MSD=%.4le  COV= %.4le S/N=%8.2f\n",
                     analyzer.GetRunQualityValue(0, run), analyzer.GetRunStandardDeviation(0, run),
                     analyzer.GetMeanSquareDeviation(0, run),
                     analyzer.GetCoefficientOfVariation(0, run), analyzer.GetSNRatio(0, run));
    }
    std::fprintf(stream, "Grand Average=%.2f, Averaged STDEV=%.2f, Averaged S/N Ratio=%.2f\n",
                 analyzer.GetAveragedQualityValue(0), analyzer.GetAveragedStandardDeviationValue(0),
                 analyzer.GetAveragedSNRatio(0));
    PrintResponseTable(stream, analyzer, "\nFACTOR EFFECT ON QUALITY\n", FACTOR_EFFECT_QUALITY);
    PrintResponseTable(stream, analyzer, "\nFACTOR EFFECT ON STANDARD DEVIATION\n",
                       FACTOR_EFFECT_STDEV);
    PrintResponseTable(stream, analyzer, "\nFACTOR EFFECT ON S/N Ratio\n", FACTOR_EFFECT_SN_RATIO);

    std::fprintf(stream, "\nANOVA Analysis of Quality\n");
    PrintAnovaTable(stream, analyzer, FACTOR_EFFECT_QUALITY, kAnovaOneDecimal);
    std::fprintf(stream, "\nPool B factor...\n");
    analyzer.SetFactorPooled(0, 1, 1);
    PrintAnovaTable(stream, analyzer, FACTOR_EFFECT_QUALITY, kAnovaOneDecimal);
    std::fprintf(stream, "\nPool B and C factor...\n");
    analyzer.SetFactorPooled(0, 2, 1);
    PrintAnovaTable(stream, analyzer, FACTOR_EFFECT_QUALITY, kAnovaOneDecimal);
    analyzer.ResetAllFactorUnpooled(0);

    std::fprintf(stream, "\nANOVA Analysis of S/N Ratio\n");
    PrintAnovaTable(stream, analyzer, FACTOR_EFFECT_SN_RATIO, kAnovaOneDecimal);
    std::fprintf(stream, "\nPool  C factor...\n");
    analyzer.SetFactorPooled(0, 2, 1);
    PrintAnovaTable(stream, analyzer, FACTOR_EFFECT_SN_RATIO, kAnovaOneDecimal);
    std::fprintf(stream, "\nPool  B,C,D factor...\n");
    analyzer.SetFactorPooled(0, 1, 1);
    analyzer.SetFactorPooled(0, 3, 1);
    PrintAnovaTable(stream, analyzer, FACTOR_EFFECT_SN_RATIO, kAnovaTwoDecimalsNoSS);
    std::fprintf(stream, "\n\n@@@( Test#5 : SN-Ratio function test...END\n");
    return 1;
}

int CQVRFCDOEAnalyzer::Test6(FILE* stream) {
    std::fprintf(stream, "\n\n@@@( Test#6 : Nominal-the-Best Case ANOVA function test...BEGIN\n");
    CQVRFCDOEAnalyzer analyzer;
    analyzer.SetupDOE(1, CQVRFCDOETaguchiOrthogonalArray::OA_L18, nullptr);
    analyzer.SetQualityCharacteristic(0, NOMINAL_THE_BEST_3, 0.0);
    for (int run = 0; run < kDataSetCRuns; ++run)
        EnterRun(analyzer, 0, run, kDataSetC[run], kDataSetCValues);
    for (int run = 0; run < kDataSetCRuns; ++run) {
        SetLevelNumbersAsValues(analyzer, run);
        PrintRunValues(stream, analyzer, run);
        std::fprintf(stream, "Ave=%8.2f   STDEV=%8.3f  S/N=%8.1f \n",
                     analyzer.GetRunQualityValue(0, run), analyzer.GetRunStandardDeviation(0, run),
                     analyzer.GetSNRatio(0, run));
    }
    std::fprintf(stream, "\nANOVA analysis of S/N Ratio ...\n");
    PrintAnovaTable(stream, analyzer, FACTOR_EFFECT_SN_RATIO, kAnovaThreeDecimals);
    std::fprintf(stream, "\nANOVA analysis of S/N Ratio ...Pool Factor#6\n");
    analyzer.SetFactorPooled(0, 5, 1);
    PrintAnovaTable(stream, analyzer, FACTOR_EFFECT_SN_RATIO, kAnovaThreeDecimals);
    std::fprintf(stream, "\n\n@@@( Test#6 : Nominal-the-Best Case ANOVA function test...END\n");
    return 1;
}

int CQVRFCDOEAnalyzer::Test7(FILE* stream) {
    std::fprintf(stream, "\n\n@@@( Test#7 : DOE control ID specify and writer test...BEGIN\n");
    CQVRFCDOEAnalyzer analyzer;
    if (!analyzer.SetupDOE(2, CQVRFCDOETaguchiOrthogonalArray::OA_L9, nullptr)) return 0;
    for (int q = 0; q < 2; ++q)
        analyzer.SetQualityCharacteristic(q, LARGER_THE_BETTER, 0.0);
    for (int q = 0; q < 2; ++q) {
        CString message;
        if (!analyzer.CheckControlFactorID(message))
            std::fprintf(stream, "@@@@( ERROR: %s\n", message.GetString());
        EnterDataSetB(analyzer, q);
    }
    analyzer.Writer("VUROROZuruza_ANOVA.log", "VUROROZuruza");
    analyzer.Writer("VUROROZuruza_ANOVA.csv", "VUROROZuruza");
    std::fprintf(stream, "\n\n@@@( Test#7 : DOE control ID specify and writer test..END\n");
    return 1;
}
