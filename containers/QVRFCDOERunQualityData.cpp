// CQVRFCDOERunQualityData: observations of one run, cached statistics,
// the count-and-values reader and the report-line writer.
#include "qvrfc/containers/QVRFCDOERunQualityData.h"

#include <cmath>
#include <new>

#include "common/QVRFCTextOutput.h"
#include "qvrfc/common/QVRFCConstants.h"

CQVRFCDOERunQualityData::CQVRFCDOERunQualityData()
    : m_nValue(1),
      m_pValue(),
      m_dAverage(qvrfc::kMissingValue),
      m_dStandardDeviation(qvrfc::kMissingValue) {}

CQVRFCDOERunQualityData::CQVRFCDOERunQualityData(const CQVRFCDOERunQualityData& source)
    : CQVRFCDOERunQualityData() {
    CopyFrom(source);
}

CQVRFCDOERunQualityData& CQVRFCDOERunQualityData::operator=(const CQVRFCDOERunQualityData& source) {
    if (&source != this) CopyFrom(source);
    return *this;
}

CQVRFCDOERunQualityData::~CQVRFCDOERunQualityData() {
    FreeData();
}

int CQVRFCDOERunQualityData::FreeData() {
    m_pValue.reset();
    return 1;
}

int CQVRFCDOERunQualityData::CreateData(int n) {
    if (n < 0 || n > kMaxSlots) return 0;
    FreeData();
    m_nValue = n;
    m_pValue.reset(new (std::nothrow) double[static_cast<size_t>(n)]);
    if (!m_pValue) return 0;
    for (int i = 0; i < n; ++i)
        m_pValue[i] = qvrfc::kMissingValue;
    return 1;
}

int CQVRFCDOERunQualityData::IsValidValue(int i) const {
    return IsSlot(i) && !qvrfc::IsMissing(m_pValue[i]);
}

double CQVRFCDOERunQualityData::GetValue(int i) const {
    return IsValidValue(i) ? m_pValue[i] : 0.0;
}

void CQVRFCDOERunQualityData::SetValue(double value, int i) {
    if (!IsSlot(i)) return;
    m_pValue[i] = value;
    m_dAverage = m_dStandardDeviation = qvrfc::kMissingValue;
}

double CQVRFCDOERunQualityData::GetAverageValue() {
    if (!m_pValue) return 0.0;
    if (!qvrfc::IsMissing(m_dAverage)) return m_dAverage;
    double sum = 0.0;
    int count = 0;
    for (int i = 0; i < m_nValue; ++i) {
        if (qvrfc::IsMissing(m_pValue[i])) continue;
        sum += m_pValue[i];
        ++count;
    }
    // A record without any observation caches 0.0, not the marker.
    m_dAverage = count >= 1 ? sum / count : 0.0;
    return m_dAverage;
}

double CQVRFCDOERunQualityData::GetStandardDeviationValue() {
    if (!m_pValue) return 0.0;
    if (!qvrfc::IsMissing(m_dStandardDeviation)) return m_dStandardDeviation;
    const double average = GetAverageValue();
    double sum = 0.0;
    int count = 0;
    for (int i = 0; i < m_nValue; ++i) {
        if (qvrfc::IsMissing(m_pValue[i])) continue;
        sum += (m_pValue[i] - average) * (m_pValue[i] - average);
        ++count;
    }
    // Sample deviation (divisor count - 1); one observation or none has no spread.
    m_dStandardDeviation = count > 1 ? std::sqrt(sum / (count - 1)) : 0.0;
    return m_dStandardDeviation;
}

int CQVRFCDOERunQualityData::SetData(CQVRFCDOERunQualityData* source) {
    if (!source || source == this) return 0;
    return CopyFrom(*source);
}

int CQVRFCDOERunQualityData::CopyFrom(const CQVRFCDOERunQualityData& source) {
    if (source.m_pValue) {
        if (!CreateData(source.m_nValue)) return 0;
        // Slots are copied as stored, so a missing observation stays missing.
        for (int i = 0; i < m_nValue; ++i)
            m_pValue[i] = source.m_pValue[i];
    } else {
        FreeData();
        m_nValue = source.m_nValue;
    }
    m_dAverage = source.m_dAverage;
    m_dStandardDeviation = source.m_dStandardDeviation;
    return 1;
}

int CQVRFCDOERunQualityData::LoadData(FILE* stream) {
    if (!stream) return 0;
    int n = 0;
    if (std::fscanf(stream, "%d", &n) != 1 || n < 1) return 0;
    // Stops at the first number that cannot be read or is not finite ("nan", "inf",
    // beyond the range of a double), as the analyzer's loader refuses them: a value is
    // never made up or stored for it, and what follows in the stream is left unread.
    for (int i = 0; i < n; ++i) {
        double value = 0.0;
        if (std::fscanf(stream, "%lf", &value) != 1 || !std::isfinite(value)) return 0;
        SetValue(value, i);
    }
    return 1;
}

// 0 when the stream failed: the line is flushed and the stream's error state checked.
int CQVRFCDOERunQualityData::WriteData(FILE* stream, int mode) {
    if (!stream) return 0;
    qvrfc::TextOutput out(stream, 4096);
    const char* separator = mode == 1 ? "," : "";
    if (m_nValue > 1) out.Format(" %3d\t%s", m_nValue, separator);
    for (int i = 0; i < m_nValue; ++i) {
        if (IsValidValue(i))
            out.Format(" %lg  %s", m_pValue[i], separator);
        else
            out.Format("   %s", separator);
    }
    if (m_nValue > 1) {
        const double average = GetAverageValue();
        out.Format("%lg\t%s\t%.2le\n", average, separator, GetStandardDeviationValue());
    } else {
        out.Put('\n');
    }
    return out.Finish() ? 1 : 0;
}
