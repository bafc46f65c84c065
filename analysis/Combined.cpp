// The combined optimum of several responses: the desirability of each response's predicted
// mean, the search over the combinations of the tested levels, grey relational grades, the
// trade-offs and the nominal responses whose target no combination reaches.
#include "qvrfc/analysis/Combined.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "analysis/AnalysisParts.h"
#include "qvrfc/analysis/Analysis.h"
#include "qvrfc/common/QVRFCError.h"
#include "qvrfc/common/QVRFCTextFormat.h"
#include "qvrfc/inference/Combine.h"

namespace qvrfc {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// Beyond this many combinations of the factors that move a prediction, coordinate ascent.
constexpr double kExhaustiveLimit = 1e7;
// Figures of merit closer than this are equal.
constexpr double kTie = 1e-12;

int LevelIn(const std::vector<FactorLevel>& levels, int factor) {
    for (const FactorLevel& at : levels) {
        if (at.factor == factor) return at.level;
    }
    return -1;
}

// A response's predicted mean: the formula of the factors and interactions its prediction at
// the optimum uses.
PredictionFormula ModelOf(const VerdictModel& verdict, const ResponseVerdict& q) {
    return FormulaOf(verdict, q.MeanModel(), q.optimum.mean.factors, q.optimum.mean.interactions);
}

std::vector<int> FactorsOf(const PredictionFormula& model) {
    std::vector<int> factors;
    for (const PredictionFormula::Effect& effect : model.effects)
        factors.push_back(effect.factor);
    for (const PredictionFormula::Cells& cells : model.interactions)
        factors.insert(factors.end(), {cells.first, cells.second});
    return factors;
}

double Bound(double given, double fallback) {
    return std::isfinite(given) ? given : fallback;
}

// The factors of the main-effect terms (every response's optimum sets them) and the number of
// tested levels of each factor (0 for the others).
std::vector<int> SlotsOf(const Analysis& analysis) {
    std::vector<int> slots;
    for (const FactorLevel& at : analysis.responses[0].optimum.levels)
        slots.push_back(at.factor);
    return slots;
}

std::vector<int> LevelCountsOf(const Analysis& analysis) {
    std::vector<int> counts(analysis.experiment.factors.size(), 0);
    for (int factor : SlotsOf(analysis))
        counts[factor] =
            static_cast<int>(analysis.responses[0]
                                 .MeanModel()
                                 .levelMeans[MainEffectTermOf(analysis.model.terms, factor)]
                                 .size());
    return counts;
}

// Calls visit with every combination of the levels of the factors (the others at 0) until it
// returns false.
template <typename Visit>
void EveryCombination(const std::vector<int>& factors, const std::vector<int>& levelCounts,
                      std::vector<int> level, Visit visit) {
    for (int factor : factors)
        level[factor] = 0;
    while (visit(level)) {
        size_t i = 0;
        for (; i < factors.size(); ++i) {
            if (++level[factors[i]] < levelCounts[factors[i]]) break;
            level[factors[i]] = 0;
        }
        if (i == factors.size()) return;
    }
}

// The smallest and largest value of a formula over the combinations of its factors' tested
// levels; beyond kExhaustiveLimit of them, the sums of its terms' smallest and largest values.
std::pair<double, double> RangeOf(const PredictionFormula& model,
                                  const std::vector<int>& levelCounts) {
    std::vector<int> factors = FactorsOf(model);
    std::sort(factors.begin(), factors.end());
    factors.erase(std::unique(factors.begin(), factors.end()), factors.end());
    double count = 1.0;
    for (int factor : factors)
        count *= levelCounts[factor];
    double low = model.grand, high = model.grand;
    if (count <= kExhaustiveLimit) {
        low = HUGE_VAL, high = -HUGE_VAL;
        EveryCombination(factors, levelCounts, std::vector<int>(levelCounts.size(), 0),
                         [&](const std::vector<int>& level) {
                             const double y = model.Value(level);
                             low = std::min(low, y);
                             high = std::max(high, y);
                             return true;
                         });
        return {low, high};
    }
    for (const PredictionFormula::Effect& effect : model.effects) {
        low += *std::min_element(effect.effect.begin(), effect.effect.end());
        high += *std::max_element(effect.effect.begin(), effect.effect.end());
    }
    for (const PredictionFormula::Cells& cells : model.interactions) {
        double smallest = HUGE_VAL, largest = -HUGE_VAL;
        for (const std::vector<double>& row : cells.effect) {
            smallest = std::min(smallest, *std::min_element(row.begin(), row.end()));
            largest = std::max(largest, *std::max_element(row.begin(), row.end()));
        }
        low += smallest;
        high += largest;
    }
    return {low, high};
}

// A two-sided desirability that the settings give a response: its target and exponents.
void ApplyTwoSided(const AnalysisSettings& settings, int r, CombinedResponse& response) {
    for (const DesirabilitySetting& setting : settings.desirability) {
        if (setting.response - 1 != r || std::isnan(setting.target) || response.dynamic) continue;
        response.aim = Aim::Nominal;
        response.target = setting.target;
        response.included = true;
        response.weightAbove = setting.weightAbove;
    }
}

CombinedResponse ResponseOf(const Analysis& analysis, const AnalysisSettings& settings, int r,
                            std::pair<double, double> range) {
    const ResponseVerdict& q = analysis.responses[r];
    const ExperimentResponse& named = analysis.experiment.responses[r];
    CombinedResponse response;
    response.response = r;
    response.name = named.name;
    response.aim = AimOf(q.setting.kind);
    response.dynamic = q.setting.dynamic.has_value();
    response.target = !response.dynamic && q.setting.HasTarget() ? q.setting.target : kNaN;
    response.included =
        !response.dynamic && (response.aim != Aim::Nominal || q.setting.HasTarget());
    response.weight = named.weight;
    response.importance = named.importance;
    response.d = kNaN;
    response.low = response.high = kNaN;
    ApplyTwoSided(settings, r, response);
    if (!response.included) return response;
    // A nominal response's range holds its target, so that the target is the most desirable.
    if (std::isfinite(response.target)) {
        range.first = std::min(range.first, response.target);
        range.second = std::max(range.second, response.target);
    }
    response.lowGiven = std::isfinite(named.low);
    response.highGiven = std::isfinite(named.high);
    response.low = Bound(named.low, range.first);
    response.high = Bound(named.high, range.second);
    if ((response.lowGiven || response.highGiven) && !(response.low < response.high))
        throw OptionError(
            named.name,
            FormatText("response '%s': the desirability's low %g is not below its high %g "
                       "(a bound not given is the smallest or largest prediction over the "
                       "combinations of the tested levels)",
                       named.name.c_str(), response.low, response.high));
    if (std::isfinite(response.target) &&
        !(response.target >= response.low && response.target <= response.high))
        throw OptionError(
            named.name,
            FormatText("response '%s': the desirability's target %g lies outside "
                       "its low %g and high %g",
                       named.name.c_str(), response.target, response.low, response.high));
    return response;
}

// The search over the combinations of the tested levels, with what it learns on the way: the
// best overall desirability and, for each nominal response, the prediction nearest its target.
class LevelSearch {
  public:
    LevelSearch(const Analysis& analysis, const std::vector<PredictionFormula>& models,
                CombinedResult& result)
        : m_analysis(analysis),
          m_result(result),
          m_models(models),
          m_slots(SlotsOf(analysis)),
          m_levelCounts(LevelCountsOf(analysis)) {
        for (const ResponseVerdict& q : analysis.responses) {
            if (!q.setting.dynamic) m_voters.push_back(&q);
        }
        // With every response dynamic, their optima still choose the levels.
        if (m_voters.empty()) {
            for (const ResponseVerdict& q : analysis.responses)
                m_voters.push_back(&q);
        }
        m_closest.assign(m_models.size(), HUGE_VAL);
        m_closestAt.resize(m_models.size());
        m_predictions.assign(m_models.size(), kNaN);
        for (const CombinedResponse& response : result.responses) {
            if (response.included) m_importances.push_back(response.importance);
        }
    }

