// The readable array listing (to a stream or a time-stamped file) and the reader
// that loads a level matrix from a plain file of numbers.
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

// Reads run by run, column by column, one integer each; a number that cannot be read
// leaves its cell 0 (a comma stops all later cells). The matrix is then written back
// as comma-separated rows, and "OK!" is printed. Counts below 1 make no matrix and
// read nothing; the column IDs become the identity.
void CQVRFCDOETaguchiOrthogonalArray::ReadOrthogonalArray(int nRun, int nFactor, CString inputFile,
                                                          CString outputFile) {
    const bool held = AllocData(nRun, nFactor) == 1;
    FILE* input = std::fopen(inputFile.GetString(), "r");
    if (!input) return;
    for (int run = 0; held && run < nRun; ++run) {
        for (int column = 0; column < nFactor; ++column) {
            int value = 0;
            if (std::fscanf(input, "%d", &value) == 1) m_pLevel[run][column] = value;
        }
    }
    std::fclose(input);

    FILE* output = std::fopen(outputFile.GetString(), "w");
    if (!output) return;
    for (int run = 1; run <= nRun; ++run) {
        for (int column = 0; column < nFactor; ++column) {
            std::fprintf(output, " %2d,", GetLevel(run - 1, column));
        }
        std::fprintf(output, " //%d\n", run);
    }
    std::fclose(output);
    std::printf("OK!\n");
}
