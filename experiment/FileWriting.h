// Whole files. Reading takes a file at once; writing replaces it whole: the text goes to a
// temporary file of a fresh name in the same folder, which takes the file's name only when
// every byte was written and the file was closed.
#pragma once

#include <string>
#include <vector>

#include "common/QVRFCExport.h"

namespace qvrfc {

struct FileText {
    std::string path;
    std::string text;
};

// Writes text as the file at path, or throws ExperimentError naming the file and the cause;
// a file already there is then left as it was.
QVRFC_API void WriteWholeFile(const std::string& path, const std::string& text);
// Writes files that belong together as one set: every text goes to its temporary file first
// (created afresh under a random name, never an existing file or a link followed); only when
// all are written and closed do they take their files' names, and when one cannot, those
// renamed before it get their earlier files back. Throws ExperimentError "cannot write
// '<path>': <cause>"; the files already there are then left as they were.
QVRFC_API void WriteFileSet(const std::vector<FileText>& files);
// The bytes of the file at path, or ExperimentError "cannot read the <what> '<path>'".
QVRFC_API std::string ReadWholeFile(const std::string& path, const std::string& what);

}  // namespace qvrfc
