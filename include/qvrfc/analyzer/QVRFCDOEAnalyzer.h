// CQVRFCDOEAnalyzer: one Taguchi experiment (qualities, control factors placed on
// the columns of an orthogonal array, repeated observations per run) and its
// analysis: S/N ratios, factor effects, ANOVA with pooling, predictions, reports.
//
// Indexes of qualities, runs, factors, levels and repetitions are 0-based.
// A double above 1e12 marks a missing observation or a statistic not yet computed.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "qvrfc/arrays/QVRFCDOETaguchiOrthogonalArray.h"
#include "qvrfc/common/CString.h"
#include "qvrfc/common/QVRFCDoubleArray.h"
#include "qvrfc/common/QVRFCExport.h"

class CQVRFCDOEDataFileReader;
namespace qvrfc {
class TextOutput;
}

class QVRFC_API CQVRFCDOEAnalyzer {
  public:
    using OA_TYPE = CQVRFCDOETaguchiOrthogonalArray::OA_TYPE;

    // Quality characteristic of a quality: selects its S/N ratio formula.
    // Held in an int so that -1 (no such quality) and unknown values are well defined.
    enum SN_RATIO_TYPE : int {
        NOMINAL_THE_BEST_1 = 0,
        NOMINAL_THE_BEST_2 = 1,
        NOMINAL_THE_BEST_3 = 2,
        NOMINAL_THE_BEST_4 = 3,
        SMALLER_THE_BETTER = 4,
        LARGER_THE_BETTER = 5
    };

    // The per-run response that effects, ranks, ANOVA and predictions work on;
    // any other value is no response (every effect and average 0.0).
    enum FACTOR_EFFECT_TYPE : int {
        FACTOR_EFFECT_QUALITY = 0,
        FACTOR_EFFECT_STDEV = 1,
        FACTOR_EFFECT_SN_RATIO = 2
    };

    // Observations of one run of one quality, with cached statistics (2e12 = not computed).
    class QVRFC_API CQVRFCDOERunQualityData {
      public:
        CQVRFCDOERunQualityData();
        virtual ~CQVRFCDOERunQualityData();

        void ClearData();                       // no observations, caches 2e12
        int AddValue(double value);             // appends; returns the observation count
        int SetValue(int index, double value);  // grows with 0.0; throws on index < 0
        int GetValueCount() const;              // observations stored, missing included
        int IsValidValue(int index) const;      // 1 when stored and not above 1e12
        double GetValue(int index);             // the observation, or the average off range
        int ComputeStatistics();                // average and sample deviation of valid ones
        double GetAverageValue();               // computed on demand while not cached
        double GetStandardDeviationValue();     // computed on demand while not cached

        double m_dAverage;
        double m_dStandardDeviation;
        double m_dSNRatio;  // written only by GetSNRatio
        CQVRFCDoubleArray m_aQualityValue;
    };

    // Control factor values of one run: element f is the value of factor f.
    class QVRFC_API CQVRFCDOERunControlFactorData {
      public:
        CQVRFCDOERunControlFactorData();
        virtual ~CQVRFCDOERunControlFactorData();

        void ClearData();
        int SetValue(int factor, double value);  // grows with 0.0; throws on factor < 0
        double GetValue(int factor) const;       // 0.0 outside the values held

        CQVRFCDoubleArray m_aFactorValue;
    };

    // Lifecycle. Copies are deep: they own their storage and their array object.
    CQVRFCDOEAnalyzer();
    CQVRFCDOEAnalyzer(const CQVRFCDOEAnalyzer& source);
    CQVRFCDOEAnalyzer& operator=(const CQVRFCDOEAnalyzer& source);
    virtual ~CQVRFCDOEAnalyzer();
    int Clear();  // releases the storage, keeps the counts and the array object

    // Counts (each under two names).
    int GetNoQuality() const { return m_nQuality; }
    int GetQualityCount() const { return m_nQuality; }
    int GetNoLevel() const { return m_nLevel; }
    int GetLevelCount() const { return m_nLevel; }
    int GetNoFactor() const { return m_nFactor; }
    int GetFactorCount() const { return m_nFactor; }
    int GetNoRun() const { return m_nRun; }
    int GetRunCount() const { return m_nRun; }

