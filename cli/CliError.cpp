#include "CliError.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "qvrfc/common/QVRFCTextFormat.h"

namespace qvrfcdoe {

std::string Text(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = qvrfc::FormatTextV(format, args);
    va_end(args);
    return text;
}

std::string OneLineText(const std::string& text) {
    return qvrfc::OneLineText(text);
}

}  // namespace qvrfcdoe
