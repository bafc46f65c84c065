#include "qvrfc/inference/ResponseAnova.h"

#include <algorithm>
#include <boost/math/distributions/fisher_f.hpp>
#include <cmath>
#include <limits>
#include <numeric>

#include "qvrfc/common/QVRFCError.h"
#include "qvrfc/common/QVRFCFactorNames.h"

namespace qvrfc {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::string Sentence(const char* format, int a, int b = 0, int c = 0) {
    char text[200];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

// Checks the runs against the layout: as many runs, at least one, every run at least one
// observation, every observation finite.
void CheckRuns(const DesignLayout& layout, const std::vector<RunSummary>& runs) {
    if (runs.size() != layout.levels.size())
        throw Error(Sentence("the response has %d runs where the design has %d",
                             static_cast<int>(runs.size()),
                             static_cast<int>(layout.levels.size())));
    if (runs.empty()) throw Error("the design has no run");
    for (size_t r = 0; r < runs.size(); ++r) {
        if (runs[r].Count() == 0) throw Error(Sentence("run %d has no observation", int(r) + 1));
        if (!runs[r].Finite())
            throw Error(Sentence("run %d has a value that is not a finite number", int(r) + 1));
    }
}

// Observation count and total of each level of a column.
struct ColumnLevels {
    std::vector<double> totals;
    std::vector<double> counts;
};

// The level (from 0) of a column in every run.
std::vector<int> RunLevels(const DesignLayout& layout, int column) {
    std::vector<int> levels;
    for (const std::vector<int>& run : layout.levels) {
        const int level = run[column];
        if (level < 0 || level >= layout.levelCounts[column])
            throw Error(
                Sentence("column %d holds no factor, so its levels are unknown", column + 1));
        levels.push_back(level);
    }
    return levels;
}

// Totals and counts of groups of runs (a column's levels or two columns' cells) from the run
// totals, so that the work per group does not grow with the observations.
ColumnLevels GroupsOf(const std::vector<int>& groupOfRun, int groups,
                      const std::vector<double>& runTotals, double perRun) {
    ColumnLevels levels;
    levels.totals.assign(groups, 0.0);
    levels.counts.assign(groups, 0.0);
    for (size_t r = 0; r < runTotals.size(); ++r) {
        levels.totals[groupOfRun[r]] += runTotals[r];
        levels.counts[groupOfRun[r]] += perRun;
    }
    return levels;
}

ColumnLevels LevelsOf(const DesignLayout& layout, const std::vector<double>& runTotals,
                      double perRun, int column) {
    return GroupsOf(RunLevels(layout, column), layout.levelCounts[column], runTotals, perRun);
}

// The cells of two columns, the first column's level major.
ColumnLevels CellsOf(const DesignLayout& layout, const std::vector<double>& runTotals,
                     double perRun, int a, int b) {
    std::vector<int> cellOfRun = RunLevels(layout, a);
    const std::vector<int> second = RunLevels(layout, b);
    for (size_t r = 0; r < cellOfRun.size(); ++r)
        cellOfRun[r] = cellOfRun[r] * layout.levelCounts[b] + second[r];
    return GroupsOf(cellOfRun, layout.levelCounts[a] * layout.levelCounts[b], runTotals, perRun);
}

double MeanOf(const ColumnLevels& groups, size_t g) {
    return groups.counts[g] > 0 ? groups.totals[g] / groups.counts[g] : kNaN;
}

double ColumnSS(const ColumnLevels& levels, double grandMean) {
    double ss = 0.0;
    for (size_t l = 0; l < levels.totals.size(); ++l) {
        if (levels.counts[l] == 0.0) continue;
        const double mean = levels.totals[l] / levels.counts[l];
        ss += levels.counts[l] * (mean - grandMean) * (mean - grandMean);
    }
    return ss;
}

// The interaction contrasts of two columns' cells (first column's level major): products of
// the columns' contrasts, orthonormal and orthogonal to both main effects.
std::vector<std::vector<double>> ProductContrasts(int first, int second) {
    std::vector<std::vector<double>> basis;
    for (const std::vector<double>& a : PolynomialContrasts(first)) {
        for (const std::vector<double>& b : PolynomialContrasts(second)) {
            std::vector<double> product;
            for (double x : a) {
                for (double y : b)
                    product.push_back(x * y);
            }
            basis.push_back(product);
        }
    }
    return basis;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

// Lenth's pseudo standard error of the contrasts; sets their count.
double LenthPse(const std::vector<double>& contrasts) {
    std::vector<double> sizes;
    for (double c : contrasts)
        sizes.push_back(std::fabs(c));
    const double s0 = 1.5 * Median(sizes);
    std::vector<double> trimmed;
    for (double c : sizes) {
        if (c < 2.5 * s0) trimmed.push_back(c);
    }
    return trimmed.empty() ? 0.0 : 1.5 * Median(trimmed);
}

struct SumAndDof {
    double ss = 0.0, dof = 0.0;
};

class AnovaBuilder {
  public:
    AnovaBuilder(const DesignLayout& layout, const std::vector<ModelTerm>& terms,
                 const std::vector<RunSummary>& runs)
        : m_layout(layout), m_terms(terms), m_runs(runs) {}

    ResponseAnalysis Build(const PoolingChoice& pooling) {
        CheckRuns(m_layout, m_runs);
        SumTotals();
        SumTerms();
        SumResidual();
        PoolByHand(pooling.byHand);
        if (pooling.rule == PoolingRule::Auto) PoolAutomatically();
        FinishError(pooling.rule == PoolingRule::Lenth);
        FinishTerms();
        Assemble();
        return m_result;
    }

  private:
    // The total sum of squares is the runs' own (within) plus that of their means. With
    // unequal counts the runs' means weigh alike, each as the harmonic mean of the counts
    // (the unweighted means analysis), which keeps the terms orthogonal; with equal counts
    // this is the ordinary analysis.
    void SumTotals() {
        double sum = 0.0, within = 0.0, reciprocals = 0.0, means = 0.0;
        int count = 0;
        m_result.minValue = m_runs[0].Min();
        m_result.maxValue = m_runs[0].Max();
        for (const RunSummary& run : m_runs) {
            sum += run.Sum();
            within += run.Within();
            count += run.Count();
            m_result.minValue = std::min(m_result.minValue, run.Min());
            m_result.maxValue = std::max(m_result.maxValue, run.Max());
            reciprocals += 1.0 / run.Count();
            means += run.Sum() / run.Count();
            m_result.unequalCounts = m_result.unequalCounts || run.Count() != m_runs[0].Count();
        }
        const double runs = static_cast<double>(m_runs.size());
        m_perRun = m_result.unequalCounts ? runs / reciprocals : m_runs[0].Count();
        for (const RunSummary& run : m_runs)
            m_runTotals.push_back(m_result.unequalCounts ? m_perRun * run.Sum() / run.Count()
                                                         : run.Sum());
        m_result.count = count;
        m_result.grandMean = m_result.unequalCounts ? means / runs : sum / count;
        double between = 0.0;
        for (size_t r = 0; r < m_runs.size(); ++r) {
            const double deviation = m_runTotals[r] / m_perRun - m_result.grandMean;
            between += m_perRun * deviation * deviation;
        }
        m_total = {within + between, double(count - 1)};
        m_repetition = {within, double(count - static_cast<int>(m_runs.size()))};
    }

    double PerRun() const { return m_perRun; }

    void CheckColumn(const ModelTerm& term, int column) const {
        if (column < 0 || column >= static_cast<int>(m_layout.levelCounts.size()))
            throw Error("term " + term.name + " names a column " + "the array does not have");
    }

    // The columns of an interaction's factors, from their main-effect terms; empty when the
    // term is no interaction or a factor has no main-effect term.
    std::vector<int> FactorColumns(const ModelTerm& term) const {
        std::vector<int> columns;
        for (int factor : term.factors) {
            for (const ModelTerm& main : m_terms) {
                if (main.factors == std::vector<int>{factor} && main.columns.size() == 1)
                    columns.push_back(main.columns[0]);
            }
        }
        return term.factors.size() == 2 ? columns : std::vector<int>();
    }

    void SumTerms() {
        std::vector<bool> used(m_layout.levelCounts.size(), false);
        for (const ModelTerm& term : m_terms) {
            AnovaRow row;
            row.name = term.name;
            row.ss = row.dof = 0.0;
            std::vector<double> means;
            for (int column : term.columns) {
                CheckColumn(term, column);
                if (used[column])
                    throw Error("term " + term.name + " shares column " +
                                std::to_string(column + 1) + " with another term");
                used[column] = true;
                const ColumnLevels levels = LevelsOf(m_layout, m_runTotals, PerRun(), column);
                row.ss += ColumnSS(levels, m_result.grandMean);
                row.dof += m_layout.levelCounts[column] - 1;
                AddContrasts(PolynomialContrasts(m_layout.levelCounts[column]), levels);
                if (term.columns.size() == 1) {
                    for (size_t l = 0; l < levels.totals.size(); ++l)
                        means.push_back(MeanOf(levels, l));
                }
            }
            std::vector<std::vector<double>> cells;
            const std::vector<int> factorColumns = FactorColumns(term);
            if (factorColumns.size() == 2) cells = SumCells(term, factorColumns, row);
            row.ms = row.dof > 0 ? row.ss / row.dof : kNaN;
            m_termRows.push_back(row);
            m_result.levelMeans.push_back(term.factors.size() == 1 ? means : std::vector<double>());
            m_result.cellMeans.push_back(cells);
        }
    }

    // An interaction's cell means, and for one without columns of its own also its sum of
    // squares, degrees of freedom and contrasts.
    std::vector<std::vector<double>> SumCells(const ModelTerm& term,
                                              const std::vector<int>& factorColumns,
                                              AnovaRow& row) {
        const int a = factorColumns[0], b = factorColumns[1];
        CheckColumn(term, a);
        CheckColumn(term, b);
        const ColumnLevels cells = CellsOf(m_layout, m_runTotals, PerRun(), a, b);
        const int first = m_layout.levelCounts[a], second = m_layout.levelCounts[b];
        std::vector<std::vector<double>> means(first);
        for (int i = 0; i < first; ++i) {
            for (int j = 0; j < second; ++j)
                means[i].push_back(MeanOf(cells, size_t(i * second + j)));
        }
        if (term.columns.empty()) {
            const double g = m_result.grandMean;
            row.ss = std::max(ColumnSS(cells, g) -
                                  ColumnSS(LevelsOf(m_layout, m_runTotals, PerRun(), a), g) -
                                  ColumnSS(LevelsOf(m_layout, m_runTotals, PerRun(), b), g),
                              0.0);
            row.dof = (first - 1) * (second - 1);
            AddContrasts(ProductContrasts(first, second), cells);
        }
        return means;
    }

    // The single-degree contrasts of a column's levels or of two columns' cells, kept for
    // Lenth's estimate.
    void AddContrasts(const std::vector<std::vector<double>>& basis, const ColumnLevels& groups) {
        for (const std::vector<double>& h : basis) {
            double c = 0.0;
            for (size_t g = 0; g < h.size(); ++g)
                c += h[g] * std::sqrt(groups.counts[g]) * groups.totals[g] /
                     std::max(groups.counts[g], 1.0);
            m_contrasts.push_back(c);
        }
    }

    void SumResidual() {
        int termDof = 0;
        double termSS = 0.0;
        for (const AnovaRow& term : m_termRows) {
            termDof += static_cast<int>(term.dof);
            termSS += term.ss;
        }
        const int runs = static_cast<int>(m_runs.size());
        const int dof = runs - 1 - termDof;
        if (dof < 0)
            throw Error(
                Sentence("the terms hold %d degrees of freedom, more than the %d of the runs",
                         termDof, runs - 1));
        const double rest = m_total.ss - m_repetition.ss - termSS;
        m_residual = {dof > 0 ? std::max(rest, 0.0) : 0.0, double(dof)};
    }

    void Pool(size_t term) {
        AnovaRow& row = m_termRows[term];
        if (row.Pooled()) return;
        row.kind = AnovaRow::Kind::PooledTerm;
        m_pooled.ss += row.ss;
        m_pooled.dof += row.dof;
    }

    int ErrorDof() const {
        return static_cast<int>(m_residual.dof + m_repetition.dof + m_pooled.dof);
    }

    void PoolByHand(const std::vector<int>& byHand) {
        for (int term : byHand) {
            if (term < 0 || term >= static_cast<int>(m_termRows.size()))
                throw Error("a pooled term is not in the model");
            Pool(term);
        }
    }

    void PoolAutomatically() {
        int termDof = 0;
        for (const AnovaRow& term : m_termRows)
            termDof += static_cast<int>(term.dof);
        const int wanted = (termDof + 1) / 2;
        for (;;) {
            int weakest = -1, left = 0;
            for (size_t t = 0; t < m_termRows.size(); ++t) {
                const AnovaRow& row = m_termRows[t];
                if (row.Pooled() || row.dof == 0) continue;
                ++left;
                if (weakest < 0 || row.ms < m_termRows[weakest].ms) weakest = int(t);
            }
            if (ErrorDof() >= wanted || left <= 1) return;
            Pool(weakest);
        }
    }

    void FinishError(bool lenthWanted) {
        AnovaRow& e = m_error;
        e.kind = AnovaRow::Kind::Error;
        e.name = "Error";
        e.ss = m_residual.ss + m_repetition.ss + m_pooled.ss;
        e.dof = ErrorDof();
        e.ms = e.dof > 0 ? e.ss / e.dof : kNaN;
        if (e.dof == 0 && lenthWanted && !m_contrasts.empty()) {
            const double pse = LenthPse(m_contrasts);
            m_result.table.lenth = true;
            e.dof = m_contrasts.size() / 3.0;
            e.ms = pse > 0.0 ? pse * pse : kNaN;
        }
    }

    void FinishTerms() {
        AnovaRow& e = m_error;
        const double ve = std::isnan(e.ms) ? 0.0 : e.ms;
        const double total = m_total.ss;
        int termDof = 0;
        for (AnovaRow& row : m_termRows) {
            if (row.Pooled()) continue;
            row.f = std::isnan(e.ms) ? kNaN : row.ms / e.ms;
            row.p = FisherUpperTail(row.f, row.dof, e.dof);
            row.pureSS = row.ss - row.dof * ve;
            row.contribution = total > 0.0 ? 100.0 * row.pureSS / total : kNaN;
            termDof += static_cast<int>(row.dof);
        }
        // What the terms' pure sums of squares give up, added to the error's own: the same as
        // the total less the terms' pure sums, without the rounding that leaves -0.0000.
        e.pureSS = e.ss + termDof * ve;
        e.contribution = total > 0.0 ? 100.0 * e.pureSS / total : kNaN;
    }

    // The one place where the rows take their order: terms, error, its parts, total.
    void Assemble() {
        std::vector<AnovaRow>& rows = m_result.table.rows;
        rows = m_termRows;
        rows.push_back(m_error);
        const std::pair<const char*, const SumAndDof*> parts[] = {
            {"residual", &m_residual}, {"repetition", &m_repetition}, {"pooled", &m_pooled}};
        for (const auto& [name, part] : parts)
            rows.push_back(SumRow(AnovaRow::Kind::ErrorPart, name, *part));
        AnovaRow total = SumRow(AnovaRow::Kind::Total, "Total", m_total);
        total.contribution = 100.0;
        rows.push_back(total);
    }

    static AnovaRow SumRow(AnovaRow::Kind kind, const char* name, const SumAndDof& sum) {
        AnovaRow row;
        row.kind = kind;
        row.name = name;
        row.ss = sum.ss;
        row.dof = sum.dof;
        return row;
    }

    const DesignLayout& m_layout;
    const std::vector<ModelTerm>& m_terms;
    const std::vector<RunSummary>& m_runs;
    ResponseAnalysis m_result;
    std::vector<AnovaRow> m_termRows;
    AnovaRow m_error;
    SumAndDof m_residual, m_repetition, m_pooled, m_total;
    std::vector<double> m_runTotals;  // of the run means times PerRun with unequal counts
    double m_perRun = 1.0;
    std::vector<double> m_contrasts;
};

}  // namespace

// Orthonormal polynomial contrasts over s equally spaced levels (rows orthogonal to the
// constant), by Gram-Schmidt on the powers of the level numbers.
std::vector<std::vector<double>> PolynomialContrasts(int s) {
    std::vector<std::vector<double>> basis;
    std::vector<double> constant(s, 1.0 / std::sqrt(double(s)));
    basis.push_back(constant);
    for (int degree = 1; degree < s; ++degree) {
        std::vector<double> v(s);
        for (int l = 0; l < s; ++l)
            v[l] = std::pow(double(l + 1), degree);
        for (const std::vector<double>& b : basis) {
            const double dot = std::inner_product(v.begin(), v.end(), b.begin(), 0.0);
            for (int l = 0; l < s; ++l)
                v[l] -= dot * b[l];
        }
        const double norm = std::sqrt(std::inner_product(v.begin(), v.end(), v.begin(), 0.0));
        for (double& x : v)
            x /= norm;
        basis.push_back(v);
    }
    basis.erase(basis.begin());
    return basis;
}

int MainEffectTermOf(const std::vector<ModelTerm>& terms, int factor) {
    for (size_t t = 0; t < terms.size(); ++t) {
        if (terms[t].factors == std::vector<int>{factor}) return static_cast<int>(t);
    }
    return -1;
}

std::vector<ModelTerm> MainEffectTerms(const CQVRFCDOEAnalyzer& analyzer) {
    std::vector<ModelTerm> terms;
    const CQVRFCDOEAnalyzer::OA_TYPE type = analyzer.GetDOEArrayType();
    for (int f = 0; f < analyzer.GetNoFactor(); ++f) {
        const int column = analyzer.GetControlFactorID(f);
        const int levels = CQVRFCDOETaguchiOrthogonalArray::GetNoLevel(type, column);
        terms.push_back({FactorName(f), {f}, {column}, levels - 1});
    }
    return terms;
}

DesignLayout LayoutOf(const CQVRFCDOEAnalyzer& analyzer) {
    const CQVRFCDOEAnalyzer::OA_TYPE type = analyzer.GetDOEArrayType();
    DesignLayout layout;
    const int columns = CQVRFCDOETaguchiOrthogonalArray::GetNoFactor(type);
    for (int c = 0; c < columns; ++c)
        layout.levelCounts.push_back(CQVRFCDOETaguchiOrthogonalArray::GetNoLevel(type, c));
    layout.levels.assign(analyzer.GetNoRun(), std::vector<int>(columns, -1));
    for (int f = 0; f < analyzer.GetNoFactor(); ++f) {
        const int column = analyzer.GetControlFactorID(f);
        if (column < 0 || column >= columns) continue;
        for (int r = 0; r < analyzer.GetNoRun(); ++r)
            layout.levels[r][column] = analyzer.GetLevel(r, f) - 1;
    }
    return layout;
}

ResponseAnalysis AnalyzeResponse(const DesignLayout& layout, const std::vector<ModelTerm>& terms,
                                 const RunValues& values, const PoolingChoice& pooling) {
    std::vector<RunSummary> runs(values.size());
    for (size_t r = 0; r < values.size(); ++r) {
        for (double y : values[r])
            runs[r].Add(y);
    }
    return AnalyzeResponse(layout, terms, runs, pooling);
}

ResponseAnalysis AnalyzeResponse(const DesignLayout& layout, const std::vector<ModelTerm>& terms,
                                 const std::vector<RunSummary>& runs,
                                 const PoolingChoice& pooling) {
    return AnovaBuilder(layout, terms, runs).Build(pooling);
}

double RunSummary::Within() const {
    if (m_count == 0) return 0.0;
    return std::max(m_shiftedSquares - m_shiftedSum * m_shiftedSum / m_count, 0.0);
}

double FisherUpperTail(double f, double d1, double d2) {
    if (!(f >= 0.0) || !(d1 > 0.0) || !(d2 > 0.0)) return kNaN;
    if (std::isinf(f)) return 0.0;
    return boost::math::cdf(boost::math::complement(boost::math::fisher_f(d1, d2), f));
}

double FisherQuantile(double alpha, double d1, double d2) {
    if (!(alpha > 0.0 && alpha < 1.0) || !(d1 > 0.0) || !(d2 > 0.0)) return kNaN;
    return boost::math::quantile(boost::math::complement(boost::math::fisher_f(d1, d2), alpha));
}

}  // namespace qvrfc