    // Set-up: on bare counts, on the default array for nFactor x nLevel, or on an array type.
    // ppLevelValue[f][l] is the value of level l+1 of factor f, or null. Writes "DOESetup.log"
    // (and, on an array, the array listing "QVRFCDOETaguchiMethod.log") in the log folder.
    // A refused set-up (0) keeps the experiment held, its array included.
    int SetupDOE(int nQuality, int nRun, int nFactor, int nLevel, double** ppLevelValue);
    int SetupDOE(int nQuality, int nFactor, int nLevel, double** ppLevelValue);
    int SetupDOE(int nQuality, OA_TYPE type, double** ppLevelValue);
    static OA_TYPE GetDefaultOrthogonalArrayType(int nFactor, int nLevel);
    OA_TYPE GetDOEArrayType() const;
    CString GetDOEArrayName() const;
    int GetDOEColumnID(int factor) const;
    int SetData(CQVRFCDOEAnalyzer* source);  // deep copy through the array-type set-up
    // The folder of the set-up logs, passed on to the array object; null or "" (the default)
    // is the current directory. Two analyzers with their own folders can be set up at once on
    // two threads. A copy writes where its source writes: the copy constructor, assignment
    // and SetData take the source's folder (SetData before its set-up, so its logs go there;
    // a refused SetData keeps the folder held).
    void SetLogFolder(const char* folder);
    const char* GetLogFolder() const { return m_logFolder.c_str(); }

    // Control factors: placement on array columns, levels, values and names.
    int SetControlFactorID(int factor, int column);
    int GetControlFactorID(int factor) const;
    int CheckControlFactorID(CString& report) const;
    int GetLevel(int run, int factor) const;
    int SetControlFactorValue(int run, int factor, double value);
    int SetControlFactorValue(int nFactor, int nLevel, double** ppLevelValue);
    double GetControlFactorValue(int run, int factor) const;
    void SetControlFactorName(int factor, CString name);
    CString GetControlFactorName(int factor) const;

    // Qualities: names, characteristics and targets, pooled flags for the ANOVA.
    void SetQualityFactorName(int quality, CString name);
    CString GetQualityFactorName(int quality) const;
    void SetQualityCharacteristic(int quality, SN_RATIO_TYPE type, double target);
    SN_RATIO_TYPE GetQualityCharacteristic(int quality) const;
    SN_RATIO_TYPE GetSNRatioTypeID(int quality) const;
    double GetQualityTarget(int quality) const;
    void SetFactorPooled(int quality, int factor, int pooled);
    int IsFactorPooled(int quality, int factor) const;
    void ResetAllFactorUnpooled(int quality);

    // Observation entry: the Start/Add/End sequence, plain append, write at a repetition.
    int AddQualityValueStart(int quality, int run);
    int AddQualityValue(double value);
    int AddQualityValueEnd(double& average, double& standardDeviation);
    int AppendQualityValue(int quality, int run, double value);
    int SetQualityValue(int quality, int run, double value, int index);
    double GetQualityValue(int quality, int run, int index) const;
    double GetRunQualityValue(int quality, int run) const;
    double GetRunStandardDeviation(int quality, int run) const;
    int GetRunNoQualityData(int quality, int run) const;
    // A run's stored observations as they are (missing ones above 1e12 included), read in
    // place: for passes over many observations. nullptr with count 0 for a run out of range or
    // without observations; valid until the run's observations change.
    const double* GetRunQualityValues(int quality, int run, int& count) const;

    // Set-up listing and quality data file; a file that is not complete and well formed
    // (finite numbers only) is refused with 0 and the experiment held is kept. The second
    // LoadData sets up on what a reader read well and takes its observations over.
    int DOEWriter(FILE* stream) const;
    int LoadData(CString fileName);
    int LoadData(CQVRFCDOEDataFileReader& reader);

    // S/N ratios (dB), mean square deviation, sensitivity, coefficient of variation.
    CString GetSNRatioType(int quality) const;
    double GetSNRatio(int quality, int run) const;
    double GetSNRatio(int quality, int run, SN_RATIO_TYPE type, double target) const;
    double GetSNRatioNominalTheBest1(double target, double average, double standardDeviation) const;
    double GetSNRatioNominalTheBest2(double standardDeviation) const;
    double GetSNRatioNominalTheBest3(double average, double standardDeviation) const;
    double GetSNRatioNominalTheBest4(int quality, int run) const;
    double GetSNRatioSmallerTheBetter(double average, double standardDeviation) const;
    double GetSNRatioLargerTheBetter(int quality, int run) const;
    static double GetSNRatioLargerTheBetter(int count, double* values);
    static double GetSNRatioSmallerTheBetter(int count, double* values);
    static double GetSNRatioNominalTheBest1(int count, double* values, double target,
                                            int bExcludeNegative);
    static double GetSNRatioNominalTheBest2(int count, double* values, int bExcludeNegative);
    static double GetSNRatioNominalTheBest3(int count, double* values, int bExcludeNegative);
    double GetMeanSquareDeviation(int quality, int run) const;
    double GetSensitivity(int quality, int run) const;
    double GetCoefficientOfVariation(int quality, int run) const;

