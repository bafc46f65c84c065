// The verdict's text of analyses held in an engine: pooled factors, constant observations,
// a declared interaction with its tables, and the notes.
#include <gtest/gtest.h>

#include <memory>

#include "qvrfc/analysis/Analysis.h"
#include "qvrfc/results/VerdictReport.h"
#include "support/golden.h"

namespace {

using Array = CQVRFCDOETaguchiOrthogonalArray;

// y = 20 + 3a - 2b + 1.5c^2 + 0.5d + ((7 run + 13 k) mod 11) / 4 for the levels a..d (from 1)
// of the first four factors, run and repetition k counted from 0.
std::shared_ptr<CQVRFCDOEAnalyzer> L8WithTwoRepetitions() {
    auto analyzer = std::make_shared<CQVRFCDOEAnalyzer>();
    analyzer->SetupDOE(1, Array::OA_L8, nullptr);
    for (int r = 0; r < 8; ++r) {
        const auto level = [&](int f) { return double(analyzer->GetLevel(r, f)); };
        for (int k = 0; k < 2; ++k)
            analyzer->AppendQualityValue(0, r,
                                         20 + 3 * level(0) - 2 * level(1) +
                                             1.5 * level(2) * level(2) + 0.5 * level(3) +
                                             ((r * 7 + k * 13) % 11) / 4.0);
    }
    return analyzer;
}

std::shared_ptr<CQVRFCDOEAnalyzer> Engine(Array::OA_TYPE array, const std::vector<double>& y) {
    auto analyzer = std::make_shared<CQVRFCDOEAnalyzer>();
    analyzer->SetupDOE(1, array, nullptr);
    for (size_t i = 0; i < y.size(); ++i)
        analyzer->AppendQualityValue(0, static_cast<int>(i % analyzer->GetNoRun()), y[i]);
    return analyzer;
}

qvrfc::AnalysisSettings Settings(const std::vector<std::string>& sn,
                                 const std::vector<std::string>& pools,
                                 const std::vector<std::string>& interactions = {}) {
    qvrfc::AnalysisSettings settings;
    for (const std::string& text : sn)
        settings.sn.push_back(qvrfc::ParseSnSetting(text));
    for (const std::string& text : pools)
        settings.pools.push_back(qvrfc::ParsePoolSetting(text));
    settings.interactions = interactions;
    return settings;
}

// Texts that show no number that does not exist (no "nan", no "inf").
TEST(VerdictText, PooledConstantAndInteraction) {
    qvrfc_test::ExpectGolden("verdict_l8.txt",
                             qvrfc::VerdictText(qvrfc::AnalyzeEngine(
                                 L8WithTwoRepetitions(), Settings({"1=larger"}, {"1=F,G"}))));
    qvrfc_test::ExpectGolden(
        "inference/verdict_constant_l4.txt",
        qvrfc::VerdictText(qvrfc::AnalyzeEngine(Engine(Array::OA_L4, std::vector<double>(8, 5.0)),
                                                Settings({"1=nominal2"}, {}))));
    qvrfc_test::ExpectGolden(
        "verdict_interaction_l8.txt",
        qvrfc::VerdictText(qvrfc::AnalyzeEngine(
            Engine(Array::OA_L8, {12.4, 15.1, 13.8, 19.6, 11.2, 14.9, 16.3, 22.5}),
            Settings({"1=larger"}, {"1=E,F,G"}, {"A*B"}))));
}

}  // namespace
