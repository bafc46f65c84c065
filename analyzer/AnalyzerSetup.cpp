// Experiment set-up: sizing on counts or on an orthogonal array, deep copy,
// placement of control factors on array columns, names, characteristics,
// targets and pooled flags.
#include <algorithm>
#include <new>

#include "common/QVRFCLogFolder.h"
#include "qvrfc/analyzer/QVRFCDOEAnalyzer.h"

namespace {

// Column limit of the placement check when the experiment has no array.
constexpr int kColumnLimitWithoutArray = 1000;
// Value of a control factor that does not exist.
constexpr double kNoControlFactorValue = -1e10;
// The set-up log, named so in its own summary wherever its folder is.
const char kSetupLogName[] = "DOESetup.log";

}  // namespace

// ---- Set-up ----

int CQVRFCDOEAnalyzer::SetupDOE(int nQuality, int nRun, int nFactor, int nLevel,
                                double** ppLevelValue) {
    if (nRun < 1 || nFactor < 1 || nLevel < 1) return 0;
    if (CreateData(nQuality, nRun, nFactor, nLevel) != 1) return 0;
    if (ppLevelValue) SetControlFactorValue(nFactor, nLevel, ppLevelValue);
    // The set-up log: the complete report of the fresh experiment; its result is not used.
    WriteReportFile(qvrfc::LogPath(m_logFolder, kSetupLogName), kSetupLogName, "VUROROZuruza");
    return 1;
}

int CQVRFCDOEAnalyzer::SetupDOE(int nQuality, int nFactor, int nLevel, double** ppLevelValue) {
    if (nFactor < 1 || nLevel < 1) return 0;
    return SetupOnArray(nQuality, GetDefaultOrthogonalArrayType(nFactor, nLevel), ppLevelValue);
}

int CQVRFCDOEAnalyzer::SetupDOE(int nQuality, OA_TYPE type, double** ppLevelValue) {
    return SetupOnArray(nQuality, type, ppLevelValue);
}

