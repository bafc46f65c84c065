// Numbers of the reports in the fixed form with four decimals, the text that printf's
// "%.4f" writes, without the cost of one formatted output call per number: reports of
// large experiments write millions of observations this way.
// Internal to the library (not exported).
#pragma once

#include <cmath>
#include <cstdio>
#include <string>

namespace qvrfc {

namespace fixed_format_detail {

// Below this magnitude the value times 10^4 is under 2^50, so its rounding error and the
// halfway points are exact in a double; larger values and inf/nan go through snprintf.
constexpr double kExactLimit = 1e11;

// value * 10^4 rounded to the nearest integer, halfway cases to even, as printf rounds the
// exact binary value: the product's rounding error (from fma) decides the halfway cases.
inline long long RoundedTenThousandths(double value) {
    const double product = value * 1e4;
    const double error = std::fma(value, 1e4, -product);
    const double nearest = std::nearbyint(product);
    const double rest = product - nearest;
    if (std::fabs(rest) == 0.5 && error != 0.0 && (error > 0.0) == (rest > 0.0))
        return static_cast<long long>(nearest + (rest > 0.0 ? 1.0 : -1.0));
    return static_cast<long long>(nearest);
}

}  // namespace fixed_format_detail

// Appends value as "%.4f" writes it, padded with blanks on the right to width characters
// (the "%-12.4f" form with width 12).
inline void AppendFixed4(std::string& text, double value, size_t width = 0) {
    using namespace fixed_format_detail;
    const size_t start = text.size();
    const double magnitude = std::fabs(value);
    if (!(magnitude < kExactLimit)) {
        char buffer[400];
        std::snprintf(buffer, sizeof buffer, "%.4f", value);
        text += buffer;
    } else {
        const long long tenThousandths = RoundedTenThousandths(magnitude);
        char digits[24];
        char* end = digits + sizeof digits;
        char* p = end;
        long long whole = tenThousandths / 10000;
        long long fraction = tenThousandths % 10000;
        for (int i = 0; i < 4; ++i, fraction /= 10)
            *--p = static_cast<char>('0' + fraction % 10);
        *--p = '.';
        do {
            *--p = static_cast<char>('0' + whole % 10);
            whole /= 10;
        } while (whole > 0);
        if (std::signbit(value)) *--p = '-';
        text.append(p, end);
    }
    if (text.size() - start < width) text.append(width - (text.size() - start), ' ');
}

}  // namespace qvrfc
