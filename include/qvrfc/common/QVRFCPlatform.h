// The few platform services the engine was written against and Linux lacks:
// the 64-bit clock, its conversion to local time, the report time stamp and
// the error exit of the checked element access.
#pragma once

#include <cstdint>
#include <ctime>

#include "qvrfc/common/CString.h"
#include "qvrfc/common/QVRFCExport.h"

namespace qvrfc {

using time64_t = std::int64_t;

// Seconds since the epoch; also stored through timer when it is not null.
time64_t _time64(time64_t* timer);
// Converts *timer to local time in *result; 0 on success, an errno value otherwise.
int _localtime64_s(std::tm* result, const time64_t* timer);

}  // namespace qvrfc

// Local time as "hh:mm:ss-MM-DD-YYYY"; text is emptied, filled and returned.
// Fields that cannot be converted read -1 (time of day) or 0 (date).
QVRFC_API CString& GetCurrentTimeString(CString& text);

// Writes "@@@@( Error: ", message and "\n" to standard output and ends the process with status 1.
[[noreturn]] QVRFC_API void QVRFCErrorExit(const char* message);
