// The figures of each response beside its verdict: run figures, response tables with the
// levels each aim prefers, and the flags the outputs show.
#include <algorithm>
#include <cmath>
#include <limits>

#include "analysis/AnalysisParts.h"
#include "qvrfc/common/QVRFCError.h"

namespace qvrfc {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::vector<RunFigures> RunsOf(const ResponseVerdict& verdict) {
    std::vector<RunFigures> runs;
    for (size_t r = 0; r < verdict.runSummaries.size(); ++r) {
        const RunSummary& run = verdict.runSummaries[r];
        RunFigures figures;
        figures.n = run.Count();
        figures.mean = run.Sum() / run.Count();
        figures.sd = run.Count() > 1 ? std::sqrt(run.Within() / (run.Count() - 1)) : kNaN;
        figures.sn = verdict.runSn[r];
        runs.push_back(figures);
    }
    return runs;
}

// The level each aim prefers among a row's level means; -1 for none.
int BestLevel(const std::vector<double>& means, Statistic statistic, const ResponseSpec& setting) {
    const Aim aim = setting.MeanAim();
    if (statistic == Statistic::Sensitivity) return -1;  // neither more nor less is better
    const bool mean = statistic == Statistic::Mean || statistic == Statistic::Slope;
    if (mean && aim == Aim::Nominal && !setting.HasTarget()) return -1;
    int best = -1;
    for (size_t l = 0; l < means.size(); ++l) {
        if (!std::isfinite(means[l])) continue;
        const auto score = [&](double mean) {
            if (statistic == Statistic::SnRatio) return mean;
            if (statistic == Statistic::StandardDeviation || statistic == Statistic::LogVariance)
                return -mean;
            if (aim == Aim::Nominal) return -std::fabs(mean - setting.target);
            return aim == Aim::Larger ? mean : -mean;
        };
        if (best < 0 || score(means[l]) > score(means[best])) best = static_cast<int>(l);
    }
    return best;
}

// The mean of a per-run value at each level of each factor, with Delta, rank and best level.
LevelTable TableOf(const Experiment& experiment, const std::vector<double>& values,
                   Statistic statistic, const ResponseSpec& setting) {
    LevelTable table;
    table.statistic = statistic;
    double sum = 0.0;
    int counted = 0;
    for (double value : values) {
        if (std::isnan(value)) continue;
        sum += value;
        ++counted;
    }
    table.overall = counted > 0 ? sum / counted : kNaN;
    for (size_t f = 0; f < experiment.factors.size(); ++f) {
        const size_t levels = experiment.factors[f].levels.size();
        std::vector<double> sums(levels, 0.0), counts(levels, 0.0);
        for (size_t r = 0; r < values.size(); ++r) {
            const int level = experiment.Level(static_cast<int>(r), static_cast<int>(f));
            if (level < 0 || level >= static_cast<int>(levels) || std::isnan(values[r])) continue;
            sums[level] += values[r];
            counts[level] += 1.0;
        }
        LevelTable::Row row;
        for (size_t l = 0; l < levels; ++l)
            row.levels.push_back(counts[l] > 0.0 ? sums[l] / counts[l] : kNaN);
        const auto [low, high] = std::minmax_element(row.levels.begin(), row.levels.end());
        row.delta = *high - *low;
        row.best = BestLevel(row.levels, statistic, setting);
        table.rows.push_back(row);
    }
    for (LevelTable::Row& row : table.rows) {
        row.rank = 1;
        for (const LevelTable::Row& other : table.rows)
            row.rank += other.delta > row.delta + 1e-9 ? 1 : 0;
    }
    return table;
}

std::vector<int> WeakTerms(const ResponseVerdict& verdict) {
    std::vector<int> weak;
    for (size_t t = 0; t < verdict.snAnova.table.TermCount(); ++t) {
        const AnovaRow& sn = verdict.snAnova.table.Term(t);
        const AnovaRow& mean = verdict.meanAnova.table.Term(t);
        if ((!sn.Pooled() && sn.f < 1.0) || (!mean.Pooled() && mean.f < 1.0))
            weak.push_back(static_cast<int>(t));
    }
    return weak;
}

// The p of a term in another ANOVA of the response when it is significant there.
struct Significance {
    std::string anova;
    double p = kNaN;
};

// Where else the term is significant: the other ANOVA of the verdict, or the noise model
// (whose control terms carry the verdict's names).
Significance SignificantElsewhere(const VerdictModel& model, const ResponseResult& response,
                                  const std::string& other, const AnovaTable& otherTable,
                                  size_t term) {
    const AnovaRow& row = otherTable.Term(term);
    if (!row.Pooled() && row.p < model.alpha) return {other, row.p};
    if (!response.noise) return {};
    const AnovaTable& noise = response.noise->anova.table;
    for (size_t t = 0; t < noise.TermCount(); ++t) {
        if (noise.Term(t).name == model.terms[term].name && noise.Term(t).p < model.alpha)
            return {"noise_model", noise.Term(t).p};
    }
    return {};
}

PoolingAdvice AdviceOf(const VerdictModel& model, const ResponseResult& response, bool sn) {
    const bool dynamic = response.setting.dynamic.has_value();
    const std::string own = sn ? "sn" : (dynamic ? "beta" : "mean");
    const std::string other = sn ? (dynamic ? "beta" : "mean") : "sn";
    const AnovaTable& table = sn ? response.snAnova.table : response.meanAnova.table;
    const AnovaTable& otherTable = sn ? response.meanAnova.table : response.snAnova.table;
    PoolingAdvice advice;
    advice.anova = own;
    for (size_t t = 0; t < table.TermCount(); ++t) {
        const AnovaRow& row = table.Term(t);
        if (row.Pooled() || !(row.f < 1.0)) continue;
        advice.weak.push_back(static_cast<int>(t));
        const Significance elsewhere = SignificantElsewhere(model, response, other, otherTable, t);
        if (elsewhere.anova.empty())
            advice.advised.push_back(static_cast<int>(t));
        else
            advice.kept.push_back({static_cast<int>(t), elsewhere.anova, elsewhere.p});
    }
    return advice;
}

// R's names of the polynomial contrasts: .L, .Q, .C, ^4, ^5, ...
std::string ContrastSuffix(size_t degree) {
    static const char* const names[] = {".L", ".Q", ".C"};
    return degree <= 3 ? names[degree - 1] : "^" + std::to_string(degree);
}

std::vector<std::pair<std::string, double>> SingleDegreeEffects(const VerdictModel& model,
                                                                const ResponseVerdict& q) {
    std::vector<std::pair<std::string, double>> effects;
    const AnovaTable& table = q.snAnova.table;
    if (table.ErrorPart(AnovaTable::Residual).dof != 0 ||
        table.ErrorPart(AnovaTable::Repetition).dof != 0)
        return effects;
    for (size_t t = 0; t < model.terms.size(); ++t) {
        const std::vector<double>& means = q.snAnova.levelMeans[t];
        if (means.empty()) return {};  // an interaction: the main effects do not saturate
        const int k = static_cast<int>(means.size());
        const std::vector<std::vector<double>> contrasts = PolynomialContrasts(k);
        for (size_t c = 0; c < contrasts.size(); ++c) {
            double effect = 0.0;
            for (int l = 0; l < k; ++l)
                effect += contrasts[c][l] * means[l];
            const std::string& name = model.terms[t].name;
            effects.emplace_back(k == 2 ? name : name + ContrastSuffix(c + 1),
                                 effect * 2.0 / std::sqrt(static_cast<double>(k)));
        }
    }
    return effects;
}

// The ANOVA of each run's ln s^2 and its table, built as the S/N ratio's, when every run has
// a variance above zero.
void FillLogVariance(const Analysis& analysis, ResponseResult& result) {
    if (result.setting.dynamic) return;
    RunValues values;
    std::vector<double> logs;
    for (const RunFigures& run : result.runs) {
        if (run.n < 2 || !(run.sd > 0.0)) return;
        logs.push_back(std::log(run.sd * run.sd));
        values.push_back({logs.back()});
    }
    try {
        result.logVariance =
            AnalyzeResponse(analysis.model.layout, analysis.model.terms, values, result.pooling);
    } catch (const Error&) {
        return;  // the S/N ratio's ANOVA on the same layout says why
    }
    result.logVarianceTable =
        TableOf(analysis.experiment, logs, Statistic::LogVariance, result.setting);
}

ResponseResult ResultOf(const Analysis& analysis, ResponseVerdict verdict, bool snChosen,
                        const std::vector<DynamicRun>& dynamic) {
    ResponseResult result;
    static_cast<ResponseVerdict&>(result) = std::move(verdict);
    result.snChosen = snChosen;
    result.runs = RunsOf(result);
    std::vector<double> means, sds, sns;
    for (const RunFigures& run : result.runs) {
        result.observations += run.n;
        result.mostPerRun = std::max(result.mostPerRun, run.n);
        means.push_back(run.mean);
        sds.push_back(run.sd);
        sns.push_back(run.sn);
    }
    for (size_t r = 0; r < result.runs.size(); ++r) {
        if (result.runs[r].n < result.mostPerRun) result.shortRuns.push_back(static_cast<int>(r));
    }
    const ResponseSpec& setting = result.setting;
    result.sn = TableOf(analysis.experiment, sns, Statistic::SnRatio, setting);
    if (setting.dynamic) {
        std::vector<double> betas, sensitivities;
        result.dynamic = dynamic;
        for (const DynamicRun& run : dynamic) {
            betas.push_back(run.beta);
            sensitivities.push_back(run.sensitivity);
        }
        result.mean = TableOf(analysis.experiment, betas, Statistic::Slope, setting);
        result.sd = TableOf(analysis.experiment, sensitivities, Statistic::Sensitivity, setting);
    } else {
        result.mean = TableOf(analysis.experiment, means, Statistic::Mean, setting);
        result.sd = TableOf(analysis.experiment, sds, Statistic::StandardDeviation, setting);
    }
    // The tables' best level of an adjustment factor is the level the two steps chose.
    for (const FactorLevel& at : result.optimum.levels) {
        const std::vector<int>& adjusters = result.optimum.adjustmentFactors;
        if (std::find(adjusters.begin(), adjusters.end(), at.factor) != adjusters.end() &&
            at.factor < static_cast<int>(result.mean.rows.size()))
            result.mean.rows[at.factor].best = at.level;
    }
    result.interactions = InteractionTables(analysis.model, result);
    result.weakTerms = WeakTerms(result);
    result.effects = SingleDegreeEffects(analysis.model, result);
    FillLogVariance(analysis, result);
    return result;
}

}  // namespace

