// CQVRFCStatistics: lifecycle, the three accumulating passes, getters and setters.
#include <cmath>
#include <exception>

#include "qvrfc/common/QVRFCConstants.h"
#include "qvrfc/statistics/QVRFCStatistics.h"

namespace {

// The averaging pass starts its extremes here so that any value replaces them.
constexpr double kMinStart = 1e20;
// Below this a total weight counts as none when forming ratios.
constexpr double kNoWeight = 1e-10;

bool IsMomentOrder(int k) {
    return k >= 0 && k < 4;
}

}  // namespace

CQVRFCStatistics::CQVRFCStatistics() {
    Clear();
}

CQVRFCStatistics::CQVRFCStatistics(const CQVRFCStatistics& source) {
    Clear();
    SetData(source);
}

CQVRFCStatistics& CQVRFCStatistics::operator=(const CQVRFCStatistics& source) {
    SetData(source);
    return *this;
}

CQVRFCStatistics::~CQVRFCStatistics() {
    FreeData();
}

void CQVRFCStatistics::Clear() {
    FreeData();
    m_nGroup = m_nTotalCount = m_nCount = 0;
    m_dTotalWeighting = 0.0;
    m_dSumValue = m_dSumLog = m_dSumInverse = m_dSumWeighting = 0.0;
    m_dNoLog = m_dNoInverse = 0.0;
    m_dMinValue = m_dMaxValue = 0.0;
    m_dAverageValue = m_dGeometricMean = m_dHarmonicMean = 0.0;
    m_dRMS = m_dMD = m_dStandardDeviation = 0.0;
    m_dRangeFrom = m_dRangeTo = m_dMomentCenter = 0.0;
    for (int k = 0; k < 4; ++k)
        m_dMoment[k] = m_dMomentAbout[k] = 0.0;
    m_bAverageDone = m_bGeometricMean = m_bHarmonicMean = 0;
}

int CQVRFCStatistics::AllocData(int nGroup, int nTotalCount) {
    FreeData();
    m_nGroup = 0;
    m_nTotalCount = nTotalCount;
    m_dTotalWeighting = 0.0;
    if (nGroup <= 0) return 1;
    try {
        const size_t size = static_cast<size_t>(nGroup);
        m_pGroupCount.assign(size, 0);
        m_pGroupWeighting.assign(size, 0.0);
        m_pGroupTo.assign(size, 0.0);
    } catch (const std::exception&) {  // out of memory, or a size no vector can hold
        FreeData();
        return 0;
    }
    m_nGroup = nGroup;
    return 1;
}

void CQVRFCStatistics::SetNoGroup(int nGroup, int nTotalCount) {
    AllocData(nGroup, nTotalCount);
}

int CQVRFCStatistics::FreeData() {
    // Swapping with empty vectors gives the memory back, unlike clear().
    std::vector<int>().swap(m_pGroupCount);
    std::vector<double>().swap(m_pGroupWeighting);
    std::vector<double>().swap(m_pGroupTo);
    return 1;
}

int CQVRFCStatistics::SetData(const CQVRFCStatistics& source) {
    if (&source == this) return 0;
    Clear();
    if (!AllocData(source.m_nGroup, source.m_nTotalCount)) return 0;
    CopyMembers(source);
    return 1;
}

int CQVRFCStatistics::SetData(CQVRFCStatistics* source) {
    return source ? SetData(*source) : 0;
}

void CQVRFCStatistics::CopyMembers(const CQVRFCStatistics& source) {
    // The groups were sized by AllocData; everything else is copied value by value.
    m_pGroupCount = source.m_pGroupCount;
    m_pGroupWeighting = source.m_pGroupWeighting;
    m_pGroupTo = source.m_pGroupTo;
    m_dTotalWeighting = source.m_dTotalWeighting;
    m_nCount = source.m_nCount;
    m_dSumValue = source.m_dSumValue;
    m_dSumLog = source.m_dSumLog;
    m_dSumInverse = source.m_dSumInverse;
    m_dSumWeighting = source.m_dSumWeighting;
    m_dNoLog = source.m_dNoLog;
    m_dNoInverse = source.m_dNoInverse;
    m_dMinValue = source.m_dMinValue;
    m_dMaxValue = source.m_dMaxValue;
    m_dAverageValue = source.m_dAverageValue;
    m_dGeometricMean = source.m_dGeometricMean;
    m_dHarmonicMean = source.m_dHarmonicMean;
    m_dRMS = source.m_dRMS;
    m_dMD = source.m_dMD;
    m_dStandardDeviation = source.m_dStandardDeviation;
    m_dRangeFrom = source.m_dRangeFrom;
    m_dRangeTo = source.m_dRangeTo;
    m_dMomentCenter = source.m_dMomentCenter;
    for (int k = 0; k < 4; ++k) {
        m_dMoment[k] = source.m_dMoment[k];
        m_dMomentAbout[k] = source.m_dMomentAbout[k];
    }
    m_bAverageDone = source.m_bAverageDone;
    m_bGeometricMean = source.m_bGeometricMean;
    m_bHarmonicMean = source.m_bHarmonicMean;
}

