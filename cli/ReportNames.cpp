#include <algorithm>

#include "ReportPage.h"
#include "experiment/Experiment.h"

namespace qvrfcdoe {
namespace {

void ApplyNames(const qvrfc::Factor& factor, qvrfc::ChartFactor& chart) {
    chart.name = factor.name;
    chart.unit = factor.unit;
    if (chart.levelLabels.size() == factor.levels.size()) chart.levelLabels = factor.levels;
}

}  // namespace

void ApplyExperiment(const qvrfc::Experiment& experiment, qvrfc::ReportData& data) {
    const size_t factors = std::min(experiment.factors.size(), data.experiment.factors.size());
    for (size_t f = 0; f < factors; ++f) {
        qvrfc::ReportFactor& factor = data.experiment.factors[f];
        factor.name = experiment.factors[f].name;
        factor.unit = experiment.factors[f].unit;
        if (factor.levels.size() == experiment.factors[f].levels.size())
            factor.levels = experiment.factors[f].levels;
    }
    for (size_t q = 0; q < experiment.responses.size() && q < data.responses.size(); ++q) {
        if (q < data.experiment.responses.size())
            data.experiment.responses[q].unit = experiment.responses[q].unit;
        std::vector<qvrfc::ChartFactor>& charted = data.responses[q].charts.mainEffects.factors;
        for (size_t f = 0; f < factors && f < charted.size(); ++f)
            ApplyNames(experiment.factors[f], charted[f]);
    }
}

}  // namespace qvrfcdoe