LevelTable LevelTableOf(const Experiment& experiment, const std::vector<double>& values,
                        Statistic statistic, const ResponseSpec& setting) {
    return TableOf(experiment, values, statistic, setting);
}

const char* StatisticTitle(Statistic statistic) {
    switch (statistic) {
        case Statistic::SnRatio:
            return "S/N ratio (dB)";
        case Statistic::Mean:
            return "Mean";
        case Statistic::Slope:
            return "Slope (beta)";
        case Statistic::Sensitivity:
            return "Sensitivity (dB)";
        case Statistic::LogVariance:
            return "ln s^2";
        case Statistic::StandardDeviation:
            break;
    }
    return "Standard deviation";
}

void FillResponses(Analysis& analysis, const AnalysisSettings& settings,
                   std::vector<ResponseVerdict> verdicts,
                   const std::vector<std::vector<DynamicRun>>& dynamic) {
    for (size_t q = 0; q < verdicts.size(); ++q) {
        const bool chosen =
            analysis.source == Source::RunSheet ||
            std::any_of(settings.sn.begin(), settings.sn.end(), [&](const SnSetting& setting) {
                return setting.response == static_cast<int>(q) + 1;
            });
        analysis.responses.push_back(
            ResultOf(analysis, std::move(verdicts[q]), chosen,
                     q < dynamic.size() ? dynamic[q] : std::vector<DynamicRun>()));
        analysis.observations += analysis.responses.back().observations;
    }
}

void FillPoolingAdvice(Analysis& analysis) {
    for (ResponseResult& response : analysis.responses)
        response.poolingAdvice = {AdviceOf(analysis.model, response, true),
                                  AdviceOf(analysis.model, response, false)};
}

}  // namespace qvrfc