// ---- Averaging pass -------------------------------------------------------

int CQVRFCStatistics::ComputAvgBegin(int bGeometricMean, int bHarmonicMean) {
    m_bGeometricMean = bGeometricMean;
    m_bHarmonicMean = bHarmonicMean;
    m_dMinValue = kMinStart;
    m_dMaxValue = -kMinStart;
    m_nCount = 0;
    m_dSumValue = m_dSumLog = m_dSumInverse = m_dSumWeighting = 0.0;
    m_dNoLog = m_dNoInverse = 0.0;
    m_dRMS = m_dAverageValue = m_dStandardDeviation = 0.0;
    m_bAverageDone = 0;
    return 1;
}

double CQVRFCStatistics::ComputAvgAdd(double value, double weighting) {
    // Every sum carries the value's weight, so that scaling all weights alike
    // leaves every mean unchanged.
    ++m_nCount;
    m_dSumWeighting += weighting;
    m_dSumValue += value * weighting;
    m_dRMS += weighting * value * value;  // running weighted sum of squares
    if (m_bGeometricMean) {
        m_dSumLog += weighting * std::log(value);
        m_dNoLog += 1.0;
    }
    if (m_bHarmonicMean && value != 0.0) {
        m_dSumInverse += weighting / value;
        m_dNoInverse += 1.0;
    }
    if (value <= m_dMinValue) m_dMinValue = value;
    if (value >= m_dMaxValue) m_dMaxValue = value;
    return m_dSumValue;
}

int CQVRFCStatistics::ComputAvgEnd() {
    const double weight = m_dSumWeighting;
    // Without weight there is nothing to divide by: the means stay as they are.
    if (std::fabs(weight) > qvrfc::kNearZero) {
        m_dAverageValue = m_dSumValue / weight;
        m_dRMS = std::sqrt(m_dRMS / weight);
        if (m_bGeometricMean && std::fabs(m_dNoLog) > qvrfc::kNearZero)
            m_dGeometricMean = std::exp(m_dSumLog / weight);
        if (m_bHarmonicMean && std::fabs(m_dNoInverse) > qvrfc::kNearZero) {
            const double inverseMean = m_dSumInverse / weight;
            m_dHarmonicMean = inverseMean;
            if (std::fabs(inverseMean) > qvrfc::kNearZero) m_dHarmonicMean = 1.0 / inverseMean;
        }
    }
    m_bAverageDone = 1;
    return 1;
}

// ---- Distribution pass ----------------------------------------------------

int CQVRFCStatistics::ComputDistributionBegin(int nGroup, double from, double to) {
    if (!m_bAverageDone) return 0;
    if (nGroup > 0) AllocData(nGroup, 0);
    m_nTotalCount = 0;
    m_dTotalWeighting = 0.0;
    m_nCount = 0;
    m_dMD = m_dStandardDeviation = 0.0;
    m_dRangeFrom = from > to ? m_dMinValue : from;
    m_dRangeTo = from > to ? m_dMaxValue : to;
    if (m_nGroup >= 1) {
        // Equal widths by repeated addition; the last bound is the range end exactly.
        const double width = (m_dRangeTo - m_dRangeFrom) / m_nGroup;
        double bound = m_dRangeFrom;
        for (int i = 0; i < m_nGroup; ++i) {
            bound += width;
            m_pGroupTo[i] = bound;
            m_pGroupCount[i] = 0;
            m_pGroupWeighting[i] = 0.0;
        }
        m_pGroupTo[m_nGroup - 1] = m_dRangeTo;
    }
    return 1;
}

double CQVRFCStatistics::ComputDistributionAdd(double value) {
    if (!m_bAverageDone) return 0.0;
    const double deviation = value - m_dAverageValue;
    ++m_nTotalCount;
    m_dStandardDeviation += deviation * deviation;
    m_dMD += std::fabs(deviation);
    const int group = FindGroup(value);
    if (group >= 0) ++m_pGroupCount[group];
    return m_dSumValue;
}

double CQVRFCStatistics::ComputDistributionAdd(double value, double weighting) {
    if (!m_bAverageDone) return 0.0;
    const double deviation = value - m_dAverageValue;
    ++m_nTotalCount;
    m_dStandardDeviation += weighting * deviation * deviation;
    m_dMD += std::fabs(deviation);
    const int group = FindGroup(value);
    if (group >= 0) {
        ++m_pGroupCount[group];
        m_pGroupWeighting[group] += weighting;
        m_dTotalWeighting += weighting;
    }
    return m_dSumValue;
}

