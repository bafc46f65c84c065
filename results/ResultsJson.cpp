#include "results/ResultsJson.h"

#include <cmath>
#include <nlohmann/json.hpp>

#include "experiment/ArrayChoice.h"
#include "experiment/FileWriting.h"

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
    for (const Response& response : experiment.responses)
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

json ResponsePart(const Experiment& experiment, const Analyzer& analyzer, int q) {
    json tables = json::object();
    for (const ResponseKind& kind : kTableKinds)
        tables[kind.key] = ResponseTable(experiment, analyzer, q, kind.type);
    json anova = json::object();
    for (const ResponseKind& kind : kAnovaKinds)
        anova[kind.key] = Anova(experiment, analyzer, q, kind.type);
    const Response& response = experiment.responses[q];
    return {{"name", response.name},
            {"sn", SnKindName(response.sn)},
            {"runs", Runs(analyzer, q)},
            {"response_tables", tables},
            {"anova", anova},
            {"best", Best(experiment, analyzer, q)}};
}

}  // namespace

std::string ResultsJsonText(const Experiment& experiment, const CQVRFCDOEAnalyzer& analyzer) {
    json responses = json::array();
    for (size_t q = 0; q < experiment.responses.size(); ++q)
        responses.push_back(ResponsePart(experiment, analyzer, static_cast<int>(q)));
    const json results = {{"experiment", ExperimentPart(experiment)}, {"responses", responses}};
    return results.dump(2) + "\n";
}

void WriteResultsJson(const Experiment& experiment, const CQVRFCDOEAnalyzer& analyzer,
                      const std::string& path) {
    WriteWholeFile(path, ResultsJsonText(experiment, analyzer));
}

}  // namespace qvrfc
