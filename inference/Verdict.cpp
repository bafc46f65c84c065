#include "inference/Verdict.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numeric>
#include <stdexcept>

namespace qvrfc {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kMissing = 1e12;  // the engine's marker: larger values are missing

std::vector<double> RunObservations(const CQVRFCDOEAnalyzer& analyzer, int quality, int run) {
    const int count = analyzer.GetRunNoQualityData(quality, run);
    std::vector<double> values;
    values.reserve(static_cast<size_t>(std::max(count, 0)));
    for (int k = 0; k < count; ++k) {
        const double y = analyzer.GetQualityValue(quality, run, k);
        if (y <= kMissing) values.push_back(y);
    }
    return values;
}

RunValues Observations(const CQVRFCDOEAnalyzer& analyzer, int quality) {
    RunValues values;
    for (int r = 0; r < analyzer.GetNoRun(); ++r)
        values.push_back(RunObservations(analyzer, quality, r));
    return values;
}

RunValues SnRatios(const CQVRFCDOEAnalyzer& analyzer, int quality, const ResponseSpec& spec) {
    RunValues values;
    for (int r = 0; r < analyzer.GetNoRun(); ++r) {
        const double sn =
            spec.kind == SnKind::SmallerTextbook
                ? SnRatioOfValues(spec.kind, RunObservations(analyzer, quality, r), spec.target)
                : analyzer.GetSNRatio(quality, r, EngineSnType(spec.kind), spec.target);
        values.push_back({sn});
    }
    return values;
}

int TermOfFactor(const std::vector<ModelTerm>& terms, int factor) {
    for (size_t t = 0; t < terms.size(); ++t) {
        if (terms[t].factors.size() == 1 && terms[t].factors[0] == factor) return int(t);
    }
    return -1;
}

bool Significant(const AnovaTerm& term, double alpha) {
    return !term.pooled && (std::isnan(term.p) || term.p < alpha);
}

std::string RangeWarning(const ResponseAnalysis& analysis, double value) {
    char text[160] = "";
    if (analysis.minValue > 0.0 && value < 0.0)
        std::snprintf(text, sizeof text, "negative, though every value observed is positive");
    else if (value < analysis.minValue || value > analysis.maxValue)
        std::snprintf(text, sizeof text, "beyond the observed range %g to %g", analysis.minValue,
                      analysis.maxValue);
    return text;
}

Prediction PredictFrom(const ResponseAnalysis& analysis, const std::vector<ModelTerm>& terms,
                       const std::vector<FactorLevel>& at, double alpha, int r) {
    Prediction prediction;
    prediction.value = analysis.grandMean;
    int dofUsed = 0;
    for (const FactorLevel& setting : at) {
        const int t = TermOfFactor(terms, setting.factor);
        const std::vector<double>& means = t < 0 ? std::vector<double>() : analysis.levelMeans[t];
        if (t < 0) throw std::invalid_argument("factor without a main effect in the model");
        if (setting.level < 0 || setting.level >= static_cast<int>(means.size()))
            throw std::invalid_argument("factor " + terms[t].name + " has no level " +
                                        std::to_string(setting.level + 1) + " (it has " +
                                        std::to_string(means.size()) + ")");
        prediction.value += means[setting.level] - analysis.grandMean;
        dofUsed += terms[t].dof;
        prediction.factors.push_back(setting.factor);
    }
    prediction.effectiveCount = analysis.count / (1.0 + dofUsed);
    const AnovaError& e = analysis.error;
    const double spread = 1.0 / prediction.effectiveCount + (r > 0 ? 1.0 / r : 0.0);
    prediction.halfWidth = std::sqrt(FisherQuantile(alpha, 1.0, e.dof) * e.ms * spread);
    if (!(e.dof > 0.0)) prediction.halfWidth = kNaN;
    prediction.low = prediction.value - prediction.halfWidth;
    prediction.high = prediction.value + prediction.halfWidth;
    prediction.warning = RangeWarning(analysis, prediction.value);
    return prediction;
}

size_t BestLevel(const std::vector<double>& means, bool largest) {
    const auto best = largest ? std::max_element(means.begin(), means.end())
                              : std::min_element(means.begin(), means.end());
    return static_cast<size_t>(best - means.begin());
}

// The settings of the significant factors of a response at the optimum levels.
std::vector<FactorLevel> SignificantSettings(const Verdict& verdict, const ResponseAnalysis& a,
                                             const std::vector<FactorLevel>& levels) {
    std::vector<FactorLevel> used;
    for (const FactorLevel& setting : levels) {
        const int t = TermOfFactor(verdict.terms, setting.factor);
        if (Significant(a.terms[t], verdict.alpha)) used.push_back(setting);
    }
    return used;
}

int AdjustmentTerm(const Verdict& verdict, const QualityVerdict& q) {
    int best = -1;
    for (size_t t = 0; t < verdict.terms.size(); ++t) {
        const AnovaTerm& mean = q.mean.terms[t];
        const AnovaTerm& sn = q.sn.terms[t];
        if (q.mean.levelMeans[t].empty()) continue;
        const bool moves = !mean.pooled && mean.p < verdict.alpha;
        const bool weak = sn.pooled || sn.p >= verdict.alpha;
        if (moves && weak && (best < 0 || mean.f > q.mean.terms[best].f)) best = int(t);
    }
    return best;
}

// The adjustment factor's level by the aim of the mean.
int AdjustedLevel(const Verdict& verdict, const QualityVerdict& q, std::vector<FactorLevel> levels,
                  size_t slot, int term) {
    const std::vector<double>& means = q.mean.levelMeans[term];
    const Aim aim = AimOf(q.spec.kind);
    if (aim != Aim::Nominal) return int(BestLevel(means, aim == Aim::Larger));
    std::vector<double> distance;
    for (size_t l = 0; l < means.size(); ++l) {
        levels[slot].level = int(l);
        const std::vector<FactorLevel> used = SignificantSettings(verdict, q.mean, levels);
        const double value = PredictFrom(q.mean, verdict.terms, used, verdict.alpha, 0).value;
        distance.push_back(std::fabs(value - q.spec.target));
    }
    return int(BestLevel(distance, false));
}

Optimum FindOptimum(const Verdict& verdict, const QualityVerdict& q) {
    Optimum optimum;
    for (size_t t = 0; t < verdict.terms.size(); ++t) {
        if (q.sn.levelMeans[t].empty()) continue;
        optimum.levels.push_back(
            {verdict.terms[t].factors[0], int(BestLevel(q.sn.levelMeans[t], true))});
    }
    const int adjustment = AdjustmentTerm(verdict, q);
    if (adjustment >= 0) {
        optimum.adjustmentFactor = verdict.terms[adjustment].factors[0];
        for (size_t slot = 0; slot < optimum.levels.size(); ++slot) {
            if (optimum.levels[slot].factor == optimum.adjustmentFactor)
                optimum.levels[slot].level =
                    AdjustedLevel(verdict, q, optimum.levels, slot, adjustment);
        }
    }
    optimum.sn = PredictFrom(q.sn, verdict.terms,
                             SignificantSettings(verdict, q.sn, optimum.levels), verdict.alpha, 0);
    optimum.mean =
        PredictFrom(q.mean, verdict.terms, SignificantSettings(verdict, q.mean, optimum.levels),
                    verdict.alpha, 0);
    optimum.factorsUsed = optimum.sn.factors;
    optimum.factorsUsed.insert(optimum.factorsUsed.end(), optimum.mean.factors.begin(),
                               optimum.mean.factors.end());
    std::sort(optimum.factorsUsed.begin(), optimum.factorsUsed.end());
    optimum.factorsUsed.erase(std::unique(optimum.factorsUsed.begin(), optimum.factorsUsed.end()),
                              optimum.factorsUsed.end());
    return optimum;
}

ResponseAnalysis AnalyzeQualityResponse(const Verdict& verdict, const RunValues& values,
                                        const PoolingChoice& pooling, const char* what,
                                        int quality) {
    try {
        return AnalyzeResponse(verdict.layout, verdict.terms, values, pooling);
    } catch (const std::invalid_argument& error) {
        throw std::invalid_argument("quality " + std::to_string(quality + 1) + ", " + what + ": " +
                                    error.what());
    }
}

const QualityVerdict& QualityOf(const Verdict& verdict, int quality) {
    if (quality < 0 || quality >= static_cast<int>(verdict.qualities.size()))
        throw std::invalid_argument("quality " + std::to_string(quality + 1) +
                                    " is not in the experiment");
    return verdict.qualities[quality];
}

}  // namespace

