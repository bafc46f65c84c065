// CQVRFCStatistics: mean, standard deviation, correlation and regression line of whole samples.
// Each function comes in three forms that differ only in how the values are
// reached; the arithmetic is written once over a reader of the k-th value.
#include <cmath>
#include <cstddef>

#include "qvrfc/common/QVRFCPlatform.h"
#include "qvrfc/statistics/QVRFCStatistics.h"

namespace {

// Reads the caller's storage directly: value k is data[first + k].
class DirectReader {
  public:
    DirectReader(const double* data, int first) : m_pData(data), m_nFirst(first) {}
    double operator()(int k) const { return m_pData[static_cast<std::ptrdiff_t>(m_nFirst) + k]; }

  private:
    const double* m_pData;
    int m_nFirst;
};

// Reads array element first + k, ending the process when that index lies
// outside the array's storage.
class CheckedReader {
  public:
    CheckedReader(const CQVRFCDoubleArray* array, int first) : m_pArray(array), m_nFirst(first) {}
    double operator()(int k) const {
        const long long index = static_cast<long long>(m_nFirst) + k;
        const double* data = m_pArray->GetData();
        if (!data || index < 0 || index >= m_pArray->GetSize())
            QVRFCErrorExit("Vector check bound error!\n");
        return data[index];
    }

  private:
    const CQVRFCDoubleArray* m_pArray;
    int m_nFirst;
};

// The array reference form reads as many values as the array holds, starting
// at first; they stay inside its storage only when first is 0.
bool IsWholeArrayInside(const CQVRFCDoubleArray& a, int first) {
    return a.GetSize() >= 1 && a.GetData() && first == 0;
}

bool IsPairInside(const CQVRFCDoubleArray& x, const CQVRFCDoubleArray& y, int first) {
    return x.GetSize() == y.GetSize() && IsWholeArrayInside(x, first) &&
           IsWholeArrayInside(y, first);
}

bool IsPairCounted(const CQVRFCDoubleArray* x, const CQVRFCDoubleArray* y) {
    return x && y && x->GetSize() >= 1 && x->GetSize() == y->GetSize();
}

template <class Reader>
double Mean(int n, const Reader& at) {
    double sum = 0.0;
    for (int k = 0; k < n; ++k)
        sum += at(k);
    return sum / n;
}

template <class Reader>
double PopulationDeviation(int n, const Reader& at) {
    const double mean = Mean(n, at);
    double sum = 0.0;
    for (int k = 0; k < n; ++k)
        sum += (at(k) - mean) * (at(k) - mean);
    return std::sqrt(sum / n);
}

// A sample whose values are all equal has no spread. Tested exactly, since
// rounding in the sums can leave a tiny spread where there is none.
template <class Reader>
bool IsConstant(int n, const Reader& at) {
    const double first = at(0);
    for (int k = 1; k < n; ++k) {
        if (at(k) != first) return false;
    }
    return true;
}

template <class Reader>
double Correlation(int n, const Reader& x, const Reader& y) {
    if (IsConstant(n, x) || IsConstant(n, y)) return 0.0;
    double sx = 0.0, sy = 0.0, sxx = 0.0, syy = 0.0, sxy = 0.0;
    for (int k = 0; k < n; ++k) {
        const double xk = x(k);
        const double yk = y(k);
        sx += xk;
        sy += yk;
        sxx += xk * xk;
        syy += yk * yk;
        sxy += xk * yk;
    }
    const double spreadX = n * sxx - sx * sx;
    const double spreadY = n * syy - sy * sy;
    // Cancellation can leave a spread at or below zero for nearly constant samples.
    if (!(spreadX > 0.0) || !(spreadY > 0.0)) return 0.0;
    return (n * sxy - sx * sy) / (std::sqrt(spreadX) * std::sqrt(spreadY));
}

template <class Reader>
int Regression(int n, const Reader& x, const Reader& y, double& slope, double& intercept) {
    const double meanX = Mean(n, x);
    const double meanY = Mean(n, y);
    double qxx = 0.0, qxy = 0.0;
    if (!IsConstant(n, x)) {
        for (int k = 0; k < n; ++k) {
            const double dx = x(k) - meanX;
            qxx += dx * dx;
            qxy += dx * (y(k) - meanY);
        }
    }
    if (qxx == 0.0) {
        slope = intercept = 0.0;
        return 0;
    }
    slope = qxy / qxx;
    intercept = meanY - slope * meanX;
    return 1;
}

}  // namespace