    // The levels of largest overall desirability.
    std::vector<int> Run() {
        m_best = StartLevels();
        const std::vector<int> active = ActiveFactors();
        double count = 1.0;
        m_result.combinations = 1.0;
        for (int factor : m_slots)
            m_result.combinations *= m_levelCounts[factor];
        for (int factor : active)
            count *= m_levelCounts[factor];
        if (count <= kExhaustiveLimit) {
            m_result.search = CombinedSearch::Exhaustive;
            m_result.combinations = count;  // the others move no prediction
            Exhaust(active);
        } else {
            m_result.search = CombinedSearch::CoordinateAscent;
            for (const ResponseVerdict* q : m_voters)
                Ascend(active, q->optimum.levels);
        }
        return m_best;
    }

    double Overall(const std::vector<int>& level) {
        m_d.clear();
        for (size_t r = 0; r < m_models.size(); ++r) {
            m_predictions[r] = m_models[r].Value(level);
            if (m_result.responses[r].included)
                m_d.push_back(ResponseDesirability(m_result.responses[r], m_predictions[r]));
        }
        return OverallDesirability(m_d, m_importances);
    }

    const std::vector<int>& Slots() const { return m_slots; }
    int LevelCount(int factor) const { return m_levelCounts[factor]; }
    const std::vector<int>& ClosestAt(size_t r) const { return m_closestAt[r]; }

