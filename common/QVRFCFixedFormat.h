// Numbers of the reports in the fixed form with four decimals, the text that printf's
// "%.4f" writes, without the cost of one formatted output call per number: reports of
// large experiments write millions of observations this way.
// Internal to the library (not exported).
#pragma once

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace qvrfc {

// The longest text WriteFixed4 writes, with room for its terminating zero: the "%.4f"
// form of -DBL_MAX has 309 digits before the point.
constexpr size_t kFixed4MaxSize = 320;

namespace fixed_format_detail {

// Below this magnitude the value times 10^4 is under 2^50, so its rounding error and the
// halfway points are exact in a double; larger values and inf/nan go through snprintf.
constexpr double kExactLimit = 1e11;
// Adding and taking away 2^52 rounds a non-negative double below 2^52 to an integer,
// halfway cases to even, without a library call.
constexpr double kRoundingShift = 4503599627370496.0;

// magnitude * 10^4 rounded to the nearest integer, halfway cases to even, as printf rounds
// the exact binary value: in a halfway case the product's rounding error (from fma)
// decides.
inline unsigned long long RoundedTenThousandths(double magnitude) {
    const double product = magnitude * 1e4;
    const double nearest = (product + kRoundingShift) - kRoundingShift;
    const double rest = product - nearest;
    if (std::fabs(rest) == 0.5) {
        const double error = std::fma(magnitude, 1e4, -product);
        if (error != 0.0 && (error > 0.0) == (rest > 0.0))
            return static_cast<unsigned long long>(nearest + (rest > 0.0 ? 1.0 : -1.0));
    }
    return static_cast<unsigned long long>(nearest);
}

// "00" to "99".
constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

}  // namespace fixed_format_detail

// Writes value as "%.4f" writes it at out (kFixed4MaxSize bytes of room) and returns the
// end of the text; no terminating zero is written.
inline char* WriteFixed4(char* out, double value) {
    using namespace fixed_format_detail;
    const double magnitude = std::fabs(value);
    if (!(magnitude < kExactLimit)) {
        const int size = std::snprintf(out, kFixed4MaxSize, "%.4f", value);
        return out + (size > 0 ? size : 0);
    }
    const unsigned long long tenThousandths = RoundedTenThousandths(magnitude);
    unsigned long long whole = tenThousandths / 10000;
    const unsigned fraction = static_cast<unsigned>(tenThousandths % 10000);
    if (std::signbit(value)) *out++ = '-';
    int digits = 1;
    for (unsigned long long bound = 10; digits < 19 && whole >= bound; bound *= 10)
        ++digits;
    char* p = out + digits;
    while (whole >= 100) {
        p -= 2;
        std::memcpy(p, kDigitPairs + 2 * (whole % 100), 2);
        whole /= 100;
    }
    if (whole >= 10)
        std::memcpy(p - 2, kDigitPairs + 2 * whole, 2);
    else
        p[-1] = static_cast<char>('0' + whole);
    out += digits;
    *out = '.';
    std::memcpy(out + 1, kDigitPairs + 2 * (fraction / 100), 2);
    std::memcpy(out + 3, kDigitPairs + 2 * (fraction % 100), 2);
    return out + 5;
}

// Appends value as "%.4f" writes it, padded with blanks on the right to width characters
// (the "%-12.4f" form with width 12).
inline void AppendFixed4(std::string& text, double value, size_t width = 0) {
    char digits[kFixed4MaxSize];
    const size_t size = static_cast<size_t>(WriteFixed4(digits, value) - digits);
    text.append(digits, size);
    if (size < width) text.append(width - size, ' ');
}

}  // namespace qvrfc
