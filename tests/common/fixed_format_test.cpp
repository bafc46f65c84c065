// The reports' fast fixed form writes exactly what printf's "%.4f" and "%-12.4f" write.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "common/QVRFCFixedFormat.h"

namespace {

std::string Printf(const char* format, double value) {
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

void ExpectAsPrintf(double value) {
    std::string plain, padded;
    qvrfc::AppendFixed4(plain, value);
    qvrfc::AppendFixed4(padded, value, 12);
    ASSERT_EQ(plain, Printf("%.4f", value)) << Printf("%.17g", value);
    ASSERT_EQ(padded, Printf("%-12.4f", value)) << Printf("%.17g", value);
}

}  // namespace

TEST(FixedFormat, WritesWhatPrintfWrites) {
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<double> values;
    std::istringstream listed(
        "0 -0 1 -1 0.5 0.00005 1.00005 0.03125 0.09375 -0.09375 2.5e-5 7.5e-5 1e-9 -1e-9 1e-300 "
        "-4.9e-324 12345.67895 99999.99995 2e12 -2e12 1e11 99999999999.99998 -1e11 1e300 -1e308 "
        "inf -inf nan -nan 123456.789");
    for (std::string word; listed >> word;)
        values.push_back(std::strtod(word.c_str(), nullptr));
    // Every halfway case of the fifth decimal that a double holds exactly (k / 32 and
    // multiples of 1/2^n), and values just beside them.
    for (int k = -4000; k <= 4000; ++k) {
        values.push_back(k / 32.0);
        values.push_back(std::nextafter(k / 32.0, inf));
        values.push_back(std::nextafter(k / 32.0, -inf));
        values.push_back(k * 1e-4 + 5e-5);
        values.push_back(1048576.0 + k / 1024.0);
    }
    std::uint64_t state = 3;
    for (int i = 0; i < 40000; ++i) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        double bits = 0.0;
        std::memcpy(&bits, &state, sizeof bits);
        values.push_back(bits);
        const double scale = std::pow(10.0, static_cast<int>(state >> 60) - 5);
        values.push_back((static_cast<double>(state >> 11) / 9007199254740992.0 - 0.5) * scale);
    }
    for (double value : values)
        ExpectAsPrintf(value);
}