  private:
    // The level most responses' optima choose for each factor, the first response's on a tie.
    std::vector<int> StartLevels() const {
        std::vector<int> level(m_levelCounts.size(), 0);
        for (int factor : m_slots) {
            std::vector<int> votes(m_levelCounts[factor], 0);
            for (const ResponseVerdict* q : m_voters)
                ++votes[LevelIn(q->optimum.levels, factor)];
            const int first = LevelIn(m_voters[0]->optimum.levels, factor);
            level[factor] = first;
            for (int l = 0; l < m_levelCounts[factor]; ++l) {
                if (votes[l] > votes[level[factor]]) level[factor] = l;
            }
        }
        return level;
    }

    std::vector<int> ActiveFactors() const {
        std::vector<int> active;
        for (size_t r = 0; r < m_models.size(); ++r) {
            if (!m_result.responses[r].included) continue;
            for (int factor : FactorsOf(m_models[r])) {
                if (std::find(active.begin(), active.end(), factor) == active.end())
                    active.push_back(factor);
            }
        }
        std::sort(active.begin(), active.end());
        return active;
    }

    double Visit(const std::vector<int>& level) {
        const double overall = Overall(level);
        for (size_t r = 0; r < m_models.size(); ++r) {
            const double target = m_result.responses[r].target;
            const double distance = std::fabs(m_predictions[r] - target);
            if (std::isfinite(target) && distance < m_closest[r] - kTie) {
                m_closest[r] = distance;
                m_closestAt[r] = level;
            }
        }
        if (overall < m_bestScore.overall - kTie) return overall;
        const Score score{overall, Progress(), Agreement(level)};
        if (score.Beats(m_bestScore)) {
            m_bestScore = score;
            m_best = level;
        }
        return overall;
    }

    // Among combinations of equal overall desirability, the one that goes furthest in every
    // response's direction (beyond the range, where the desirability stops at 1), then the one
    // that most responses' optima agree with.
    struct Score {
        double overall = -HUGE_VAL, progress = -HUGE_VAL;
        int agreement = -1;
        bool Beats(const Score& other) const {
            if (std::fabs(overall - other.overall) > kTie || std::isnan(other.overall))
                return overall > other.overall;
            if (std::fabs(progress - other.progress) > kTie) return progress > other.progress;
            return agreement > other.agreement;
        }
    };

