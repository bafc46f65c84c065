#include "results/HtmlInteractive.h"

#include <cmath>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "qvrfc/common/QVRFCTextFormat.h"
#include "qvrfc/experiment/Design.h"
#include "qvrfc/experiment/ExperimentFile.h"
#include "results/PageModule.h"

namespace qvrfc {
namespace {

using json = nlohmann::json;

// The engine keeps a missing observation as a number above this.
constexpr double kMissing = 1e12;

std::string Exact(double value) {
    return FormatText("%.17g", value);
}

std::string TermNames(const Analysis& analysis, const std::vector<int>& terms) {
    std::string names;
    for (const int t : terms)
        names += (names.empty() ? "" : ",") + analysis.model.terms[t].name;
    return names;
}

// The --pool texts of a response's pooling.
void PoolOptions(const Analysis& analysis, const ResponseResult& q, json& pool) {
    if (!q.pooling.byHand.empty())
        pool.push_back(q.name + "=" + TermNames(analysis, q.pooling.byHand));
    if (q.pooling.rule == PoolingRule::Auto) pool.push_back(q.name + "=auto");
    if (q.pooling.rule == PoolingRule::Lenth) pool.push_back(q.name + "=lenth");
}

bool Declared(const Experiment& experiment, int first, int second) {
    for (const FactorPair& pair : experiment.interactions)
        if ((pair.first == first && pair.second == second) ||
            (pair.first == second && pair.second == first))
            return true;
    return false;
}

// The --interaction texts of interactions the experiment file does not declare.
json InteractionOptions(const Analysis& analysis) {
    json interactions = json::array();
    for (const ModelTerm& term : analysis.model.terms) {
        if (term.factors.size() != 2 ||
            Declared(analysis.experiment, term.factors[0], term.factors[1]))
            continue;
        interactions.push_back(analysis.experiment.factors[term.factors[0]].name + "*" +
                               analysis.experiment.factors[term.factors[1]].name);
    }
    return interactions;
}

// The --desirability texts of the combined result's bounds.
json DesirabilityOptions(const Analysis& analysis) {
    json desirability = json::array();
    if (!analysis.combined) return desirability;
    for (const CombinedResponse& r : analysis.combined->responses) {
        if (!r.included || r.dynamic) continue;
        std::string text =
            r.name + "=weight:" + Exact(r.weight) + ",importance:" + Exact(r.importance);
        if (r.lowGiven) text += ",low:" + Exact(r.low);
        if (r.highGiven) text += ",high:" + Exact(r.high);
        desirability.push_back(text);
    }
    return desirability;
}

json OptionsOf(const Analysis& analysis) {
    json pool = json::array();
    for (const ResponseResult& q : analysis.responses)
        PoolOptions(analysis, q, pool);
    json options = {{"pool", pool},
                    {"interactions", InteractionOptions(analysis)},
                    {"desirability", DesirabilityOptions(analysis)},
                    {"alpha", analysis.model.alpha}};
    if (analysis.combined) {
        options["combine"] =
            analysis.combined->method == CombineMethod::Grey ? "grey" : "desirability";
        options["zeta"] = analysis.combined->grey.zeta;
    }
    return options;
}

json ObservationsOf(const Analysis& analysis) {
    json responses = json::array();
    for (const ResponseResult& q : analysis.responses) {
        json runs = json::array();
        for (const std::vector<double>& values : q.runObservations) {
            json run = json::array();
            for (const double y : values)
                run.push_back(std::isfinite(y) && std::fabs(y) < kMissing ? json(y)
                                                                          : json(nullptr));
            runs.push_back(run);
        }
        responses.push_back(runs);
    }
    return responses;
}

json FactorsOf(const Experiment& experiment) {
    json factors = json::array();
    for (const Factor& factor : experiment.factors)
        factors.push_back(
            {{"name", factor.name}, {"levels", factor.levels}, {"numeric", factor.IsNumeric()}});
    return factors;
}

// Text for a <script> element: "</" cannot close it early.
std::string ScriptText(std::string text) {
    for (size_t at = text.find("</"); at != std::string::npos; at = text.find("</", at + 3))
        text.replace(at, 2, "<\\/");
    return text;
}

constexpr const char* kInteractiveStyle = R"(
#decision { border: 2px solid #0072b2; padding: 4px 14px 10px; margin: 14px 0; }
#decision h2 { margin-top: 8px; }
.levels button { margin: 2px 4px 2px 0; padding: 2px 8px; border: 1px solid #888;
                 background: #fff; cursor: pointer; }
.levels button[aria-pressed="true"] { background: #0072b2; color: #fff; }
.levels input { width: 6em; margin-left: 6px; }
[data-status] { padding: 4px 8px; background: #eef6ee; }
[data-status][data-refused="true"] { background: #fde2e2; }
input[data-bound] { width: 6em; }
)";

}  // namespace

bool PageIsInteractive(const Analysis& analysis) {
    return !PageModuleBinary().empty() && analysis.source == Source::RunSheet;
}

std::string PageSecurityPolicy() {
    return "default-src 'none'; style-src 'unsafe-inline'; img-src data:; "
           "script-src 'unsafe-inline' 'wasm-unsafe-eval'";
}

std::string PageInputJson(const Analysis& analysis) {
    const json input = {{"experiment", ExperimentFileText(analysis.experiment)},
                        {"observations", ObservationsOf(analysis)},
                        {"options", OptionsOf(analysis)},
                        {"factors", FactorsOf(analysis.experiment)}};
    return input.dump();
}

void WriteInteractive(HtmlWriter& html, const Analysis& analysis) {
    html.Open("style").Raw(kInteractiveStyle).Close();
    html.Open("section", {{"id", "decision"}}).Element("h2", "Decision");
    html.Element("p", "Computing the analysis in the page...", {{"data-status", ""}});
    html.Element("div", "", {{"id", "qvrfc-decision"}});
    html.Close();
    html.Open("section", {{"id", "profiler"}}).Element("h2", "Profiler");
    html.Element("p",
                 "Click a level to predict every response there, as qvrfcdoe predict --at does; "
                 "a numeric factor also takes a value between its tested levels.");
    html.Element("div", "", {{"id", "qvrfc-profiler"}}).Close();
    html.Open("section", {{"id", "pooling"}}).Element("h2", "Pooling");
    html.Element("p",
                 "Tick a term to pool it into the error, as analyze --pool does; auto and Lenth "
                 "pool by rule.");
    html.Element("div", "", {{"id", "qvrfc-pooling"}}).Close();
    if (analysis.responses.size() > 1) {
        html.Open("section", {{"id", "bounds"}}).Element("h2", "Desirability bounds");
        html.Element("p",
                     "Change a response's bounds, weight or importance to recompute the combined "
                     "optimum, as analyze --desirability does.");
        html.Element("div", "", {{"id", "qvrfc-bounds"}}).Close();
    }
    html.Open("script", {{"type", "application/json"}, {"id", "qvrfc-input"}})
        .Raw(ScriptText(PageInputJson(analysis)))
        .Close();
    html.Open("script", {{"type", "application/octet-stream"}, {"id", "qvrfc-module"}})
        .Raw(PageModuleBinary())
        .Close();
    html.Open("script").Raw(ScriptText(PageModuleLoader())).Close();
    html.Open("script").Raw(ScriptText(PageScript())).Close();
}

}  // namespace qvrfc
