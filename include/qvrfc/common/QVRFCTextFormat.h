// printf-style formatting into a std::string of whatever length the text needs.
#pragma once

#include <cstdarg>
#include <string>

#include "qvrfc/common/QVRFCExport.h"

namespace qvrfc {

// The text printf would write for format and its arguments; user text goes in through "%s".
QVRFC_API std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));
QVRFC_API std::string FormatTextV(const char* format, va_list args);
// "1 run", "3 runs": a count with the word that fits it.
QVRFC_API std::string Counted(long long count, const char* one, const char* many);
// The text with control characters written as escapes (\n, \t, \x01, ...) and backslashes
// doubled, so that a message quoting file names or arguments stays on one line.
QVRFC_API std::string OneLineText(const std::string& text);

}  // namespace qvrfc
