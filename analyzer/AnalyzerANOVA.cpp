// Analysis of variance of one quality on the quality values or the S/N ratios:
// factor, error and total sums of squares, variances, F values, contributions,
// with pooled factors moved into the error.
#include <algorithm>
#include <cmath>

#include "qvrfc/analyzer/QVRFCDOEAnalyzer.h"
#include "qvrfc/common/QVRFCConstants.h"

using qvrfc::kNearZero;

namespace {

// Result for a factor index outside the experiment.
constexpr double kNoFactor = -1e10;
// Pooled flag that moves a factor into the error; any non-zero flag leaves the total.
constexpr int kPooledIntoError = 1;

// Observations of the run that are not missing, straight over the stored values.
int ValidObservationCount(const CQVRFCDOEAnalyzer::CQVRFCDOERunQualityData& record) {
    const double* values = record.m_aQualityValue.GetData();
    int valid = 0;
    for (int i = 0; i < record.m_aQualityValue.GetSize(); ++i)
        valid += qvrfc::IsMissing(values[i]) ? 0 : 1;
    return valid;
}

}  // namespace

// (Sum of the responses of the runs at the level)^2 / their number.
double CQVRFCDOEAnalyzer::ComputeFactorLevelEffectSquares(int quality, int factor, int level,
                                                          FACTOR_EFFECT_TYPE type,
                                                          int& runCount) const {
    runCount = 0;
    if (!IsQuality(quality) || !IsFactor(factor)) return 0.0;
    double sum = 0.0;
    for (int run = 0; run < m_nRun; ++run) {
        if (GetLevel(run, factor) - 1 != level) continue;
        sum += RunResponse(quality, run, type);
        ++runCount;
    }
    return runCount > 0 ? sum * sum / runCount : sum * sum;
}

// Quality values: sum over levels of (level effect - grand average)^2, times the
// number of observation slots over the level count. S/N ratios: the level-total
// form, sum of T_l^2 / c_l minus T^2 / runs. Other responses: 0.0. dof = L - 1.
double CQVRFCDOEAnalyzer::GetFactorSumsOfSquares(int quality, int factor, int& dof,
                                                 FACTOR_EFFECT_TYPE type,
                                                 int bRespectPooling) const {
    if (factor < 0 || factor >= m_nFactor) return kNoFactor;
    if (!IsQuality(quality)) {
        dof = 0;
        return 0.0;
    }
    if (bRespectPooling == 1 && IsFactorPooled(quality, factor) == kPooledIntoError) {
        dof = 0;
        return 0.0;
    }
    const int nLevel = FactorLevelCount(factor);
    double squares = 0.0;
    if (type == FACTOR_EFFECT_QUALITY && nLevel >= 1) {
        const double mean = GetAveragedQualityValue(quality);
        double sum = 0.0;
        for (int level = 0; level < nLevel; ++level) {
            const double deviation = GetFactorLevelEffect(quality, factor, level, type) - mean;
            sum += deviation * deviation;
        }
        int slots = 0;
        for (int run = 0; run < m_nRun; ++run)
            slots += GetRunNoQualityData(quality, run);
        squares = sum * slots / nLevel;
    } else if (type == FACTOR_EFFECT_SN_RATIO) {
        for (int level = 0; level < nLevel; ++level) {
            int count = 0;
            squares += ComputeFactorLevelEffectSquares(quality, factor, level, type, count);
        }
        const double total = ResponseTotal(quality, type);
        squares -= total * total / m_nRun;
    }
    dof = std::max(nLevel - 1, 0);
    return squares;
}