    // The importance-weighted sum of the predictions' distances in their aims' direction, in
    // units of their ranges, each counted up to `cap`.
    double Progress(double cap = HUGE_VAL) const {
        double progress = 0.0;
        for (size_t r = 0; r < m_models.size(); ++r) {
            const CombinedResponse& response = m_result.responses[r];
            if (!response.included) continue;
            // Halved, so that bounds near the largest double do not overflow.
            const double y = 0.5 * m_predictions[r], low = 0.5 * response.low,
                         high = 0.5 * response.high, range = high - low;
            const double step = response.aim == Aim::Larger ? y - low
                                : response.aim == Aim::Smaller
                                    ? high - y
                                    : -std::fabs(y - 0.5 * response.target);
            progress += response.importance * std::min(cap, step / (range > 0.0 ? range : 0.5));
        }
        return progress;
    }

    int Agreement(const std::vector<int>& level) const {
        int agreement = 0;
        for (const ResponseVerdict* q : m_voters) {
            for (const FactorLevel& at : q->optimum.levels)
                agreement += level[at.factor] == at.level ? 1 : 0;
        }
        return agreement;
    }

    // Every combination, counting those that share the largest overall desirability.
    void Exhaust(const std::vector<int>& active) {
        double largest = -HUGE_VAL;
        EveryCombination(active, m_levelCounts, m_best, [&](const std::vector<int>& level) {
            const double overall = Visit(level);
            if (!std::isfinite(overall)) return true;
            if (overall > largest + kTie) {
                largest = overall;
                m_result.ties = 0.0;
            }
            if (std::fabs(overall - largest) <= kTie) m_result.ties += 1.0;
            return true;
        });
    }

    // From a response's optimum, each factor in turn to a level that raises the overall
    // desirability, until none does; the factors that move no prediction keep their levels.
    // Where the desirability is flat (0 while a response lies outside its range, 1 beyond),
    // a move toward every response's range counts as a rise.
    void Ascend(const std::vector<int>& active, const std::vector<FactorLevel>& from) {
        std::vector<int> level = m_best;
        for (int factor : active)
            level[factor] = LevelIn(from, factor);
        Score current{Overall(level), Progress(1.0), 0};
        for (bool moved = true; moved;) {
            moved = false;
            for (int factor : active) {
                const int kept = level[factor];
                for (int l = 0; l < m_levelCounts[factor]; ++l) {
                    level[factor] = l;
                    const double overall = Visit(level);
                    const Score score{overall, Progress(1.0), 0};
                    if (score.Beats(current)) {
                        current = score;
                        moved = true;
                        break;
                    }
                    level[factor] = kept;
                }
            }
        }
    }

