#include "common/QVRFCNumberStream.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <climits>
#include <clocale>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>

namespace qvrfc {

namespace {

// Bytes read from the file at a time.
constexpr size_t kChunkSize = 256 * 1024;
// Text kept ahead of the read position, so that almost every number is parsed whole
// from the window without checking where it ends first.
constexpr size_t kLookahead = 64;
// One past the largest magnitude of an int; digits beyond it need not be accumulated.
constexpr long long kIntMagnitudeLimit = -static_cast<long long>(INT_MIN);

// White space as strtol and strtod skip it (in the current locale); printable ASCII
// characters are never white space, so the locale is asked only about the others.
inline bool IsSpace(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u == ' ' || u == '\n') return true;
    if (u > ' ' && u < 0x7f) return false;
    return std::isspace(u);
}

inline bool IsFinite(int) {
    return true;
}
inline bool IsFinite(double value) {
    return std::isfinite(value);
}

inline bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Text that std::from_chars reads as strtod does: a plain decimal number, possibly negative.
// Signs '+', hexadecimal numbers, "inf" and "nan" go through strtod itself.
inline bool StartsPlainDecimal(const char* p) {
    if (IsDigit(p[0]) || p[0] == '.') return true;
    return p[0] == '-' && (IsDigit(p[1]) || p[1] == '.');
}

// Powers of ten that a double holds exactly.
constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr int kMaxExactPower = 22;
// Integers up to 2^53 are exact in a double.
constexpr unsigned long long kMaxExactInteger = 1ull << 53;

// The common short form, an optional '-', digits with an optional fraction and no exponent,
// computed at once: when the digits make an integer that a double holds exactly and the
// fraction has at most 22 digits, one division of two exact doubles gives the correctly
// rounded value, which is what strtod gives. Sets end after the number; false for any
// other text, or when an exponent or a hexadecimal mark follows.
inline bool ParseShortDecimal(const char* p, double& value, const char*& end) {
    const bool negative = *p == '-';
    const char* s = negative ? p + 1 : p;
    unsigned long long mantissa = 0;
    int digits = 0;
    for (; IsDigit(*s); ++s, ++digits)
        mantissa = mantissa * 10 + static_cast<unsigned>(*s - '0');
    int fraction = 0;
    if (*s == '.')
        for (++s; IsDigit(*s); ++s, ++digits, ++fraction)
            mantissa = mantissa * 10 + static_cast<unsigned>(*s - '0');
    if (digits == 0 || digits > 19 || mantissa > kMaxExactInteger || fraction > kMaxExactPower)
        return false;
    if (*s == 'e' || *s == 'E' || *s == 'x' || *s == 'X') return false;
    const double magnitude = static_cast<double>(mantissa) / kExactPowersOfTen[fraction];
    value = negative ? -magnitude : magnitude;
    end = s;
    return true;
}

// The file's size in bytes, or -1 when it cannot tell (a pipe, for example).
long long FileSize(FILE* file) {
    const long start = std::ftell(file);
    if (start < 0 || std::fseek(file, 0, SEEK_END) != 0) return -1;
    const long size = std::ftell(file);
    if (std::fseek(file, start, SEEK_SET) != 0) return -1;
    return size < start ? -1 : size;
}

}  // namespace

NumberStream::NumberStream(FILE* file)
    : m_file(file), m_window(kChunkSize + 1, '\0'), m_fileSize(FileSize(file)) {
    const char* point = std::localeconv()->decimal_point;
    m_fastDecimal = point && std::strcmp(point, ".") == 0;
    if (m_fileSize >= 0) m_consumed = std::ftell(file);
}

bool NumberStream::ReadInt(int& value) {
    return Read(value, &NumberStream::ParseInt);
}

bool NumberStream::ReadDoubles(int count, std::vector<double>& values) {
    for (int i = 0; i < count; ++i) {
        if (ReadShortDecimal(values)) continue;
        double value = 0.0;
        if (!Read(value, &NumberStream::ParseDouble)) return false;
        values.push_back(value);
    }
    return true;
}

// The common case without the general machinery: white space, then a short decimal that
// ends at white space well inside the window. False, consuming nothing, for anything else.
bool NumberStream::ReadShortDecimal(std::vector<double>& values) {
    if (!m_fastDecimal) return false;
    const char* p = Next();
    while (IsSpace(*p))  // the 0 after the text stops this
        ++p;
    if (End() - p < static_cast<std::ptrdiff_t>(kLookahead) || !StartsPlainDecimal(p)) return false;
    double value = 0.0;
    const char* end = nullptr;
    if (!ParseShortDecimal(p, value, end) || end >= End() || !IsSpace(*end)) return false;
    values.push_back(value);
    m_next = static_cast<size_t>(end - m_window.data());
    return true;
}

long long NumberStream::MaxNumbersLeft() const {
    if (m_fileSize < 0) return -1;
    const long long remaining =
        std::max(m_fileSize - m_consumed - static_cast<long long>(m_next), 0LL);
    return (remaining + 1) / 2;
}

