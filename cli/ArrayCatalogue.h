// The orthogonal array catalogue as the program shows it to people: names as
// users write them ("L18", "L16'", "L16a" or the type number) and a summary
// of the levels of each column.
#pragma once

#include <string>

#include "qvrfc/arrays/QVRFCDOETaguchiOrthogonalArray.h"
#include "qvrfc/experiment/ArrayCatalogue.h"

namespace qvrfcdoe {

using OA_TYPE = CQVRFCDOETaguchiOrthogonalArray::OA_TYPE;

// The types that have a level table, in catalogue order.
using qvrfc::kFirstTableType;
using qvrfc::kLastTableType;

// The catalogue's display name ("L18(2^1x3^7)") and its short form ("L18", "L16'").
std::string DisplayName(OA_TYPE type);
std::string ShortName(OA_TYPE type);
// "all 2", or runs of equal counts such as "column 1: 2; columns 2-8: 3" (columns from 1).
std::string LevelsPerColumn(OA_TYPE type);

// The help text of an option or argument that names an array.
constexpr const char* kArrayNameHelp =
    "The array: L4 ... L81 (L16' or L16a for the second L16), or its type number";

// The type a user named; a UsageError when the catalogue has no table of that name.
OA_TYPE ParseArrayName(const std::string& name);

}  // namespace qvrfcdoe