    const Analysis& m_analysis;
    CombinedResult& m_result;
    const std::vector<PredictionFormula>& m_models;
    std::vector<const ResponseVerdict*> m_voters;  // the responses whose optima count
    std::vector<int> m_slots, m_levelCounts;
    std::vector<int> m_best;
    Score m_bestScore;
    std::vector<double> m_closest, m_predictions, m_d, m_importances;
    std::vector<std::vector<int>> m_closestAt;
};

std::vector<FactorLevel> LevelsOf(const std::vector<int>& slots, const std::vector<int>& level) {
    std::vector<FactorLevel> levels;
    for (int factor : slots)
        levels.push_back({factor, level[factor]});
    return levels;
}

std::vector<Tradeoff> TradeoffsOf(const Analysis& analysis, const CombinedResult& result) {
    std::vector<Tradeoff> tradeoffs;
    for (const FactorLevel& chosen : result.levels) {
        Tradeoff tradeoff;
        tradeoff.factor = chosen.factor;
        tradeoff.chosen = chosen.level;
        const int term = MainEffectTermOf(analysis.model.terms, chosen.factor);
        int first = -1;
        for (const ResponseVerdict& q : analysis.responses) {
            if (q.setting.dynamic) {
                tradeoff.preferred.push_back(-1);
                tradeoff.contribution.push_back(kNaN);
                continue;
            }
            tradeoff.preferred.push_back(LevelIn(q.optimum.levels, chosen.factor));
            tradeoff.contribution.push_back(q.snAnova.table.Term(term).contribution);
            if (first < 0) first = tradeoff.preferred.back();
            tradeoff.conflict = tradeoff.conflict || tradeoff.preferred.back() != first;
        }
        tradeoffs.push_back(tradeoff);
    }
    return tradeoffs;
}

GreyAnalysis GreyOf(const Analysis& analysis, const CombinedResult& result, double zeta,
                    GreyFrom from) {
    std::vector<std::vector<double>> runValues;
    std::vector<double> weights, targets;
    std::vector<Aim> aims;
    for (const CombinedResponse& response : result.responses) {
        if (response.dynamic) continue;
        const ResponseResult& q = analysis.responses[response.response];
        runValues.emplace_back();
        for (const RunFigures& run : q.runs)
            runValues.back().push_back(from == GreyFrom::Mean ? run.mean : run.sn);
        weights.push_back(response.importance);
        aims.push_back(from == GreyFrom::Mean ? AimOf(q.setting.kind) : Aim::Larger);
        targets.push_back(from == GreyFrom::Mean ? q.setting.target : kNaN);
    }
    const GreyGrades grades = GreyRelationalGrades(runValues, aims, targets, weights, zeta);
    GreyAnalysis grey;
    grey.from = from;
    grey.zeta = zeta;
    grey.normalised = grades.normalised;
    grey.coefficients = grades.coefficients;
    grey.grades = grades.grades;
    const LevelTable table = LevelTableOf(analysis.experiment, grades.grades, Statistic::SnRatio,
                                          ResponseSpec{SnKind::Larger, kNaN});
    grey.overall = table.overall;
    for (const LevelTable::Row& row : table.rows) {
        grey.levelGrades.push_back(row.levels);
        grey.best.push_back(row.best);
    }
    RunValues values;
    for (double grade : grades.grades)
        values.push_back({grade});
    const VerdictModel& verdict = analysis.model;
    grey.anova = AnalyzeResponse(verdict.layout, verdict.terms, values, PoolingChoice{});
    // A saturated design leaves the error nothing: the weakest terms are pooled by rule.
    if (!(grey.anova.table.Error().dof > 0.0))
        grey.anova = AnalyzeResponse(verdict.layout, verdict.terms, values,
                                     PoolingChoice{{}, PoolingRule::Auto});
    return grey;
}

void PredictEach(const Analysis& analysis, const LevelSearch& search, CombinedResult& result) {
    std::vector<double> predictions;
    const bool grey = result.method == CombineMethod::Grey;
    for (CombinedResponse& response : result.responses) {
        if (response.dynamic) {
            response.predicted.value = response.predicted.low = response.predicted.high = kNaN;
            response.predicted.halfWidth = kNaN;
            predictions.push_back(kNaN);
            continue;
        }
        response.predicted = PredictAt(
            analysis.model, analysis.responses[response.response].MeanModel(), result.levels);
        response.d = grey ? kNaN : ResponseDesirability(response, response.predicted.value);
        predictions.push_back(response.predicted.value);
        if (!std::isfinite(response.target)) continue;
        response.hasClosest = true;
        response.closestAt = LevelsOf(search.Slots(), search.ClosestAt(response.response));
        response.closest = PredictAt(
            analysis.model, analysis.responses[response.response].MeanModel(), response.closestAt);
        // Only the factors its prediction uses: the others may take any level.
        const std::vector<int>& used = response.closest.factors;
        response.closestAt.erase(
            std::remove_if(response.closestAt.begin(), response.closestAt.end(),
                           [&](const FactorLevel& at) {
                               return std::find(used.begin(), used.end(), at.factor) == used.end();
                           }),
            response.closestAt.end());
        response.targetReached =
            std::isfinite(response.closest.halfWidth) &&
            std::fabs(response.closest.value - response.target) <= response.closest.halfWidth;
    }
    result.desirability = grey ? kNaN : OverallOf(result, predictions);
}

}  // namespace

const char* CombinedSearchName(CombinedSearch search) {
    return search == CombinedSearch::Exhaustive ? "exhaustive" : "coordinate ascent";
}

