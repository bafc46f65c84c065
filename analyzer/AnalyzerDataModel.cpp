// Data model of the analyzer: the nested run records, sizing and release of the
// per-experiment storage, and deep copies.
#include <cmath>
#include <exception>

#include "qvrfc/analyzer/QVRFCDOEAnalyzer.h"
#include "qvrfc/common/QVRFCConstants.h"

using qvrfc::IsMissing;
using qvrfc::kMissingValue;

// ---- Observations of one run of one quality ----

CQVRFCDOEAnalyzer::CQVRFCDOERunQualityData::CQVRFCDOERunQualityData()
    : m_dAverage(kMissingValue), m_dStandardDeviation(kMissingValue), m_dSNRatio(kMissingValue) {}

CQVRFCDOEAnalyzer::CQVRFCDOERunQualityData::~CQVRFCDOERunQualityData() = default;

void CQVRFCDOEAnalyzer::CQVRFCDOERunQualityData::ClearData() {
    m_aQualityValue.RemoveAll();
    m_dAverage = kMissingValue;
    m_dStandardDeviation = kMissingValue;
    m_dSNRatio = kMissingValue;
}

int CQVRFCDOEAnalyzer::CQVRFCDOERunQualityData::AddValue(double value) {
    m_aQualityValue.Add(value);
    return GetValueCount();
}

int CQVRFCDOEAnalyzer::CQVRFCDOERunQualityData::SetValue(int index, double value) {
    m_aQualityValue.SetAtGrow(index, value);
    return GetValueCount();
}

int CQVRFCDOEAnalyzer::CQVRFCDOERunQualityData::GetValueCount() const {
    return m_aQualityValue.GetSize();
}

int CQVRFCDOEAnalyzer::CQVRFCDOERunQualityData::IsValidValue(int index) const {
    return index >= 0 && index < GetValueCount() && !IsMissing(m_aQualityValue[index]) ? 1 : 0;
}

double CQVRFCDOEAnalyzer::CQVRFCDOERunQualityData::GetValue(int index) {
    if (index >= 0 && index < GetValueCount()) return m_aQualityValue[index];
    return GetAverageValue();
}

int CQVRFCDOEAnalyzer::CQVRFCDOERunQualityData::ComputeStatistics() {
    const int count = GetValueCount();
    if (count < 1) return 0;
    // Straight over the stored values: this runs once per run over every observation.
    const double* values = m_aQualityValue.GetData();
    double sum = 0.0;
    int valid = 0;
    for (int i = 0; i < count; ++i) {
        if (IsMissing(values[i])) continue;
        sum += values[i];
        ++valid;
    }
    const double average = valid > 0 ? sum / valid : 0.0;
    double squares = 0.0;
    for (int i = 0; i < count; ++i) {
        if (IsMissing(values[i])) continue;
        const double deviation = values[i] - average;
        squares += deviation * deviation;
    }
    m_dAverage = average;
    m_dStandardDeviation = valid > 1 ? std::sqrt(squares / (valid - 1)) : 0.0;
    return 1;
}

double CQVRFCDOEAnalyzer::CQVRFCDOERunQualityData::GetAverageValue() {
    if (IsMissing(m_dAverage)) ComputeStatistics();
    return m_dAverage;
}

double CQVRFCDOEAnalyzer::CQVRFCDOERunQualityData::GetStandardDeviationValue() {
    if (IsMissing(m_dStandardDeviation)) ComputeStatistics();
    return m_dStandardDeviation;
}

// ---- Control factor values of one run ----

CQVRFCDOEAnalyzer::CQVRFCDOERunControlFactorData::CQVRFCDOERunControlFactorData() = default;

CQVRFCDOEAnalyzer::CQVRFCDOERunControlFactorData::~CQVRFCDOERunControlFactorData() = default;

void CQVRFCDOEAnalyzer::CQVRFCDOERunControlFactorData::ClearData() {
    m_aFactorValue.RemoveAll();
}

int CQVRFCDOEAnalyzer::CQVRFCDOERunControlFactorData::SetValue(int factor, double value) {
    m_aFactorValue.SetAtGrow(factor, value);
    return m_aFactorValue.GetSize();
}

double CQVRFCDOEAnalyzer::CQVRFCDOERunControlFactorData::GetValue(int factor) const {
    return factor >= 0 && factor < m_aFactorValue.GetSize() ? m_aFactorValue[factor] : 0.0;
}

// ---- Lifecycle of the analyzer ----

CQVRFCDOEAnalyzer::CQVRFCDOEAnalyzer()
    : m_nQuality(0),
      m_nLevel(0),
      m_nFactor(0),
      m_nRun(0),
      m_nCurrentRun(-1),
      m_nCurrentQuality(-1) {}

