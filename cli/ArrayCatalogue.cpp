#include "ArrayCatalogue.h"

#include <cctype>
#include <cstdlib>

#include "CliError.h"
#include "analyzer/QVRFCDOEDataFileReader.h"

namespace qvrfcdoe {
namespace {

std::string Upper(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string ColumnRange(int first, int last) {
    if (first == last) return Text("column %d", first + 1);
    return Text("columns %d-%d", first + 1, last + 1);
}

bool IsWholeNumber(const std::string& text) {
    if (text.empty() || text.size() > 9) return false;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    }
    return true;
}

// "L16a" and "l16A" mean the second array of 16 runs, which the catalogue names "L16'".
std::string NormalisedName(const std::string& name) {
    std::string text = Upper(name);
    if (text.size() > 2 && text.back() == 'A' &&
        std::isdigit(static_cast<unsigned char>(text[text.size() - 2])))
        text.back() = '\'';
    return text;
}

}  // namespace

std::string DisplayName(OA_TYPE type) {
    return CQVRFCDOEDataFileReader::ArrayName(type);
}

std::string ShortName(OA_TYPE type) {
    const std::string name = DisplayName(type);
    return name.substr(0, name.find('('));
}

std::string LevelsPerColumn(OA_TYPE type) {
    const int columns = CQVRFCDOETaguchiOrthogonalArray::GetNoFactor(type);
    std::string text;
    int first = 0;
    for (int c = 1; c <= columns; ++c) {
        const int levels = CQVRFCDOETaguchiOrthogonalArray::GetNoLevel(type, first);
        if (c < columns && CQVRFCDOETaguchiOrthogonalArray::GetNoLevel(type, c) == levels) continue;
        if (first == 0 && c == columns) return Text("all %d", levels);
        if (!text.empty()) text += "; ";
        text += ColumnRange(first, c - 1) + Text(": %d", levels);
        first = c;
    }
    return text;
}

OA_TYPE ParseArrayName(const std::string& name) {
    if (IsWholeNumber(name)) {
        const int type = std::atoi(name.c_str());
        if (type >= kFirstTableType && type <= kLastTableType) return static_cast<OA_TYPE>(type);
        if (type == CQVRFCDOETaguchiOrthogonalArray::OA_FULL_FACTORIAL)
            throw UsageError(Text("array type %d (%s) has no table", type,
                                  DisplayName(static_cast<OA_TYPE>(type)).c_str()));
    } else {
        for (int t = kFirstTableType; t <= kLastTableType; ++t) {
            const OA_TYPE type = static_cast<OA_TYPE>(t);
            if (NormalisedName(name) == Upper(ShortName(type))) return type;
            if (Upper(name) == Upper(DisplayName(type))) return type;
        }
    }
    throw UsageError(
        Text("unknown array '%s' (names such as L9, L16', L16a or a type number "
             "0 to 17; 'qvrfcdoe arrays' lists them)",
             name.c_str()));
}

}  // namespace qvrfcdoe
