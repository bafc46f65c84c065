// The terminal summary of an analysed experiment: for every quality its S/N ratio kind,
// the response tables of S/N ratio, mean and standard deviation, the best levels, the
// predictions and the two ANOVA tables in short. Its length depends on the numbers of
// factors, levels and qualities only, never on the number of observations.
#pragma once

#include <cstdio>
#include <vector>

#include "analyzer/QVRFCDOEAnalyzer.h"
#include "common/QVRFCExport.h"

namespace qvrfc_results {

struct SummaryOptions {
    // Per quality (from 0): true when its S/N ratio kind was chosen rather than left at the
    // default; qualities past the end count as left at the default.
    std::vector<bool> snChosen;
    // True when the array was chosen rather than taken as the first with the run count.
    bool arrayChosen = false;
    // Adds the run table with every observation before the summary.
    bool runTable = false;
};

// Writes the summary of analyzer to file. The analyzer's caches fill as it is read.
QVRFC_API void WriteSummary(FILE* file, const CQVRFCDOEAnalyzer& analyzer,
                            const SummaryOptions& options);

}  // namespace qvrfc_results