Verdict AnalyzeVerdict(const CQVRFCDOEAnalyzer& analyzer, const VerdictSettings& settings) {
    if (!(settings.alpha > 0.0 && settings.alpha < 1.0))
        throw std::invalid_argument("alpha must lie between 0 and 1");
    Verdict verdict;
    verdict.terms = settings.terms.empty() ? MainEffectTerms(analyzer) : settings.terms;
    verdict.layout = LayoutOf(analyzer);
    verdict.alpha = settings.alpha;
    verdict.rule = settings.rule;
    for (int q = 0; q < analyzer.GetNoQuality(); ++q) {
        QualityVerdict quality;
        quality.quality = q;
        quality.name = analyzer.GetQualityFactorName(q).GetString();
        quality.spec = q < static_cast<int>(settings.responses.size())
                           ? settings.responses[q]
                           : ResponseSpec{SnKindOf(analyzer.GetQualityCharacteristic(q)),
                                          analyzer.GetQualityTarget(q)};
        PoolingChoice pooling;
        pooling.rule = settings.rule;
        if (q < static_cast<int>(settings.pooledByHand.size()))
            pooling.byHand = settings.pooledByHand[q];
        quality.sn = AnalyzeQualityResponse(verdict, SnRatios(analyzer, q, quality.spec), pooling,
                                            "S/N ratio", q);
        quality.mean =
            AnalyzeQualityResponse(verdict, Observations(analyzer, q), pooling, "observations", q);
        quality.optimum = FindOptimum(verdict, quality);
        verdict.qualities.push_back(quality);
    }
    return verdict;
}

