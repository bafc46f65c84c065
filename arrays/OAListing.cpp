// The readable array listing (to a stream or a time-stamped file) and the reader
// that loads a level matrix from a plain file of numbers.
#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>

#include "arrays/OAListingTitle.h"
#include "arrays/QVRFCDOETaguchiOrthogonalArray.h"
#include "common/QVRFCPlatform.h"

namespace {

// The rule above and below the level table: three "=" per factor after a fixed lead.
void WriteRule(FILE* stream, int nFactor) {
    std::fprintf(stream, "=========");
    for (int factor = 0; factor < nFactor; ++factor)
        std::fprintf(stream, "===");
    std::fprintf(stream, "\n");
}

// One whole number as "%d" reads it (blanks and line ends skipped, an optional sign, digits),
// without its undefined result for numbers beyond an int. The character after the number is
// left in the stream. False when there is no number or it does not fit an int; the digits of
// a number that does not fit are consumed.
bool ReadLevel(FILE* input, int& level) {
    int c = std::fgetc(input);
    while (c != EOF && std::isspace(c))
        c = std::fgetc(input);
    const bool negative = c == '-';
    if (c == '+' || c == '-') c = std::fgetc(input);
    const long long limit = static_cast<long long>(INT_MAX) + 1;
    long long magnitude = 0;
    bool digits = false;
    for (; c != EOF && std::isdigit(c); c = std::fgetc(input)) {
        digits = true;
        magnitude = std::min(magnitude * 10 + (c - '0'), limit + 1);
    }
    if (c != EOF) std::ungetc(c, input);
    if (!digits || magnitude > (negative ? limit : limit - 1)) return false;
    level = static_cast<int>(negative ? -magnitude : magnitude);
    return true;
}

}  // namespace

// Cells the matrix does not hold are printed as GetLevel answers them (-100).
int CQVRFCDOETaguchiOrthogonalArray::Writer(FILE* stream, CString title) {
    if (!stream) return 0;
    const CString typeString = GetTypeString();
    std::fprintf(stream, "\n%s\n", title.GetString());
    std::fprintf(stream, "Type           = %d (%s)\n", static_cast<int>(m_eType),
                 typeString.GetString());
    std::fprintf(stream, "No Run         = %d\n", m_nRun);
    std::fprintf(stream, "Max. No  Factor= %d\n", m_nFactor);
    std::fprintf(stream, "Max. No. Level = %d\n", m_nLevel);
    std::fprintf(stream, "\n");
    WriteRule(stream, m_nFactor);
    std::fprintf(stream, "Run   Factor\n");
    std::fprintf(stream, "No.   ");
    for (int factor = 1; factor <= m_nFactor; ++factor)
        std::fprintf(stream, " %2d", factor);
    std::fprintf(stream, "\n");
    WriteRule(stream, m_nFactor);
    for (int run = 1; run <= m_nRun; ++run) {
        std::fprintf(stream, "%2d    ", run);
        for (int column = 0; column < m_nFactor; ++column) {
            std::fprintf(stream, " %2d", GetLevel(run - 1, column));
        }
        std::fprintf(stream, "\n");
        if (run % 5 == 0 && run != m_nRun) std::fprintf(stream, "\n");
    }
    WriteRule(stream, m_nFactor);
    return 1;
}

int CQVRFCDOETaguchiOrthogonalArray::Writer(CString fileName, CString creator) {
    FILE* file = std::fopen(fileName.GetString(), "w");
    if (!file) return 0;
    CString now;
    std::fprintf(file, "Time = %s\n", GetCurrentTimeString(now).GetString());
    std::fprintf(file, "Created By = %s\n", creator.GetString());
    Writer(file, CString(qvrfc::kArrayListingTitle));
    std::fclose(file);
    return 1;
}

// Reads run by run, column by column, one integer each; a number that cannot be read or does
// not fit an int leaves its cell 0 (a comma stops all later cells). The matrix is then written
// back as comma-separated rows, and "OK!" is printed. Counts below 1 make no matrix and read
// nothing; the column IDs become the identity.
int CQVRFCDOETaguchiOrthogonalArray::ReadOrthogonalArrayFile(int nRun, int nFactor,
                                                             CString inputFile,
                                                             CString outputFile) {
    const bool held = AllocData(nRun, nFactor) == 1;
    FILE* input = std::fopen(inputFile.GetString(), "r");
    if (!input) return 0;
    bool whole = held;
    for (int run = 0; held && run < nRun; ++run) {
        for (int column = 0; column < nFactor; ++column) {
            if (!ReadLevel(input, m_pLevel[run][column])) whole = false;
        }
    }
    std::fclose(input);
    if (!held) return 0;  // no matrix could be made for these counts: nothing to write

    FILE* output = std::fopen(outputFile.GetString(), "w");
    if (!output) return 0;
    for (int run = 1; run <= nRun; ++run) {
        for (int column = 0; column < nFactor; ++column) {
            std::fprintf(output, " %2d,", GetLevel(run - 1, column));
        }
        std::fprintf(output, " //%d\n", run);
    }
    std::fclose(output);
    std::printf("OK!\n");
    return whole ? 1 : 0;
}

void CQVRFCDOETaguchiOrthogonalArray::ReadOrthogonalArray(int nRun, int nFactor, CString inputFile,
                                                          CString outputFile) {
    ReadOrthogonalArrayFile(nRun, nFactor, inputFile, outputFile);
}
