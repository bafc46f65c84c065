// Failures of the qvrfcdoe program: the library's one error type, which main.cpp alone turns
// into a one-line message for standard error and an exit status.
#pragma once

#include <string>

#include "qvrfc/common/QVRFCError.h"

namespace qvrfcdoe {

// The commands fail with the layers' one error type; main maps its kind to the status.
inline qvrfc::Error UsageError(const std::string& message) {
    return qvrfc::UsageError(message);
}
inline qvrfc::Error InputError(const std::string& message) {
    return qvrfc::Error(message);
}

// printf-style text for messages; user text always goes in through "%s".
std::string Text(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The text with control characters written as escapes (\n, \t, \x01, ...) and backslashes
// doubled, so that a message quoting file names or arguments stays on one line.
std::string OneLineText(const std::string& text);
// "1 quality", "2 qualities": a count with the word that goes with it.

}  // namespace qvrfcdoe
