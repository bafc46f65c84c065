// A confirmation run judged against an analysis: the observations made at chosen levels, their
// mean and S/N ratio against the confirmation intervals of the prediction there.
#pragma once

#include <vector>

#include "qvrfc/analysis/Analysis.h"
#include "qvrfc/common/QVRFCExport.h"

namespace qvrfc {

// The confirmation of response (from 0) at the levels by the values. qvrfc::Error of kind Usage
// naming --values for a value without an S/N ratio of the response's kind (at or below 0 for
// larger-the-better), an S/N ratio that is not a finite number, or a dynamic response (whose
// slope needs the signal level of each value).
QVRFC_API Confirmation ConfirmationRun(const Analysis& analysis, int response,
                                       const std::vector<FactorLevel>& at,
                                       const std::vector<double>& values);

}  // namespace qvrfc
