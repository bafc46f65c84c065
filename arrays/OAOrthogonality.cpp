// The balance check of the matrix held: equal column sums (E1), equal level counts
// within each column (E2, a fault) and over the whole array (E3, a warning only).
#include <algorithm>
#include <cstdio>
#include <exception>
#include <vector>

#include "qvrfc/arrays/QVRFCDOETaguchiOrthogonalArray.h"

namespace {

using LevelCounts = std::vector<long long>;  // slot L counts level L; slot 0 is unused

// Reports each level L whose count differs from that of L - 1 when both occur, through
// report(L); returns how many were reported. Levels that do not occur are skipped.
template <typename Report>
int CompareNeighbourLevels(const LevelCounts& counts, Report report) {
    int found = 0;
    for (size_t level = 2; level < counts.size(); ++level) {
        if (counts[level] > 0 && counts[level - 1] > 0 && counts[level] != counts[level - 1]) {
            report(static_cast<int>(level));
            ++found;
        }
    }
    return found;
}

void CountLevel(LevelCounts& counts, int level) {
    if (level >= 1 && static_cast<size_t>(level) < counts.size()) ++counts[level];
}

}  // namespace

// Cells are read through GetLevel, so counts larger than the matrix never reach past it.
// Level values outside 1 to m_nLevel are not counted.
int CQVRFCDOETaguchiOrthogonalArray::CheckOrthogonality() {
    if (m_pLevel.empty()) return 0;
    std::vector<long long> columnSum(static_cast<size_t>(std::max(m_nFactor, 1)), 0);
    int highestLevel = 0;
    for (int column = 0; column < std::max(m_nFactor, 1); ++column) {
        for (int run = 0; run < m_nRun; ++run) {
            const int level = GetLevel(run, column);
            columnSum[column] += level;
            highestLevel = std::max(highestLevel, level);
        }
    }
    if (columnSum[0] <= 0) return 0;

    int nE1 = 0;
    for (int column = 1; column < m_nFactor; ++column) {
        if (columnSum[column] != columnSum[column - 1]) ++nE1;
    }
    if (nE1 > 0) std::printf("E1(%d)..", nE1);

    // Levels above the highest one present would count 0 and be skipped anyway,
    // so the table stops there.
    LevelCounts counts;
    try {
        counts.assign(static_cast<size_t>(std::max(std::min(m_nLevel, highestLevel), 0)) + 1, 0);
    } catch (const std::exception&) {
        return 0;
    }

    int nE2 = 0;
    for (int column = 0; column < m_nFactor; ++column) {
        std::fill(counts.begin(), counts.end(), 0);
        for (int run = 0; run < m_nRun; ++run)
            CountLevel(counts, GetLevel(run, column));
        nE2 += CompareNeighbourLevels(counts, [column](int level) {
            std::printf("\n=>E2[ Factor %d, Level=%d (%d) ]", column, level, level - 1);
        });
    }
    if (nE2 > 0) std::printf("E2(%d)..", nE2);

    std::fill(counts.begin(), counts.end(), 0);
    for (int run = 0; run < m_nRun; ++run) {
        for (int column = 0; column < m_nFactor; ++column)
            CountLevel(counts, GetLevel(run, column));
    }
    CompareNeighbourLevels(
        counts, [](int level) { std::printf("\n=>E3[ Level=%d (%d) ]", level, level - 1); });
    return (nE1 == 0 && nE2 == 0) ? 1 : 0;
}
