// The names of control factors, as every report, output and option of the project uses them.
#pragma once

#include <string>

#include "qvrfc/common/QVRFCExport.h"

namespace qvrfc {

// Control factor f (from 0) is named as spreadsheet columns are: A ... Z, then AA, AB, ...
// Every output and option uses these names.
QVRFC_API std::string FactorName(int factor);
// The factor a name denotes (case ignored), or -1 when text is not such a name.
QVRFC_API int FactorIndex(const std::string& text);

}  // namespace qvrfc
