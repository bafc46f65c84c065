// CQVRFCStatistics: descriptive statistics of a stream of values.
// Three independent Begin / Add / End passes (averaging, distribution, moments)
// fill the results read by the getters; static functions compute the mean,
// standard deviation, correlation and regression line of whole samples.
#pragma once

#include <vector>

#include "qvrfc/common/QVRFCDoubleArray.h"
#include "qvrfc/common/QVRFCExport.h"

class QVRFC_API CQVRFCStatistics {
  public:
    // Lifecycle: a fresh object holds zeros and no groups; copies are deep.
    CQVRFCStatistics();
    CQVRFCStatistics(const CQVRFCStatistics& source);
    CQVRFCStatistics& operator=(const CQVRFCStatistics& source);
    virtual ~CQVRFCStatistics();

    // Releases the groups and resets every result and flag to 0.
    void Clear();
    // Makes nGroup empty groups (no groups when memory runs out).
    void SetNoGroup(int nGroup, int nTotalCount);
    // Deep copy of source; 0 (nothing changed) for a null source or this object.
    int SetData(const CQVRFCStatistics& source);
    int SetData(CQVRFCStatistics* source);

    // Averaging pass: weighted mean, root mean square, optional geometric and
    // harmonic means, smallest and largest value. Add returns the weighted sum so far.
    int ComputAvgBegin(int bGeometricMean, int bHarmonicMean);
    double ComputAvgAdd(double value, double weighting);
    int ComputAvgEnd();

    // Distribution pass about the mean of a finished averaging pass (refused
    // with 0 before one): mean deviation, standard deviation and a histogram
    // over nGroup equal-width groups from..to (from > to: the averaged range).
    int ComputDistributionBegin(int nGroup, double from, double to);
    double ComputDistributionAdd(double value);
    double ComputDistributionAdd(double value, double weighting);
    int ComputDistributionEnd(int bSample);

    // Moment pass: moments of order 1 to 4 about zero and about center.
    int ComputMomentBegin(double center);
    double ComputMomentAdd(double value);
    int ComputMomentEnd();

    // Results of the averaging and distribution passes.
    double GetAverageValue() const { return m_dAverageValue; }
    double GetArithmeticMean() const { return m_dAverageValue; }
    double GetGeometricMean() const { return m_dGeometricMean; }
    double GetHarmonicMean() const { return m_dHarmonicMean; }
    double GetRMS() const { return m_dRMS; }
    double GetRootMeanSquare() const { return m_dRMS; }
    double GetMD() const { return m_dMD; }
    double GetMeanDeviation() const { return m_dMD; }
    double GetAverageDeviation() const { return m_dMD; }
    double GetStandardDeviation() const { return m_dStandardDeviation; }
    double GetVariance() const { return m_dStandardDeviation * m_dStandardDeviation; }
    // Standard deviation over the mean; the standard deviation itself for a mean near 0.
    double GetCoefficientOfVariation() const;
    double GetCoefficientOfDispersion() const { return GetCoefficientOfVariation(); }
    double GetMinValue() const { return m_dMinValue; }
    double GetMaxValue() const { return m_dMaxValue; }
    double GetRangeValue() const { return m_dMaxValue - m_dMinValue; }

    // Histogram of the distribution pass; group getters give 0 outside 0..nGroup-1.
    int GetNoGroup() const { return m_nGroup; }
    int GetNoTotalCount() const { return m_nTotalCount; }
    double GetNoTotalWeighting() const { return m_dTotalWeighting; }
    int GetGroupCount(int i) const;
    double GetGroupWeighting(int i) const;
    double GetGroupFrom(int i) const;
    double GetGroupTo(int i) const;
    double GetGroupInterval(int i) const;
    void GetGroupRange(double& from, double& to);
    // Share of all distribution values (or of the grouped weight) in group i, in percent.
    double GetGroupRatio(int i) const;
    double GetGroupWeightingRatio(int i) const;

    // Moments; k is the order minus 1 (0..3), any other k gives 0.0.
    double GetMomentCenter() const { return m_dMomentCenter; }
    double GetMoment(int k) const;
    double GetMomentAbout(int k) const;
    double GetFirstMoment() const { return m_dMoment[0]; }
    double GetSecondMoment() const { return m_dMoment[1]; }
    double GetThirdMoment() const { return m_dMoment[2]; }
    double GetFourthMoment() const { return m_dMoment[3]; }
    double GetFirstMomentAbout() const { return m_dMomentAbout[0]; }
    double GetSecondMomentAbout() const { return m_dMomentAbout[1]; }
    double GetThirdMomentAbout() const { return m_dMomentAbout[2]; }
    double GetFourthMomentAbout() const { return m_dMomentAbout[3]; }

