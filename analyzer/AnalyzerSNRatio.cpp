// S/N ratios in decibels, mean square deviation, sensitivity and coefficient of
// variation of one run, and the static S/N forms over a plain array of values.
#include <cmath>
#include <cstring>

#include "qvrfc/analyzer/QVRFCDOEAnalyzer.h"
#include "qvrfc/common/QVRFCConstants.h"

using qvrfc::kNearZero;

namespace {

constexpr double kNoCoefficientOfVariation = -1e10;

// Keeps logarithms finite: a value within 1e-8 of zero counts as 1e-8 (80 dB).
double Floor(double x) {
    return std::fabs(x) > kNearZero ? x : kNearZero;
}

double Decibel(double x) {
    return 10.0 * std::log10(x);
}

// Squared sum over count of the run's valid observations (0.0 without any).
double SquaredSumOverCount(const CQVRFCDOEAnalyzer::CQVRFCDOERunQualityData& record) {
    const double* values = record.m_aQualityValue.GetData();
    const int count = record.GetValueCount();
    double sum = 0.0;
    int valid = 0;
    for (int i = 0; i < count; ++i) {
        if (qvrfc::IsMissing(values[i])) continue;
        sum += values[i];
        ++valid;
    }
    return valid > 0 ? sum * sum / valid : 0.0;
}

// Sum of term(y) over every observation slot of the run, missing ones included.
template <typename Term>
double SumOverSlots(const CQVRFCDOEAnalyzer::CQVRFCDOERunQualityData& record, Term term) {
    const double* values = record.m_aQualityValue.GetData();
    const int count = record.GetValueCount();
    double sum = 0.0;
    for (int i = 0; i < count; ++i)
        sum += term(values[i]);
    return sum;
}

// 1/y^2 for the larger-the-better forms; slots at or below 1e-8 add nothing.
double ReciprocalSquare(double y) {
    return y > kNearZero ? 1.0 / (y * y) : 0.0;
}

// Mean of term(v) over the values that include(v) accepts; 0.0 when none is.
template <typename Include, typename Term>
double MeanOver(int count, const double* values, Include include, Term term) {
    double sum = 0.0;
    int included = 0;
    for (int i = 0; i < count; ++i) {
        if (!include(values[i])) continue;
        sum += term(values[i]);
        ++included;
    }
    return included > 0 ? sum / included : sum;
}

// Mean and population variance (divisor k) of the included values.
void MeanAndVariance(int count, const double* values, int bExcludeNegative, double& mean,
                     double& variance) {
    auto include = [bExcludeNegative](double v) { return !bExcludeNegative || v >= 0.0; };
    mean = MeanOver(count, values, include, [](double v) { return v; });
    const double mu = mean;
    variance = MeanOver(count, values, include, [mu](double v) { return (v - mu) * (v - mu); });
}

}  // namespace

// ---- Characteristic descriptions ----

CString CQVRFCDOEAnalyzer::GetSNRatioType(int quality) const {
    switch (GetQualityCharacteristic(quality)) {
        case NOMINAL_THE_BEST_1:
            return "Nominal-the-Best Type I (S/N=-10*log[(Avg-Target)^2+STDEV^2])";
        case NOMINAL_THE_BEST_2:
            return "Nominal-the-Best Type II (S/N=-10*log[STDEV^2])";
        case NOMINAL_THE_BEST_3:
            return "Nominal-the-Best Type III (S/N=-10*log[STDEV^2/Avg^2])";
        case NOMINAL_THE_BEST_4:
            return "Nominal-the-Best Type IV (S/N= 10*log[(Sm-Ve)/(n*Ve)])";
        case SMALLER_THE_BETTER:
            return "the-Smaller-the-Better Type IV (S/N= -10*log[Avg^2+STDEV^2])";
        case LARGER_THE_BETTER:
            return "the-Larger-the-Better Type IV (S/N=-10*log[Sum(1/Yi)/N] )";
    }
    return "Unknown";
}

// ---- S/N ratio of a run, stored in its record ----

double CQVRFCDOEAnalyzer::GetSNRatio(int quality, int run) const {
    if (!IsRecord(quality, run)) return 0.0;
    return GetSNRatio(quality, run, m_pQualityCharacteristic[quality], m_pQualityTarget[quality]);
}

