// Analyses and chart inputs shared by the chart and report page tests.
#pragma once

#include <cmath>
#include <string>

#include "analyzer/reference_data.h"
#include "qvrfc/analysis/Analysis.h"
#include "qvrfc/analyzer/QVRFCDOEAnalyzer.h"
#include "qvrfc/charts/ChartData.h"

namespace qvrfc_test {

// Data set B (L9, four 3-level factors, five observations a run) with the S/N ratio
// 10 log10(mean^2 / s^2), the figures R's aov was run on.
inline void SetUpNominalDataSetB(CQVRFCDOEAnalyzer& analyzer) {
    analyzer.SetupDOE(1, CQVRFCDOETaguchiOrthogonalArray::OA_L9, nullptr);
    analyzer.SetQualityCharacteristic(0, CQVRFCDOEAnalyzer::NOMINAL_THE_BEST_3, 0.0);
    for (int run = 0; run < 9; ++run)
        reference::EnterRun(analyzer, 0, run, reference::kDataSetB[run]);
}

// The analysis of data set B as a data file gives it: factors A to D on the L9's columns.
inline qvrfc::Analysis NominalDataSetB() {
    auto analyzer = std::make_shared<CQVRFCDOEAnalyzer>();
    SetUpNominalDataSetB(*analyzer);
    qvrfc::AnalysisSettings settings;
    settings.sn.push_back(qvrfc::ParseSnSetting("1=nominal3"));
    return qvrfc::AnalyzeEngine(analyzer, settings);
}

// Main effects of 40 three-level factors (an L81) with long names and labels.
inline qvrfc::MainEffects FortyFactorMainEffects() {
    qvrfc::MainEffects chart;
    chart.response = "Surface roughness";
    qvrfc::EffectSeries series{"S/N ratio (dB)", {}, -12.0, {}};
    for (int f = 0; f < 40; ++f) {
        chart.factors.push_back(
            {"Spindle temperature " + std::to_string(f + 1), "°C", {"150.25", "170.50", "190.75"}});
        series.means.push_back({-12.0 - f * 0.1, -12.0, -11.0 + f * 0.05});
        series.best.push_back(2);
    }
    chart.series = {series, series};
    chart.series[1].title = "Mean";
    return chart;
}

// An interaction plot of a 3-level and a 2-level factor; one cell is missing.
inline qvrfc::InteractionPlot TemperatureByPressure() {
    return {"Yield",
            {"Temperature", "°C", {"150", "170", "190"}},
            {"Pressure", "bar", {"2.5", "4"}},
            {{"Mean", {{60.0, 62.0}, {64.0, 70.0}, {63.0, NAN}}},
             {"S/N ratio (dB)", {{35.6, 35.8}, {36.1, 36.9}, {36.0, NAN}}}}};
}

}  // namespace qvrfc_test
