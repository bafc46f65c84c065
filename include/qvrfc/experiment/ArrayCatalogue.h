// The orthogonal array catalogue as people name and read it: an array named as users write it
// ("L18", "L16'", "L16a" or the type number) and the level counts of its columns in words.
#pragma once

#include <string>

#include "qvrfc/experiment/Experiment.h"

namespace qvrfc {

// The types that have a level table, in catalogue order.
constexpr int kFirstTableType = CQVRFCDOETaguchiOrthogonalArray::OA_L4;
constexpr int kLastTableType = CQVRFCDOETaguchiOrthogonalArray::OA_L81;

// The type a user named: a short or display name (case ignored) or a type number; a
// qvrfc::Error of kind Usage when the catalogue has no table of that name.
QVRFC_API OA_TYPE ArrayOfText(const std::string& name);
// "all 2", or runs of equal counts such as "column 1: 2; columns 2-8: 3" (columns from 1).
QVRFC_API std::string LevelsPerColumn(OA_TYPE type);

}  // namespace qvrfc