double ResponseDesirability(const CombinedResponse& response, double y) {
    if (!response.included) return kNaN;
    return Desirability({response.aim, response.low, response.high, response.target,
                         response.weight, response.importance, response.weightAbove},
                        y);
}

double OverallOf(const CombinedResult& result, const std::vector<double>& predictions) {
    std::vector<double> d, importances;
    for (size_t r = 0; r < result.responses.size(); ++r) {
        if (!result.responses[r].included) continue;
        d.push_back(ResponseDesirability(result.responses[r], predictions[r]));
        importances.push_back(result.responses[r].importance);
    }
    return OverallDesirability(d, importances);
}

CombinedResult CombineResponses(const Analysis& analysis, const AnalysisSettings& settings) {
    CheckZeta(settings.zeta);
    CombinedResult result;
    result.method = settings.combine;
    const std::vector<int> levelCounts = LevelCountsOf(analysis);
    std::vector<PredictionFormula> models;
    for (size_t r = 0; r < analysis.responses.size(); ++r) {
        models.push_back(ModelOf(analysis.model, analysis.responses[r]));
        result.responses.push_back(ResponseOf(analysis, settings, static_cast<int>(r),
                                              RangeOf(models.back(), levelCounts)));
    }
    LevelSearch search(analysis, models, result);
    std::vector<int> level = search.Run();
    if (result.method == CombineMethod::Grey) result.ties = 0.0;  // a count of desirabilities
    const bool anyStatic =
        std::any_of(result.responses.begin(), result.responses.end(),
                    [](const CombinedResponse& response) { return !response.dynamic; });
    if (result.method == CombineMethod::Grey && anyStatic) {
        result.grey = GreyOf(analysis, result, settings.zeta, settings.greyFrom);
        for (int factor : search.Slots())
            level[factor] = result.grey.best[factor];
    }
    result.levels = LevelsOf(search.Slots(), level);
    if (result.method == CombineMethod::Grey && anyStatic)
        result.grey.prediction = PredictAt(analysis.model, result.grey.anova, result.levels);
    PredictEach(analysis, search, result);
    result.tradeoffs = TradeoffsOf(analysis, result);
    for (int factor : search.Slots()) {
        if (result.method == CombineMethod::Grey && anyStatic) {
            result.profile.push_back(result.grey.levelGrades[factor]);
            continue;
        }
        std::vector<double> row;
        std::vector<int> moved = level;
        for (int l = 0; l < search.LevelCount(factor); ++l) {
            moved[factor] = l;
            row.push_back(search.Overall(moved));
        }
        result.profile.push_back(row);
    }
    return result;
}

void Recombine(Analysis& analysis, const AnalysisSettings& settings) {
    if (analysis.responses.size() < 2) return;
    AnalysisSettings resolved = settings;
    std::vector<std::string> names;
    for (const ExperimentResponse& response : analysis.experiment.responses)
        names.push_back(response.name);
    ResolveResponses(resolved, names,
                     analysis.dataFile.empty() ? "the experiment" : analysis.dataFile);
    Experiment experiment = analysis.experiment;
    ApplyDesirabilitySettings(resolved, experiment);
    std::swap(experiment, analysis.experiment);
    try {
        analysis.combined = CombineResponses(analysis, resolved);
    } catch (...) {
        std::swap(experiment, analysis.experiment);
        throw;
    }
}

void ApplyDesirabilitySettings(const AnalysisSettings& settings, Experiment& experiment) {
    for (const DesirabilitySetting& setting : settings.desirability) {
        const int index = setting.response - 1;  // resolved with the settings
        ExperimentResponse& response = experiment.responses[index];
        response.low = Bound(setting.low, response.low);
        response.high = Bound(setting.high, response.high);
        response.weight = Bound(setting.weight, response.weight);
        response.importance = Bound(setting.importance, response.importance);
        try {
            CheckDesirability(response, index);
        } catch (const ExperimentFault& fault) {
            throw OptionError("--desirability",
                              FormatText("--desirability '%s': %s: %s", setting.text.c_str(),
                                         fault.field.c_str(), fault.what()));
        }
    }
}

}  // namespace qvrfc
