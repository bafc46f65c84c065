// What a workbook's name and cells are called, apart from the libraries that read and write
// workbooks (WorkbookReader.cpp, WorkbookWriter.cpp).
#include "qvrfc/experiment/Workbook.h"

#include <algorithm>
#include <cctype>

namespace qvrfc {

bool WorkbookKindOf(const std::string& path, WorkbookKind& kind) {
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos) return false;
    std::string extension = path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == "xlsx")
        kind = WorkbookKind::Xlsx;
    else if (extension == "ods")
        kind = WorkbookKind::Ods;
    else
        return false;
    return true;
}

std::string CellReference(const std::string& worksheet, int row, size_t column) {
    std::string letters;
    for (size_t c = column + 1; c > 0; c = (c - 1) / 26)
        letters.insert(letters.begin(), static_cast<char>('A' + (c - 1) % 26));
    const bool plain =
        !worksheet.empty() && std::all_of(worksheet.begin(), worksheet.end(), [](char c) {
            return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
        });
    std::string name = worksheet;
    if (!plain) {
        name = "'";
        for (char c : worksheet)
            name += c == '\'' ? std::string("''") : std::string(1, c);
        name += "'";
    }
    return name + "!" + letters + std::to_string(row);
}

}  // namespace qvrfc
