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

bool Significant(const AnovaRow& term, double alpha) {
    return !term.Pooled() && (std::isnan(term.p) || term.p < alpha);
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
    int dofUsed = 0;
    std::vector<int> levelOf;
    for (const FactorLevel& setting : model.settings) {
        const int t = MainEffectTermOf(terms, setting.factor);
        const std::vector<double>& means = t < 0 ? std::vector<double>() : analysis.levelMeans[t];
        if (t < 0) throw Error("factor without a main effect in the model");
        if (setting.level < 0 || setting.level >= static_cast<int>(means.size()))
            throw Error("factor " + terms[t].name + " has no level " +
                        std::to_string(setting.level + 1) + " (it has " +
                        std::to_string(means.size()) + ")");
        dofUsed += terms[t].dof;
        prediction.factors.push_back(setting.factor);
        levelOf.resize(std::max(levelOf.size(), size_t(setting.factor) + 1), -1);
        levelOf[setting.factor] = setting.level;
    }
    for (int t : model.interactions) {
        dofUsed += static_cast<int>(analysis.table.Term(t).dof);
        prediction.interactions.push_back(t);
    }
    prediction.value =
        FormulaOf(VerdictModel{terms, {}, alpha}, analysis, prediction.factors, model.interactions)
            .Value(levelOf);
    prediction.effectiveCount = analysis.count / (1.0 + dofUsed);
    const AnovaRow& e = analysis.table.Error();
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

bool InSignificantInteraction(const VerdictModel& verdict, const ResponseAnalysis& a, int factor) {
    for (size_t t = 0; t < verdict.terms.size(); ++t) {
        const std::vector<int>& factors = verdict.terms[t].factors;
        if (IsInteraction(a, t) && Significant(a.table.Term(t), verdict.alpha) &&
            std::find(factors.begin(), factors.end(), factor) != factors.end())
            return true;
    }
    return false;
}

// What a response's prediction at the optimum levels uses: its significant interactions and
// the factors that are significant or in a significant interaction.
PredictionModel SignificantModel(const VerdictModel& verdict, const ResponseAnalysis& a,
                                 const std::vector<FactorLevel>& levels) {
    PredictionModel model;
    for (const FactorLevel& setting : levels) {
        const int t = MainEffectTermOf(verdict.terms, setting.factor);
        if (t < 0) throw Error("factor without a main effect in the model");
        const int levelCount = static_cast<int>(a.levelMeans[t].size());
        if (setting.level < 0 || setting.level >= levelCount)
            throw Error("factor " + verdict.terms[t].name + " has no level " +
                        std::to_string(setting.level + 1) + " (it has " +
                        std::to_string(levelCount) + ")");
        if (Significant(a.table.Term(t), verdict.alpha) ||
            InSignificantInteraction(verdict, a, setting.factor))
            model.settings.push_back(setting);
    }
    for (size_t t = 0; t < verdict.terms.size(); ++t) {
        const std::vector<int>& factors = verdict.terms[t].factors;
        if (IsInteraction(a, t) && Significant(a.table.Term(t), verdict.alpha) &&
            LevelOf(levels, factors[0]) >= 0 && LevelOf(levels, factors[1]) >= 0)
            model.interactions.push_back(int(t));
    }
    return model;
}

// The adjustment terms: the main effects significant for the mean (the slope) and weak for the
// S/N ratio, outside any significant S/N interaction, largest F on the mean first. A dynamic
// response adjusts its slope with all of them; a static response with the first alone.
std::vector<int> AdjustmentTerms(const VerdictModel& verdict, const ResponseVerdict& q) {
    std::vector<int> terms;
    if (q.setting.MeanAim() == Aim::Nominal && !q.setting.HasTarget()) return terms;
    for (size_t t = 0; t < verdict.terms.size(); ++t) {
        const AnovaRow& mean = q.MeanModel().table.Term(t);
        const AnovaRow& sn = q.snAnova.table.Term(t);
        if (q.MeanModel().levelMeans[t].empty()) continue;
        const bool moves = !mean.Pooled() && mean.p < verdict.alpha;
        const bool weak =
            (sn.Pooled() || sn.p >= verdict.alpha) &&
            !InSignificantInteraction(verdict, q.snAnova, verdict.terms[t].factors[0]);
        if (moves && weak) terms.push_back(int(t));
    }
    std::stable_sort(terms.begin(), terms.end(), [&](int a, int b) {
        return q.MeanModel().table.Term(a).f > q.MeanModel().table.Term(b).f;
    });
    if (!q.setting.dynamic && terms.size() > 1) terms.resize(1);
    // The joint search stays small: the weakest adjusters beyond 10^5 combinations stay put.
    double combinations = 1.0;
    for (size_t i = 0; i < terms.size(); ++i) {
        combinations *= double(q.MeanModel().levelMeans[terms[i]].size());
        if (combinations > 1e5) terms.resize(i);
    }
    return terms;
}

size_t SlotOf(const std::vector<FactorLevel>& levels, int factor) {
    for (size_t s = 0; s < levels.size(); ++s) {
        if (levels[s].factor == factor) return s;
    }
    return levels.size();
}

double PredictedMean(const VerdictModel& verdict, const ResponseVerdict& q,
                     const std::vector<FactorLevel>& levels) {
    const PredictionModel used = SignificantModel(verdict, q.MeanModel(), levels);
    return PredictFrom(q.MeanModel(), verdict.terms, used, verdict.alpha, 0).value;
}

// Sets the adjustment terms' factors by the aim of the mean: each to its largest or smallest
// level mean, or, for a target, all together to the combination of levels whose predicted mean
// lies nearest it (the first such combination in level order on a tie).
void SetAdjustedLevels(const VerdictModel& verdict, const ResponseVerdict& q,
                       const std::vector<int>& terms, std::vector<FactorLevel>& levels) {
    std::vector<size_t> slots;
    for (int t : terms)
        slots.push_back(SlotOf(levels, verdict.terms[t].factors[0]));
    const Aim aim = q.setting.MeanAim();
    if (aim != Aim::Nominal) {
        for (size_t i = 0; i < terms.size(); ++i)
            levels[slots[i]].level =
                int(BestLevel(q.MeanModel().levelMeans[terms[i]], aim == Aim::Larger));
        return;
    }
    std::vector<FactorLevel> trial = levels;
    for (size_t slot : slots)
        trial[slot].level = 0;
    double nearest = HUGE_VAL;
    for (;;) {
        const double distance = std::fabs(PredictedMean(verdict, q, trial) - q.setting.target);
        if (distance < nearest) {
            nearest = distance;
            levels = trial;
        }
        size_t i = 0;
        for (; i < slots.size(); ++i) {
            const int count = int(q.MeanModel().levelMeans[terms[i]].size());
            if (++trial[slots[i]].level < count) break;
            trial[slots[i]].level = 0;
        }
        if (i == slots.size()) return;
    }
}

// Sets the factors of each significant S/N interaction to its best pair of levels; a factor
// set by an earlier interaction keeps its level.
void SetInteractingLevels(const VerdictModel& verdict, const ResponseAnalysis& sn,
                          std::vector<FactorLevel>& levels) {
    std::vector<int> fixed;
    const auto slotOf = [&](int factor) {
        for (size_t s = 0; s < levels.size(); ++s) {
            if (levels[s].factor == factor) return s;
        }
        return levels.size();
    };
    for (size_t t = 0; t < verdict.terms.size(); ++t) {
        if (!IsInteraction(sn, t) || !Significant(sn.table.Term(t), verdict.alpha)) continue;
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

}  // namespace

Optimum FindOptimum(const VerdictModel& verdict, const ResponseVerdict& q) {
    Optimum optimum;
    for (size_t t = 0; t < verdict.terms.size(); ++t) {
        if (q.snAnova.levelMeans[t].empty()) continue;
        optimum.levels.push_back(
            {verdict.terms[t].factors[0], int(BestLevel(q.snAnova.levelMeans[t], true))});
    }
    SetInteractingLevels(verdict, q.snAnova, optimum.levels);
    const std::vector<int> adjustment = AdjustmentTerms(verdict, q);
    for (int t : adjustment)
        optimum.adjustmentFactors.push_back(verdict.terms[t].factors[0]);
    if (!adjustment.empty()) {
        optimum.adjustmentFactor = optimum.adjustmentFactors[0];
        SetAdjustedLevels(verdict, q, adjustment, optimum.levels);
    }
    optimum.sn =
        PredictFrom(q.snAnova, verdict.terms, SignificantModel(verdict, q.snAnova, optimum.levels),
                    verdict.alpha, 0);
    optimum.mean =
        PredictFrom(q.MeanModel(), verdict.terms,
                    SignificantModel(verdict, q.MeanModel(), optimum.levels), verdict.alpha, 0);
    optimum.factorsUsed = SortedUnion(optimum.sn.factors, optimum.mean.factors);
    optimum.interactionsUsed = SortedUnion(optimum.sn.interactions, optimum.mean.interactions);
    return optimum;
}

namespace {

template <typename Values>
ResponseAnalysis AnalyzeQualityResponse(const VerdictModel& verdict, const Values& values,
                                        const PoolingChoice& pooling, const char* what,
                                        int quality) {
    try {
        return AnalyzeResponse(verdict.layout, verdict.terms, values, pooling);
    } catch (const Error& error) {
        throw Error("quality " + std::to_string(quality + 1) + ", " + what + ": " + error.what(),
                    error.GetKind());
    }
}

}  // namespace

Verdict AnalyzeVerdict(const CQVRFCDOEAnalyzer& analyzer, const VerdictSettings& settings) {
    if (!(settings.alpha > 0.0 && settings.alpha < 1.0))
        throw Error("alpha must lie between 0 and 1");
    Verdict verdict;
    VerdictModel& model = verdict.model;
    model.terms = settings.terms.empty() ? MainEffectTerms(analyzer) : settings.terms;
    const std::vector<ModelTerm> interactions =
        InteractionTerms(analyzer, model.terms, settings.interactions);
    model.terms.insert(model.terms.end(), interactions.begin(), interactions.end());
    model.layout = LayoutOf(analyzer);
    AddTermColumns(model.layout, analyzer, interactions);
    model.alpha = settings.alpha;
    for (int q = 0; q < analyzer.GetNoQuality(); ++q) {
        ResponseVerdict response;
        response.name = analyzer.GetQualityFactorName(q).GetString();
        response.setting = q < static_cast<int>(settings.responses.size())
                               ? settings.responses[q]
                               : ResponseSpec{SnKindOf(analyzer.GetQualityCharacteristic(q)),
                                              analyzer.GetQualityTarget(q), std::nullopt};
        if (q < static_cast<int>(settings.pooling.size())) response.pooling = settings.pooling[q];
        const DynamicFigures* dynamic =
            q < static_cast<int>(settings.dynamic.size()) && settings.dynamic[q]
                ? &*settings.dynamic[q]
                : nullptr;
        const RunValues sn =
            dynamic ? OneValueARun(dynamic->sn) : SnRatios(analyzer, q, response.setting);
        for (const std::vector<double>& run : sn)
            response.runSn.push_back(run[0]);
        response.snAnova = AnalyzeQualityResponse(model, sn, response.pooling, "S/N ratio", q);
        response.runSummaries = Observations(analyzer, q);
        response.meanAnova = dynamic ? AnalyzeQualityResponse(model, OneValueARun(dynamic->beta),
                                                              response.pooling, "slope", q)
                                     : AnalyzeQualityResponse(model, response.runSummaries,
                                                              response.pooling, "observations", q);
        response.optimum = FindOptimum(model, response);
        verdict.responses.push_back(response);
    }
    return verdict;
}

double PredictionFormula::Value(const std::vector<int>& levelOf) const {
    double value = grand;
    for (const Effect& factor : effects)
        value += factor.effect[levelOf[factor.factor]];
    for (const Cells& cells : interactions)
        value += cells.effect[levelOf[cells.first]][levelOf[cells.second]];
    return value;
}

PredictionFormula FormulaOf(const VerdictModel& model, const ResponseAnalysis& a,
                            const std::vector<int>& factors, const std::vector<int>& interactions) {
    PredictionFormula formula;
    formula.grand = a.grandMean;
    const auto levelMeans = [&](int factor) -> const std::vector<double>& {
        return a.levelMeans[MainEffectTermOf(model.terms, factor)];
    };
    for (int factor : factors) {
        std::vector<double> effect;
        for (double mean : levelMeans(factor))
            effect.push_back(mean - a.grandMean);
        formula.effects.push_back({factor, effect});
    }
    for (int t : interactions) {
        const std::vector<int>& pair = model.terms[t].factors;
        const std::vector<double>& first = levelMeans(pair[0]);
        const std::vector<double>& second = levelMeans(pair[1]);
        PredictionFormula::Cells cells{pair[0], pair[1], a.cellMeans[t]};
        for (size_t i = 0; i < first.size(); ++i) {
            for (size_t j = 0; j < second.size(); ++j)
                cells.effect[i][j] += a.grandMean - first[i] - second[j];
        }
        formula.interactions.push_back(cells);
    }
    return formula;
}

Prediction PredictAt(const VerdictModel& model, const ResponseAnalysis& a,
                     const std::vector<FactorLevel>& at, int r, PredictionTerms terms) {
    if (terms == PredictionTerms::Significant)
        return PredictFrom(a, model.terms, SignificantModel(model, a, at), model.alpha, r);
    PredictionModel used{at, {}};
    for (size_t t = 0; t < model.terms.size(); ++t) {
        const std::vector<int>& factors = model.terms[t].factors;
        if (IsInteraction(a, t) && !a.table.Term(t).Pooled() && LevelOf(at, factors[0]) >= 0 &&
            LevelOf(at, factors[1]) >= 0)
            used.interactions.push_back(int(t));
    }
    return PredictFrom(a, model.terms, used, model.alpha, r);
}

std::vector<InteractionTable> InteractionTables(const VerdictModel& model,
                                                const ResponseVerdict& response) {
    std::vector<InteractionTable> tables;
    for (size_t t = 0; t < model.terms.size(); ++t) {
        if (!IsInteraction(response.meanAnova, t)) continue;
        const ModelTerm& term = model.terms[t];
        tables.push_back({int(t), term.name, term.factors[0], term.factors[1],
                          response.meanAnova.cellMeans[t], response.snAnova.cellMeans[t]});
    }
    return tables;
}

Confirmation Confirm(const VerdictModel& model, const ResponseVerdict& response,
                     const std::vector<FactorLevel>& at, const std::vector<double>& values) {
    if (values.empty()) throw Error("a confirmation needs observations");
    Confirmation confirmation;
    confirmation.mean = std::accumulate(values.begin(), values.end(), 0.0) / values.size();
    confirmation.sn = SnRatioOfValues(response.setting.kind, values, response.setting.target);
    confirmation.meanInterval =
        PredictAt(model, response.MeanModel(), at, static_cast<int>(values.size()));
    confirmation.snInterval = PredictAt(model, response.snAnova, at, 1);
    const auto inside = [](const Prediction& p, double x) { return p.low <= x && x <= p.high; };
    confirmation.meanInside = inside(confirmation.meanInterval, confirmation.mean);
    confirmation.snInside = inside(confirmation.snInterval, confirmation.sn);
    return confirmation;
}

}  // namespace qvrfc
