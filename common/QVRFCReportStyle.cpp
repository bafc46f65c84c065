#include "common/QVRFCReportStyle.h"

#include <cctype>

namespace qvrfc {

ReportStyle ReportStyle::ForFileName(const CString& fileName) {
    return ReportStyle(fileName.Right(3).CompareNoCase("csv") == 0 ? 1 : 0);
}

void ReportStyle::WriteRule(FILE* file, int width, bool lineEnd) const {
    if (m_bCommaSeparated) return;
    std::fputs("============", file);
    for (int i = 0; i < width; ++i)
        std::fputs("=============", file);
    if (lineEnd) std::fputs("\n", file);
}

void ReportStyle::WriteLine(FILE* file, char mark, int count) const {
    if (m_bCommaSeparated) return;
    for (int i = 0; i < count; ++i)
        std::fputc(mark, file);
    std::fputc('\n', file);
}

void WriteRunGroupBreak(FILE* file, int runNumber, int runCount) {
    if (runNumber % 5 == 0 && runNumber < runCount) std::fputs("\n", file);
}

std::string FactorName(int factor) {
    std::string name;
    for (long n = static_cast<long>(factor) + 1; n > 0; n = (n - 1) / 26)
        name.insert(name.begin(), static_cast<char>('A' + (n - 1) % 26));
    return name;
}

int FactorIndex(const std::string& text) {
    if (text.empty() || text.size() > 4) return -1;
    long index = 0;
    for (char c : text) {
        const int letter = std::toupper(static_cast<unsigned char>(c)) - 'A';
        if (letter < 0 || letter >= 26) return -1;
        index = index * 26 + letter + 1;
    }
    return static_cast<int>(index - 1);
}

}  // namespace qvrfc
