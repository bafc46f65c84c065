// Response tables of one quality: grand averages, level effects, factor effects,
// ranks, best levels and the name of the best level combination.
#include <cmath>
#include <vector>

#include "common/QVRFCReportStyle.h"
#include "qvrfc/analyzer/QVRFCDOEAnalyzer.h"
#include "qvrfc/common/QVRFCConstants.h"

namespace {

// Shell sort, ascending: gap 3 first, then halved after each pass, ending with one
// pass at gap 1; an element moves down while the one a gap before it is greater.
void ShellSort(std::vector<double>& values) {
    const int count = static_cast<int>(values.size());
    for (int gap = 3;; gap /= 2) {
        if (gap == 0) gap = 1;
        for (int i = gap; i < count; ++i) {
            const double value = values[i];
            int j = i;
            for (; j >= gap && values[j - gap] > value; j -= gap)
                values[j] = values[j - gap];
            values[j] = value;
        }
        if (gap == 1) break;
    }
}

}  // namespace

// ---- Per-run responses and grand averages ----

double CQVRFCDOEAnalyzer::RunResponse(int quality, int run, FACTOR_EFFECT_TYPE type) const {
    if (!IsRecord(quality, run)) return 0.0;
    CQVRFCDOERunQualityData& record = Record(quality, run);
    switch (type) {
        case FACTOR_EFFECT_QUALITY:
            return record.GetAverageValue();
        case FACTOR_EFFECT_STDEV:
            return record.GetStandardDeviationValue();
        case FACTOR_EFFECT_SN_RATIO:
            return record.m_dSNRatio;  // as last stored by GetSNRatio
    }
    return 0.0;
}

double CQVRFCDOEAnalyzer::ResponseTotal(int quality, FACTOR_EFFECT_TYPE type) const {
    double total = 0.0;
    for (int run = 0; run < m_nRun; ++run)
        total += RunResponse(quality, run, type);
    return total;
}

double CQVRFCDOEAnalyzer::GetAveragedQualityValue(int quality) const {
    if (!IsQuality(quality)) return 0.0;
    const double total = ResponseTotal(quality, FACTOR_EFFECT_QUALITY);
    return m_nRun >= 1 ? total / m_nRun : total;
}

double CQVRFCDOEAnalyzer::GetAveragedQualityValue(int quality, int run) const {
    return RunResponse(quality, run, FACTOR_EFFECT_QUALITY);
}

double CQVRFCDOEAnalyzer::GetAveragedStandardDeviationValue(int quality) const {
    if (!IsQuality(quality)) return 0.0;
    const double total = ResponseTotal(quality, FACTOR_EFFECT_STDEV);
    return m_nRun >= 1 ? total / m_nRun : total;
}

// Recomputes and stores the S/N ratio of every run of the quality.
double CQVRFCDOEAnalyzer::GetAveragedSNRatio(int quality) const {
    if (!IsQuality(quality)) return 0.0;
    double total = 0.0;
    for (int run = 0; run < m_nRun; ++run)
        total += GetSNRatio(quality, run);
    return m_nRun >= 1 ? total / m_nRun : total;
}

double CQVRFCDOEAnalyzer::GetAveragedResponseValue(int quality, FACTOR_EFFECT_TYPE type) const {
    switch (type) {
        case FACTOR_EFFECT_QUALITY:
            return GetAveragedQualityValue(quality);
        case FACTOR_EFFECT_STDEV:
            return GetAveragedStandardDeviationValue(quality);
        case FACTOR_EFFECT_SN_RATIO:
            return GetAveragedSNRatio(quality);
    }
    return 0.0;
}

// ---- Level and factor effects ----

int CQVRFCDOEAnalyzer::FactorLevelCount(int factor) const {
    if (!m_pOrthogonalArray) return m_nLevel;
    return m_pOrthogonalArray->GetNoLevel(GetControlFactorID(factor));
}

// Mean response of the runs in which the factor sits at the (0-based) level;
// 0.0 when no run does.
double CQVRFCDOEAnalyzer::ComputeFactorLevelEffect(int quality, int factor, int level,
                                                   FACTOR_EFFECT_TYPE type) const {
    if (!IsQuality(quality) || !IsFactor(factor)) return 0.0;
    double sum = 0.0;
    int count = 0;
    for (int run = 0; run < m_nRun; ++run) {
        if (GetLevel(run, factor) - 1 != level) continue;
        sum += RunResponse(quality, run, type);
        ++count;
    }
    return count > 0 ? sum / count : 0.0;
}