    // Setters store their argument and nothing else.
    void SetAverageValue(double value) { m_dAverageValue = value; }
    void SetArithmeticMean(double value) { m_dAverageValue = value; }
    void SetGeometricMean(double value) { m_dGeometricMean = value; }
    void SetHarmonicMean(double value) { m_dHarmonicMean = value; }
    void SetRMS(double value) { m_dRMS = value; }
    void SetRootMeanSquare(double value) { m_dRMS = value; }
    void SetMD(double value) { m_dMD = value; }
    void SetMeanDeviation(double value) { m_dMD = value; }
    void SetAverageDeviation(double value) { m_dMD = value; }
    void SetStandardDeviation(double value) { m_dStandardDeviation = value; }
    void SetMinValue(double value) { m_dMinValue = value; }
    void SetMaxValue(double value) { m_dMaxValue = value; }
    // Ignored unless 0 <= k <= 3.
    void SetMoment(int k, double value);
    void SetMomentAbout(int k, double value);
    // Group setters; ignored unless 0 <= i < nGroup.
    void SetGroupCount(int i, int count);
    void SetGroupInterval(int i, int bound);
    void SetGroupRange(int i, double from, double to);

    // Sample functions over the n values from index first on. The array
    // reference form uses every element (so first must be 0 to stay inside
    // it), the count form reads a[first]..a[first + n - 1] of the caller's
    // storage, and the array pointer form reads through a checked access that
    // ends the process on any index outside the array. Bad arguments give 0.0.
    static double GetArithmeticMean(CQVRFCDoubleArray& a, int first);
    static double GetArithmeticMean(int n, const double* a, int first);
    static double GetArithmeticMean(CQVRFCDoubleArray* a, int first);
    // Population standard deviation (divisor n).
    static double GetStandardDeviation(CQVRFCDoubleArray& a, int first);
    static double GetStandardDeviation(int n, const double* a, int first);
    static double GetStandardDeviation(CQVRFCDoubleArray* a, int first);
    // Pearson correlation of two samples of equal size; 0.0 when either is constant.
    static double GetCorrelationCoefficients(CQVRFCDoubleArray& x, CQVRFCDoubleArray& y, int first);
    static double GetCorrelationCoefficients(int n, const double* x, const double* y, int first);
    static double GetCorrelationCoefficients(CQVRFCDoubleArray* x, CQVRFCDoubleArray* y, int first);
    // Least-squares line y = slope * x + intercept: 1 when found; 0 for bad
    // arguments (outputs untouched) or a constant x (outputs set to 0.0).
    static int GetLinearRegressionCoefficients(CQVRFCDoubleArray& x, CQVRFCDoubleArray& y,
                                               double& slope, double& intercept, int first);
    static int GetLinearRegressionCoefficients(int n, const double* x, const double* y,
                                               double& slope, double& intercept, int first);
    static int GetLinearRegressionCoefficients(CQVRFCDoubleArray* x, CQVRFCDoubleArray* y,
                                               double& slope, double& intercept, int first);

  protected:
    // Replaces the groups with nGroup fresh ones; 0 (and no groups) when memory runs out.
    int AllocData(int nGroup, int nTotalCount);
    // Releases the groups.
    int FreeData();

  private:
    int HasGroup(int i) const { return i >= 0 && i < m_nGroup; }
    void CopyMembers(const CQVRFCStatistics& source);
    // Index of the group that takes value, -1 when it lies outside every group.
    int FindGroup(double value) const;

    int m_nGroup;
    int m_nTotalCount;
    double m_dTotalWeighting;
    int m_nCount;
    std::vector<int> m_pGroupCount;
    std::vector<double> m_pGroupWeighting;
    std::vector<double> m_pGroupTo;
    double m_dSumValue;
    double m_dSumLog;
    double m_dSumInverse;
    double m_dSumWeighting;
    double m_dNoLog;
    double m_dNoInverse;
    double m_dMinValue;
    double m_dMaxValue;
    double m_dAverageValue;
    double m_dGeometricMean;
    double m_dHarmonicMean;
    double m_dRMS;
    double m_dMD;
    double m_dStandardDeviation;
    double m_dRangeFrom;
    double m_dRangeTo;
    double m_dMomentCenter;
    double m_dMoment[4];
    double m_dMomentAbout[4];
    int m_bAverageDone;
    int m_bGeometricMean;
    int m_bHarmonicMean;
};
