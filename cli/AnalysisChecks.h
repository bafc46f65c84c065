// Checks of a loaded experiment before its reports are written. The engine analyses whatever
// it holds; the program refuses an experiment that a Taguchi analysis cannot summarise rather
// than write reports of missing markers or of numbers that are not finite.
#pragma once

#include <string>

#include "analyzer/QVRFCDOEAnalyzer.h"

namespace qvrfcdoe {

// An InputError naming dataFile when the experiment holds no observation at all, when a run
// of a quality has no valid observation (values above 1e12 count as missing), or when a
// figure the reports print (run statistics, S/N ratios, grand averages, sums of squares)
// is not a finite number. The S/N ratios must have been computed with the final settings.
// Without reports the figures only they print (mean square deviation, coefficient of
// variation) are left alone.
void CheckAnalysable(const CQVRFCDOEAnalyzer& analyzer, const std::string& dataFile, bool reports);

}  // namespace qvrfcdoe
