// results.json: the analysis of an experiment for other programs, in the experiment's names
// and level values. Its shape:
//   {"experiment": {"array", "runs", "factors": [{"name", "unit", "column", "levels"}],
//                   "responses": [{"name", "unit", "sn", "target"}]},
//    "responses": [{"name", "sn", "runs": [{"run", "mean", "sd", "sn", "n"}],
//                   "response_tables": {"sn"|"mean"|"sd": {"<factor>": {"levels", "delta",
//                                                                       "rank"}}},
//                   "anova": {"sn"|"mean": {"terms": [{"name", "ss", "dof", "ms", "f",
//                                                      "contribution", "pooled"}],
//                                           "error": {...}, "total": {...}}},
//                   "best": {"<factor>": <level value>}}]}
// Numbers that do not exist (a target of a kind without one, a value that is not finite, an F
// value or error variance without error degrees of freedom, the F value of a pooled factor)
// are null. Columns and runs count from 1; level values are numbers for numeric factors.
#pragma once

#include <string>

#include "analyzer/QVRFCDOEAnalyzer.h"
#include "experiment/Experiment.h"

namespace qvrfc {

// The analyzer must be the one SetUpAnalyzer made for the experiment, with observations.
QVRFC_API std::string ResultsJsonText(const Experiment& experiment,
                                      const CQVRFCDOEAnalyzer& analyzer);
// Writes the text whole to path (FileWriting.h).
QVRFC_API void WriteResultsJson(const Experiment& experiment, const CQVRFCDOEAnalyzer& analyzer,
                                const std::string& path);

}  // namespace qvrfc
