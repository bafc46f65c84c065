// results.json: the analysis of an experiment for other programs, in the experiment's names
// and level values. Its shape:
//   {"experiment": {"array", "runs", "factors": [{"name", "unit", "column", "levels"}],
//                   "responses": [{"name", "unit", "sn", "target"}]},
//    "responses": [{"name", "sn", "runs": [{"run", "mean", "sd", "sn", "n"}],
//                   "response_tables": {"sn"|"mean"|"sd": {"<factor>": {"levels", "delta",
//                                                                       "rank"}}},
//                   "anova": {"sn"|"mean": {"terms": [{"name", "ss", "dof", "ms", "f", "p",
//                                                      "pure_ss", "contribution", "pooled"}],
//                                           "error": {"ss", "dof", "ms", "contribution",
//                                                     "parts": {"residual"|"repetition"|
//                                                               "pooled": {"ss", "dof"}}},
//                                           "total": {"ss", "dof"}}},
//                   "best": {"<factor>": <level value>},
//                   "optimum": {"levels": {"<factor>": <level value>}, "factors_used",
//                               "interactions_used", "sn"|"mean": {"predicted", "ci": [lo, hi]},
//                               "adjustment_factor"},
//                   "interactions": [{"name": "A*B", "rows", "columns", "row_levels",
//                                     "column_levels", "mean", "sn"}]}]}
// With the verdict, the ANOVA is the verdict's (interaction terms named after the factors,
// contributions the shares of pure sums of squares); without it, the engine's ANOVA stands
// (its "error" has ss, dof, ms and contribution) and "optimum" and "interactions" are left out.
// Numbers that do not exist (a target of a kind without one, a value that is not finite, an F
// value or error variance without error degrees of freedom, the F value of a pooled factor)
// are null. Columns and runs count from 1; level values are numbers for numeric factors.
#pragma once

#include <string>

#include "analyzer/QVRFCDOEAnalyzer.h"
#include "experiment/Experiment.h"
#include "inference/Verdict.h"
#include "results/VerdictReport.h"

namespace qvrfc {

// The level texts of the experiment's factors, as the user wrote them, for the verdict's
// reporters; the label keeps its own copy of the texts.
QVRFC_API LevelLabel ExperimentLevels(const Experiment& experiment);

// The analyzer must be the one SetUpAnalyzer made for the experiment, with observations;
// the verdict, when given, the one on that analyzer with the experiment's factor names.
QVRFC_API std::string ResultsJsonText(const Experiment& experiment,
                                      const CQVRFCDOEAnalyzer& analyzer,
                                      const Verdict* verdict = nullptr);
// Writes the text whole to path (FileWriting.h).
QVRFC_API void WriteResultsJson(const Experiment& experiment, const CQVRFCDOEAnalyzer& analyzer,
                                const std::string& path, const Verdict* verdict = nullptr);

}  // namespace qvrfc
