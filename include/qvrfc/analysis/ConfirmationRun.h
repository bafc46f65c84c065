// A confirmation run judged against an analysis: the observations made at chosen levels, their
// mean and S/N ratio against the confirmation intervals of the prediction there.
#pragma once

#include <string>
#include <vector>

#include "qvrfc/analysis/Analysis.h"
#include "qvrfc/common/QVRFCExport.h"

namespace qvrfc {

// The confirmation of response (from 0) at the levels by the values. qvrfc::Error of kind Usage
// naming --values for a value without an S/N ratio of the response's kind (at or below 0 for
// larger-the-better), an S/N ratio that is not a finite number, or a dynamic response (whose
// slope needs the signal level of each value: DynamicConfirmationRun).
QVRFC_API Confirmation ConfirmationRun(const Analysis& analysis, int response,
                                       const std::vector<FactorLevel>& at,
                                       const std::vector<double>& values);

// A dynamic response's confirmation run: each value observed at a signal level (signal[i]);
// its slope and dynamic S/N ratio (as each run's, over every value) against the confirmation
// intervals of one run's prediction there (Confirmation's mean is the slope). qvrfc::Error of
// kind Usage naming --values for a static response or values without a slope or S/N ratio.
QVRFC_API Confirmation DynamicConfirmationRun(const Analysis& analysis, int response,
                                              const std::vector<FactorLevel>& at,
                                              const std::vector<double>& signal,
                                              const std::vector<double>& values);

// The values as --values gives them: numbers, or for a dynamic response SIGNAL=M:Y items (the
// signal named as the experiment names it, or M), each a value y at signal level M; either
// confirmation accordingly. qvrfc::Error of kind Usage naming --values for an item that is
// neither, or items of both kinds.
QVRFC_API Confirmation ConfirmationRun(const Analysis& analysis, int response,
                                       const std::vector<FactorLevel>& at,
                                       const std::vector<std::string>& values);

}  // namespace qvrfc
