// Helpers shared by the analyzer tests: printf-style expected text, a level value table and
// a small hand-worked L4 experiment.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

#include "analyzer/QVRFCDOEAnalyzer.h"
#include "analyzer/reference_data.h"
#include "common/QVRFCTextFormat.h"

namespace qvrfc_test {

using reference::EnterRun;

// The text that printf would write for format and arguments.
inline std::string Fmt(const char* format, ...) __attribute__((format(printf, 1, 2)));
inline std::string Fmt(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = qvrfc::FormatTextV(format, args);
    va_end(args);
    return text;
}

// Level values per factor: level l of every factor has the value values[l].
struct LevelTable {
    LevelTable(int nFactor, std::vector<double> values)
        : rows(static_cast<size_t>(nFactor), std::move(values)) {
        for (auto& row : rows)
            pointers.push_back(row.data());
    }
    double** get() { return pointers.data(); }
    std::vector<std::vector<double>> rows;
    std::vector<double*> pointers;
};

// Control factor values of the hand-worked L4 experiment, run by factor.
constexpr double kL4FactorValues[4][3] = {{10, 10, 10}, {10, 20, 20}, {20, 10, 20}, {20, 20, 10}};

// The L4 experiment worked out by hand: factor values 10 (level 1) and 20 (level 2), one
// quality, runs with averages 10, 12, 14, 20 and observations one unit below and above.
inline void SetupHandWorkedL4(CQVRFCDOEAnalyzer& analyzer) {
    LevelTable table(3, {10.0, 20.0});
    analyzer.SetupDOE(1, CQVRFCDOETaguchiOrthogonalArray::OA_L4, table.get());
    const double averages[4] = {10.0, 12.0, 14.0, 20.0};
    for (int run = 0; run < 4; ++run)
        EnterRun(analyzer, 0, run, {averages[run] - 1.0, averages[run] + 1.0});
}

}  // namespace qvrfc_test
