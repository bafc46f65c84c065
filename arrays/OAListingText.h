// The array listing written into a report's checked output, so that a report and the
// listing it opens with go out through one buffer.
// Internal to the library (not exported).
#pragma once

#include "common/QVRFCTextOutput.h"
#include "qvrfc/arrays/QVRFCDOETaguchiOrthogonalArray.h"

namespace qvrfc {

// Type, counts and the run-by-column level table of array under title.
void WriteArrayListing(TextOutput& out, const CQVRFCDOETaguchiOrthogonalArray& array,
                       const char* title);

}  // namespace qvrfc
