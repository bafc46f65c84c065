// Full analysis of variance of one response (a quality's per-run S/N ratios, or its raw
// observations) over the terms of a model, with an error term that keeps every source:
// the residual (degrees of freedom the terms leave unused), the repetitions (variation
// within runs) and the pooled terms. The total is the whole corrected sum of squares, so the
// terms and the error add up to it, and contributions are shares of pure sums of squares
// S' = S - dof * Ve, adding to 100 %.
//
// A value that does not exist (F and p without error degrees of freedom, a pooled term's F)
// is NaN.
//
// Pooling rules:
// - by hand: the terms named by the caller;
// - Auto: after those, the term with the smallest mean square is pooled, one at a time,
//   until the error holds at least half of the terms' degrees of freedom (rounded up); one
//   term always stays in the model;
// - Lenth: when the error has no degrees of freedom at all (a saturated design without
//   repetitions), the error variance is the square of Lenth's pseudo standard error over
//   the single-degree contrasts of the terms (orthogonal polynomial contrasts of each
//   column's level means, scaled so that their squares add to the column's sum of squares),
//   with contrasts / 3 degrees of freedom. Elsewhere the ordinary error is used.
#pragma once

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "qvrfc/analyzer/QVRFCDOEAnalyzer.h"
#include "qvrfc/common/QVRFCExport.h"

namespace qvrfc {

constexpr double kNotANumber = std::numeric_limits<double>::quiet_NaN();

// One term of a model: a factor's main effect or an interaction of factors. Its sum of
// squares is that of its array columns, its degrees of freedom the sum of theirs. An
// interaction's cells are the level pairs of its factors' main-effect columns; one that has
// no column of its own (it stands apart in an array not built by rule) has no columns, and
// its sum of squares is that between its cells less those of its factors, with
// (levels - 1) * (levels - 1) degrees of freedom.
struct ModelTerm {
    std::string name;          // "A", "Temperature", "A*B"
    std::vector<int> factors;  // the engine's factor indexes: one, or two for an interaction
    std::vector<int> columns;  // 0-based array columns holding the term
    int dof = 0;
};

// The main-effect term of an engine factor among terms; -1 when it has none.
QVRFC_API int MainEffectTermOf(const std::vector<ModelTerm>& terms, int factor);

// The design as the analysis sees it: each column's level in each run, from 0.
struct DesignLayout {
    std::vector<std::vector<int>> levels;  // [run][column]; -1 where no factor tells
    std::vector<int> levelCounts;          // [column]
};

// The observations of a response, one vector per run (a single value for S/N ratios).
using RunValues = std::vector<std::vector<double>>;

// What the analysis needs of one run's values, gathered in one pass without keeping them:
// count, sum, sum of squared deviations from the run's mean and range. The squares are
// summed about the first value, so that values far from zero keep their precision.
class QVRFC_API RunSummary {
  public:
    void Add(double y) {
        if (m_count == 0) m_shift = m_min = m_max = y;
        const double d = y - m_shift;
        ++m_count;
        m_shiftedSum += d;
        m_shiftedSquares += d * d;
        m_min = y < m_min ? y : m_min;
        m_max = y > m_max ? y : m_max;
        m_finite = m_finite && std::isfinite(y);
    }
    int Count() const { return m_count; }
    double Sum() const { return m_count * m_shift + m_shiftedSum; }
    double Within() const;  // sum of squared deviations from the mean, never negative
    double Min() const { return m_min; }
    double Max() const { return m_max; }
    bool Finite() const { return m_finite; }  // false when a value is infinite or NaN

  private:
    int m_count = 0;
    double m_shift = 0.0, m_shiftedSum = 0.0, m_shiftedSquares = 0.0;
    double m_min = 0.0, m_max = 0.0;
    bool m_finite = true;
};

enum class PoolingRule { None, Auto, Lenth };

struct PoolingChoice {
    std::vector<int> byHand;  // term indexes pooled whatever the rule
    PoolingRule rule = PoolingRule::None;
};

// One row of an ANOVA table, as statsmodels' anova_lm has them: the error and the total are
// rows like the terms. A value that does not exist is NaN (a pooled term's F, p, pure sum of
// squares and contribution; F and p of the error, its parts and the total; every F and p
// without error degrees of freedom).
struct AnovaRow {
    enum class Kind { Term, PooledTerm, Error, ErrorPart, Total };
    Kind kind = Kind::Term;
    std::string name;  // the term's; "Error"; "residual", "repetition", "pooled"; "Total"
    double ss = kNotANumber, dof = kNotANumber, ms = kNotANumber, f = kNotANumber, p = kNotANumber,
           pureSS = kNotANumber, contribution = kNotANumber;

