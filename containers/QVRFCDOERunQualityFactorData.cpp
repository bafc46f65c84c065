// CQVRFCDOERunQualityFactorData: the run records of one quality characteristic,
// per-run and whole-experiment statistics, reading and report lines.
#include "qvrfc/containers/QVRFCDOERunQualityFactorData.h"

#include <new>

CQVRFCDOERunQualityFactorData::CQVRFCDOERunQualityFactorData() : m_nRun(0), m_pRunData() {}

CQVRFCDOERunQualityFactorData::CQVRFCDOERunQualityFactorData(
    const CQVRFCDOERunQualityFactorData& source)
    : CQVRFCDOERunQualityFactorData() {
    CopyFrom(source);
}

CQVRFCDOERunQualityFactorData& CQVRFCDOERunQualityFactorData::operator=(
    const CQVRFCDOERunQualityFactorData& source) {
    if (&source != this) CopyFrom(source);
    return *this;
}

CQVRFCDOERunQualityFactorData::~CQVRFCDOERunQualityFactorData() {
    FreeData();
}

int CQVRFCDOERunQualityFactorData::FreeData() {
    m_pRunData.reset();
    return 1;
}

CQVRFCDOERunQualityData* CQVRFCDOERunQualityFactorData::Run(int run) const {
    if (!m_pRunData || run < 0 || run >= m_nRun) return nullptr;
    return &m_pRunData[run];
}

int CQVRFCDOERunQualityFactorData::CreateData(int nRun, int nValue) {
    // Requests beyond the slot limit fail before anything is released.
    const long long slots = static_cast<long long>(nRun) * (nValue > 0 ? nValue : 1);
    if (nRun > CQVRFCDOERunQualityData::kMaxSlots || slots > CQVRFCDOERunQualityData::kMaxSlots)
        return 0;
    FreeData();
    if (nRun < 1) return 1;
    m_nRun = nRun;
    m_pRunData.reset(new (std::nothrow) CQVRFCDOERunQualityData[static_cast<size_t>(nRun)]);
    if (!m_pRunData) return 0;
    for (int r = 0; r < nRun; ++r) {
        // A negative slot count leaves every record at its default (one slot, no storage).
        if (!m_pRunData[r].CreateData(nValue) && nValue >= 0) {
            FreeData();
            return 0;
        }
    }
    return 1;
}

int CQVRFCDOERunQualityFactorData::GetQualityDataCount(int run) const {
    const CQVRFCDOERunQualityData* record = Run(run);
    return record ? record->GetQualityDataCount() : 0;
}

double CQVRFCDOERunQualityFactorData::GetValue(int run, int i) const {
    const CQVRFCDOERunQualityData* record = Run(run);
    return record ? record->GetValue(i) : 0.0;
}

void CQVRFCDOERunQualityFactorData::SetValue(int run, double value, int i) {
    if (CQVRFCDOERunQualityData* record = Run(run)) record->SetValue(value, i);
}

double CQVRFCDOERunQualityFactorData::GetAverageValue(int run) {
    CQVRFCDOERunQualityData* record = Run(run);
    return record ? record->GetAverageValue() : 0.0;
}

double CQVRFCDOERunQualityFactorData::GetStandardDeviationValue(int run) {
    CQVRFCDOERunQualityData* record = Run(run);
    return record ? record->GetStandardDeviationValue() : 0.0;
}

double CQVRFCDOERunQualityFactorData::GetAverageValue() {
    if (!m_pRunData || m_nRun < 1) return 0.0;
    double sum = 0.0;
    for (int r = 0; r < m_nRun; ++r)
        sum += m_pRunData[r].GetAverageValue();
    return sum / m_nRun;
}

double CQVRFCDOERunQualityFactorData::GetStandardDeviationValue() {
    // The plain mean of the run deviations, not a pooled deviation.
    if (!m_pRunData || m_nRun < 1) return 0.0;
    double sum = 0.0;
    for (int r = 0; r < m_nRun; ++r)
        sum += m_pRunData[r].GetStandardDeviationValue();
    return sum / m_nRun;
}

int CQVRFCDOERunQualityFactorData::SetData(CQVRFCDOERunQualityFactorData* source) {
    if (!source || source == this || !source->m_pRunData) return 0;
    return CopyFrom(*source);
}

int CQVRFCDOERunQualityFactorData::CopyFrom(const CQVRFCDOERunQualityFactorData& source) {
    if (!source.m_pRunData) {
        FreeData();
        m_nRun = source.m_nRun;
        return 1;
    }
    if (!CreateData(source.m_nRun, source.m_pRunData[0].GetQualityDataCount())) return 0;
    // Each run ends with its own source's slot count.
    for (int r = 0; r < m_nRun; ++r) {
        if (!m_pRunData[r].SetData(&source.m_pRunData[r])) {
            FreeData();
            return 0;
        }
    }
    return 1;
}

int CQVRFCDOERunQualityFactorData::LoadData(FILE* stream) {
    if (!stream || !m_pRunData || m_nRun < 1) return 0;
    // Every run is read, even after one has failed.
    int result = 1;
    for (int r = 0; r < m_nRun; ++r) {
        if (!m_pRunData[r].LoadData(stream)) result = 0;
    }
    return result;
}

int CQVRFCDOERunQualityFactorData::WriteData(FILE* stream, int mode) {
    if (!stream || !m_pRunData || m_nRun < 1) return 0;
    const char* separator = mode == 1 ? "," : "";
    int result = 1;
    for (int r = 0; r < m_nRun; ++r) {
        std::fprintf(stream, "%d%s\t", r + 1, separator);
        if (!m_pRunData[r].WriteData(stream, mode)) result = 0;
    }
    return result;
}

int CQVRFCDOERunQualityFactorData::WriteData(FILE* stream, int run, int mode) {
    CQVRFCDOERunQualityData* record = Run(run);
    if (!stream || !record) return 0;
    return record->WriteData(stream, mode);
}
