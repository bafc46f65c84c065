// The verdict's sentences and tables on robustness beyond the S/N ratio: the ANOVA of ln s^2
// (location and dispersion), the noise range at the optimum against the worst combination and
// the grand average, and the decomposition of a dynamic response's runs.
#pragma once

#include <string>
#include <vector>

#include "qvrfc/analysis/Analysis.h"

namespace qvrfc {

// The ANOVA of the runs' ln s^2; empty when the response has none.
std::string DispersionText(const Analysis& analysis, int response);

// "Noise range of Free height across 2 noise conditions, from the noise model: 0.0391 at the
// optimum (...), 0.4533 at the worst combination (...), 0.2569 on the grand average."; empty
// without a noise model.
std::string RobustnessSentence(const Analysis& analysis, int response);

// The settings of a noise range's levels, "Heating time=-, Transfer time=+" (the factors whose
// control x noise interactions enter; every factor when none does).
std::string NoiseRangeSettings(const Analysis& analysis, const NoiseModel& model,
                               const NoiseRange& range);

// A dynamic response's decomposition, one row a run; empty for a static response.
std::string DecompositionText(const Analysis& analysis, int response);

// The runs whose quadratic term in the signal is significant (p < alpha): one note, or none.
std::vector<std::string> LinearityNotes(const Analysis& analysis, int response);

}  // namespace qvrfc
