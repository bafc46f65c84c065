#include "qvrfc/inference/Verdict.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <limits>
#include <numeric>

#include "qvrfc/common/QVRFCConstants.h"
#include "qvrfc/common/QVRFCError.h"
#include "qvrfc/inference/InteractionTerms.h"

namespace qvrfc {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::vector<double> RunObservations(const CQVRFCDOEAnalyzer& analyzer, int quality, int run) {
    int count = 0;
    const double* stored = analyzer.GetRunQualityValues(quality, run, count);
    std::vector<double> values;
    std::copy_if(stored, stored + count, std::back_inserter(values),
                 [](double y) { return !IsMissing(y); });
    return values;
}

// Each run's observations, summed in one pass without copying them.
std::vector<RunSummary> Observations(const CQVRFCDOEAnalyzer& analyzer, int quality) {
    std::vector<RunSummary> runs(static_cast<size_t>(analyzer.GetNoRun()));
    for (int r = 0; r < analyzer.GetNoRun(); ++r) {
        int count = 0;
        const double* values = analyzer.GetRunQualityValues(quality, r, count);
        RunSummary run;  // a local, so that its sums stay in registers
        for (int k = 0; k < count; ++k) {
            if (!IsMissing(values[k])) run.Add(values[k]);
        }
        runs[r] = run;
    }
    return runs;
}

RunValues SnRatios(const CQVRFCDOEAnalyzer& analyzer, int quality, const ResponseSpec& setting) {
    RunValues values;
    for (int r = 0; r < analyzer.GetNoRun(); ++r) {
        const double sn = setting.kind == SnKind::SmallerTextbook
                              ? SnRatioOfValues(setting.kind, RunObservations(analyzer, quality, r),
                                                setting.target)
                              : analyzer.GetSNRatio(quality, r, EngineSnType(setting.kind),
                                                    setting.HasTarget() ? setting.target : 0.0);
        values.push_back({sn});
    }
    return values;
}

RunValues OneValueARun(const std::vector<double>& values) {
    RunValues runs;
    for (double value : values)
        runs.push_back({value});
    return runs;
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

// The settings and interaction terms a prediction uses.
struct PredictionModel {
    std::vector<FactorLevel> settings;
    std::vector<int> interactions;
};

int LevelOf(const std::vector<FactorLevel>& settings, int factor) {
    for (const FactorLevel& setting : settings) {
        if (setting.factor == factor) return setting.level;
    }
    return -1;
}

bool IsInteraction(const ResponseAnalysis& analysis, size_t term) {
    return !analysis.cellMeans[term].empty();
}

Prediction PredictFrom(const ResponseAnalysis& analysis, const std::vector<ModelTerm>& terms,
                       const PredictionModel& model, double alpha, int r) {
    Prediction prediction;
    const double grand = analysis.grandMean;
    prediction.value = grand;
    int dofUsed = 0;
    for (const FactorLevel& setting : model.settings) {
        const int t = TermOfFactor(terms, setting.factor);
        const std::vector<double>& means = t < 0 ? std::vector<double>() : analysis.levelMeans[t];
        if (t < 0) throw Error("factor without a main effect in the model");
        if (setting.level < 0 || setting.level >= static_cast<int>(means.size()))
            throw Error("factor " + terms[t].name + " has no level " +
                        std::to_string(setting.level + 1) + " (it has " +
                        std::to_string(means.size()) + ")");
        prediction.value += means[setting.level] - grand;
        dofUsed += terms[t].dof;
        prediction.factors.push_back(setting.factor);
    }
    for (int t : model.interactions) {
        const std::vector<int>& factors = terms[t].factors;
        const int i = LevelOf(model.settings, factors[0]), j = LevelOf(model.settings, factors[1]);
        prediction.value += analysis.cellMeans[t][i][j] -
                            analysis.levelMeans[TermOfFactor(terms, factors[0])][i] -
                            analysis.levelMeans[TermOfFactor(terms, factors[1])][j] + grand;
        dofUsed += analysis.terms[t].dof;
        prediction.interactions.push_back(t);
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

bool InSignificantInteraction(const Verdict& verdict, const ResponseAnalysis& a, int factor) {
    for (size_t t = 0; t < verdict.terms.size(); ++t) {
        const std::vector<int>& factors = verdict.terms[t].factors;
        if (IsInteraction(a, t) && Significant(a.terms[t], verdict.alpha) &&
            std::find(factors.begin(), factors.end(), factor) != factors.end())
            return true;
    }
    return false;
}

// What a response's prediction at the optimum levels uses: its significant interactions and
// the factors that are significant or in a significant interaction.
PredictionModel SignificantModel(const Verdict& verdict, const ResponseAnalysis& a,
                                 const std::vector<FactorLevel>& levels) {
    PredictionModel model;
    for (const FactorLevel& setting : levels) {
        const int t = TermOfFactor(verdict.terms, setting.factor);
        if (t < 0) throw Error("factor without a main effect in the model");
        const int levelCount = static_cast<int>(a.levelMeans[t].size());
        if (setting.level < 0 || setting.level >= levelCount)
            throw Error("factor " + verdict.terms[t].name + " has no level " +
                        std::to_string(setting.level + 1) + " (it has " +
                        std::to_string(levelCount) + ")");
        if (Significant(a.terms[t], verdict.alpha) ||
            InSignificantInteraction(verdict, a, setting.factor))
            model.settings.push_back(setting);
    }
    for (size_t t = 0; t < verdict.terms.size(); ++t) {
        const std::vector<int>& factors = verdict.terms[t].factors;
        if (IsInteraction(a, t) && Significant(a.terms[t], verdict.alpha) &&
            LevelOf(levels, factors[0]) >= 0 && LevelOf(levels, factors[1]) >= 0)
            model.interactions.push_back(int(t));
    }
    return model;
}

int AdjustmentTerm(const Verdict& verdict, const QualityVerdict& q) {
    int best = -1;
    if (q.setting.MeanAim() == Aim::Nominal && !q.setting.HasTarget()) return best;
    for (size_t t = 0; t < verdict.terms.size(); ++t) {
        const AnovaTerm& mean = q.mean.terms[t];
        const AnovaTerm& sn = q.sn.terms[t];
        if (q.mean.levelMeans[t].empty()) continue;
        const bool moves = !mean.pooled && mean.p < verdict.alpha;
        const bool weak = (sn.pooled || sn.p >= verdict.alpha) &&
                          !InSignificantInteraction(verdict, q.sn, verdict.terms[t].factors[0]);
        if (moves && weak && (best < 0 || mean.f > q.mean.terms[best].f)) best = int(t);
    }
    return best;
}

// The adjustment factor's level by the aim of the mean.
int AdjustedLevel(const Verdict& verdict, const QualityVerdict& q, std::vector<FactorLevel> levels,
                  size_t slot, int term) {
    const std::vector<double>& means = q.mean.levelMeans[term];
    const Aim aim = q.setting.MeanAim();
    if (aim != Aim::Nominal) return int(BestLevel(means, aim == Aim::Larger));
    std::vector<double> distance;
    for (size_t l = 0; l < means.size(); ++l) {
        levels[slot].level = int(l);
        const PredictionModel used = SignificantModel(verdict, q.mean, levels);
        const double value = PredictFrom(q.mean, verdict.terms, used, verdict.alpha, 0).value;
        distance.push_back(std::fabs(value - q.setting.target));
    }
    return int(BestLevel(distance, false));
}

// Sets the factors of each significant S/N interaction to its best pair of levels; a factor
// set by an earlier interaction keeps its level.
void SetInteractingLevels(const Verdict& verdict, const ResponseAnalysis& sn,
                          std::vector<FactorLevel>& levels) {
    std::vector<int> fixed;
    const auto slotOf = [&](int factor) {
        for (size_t s = 0; s < levels.size(); ++s) {
            if (levels[s].factor == factor) return s;
        }
        return levels.size();
    };
    for (size_t t = 0; t < verdict.terms.size(); ++t) {
        if (!IsInteraction(sn, t) || !Significant(sn.terms[t], verdict.alpha)) continue;
        const std::vector<int>& factors = verdict.terms[t].factors;
        const size_t a = slotOf(factors[0]), b = slotOf(factors[1]);
        if (a == levels.size() || b == levels.size()) continue;
        const auto isFixed = [&](int f) {
            return std::find(fixed.begin(), fixed.end(), f) != fixed.end();
        };
        double best = -HUGE_VAL;
        const std::vector<std::vector<double>>& cells = sn.cellMeans[t];
        for (size_t i = 0; i < cells.size(); ++i) {
            for (size_t j = 0; j < cells[i].size(); ++j) {
                if ((isFixed(factors[0]) && int(i) != levels[a].level) ||
                    (isFixed(factors[1]) && int(j) != levels[b].level) || !(cells[i][j] > best))
                    continue;
                best = cells[i][j];
                levels[a].level = int(i);
                levels[b].level = int(j);
            }
        }
        fixed.insert(fixed.end(), factors.begin(), factors.end());
    }
}

template <typename T>
std::vector<T> SortedUnion(std::vector<T> a, const std::vector<T>& b) {
    a.insert(a.end(), b.begin(), b.end());
    std::sort(a.begin(), a.end());
    a.erase(std::unique(a.begin(), a.end()), a.end());
    return a;
}

Optimum FindOptimum(const Verdict& verdict, const QualityVerdict& q) {
    Optimum optimum;
    for (size_t t = 0; t < verdict.terms.size(); ++t) {
        if (q.sn.levelMeans[t].empty()) continue;
        optimum.levels.push_back(
            {verdict.terms[t].factors[0], int(BestLevel(q.sn.levelMeans[t], true))});
    }
    SetInteractingLevels(verdict, q.sn, optimum.levels);
    const int adjustment = AdjustmentTerm(verdict, q);
    if (adjustment >= 0) {
        optimum.adjustmentFactor = verdict.terms[adjustment].factors[0];
        for (size_t slot = 0; slot < optimum.levels.size(); ++slot) {
            if (optimum.levels[slot].factor == optimum.adjustmentFactor)
                optimum.levels[slot].level =
                    AdjustedLevel(verdict, q, optimum.levels, slot, adjustment);
        }
    }
    optimum.sn = PredictFrom(q.sn, verdict.terms, SignificantModel(verdict, q.sn, optimum.levels),
                             verdict.alpha, 0);
    optimum.mean = PredictFrom(q.mean, verdict.terms,
                               SignificantModel(verdict, q.mean, optimum.levels), verdict.alpha, 0);
    optimum.factorsUsed = SortedUnion(optimum.sn.factors, optimum.mean.factors);
    optimum.interactionsUsed = SortedUnion(optimum.sn.interactions, optimum.mean.interactions);
    return optimum;
}

template <typename Values>
ResponseAnalysis AnalyzeQualityResponse(const Verdict& verdict, const Values& values,
                                        const PoolingChoice& pooling, const char* what,
                                        int quality) {
    try {
        return AnalyzeResponse(verdict.layout, verdict.terms, values, pooling);
    } catch (const Error& error) {
        throw Error("quality " + std::to_string(quality + 1) + ", " + what + ": " + error.what(),
                    error.GetKind());
    }
}

const QualityVerdict& QualityOf(const Verdict& verdict, int quality) {
    if (quality < 0 || quality >= static_cast<int>(verdict.qualities.size()))
        throw Error("quality " + std::to_string(quality + 1) + " is not in the experiment");
    return verdict.qualities[quality];
}

}  // namespace

Verdict AnalyzeVerdict(const CQVRFCDOEAnalyzer& analyzer, const VerdictSettings& settings) {
    if (!(settings.alpha > 0.0 && settings.alpha < 1.0))
        throw Error("alpha must lie between 0 and 1");
    Verdict verdict;
    verdict.terms = settings.terms.empty() ? MainEffectTerms(analyzer) : settings.terms;
    const std::vector<ModelTerm> interactions =
        InteractionTerms(analyzer, verdict.terms, settings.interactions);
    verdict.terms.insert(verdict.terms.end(), interactions.begin(), interactions.end());
    verdict.layout = LayoutOf(analyzer);
    AddTermColumns(verdict.layout, analyzer, interactions);
    verdict.alpha = settings.alpha;
    for (int q = 0; q < analyzer.GetNoQuality(); ++q) {
        QualityVerdict quality;
        quality.quality = q;
        quality.name = analyzer.GetQualityFactorName(q).GetString();
        quality.setting = q < static_cast<int>(settings.responses.size())
                              ? settings.responses[q]
                              : ResponseSpec{SnKindOf(analyzer.GetQualityCharacteristic(q)),
                                             analyzer.GetQualityTarget(q), std::nullopt};
        if (q < static_cast<int>(settings.pooling.size())) quality.pooling = settings.pooling[q];
        const DynamicFigures* dynamic =
            q < static_cast<int>(settings.dynamic.size()) && settings.dynamic[q]
                ? &*settings.dynamic[q]
                : nullptr;
        const RunValues sn =
            dynamic ? OneValueARun(dynamic->sn) : SnRatios(analyzer, q, quality.setting);
        for (const std::vector<double>& run : sn)
            quality.runSn.push_back(run[0]);
        quality.sn = AnalyzeQualityResponse(verdict, sn, quality.pooling, "S/N ratio", q);
        quality.runs = Observations(analyzer, q);
        quality.mean = dynamic ? AnalyzeQualityResponse(verdict, OneValueARun(dynamic->beta),
                                                        quality.pooling, "slope", q)
                               : AnalyzeQualityResponse(verdict, quality.runs, quality.pooling,
                                                        "observations", q);
        quality.optimum = FindOptimum(verdict, quality);
        verdict.qualities.push_back(quality);
    }
    return verdict;
}

Prediction PredictAt(const Verdict& verdict, int quality, Response response,
                     const std::vector<FactorLevel>& at, int r, PredictionTerms terms) {
    const QualityVerdict& q = QualityOf(verdict, quality);
    const ResponseAnalysis& a = response == Response::SnRatio ? q.sn : q.mean;
    if (terms == PredictionTerms::Significant)
        return PredictFrom(a, verdict.terms, SignificantModel(verdict, a, at), verdict.alpha, r);
    PredictionModel model{at, {}};
    for (size_t t = 0; t < verdict.terms.size(); ++t) {
        const std::vector<int>& factors = verdict.terms[t].factors;
        if (IsInteraction(a, t) && !a.terms[t].pooled && LevelOf(at, factors[0]) >= 0 &&
            LevelOf(at, factors[1]) >= 0)
            model.interactions.push_back(int(t));
    }
    return PredictFrom(a, verdict.terms, model, verdict.alpha, r);
}

std::vector<InteractionTable> InteractionTables(const Verdict& verdict, int quality) {
    const QualityVerdict& q = QualityOf(verdict, quality);
    std::vector<InteractionTable> tables;
    for (size_t t = 0; t < verdict.terms.size(); ++t) {
        if (!IsInteraction(q.mean, t)) continue;
        const ModelTerm& term = verdict.terms[t];
        tables.push_back({int(t), term.name, term.factors[0], term.factors[1], q.mean.cellMeans[t],
                          q.sn.cellMeans[t]});
    }
    return tables;
}

Confirmation Confirm(const Verdict& verdict, int quality, const std::vector<FactorLevel>& at,
                     const std::vector<double>& values) {
    const QualityVerdict& q = QualityOf(verdict, quality);
    if (values.empty()) throw Error("a confirmation needs observations");
    Confirmation confirmation;
    confirmation.mean = std::accumulate(values.begin(), values.end(), 0.0) / values.size();
    confirmation.sn = SnRatioOfValues(q.setting.kind, values, q.setting.target);
    confirmation.meanInterval =
        PredictAt(verdict, quality, Response::Mean, at, static_cast<int>(values.size()));
    confirmation.snInterval = PredictAt(verdict, quality, Response::SnRatio, at, 1);
    const auto inside = [](const Prediction& p, double x) { return p.low <= x && x <= p.high; };
    confirmation.meanInside = inside(confirmation.meanInterval, confirmation.mean);
    confirmation.snInside = inside(confirmation.snInterval, confirmation.sn);
    return confirmation;
}

}  // namespace qvrfc