    bool IsTerm() const { return kind == Kind::Term || kind == Kind::PooledTerm; }
    bool Pooled() const { return kind == Kind::PooledTerm; }
};

// An ANOVA as one table of rows, in this order: the terms in model order (pooled ones of kind
// PooledTerm), the error (residual + repetition + pooled; its dof contrasts / 3 with Lenth's
// estimate), its three parts and the total. Every renderer loops over these rows.
//
//   for (const qvrfc::AnovaRow& row : anova.table.rows) print(row.name, row.ss, row.dof);
struct AnovaTable {
    enum Part { Residual, Repetition, Pooled };
    std::vector<AnovaRow> rows;
    bool lenth = false;  // the error's ms is Lenth's pseudo standard error squared

    size_t TermCount() const { return rows.size() < 5 ? 0 : rows.size() - 5; }
    const AnovaRow& Term(size_t t) const { return rows[t]; }
    const AnovaRow& Error() const { return rows[TermCount()]; }
    const AnovaRow& ErrorPart(Part part) const { return rows[TermCount() + 1 + part]; }
    const AnovaRow& Total() const { return rows[TermCount() + 4]; }
};

// The ANOVA of a response, with what prediction needs: level means of the main-effect
// terms and the range of the values.
struct ResponseAnalysis {
    AnovaTable table;
    double grandMean = 0.0;
    int count = 0;               // values analysed: runs for S/N ratios, observations for the mean
    bool unequalCounts = false;  // runs of unequal counts: the unweighted means analysis
    double minValue = 0.0, maxValue = 0.0;
    std::vector<std::vector<double>> levelMeans;  // [term][level]; empty for interactions
    // [term][level of the first factor][level of the second]; empty but for interactions
    // whose factors have main-effect terms.
    std::vector<std::vector<std::vector<double>>> cellMeans;
};

// Every factor of the analyzer as a main-effect term named A, B, ... on its column, and
// the level table of the analyzer's array.
QVRFC_API std::vector<ModelTerm> MainEffectTerms(const CQVRFCDOEAnalyzer& analyzer);
QVRFC_API DesignLayout LayoutOf(const CQVRFCDOEAnalyzer& analyzer);

// The analysis of one response. Runs of unequal counts are analysed by their unweighted
// means: each run's mean weighs as the harmonic mean of the counts, which keeps the terms
// orthogonal (and is the ordinary analysis for equal counts). Throws qvrfc::Error,
// with the cause in one sentence, for a design without runs, for values that do not fit the
// layout (a run count that differs, a run without observations, a value that is not finite)
// and for terms that share a column or hold more degrees of freedom than the runs. The levels
// of every column a term names must be in the layout.
QVRFC_API ResponseAnalysis AnalyzeResponse(const DesignLayout& layout,
                                           const std::vector<ModelTerm>& terms,
                                           const RunValues& values, const PoolingChoice& pooling);
// The same from each run's summary: the work does not grow with the observations.
QVRFC_API ResponseAnalysis AnalyzeResponse(const DesignLayout& layout,
                                           const std::vector<ModelTerm>& terms,
                                           const std::vector<RunSummary>& runs,
                                           const PoolingChoice& pooling);

// Orthonormal polynomial contrasts over s equally spaced levels (linear, quadratic, ...), each
// orthogonal to the constant.
QVRFC_API std::vector<std::vector<double>> PolynomialContrasts(int s);

// Upper tail P(F(d1, d2) > f) and the upper alpha quantile of F(d1, d2); NaN for
// arguments outside their domains.
QVRFC_API double FisherUpperTail(double f, double d1, double d2);
QVRFC_API double FisherQuantile(double alpha, double d1, double d2);

}  // namespace qvrfc
