// Declared two-factor interactions as terms of an experiment's ANOVA. On an array built by
// rule the interaction of the factors on columns a and b is held by its s - 1 interaction
// columns, with (s - 1)^2 degrees of freedom; on the other arrays only a pair of columns whose
// interaction stands apart (columns 1 and 2 of the L18) can be estimated, from the cells of
// the two columns. The term is named after its factors' main effects: "A*B",
// "Temperature*Pressure".
#pragma once

#include <vector>

#include "qvrfc/analyzer/QVRFCDOEAnalyzer.h"
#include "qvrfc/arrays/OAInteractions.h"
#include "qvrfc/common/QVRFCError.h"
#include "qvrfc/common/QVRFCExport.h"
#include "qvrfc/inference/ResponseAnova.h"

namespace qvrfc {

// The terms of the declared interactions of the analyzer's factors, beside the main-effect
// terms of `model`. Throws qvrfc::Error (its key the interaction, "A*B") with the reason for a pair
// that names a factor the experiment lacks, pairs a factor with itself or is declared twice, for an
// array that cannot estimate the interaction, for an interaction column that holds a factor of the
// model or another declared interaction (or a factor of another declared interaction), and
// for an interaction whose factors have no main effect in the model.
QVRFC_API std::vector<ModelTerm> InteractionTerms(const CQVRFCDOEAnalyzer& analyzer,
                                                  const std::vector<ModelTerm>& model,
                                                  const std::vector<FactorPair>& pairs);

// The main effects of the factors whose columns hold none of the declared interactions (a
// factor of a declared interaction stays, and InteractionTerms refuses the clash): for
// experiments that name their factors after the array's columns, where a column set aside for
// an interaction carries a factor that is no factor at all.
QVRFC_API std::vector<ModelTerm> MainEffectTermsBeside(const CQVRFCDOEAnalyzer& analyzer,
                                                       const std::vector<FactorPair>& pairs);

// Fills from the analyzer's array the levels of the terms' columns that no factor tells.
QVRFC_API void AddTermColumns(DesignLayout& layout, const CQVRFCDOEAnalyzer& analyzer,
                              const std::vector<ModelTerm>& terms);

}  // namespace qvrfc
