#include "qvrfc/experiment/ExperimentAnalyzer.h"

#include <cmath>

#include "qvrfc/experiment/ArrayChoice.h"

namespace qvrfc {
namespace {

// Places the experiment's factors, then the empty columns, and runs the engine's check.
void PlaceOnColumns(CQVRFCDOEAnalyzer& analyzer, const Experiment& experiment) {
    const int columns = analyzer.GetNoFactor();
    std::vector<bool> taken(columns, false);
    const int factors = static_cast<int>(experiment.factors.size());
    for (int f = 0; f < factors; ++f) {
        const Factor& factor = experiment.factors[f];
        analyzer.SetControlFactorID(f, factor.column);
        analyzer.SetControlFactorName(f, factor.name);
        if (factor.column >= 0 && factor.column < columns) taken[factor.column] = true;
    }
    int next = factors;
    for (int c = 0; c < columns && next < columns; ++c) {
        if (taken[c]) continue;
        analyzer.SetControlFactorID(next, c);
        analyzer.SetControlFactorName(next++, EmptyColumnName(c));
    }
    CString report;
    if (factors > columns || !analyzer.CheckControlFactorID(report))
        throw ExperimentError("the factors cannot be placed on " + ArrayName(experiment.array) +
                              ": " + (factors > columns ? "too many factors" : report.str()));
}

void SetFactorValues(CQVRFCDOEAnalyzer& analyzer, const Experiment& experiment) {
    const int factors = static_cast<int>(experiment.factors.size());
    for (int r = 0; r < analyzer.GetNoRun(); ++r) {
        for (int f = 0; f < analyzer.GetNoFactor(); ++f) {
            const int level = analyzer.GetLevel(r, f) - 1;
            const double value =
                f < factors ? experiment.factors[f].LevelValue(level) : level + 1.0;
            analyzer.SetControlFactorValue(r, f, value);
        }
    }
}

void SetObservations(CQVRFCDOEAnalyzer& analyzer, const Experiment& experiment,
                     const SheetObservations& observations) {
    for (size_t q = 0; q < experiment.responses.size(); ++q) {
        for (int r = 0; r < analyzer.GetNoRun(); ++r) {
            int count = 0;
            for (double value : observations[q][r]) {
                if (std::isnan(value)) continue;
                analyzer.AppendQualityValue(static_cast<int>(q), r, value);
                ++count;
            }
            if (count == 0)
                throw Error::Placed("run " + std::to_string(r + 1) + " has no observation of '" +
                                        experiment.responses[q].name + "'",
                                    "", 0, experiment.responses[q].name);
            analyzer.GetSNRatio(static_cast<int>(q), r);
        }
    }
}

}  // namespace

std::string EmptyColumnName(int column) {
    return "e" + std::to_string(column + 1);
}

void SetUpAnalyzer(CQVRFCDOEAnalyzer& analyzer, const Experiment& experiment,
                   const SheetObservations* observations) {
    CheckExperiment(experiment);
    const size_t runs = static_cast<size_t>(experiment.RunCount());
    bool fits = !observations || observations->size() == experiment.responses.size();
    for (size_t q = 0; fits && observations && q < observations->size(); ++q)
        fits = (*observations)[q].size() == runs;
    if (!fits)
        throw ExperimentError("the observations do not fit the experiment's responses and runs");
    const int qualities = static_cast<int>(experiment.responses.size());
    if (!analyzer.SetupDOE(qualities, experiment.array, nullptr))
        throw ExperimentError("the engine cannot set up " + ArrayName(experiment.array) + " for " +
                              std::to_string(qualities) + " responses");
    PlaceOnColumns(analyzer, experiment);
    SetFactorValues(analyzer, experiment);
    for (int q = 0; q < qualities; ++q) {
        const ExperimentResponse& response = experiment.responses[q];
        analyzer.SetQualityFactorName(q, response.name);
        analyzer.SetQualityCharacteristic(q, EngineSnType(response.sn),
                                          IsNominal(response.sn) ? response.target : 0.0);
        for (int f = static_cast<int>(experiment.factors.size()); f < analyzer.GetNoFactor(); ++f)
            analyzer.SetFactorPooled(q, f, 1);
    }
    if (observations) SetObservations(analyzer, experiment, *observations);
}

}  // namespace qvrfc
