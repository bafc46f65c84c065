// Whole files. Reading takes a file at once; writing replaces it whole: the text goes to a
// temporary file in the same folder, which takes the file's name only when every byte was written
// and the file was closed.
#pragma once

#include <string>

#include "common/QVRFCExport.h"

namespace qvrfc {

// Writes text as the file at path, or throws ExperimentError naming the file and the cause;
// a file already there is then left as it was.
QVRFC_API void WriteWholeFile(const std::string& path, const std::string& text);
// The bytes of the file at path, or ExperimentError "cannot read the <what> '<path>'".
QVRFC_API std::string ReadWholeFile(const std::string& path, const std::string& what);

}  // namespace qvrfc
