// What the commands that name arrays share: the type, the catalogue's range and the help text
// of an array argument. The names and levels are the library's (qvrfc::CatalogueName,
// qvrfc::ArrayName, qvrfc::LevelsPerColumn, qvrfc::ArrayOfText).
#pragma once

#include <string>

#include "qvrfc/arrays/OACatalogueFacts.h"
#include "qvrfc/arrays/QVRFCDOETaguchiOrthogonalArray.h"
#include "qvrfc/experiment/ArrayCatalogue.h"

namespace qvrfcdoe {

using OA_TYPE = CQVRFCDOETaguchiOrthogonalArray::OA_TYPE;

// The types that have a level table, in catalogue order.
using qvrfc::kFirstTableType;
using qvrfc::kLastTableType;

// The help text of an option or argument that names an array.
constexpr const char* kArrayNameHelp =
    "The array: L4 ... L81 (L16' or L16a for the second L16), or its type number";

}  // namespace qvrfcdoe
