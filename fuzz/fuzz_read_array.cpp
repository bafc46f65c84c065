// Array reader: two bytes choose the run and column counts, the rest is the file.
// The matrix read may hold any number; check and listing must stay in range.
#include <cstdlib>

#include "fuzz_support.h"
#include "qvrfc/arrays/QVRFCDOETaguchiOrthogonalArray.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    qvrfc_fuzz::EnterScratchDirectory();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const int nRun = static_cast<int>(data[0] % 100) - 2;
    const int nFactor = static_cast<int>(data[1] % 70) - 2;
    qvrfc_fuzz::WriteBytes("array.txt", data + 2, size - 2);
    CQVRFCDOETaguchiOrthogonalArray array;
    // Now and then start from a catalogue table (SetTable rewrites its listing file: slow).
    if (data[1] & 0x80)
        array.SetTable(static_cast<CQVRFCDOETaguchiOrthogonalArray::OA_TYPE>(data[0] % 20 - 1));
    // A matrix read whole holds exactly the counts asked for.
    const int read = array.ReadOrthogonalArrayFile(nRun, nFactor, "array.txt", "rows.txt");
    if (read != 0 && (read != 1 || array.GetNoRun() != nRun || array.GetNoFactor() != nFactor))
        std::abort();
    array.CheckOrthogonality();
    array.Writer(qvrfc_fuzz::Sink(), "[DOE OrthogonalArray]");
    for (int factor = -1; factor <= nFactor; ++factor)
        array.GetColumnID(factor);
    return 0;
}
