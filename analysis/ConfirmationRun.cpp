#include "qvrfc/analysis/ConfirmationRun.h"

#include <cmath>

#include "qvrfc/common/QVRFCTextFormat.h"

namespace qvrfc {

Confirmation ConfirmationRun(const Analysis& analysis, int response,
                             const std::vector<FactorLevel>& at,
                             const std::vector<double>& values) {
    const SnKind kind = analysis.verdict.qualities[response].setting.kind;
    for (const double value : values) {
        if (kind == SnKind::Larger && value <= 0.0)
            throw UsageError(FormatText(
                "--values: %g has no larger-the-better S/N ratio (values must be above 0)", value));
    }
    const Confirmation confirmation = Confirm(analysis.verdict, response, at, values);
    if (!std::isfinite(confirmation.sn))
        throw UsageError(
            FormatText("--values: their S/N ratio (%s) is not a finite number", SnKindName(kind)));
    return confirmation;
}

}  // namespace qvrfc
