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
    std::string line;
    for (const char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (c == '\\')
            line += "\\\\";
        else if (c == '\n')
            line += "\\n";
        else if (c == '\r')
            line += "\\r";
        else if (c == '\t')
            line += "\\t";
        else if (byte < 0x20 || byte == 0x7f)
            line += Text("\\x%02x", byte);
        else
            line += c;
    }
    return line;
}

std::string Counted(int count, const char* one, const char* many) {
    return Text("%d %s", count, count == 1 ? one : many);
}

}  // namespace qvrfcdoe
