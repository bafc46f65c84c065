#include "qvrfc/analysis/ConfirmationRun.h"

#include <cmath>

#include "qvrfc/common/QVRFCTextFormat.h"

namespace qvrfc {

Confirmation ConfirmationRun(const Analysis& analysis, int response,
                             const std::vector<FactorLevel>& at,
                             const std::vector<double>& values) {
    const SnKind kind = analysis.responses[response].setting.kind;
    // The values of one run say nothing of a slope without their signal levels.
    if (analysis.responses[response].setting.dynamic)
        throw UsageError(
            "--values",
            FormatText(
                "--values: '%s' is a dynamic response: its confirmation needs the signal level of "
                "each value, which confirm does not take; compare a confirmation run's slope and "
                "S/N ratio with the intervals predict gives",
                analysis.responses[response].name.c_str()));
    for (const double value : values) {
        if (kind == SnKind::Larger && value <= 0.0)
            throw UsageError(
                "--values",
                FormatText(
                    "--values: %g has no larger-the-better S/N ratio (values must be above 0)",
                    value));
    }
    const Confirmation confirmation =
        Confirm(analysis.model, analysis.responses[response], at, values);
    if (!std::isfinite(confirmation.sn))
        throw UsageError(
            "--values",
            FormatText("--values: their S/N ratio (%s) is not a finite number", SnKindName(kind)));
    return confirmation;
}

}  // namespace qvrfc
