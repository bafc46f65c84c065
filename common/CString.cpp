#include "qvrfc/common/CString.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

void AppendFormatted(std::string& out, const char* format, va_list args) {
    if (!format) return;
    va_list measure;
    va_copy(measure, args);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (length <= 0) return;
    const size_t start = out.size();
    out.resize(start + static_cast<size_t>(length) + 1);
    std::vsnprintf(&out[start], static_cast<size_t>(length) + 1, format, args);
    out.resize(start + static_cast<size_t>(length));
}

}  // namespace

void CString::Format(const char* format, ...) {
    m_str.clear();
    va_list args;
    va_start(args, format);
    AppendFormatted(m_str, format, args);
    va_end(args);
}

void CString::AppendFormat(const char* format, ...) {
    va_list args;
    va_start(args, format);
    AppendFormatted(m_str, format, args);
    va_end(args);
}

CString CString::Right(int count) const {
    if (count <= 0) return CString();
    const size_t n = static_cast<size_t>(count);
    return n >= m_str.size() ? *this : CString(m_str.substr(m_str.size() - n));
}

CString CString::Left(int count) const {
    if (count <= 0) return CString();
    return CString(m_str.substr(0, static_cast<size_t>(count)));
}

int CString::Compare(const char* other) const {
    return std::strcmp(m_str.c_str(), other ? other : "");
}

int CString::CompareNoCase(const char* other) const {
    const unsigned char* a = reinterpret_cast<const unsigned char*>(m_str.c_str());
    const unsigned char* b = reinterpret_cast<const unsigned char*>(other ? other : "");
    for (;; ++a, ++b) {
        const int ca = std::tolower(*a);
        const int cb = std::tolower(*b);
        if (ca != cb || ca == 0) return ca - cb;
    }
}
