// Entry of quality values run by run, and the per-run getters.
#include "qvrfc/analyzer/QVRFCDOEAnalyzer.h"

// ---- The Start / Add / End sequence ----

int CQVRFCDOEAnalyzer::AddQualityValueStart(int quality, int run) {
    if (!IsRecord(quality, run)) return 0;
    if (m_nCurrentRun >= 0 && m_nCurrentQuality >= 0) return 0;  // a sequence is open
    Record(quality, run).ClearData();
    m_nCurrentRun = run;
    m_nCurrentQuality = quality;
    return 1;
}

int CQVRFCDOEAnalyzer::AddQualityValue(double value) {
    if (!IsRecord(m_nCurrentQuality, m_nCurrentRun)) return 0;
    Record(m_nCurrentQuality, m_nCurrentRun).AddValue(value);
    return 1;
}

// Computes the run's statistics and stores its S/N ratio with the quality's current
// characteristic. A sequence left outside the storage by a later set-up or Clear is
// closed without touching anything, so that new sequences can be opened again.
int CQVRFCDOEAnalyzer::AddQualityValueEnd(double& average, double& standardDeviation) {
    const int quality = m_nCurrentQuality;
    const int run = m_nCurrentRun;
    if (quality < 0 || run < 0) return 0;
    m_nCurrentQuality = -1;
    m_nCurrentRun = -1;
    if (!IsRecord(quality, run)) return 0;
    CQVRFCDOERunQualityData& record = Record(quality, run);
    const int result = record.ComputeStatistics();
    if (result == 1) {
        average = record.m_dAverage;
        standardDeviation = record.m_dStandardDeviation;
    }
    GetSNRatio(quality, run);
    return result;
}

// ---- Plain writes (the cached statistics are left as they are) ----

int CQVRFCDOEAnalyzer::AppendQualityValue(int quality, int run, double value) {
    if (!IsRecord(quality, run)) return 0;
    Record(quality, run).AddValue(value);
    return 1;
}

// A negative repetition index throws std::invalid_argument, after the quality and
// run have been checked.
int CQVRFCDOEAnalyzer::SetQualityValue(int quality, int run, double value, int index) {
    if (!IsRecord(quality, run)) return 0;
    Record(quality, run).SetValue(index, value);
    return 1;
}

// ---- Per-run getters ----

double CQVRFCDOEAnalyzer::GetQualityValue(int quality, int run, int index) const {
    return IsRecord(quality, run) ? Record(quality, run).GetValue(index) : -1.0;
}

double CQVRFCDOEAnalyzer::GetRunQualityValue(int quality, int run) const {
    return IsRecord(quality, run) ? Record(quality, run).GetAverageValue() : 0.0;
}

double CQVRFCDOEAnalyzer::GetRunStandardDeviation(int quality, int run) const {
    return IsRecord(quality, run) ? Record(quality, run).GetStandardDeviationValue() : -1.0;
}

int CQVRFCDOEAnalyzer::GetRunNoQualityData(int quality, int run) const {
    return IsRecord(quality, run) ? Record(quality, run).GetValueCount() : 0;
}

const double* CQVRFCDOEAnalyzer::GetRunQualityValues(int quality, int run, int& count) const {
    count = GetRunNoQualityData(quality, run);
    return count > 0 ? Record(quality, run).m_aQualityValue.GetData() : nullptr;
}