double CQVRFCStatistics::GetArithmeticMean(CQVRFCDoubleArray& a, int first) {
    if (!IsWholeArrayInside(a, first)) return 0.0;
    return Mean(a.GetSize(), DirectReader(a.GetData(), first));
}

double CQVRFCStatistics::GetArithmeticMean(int n, const double* a, int first) {
    if (n < 1 || !a) return 0.0;
    return Mean(n, DirectReader(a, first));
}

double CQVRFCStatistics::GetArithmeticMean(CQVRFCDoubleArray* a, int first) {
    if (!a || a->GetSize() < 1) return 0.0;
    return Mean(a->GetSize(), CheckedReader(a, first));
}

double CQVRFCStatistics::GetStandardDeviation(CQVRFCDoubleArray& a, int first) {
    if (!IsWholeArrayInside(a, first)) return 0.0;
    return PopulationDeviation(a.GetSize(), DirectReader(a.GetData(), first));
}

double CQVRFCStatistics::GetStandardDeviation(int n, const double* a, int first) {
    if (n < 1 || !a) return 0.0;
    return PopulationDeviation(n, DirectReader(a, first));
}

double CQVRFCStatistics::GetStandardDeviation(CQVRFCDoubleArray* a, int first) {
    if (!a || a->GetSize() < 1) return 0.0;
    return PopulationDeviation(a->GetSize(), CheckedReader(a, first));
}

double CQVRFCStatistics::GetCorrelationCoefficients(CQVRFCDoubleArray& x, CQVRFCDoubleArray& y,
                                                    int first) {
    if (!IsPairInside(x, y, first)) return 0.0;
    return Correlation(x.GetSize(), DirectReader(x.GetData(), first),
                       DirectReader(y.GetData(), first));
}

double CQVRFCStatistics::GetCorrelationCoefficients(int n, const double* x, const double* y,
                                                    int first) {
    if (n < 1 || !x || !y) return 0.0;
    return Correlation(n, DirectReader(x, first), DirectReader(y, first));
}

double CQVRFCStatistics::GetCorrelationCoefficients(CQVRFCDoubleArray* x, CQVRFCDoubleArray* y,
                                                    int first) {
    if (!IsPairCounted(x, y)) return 0.0;
    return Correlation(x->GetSize(), CheckedReader(x, first), CheckedReader(y, first));
}

int CQVRFCStatistics::GetLinearRegressionCoefficients(CQVRFCDoubleArray& x, CQVRFCDoubleArray& y,
                                                      double& slope, double& intercept, int first) {
    if (!IsPairInside(x, y, first)) return 0;
    return Regression(x.GetSize(), DirectReader(x.GetData(), first),
                      DirectReader(y.GetData(), first), slope, intercept);
}

int CQVRFCStatistics::GetLinearRegressionCoefficients(int n, const double* x, const double* y,
                                                      double& slope, double& intercept, int first) {
    if (n < 1 || !x || !y) return 0;
    return Regression(n, DirectReader(x, first), DirectReader(y, first), slope, intercept);
}

int CQVRFCStatistics::GetLinearRegressionCoefficients(CQVRFCDoubleArray* x, CQVRFCDoubleArray* y,
                                                      double& slope, double& intercept, int first) {
    if (!IsPairCounted(x, y)) return 0;
    return Regression(x->GetSize(), CheckedReader(x, first), CheckedReader(y, first), slope,
                      intercept);
}
