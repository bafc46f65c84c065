// Short names and reference experiments shared by the analyzer tests: data set B (L9, five
// observations per run), a hand-worked L4, with helpers that enter runs the way a host does.
#pragma once

#include <cmath>
#include <vector>

#include "qvrfc/analyzer/QVRFCDOEAnalyzer.h"
#include "qvrfc/common/QVRFCTextFormat.h"

using Analyzer = CQVRFCDOEAnalyzer;
using Array = CQVRFCDOETaguchiOrthogonalArray;
constexpr auto kQuality = Analyzer::FACTOR_EFFECT_QUALITY;
constexpr auto kStdev = Analyzer::FACTOR_EFFECT_STDEV;
constexpr auto kSN = Analyzer::FACTOR_EFFECT_SN_RATIO;

namespace reference {

inline const std::vector<std::vector<double>> kDataSetB = {
    {69.7, 72.4, 55.0, 65.3, 68.7},      {78.6, 75.3, 67.2, 70.3, 72.3},
    {74.6, 70.2, 65.3, 71.6, 68.9},      {83.2, 90.2, 75.4, 88.1, 91.3},
    {93.6, 93.4, 104.8, 101.3, 97.8},    {98.3, 105.0, 115.0, 108.6, 110.3},
    {124.0, 110.0, 122.9, 115.3, 117.8}, {117.0, 101.0, 113.0, 105.6, 114.6},
    {114.0, 111.0, 109.3, 105.3, 107.5}};

// Enters one run with the Start / Add / End sequence; returns End's result.
inline int EnterRun(CQVRFCDOEAnalyzer& analyzer, int quality, int run,
                    const std::vector<double>& values) {
    if (!analyzer.AddQualityValueStart(quality, run)) return 0;
    for (double value : values)
        analyzer.AddQualityValue(value);
    double average = 0.0, deviation = 0.0;
    return analyzer.AddQualityValueEnd(average, deviation);
}

// Every factor's control factor value becomes its level number in the run.
inline void SetLevelNumbersAsValues(CQVRFCDOEAnalyzer& analyzer) {
    for (int run = 0; run < analyzer.GetNoRun(); ++run)
        for (int f = 0; f < analyzer.GetNoFactor(); ++f)
            analyzer.SetControlFactorValue(run, f, analyzer.GetLevel(run, f));
}

// Data set B on L9 as larger-the-better, control factor values set to level numbers.
inline void SetUpDataSetB(CQVRFCDOEAnalyzer& analyzer) {
    analyzer.SetupDOE(1, CQVRFCDOETaguchiOrthogonalArray::OA_L9, nullptr);
    analyzer.SetQualityCharacteristic(0, CQVRFCDOEAnalyzer::LARGER_THE_BETTER, 0.0);
    for (int run = 0; run < 9; ++run)
        EnterRun(analyzer, 0, run, kDataSetB[run]);
    SetLevelNumbersAsValues(analyzer);
}

// L4 (A reads 1,1,2,2, B 1,2,1,2, C 1,2,2,1 down the runs), larger-the-better,
// one observation per run chosen so that the run's S/N ratio is the given dB.
inline void SetUpL4SNRatios(CQVRFCDOEAnalyzer& analyzer, const std::vector<double>& decibels) {
    analyzer.SetupDOE(1, CQVRFCDOETaguchiOrthogonalArray::OA_L4, nullptr);
    analyzer.SetQualityCharacteristic(0, CQVRFCDOEAnalyzer::LARGER_THE_BETTER, 0.0);
    for (int run = 0; run < 4; ++run)
        EnterRun(analyzer, 0, run, {std::pow(10.0, decibels[run] / 20)});
    SetLevelNumbersAsValues(analyzer);
}

// Level values per factor: level l of every factor has the value values[l].
struct LevelTable {
    LevelTable(int nFactor, std::vector<double> values)
        : rows(static_cast<size_t>(nFactor), std::move(values)) {
        for (auto& row : rows)
            pointers.push_back(row.data());
    }
    double** get() { return pointers.data(); }
    std::vector<std::vector<double>> rows;
    std::vector<double*> pointers;
};

// The L4 experiment worked out by hand: factor values 10 (level 1) and 20 (level 2), one
// quality, runs with averages 10, 12, 14, 20 and observations one unit below and above.
inline void SetupHandWorkedL4(CQVRFCDOEAnalyzer& analyzer) {
    LevelTable table(3, {10.0, 20.0});
    analyzer.SetupDOE(1, CQVRFCDOETaguchiOrthogonalArray::OA_L4, table.get());
    const double averages[4] = {10.0, 12.0, 14.0, 20.0};
    for (int run = 0; run < 4; ++run)
        EnterRun(analyzer, 0, run, {averages[run] - 1.0, averages[run] + 1.0});
}

}  // namespace reference
