#include "results/RobustText.h"

#include <algorithm>
#include <cmath>

#include "qvrfc/common/QVRFCTextFormat.h"
#include "qvrfc/results/VerdictReport.h"

namespace qvrfc {
namespace {

// The factors whose interactions with the noise enter the model's predictions.
std::vector<int> MovingFactors(const NoiseModel& model) {
    std::vector<int> factors;
    for (const NoiseTable& table : model.tables) {
        if (!model.anova.table.Term(size_t(table.term)).Pooled() &&
            std::find(factors.begin(), factors.end(), table.control) == factors.end())
            factors.push_back(table.control);
    }
    std::sort(factors.begin(), factors.end());
    return factors;
}

std::string Cell(double value, const char* format) {
    return std::isfinite(value) ? FormatText(format, value) : FormatText("%10s", "*");
}

}  // namespace

std::string DispersionText(const Analysis& analysis, int response) {
    const ResponseResult& q = analysis.responses[response];
    if (!q.logVariance) return "";
    return AnovaText(*q.logVariance, "ANOVA of ln s^2 (dispersion), one value a run") + "\n";
}

std::string NoiseRangeSettings(const Analysis& analysis, const NoiseModel& model,
                               const NoiseRange& range) {
    std::vector<int> factors = MovingFactors(model);
    if (factors.empty())
        for (size_t f = 0; f < range.levels.size(); ++f)
            factors.push_back(int(f));
    std::string text;
    for (int f : factors)
        text += (text.empty() ? "" : ", ") + analysis.experiment.factors[f].name + "=" +
                analysis.LevelText(f, range.levels[f]);
    return text;
}

std::string RobustnessSentence(const Analysis& analysis, int response) {
    const ResponseResult& q = analysis.responses[response];
    if (!q.noise || !q.noise->robustness) return "";
    const Robustness& r = *q.noise->robustness;
    return FormatText(
        "Noise range of %s across %d noise conditions, from the noise model: %.4f at the "
        "optimum (%s), %.4f at the worst combination (%s), %.4f on the grand average.\n",
        q.name.c_str(), int(r.optimum.byCondition.size()), r.optimum.range,
        NoiseRangeSettings(analysis, *q.noise, r.optimum).c_str(), r.worst.range,
        NoiseRangeSettings(analysis, *q.noise, r.worst).c_str(), r.average.range);
}

std::string DecompositionText(const Analysis& analysis, int response) {
    const ResponseResult& q = analysis.responses[response];
    if (q.dynamic.empty()) return "";
    const size_t conditions = q.dynamic[0].betaByNoise.size();
    std::string text =
        "Decomposition of each run: S_T = S_beta + S_NxBeta + S_e; slope under each noise "
        "condition; p of a quadratic term in the signal\n";
    text += FormatText("%4s %10s %10s %10s %10s %10s %10s", "Run", "S_T", "S_beta", "S_NxBeta",
                       "S_e", "V_e", "V_N");
    for (size_t c = 0; c < conditions; ++c)
        text += FormatText(" %10s", FormatText("beta%d", int(c) + 1).c_str());
    text += FormatText(" %10s\n", "linear. p");
    for (size_t r = 0; r < q.dynamic.size(); ++r) {
        const DynamicRun& run = q.dynamic[r];
        text += FormatText("%4d", int(r) + 1);
        for (double value : {run.sT, run.sBeta, run.sNBeta, run.sE, run.veWithin, run.vN})
            text += " " + Cell(value, "%10.4f");
        for (double beta : run.betaByNoise)
            text += " " + Cell(beta, "%10.4f");
        text += " " + Cell(run.linearityP, "%10.4g") + "\n";
    }
    if (conditions > 1) {
        text += "Noise conditions:";
        for (size_t c = 0; c < conditions; ++c)
            text += FormatText(" %d %s;", int(c) + 1,
                               NoiseConditionText(analysis.experiment, int(c)).c_str());
        text.back() = '\n';
    }
    return text;
}

std::vector<std::string> LinearityNotes(const Analysis& analysis, int response) {
    const ResponseResult& q = analysis.responses[response];
    std::string runs;
    for (size_t r = 0; r < q.dynamic.size(); ++r) {
        if (q.dynamic[r].linearityP < analysis.model.alpha)
            runs += (runs.empty() ? "" : ", ") + std::to_string(r + 1);
    }
    if (runs.empty()) return {};
    return {FormatText(
        "A quadratic term in the signal is significant (p < %g) in run%s %s: the "
        "response does not follow the signal in a straight line there, which the "
        "dynamic S/N ratio assumes.",
        analysis.model.alpha, runs.find(',') == std::string::npos ? "" : "s", runs.c_str())};
}

}  // namespace qvrfc
