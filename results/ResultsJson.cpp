#include "qvrfc/results/ResultsJson.h"

#include <cmath>
#include <nlohmann/json.hpp>

#include "qvrfc/experiment/ArrayChoice.h"
#include "results/CombinedText.h"

namespace qvrfc {
namespace {

using json = nlohmann::ordered_json;

json Number(double value) {
    return std::isfinite(value) ? json(value) : json(nullptr);
}

json LevelValue(const Factor& factor, int level) {
    if (level < 0 || level >= static_cast<int>(factor.levels.size())) return nullptr;
    if (factor.IsNumeric()) return factor.LevelValue(level);
    return factor.levels[level];
}

json NoiseLevels(const NoiseFactor& noise) {
    json levels = json::array();
    for (const std::string& level : noise.levels)
        levels.push_back(level);
    return levels;
}

json Levels(const Factor& factor) {
    json levels = json::array();
    for (size_t l = 0; l < factor.levels.size(); ++l)
        levels.push_back(LevelValue(factor, static_cast<int>(l)));
    return levels;
}

json ExperimentPart(const Experiment& experiment) {
    json factors = json::array();
    for (const Factor& factor : experiment.factors)
        factors.push_back({{"name", factor.name},
                           {"unit", factor.unit},
                           {"column", factor.column + 1},
                           {"levels", Levels(factor)}});
    json responses = json::array();
    for (const ExperimentResponse& response : experiment.responses)
        responses.push_back({{"name", response.name},
                             {"unit", response.unit},
                             {"sn", response.KindName()},
                             {"target", Number(response.target)}});
    json noise = json::array();
    for (const NoiseFactor& factor : experiment.noise)
        noise.push_back({{"name", factor.name}, {"levels", NoiseLevels(factor)}});
    const OA_TYPE outer = OuterArrayUsed(experiment);
    return {{"array", ArrayName(experiment.array)},
            {"runs", experiment.RunCount()},
            {"factors", factors},
            {"responses", responses},
            {"noise", noise},
            {"outer", outer == CQVRFCDOETaguchiOrthogonalArray::OA_UNDEFINED
                          ? (experiment.noise.empty() ? json(nullptr) : json("full"))
                          : json(ArrayName(outer))},
            {"noise_conditions", static_cast<int>(NoiseConditions(experiment).size())},
            {"signal", experiment.signal ? json({{"name", experiment.signal->name},
                                                 {"unit", experiment.signal->unit},
                                                 {"levels", Levels(*experiment.signal)}})
                                         : json(nullptr)}};
}

// Taguchi's decomposition of a dynamic run: S_T = S_beta + S_NxBeta + S_e.
void AddDecomposition(const DynamicRun& run, json& part) {
    json betas = json::array();
    for (double beta : run.betaByNoise)
        betas.push_back(Number(beta));
    part["s_t"] = Number(run.sT);
    part["s_beta"] = Number(run.sBeta);
    part["s_n_beta"] = Number(run.sNBeta);
    part["s_e"] = Number(run.sE);
    part["v_e"] = Number(run.veWithin);
    part["v_n"] = Number(run.vN);
    part["beta_by_noise"] = betas;
    part["linearity_p"] = Number(run.linearityP);
}

json Runs(const ResponseResult& response) {
    json runs = json::array();
    for (size_t r = 0; r < response.runs.size(); ++r) {
        const RunFigures& run = response.runs[r];
        runs.push_back({{"run", r + 1},
                        {"mean", Number(run.mean)},
                        {"sd", Number(run.sd)},
                        {"sn", Number(run.sn)},
                        {"n", run.n}});
        if (r < response.dynamic.size()) {
            const DynamicRun& dynamic = response.dynamic[r];
            runs.back()["beta"] = Number(dynamic.beta);
            runs.back()["sensitivity"] = Number(dynamic.sensitivity);
            if (std::isfinite(dynamic.alpha)) runs.back()["alpha"] = dynamic.alpha;
            AddDecomposition(dynamic, runs.back());
        }
    }
    return runs;
}

json Table(const Experiment& experiment, const LevelTable& table) {
    json part = json::object();
    for (size_t f = 0; f < table.rows.size(); ++f) {
        const LevelTable::Row& row = table.rows[f];
        json levels = json::array();
        for (double mean : row.levels)
            levels.push_back(Number(mean));
        part[experiment.factors[f].name] = {{"levels", levels},
                                            {"delta", Number(row.delta)},
                                            {"rank", row.rank},
                                            {"best", LevelValue(experiment.factors[f], row.best)}};
    }
    return part;
}

// Degrees of freedom: a whole number as an integer, Lenth's fraction as it is.
json Dof(double dof) {
    return dof == std::floor(dof) ? json(static_cast<long long>(dof)) : Number(dof);
}

json SumOfSquares(const AnovaRow& row) {
    return {{"ss", Number(row.ss)}, {"dof", Dof(row.dof)}};
}

// The table's rows in results.json's shape: the terms, the error with its parts, the total.
json Anova(const ResponseAnalysis& anova) {
    const AnovaTable& table = anova.table;
    json terms = json::array();
    for (size_t t = 0; t < table.TermCount(); ++t) {
        const AnovaRow& term = table.Term(t);
        terms.push_back({{"name", term.name},
                         {"ss", Number(term.ss)},
                         {"dof", Dof(term.dof)},
                         {"ms", Number(term.ms)},
                         {"f", Number(term.f)},
                         {"p", Number(term.p)},
                         {"pure_ss", Number(term.pureSS)},
                         {"contribution", Number(term.contribution)},
                         {"pooled", term.Pooled()}});
    }
    json error = SumOfSquares(table.Error());
    error["ms"] = Number(table.Error().ms);
    error["contribution"] = Number(table.Error().contribution);
    error["parts"] = json::object();
    for (const AnovaTable::Part part :
         {AnovaTable::Residual, AnovaTable::Repetition, AnovaTable::Pooled})
        error["parts"][table.ErrorPart(part).name] = SumOfSquares(table.ErrorPart(part));
    return {{"terms", terms}, {"error", error}, {"total", SumOfSquares(table.Total())}};
}

json FactorNames(const Experiment& experiment, const std::vector<int>& factors) {
    json names = json::array();
    for (int f : factors)
        names.push_back(experiment.factors[f].name);
    return names;
}

json TermNames(const VerdictModel& verdict, const std::vector<int>& terms) {
    json names = json::array();
    for (int t : terms)
        names.push_back(verdict.terms[t].name);
    return names;
}

json PredictionPart(const Analysis& analysis, const Prediction& p) {
    const bool interval = std::isfinite(p.halfWidth);
    return {{"predicted", Number(p.value)},
            {"ci", json::array({interval ? Number(p.low) : json(nullptr),
                                interval ? Number(p.high) : json(nullptr)})},
            {"factors_used", FactorNames(analysis.experiment, p.factors)},
            {"interactions_used", TermNames(analysis.model, p.interactions)},
            {"n_eff", Number(p.effectiveCount)},
            {"warning", p.warning.empty() ? json(nullptr) : json(p.warning)}};
}

json OptimumPart(const Analysis& analysis, const ResponseResult& response, const char* mean) {
    const Optimum& optimum = response.optimum;
    json levels = json::object();
    for (const FactorLevel& at : optimum.levels)
        levels[analysis.experiment.factors[at.factor].name] =
            at.factor == optimum.betweenFactor
                ? json(optimum.betweenValue)
                : LevelValue(analysis.experiment.factors[at.factor], at.level);
    return {
        {"levels", levels},
        {"factors_used", FactorNames(analysis.experiment, optimum.factorsUsed)},
        {"interactions_used", TermNames(analysis.model, optimum.interactionsUsed)},
        {"sn", PredictionPart(analysis, optimum.sn)},
        {mean, PredictionPart(analysis, optimum.mean)},
        {"mean_from", response.meanOfControls ? "noise_model" : mean},
        {"adjustment_factor", optimum.adjustmentFactor >= 0
                                  ? json(analysis.experiment.factors[optimum.adjustmentFactor].name)
                                  : json(nullptr)}};
}

json InteractionsPart(const Analysis& analysis, const ResponseResult& response) {
    const Experiment& experiment = analysis.experiment;
    json part = json::array();
    for (const InteractionTable& table : response.interactions) {
        json rows = json::array(), columns = json::array();
        for (size_t i = 0; i < table.mean.size(); ++i)
            rows.push_back(LevelValue(experiment.factors[table.first], int(i)));
        for (size_t j = 0; j < table.mean[0].size(); ++j)
            columns.push_back(LevelValue(experiment.factors[table.second], int(j)));
        part.push_back({{"name", table.name},
                        {"rows", experiment.factors[table.first].name},
                        {"columns", experiment.factors[table.second].name},
                        {"row_levels", rows},
                        {"column_levels", columns},
                        {"mean", table.mean},
                        {"sn", table.sn}});
    }
    return part;
}

json NoiseTablesPart(const Experiment& experiment, const NoiseModel& model) {
    json tables = json::array();
    for (const NoiseTable& table : model.tables) {
        const Factor& factor = experiment.factors[table.control];
        json rows = json::array();
        for (size_t i = 0; i < table.mean.size(); ++i)
            rows.push_back(LevelValue(factor, int(i)));
        tables.push_back({{"name", table.name},
                          {"factor", factor.name},
                          {"noise", experiment.noise[table.noise].name},
                          {"levels", rows},
                          {"noise_levels", NoiseLevels(experiment.noise[table.noise])},
                          {"mean", table.mean}});
    }
    return tables;
}

json DampersPart(const Experiment& experiment, const NoiseModel& model) {
    json dampers = json::array();
    for (const Damper& damper : model.dampers) {
        const Factor& factor = experiment.factors[damper.control];
        json effects = json::object();
        for (size_t l = 0; l < damper.effect.size(); ++l)
            effects[factor.levels[l]] = Number(damper.effect[l]);
        dampers.push_back({{"factor", factor.name},
                           {"noise", experiment.noise[damper.noise].name},
                           {"p", Number(damper.p)},
                           {"p_adjusted", Number(damper.pAdjusted)},
                           {"contribution", Number(damper.contribution)},
                           {"effect", damper.range ? "range" : "high minus low"},
                           {"effect_by_level", effects},
                           {"best_level", LevelValue(factor, damper.dampingLevel)}});
    }
    return dampers;
}

json NoiseRangePart(const Experiment& experiment, const NoiseRange& range) {
    json levels = json::object();
    for (size_t f = 0; f < range.levels.size() && f < experiment.factors.size(); ++f)
        levels[experiment.factors[f].name] = LevelValue(experiment.factors[f], range.levels[f]);
    json byCondition = json::array();
    for (double value : range.byCondition)
        byCondition.push_back(Number(value));
    return {
        {"levels", levels}, {"noise_range", Number(range.range)}, {"by_condition", byCondition}};
}

json RobustnessPart(const Experiment& experiment, const NoiseModel& model) {
    if (!model.robustness) return nullptr;
    return {{"optimum", NoiseRangePart(experiment, model.robustness->optimum)},
            {"worst", NoiseRangePart(experiment, model.robustness->worst)},
            {"average", NoiseRangePart(experiment, model.robustness->average)}};
}

json NoiseModelPart(const Experiment& experiment, const ResponseResult& response) {
    if (!response.noise) return nullptr;
    return {{"anova", Anova(response.noise->anova)},
            {"tables", NoiseTablesPart(experiment, *response.noise)},
            {"dampers", DampersPart(experiment, *response.noise)},
            {"tests", response.noise->tests},
            {"testable", response.noise->Testable()},
            {"robustness", RobustnessPart(experiment, *response.noise)}};
}

json PoolingAdvicePart(const Analysis& analysis, const ResponseResult& response) {
    json parts = json::array();
    for (const PoolingAdvice& advice : response.poolingAdvice) {
        json kept = json::array();
        for (const PoolingAdvice::Kept& k : advice.kept)
            kept.push_back({{"term", analysis.model.terms[k.term].name},
                            {"significant_in", k.significantIn},
                            {"p", Number(k.p)}});
        parts.push_back({{"anova", advice.anova},
                         {"weak", TermNames(analysis.model, advice.weak)},
                         {"advised", TermNames(analysis.model, advice.advised)},
                         {"kept", kept}});
    }
    return parts;
}

json PoolingPart(const Analysis& analysis, const ResponseResult& q) {
    const char* rule = q.pooling.rule == PoolingRule::Auto    ? "auto"
                       : q.pooling.rule == PoolingRule::Lenth ? "lenth"
                                                              : nullptr;
    return {{"by_hand", TermNames(analysis.model, q.pooling.byHand)},
            {"rule", rule ? json(rule) : json(nullptr)}};
}

json ResponsePart(const Analysis& analysis, size_t index) {
    const Experiment& experiment = analysis.experiment;
    const ResponseResult& response = analysis.responses[index];
    const ResponseResult& q = response;
    // A dynamic response's slope and sensitivity take the places of the mean and the deviation.
    const bool dynamic = q.setting.dynamic.has_value();
    json shortRuns = json::array();
    for (int r : response.shortRuns)
        shortRuns.push_back(r + 1);
    json best = json::object();
    for (size_t f = 0; f < experiment.factors.size(); ++f)
        best[experiment.factors[f].name] =
            LevelValue(experiment.factors[f], response.sn.rows[f].best);
    return {
        {"name", experiment.responses[index].name},
        {"sn", experiment.responses[index].KindName()},
        {"runs", Runs(response)},
        {"short_runs", shortRuns},
        {"response_tables",
         {{"sn", Table(experiment, response.sn)},
          {dynamic ? "beta" : "mean", Table(experiment, response.mean)},
          {dynamic ? "sensitivity" : "sd", Table(experiment, response.sd)},
          {"log_variance", q.logVariance ? Table(experiment, q.logVarianceTable) : json(nullptr)}}},
        {"anova",
         {{"sn", Anova(q.snAnova)},
          {dynamic ? "beta" : "mean", Anova(q.meanAnova)},
          {"log_variance", q.logVariance ? Anova(*q.logVariance) : json(nullptr)}}},
        {"pooling", PoolingPart(analysis, q)},
        {"weak_terms", TermNames(analysis.model, response.weakTerms)},
        {"pooling_advice", PoolingAdvicePart(analysis, response)},
        {"best", best},
        {"optimum", OptimumPart(analysis, q, dynamic ? "beta" : "mean")},
        {"interactions", InteractionsPart(analysis, response)},
        {"noise_model", NoiseModelPart(experiment, response)},
        {"noise_model_refused",
         response.noiseRefused.empty() ? json(nullptr) : json(response.noiseRefused)}};
}

json CombinedResponsesPart(const Analysis& analysis, const CombinedResult& result) {
    json responses = json::array();
    for (const CombinedResponse& r : result.responses) {
        json part = PredictionPart(analysis, r.predicted);
        json entry = {
            {"name", r.name},       {"predicted", part["predicted"]}, {"ci", part["ci"]},
            {"low", Number(r.low)}, {"high", Number(r.high)},         {"target", Number(r.target)},
            {"weight", r.weight},   {"importance", r.importance},     {"d", Number(r.d)}};
        entry["weight_above"] = Number(r.weightAbove);
        if (r.dynamic) entry["ci"] = nullptr;
        // A static nominal response with a target: whether its target is reached (null when
        // no interval can tell) and the prediction nearest it; null for the others.
        entry["target_reached"] = nullptr;
        entry["closest"] = nullptr;
        if (r.hasClosest) {
            json closest = json::object();
            for (const FactorLevel& at : r.closestAt)
                closest[analysis.experiment.factors[at.factor].name] =
                    LevelValue(analysis.experiment.factors[at.factor], at.level);
            if (std::isfinite(r.closest.halfWidth)) entry["target_reached"] = r.targetReached;
            entry["closest"] = {{"levels", closest},
                                {"predicted", Number(r.closest.value)},
                                {"ci", PredictionPart(analysis, r.closest)["ci"]}};
        }
        entry["dynamic"] = r.dynamic;
        entry["low_given"] = r.included ? json(r.lowGiven) : json(nullptr);
        entry["high_given"] = r.included ? json(r.highGiven) : json(nullptr);
        responses.push_back(entry);
    }
    return responses;
}

json TradeoffsPart(const Analysis& analysis, const CombinedResult& result) {
    json tradeoffs = json::array();
    for (const Tradeoff& t : result.tradeoffs) {
        const Factor& factor = analysis.experiment.factors[t.factor];
        json preferred = json::object(), contribution = json::object();
        for (size_t r = 0; r < t.preferred.size(); ++r) {
            preferred[result.responses[r].name] = LevelValue(factor, t.preferred[r]);
            contribution[result.responses[r].name] = Number(t.contribution[r]);
        }
        tradeoffs.push_back({{"factor", factor.name},
                             {"preferred", preferred},
                             {"contribution", contribution},
                             {"chosen", LevelValue(factor, t.chosen)},
                             {"conflict", t.conflict}});
    }
    return tradeoffs;
}

json CombinedPart(const Analysis& analysis) {
    if (!analysis.combined) return nullptr;
    const CombinedResult& result = *analysis.combined;
    json levels = json::object();
    for (const FactorLevel& at : result.levels)
        levels[analysis.experiment.factors[at.factor].name] =
            LevelValue(analysis.experiment.factors[at.factor], at.level);
    json part = {{"method", CombineMethodName(result.method)},
                 {"levels", levels},
                 {"desirability", Number(result.desirability)},
                 {"responses", CombinedResponsesPart(analysis, result)},
                 {"tradeoffs", TradeoffsPart(analysis, result)},
                 {"search", CombinedSearchName(result.search)},
                 {"combinations", result.combinations},
                 {"ties", result.ties > 0.0 ? json(result.ties) : json(nullptr)}};
    if (result.method == CombineMethod::Grey && !result.grey.grades.empty()) {
        part["zeta"] = result.grey.zeta;
        part["grades"] = result.grey.grades;
        part["grade_table"] = json::object();
        for (const Tradeoff& t : result.tradeoffs) {
            const Factor& factor = analysis.experiment.factors[t.factor];
            part["grade_table"][factor.name] = {
                {"levels", result.grey.levelGrades[t.factor]},
                {"best", LevelValue(factor, result.grey.best[t.factor])}};
        }
        part["grade_anova"] = Anova(result.grey.anova);
        json coefficients = json::object();
        size_t row = 0;
        for (const CombinedResponse& r : result.responses)
            if (!r.dynamic && row < result.grey.coefficients.size())
                coefficients[r.name] = result.grey.coefficients[row++];
        part["grey"] = {{"from", result.grey.from == GreyFrom::Mean ? "mean" : "sn"},
                        {"coefficients", coefficients}};
        part["prediction"] = PredictionPart(analysis, result.grey.prediction);
    }
    return part;
}

}  // namespace

std::string ResultsJsonText(const Analysis& analysis) {
    json responses = json::array();
    for (size_t r = 0; r < analysis.responses.size(); ++r)
        responses.push_back(ResponsePart(analysis, r));
    const json results = {{"experiment", ExperimentPart(analysis.experiment)},
                          {"responses", responses},
                          {"combined", CombinedPart(analysis)}};
    return results.dump(2) + "\n";
}

std::string PredictionJsonText(const Analysis& analysis, const Prediction& prediction) {
    return PredictionPart(analysis, prediction).dump();
}

std::string ConfirmationJsonText(const Analysis& analysis, const Confirmation& confirmation) {
    const json part = {{"mean", Number(confirmation.mean)},
                       {"sn", Number(confirmation.sn)},
                       {"mean_interval", PredictionPart(analysis, confirmation.meanInterval)},
                       {"sn_interval", PredictionPart(analysis, confirmation.snInterval)},
                       {"mean_inside", confirmation.meanInside},
                       {"sn_inside", confirmation.snInside}};
    return part.dump();
}

}  // namespace qvrfc