Prediction PredictAt(const Verdict& verdict, int quality, Response response,
                     const std::vector<FactorLevel>& at, int r) {
    const QualityVerdict& q = QualityOf(verdict, quality);
    return PredictFrom(response == Response::SnRatio ? q.sn : q.mean, verdict.terms, at,
                       verdict.alpha, r);
}

Confirmation Confirm(const Verdict& verdict, int quality, const std::vector<FactorLevel>& at,
                     const std::vector<double>& values) {
    const QualityVerdict& q = QualityOf(verdict, quality);
    if (values.empty()) throw std::invalid_argument("a confirmation needs observations");
    Confirmation confirmation;
    confirmation.mean = std::accumulate(values.begin(), values.end(), 0.0) / values.size();
    confirmation.sn = SnRatioOfValues(q.spec.kind, values, q.spec.target);
    confirmation.meanInterval =
        PredictAt(verdict, quality, Response::Mean, at, static_cast<int>(values.size()));
    confirmation.snInterval = PredictAt(verdict, quality, Response::SnRatio, at, 1);
    const auto inside = [](const Prediction& p, double x) { return p.low <= x && x <= p.high; };
    confirmation.meanInside = inside(confirmation.meanInterval, confirmation.mean);
    confirmation.snInside = inside(confirmation.snInterval, confirmation.sn);
    return confirmation;
}

}  // namespace qvrfc
