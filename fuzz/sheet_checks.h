// What every run sheet that a reader accepts must hold, whatever its format: one list per
// response and run, each with a value per observation column, finite or NaN for an empty cell
// (never infinite, never the engine's mark of a missing value).
#pragma once

#include <cmath>
#include <cstdlib>

#include "qvrfc/common/QVRFCConstants.h"
#include "qvrfc/experiment/RunSheet.h"

namespace qvrfc_fuzz {

inline void CheckSheetShape(const qvrfc::Experiment& experiment,
                            const qvrfc::SheetObservations& values) {
    const size_t perResponse = static_cast<size_t>(qvrfc::ObservationCount(experiment));
    if (values.size() != experiment.responses.size()) std::abort();
    for (const auto& runs : values) {
        if (runs.size() != static_cast<size_t>(experiment.RunCount())) std::abort();
        for (const auto& observations : runs) {
            if (observations.size() != perResponse) std::abort();
            for (const double value : observations) {
                if (std::isinf(value) || qvrfc::IsMissing(value)) std::abort();
            }
        }
    }
}

}  // namespace qvrfc_fuzz
