// The noise model of each response, beside its S/N analysis, when the experiment has noise
// factors: the observations in sheet order, the control factors as the verdict's main effects.
#include "analysis/AnalysisParts.h"
#include "qvrfc/common/QVRFCError.h"

namespace qvrfc {
namespace {

NoiseLayout NoiseLayoutOf(const Experiment& experiment) {
    NoiseLayout layout;
    for (const NoiseFactor& noise : experiment.noise) {
        layout.names.push_back(noise.name);
        layout.levelCounts.push_back(static_cast<int>(noise.levels.size()));
    }
    layout.conditions = NoiseConditions(experiment);
    return layout;
}

std::vector<ModelTerm> ControlTerms(const VerdictModel& verdict) {
    std::vector<ModelTerm> controls;
    for (const ModelTerm& term : verdict.terms) {
        if (term.factors.size() == 1) controls.push_back(term);
    }
    return controls;
}

// The response's pooling in the noise model's terms: the control factors pooled by hand keep
// their place (the model's first terms), pooled interactions of the verdict are not its terms;
// the rule is the same.
PoolingChoice NoisePooling(const VerdictModel& verdict, const std::vector<ModelTerm>& controls,
                           const PoolingChoice& pooling) {
    PoolingChoice noise;
    noise.rule = pooling.rule;
    for (int term : pooling.byHand) {
        for (size_t c = 0; c < controls.size(); ++c)
            if (controls[c].name == verdict.terms[term].name) noise.byHand.push_back(int(c));
    }
    return noise;
}

}  // namespace

void FillNoiseModels(Analysis& analysis, const SheetObservations& observations) {
    if (analysis.experiment.noise.empty()) return;
    const NoiseLayout noise = NoiseLayoutOf(analysis.experiment);
    const std::vector<ModelTerm> controls = ControlTerms(analysis.model);
    for (size_t q = 0; q < analysis.responses.size(); ++q) {
        ResponseResult& response = analysis.responses[q];
        if (analysis.experiment.responses[q].dynamic) {
            response.noiseRefused =
                "a dynamic response's robustness to the noise is its dynamic S/N ratio";
            continue;
        }
        try {
            response.noise = AnalyzeNoise(analysis.model.layout, controls, noise, observations[q],
                                          analysis.model.alpha,
                                          NoisePooling(analysis.model, controls, response.pooling));
        } catch (const Error& error) {
            response.noiseRefused = error.what();
            continue;
        }
        // The model counts control factors among the terms given; the value, by factor.
        for (NoiseTable& table : response.noise->tables)
            table.control = controls[table.control].factors[0];
        for (Damper& damper : response.noise->dampers)
            damper.control = controls[damper.control].factors[0];
        // The mean is predicted without the noise in its error, once the model leaves one.
        if (response.noise->anova.table.Error().dof > 0.0) {
            response.meanOfControls = ControlAnalysis(*response.noise, analysis.model.terms);
            response.optimum = FindOptimum(analysis.model, response);
        }
        std::vector<int> levelOf(analysis.experiment.factors.size(), 0), levelCounts;
        for (const FactorLevel& at : response.optimum.levels)
            levelOf[at.factor] = at.level;
        for (const Factor& factor : analysis.experiment.factors)
            levelCounts.push_back(static_cast<int>(factor.levels.size()));
        response.noise->robustness = RobustnessOf(*response.noise, noise, levelOf, levelCounts);
    }
}

}  // namespace qvrfc