double CQVRFCDOEAnalyzer::GetFactorLevelEffect(int quality, int factor, int level,
                                               FACTOR_EFFECT_TYPE type) const {
    return ComputeFactorLevelEffect(quality, factor, level, type);
}

// Range of the level effects, signed by the level order: positive when the
// highest effect comes at a later level than the lowest. Ties keep the lowest level.
double CQVRFCDOEAnalyzer::GetFactorEffect(int quality, int factor, FACTOR_EFFECT_TYPE type,
                                          int bAbsolute) const {
    if (!IsQuality(quality) || !IsFactor(factor)) return 0.0;
    const int nLevel = FactorLevelCount(factor);
    if (nLevel < 1) return 0.0;
    double minimum = GetFactorLevelEffect(quality, factor, 0, type);
    double maximum = minimum;
    int minimumLevel = 0, maximumLevel = 0;
    for (int level = 1; level < nLevel; ++level) {
        const double effect = GetFactorLevelEffect(quality, factor, level, type);
        if (effect < minimum) {
            minimum = effect;
            minimumLevel = level;
        }
        if (effect > maximum) {
            maximum = effect;
            maximumLevel = level;
        }
    }
    const double effect = maximumLevel > minimumLevel ? maximum - minimum : minimum - maximum;
    return bAbsolute ? std::fabs(effect) : effect;
}

// Rank 0 is the largest absolute effect; effects within 1e-6 of each other share
// the largest rank number of their group (effects 5, 5, 1 rank 1, 1, 2).
int CQVRFCDOEAnalyzer::GetResponseRank(int quality, FACTOR_EFFECT_TYPE type, int* ranks) const {
    if (!IsQuality(quality) || !ranks) return 0;
    std::vector<double> sorted(m_nFactor);
    for (int f = 0; f < m_nFactor; ++f)
        sorted[f] = GetFactorEffect(quality, f, type, 1);
    ShellSort(sorted);
    for (int f = 0; f < m_nFactor; ++f) {
        const double effect = GetFactorEffect(quality, f, type, 1);
        int position = 0;  // an effect that matches nothing (not a number) ranks last
        for (int j = 0; j < m_nFactor; ++j) {
            if (std::fabs(sorted[j] - effect) < qvrfc::kRankTolerance) {
                position = j;
                break;
            }
        }
        ranks[f] = m_nFactor - 1 - position;
    }
    return 1;
}

// Largest level effect for the quality value and the S/N ratio, smallest for the
// standard deviation; ties go to the lowest level.
int CQVRFCDOEAnalyzer::GetLargestResponseControlFactorLevel(int quality, int factor,
                                                            FACTOR_EFFECT_TYPE type) const {
    if (!IsQuality(quality) || !IsFactor(factor)) return 0;
    if (type != FACTOR_EFFECT_QUALITY && type != FACTOR_EFFECT_STDEV &&
        type != FACTOR_EFFECT_SN_RATIO)
        return 0;
    const bool smallestIsBest = type == FACTOR_EFFECT_STDEV;
    int best = 0;
    double bestEffect = GetFactorLevelEffect(quality, factor, 0, type);
    for (int level = 1; level < FactorLevelCount(factor); ++level) {
        const double effect = GetFactorLevelEffect(quality, factor, level, type);
        if (smallestIsBest ? effect < bestEffect : effect > bestEffect) {
            best = level;
            bestEffect = effect;
        }
    }
    return best;
}

// "A2B1C3": the name of each factor followed by its best level counted from 1.
CString CQVRFCDOEAnalyzer::GetBestLevelsCombinationName(int quality,
                                                        FACTOR_EFFECT_TYPE type) const {
    CString name;
    if (!IsQuality(quality)) return name;
    for (int f = 0; f < m_nFactor; ++f)
        name.AppendFormat("%s%d", qvrfc::FactorName(f).c_str(),
                          GetLargestResponseControlFactorLevel(quality, f, type) + 1);
    return name;
}