int CQVRFCStatistics::FindGroup(double value) const {
    // The first group whose closed interval holds the value: a shared bound goes to the lower
    // group.
    for (int i = 0; i < m_nGroup; ++i) {
        if (value >= GetGroupFrom(i) && value <= m_pGroupTo[i]) return i;
    }
    return -1;
}

int CQVRFCStatistics::ComputDistributionEnd(int bSample) {
    if (!m_bAverageDone) return 0;
    const int n = m_nTotalCount;
    if (n < 2) return 1;
    m_dMD /= n;
    double divisor = n;
    if (bSample == 1)
        divisor = n - 1;
    else if (m_dTotalWeighting > kNoWeight)
        divisor = m_dTotalWeighting;
    m_dStandardDeviation = std::sqrt(m_dStandardDeviation / divisor);
    return 1;
}

// ---- Moment pass ----------------------------------------------------------

int CQVRFCStatistics::ComputMomentBegin(double center) {
    m_dMomentCenter = center;
    for (int k = 0; k < 4; ++k)
        m_dMoment[k] = m_dMomentAbout[k] = 0.0;
    m_nCount = 0;
    return 1;
}

double CQVRFCStatistics::ComputMomentAdd(double value) {
    ++m_nCount;
    double power = 1.0;
    double powerAbout = 1.0;
    for (int k = 0; k < 4; ++k) {
        power *= value;
        powerAbout *= value - m_dMomentCenter;
        m_dMoment[k] += power;
        m_dMomentAbout[k] += powerAbout;
    }
    return value;
}

int CQVRFCStatistics::ComputMomentEnd() {
    if (m_nCount < 1) return 0;
    for (int k = 0; k < 4; ++k) {
        m_dMoment[k] /= m_nCount;
        m_dMomentAbout[k] /= m_nCount;
    }
    return 1;
}

// ---- Getters and setters --------------------------------------------------

double CQVRFCStatistics::GetCoefficientOfVariation() const {
    if (std::fabs(m_dAverageValue) > qvrfc::kNearZero)
        return m_dStandardDeviation / m_dAverageValue;
    return m_dStandardDeviation;
}

int CQVRFCStatistics::GetGroupCount(int i) const {
    return HasGroup(i) ? m_pGroupCount[i] : 0;
}

double CQVRFCStatistics::GetGroupWeighting(int i) const {
    return HasGroup(i) ? m_pGroupWeighting[i] : 0.0;
}

double CQVRFCStatistics::GetGroupFrom(int i) const {
    if (!HasGroup(i)) return 0.0;
    return i == 0 ? m_dRangeFrom : m_pGroupTo[i - 1];
}

double CQVRFCStatistics::GetGroupTo(int i) const {
    return HasGroup(i) ? m_pGroupTo[i] : 0.0;
}

double CQVRFCStatistics::GetGroupInterval(int i) const {
    return GetGroupTo(i);
}

void CQVRFCStatistics::GetGroupRange(double& from, double& to) {
    from = m_dRangeFrom;
    to = m_dRangeTo;
}

double CQVRFCStatistics::GetGroupRatio(int i) const {
    if (!HasGroup(i) || m_nTotalCount == 0) return 0.0;
    return 100.0 * m_pGroupCount[i] / m_nTotalCount;
}

double CQVRFCStatistics::GetGroupWeightingRatio(int i) const {
    if (!HasGroup(i)) return 0.0;
    if (m_dTotalWeighting > kNoWeight) return 100.0 * m_pGroupWeighting[i] / m_dTotalWeighting;
    return 100.0 * m_pGroupWeighting[i];
}

double CQVRFCStatistics::GetMoment(int k) const {
    return IsMomentOrder(k) ? m_dMoment[k] : 0.0;
}

double CQVRFCStatistics::GetMomentAbout(int k) const {
    return IsMomentOrder(k) ? m_dMomentAbout[k] : 0.0;
}

void CQVRFCStatistics::SetMoment(int k, double value) {
    if (IsMomentOrder(k)) m_dMoment[k] = value;
}

void CQVRFCStatistics::SetMomentAbout(int k, double value) {
    if (IsMomentOrder(k)) m_dMomentAbout[k] = value;
}

void CQVRFCStatistics::SetGroupCount(int i, int count) {
    if (HasGroup(i)) m_pGroupCount[i] = count;
}

void CQVRFCStatistics::SetGroupInterval(int i, int bound) {
    if (HasGroup(i)) m_pGroupTo[i] = static_cast<double>(bound);
}

void CQVRFCStatistics::SetGroupRange(int i, double from, double to) {
    if (!HasGroup(i)) return;
    if (i == 0)
        m_dRangeFrom = from;
    else
        m_pGroupTo[i - 1] = from;
    m_pGroupTo[i] = to;
}