    // Grand averages, level and factor effects, ranks and best levels.
    double GetAveragedQualityValue(int quality) const;
    double GetAveragedQualityValue(int quality, int run) const;
    double GetAveragedStandardDeviationValue(int quality) const;
    double GetAveragedSNRatio(int quality) const;
    double GetAveragedResponseValue(int quality, FACTOR_EFFECT_TYPE type) const;
    double GetFactorLevelEffect(int quality, int factor, int level, FACTOR_EFFECT_TYPE type) const;
    double GetFactorEffect(int quality, int factor, FACTOR_EFFECT_TYPE type, int bAbsolute) const;
    int GetResponseRank(int quality, FACTOR_EFFECT_TYPE type, int* ranks) const;
    int GetLargestResponseControlFactorLevel(int quality, int factor,
                                             FACTOR_EFFECT_TYPE type) const;
    CString GetBestLevelsCombinationName(int quality, FACTOR_EFFECT_TYPE type) const;

    // Analysis of variance with pooling.
    double GetFactorSumsOfSquares(int quality, int factor, int& dof, FACTOR_EFFECT_TYPE type,
                                  int bRespectPooling) const;
    double GetErrorSumsOfSquares(int quality, int& dof, FACTOR_EFFECT_TYPE type) const;
    double GetTotalSumsOfSquares(int quality, int& dof, FACTOR_EFFECT_TYPE type) const;
    double GetErrorVariance(int quality, double errorSS, int errorDof, double& errorSD,
                            double& errorPercent, FACTOR_EFFECT_TYPE type) const;
    double GetFactorVariance(int quality, int factor, double factorSS, int factorDof,
                             double errorVariance, double& fValue, double& percent,
                             FACTOR_EFFECT_TYPE type) const;
    // The same variance rows once the table's total sum of squares is at hand, so that a
    // whole table computes its total once (the two above compute it on every call).
    static double ErrorVarianceOfTotal(double errorSS, int errorDof, double total, double& errorSD,
                                       double& errorPercent);
    static double FactorVarianceOfTotal(double factorSS, int factorDof, double errorVariance,
                                        double total, double& fValue, double& percent);

    // Predictions by the additive model; level arrays hold one 0-based level per factor,
    // a negative entry leaving the factor out.
    double PredictSNRatio(int quality, const int* levels) const;
    double PredictBestSNRatio(int quality, int* levels, double threshold) const;
    double PredictResponseValue(int quality, FACTOR_EFFECT_TYPE type, const int* levels,
                                double threshold) const;
    double PredictResponseValue(int quality, FACTOR_EFFECT_TYPE type, int bTopHalf,
                                CString& combination) const;

    // Reports: the complete report (comma-separated when the name ends in "csv"),
    // and the sections written into a caller's stream (bCSV 1: comma-separated).
    // Each answers 0 when a write, the flush or the close failed (errno tells why); the
    // report replaces its file whole, so a failure leaves the earlier file as it was, and
    // a link named like the file is replaced rather than written through. No writer
    // writes more than 1 GiB (qvrfc::TextOutput::kByteLimit): past it the writer stops
    // with 0 and errno EFBIG, and a report whose run rows alone would pass it is refused
    // before anything is written. Observation columns follow the longest run of each
    // quality, shorter runs getting empty fields; a value above 1e12 (missing or not
    // computed) is printed as an empty field, never as a number.
    int Writer(CString strFileName, CString strCreator) const;
    // The complete report written to path (a file staged for it, say), naming itself
    // strFileName in its summary and taking its style from that name.
    int WriterAs(const char* path, CString strFileName, CString strCreator) const;
    int DOEWriter(FILE* pFile, int bCSV) const;
    int WriteRunQualityData(FILE* pFile, int bCSV, CString strTitle) const;
    int WriteFactorEffectData(FILE* pFile, int bCSV, CString strTitle) const;
    int WriteQualityResponsePlotData(int nQuality, FILE* pFile, CString strTitle) const;

    // Reference scenarios; each prints its results to stream.
    static int Test1(FILE* stream);
    static int Test2(FILE* stream);
    static int Test3(FILE* stream);
    static int Test4(FILE* stream);
    static int Test5(FILE* stream);
    static int Test6(FILE* stream);
    static int Test7(FILE* stream);