// Copies own their storage and their array object: the containers copy their
// elements and the array object is duplicated. No set-up runs and no file is written.
CQVRFCDOEAnalyzer::CQVRFCDOEAnalyzer(const CQVRFCDOEAnalyzer& source)
    : m_nQuality(source.m_nQuality),
      m_nLevel(source.m_nLevel),
      m_nFactor(source.m_nFactor),
      m_nRun(source.m_nRun),
      m_nCurrentRun(source.m_nCurrentRun),
      m_nCurrentQuality(source.m_nCurrentQuality),
      m_pOrthogonalArray(
          source.m_pOrthogonalArray
              ? std::make_unique<CQVRFCDOETaguchiOrthogonalArray>(*source.m_pOrthogonalArray)
              : nullptr),
      m_pQualityCharacteristic(source.m_pQualityCharacteristic),
      m_pQualityTarget(source.m_pQualityTarget),
      m_pRunQualityData(source.m_pRunQualityData),
      m_pRunControlFactorData(source.m_pRunControlFactorData),
      m_pPooledFactor(source.m_pPooledFactor),
      m_pControlFactorID(source.m_pControlFactorID),
      m_pQualityFactorName(source.m_pQualityFactorName),
      m_pControlFactorName(source.m_pControlFactorName),
      m_logFolder(source.m_logFolder) {}

// The copy is made first, so a failing allocation leaves this object as it was.
CQVRFCDOEAnalyzer& CQVRFCDOEAnalyzer::operator=(const CQVRFCDOEAnalyzer& source) {
    if (this != &source) {
        CQVRFCDOEAnalyzer copy(source);
        TakeFrom(copy);
    }
    return *this;
}

CQVRFCDOEAnalyzer::~CQVRFCDOEAnalyzer() {
    m_pOrthogonalArray.reset();
    FreeData();
}

void CQVRFCDOEAnalyzer::TakeFrom(CQVRFCDOEAnalyzer& other) noexcept {
    m_nQuality = other.m_nQuality;
    m_nLevel = other.m_nLevel;
    m_nFactor = other.m_nFactor;
    m_nRun = other.m_nRun;
    m_nCurrentRun = other.m_nCurrentRun;
    m_nCurrentQuality = other.m_nCurrentQuality;
    m_pOrthogonalArray = std::move(other.m_pOrthogonalArray);
    m_pQualityCharacteristic = std::move(other.m_pQualityCharacteristic);
    m_pQualityTarget = std::move(other.m_pQualityTarget);
    m_pRunQualityData = std::move(other.m_pRunQualityData);
    m_pRunControlFactorData = std::move(other.m_pRunControlFactorData);
    m_pPooledFactor = std::move(other.m_pPooledFactor);
    m_pControlFactorID = std::move(other.m_pControlFactorID);
    m_pQualityFactorName = std::move(other.m_pQualityFactorName);
    m_pControlFactorName = std::move(other.m_pControlFactorName);
    m_logFolder = std::move(other.m_logFolder);
}

int CQVRFCDOEAnalyzer::Clear() {
    return FreeData();
}

namespace {

// Empties a container and gives its memory back.
template <typename Container>
void Release(Container& container) {
    Container().swap(container);
}

}  // namespace

int CQVRFCDOEAnalyzer::CreateData(int nQuality, int nRun, int nFactor, int nLevel) {
    if (nQuality < 1 || nRun < 1 || nFactor < 1 || nLevel < 1) return 0;
    FreeData();
    m_nQuality = nQuality;
    m_nRun = nRun;
    m_nFactor = nFactor;
    m_nLevel = nLevel;
    try {
        m_pRunQualityData.assign(nQuality, std::vector<CQVRFCDOERunQualityData>(nRun));
        m_pRunControlFactorData.assign(nRun, CQVRFCDOERunControlFactorData());
        m_pPooledFactor.assign(nQuality, std::vector<int>(nFactor, 0));
        m_pControlFactorID.resize(nFactor);
        m_pControlFactorName.resize(nFactor);
        for (int f = 0; f < nFactor; ++f) {
            m_pControlFactorID[f] = f;
            m_pControlFactorName[f].Format("Factor#%d", f + 1);
        }
        m_pQualityCharacteristic.assign(nQuality, NOMINAL_THE_BEST_3);
        m_pQualityTarget.assign(nQuality, 0.0);
        m_pQualityFactorName.resize(nQuality);
        for (int q = 0; q < nQuality; ++q)
            m_pQualityFactorName[q].Format("Quality#%d", q + 1);
    } catch (const std::exception&) {  // out of memory, or a size no vector can hold
        FreeData();
        return 0;
    }
    return 1;
}

int CQVRFCDOEAnalyzer::FreeData() {
    Release(m_pRunQualityData);
    Release(m_pRunControlFactorData);
    Release(m_pPooledFactor);
    Release(m_pControlFactorID);
    Release(m_pQualityCharacteristic);
    Release(m_pQualityTarget);
    Release(m_pQualityFactorName);
    Release(m_pControlFactorName);
    return 1;
}

// The caller has checked the indexes with IsRecord.
CQVRFCDOEAnalyzer::CQVRFCDOERunQualityData& CQVRFCDOEAnalyzer::Record(int quality, int run) const {
    return m_pRunQualityData[quality][run];
}
