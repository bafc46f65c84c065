// Checks of an experiment loaded into the engine before anything is reported. The engine
// analyses whatever it holds; the analysis refuses what a Taguchi analysis cannot summarise
// rather than report missing markers or numbers that are not finite.
#pragma once

#include <string>
#include <vector>

#include "qvrfc/analyzer/QVRFCDOEAnalyzer.h"
#include "qvrfc/common/QVRFCError.h"
#include "qvrfc/experiment/SnKind.h"

namespace qvrfc {

// A failure of the observations analysed, led by the data file's name in quotes ("'d.ipt':
// ..."), or by "observations" for observations handed over in memory, with the file and the
// key (a response's name, when the message names one) kept for a caller to read.
Error DataError(const std::string& dataFile, const std::string& message,
                const std::string& key = "", Error::Kind kind = Error::Kind::Input);
// The same for a failure met below: its text after the file's name, its kind and key kept.
Error DataError(const std::string& dataFile, const Error& error);

// qvrfc::Error naming dataFile when the experiment holds no observation at all, when a run
// of a response has no valid observation, when a larger-the-better response has an
// observation of 0 or below (its S/N ratio does not exist), or when a figure the engine's
// reports or the summary print is not a finite number. Without reports the figures only
// they print are left alone. kinds: the S/N kind analysed, per response.
void CheckAnalysable(const CQVRFCDOEAnalyzer& analyzer, const std::vector<SnKind>& kinds,
                     const std::vector<std::string>& responseNames, const std::string& dataFile,
                     bool reports);

}  // namespace qvrfc