  protected:
    int CreateData(int nQuality, int nRun, int nFactor, int nLevel);
    int FreeData();
    double GetMeanSquareDeviationNominalTheBest(int quality, int run) const;
    double GetMeanSquareDeviationSmallerTheBetter(int quality, int run) const;
    double GetMeanSquareDeviationLargerTheBetter(int quality, int run) const;
    double ComputeFactorLevelEffect(int quality, int factor, int level,
                                    FACTOR_EFFECT_TYPE type) const;
    double ComputeFactorLevelEffectSquares(int quality, int factor, int level,
                                           FACTOR_EFFECT_TYPE type, int& runCount) const;

    int m_nQuality;
    int m_nLevel;
    int m_nFactor;
    int m_nRun;
    int m_nCurrentRun;      // run of the open entry sequence, -1 when none
    int m_nCurrentQuality;  // quality of the open entry sequence, -1 when none
    std::unique_ptr<CQVRFCDOETaguchiOrthogonalArray> m_pOrthogonalArray;
    // Per-experiment storage: all present after set-up, all empty otherwise.
    std::vector<SN_RATIO_TYPE> m_pQualityCharacteristic;  // [quality]
    std::vector<double> m_pQualityTarget;                 // [quality]
    // Run records hold caches that const queries fill (averages, deviations, S/N ratios).
    mutable std::vector<std::vector<CQVRFCDOERunQualityData>> m_pRunQualityData;  // [q][run]
    std::vector<CQVRFCDOERunControlFactorData> m_pRunControlFactorData;           // [run]
    std::vector<std::vector<int>> m_pPooledFactor;  // [quality][factor]
    std::vector<int> m_pControlFactorID;            // [factor]
    std::vector<CString> m_pQualityFactorName;      // [quality]
    std::vector<CString> m_pControlFactorName;      // [factor]
    std::string m_logFolder;                        // "" for the current directory

  private:
    // Range checks shared by every accessor: storage present and index within the counts.
    bool HasStorage() const { return !m_pRunQualityData.empty(); }
    bool IsQuality(int quality) const {
        return HasStorage() && quality >= 0 && quality < m_nQuality;
    }
    bool IsRun(int run) const { return HasStorage() && run >= 0 && run < m_nRun; }
    bool IsFactor(int factor) const { return HasStorage() && factor >= 0 && factor < m_nFactor; }
    bool IsRecord(int quality, int run) const { return IsQuality(quality) && IsRun(run); }
    // The run record; the caller has checked the indexes with IsRecord.
    CQVRFCDOERunQualityData& Record(int quality, int run) const;
    // Moves every member of other into this object (the last step of a copy assignment).
    void TakeFrom(CQVRFCDOEAnalyzer& other) noexcept;
    // The array object, created empty when there is none yet; null when memory runs out.
    CQVRFCDOETaguchiOrthogonalArray* EnsureArray();
    // Set-up on the array object filled with type (the two array-based overloads).
    int SetupOnArray(int nQuality, OA_TYPE type, double** ppLevelValue);
    // The complete report written to path, naming itself fileName ("File = ") in its summary.
    int WriteReportFile(const std::string& path, const CString& fileName,
                        const CString& creator) const;
    // Per-run response of the chosen kind: average, standard deviation or stored S/N ratio.
    double RunResponse(int quality, int run, FACTOR_EFFECT_TYPE type) const;
    // Total of the chosen response over all runs; an unknown type gives 0.0.
    double ResponseTotal(int quality, FACTOR_EFFECT_TYPE type) const;
    // Level count of a factor: its column's count in the array, else the experiment's.
    int FactorLevelCount(int factor) const;

    // Report helpers: the most observations any run of a quality holds, which sizes its
    // columns (shorter runs get empty fields), and the report parts that read the stored
    // records and names directly.
    int GetRepetitionCount(int quality) const;
    size_t RunDataWidth() const;
    size_t LeastRunDataBytes() const;
    void WriteReport(qvrfc::TextOutput& out, const CString& fileName, const CString& creator) const;
    int WriteExperimentSection(qvrfc::TextOutput& out, int bCSV) const;
    void WriteReportSummary(qvrfc::TextOutput& out, const CString& fileName,
                            const CString& creator) const;
    void WriteReportRunData(qvrfc::TextOutput& out, int bCSV) const;
    void WriteReportRunRow(qvrfc::TextOutput& out, const char* sep, int run,
                           const std::vector<int>& repetitions) const;
    void WriteReportMainEffectChart(qvrfc::TextOutput& out, int quality) const;
    void WriteReportAnovaTable(qvrfc::TextOutput& out, int bCSV, int quality,
                               FACTOR_EFFECT_TYPE type, const char* label) const;
    void WriteRunQualityRow(qvrfc::TextOutput& out, const char* sep, int quality, int run,
                            int repetitions) const;
};
