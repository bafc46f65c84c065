// The interactive part of report.html, when the program was built with the page's module: the
// decision first (the recommended settings of every response and the combined one), then a
// profiler, the pooling boxes and the desirability bounds, all computed in the browser by the
// module from the experiment and observations the page holds. The elements' data-* attributes
// are a contract that tests and users' scripts rely on (README, "The interactive page").
#pragma once

#include <string>

#include "qvrfc/analysis/Analysis.h"
#include "qvrfc/results/HtmlWriter.h"

namespace qvrfc {

// Whether the page of this analysis is interactive: a module was built, and the analysis is of
// a run sheet (whose observations, noise conditions and signal levels included, the page hands
// back to the module in the sheet's order).
bool PageIsInteractive(const Analysis& analysis);

// The page's content security policy: nothing is fetched, scripts are the page's own, and the
// module may be compiled ('wasm-unsafe-eval').
std::string PageSecurityPolicy();

// What the module is given: {"experiment": <experiment.toml>, "observations": [response][run][k]
// (null for none), "options": the command's options that give this analysis, "factors":
// [{"name", "levels": [as written], "numeric"}]}.
std::string PageInputJson(const Analysis& analysis);

// The decision's section and the interactive sections (filled by the page's script), the
// page's input, the module and the scripts.
void WriteInteractive(HtmlWriter& html, const Analysis& analysis);

}  // namespace qvrfc
