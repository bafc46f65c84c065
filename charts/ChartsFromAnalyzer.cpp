// Filling the charts' input from the engine's analysis. Everything here works on per-run and
// per-level figures that the analyzer holds, so its cost follows the runs, not the observations.
#include "charts/ChartsFromAnalyzer.h"

#include <algorithm>
#include <cmath>

#include "common/QVRFCConstants.h"
#include "common/QVRFCFactorNames.h"

namespace qvrfc {
namespace {

using Analyzer = CQVRFCDOEAnalyzer;

// NaN for what the analyzer marks missing (IsMissing) and for what is not a finite number.
double Finite(double value) {
    return std::isfinite(value) && !IsMissing(value) ? value : NAN;
}

// The S/N ratio the analyzer keeps per run follows the quality's characteristic only once
// computed again; refresh them before any effect is read.
void RefreshSnRatios(const Analyzer& analyzer, int quality) {
    for (int run = 0; run < analyzer.GetNoRun(); ++run)
        analyzer.GetSNRatio(quality, run);
}

std::vector<double> LevelMeans(const Analyzer& analyzer, int quality, int factor,
                               Analyzer::FACTOR_EFFECT_TYPE type) {
    std::vector<double> means;
    for (int level = 0; level < LevelCount(analyzer, factor); ++level)
        means.push_back(Finite(analyzer.GetFactorLevelEffect(quality, factor, level, type)));
    return means;
}

// Index of the best of the means: the largest, the smallest, or -1 when there is no aim.
enum class Aim { Largest, Smallest, None };
int BestOf(const std::vector<double>& means, Aim aim) {
    int best = -1;
    for (size_t l = 0; l < means.size() && aim != Aim::None; ++l) {
        if (!std::isfinite(means[l])) continue;
        const bool better =
            best < 0 || (aim == Aim::Largest ? means[l] > means[best] : means[l] < means[best]);
        if (better) best = static_cast<int>(l);
    }
    return best;
}

Aim MeanAim(const Analyzer& analyzer, int quality) {
    switch (analyzer.GetQualityCharacteristic(quality)) {
        case Analyzer::LARGER_THE_BETTER:
            return Aim::Largest;
        case Analyzer::SMALLER_THE_BETTER:
            return Aim::Smallest;
        default:
            return Aim::None;
    }
}

EffectSeries SeriesOf(const Analyzer& analyzer, int quality, Analyzer::FACTOR_EFFECT_TYPE type,
                      const std::string& title, Aim aim) {
    EffectSeries series;
    series.title = title;
    series.overall = Finite(analyzer.GetAveragedResponseValue(quality, type));
    for (int f = 0; f < analyzer.GetNoFactor(); ++f) {
        series.means.push_back(LevelMeans(analyzer, quality, f, type));
        series.best.push_back(BestOf(series.means.back(), aim));
    }
    return series;
}

struct RunFigures {
    double n, y, sd;
};

// Count, mean and deviation of each run's observations.
std::vector<RunFigures> ObservationFigures(const Analyzer& analyzer, int quality) {
    std::vector<RunFigures> runs;
    for (int run = 0; run < analyzer.GetNoRun(); ++run)
        runs.push_back({static_cast<double>(analyzer.GetRunNoQualityData(quality, run)),
                        analyzer.GetRunQualityValue(quality, run),
                        Finite(analyzer.GetRunStandardDeviation(quality, run))});
    return runs;
}

// Corrected total sum of squares of the runs' values (each counted n times, with its variation
// within the run), and its degrees of freedom.
double TotalSquares(const std::vector<RunFigures>& runs, int& dof) {
    double count = 0.0, sum = 0.0;
    for (const RunFigures& r : runs) {
        count += r.n;
        sum += r.n * r.y;
    }
    const double mean = count > 0.0 ? sum / count : 0.0;
    double squares = 0.0;
    for (const RunFigures& r : runs)
        squares += r.n * (r.y - mean) * (r.y - mean) +
                   (r.n > 1.0 && std::isfinite(r.sd) ? (r.n - 1.0) * r.sd * r.sd : 0.0);
    dof = std::max(static_cast<int>(count) - 1, 0);
    return squares;
}

AnovaNumbers AnovaOf(const Analyzer& analyzer, int quality, const std::vector<RunFigures>& runs,
                     Analyzer::FACTOR_EFFECT_TYPE type) {
    AnovaNumbers anova;
    anova.totalSS = TotalSquares(runs, anova.totalDof);
    double termSS = 0.0;
    int termDof = 0;
    for (int f = 0; f < analyzer.GetNoFactor(); ++f) {
        ChartAnovaTerm term;
        term.name = FactorLabel(analyzer, f);
        term.ss = analyzer.GetFactorSumsOfSquares(quality, f, term.dof, type, 0);
        term.pooled = analyzer.IsFactorPooled(quality, f) != 0;
        if (!term.pooled) {
            termSS += term.ss;
            termDof += term.dof;
        }
        anova.terms.push_back(term);
    }
    // The error is what the unpooled terms leave of the total; rounding never makes it negative.
    anova.errorSS = std::max(anova.totalSS - termSS, 0.0);
    anova.errorDof = std::max(anova.totalDof - termDof, 0);
    const double ve = anova.ErrorVariance();
    const double total = anova.totalSS > 0.0 ? anova.totalSS : NAN;
    double explained = 0.0;
    for (ChartAnovaTerm& term : anova.terms) {
        term.pureSS = term.pooled ? term.ss : term.ss - term.dof * ve;
        term.contribution = std::isfinite(total) ? 100.0 * term.pureSS / total : 0.0;
        if (!term.pooled) explained += term.contribution;
    }
    anova.errorContribution = std::isfinite(total) ? 100.0 - explained : 0.0;
    return anova;
}

// Orthonormal polynomial contrasts over k equally spaced levels (linear, quadratic, ...).
std::vector<std::vector<double>> PolynomialContrasts(int k) {
    std::vector<std::vector<double>> basis;
    for (int degree = 0; degree < k; ++degree) {
        std::vector<double> v(k);
        for (int l = 0; l < k; ++l)
            v[l] = std::pow(static_cast<double>(l) - (k - 1) / 2.0, degree);
        for (const auto& b : basis) {
            double dot = 0.0;
            for (int l = 0; l < k; ++l)
                dot += v[l] * b[l];
            for (int l = 0; l < k; ++l)
                v[l] -= dot * b[l];
        }
        double norm = 0.0;
        for (double x : v)
            norm += x * x;
        for (double& x : v)
            x /= std::sqrt(norm);
        basis.push_back(v);
    }
    basis.erase(basis.begin());  // the constant
    return basis;
}

// R's names of the polynomial contrasts: .L, .Q, .C, ^4, ^5, ...
std::string ContrastSuffix(size_t degree) {
    static const char* const names[] = {".L", ".Q", ".C"};
    return degree <= 3 ? names[degree - 1] : "^" + std::to_string(degree);
}

}  // namespace

std::string FactorLabel(const Analyzer& analyzer, int factor) {
    const std::string name = analyzer.GetControlFactorName(factor).GetString();
    const bool isDefault = name.empty() || name == "Factor#" + std::to_string(factor + 1);
    return isDefault ? FactorName(factor) : name;
}

std::string ResponseLabel(const Analyzer& analyzer, int quality) {
    return analyzer.GetQualityFactorName(quality).GetString();
}

int LevelCount(const Analyzer& analyzer, int factor) {
    int levels = 0;
    for (int run = 0; run < analyzer.GetNoRun(); ++run)
        levels = std::max(levels, analyzer.GetLevel(run, factor));
    return levels;
}

bool HasRepetitions(const Analyzer& analyzer, int quality) {
    for (int run = 0; run < analyzer.GetNoRun(); ++run)
        if (analyzer.GetRunNoQualityData(quality, run) > 1) return true;
    return false;
}

std::vector<double> RunSnRatios(const Analyzer& analyzer, int quality) {
    std::vector<double> sn;
    for (int run = 0; run < analyzer.GetNoRun(); ++run)
        sn.push_back(analyzer.GetSNRatio(quality, run));
    return sn;
}

AnovaNumbers AnovaOfSnRatios(const Analyzer& analyzer, int quality, const std::vector<double>& sn) {
    std::vector<RunFigures> runs;
    for (double ratio : sn)
        runs.push_back({1.0, ratio, 0.0});
    return AnovaOf(analyzer, quality, runs, Analyzer::FACTOR_EFFECT_SN_RATIO);
}

AnovaNumbers AnovaFromAnalyzer(const Analyzer& analyzer, int quality, bool onSnRatios) {
    if (onSnRatios) return AnovaOfSnRatios(analyzer, quality, RunSnRatios(analyzer, quality));
    return AnovaOf(analyzer, quality, ObservationFigures(analyzer, quality),
                   Analyzer::FACTOR_EFFECT_QUALITY);
}

std::vector<ChartFactor> ChartFactorsFromAnalyzer(const Analyzer& analyzer) {
    std::vector<ChartFactor> factors;
    for (int f = 0; f < analyzer.GetNoFactor(); ++f) {
        ChartFactor factor;
        factor.name = FactorLabel(analyzer, f);
        for (int l = 1; l <= LevelCount(analyzer, f); ++l)
            factor.levelLabels.push_back(std::to_string(l));
        factors.push_back(factor);
    }
    return factors;
}

namespace {

// The charts of the S/N ratios the analyzer keeps, as last refreshed.
MainEffects MainEffectsOfKept(const Analyzer& analyzer, int quality) {
    MainEffects chart;
    chart.response = ResponseLabel(analyzer, quality);
    chart.factors = ChartFactorsFromAnalyzer(analyzer);
    chart.series.push_back(SeriesOf(analyzer, quality, Analyzer::FACTOR_EFFECT_SN_RATIO,
                                    "S/N ratio (dB)", Aim::Largest));
    chart.series.push_back(SeriesOf(analyzer, quality, Analyzer::FACTOR_EFFECT_QUALITY, "Mean",
                                    MeanAim(analyzer, quality)));
    if (HasRepetitions(analyzer, quality))
        chart.series.push_back(SeriesOf(analyzer, quality, Analyzer::FACTOR_EFFECT_STDEV,
                                        "Std. deviation", Aim::Smallest));
    return chart;
}

}  // namespace

MainEffects MainEffectsFromAnalyzer(const Analyzer& analyzer, int quality) {
    RefreshSnRatios(analyzer, quality);
    return MainEffectsOfKept(analyzer, quality);
}

Pareto ParetoFromAnova(const AnovaNumbers& anova, const std::string& response,
                       const std::string& title) {
    Pareto chart;
    chart.response = response;
    chart.title = title;
    for (const ChartAnovaTerm& term : anova.terms)
        chart.terms.push_back({term.name, term.contribution, term.pooled});
    chart.errorContribution = anova.errorContribution;
    return chart;
}

namespace {

HalfNormal HalfNormalOfKept(const Analyzer& analyzer, int quality) {
    HalfNormal chart;
    chart.response = ResponseLabel(analyzer, quality);
    chart.title = "Half-normal plot of the S/N effects";
    int dof = 0;
    for (int f = 0; f < analyzer.GetNoFactor(); ++f)
        dof += std::max(LevelCount(analyzer, f) - 1, 0);
    if (dof != analyzer.GetNoRun() - 1) return chart;  // a residual is there to test against
    for (int f = 0; f < analyzer.GetNoFactor(); ++f) {
        const std::vector<double> means =
            LevelMeans(analyzer, quality, f, Analyzer::FACTOR_EFFECT_SN_RATIO);
        const int k = static_cast<int>(means.size());
        const auto contrasts = PolynomialContrasts(k);
        for (size_t c = 0; c < contrasts.size(); ++c) {
            // Scaled so that the effect of a 2-level factor is the difference of its means.
            double effect = 0.0;
            for (int l = 0; l < k; ++l)
                effect += contrasts[c][l] * means[l];
            const std::string name = FactorLabel(analyzer, f);
            chart.effects.push_back({k == 2 ? name : name + ContrastSuffix(c + 1),
                                     effect * 2.0 / std::sqrt(static_cast<double>(k))});
        }
    }
    return chart;
}

}  // namespace

HalfNormal HalfNormalFromAnalyzer(const Analyzer& analyzer, int quality) {
    RefreshSnRatios(analyzer, quality);
    return HalfNormalOfKept(analyzer, quality);
}

ResponseCharts ChartsFromAnova(const Analyzer& analyzer, int quality, const AnovaNumbers& snAnova) {
    ResponseCharts charts;
    charts.response = ResponseLabel(analyzer, quality);
    charts.pareto = ParetoFromAnova(snAnova, charts.response, "Contributions to the S/N ratio");
    charts.mainEffects = MainEffectsOfKept(analyzer, quality);
    charts.halfNormal = HalfNormalOfKept(analyzer, quality);
    return charts;
}

ResponseCharts ChartsFromAnalyzer(const Analyzer& analyzer, int quality) {
    // The ANOVA reads every S/N ratio once; the other charts use them as refreshed there.
    return ChartsFromAnova(analyzer, quality, AnovaFromAnalyzer(analyzer, quality, true));
}

}  // namespace qvrfc
