// Uses the installed engine through its umbrella header and prints what it finds.
#include <cstdio>

#include "QVRFCDOEEngine.h"

int main() {
    using Array = CQVRFCDOETaguchiOrthogonalArray;
    const Array::OA_TYPE type = Array::ArraySelector(18);
    CString text;
    text.Format("%d runs, %d columns", Array::GetNoRun(type), Array::GetNoFactor(type));
    std::printf("consumer: L18 has %s\n", text.GetString());
    const bool defaultArray =
        CQVRFCDOEAnalyzer::GetDefaultOrthogonalArrayType(4, 3) == Array::OA_L9;
    return type == Array::OA_L18 && text == CString("18 runs, 8 columns") && defaultArray ? 0 : 1;
}