// Quality values: the within-run error, each run adding s^2 (k - 1) and k - 1
// degrees of freedom for its k valid observations. Then every factor pooled with
// flag 1 adds its own sum of squares and degrees of freedom.
double CQVRFCDOEAnalyzer::GetErrorSumsOfSquares(int quality, int& dof,
                                                FACTOR_EFFECT_TYPE type) const {
    dof = 0;
    if (!IsQuality(quality)) return 0.0;
    double squares = 0.0;
    if (type == FACTOR_EFFECT_QUALITY) {
        for (int run = 0; run < m_nRun; ++run) {
            CQVRFCDOERunQualityData& record = Record(quality, run);
            const int valid = ValidObservationCount(record);
            if (valid < 2) continue;
            const double deviation = record.GetStandardDeviationValue();
            squares += deviation * deviation * (valid - 1);
            dof += valid - 1;
        }
    }
    for (int f = 0; f < m_nFactor; ++f) {
        if (IsFactorPooled(quality, f) != kPooledIntoError) continue;
        int factorDof = 0;
        squares += GetFactorSumsOfSquares(quality, f, factorDof, type, 0);
        dof += factorDof;
    }
    return squares;
}

// Sum over the factors not pooled (flag 0), visited in the array's column
// assignment order over the control factor values held by the first run; column
// IDs that are not factor indexes of this experiment are skipped.
double CQVRFCDOEAnalyzer::GetTotalSumsOfSquares(int quality, int& dof,
                                                FACTOR_EFFECT_TYPE type) const {
    dof = 0;
    if (!IsQuality(quality)) return 0.0;
    double squares = 0.0;
    const int positions = m_pRunControlFactorData[0].m_aFactorValue.GetSize();
    for (int i = 0; i < positions; ++i) {
        const int factor = GetDOEColumnID(i);
        if (factor < 0 || factor >= m_nFactor || IsFactorPooled(quality, factor) != 0) continue;
        int factorDof = 0;
        squares += GetFactorSumsOfSquares(quality, factor, factorDof, type, 1);
        dof += factorDof;
    }
    return squares;
}

// Ve = SSe / dofe; the contribution is the share of SSe in the total. A variance
// that rounding left below zero has a standard deviation of 0.0.
double CQVRFCDOEAnalyzer::GetErrorVariance(int quality, double errorSS, int errorDof,
                                           double& errorSD, double& errorPercent,
                                           FACTOR_EFFECT_TYPE type) const {
    if (!IsQuality(quality)) {
        errorSD = 0.0;
        errorPercent = 0.0;
        return 0.0;
    }
    int totalDof = 0;
    return ErrorVarianceOfTotal(errorSS, errorDof, GetTotalSumsOfSquares(quality, totalDof, type),
                                errorSD, errorPercent);
}

double CQVRFCDOEAnalyzer::ErrorVarianceOfTotal(double errorSS, int errorDof, double total,
                                               double& errorSD, double& errorPercent) {
    const double variance = errorDof > 0 ? errorSS / errorDof : 0.0;
    errorSD = variance > 0.0 ? std::sqrt(variance) : 0.0;
    errorPercent = total > kNearZero ? errorSS / total * 100.0 : 0.0;
    return variance;
}

// V = SS / dof, F = V / Ve, contribution = SS / total; a factor pooled into the
// error gives 0.0 for all three.
double CQVRFCDOEAnalyzer::GetFactorVariance(int quality, int factor, double factorSS, int factorDof,
                                            double errorVariance, double& fValue, double& percent,
                                            FACTOR_EFFECT_TYPE type) const {
    if (factor < 0 || factor >= m_nFactor) return kNoFactor;
    if (!IsQuality(quality) || IsFactorPooled(quality, factor) == kPooledIntoError) {
        fValue = 0.0;
        percent = 0.0;
        return 0.0;
    }
    int totalDof = 0;
    return FactorVarianceOfTotal(factorSS, factorDof, errorVariance,
                                 GetTotalSumsOfSquares(quality, totalDof, type), fValue, percent);
}

double CQVRFCDOEAnalyzer::FactorVarianceOfTotal(double factorSS, int factorDof,
                                                double errorVariance, double total, double& fValue,
                                                double& percent) {
    const double variance = factorDof > 0 ? factorSS / factorDof : 0.0;
    fValue = errorVariance > kNearZero ? variance / errorVariance : 0.0;
    percent = total > kNearZero ? factorSS / total * 100.0 : 0.0;
    return variance;
}
