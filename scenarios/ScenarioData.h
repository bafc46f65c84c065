// The fixed data sets of the analyzer self-tests. Internal to the library (not exported).
#pragma once

#include "qvrfc/analyzer/QVRFCDOEAnalyzer.h"

namespace qvrfc {
namespace scenario {

// Data set B: an L9 experiment, five observations per run in entry order.
constexpr int kDataSetBRuns = 9;
constexpr int kDataSetBValues = 5;
extern const double kDataSetB[kDataSetBRuns][kDataSetBValues];

// Data set C: an L18 experiment, seven observations per run in entry order.
constexpr int kDataSetCRuns = 18;
constexpr int kDataSetCValues = 7;
extern const double kDataSetC[kDataSetCRuns][kDataSetCValues];

// One run of the S/N ratio scenario: its observations and the S/N ratio type and target
// it is evaluated with.
struct SNRatioRun {
    const double* values;
    int count;
    CQVRFCDOEAnalyzer::SN_RATIO_TYPE type;
    double target;
};
constexpr int kSNRatioRunCount = 6;
extern const SNRatioRun kSNRatioRuns[kSNRatioRunCount];

}  // namespace scenario
}  // namespace qvrfc
