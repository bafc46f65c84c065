// Read-only facts of the array catalogue for code that needs them without loading a table
// into an array object (loading one rewrites the listing log in the current folder).
#pragma once

#include <string>

#include "qvrfc/arrays/QVRFCDOETaguchiOrthogonalArray.h"
#include "qvrfc/common/QVRFCExport.h"

namespace qvrfc {

// Level (from 1) of the catalogue table of type at run and column (both from 0);
// 0 for a type without a table or a cell outside it.
QVRFC_API int CatalogueLevel(CQVRFCDOETaguchiOrthogonalArray::OA_TYPE type, int run, int column);
// The catalogue's display name ("L18(2^1x3^7)"); "Undefined" for a type without a table.
QVRFC_API const char* CatalogueName(CQVRFCDOETaguchiOrthogonalArray::OA_TYPE type);
// Its short name, as users write it ("L18", "L16'").
QVRFC_API std::string ArrayName(CQVRFCDOETaguchiOrthogonalArray::OA_TYPE type);

}  // namespace qvrfc
