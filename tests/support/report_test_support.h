// Helpers shared by the report, section writer, data file and scenario tests:
// printf-style expected lines, a level value table and a small hand-worked L4 experiment.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

#include "analyzer/QVRFCDOEAnalyzer.h"
#include "analyzer/reference_data.h"
#include "support/array_listing.h"

namespace qvrfc_test {

using reference::EnterRun;

// The text that printf would write for format and arguments.
inline std::string Fmt(const char* format, ...) __attribute__((format(printf, 1, 2)));
inline std::string Fmt(const char* format, ...) {
    char buffer[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

// 12 equal signs and width times 13 equal signs.
inline std::string Rule(int width) {
    std::string rule(12, '=');
    for (int i = 0; i < width; ++i)
        rule += std::string(13, '=');
    return rule;
}

// Level values per factor: level l of every factor has the value values[l].
class LevelTable {
  public:
    LevelTable(int nFactor, std::vector<double> values)
        : m_rows(static_cast<size_t>(nFactor), std::move(values)) {
        for (auto& row : m_rows)
            m_pointers.push_back(row.data());
    }
    double** get() { return m_pointers.data(); }

  private:
    std::vector<std::vector<double>> m_rows;
    std::vector<double*> m_pointers;
};

// Control factor values of the hand-worked L4 experiment, run by factor.
constexpr double kL4FactorValues[4][3] = {{10, 10, 10}, {10, 20, 20}, {20, 10, 20}, {20, 20, 10}};

// The L4 experiment worked out by hand: factor values 10 (level 1) and 20 (level 2), one
// quality, runs with averages 10, 12, 14, 20 and observations one unit below and above.
inline void SetupHandWorkedL4(CQVRFCDOEAnalyzer& analyzer) {
    LevelTable table(3, {10.0, 20.0});
    analyzer.SetupDOE(1, CQVRFCDOETaguchiOrthogonalArray::OA_L4, table.get());
    const double averages[4] = {10.0, 12.0, 14.0, 20.0};
    for (int run = 0; run < 4; ++run) {
        analyzer.AddQualityValueStart(0, run);
        analyzer.AddQualityValue(averages[run] - 1.0);
        analyzer.AddQualityValue(averages[run] + 1.0);
        double average = 0.0, deviation = 0.0;
        analyzer.AddQualityValueEnd(average, deviation);
    }
}

inline void Append(std::vector<std::string>& lines, const std::vector<std::string>& more) {
    lines.insert(lines.end(), more.begin(), more.end());
}

// The experiment section of the hand-worked L4 experiment; sep is the separator text and
// plain adds the rules of the plain style.
inline std::vector<std::string> L4ExperimentSection(const char* sep, bool plain) {
    std::vector<std::string> lines = L4Listing();
    Append(lines, {"", "[Control Factor ID]", "No. Control Factor= 3",
                   "No. Available Control Factor in the Orthogonal Array= 3 "});
    if (plain) lines.push_back(std::string(22, '='));
    lines.push_back(Fmt(" Factor%s     ID", sep));
    if (plain) lines.push_back(std::string(22, '-'));
    for (int j = 1; j <= 3; ++j)
        lines.push_back(Fmt("%2d%s         %2d", j, sep, j));
    if (plain) lines.push_back(std::string(22, '='));
    Append(lines, {"", "[DOE Data]"});
    if (plain) lines.push_back(Rule(3));
    lines.push_back(Fmt("Run%s      Factor", sep));
    lines.push_back(Fmt("No.       %-12d%s%-12d%s%-12d%s", 1, sep, 2, sep, 3, sep));
    if (plain) lines.push_back(Rule(3));
    for (int r = 0; r < 4; ++r)
        lines.push_back(Fmt("%2d%s     %-12.4lf%s%-12.4lf%s%-12.4lf%s", r + 1, sep,
                            kL4FactorValues[r][0], sep, kL4FactorValues[r][1], sep,
                            kL4FactorValues[r][2], sep));
    if (plain) lines.push_back(Rule(3));
    return lines;
}

// Index of the first line equal to text at or after from; lines.size() when there is none.
inline size_t FindLine(const std::vector<std::string>& lines, const std::string& text,
                       size_t from = 0) {
    for (size_t i = from; i < lines.size(); ++i)
        if (lines[i] == text) return i;
    return lines.size();
}

}  // namespace qvrfc_test
