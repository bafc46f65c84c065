// Whole files. Reading takes a file at once; writing replaces it whole through the one
// whole-file writer (common/QVRFCFileSet.h): WriteWholeFile(path, text) throws qvrfc::Error
// naming the file and the cause, and a file already there is then left as it was.
#pragma once

#include <string>

#include "qvrfc/common/QVRFCExport.h"
#include "qvrfc/common/QVRFCFileSet.h"

namespace qvrfc {

// The bytes of the file at path, or ExperimentError "cannot read the <what> '<path>'".
QVRFC_API std::string ReadWholeFile(const std::string& path, const std::string& what);

}  // namespace qvrfc
