// CQVRFCDOERunQualityData: the repeated observations of one run of one quality
// characteristic, with a cached average and sample standard deviation.
// A slot above 1e12 is a missing observation; fresh slots hold 2e12.
#pragma once

#include <cstdio>
#include <memory>

#include "qvrfc/common/QVRFCExport.h"

class QVRFC_API CQVRFCDOERunQualityData {
  public:
    // The most slots CreateData makes; larger requests fail with 0 instead of
    // exhausting memory.
    static constexpr int kMaxSlots = 1 << 24;

    // Lifecycle: one slot without storage and nothing cached; copies are deep.
    CQVRFCDOERunQualityData();
    CQVRFCDOERunQualityData(const CQVRFCDOERunQualityData& source);
    CQVRFCDOERunQualityData& operator=(const CQVRFCDOERunQualityData& source);
    virtual ~CQVRFCDOERunQualityData();

    // Makes n missing slots (caches kept); 0 (nothing changed) for n < 0 or
    // n > kMaxSlots, 0 without storage when memory runs out.
    int CreateData(int n);
    int GetQualityDataCount() const { return m_nValue; }
    // 1 when slot i exists and holds an observation.
    int IsValidValue(int i) const;
    // The observation in slot i; 0.0 for a missing slot or a bad index.
    double GetValue(int i) const;
    // Stores value (2e12 marks the slot missing) and drops both caches; bad indexes are ignored.
    void SetValue(double value, int i);

    // Average and sample standard deviation of the valid slots, computed once and cached.
    double GetAverageValue();
    double GetStandardDeviationValue();

    // Deep copy of every slot as stored and of both caches; 0 for a null source or this object.
    int SetData(CQVRFCDOERunQualityData* source);
    // Reads a count n and n numbers into slots 0..n-1 (extra numbers are read
    // and dropped); 0 at the first number that cannot be read or is not finite.
    int LoadData(FILE* stream);
    // Writes one report line; mode 1 separates the fields with ",".
    int WriteData(FILE* stream, int mode);

  protected:
    // Releases the slots; the count stays.
    int FreeData();

  private:
    int IsSlot(int i) const { return m_pValue && i >= 0 && i < m_nValue; }
    // Deep copy of source's slots, count and caches; 0 when no storage can be made.
    int CopyFrom(const CQVRFCDOERunQualityData& source);

    int m_nValue;
    std::unique_ptr<double[]> m_pValue;
    double m_dAverage;
    double m_dStandardDeviation;
};
