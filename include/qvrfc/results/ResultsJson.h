// results.json: the analysis for other programs, in the experiment's names and level values.
// Its shape:
//   {"experiment": {"array", "runs", "factors": [{"name", "unit", "column", "levels"}],
//                   "responses": [{"name", "unit", "sn", "target"}]},
//    "responses": [{"name", "sn", "runs": [{"run", "mean", "sd", "sn", "n"}],
//                   "short_runs": [runs with fewer observations than the most],
//                   "response_tables": {"sn"|"mean"|"sd": {"<factor>": {"levels", "delta",
//                                                                       "rank", "best"}}},
//                   "anova": {"sn"|"mean": {"terms": [{"name", "ss", "dof", "ms", "f", "p",
//                                                      "pure_ss", "contribution", "pooled"}],
//                                           "error": {"ss", "dof", "ms", "contribution",
//                                                     "parts": {"residual"|"repetition"|
//                                                               "pooled": {"ss", "dof"}}},
//                                           "total": {"ss", "dof"}}},
//                   "pooling": {"by_hand": [term names], "rule": "auto"|"lenth"|null},
//                   "weak_terms": [terms whose F is below 1],
//                   "best": {"<factor>": <level value of the best S/N ratio>},
//                   "optimum": {"levels": {"<factor>": <level value>}, "factors_used",
//                               "interactions_used",
//                               "sn"|"mean": {"predicted", "ci": [lo, hi], "factors_used",
//                                             "interactions_used", "n_eff", "warning"},
//                               "adjustment_factor"},
//                   "interactions": [{"name": "A*B", "rows", "columns", "row_levels",
//                                     "column_levels", "mean", "sn"}]}]}
// The ANOVA is the verdict's: interaction terms named after the factors, contributions the
// shares of pure sums of squares. Numbers that do not exist (a target of a kind without one,
// an F value or error variance without error degrees of freedom, the F value of a pooled
// term, a best level without an aim) are null. Columns and runs count from 1; level values
// are numbers for numeric factors.
#pragma once

#include <string>

#include "qvrfc/analysis/Analysis.h"
#include "qvrfc/common/QVRFCExport.h"

namespace qvrfc {

QVRFC_API std::string ResultsJsonText(const Analysis& analysis);
// A prediction as results.json writes the optimum's: {"predicted", "ci", "factors_used",
// "interactions_used", "n_eff", "warning"}.
QVRFC_API std::string PredictionJsonText(const Analysis& analysis, const Prediction& prediction);
// A confirmation run: {"mean", "sn", "mean_interval", "sn_interval" (predictions with the
// confirmation intervals), "mean_inside", "sn_inside"}.
QVRFC_API std::string ConfirmationJsonText(const Analysis& analysis,
                                           const Confirmation& confirmation);

}  // namespace qvrfc
