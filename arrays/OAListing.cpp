// The readable array listing (to a stream or a time-stamped file) and the reader
// that loads a level matrix from a plain file of numbers.
#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>

#include "arrays/OAListingText.h"
#include "common/QVRFCAtomicFile.h"
#include "qvrfc/arrays/OAListingTitle.h"
#include "qvrfc/arrays/QVRFCDOETaguchiOrthogonalArray.h"
#include "qvrfc/common/QVRFCPlatform.h"

namespace {

// The rule above and below the level table: three "=" per factor after a fixed lead.
void WriteRule(qvrfc::TextOutput& out, int nFactor) {
    out.Put("=========");
    for (int factor = 0; factor < nFactor; ++factor)
        out.Put("===");
    out.Put('\n');
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
void qvrfc::WriteArrayListing(TextOutput& out, const CQVRFCDOETaguchiOrthogonalArray& array,
                              const char* title) {
    const int nFactor = array.GetNoFactor();
    const int nRun = array.GetNoRun();
    out.Format("\n%s\n", title);
    out.Format("Type           = %d (%s)\n", static_cast<int>(array.GetType()),
               array.GetTypeString().GetString());
    out.Format("No Run         = %d\n", nRun);
    out.Format("Max. No  Factor= %d\n", nFactor);
    out.Format("Max. No. Level = %d\n", array.GetNoLevel());
    out.Put('\n');
    WriteRule(out, nFactor);
    out.Put("Run   Factor\n");
    out.Put("No.   ");
    for (int factor = 1; factor <= nFactor; ++factor)
        out.Format(" %2d", factor);
    out.Put('\n');
    WriteRule(out, nFactor);
    for (int run = 1; run <= nRun; ++run) {
        out.Format("%2d    ", run);
        for (int column = 0; column < nFactor; ++column)
            out.Format(" %2d", array.GetLevel(run - 1, column));
        out.Put('\n');
        if (run % 5 == 0 && run != nRun) out.Put('\n');
    }
    WriteRule(out, nFactor);
}

int CQVRFCDOETaguchiOrthogonalArray::Writer(FILE* stream, CString title) {
    if (!stream) return 0;
    qvrfc::TextOutput out(stream, 1 << 16);
    qvrfc::WriteArrayListing(out, *this, title.GetString());
    return out.Finish() ? 1 : 0;
}

// The file is replaced whole: a failed write leaves the listing written before.
int CQVRFCDOETaguchiOrthogonalArray::Writer(CString fileName, CString creator) {
    qvrfc::AtomicFile file;
    FILE* stream = file.Open(fileName.GetString());
    if (!stream) return 0;
    qvrfc::TextOutput out(stream, 1 << 16);
    CString now;
    out.Format("Time = %s\n", GetCurrentTimeString(now).GetString());
    out.Format("Created By = %s\n", creator.GetString());
    qvrfc::WriteArrayListing(out, *this, qvrfc::kArrayListingTitle);
    return out.Finish() && file.Commit() ? 1 : 0;
}

// Reads run by run, column by column, one integer each; a number that cannot be read or does
// not fit an int leaves its cell 0 (a comma stops all later cells). The matrix is then written
// back as comma-separated rows, replacing the output file whole, and "OK!" is printed once it
// is written. Counts below 1 make no matrix and read nothing; the column IDs become the
// identity.
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

    qvrfc::AtomicFile file;
    FILE* output = file.Open(outputFile.GetString());
    if (!output) return 0;
    qvrfc::TextOutput out(output, 1 << 16);
    for (int run = 1; run <= nRun; ++run) {
        for (int column = 0; column < nFactor; ++column)
            out.Format(" %2d,", GetLevel(run - 1, column));
        out.Format(" //%d\n", run);
    }
    if (!out.Finish() || !file.Commit()) return 0;
    std::printf("OK!\n");
    return whole ? 1 : 0;
}

void CQVRFCDOETaguchiOrthogonalArray::ReadOrthogonalArray(int nRun, int nFactor, CString inputFile,
                                                          CString outputFile) {
    ReadOrthogonalArrayFile(nRun, nFactor, inputFile, outputFile);
}