double CQVRFCDOEAnalyzer::GetSNRatio(int quality, int run, SN_RATIO_TYPE type,
                                     double target) const {
    if (!IsRecord(quality, run)) return 0.0;
    CQVRFCDOERunQualityData& record = Record(quality, run);
    double ratio = 0.0;
    switch (type) {
        case NOMINAL_THE_BEST_1:
            ratio = GetSNRatioNominalTheBest1(target, record.GetAverageValue(),
                                              record.GetStandardDeviationValue());
            break;
        case NOMINAL_THE_BEST_2:
            ratio = GetSNRatioNominalTheBest2(record.GetStandardDeviationValue());
            break;
        case NOMINAL_THE_BEST_3:
            ratio = GetSNRatioNominalTheBest3(record.GetAverageValue(),
                                              record.GetStandardDeviationValue());
            break;
        case NOMINAL_THE_BEST_4:
            ratio = GetSNRatioNominalTheBest4(quality, run);
            break;
        case SMALLER_THE_BETTER:
            ratio = GetSNRatioSmallerTheBetter(record.GetAverageValue(),
                                               record.GetStandardDeviationValue());
            break;
        case LARGER_THE_BETTER:
            ratio = GetSNRatioLargerTheBetter(quality, run);
            break;
    }
    // Stored only when it changes: once every run's ratio is stored, concurrent readers of
    // the analyzer (reports written side by side) never write to the record.
    if (std::memcmp(&record.m_dSNRatio, &ratio, sizeof ratio) != 0) record.m_dSNRatio = ratio;
    return ratio;
}

// ---- Member formulas ----

double CQVRFCDOEAnalyzer::GetSNRatioNominalTheBest1(double target, double average,
                                                    double standardDeviation) const {
    const double offset = average - target;
    return -Decibel(Floor(offset * offset + standardDeviation * standardDeviation));
}

double CQVRFCDOEAnalyzer::GetSNRatioNominalTheBest2(double standardDeviation) const {
    return -Decibel(Floor(standardDeviation * standardDeviation));
}

double CQVRFCDOEAnalyzer::GetSNRatioNominalTheBest3(double average,
                                                    double standardDeviation) const {
    if (average <= kNearZero) return 0.0;
    return -Decibel(Floor(standardDeviation * standardDeviation / (average * average)));
}

// (Sm - Ve) / (n Ve); a negative ratio beyond the floor has no logarithm (NaN).
double CQVRFCDOEAnalyzer::GetSNRatioNominalTheBest4(int quality, int run) const {
    if (!IsRecord(quality, run)) return 0.0;
    CQVRFCDOERunQualityData& record = Record(quality, run);
    const int n = record.GetValueCount();
    const double deviation = record.GetStandardDeviationValue();
    const double ve = deviation * deviation;
    double ratio = 0.0;
    if (ve > kNearZero && n >= 1) ratio = (SquaredSumOverCount(record) - ve) / (n * ve);
    return Decibel(Floor(ratio));
}

// No floor: a run of zeros gives positive infinity.
double CQVRFCDOEAnalyzer::GetSNRatioSmallerTheBetter(double average,
                                                     double standardDeviation) const {
    return -Decibel(average * average + standardDeviation * standardDeviation);
}

// Sum of 1/y^2 over the slots above 1e-8, floored, over the number of all slots.
double CQVRFCDOEAnalyzer::GetSNRatioLargerTheBetter(int quality, int run) const {
    if (!IsRecord(quality, run)) return 0.0;
    const CQVRFCDOERunQualityData& record = Record(quality, run);
    const int n = record.GetValueCount();
    if (n < 1) return 0.0;
    return -Decibel(Floor(SumOverSlots(record, ReciprocalSquare)) / n);
}

// ---- Static forms over plain values ----

double CQVRFCDOEAnalyzer::GetSNRatioLargerTheBetter(int count, double* values) {
    if (count < 1 || !values) return 0.0;
    const double msd = MeanOver(
        count, values, [](double v) { return v > 0.0; }, [](double v) { return 1.0 / (v * v); });
    return -Decibel(Floor(msd));
}

double CQVRFCDOEAnalyzer::GetSNRatioSmallerTheBetter(int count, double* values) {
    if (count < 1 || !values) return 0.0;
    const double msd = MeanOver(
        count, values, [](double v) { return v >= 0.0; }, [](double v) { return v * v; });
    return -Decibel(Floor(msd));
}

