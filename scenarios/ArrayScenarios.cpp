// Self-tests of the array catalogue: the balance check over every catalogue array
// (Test1) and the listing of one array (Test2).
#include <cstdio>

#include "qvrfc/arrays/OAListingTitle.h"
#include "qvrfc/arrays/QVRFCDOETaguchiOrthogonalArray.h"

// Visits OA_L8 to OA_L81 (OA_L4 is not visited); verdicts go to stream, progress and
// the failure count to standard output.
int CQVRFCDOETaguchiOrthogonalArray::Test1(int bWriteTable, FILE* stream) {
    if (!stream) return 0;
    std::fprintf(stream, "\nCQVRDOETaguchiOrthogonalArray::Test1()...BEGIN\n");
    CQVRFCDOETaguchiOrthogonalArray array;
    int nFail = 0;
    for (int type = OA_L8; type <= OA_L81; ++type) {
        array.ClearData();
        array.SetTable(static_cast<OA_TYPE>(type));
        if (bWriteTable) array.Writer(stream, CString(qvrfc::kArrayListingTitle));
        std::printf("@@@( %s...", array.GetTypeString().GetString());
        if (array.CheckOrthogonality() == 1) {
            std::fprintf(stream, "PASS!\n");
        } else {
            std::fprintf(stream, "FAIL!\n");
            ++nFail;
        }
    }
    std::printf("@@@( QVRTester_TestOrthogonalArray1...%d Fail! \n", nFail);
    std::fprintf(stream, "\nCQVRDOETaguchiOrthogonalArray::Test1()...END\n");
    return 1;
}

int CQVRFCDOETaguchiOrthogonalArray::Test2(int type, FILE* stream) {
    if (!stream) return 0;
    std::fprintf(stream, "\nCQVRDOETaguchiOrthogonalArray::Test2()...BEGIN\n");
    CQVRFCDOETaguchiOrthogonalArray array;
    array.SetTable(static_cast<OA_TYPE>(type));
    std::fprintf(stream, "Orthogonal Array : %s\n", array.GetArrayName().GetString());
    array.Writer(stream, CString(qvrfc::kArrayListingTitle));
    std::fprintf(stream, "\nCQVRDOETaguchiOrthogonalArray::Test2()...END\n");
    return 1;
}
