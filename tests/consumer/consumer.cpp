// Uses the installed engine through its umbrella header and prints what it finds.
#include <cstdio>

#include "QVRFCDOEEngine.h"

int main() {
    CString text;
    text.Format("%s %d", "engine", 1);
    std::printf("consumer: %s\n", text.GetString());
    return text == CString("engine 1") ? 0 : 1;
}
