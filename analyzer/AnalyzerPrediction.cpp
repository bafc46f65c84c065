// Predictions by the additive model: the grand average plus, for every factor
// that takes part, its level effect's deviation from the grand average.
#include <vector>

#include "common/QVRFCReportStyle.h"
#include "qvrfc/analyzer/QVRFCDOEAnalyzer.h"
#include "qvrfc/common/QVRFCConstants.h"

namespace {

// Result of the S/N predictions when the grand average S/N ratio is not positive.
constexpr double kNoSNPrediction = -1.0;

}  // namespace

// Recomputes the stored S/N ratio of every run; levels[f] < 0 leaves factor f out.
double CQVRFCDOEAnalyzer::PredictSNRatio(int quality, const int* levels) const {
    if (!IsQuality(quality) || !levels) return kNoSNPrediction;
    const double mean = GetAveragedSNRatio(quality);
    if (mean < qvrfc::kNearZero) return kNoSNPrediction;
    double prediction = mean;
    for (int f = 0; f < m_nFactor; ++f) {
        if (levels[f] < 0) continue;
        prediction += GetFactorLevelEffect(quality, f, levels[f], FACTOR_EFFECT_SN_RATIO) - mean;
    }
    return prediction;
}

// Every factor at its best S/N level, except those whose absolute effect is below
// the threshold (their entry becomes -1). The levels written reproduce the value
// through PredictSNRatio.
double CQVRFCDOEAnalyzer::PredictBestSNRatio(int quality, int* levels, double threshold) const {
    if (!IsQuality(quality) || !levels) return kNoSNPrediction;
    const double mean = GetAveragedSNRatio(quality);
    if (mean < qvrfc::kNearZero) return kNoSNPrediction;
    double prediction = mean;
    for (int f = 0; f < m_nFactor; ++f) {
        const int best = GetLargestResponseControlFactorLevel(quality, f, FACTOR_EFFECT_SN_RATIO);
        if (GetFactorEffect(quality, f, FACTOR_EFFECT_SN_RATIO, 1) < threshold) {
            levels[f] = -1;
            continue;
        }
        levels[f] = best;
        prediction += GetFactorLevelEffect(quality, f, best, FACTOR_EFFECT_SN_RATIO) - mean;
    }
    return prediction;
}

// At the given levels, or at each factor's best level when levels is null; only
// factors whose absolute effect reaches the threshold take part.
double CQVRFCDOEAnalyzer::PredictResponseValue(int quality, FACTOR_EFFECT_TYPE type,
                                               const int* levels, double threshold) const {
    if (!IsQuality(quality)) return 0.0;
    const double mean = GetAveragedResponseValue(quality, type);
    double prediction = mean;
    for (int f = 0; f < m_nFactor; ++f) {
        const int level =
            levels ? levels[f] : GetLargestResponseControlFactorLevel(quality, f, type);
        if (level < 0 || GetFactorEffect(quality, f, type, 1) < threshold) continue;
        prediction += GetFactorLevelEffect(quality, f, level, type) - mean;
    }
    return prediction;
}

// At the best levels of every factor, or with bTopHalf 1 of the stronger half
// (ranks below nFactor / 2); combination names the factors used, as "A2B2C1".
double CQVRFCDOEAnalyzer::PredictResponseValue(int quality, FACTOR_EFFECT_TYPE type, int bTopHalf,
                                               CString& combination) const {
    combination.Empty();
    if (!IsQuality(quality)) return 0.0;
    std::vector<int> ranks(m_nFactor, 0);
    if (bTopHalf == 1) GetResponseRank(quality, type, ranks.data());
    const int half = m_nFactor / 2;
    const double mean = GetAveragedResponseValue(quality, type);
    double prediction = mean;
    for (int f = 0; f < m_nFactor; ++f) {
        if (bTopHalf == 1 && ranks[f] + 1 > half) continue;
        const int best = GetLargestResponseControlFactorLevel(quality, f, type);
        combination.AppendFormat("%s%d", qvrfc::FactorName(f).c_str(), best + 1);
        prediction += GetFactorLevelEffect(quality, f, best, type) - mean;
    }
    return prediction;
}
