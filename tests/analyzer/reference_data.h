// Reference experiments shared by the analyzer tests: data set B (L9, five
// observations per run) and data set C (L18, seven per run), with helpers that
// enter them the way a host does.
#pragma once

#include <cmath>
#include <vector>

#include "analyzer/QVRFCDOEAnalyzer.h"

namespace reference {

using Runs = std::vector<std::vector<double>>;

inline const Runs kDataSetB = {
    {69.7, 72.4, 55.0, 65.3, 68.7},      {78.6, 75.3, 67.2, 70.3, 72.3},
    {74.6, 70.2, 65.3, 71.6, 68.9},      {83.2, 90.2, 75.4, 88.1, 91.3},
    {93.6, 93.4, 104.8, 101.3, 97.8},    {98.3, 105.0, 115.0, 108.6, 110.3},
    {124.0, 110.0, 122.9, 115.3, 117.8}, {117.0, 101.0, 113.0, 105.6, 114.6},
    {114.0, 111.0, 109.3, 105.3, 107.5}};

inline const Runs kDataSetC = {{10.18, 10.18, 10.12, 10.06, 10.02, 9.98, 10.20},
                               {10.03, 10.01, 9.98, 9.96, 9.91, 9.89, 10.12},
                               {9.81, 9.78, 9.74, 9.74, 9.71, 9.68, 9.87},
                               {10.09, 10.08, 10.07, 9.99, 9.92, 9.88, 10.14},
                               {10.06, 10.05, 10.05, 9.89, 9.85, 9.78, 10.12},
                               {10.20, 10.19, 10.18, 10.17, 10.14, 10.13, 10.22},
                               {9.91, 9.88, 9.88, 9.84, 9.82, 9.80, 9.93},
                               {10.32, 10.28, 10.25, 10.20, 10.18, 10.18, 10.36},
                               {10.04, 10.02, 10.01, 9.98, 9.95, 9.89, 10.11},
                               {10.00, 9.98, 9.93, 9.80, 9.77, 9.70, 10.15},
                               {9.97, 9.97, 9.91, 9.88, 9.87, 9.85, 10.05},
                               {10.06, 9.94, 9.90, 9.88, 9.80, 9.72, 10.12},
                               {10.15, 10.08, 10.04, 9.98, 9.91, 9.90, 10.22},
                               {9.91, 9.87, 9.86, 9.87, 9.85, 9.80, 10.02},
                               {10.02, 10.00, 9.95, 9.92, 9.78, 9.71, 10.06},
                               {10.08, 10.00, 9.99, 9.95, 9.92, 9.85, 10.14},
                               {10.07, 10.02, 9.89, 9.89, 9.85, 9.76, 10.19},
                               {10.10, 10.08, 10.05, 9.99, 9.97, 9.95, 10.12}};

// Enters one run with the Start / Add / End sequence; returns End's result.
inline int EnterRun(CQVRFCDOEAnalyzer& analyzer, int quality, int run,
                    const std::vector<double>& values) {
    if (!analyzer.AddQualityValueStart(quality, run)) return 0;
    for (double value : values)
        analyzer.AddQualityValue(value);
    double average = 0.0, deviation = 0.0;
    return analyzer.AddQualityValueEnd(average, deviation);
}

inline void EnterRuns(CQVRFCDOEAnalyzer& analyzer, int quality, const Runs& runs) {
    for (int run = 0; run < static_cast<int>(runs.size()); ++run)
        EnterRun(analyzer, quality, run, runs[run]);
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
    EnterRuns(analyzer, 0, kDataSetB);
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

}  // namespace reference
