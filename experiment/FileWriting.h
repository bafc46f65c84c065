// Files are replaced whole: the text goes to a temporary file in the same folder, which takes
// the file's name only when every byte was written and the file was closed.
#pragma once

#include <string>

#include "common/QVRFCExport.h"

namespace qvrfc {

// Writes text as the file at path, or throws ExperimentError naming the file and the cause;
// a file already there is then left as it was.
QVRFC_API void WriteWholeFile(const std::string& path, const std::string& text);

}  // namespace qvrfc
