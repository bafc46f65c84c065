// Checks a quality data file before the engine loads it. The engine's loader
// reads without checking: a short file is padded with the last numbers read,
// text is taken as repeated numbers and surplus numbers are dropped. The
// program reads the whole file first and refuses it, with the place of the
// fault, unless every run of every quality has exactly its stated observations.
#pragma once

#include <filesystem>

#include "arrays/QVRFCDOETaguchiOrthogonalArray.h"

namespace qvrfcdoe {

struct QualityFileShape {
    int runs = 0;
    int qualities = 0;
    CQVRFCDOETaguchiOrthogonalArray::OA_TYPE array = CQVRFCDOETaguchiOrthogonalArray::OA_UNDEFINED;
    int factors = 0;  // columns of that array: the control factors A, B, ... of the experiment
};

// The experiment a valid file describes; an InputError naming the file and the fault otherwise.
QualityFileShape CheckQualityFile(const std::filesystem::path& file);

}  // namespace qvrfcdoe
