#include "qvrfc/experiment/ArrayCatalogue.h"

#include <cctype>
#include <cstdlib>

#include "qvrfc/analyzer/QVRFCDOEDataFileReader.h"
#include "qvrfc/common/QVRFCTextFormat.h"
#include "qvrfc/experiment/ArrayChoice.h"

namespace qvrfc {
namespace {

std::string ColumnRange(int first, int last) {
    if (first == last) return FormatText("column %d", first + 1);
    return FormatText("columns %d-%d", first + 1, last + 1);
}

bool IsWholeNumber(const std::string& text) {
    if (text.empty() || text.size() > 9) return false;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    }
    return true;
}

}  // namespace

std::string LevelsPerColumn(OA_TYPE type) {
    const int columns = CQVRFCDOETaguchiOrthogonalArray::GetNoFactor(type);
    std::string text;
    int first = 0;
    for (int c = 1; c <= columns; ++c) {
        const int levels = CQVRFCDOETaguchiOrthogonalArray::GetNoLevel(type, first);
        if (c < columns && CQVRFCDOETaguchiOrthogonalArray::GetNoLevel(type, c) == levels) continue;
        if (first == 0 && c == columns) return FormatText("all %d", levels);
        if (!text.empty()) text += "; ";
        text += ColumnRange(first, c - 1) + FormatText(": %d", levels);
        first = c;
    }
    return text;
}

OA_TYPE ArrayOfText(const std::string& name) {
    if (IsWholeNumber(name)) {
        const int type = std::atoi(name.c_str());
        if (type >= kFirstTableType && type <= kLastTableType) return static_cast<OA_TYPE>(type);
        if (type == CQVRFCDOETaguchiOrthogonalArray::OA_FULL_FACTORIAL)
            throw UsageError(
                FormatText("array type %d (%s) has no table", type,
                           CQVRFCDOEDataFileReader::ArrayName(static_cast<OA_TYPE>(type)).c_str()));
    } else if (ArrayOfName(name) != CQVRFCDOETaguchiOrthogonalArray::OA_UNDEFINED) {
        return ArrayOfName(name);
    }
    throw UsageError(
        FormatText("unknown array '%s' (names such as L9, L16', L16a or a type number "
                   "0 to 17; 'qvrfcdoe arrays' lists them)",
                   name.c_str()));
}

}  // namespace qvrfc
