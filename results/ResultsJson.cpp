#include "results/ResultsJson.h"

#include <cmath>
#include <nlohmann/json.hpp>

#include "experiment/ArrayChoice.h"
#include "experiment/FileWriting.h"
#include "results/VerdictReport.h"

namespace qvrfc {
namespace {

using json = nlohmann::ordered_json;
using Analyzer = CQVRFCDOEAnalyzer;

struct ResponseKind {
    const char* key;
    Analyzer::FACTOR_EFFECT_TYPE type;
};
const ResponseKind kTableKinds[] = {{"sn", Analyzer::FACTOR_EFFECT_SN_RATIO},
                                    {"mean", Analyzer::FACTOR_EFFECT_QUALITY},
                                    {"sd", Analyzer::FACTOR_EFFECT_STDEV}};
const ResponseKind kAnovaKinds[] = {{"sn", Analyzer::FACTOR_EFFECT_SN_RATIO},
                                    {"mean", Analyzer::FACTOR_EFFECT_QUALITY}};

json Number(double value) {
    return std::isfinite(value) ? json(value) : json(nullptr);
}

json LevelValue(const Factor& factor, int level) {
    if (factor.IsNumeric()) return factor.LevelValue(level);
    return factor.levels[level];
}

int FactorCount(const Experiment& experiment) {
    return static_cast<int>(experiment.factors.size());
}

json ExperimentPart(const Experiment& experiment) {
    json factors = json::array();
    for (const Factor& factor : experiment.factors) {
        json levels = json::array();
        for (size_t l = 0; l < factor.levels.size(); ++l)
            levels.push_back(LevelValue(factor, static_cast<int>(l)));
        factors.push_back({{"name", factor.name},
                           {"unit", factor.unit},
                           {"column", factor.column + 1},
                           {"levels", levels}});
    }
    json responses = json::array();
    for (const ExperimentResponse& response : experiment.responses)
        responses.push_back({{"name", response.name},
                             {"unit", response.unit},
                             {"sn", SnKindName(response.sn)},
                             {"target", Number(response.target)}});
    return {{"array", ArrayName(experiment.array)},
            {"runs", experiment.RunCount()},
            {"factors", factors},
            {"responses", responses}};
}

json Runs(const Analyzer& analyzer, int q) {
    json runs = json::array();
    for (int r = 0; r < analyzer.GetNoRun(); ++r)
        runs.push_back({{"run", r + 1},
                        {"mean", Number(analyzer.GetRunQualityValue(q, r))},
                        {"sd", Number(analyzer.GetRunStandardDeviation(q, r))},
                        {"sn", Number(analyzer.GetSNRatio(q, r))},
                        {"n", analyzer.GetRunNoQualityData(q, r)}});
    return runs;
}

// The level means of each factor, its effect (largest minus smallest level mean) and its rank
// among the experiment's factors (1 for the largest effect; equal effects share a rank).
json ResponseTable(const Experiment& experiment, const Analyzer& analyzer, int q,
                   Analyzer::FACTOR_EFFECT_TYPE type) {
    std::vector<double> deltas;
    for (int f = 0; f < FactorCount(experiment); ++f)
        deltas.push_back(analyzer.GetFactorEffect(q, f, type, 1));
    json table = json::object();
    for (int f = 0; f < FactorCount(experiment); ++f) {
        json levels = json::array();
        for (size_t l = 0; l < experiment.factors[f].levels.size(); ++l)
            levels.push_back(
                Number(analyzer.GetFactorLevelEffect(q, f, static_cast<int>(l), type)));
        int rank = 1;
        for (double other : deltas)
            rank += other > deltas[f] + 1e-9 ? 1 : 0;
        table[experiment.factors[f].name] = {
            {"levels", levels}, {"delta", Number(deltas[f])}, {"rank", rank}};
    }
    return table;
}

// The engine's ANOVA table; an F value and an error variance without error degrees of freedom
// do not exist and are null, where the engine shows 0.
json Anova(const Experiment& experiment, const Analyzer& analyzer, int q,
           Analyzer::FACTOR_EFFECT_TYPE type) {
    int errorDof = 0;
    const double errorSS = analyzer.GetErrorSumsOfSquares(q, errorDof, type);
    double errorSD = 0.0;
    double errorPercent = 0.0;
    const double errorMS =
        analyzer.GetErrorVariance(q, errorSS, errorDof, errorSD, errorPercent, type);
    json terms = json::array();
    for (int f = 0; f < FactorCount(experiment); ++f) {
        const bool pooled = analyzer.IsFactorPooled(q, f) == 1;
        int dof = 0;
        const double ss = analyzer.GetFactorSumsOfSquares(q, f, dof, type, 0);
        double fValue = 0.0;
        double percent = 0.0;
        const double ms = dof > 0 ? ss / dof : 0.0;
        analyzer.GetFactorVariance(q, f, ss, dof, errorMS, fValue, percent, type);
        terms.push_back({{"name", experiment.factors[f].name},
                         {"ss", Number(ss)},
                         {"dof", dof},
                         {"ms", Number(ms)},
                         {"f", pooled || errorDof == 0 ? json(nullptr) : Number(fValue)},
                         {"contribution", pooled ? json(nullptr) : Number(percent)},
                         {"pooled", pooled}});
    }
    int totalDof = 0;
    const double totalSS = analyzer.GetTotalSumsOfSquares(q, totalDof, type);
    return {{"terms", terms},
            {"error",
             {{"ss", Number(errorSS)},
              {"dof", errorDof},
              {"ms", errorDof == 0 ? json(nullptr) : Number(errorMS)},
              {"contribution", Number(errorPercent)}}},
            {"total", {{"ss", Number(totalSS)}, {"dof", totalDof}}}};
}

json Best(const Experiment& experiment, const Analyzer& analyzer, int q) {
    json best = json::object();
    for (int f = 0; f < FactorCount(experiment); ++f) {
        const int level =
            analyzer.GetLargestResponseControlFactorLevel(q, f, Analyzer::FACTOR_EFFECT_SN_RATIO);
        best[experiment.factors[f].name] = LevelValue(experiment.factors[f], level);
    }
    return best;
}

json Optional(const JsonNumber& value) {
    return value ? Number(*value) : json(nullptr);
}

// Degrees of freedom are whole numbers.
json Dof(double dof) {
    return static_cast<int>(std::lround(dof));
}

json SumOfSquares(const JsonSumOfSquares& part) {
    return {{"ss", Number(part.ss)}, {"dof", Dof(part.dof)}};
}

// The verdict's full ANOVA: p-values, pure sums of squares and their shares, the error in
// its parts, the total of every term and the error.
json VerdictAnova(const JsonAnova& anova) {
    json terms = json::array();
    for (const JsonAnovaTerm& term : anova.terms)
        terms.push_back({{"name", term.name},
                         {"ss", Number(term.ss)},
                         {"dof", term.dof},
                         {"ms", Optional(term.ms)},
                         {"f", Optional(term.f)},
                         {"p", Optional(term.p)},
                         {"pure_ss", Optional(term.pure_ss)},
                         {"contribution", Optional(term.contribution)},
                         {"pooled", term.pooled}});
    const JsonAnovaError& e = anova.error;
    return {{"terms", terms},
            {"error",
             {{"ss", Number(e.ss)},
              {"dof", Dof(e.dof)},
              {"ms", Optional(e.ms)},
              {"contribution", Optional(e.contribution)},
              {"parts",
               {{"residual", SumOfSquares(e.residual)},
                {"repetition", SumOfSquares(e.repetition)},
                {"pooled", SumOfSquares(e.pooled)}}}}},
            {"total", SumOfSquares(anova.total)}};
}

json Interval(const JsonPrediction& prediction) {
    return {{"predicted", Optional(prediction.predicted)},
            {"ci", json::array({Optional(prediction.low), Optional(prediction.high)})}};
}

// A level text of the verdict as results.json gives levels: a number for a numeric factor.
json LevelOfName(const Experiment& experiment, const std::string& name, const std::string& text) {
    for (const Factor& factor : experiment.factors) {
        if (factor.name == name && factor.LevelOf(text) >= 0)
            return LevelValue(factor, factor.LevelOf(text));
    }
    return text;
}

json Optimum(const Experiment& experiment, const JsonOptimum& optimum) {
    json levels = json::object();
    for (const auto& level : optimum.levels)
        levels[level.first] = LevelOfName(experiment, level.first, level.second);
    return {{"levels", levels},
            {"factors_used", optimum.factors_used},
            {"interactions_used", optimum.interactions_used},
            {"sn", Interval(optimum.sn)},
            {"mean", Interval(optimum.mean)},
            {"adjustment_factor",
             optimum.adjustment_factor ? json(*optimum.adjustment_factor) : json(nullptr)}};
}

json InteractionTablesPart(const Experiment& experiment,
                           const std::vector<JsonInteractionTable>& tables) {
    json part = json::array();
    for (const JsonInteractionTable& table : tables) {
        json rows = json::array();
        json columns = json::array();
        for (const std::string& level : table.row_levels)
            rows.push_back(LevelOfName(experiment, table.rows, level));
        for (const std::string& level : table.column_levels)
            columns.push_back(LevelOfName(experiment, table.columns, level));
        part.push_back({{"name", table.name},
                        {"rows", table.rows},
                        {"columns", table.columns},
                        {"row_levels", rows},
                        {"column_levels", columns},
                        {"mean", table.mean},
                        {"sn", table.sn}});
    }
    return part;
}

json ResponsePart(const Experiment& experiment, const Analyzer& analyzer, int q,
                  const JsonResponseVerdict* verdict) {
    json tables = json::object();
    for (const ResponseKind& kind : kTableKinds)
        tables[kind.key] = ResponseTable(experiment, analyzer, q, kind.type);
    json anova = json::object();
    if (verdict) {
        anova = {{"sn", VerdictAnova(verdict->sn)}, {"mean", VerdictAnova(verdict->mean)}};
    } else {
        for (const ResponseKind& kind : kAnovaKinds)
            anova[kind.key] = Anova(experiment, analyzer, q, kind.type);
    }
    const ExperimentResponse& response = experiment.responses[q];
    json part = {{"name", response.name},
                 {"sn", SnKindName(response.sn)},
                 {"runs", Runs(analyzer, q)},
                 {"response_tables", tables},
                 {"anova", anova},
                 {"best", Best(experiment, analyzer, q)}};
    if (verdict) {
        part["optimum"] = Optimum(experiment, verdict->optimum);
        part["interactions"] = InteractionTablesPart(experiment, verdict->interactions);
    }
    return part;
}

}  // namespace

LevelLabel ExperimentLevels(const Experiment& experiment) {
    return [factors = experiment.factors](int factor, int level) {
        return factors[static_cast<size_t>(factor)].levels[static_cast<size_t>(level)];
    };
}

std::string ResultsJsonText(const Experiment& experiment, const CQVRFCDOEAnalyzer& analyzer,
                            const Verdict* verdict) {
    std::vector<JsonResponseVerdict> verdicts;
    if (verdict) verdicts = VerdictJsonData(*verdict, ExperimentLevels(experiment));
    json responses = json::array();
    for (size_t q = 0; q < experiment.responses.size(); ++q)
        responses.push_back(ResponsePart(experiment, analyzer, static_cast<int>(q),
                                         q < verdicts.size() ? &verdicts[q] : nullptr));
    const json results = {{"experiment", ExperimentPart(experiment)}, {"responses", responses}};
    return results.dump(2) + "\n";
}

void WriteResultsJson(const Experiment& experiment, const CQVRFCDOEAnalyzer& analyzer,
                      const std::string& path, const Verdict* verdict) {
    WriteWholeFile(path, ResultsJsonText(experiment, analyzer, verdict));
}

}  // namespace qvrfc
