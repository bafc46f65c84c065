// CQVRFCDOERunQualityFactorData: one CQVRFCDOERunQualityData per run of an
// experiment, for one quality characteristic. Run indexes are 0-based.
#pragma once

#include <cstdio>
#include <memory>

#include "qvrfc/common/QVRFCExport.h"
#include "qvrfc/containers/QVRFCDOERunQualityData.h"

class QVRFC_API CQVRFCDOERunQualityFactorData {
  public:
    // Lifecycle: no runs; copies are deep.
    CQVRFCDOERunQualityFactorData();
    CQVRFCDOERunQualityFactorData(const CQVRFCDOERunQualityFactorData& source);
    CQVRFCDOERunQualityFactorData& operator=(const CQVRFCDOERunQualityFactorData& source);
    virtual ~CQVRFCDOERunQualityFactorData();

    // Makes nRun records of nValue missing slots each. nRun < 1 releases the
    // records, keeps the run count and returns 1; 0 (nothing changed) when
    // nRun x nValue exceeds the slot limit, 0 without records when memory runs out.
    int CreateData(int nRun, int nValue);
    int GetRunCount() const { return m_nRun; }

    // Per-run access; a bad run gives 0 or 0.0 and is ignored by the setter.
    int GetQualityDataCount(int run) const;
    double GetValue(int run, int i) const;
    void SetValue(int run, double value, int i);
    double GetAverageValue(int run);
    double GetStandardDeviationValue(int run);
    // Means over all runs of the run averages and of the run standard deviations.
    double GetAverageValue();
    double GetStandardDeviationValue();

    // Deep copy of every run record; 0 for a null source, this object or a source without runs.
    int SetData(CQVRFCDOERunQualityFactorData* source);
    // Reads one count-and-values group per run, in run order; 1 when every run read well.
    int LoadData(FILE* stream);
    // Writes the report line of every run, or of one run, prefixed by its run number.
    int WriteData(FILE* stream, int mode);
    int WriteData(FILE* stream, int run, int mode);

  private:
    int FreeData();
    // The record of run, null without storage or for a bad run.
    CQVRFCDOERunQualityData* Run(int run) const;
    // Deep copy of source's records (or of its bare run count); 0 when no storage can be made.
    int CopyFrom(const CQVRFCDOERunQualityFactorData& source);

    int m_nRun;
    std::unique_ptr<CQVRFCDOERunQualityData[]> m_pRunData;
};
