// The charts' input filled straight from the engine's analysis (CQVRFCDOEAnalyzer): factor
// names from the analyzer (A, B, ... where it holds only its default names), level labels
// "1", "2", ..., contributions from an ANOVA on the engine's sums of squares.
#pragma once

#include <string>
#include <vector>

#include "analyzer/QVRFCDOEAnalyzer.h"
#include "charts/ChartData.h"
#include "common/QVRFCExport.h"

namespace qvrfc {

// One term of an ANOVA: sum of squares, degrees of freedom, pure sum of squares
// S' = S - dof * Ve and its contribution S' / S_T in percent (for a pooled term, S / S_T).
struct ChartAnovaTerm {
    std::string name;
    double ss = 0.0;
    int dof = 0;
    bool pooled = false;
    double pureSS = 0.0;
    double contribution = 0.0;
};

// An ANOVA whose terms and error add up to the whole corrected sum of squares: the error holds
// the pooled terms, the columns that carry no factor and the variation within runs.
struct AnovaNumbers {
    std::vector<ChartAnovaTerm> terms;
    double errorSS = 0.0;
    int errorDof = 0;
    double errorContribution = 0.0;
    double totalSS = 0.0;
    int totalDof = 0;
    double ErrorVariance() const { return errorDof > 0 ? errorSS / errorDof : 0.0; }
};

// The name of factor f: the analyzer's, or A, B, ... in place of its default "Factor#n".
QVRFC_API std::string FactorLabel(const CQVRFCDOEAnalyzer& analyzer, int factor);
// The name of quality q: the analyzer's ("Quality#1" unless set).
QVRFC_API std::string ResponseLabel(const CQVRFCDOEAnalyzer& analyzer, int quality);
// Levels of factor f in the design (its largest level number over the runs).
QVRFC_API int LevelCount(const CQVRFCDOEAnalyzer& analyzer, int factor);
// True when some run of the quality holds more than one observation.
QVRFC_API bool HasRepetitions(const CQVRFCDOEAnalyzer& analyzer, int quality);

// ANOVA of the S/N ratios (one value a run) or of the observations, honouring the pooled flags.
QVRFC_API AnovaNumbers AnovaFromAnalyzer(const CQVRFCDOEAnalyzer& analyzer, int quality,
                                         bool onSnRatios);
// Each run's S/N ratio, computed once from its observations (which also refreshes the ones the
// analyzer keeps for its level effects), and the ANOVA of those ratios: one pass over the
// observations where AnovaFromAnalyzer and a table of the runs would take two.
QVRFC_API std::vector<double> RunSnRatios(const CQVRFCDOEAnalyzer& analyzer, int quality);
QVRFC_API AnovaNumbers AnovaOfSnRatios(const CQVRFCDOEAnalyzer& analyzer, int quality,
                                       const std::vector<double>& sn);

QVRFC_API std::vector<ChartFactor> ChartFactorsFromAnalyzer(const CQVRFCDOEAnalyzer& analyzer);
// S/N ratio and mean per level, and the standard deviation when runs are repeated.
QVRFC_API MainEffects MainEffectsFromAnalyzer(const CQVRFCDOEAnalyzer& analyzer, int quality);
QVRFC_API Pareto ParetoFromAnova(const AnovaNumbers& anova, const std::string& response,
                                 const std::string& title);
// The single-degree-of-freedom effects of the S/N ratios when every degree of freedom of the
// design belongs to a factor; none otherwise.
QVRFC_API HalfNormal HalfNormalFromAnalyzer(const CQVRFCDOEAnalyzer& analyzer, int quality);
QVRFC_API ResponseCharts ChartsFromAnalyzer(const CQVRFCDOEAnalyzer& analyzer, int quality);
// The same with the ANOVA of the S/N ratios already made (and so the S/N ratios refreshed).
QVRFC_API ResponseCharts ChartsFromAnova(const CQVRFCDOEAnalyzer& analyzer, int quality,
                                         const AnovaNumbers& snAnova);

}  // namespace qvrfc
