// The summary's section on several responses: the combined optimum, each response's
// prediction and desirability there, the trade-offs, grey relational grades and the nominal
// responses whose target no combination reaches.
#pragma once

#include <string>

#include "qvrfc/analysis/Analysis.h"

namespace qvrfc {

// Empty without a combined result (one response).
std::string CombinedSummaryText(const Analysis& analysis);

// "desirability" or "grey": the method as results.json and the page name it.
const char* CombineMethodName(CombineMethod method);

// Whether some response takes part: dynamic responses are left out.
bool AnyStatic(const CombinedResult& result);

// Sentences on a combined result: the search, the conflicts, each unreached target.
std::vector<std::string> CombinedNotes(const Analysis& analysis);

}  // namespace qvrfc
