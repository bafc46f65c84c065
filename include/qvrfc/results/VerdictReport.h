// The verdict as text: for every response the ANOVA tables of the S/N ratio and of the
// observations, the tables of declared interactions, the optimum with its predictions and the
// notes that say what the engineer can do next; and the texts of a prediction and of a
// confirmation run. The same text is printed on the terminal and written as
// "<stem>-verdict.txt".
#pragma once

#include <string>
#include <vector>

#include "qvrfc/analysis/Analysis.h"
#include "qvrfc/common/QVRFCExport.h"

namespace qvrfc {

QVRFC_API std::string VerdictText(const Analysis& analysis);
// One ANOVA table, titled, a line a row; a value that does not exist is "*".
QVRFC_API std::string AnovaText(const ResponseAnalysis& anova, const std::string& title);
// Whether a term's or the error's share of the total lies below 0 % or above 100 %, and the
// note that says why.
QVRFC_API bool SharesBeyondBounds(const AnovaTable& table);
constexpr const char* kSharesNote =
    "Shares below 0 % or above 100 %: a term weaker than the error (F below 1) has a negative "
    "pure sum of squares, and the error's share grows by as much; read such a term's share as "
    "none.";
// A number of degrees of freedom: a whole number as such, Lenth's fraction as "%g" has it.
QVRFC_API std::string DofText(double dof);

// A prediction of both statistics of a response, each setting between tested levels marked
// interpolated.
QVRFC_API std::string PredictionText(const Analysis& analysis,
                                     const ResponsePrediction& prediction);
// A confirmation run against its intervals.
QVRFC_API std::string ConfirmationText(const Analysis& analysis, int response,
                                       const std::vector<FactorLevel>& at,
                                       const Confirmation& confirmation);

// What the engineer should know of a response's verdict, a sentence each: runs with fewer
// observations, a nominal response without a target, terms weaker than the error.
QVRFC_API std::vector<std::string> VerdictNotes(const Analysis& analysis, int response);

// What each damper of a response's noise model does, strongest first, a sentence each; with
// none, a sentence that says so. Empty without a noise model.
QVRFC_API std::vector<std::string> DamperTexts(const Analysis& analysis, int response);

// "pooled by hand: B, D; then by rule": how a response's error was made.
QVRFC_API std::string PoolingText(const Analysis& analysis, int response);

}  // namespace qvrfc