double CQVRFCDOEAnalyzer::GetSNRatioNominalTheBest1(int count, double* values, double target,
                                                    int bExcludeNegative) {
    if (count < 1 || !values) return 0.0;
    const double msd = MeanOver(
        count, values, [bExcludeNegative](double v) { return !bExcludeNegative || v >= 0.0; },
        [target](double v) { return (v - target) * (v - target); });
    return -Decibel(Floor(msd));
}

double CQVRFCDOEAnalyzer::GetSNRatioNominalTheBest2(int count, double* values,
                                                    int bExcludeNegative) {
    if (count < 1 || !values) return 0.0;
    double mean = 0.0, variance = 0.0;
    MeanAndVariance(count, values, bExcludeNegative, mean, variance);
    return -Decibel(Floor(variance));
}

double CQVRFCDOEAnalyzer::GetSNRatioNominalTheBest3(int count, double* values,
                                                    int bExcludeNegative) {
    if (count < 1 || !values) return 0.0;
    double mean = 0.0, variance = 0.0;
    MeanAndVariance(count, values, bExcludeNegative, mean, variance);
    if (std::fabs(mean) > kNearZero) variance /= mean * mean;
    return -Decibel(Floor(variance));
}

// ---- Mean square deviation, sensitivity, coefficient of variation ----

double CQVRFCDOEAnalyzer::GetMeanSquareDeviation(int quality, int run) const {
    if (!IsRecord(quality, run)) return -1.0;
    switch (m_pQualityCharacteristic[quality]) {
        case NOMINAL_THE_BEST_1:
        case NOMINAL_THE_BEST_2:
        case NOMINAL_THE_BEST_3:
        case NOMINAL_THE_BEST_4:
            return GetMeanSquareDeviationNominalTheBest(quality, run);
        case SMALLER_THE_BETTER:
            return GetMeanSquareDeviationSmallerTheBetter(quality, run);
        case LARGER_THE_BETTER:
            return GetMeanSquareDeviationLargerTheBetter(quality, run);
    }
    return -1.0;
}

// The three kinds divide by the number of all slots, missing ones included.
double CQVRFCDOEAnalyzer::GetMeanSquareDeviationNominalTheBest(int quality, int run) const {
    if (!IsRecord(quality, run)) return -1.0;
    const CQVRFCDOERunQualityData& record = Record(quality, run);
    const int n = record.GetValueCount();
    if (n < 1) return 0.0;
    const double target = m_pQualityTarget[quality];
    return SumOverSlots(record, [target](double y) { return (y - target) * (y - target); }) / n;
}

double CQVRFCDOEAnalyzer::GetMeanSquareDeviationSmallerTheBetter(int quality, int run) const {
    if (!IsRecord(quality, run)) return -1.0;
    const CQVRFCDOERunQualityData& record = Record(quality, run);
    const int n = record.GetValueCount();
    if (n < 1) return 0.0;
    return SumOverSlots(record, [](double y) { return y * y; }) / n;
}

double CQVRFCDOEAnalyzer::GetMeanSquareDeviationLargerTheBetter(int quality, int run) const {
    if (!IsRecord(quality, run)) return -1.0;
    const CQVRFCDOERunQualityData& record = Record(quality, run);
    const int n = record.GetValueCount();
    if (n < 1) return 0.0;
    return SumOverSlots(record, ReciprocalSquare) / n;
}

// (Sm - Ve) / n in dB; a non-positive value is returned as it stands.
double CQVRFCDOEAnalyzer::GetSensitivity(int quality, int run) const {
    if (!IsRecord(quality, run)) return 0.0;
    CQVRFCDOERunQualityData& record = Record(quality, run);
    const double deviation = record.GetStandardDeviationValue();
    double x = SquaredSumOverCount(record) - deviation * deviation;
    const int n = record.GetValueCount();
    if (n > 0) x /= n;
    return x > 0.0 ? Decibel(x) : x;
}

double CQVRFCDOEAnalyzer::GetCoefficientOfVariation(int quality, int run) const {
    if (!IsRecord(quality, run)) return kNoCoefficientOfVariation;
    CQVRFCDOERunQualityData& record = Record(quality, run);
    const double average = record.GetAverageValue();
    if (std::fabs(average) <= kNearZero) return kNoCoefficientOfVariation;
    return record.GetStandardDeviationValue() / average;
}
