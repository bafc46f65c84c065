#include "common/QVRFCReportStyle.h"

#include <cctype>

namespace qvrfc {

ReportStyle ReportStyle::ForFileName(const CString& fileName) {
    return ReportStyle(fileName.Right(3).CompareNoCase("csv") == 0 ? 1 : 0);
}

// 12 + 13 * width signs; a width too large for memory fails the output on its byte limit.
void ReportStyle::WriteRule(TextOutput& out, size_t width, bool lineEnd) const {
    if (m_bCommaSeparated) return;
    const size_t most = TextOutput::kByteLimit / 13 + 1;
    out.Repeat('=', 12 + 13 * (width < most ? width : most));
    if (lineEnd) out.Put('\n');
}

void ReportStyle::WriteLine(TextOutput& out, char mark, int count) const {
    if (m_bCommaSeparated) return;
    if (count > 0) out.Repeat(mark, static_cast<size_t>(count));
    out.Put('\n');
}

void WriteRunGroupBreak(TextOutput& out, int runNumber, int runCount) {
    if (runNumber % 5 == 0 && runNumber < runCount) out.Put('\n');
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