// Empties the array object, fills it with the type (which rewrites the array
// listing) and sizes the experiment with the array's run, column and level counts.
// A refused set-up puts the previous table back, so the experiment still held
// keeps the array its runs and factors stand on.
int CQVRFCDOEAnalyzer::SetupOnArray(int nQuality, OA_TYPE type, double** ppLevelValue) {
    CQVRFCDOETaguchiOrthogonalArray* array = EnsureArray();
    if (!array) return 0;
    try {
        const CQVRFCDOETaguchiOrthogonalArray previous(*array);
        array->ClearData();
        int result = array->SetTable(type);
        if (result == 1)
            result = SetupDOE(nQuality, array->GetNoRun(), array->GetNoFactor(),
                              array->GetNoLevel(), ppLevelValue);
        if (result != 1) *array = previous;
        return result;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

CQVRFCDOETaguchiOrthogonalArray* CQVRFCDOEAnalyzer::EnsureArray() {
    if (!m_pOrthogonalArray) {
        try {
            m_pOrthogonalArray = std::make_unique<CQVRFCDOETaguchiOrthogonalArray>();
            m_pOrthogonalArray->SetLogFolder(m_logFolder.c_str());
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
    }
    return m_pOrthogonalArray.get();
}

CQVRFCDOEAnalyzer::OA_TYPE CQVRFCDOEAnalyzer::GetDefaultOrthogonalArrayType(int nFactor,
                                                                            int nLevel) {
    return CQVRFCDOETaguchiOrthogonalArray::ArraySelector(nFactor, nLevel);
}

CQVRFCDOEAnalyzer::OA_TYPE CQVRFCDOEAnalyzer::GetDOEArrayType() const {
    return m_pOrthogonalArray ? m_pOrthogonalArray->GetType()
                              : CQVRFCDOETaguchiOrthogonalArray::OA_UNDEFINED;
}

CString CQVRFCDOEAnalyzer::GetDOEArrayName() const {
    return m_pOrthogonalArray ? m_pOrthogonalArray->GetTypeString() : CString("Undefined");
}

// The array answers -1 itself for a factor beyond its own columns.
int CQVRFCDOEAnalyzer::GetDOEColumnID(int factor) const {
    if (!m_pOrthogonalArray || factor < 0 || factor >= m_nFactor) return -1;
    return m_pOrthogonalArray->GetColumnID(factor);
}

// ---- Deep copy ----

void CQVRFCDOEAnalyzer::SetLogFolder(const char* folder) {
    m_logFolder = qvrfc::LogFolder(folder);
    if (m_pOrthogonalArray) m_pOrthogonalArray->SetLogFolder(m_logFolder.c_str());
}

int CQVRFCDOEAnalyzer::SetData(CQVRFCDOEAnalyzer* source) {
    if (!source || source == this) return 0;
    const std::string previousFolder = m_logFolder;
    SetLogFolder(source->GetLogFolder());
    if (SetupDOE(source->m_nQuality, source->GetDOEArrayType(), nullptr) != 1) {
        SetLogFolder(previousFolder.c_str());
        return 0;
    }
    // The counts come from the array; copy only what both experiments hold.
    const int nQuality = std::min(m_nQuality, static_cast<int>(source->m_pRunQualityData.size()));
    const int nRun = std::min(m_nRun, static_cast<int>(source->m_pRunControlFactorData.size()));
    const int nFactor = std::min(m_nFactor, static_cast<int>(source->m_pControlFactorID.size()));
    for (int q = 0; q < nQuality; ++q) {
        m_pQualityCharacteristic[q] = source->m_pQualityCharacteristic[q];
        m_pQualityFactorName[q] = source->m_pQualityFactorName[q];
        m_pQualityTarget[q] = source->m_pQualityTarget[q];
        for (int r = 0; r < nRun; ++r)
            m_pRunQualityData[q][r] = source->m_pRunQualityData[q][r];
        for (int f = 0; f < nFactor; ++f)
            m_pPooledFactor[q][f] = source->m_pPooledFactor[q][f];
    }
    for (int r = 0; r < nRun; ++r)
        m_pRunControlFactorData[r] = source->m_pRunControlFactorData[r];
    for (int f = 0; f < nFactor; ++f) {
        m_pControlFactorID[f] = source->m_pControlFactorID[f];
        m_pControlFactorName[f] = source->m_pControlFactorName[f];
    }
    m_nCurrentRun = source->m_nCurrentRun;
    m_nCurrentQuality = source->m_nCurrentQuality;
    return 1;
}

// ---- Control factors ----

int CQVRFCDOEAnalyzer::SetControlFactorID(int factor, int column) {
    if (!IsFactor(factor) || !m_pOrthogonalArray) return 0;
    if (column < 0 || column >= m_pOrthogonalArray->GetNoFactor()) return 0;
    m_pControlFactorID[factor] = column;
    return 1;
}

int CQVRFCDOEAnalyzer::GetControlFactorID(int factor) const {
    return IsFactor(factor) ? m_pControlFactorID[factor] : -1;
}

// Reports every factor off the array's columns and every pair of factors sharing
// a column (once, from the lower-numbered factor); numbers are counted from 1.
int CQVRFCDOEAnalyzer::CheckControlFactorID(CString& report) const {
    report.Empty();
    int result = 1;
    const int limit =
        m_pOrthogonalArray ? m_pOrthogonalArray->GetNoFactor() : kColumnLimitWithoutArray;
    const int nFactor = static_cast<int>(m_pControlFactorID.size());
    for (int i = 0; i < nFactor; ++i) {
        const int id = m_pControlFactorID[i];
        if (id < 0 || id >= limit) {
            report.AppendFormat("-Factor#%d ID= %d (Orthogonal Array no. factor=%d)\r\n", i + 1,
                                id + 1, limit);
            result = 0;
        }
        for (int j = i + 1; j < nFactor; ++j) {
            if (m_pControlFactorID[j] != id) continue;
            report.AppendFormat("-Factor#%d ID= %d (same as that of control factor#%d)\r\n", i + 1,
                                id + 1, j + 1);
            result = 0;
        }
    }
    return result;
}

int CQVRFCDOEAnalyzer::GetLevel(int run, int factor) const {
    if (!m_pOrthogonalArray || !IsRun(run) || !IsFactor(factor)) return -1;
    return m_pOrthogonalArray->GetLevel(run, m_pControlFactorID[factor]);
}

int CQVRFCDOEAnalyzer::SetControlFactorValue(int run, int factor, double value) {
    if (!IsRun(run) || !IsFactor(factor)) return 0;
    m_pRunControlFactorData[run].SetValue(factor, value);
    return 1;
}

// Row f of the table holds the value of each level of factor f; runs without an
// array level for a factor, and factors beyond the table, are left as they are.
int CQVRFCDOEAnalyzer::SetControlFactorValue(int nFactor, int nLevel, double** ppLevelValue) {
    if (nFactor < 0 || nLevel < 0 || !ppLevelValue) return 0;
    for (int r = 0; r < m_nRun; ++r) {
        for (int f = 0; f < m_nFactor && f < nFactor; ++f) {
            const int level = GetLevel(r, f) - 1;
            if (level < 0 || level >= nLevel || !ppLevelValue[f]) continue;
            SetControlFactorValue(r, f, ppLevelValue[f][level]);
        }
    }
    return 1;
}

double CQVRFCDOEAnalyzer::GetControlFactorValue(int run, int factor) const {
    if (!IsRun(run) || !IsFactor(factor)) return kNoControlFactorValue;
    return m_pRunControlFactorData[run].GetValue(factor);
}

void CQVRFCDOEAnalyzer::SetControlFactorName(int factor, CString name) {
    if (IsFactor(factor)) m_pControlFactorName[factor] = name;
}

CString CQVRFCDOEAnalyzer::GetControlFactorName(int factor) const {
    return IsFactor(factor) ? m_pControlFactorName[factor] : CString();
}

// ---- Qualities and pooling ----

void CQVRFCDOEAnalyzer::SetQualityFactorName(int quality, CString name) {
    if (IsQuality(quality)) m_pQualityFactorName[quality] = name;
}

CString CQVRFCDOEAnalyzer::GetQualityFactorName(int quality) const {
    return IsQuality(quality) ? m_pQualityFactorName[quality] : CString();
}

// Stored S/N ratios are not recomputed here; GetSNRatio refreshes them run by run.
void CQVRFCDOEAnalyzer::SetQualityCharacteristic(int quality, SN_RATIO_TYPE type, double target) {
    if (!IsQuality(quality)) return;
    m_pQualityCharacteristic[quality] = type;
    m_pQualityTarget[quality] = target;
}

CQVRFCDOEAnalyzer::SN_RATIO_TYPE CQVRFCDOEAnalyzer::GetQualityCharacteristic(int quality) const {
    return IsQuality(quality) ? m_pQualityCharacteristic[quality] : static_cast<SN_RATIO_TYPE>(-1);
}

CQVRFCDOEAnalyzer::SN_RATIO_TYPE CQVRFCDOEAnalyzer::GetSNRatioTypeID(int quality) const {
    return GetQualityCharacteristic(quality);
}

double CQVRFCDOEAnalyzer::GetQualityTarget(int quality) const {
    return IsQuality(quality) ? m_pQualityTarget[quality] : 0.0;
}

// The flag is stored as given; the ANOVA counts 1 as pooled into the error and
// leaves every non-zero flag out of the total.
void CQVRFCDOEAnalyzer::SetFactorPooled(int quality, int factor, int pooled) {
    if (IsQuality(quality) && IsFactor(factor)) m_pPooledFactor[quality][factor] = pooled;
}

int CQVRFCDOEAnalyzer::IsFactorPooled(int quality, int factor) const {
    return IsQuality(quality) && IsFactor(factor) ? m_pPooledFactor[quality][factor] : 0;
}

void CQVRFCDOEAnalyzer::ResetAllFactorUnpooled(int quality) {
    if (!IsQuality(quality)) return;
    for (int& flag : m_pPooledFactor[quality])
        flag = 0;
}
