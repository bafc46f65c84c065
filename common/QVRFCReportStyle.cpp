#include "common/QVRFCReportStyle.h"

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

}  // namespace qvrfc