bool NumberStream::HasReadError() const {
    return std::ferror(m_file) != 0;
}

bool NumberStream::AtEnd() {
    SkipSpace();
    return m_next >= m_end && m_atEnd;
}

std::string NumberStream::PeekWord(size_t maxLength) const {
    std::string word;
    for (const char* p = Next(); p < End() && !IsSpace(*p) && word.size() < maxLength; ++p)
        word += std::isprint(static_cast<unsigned char>(*p)) ? *p : '?';
    return word;
}

int NumberStream::Line() const {
    return 1 + m_linesBefore + static_cast<int>(std::count(Next() - m_next, Next(), '\n'));
}

bool NumberStream::NulInWord() const {
    for (const char* p = Next(); p < End() && !IsSpace(*p); ++p) {
        if (*p == '\0') return true;
    }
    return false;
}

template <typename Value, typename Parse>
bool NumberStream::Read(Value& value, Parse parse) {
    SkipSpace();
    for (;;) {
        bool ok = false;
        const char* end = Next();
        if ((this->*parse)(value, ok, end)) {
            // A number runs to white space: "12abc" or "1-2" is not a number.
            ok = ok && (end == End() || IsSpace(*end)) && IsFinite(value);
            if (ok) m_next = static_cast<size_t>(end - m_window.data());
            return ok;
        }
        // At the end of the file the next parse decides on the text there is.
        if (!Refill() && m_wordTooLong) return false;
    }
}

bool NumberStream::Refill() {
    if (m_atEnd) return false;
    const size_t unread = m_end - m_next;
    if (m_next > 0) {
        m_linesBefore += static_cast<int>(std::count(Next() - m_next, Next(), '\n'));
        std::memmove(m_window.data(), Next(), unread);
        m_consumed += static_cast<long long>(m_next);
        m_next = 0;
        m_end = unread;
    }
    if (unread * 2 > m_window.size() - 1) {
        if (unread > kMaxWordLength) {
            m_wordTooLong = true;
            return false;
        }
        m_window.resize(2 * (m_window.size() - 1) + 1);
    }
    const size_t room = m_window.size() - 1 - m_end;
    errno = 0;
    const size_t got = std::fread(m_window.data() + m_end, 1, room, m_file);
    if (got < room && std::ferror(m_file)) m_readErrno = errno ? errno : EIO;
    m_end += got;
    m_window[m_end] = '\0';
    if (got == 0) m_atEnd = true;
    return got > 0;
}

void NumberStream::SkipSpace() {
    for (;;) {
        while (m_next < m_end && IsSpace(m_window[m_next]))
            ++m_next;
        if (m_atEnd || m_end - m_next >= kLookahead) return;
        Refill();
    }
}

// An optional sign and decimal digits, as strtol reads them in base 10.
bool NumberStream::ParseInt(int& value, bool& ok, const char*& end) const {
    const char* p = Next();
    const bool negative = *p == '-';
    if (*p == '+' || *p == '-') ++p;
    const char* digits = p;
    long long magnitude = 0;
    for (; IsDigit(*p); ++p)
        if (magnitude <= kIntMagnitudeLimit) magnitude = magnitude * 10 + (*p - '0');
    if (p == End() && !m_atEnd) return false;  // more digits may follow
    const long long limit = negative ? kIntMagnitudeLimit : kIntMagnitudeLimit - 1;
    ok = p > digits && magnitude <= limit;
    if (ok) {
        value = static_cast<int>(negative ? -magnitude : magnitude);
        end = p;
    }
    return true;
}

bool NumberStream::ParseDouble(double& value, bool& ok, const char*& end) const {
    const char* p = Next();
    if (m_fastDecimal && StartsPlainDecimal(p)) {
        if (ParseShortDecimal(p, value, end)) {
            if (end == End() && !m_atEnd) return false;  // more digits may follow
            ok = true;
            return true;
        }
#if defined(__cpp_lib_to_chars)
        const std::from_chars_result result = std::from_chars(p, End(), value);
        // "0x" goes on as a hexadecimal number; an out-of-range value is strtod's to round.
        if (result.ec == std::errc() && *result.ptr != 'x' && *result.ptr != 'X') {
            // An exponent mark, its sign and a digit may follow where the window ends.
            if (!m_atEnd && End() - result.ptr < 3) return false;
            ok = true;
            end = result.ptr;
            return true;
        }
#endif  // else (a C++ library without from_chars for double, as emscripten's) strtod reads it
    }
    // Anything else is strtod's, once the whole word up to white space is in the window.
    const char* word = p;
    while (*word != '\0' && !IsSpace(*word))
        ++word;
    if (word == End() && !m_atEnd) return false;
    char* stop = nullptr;
    const double number = std::strtod(p, &stop);
    ok = stop != p;
    if (ok) {
        value = number;
        end = stop;
    }
    return true;
}

}  // namespace qvrfc
