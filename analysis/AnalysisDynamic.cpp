// The figures of each run of a dynamic response: its observations at the signal levels, under
// every noise condition and repetition, give its slope, dynamic S/N ratio and sensitivity.
#include <algorithm>
#include <cmath>

#include "analysis/AnalysisChecks.h"
#include "analysis/AnalysisParts.h"
#include "qvrfc/common/QVRFCTextFormat.h"

namespace qvrfc {
namespace {

// The run's figures with their decomposition under the noise conditions: observation k of a
// run is under condition (k / repetitions) % conditions, as the run sheet orders them.
DynamicRun RunOf(const Experiment& experiment, const std::vector<double>& signals, DynamicKind kind,
                 const std::vector<double>& values) {
    const int conditions = std::max(static_cast<int>(NoiseConditions(experiment).size()), 1);
    const size_t repetitions = static_cast<size_t>(std::max(experiment.repetitions, 1));
    std::vector<double> signal, y;
    std::vector<int> condition;
    for (size_t k = 0; k < values.size() && k < signals.size(); ++k) {
        if (std::isnan(values[k])) continue;
        signal.push_back(signals[k]);
        y.push_back(values[k]);
        condition.push_back(static_cast<int>((k / repetitions) % conditions));
    }
    DynamicRun run = DynamicSnOfRun(signal, y, kind);
    AddNoiseDecomposition(run, signal, y, condition, conditions, kind);
    return run;
}

// [condition][signal level] means of one run's values, NaN where none was observed.
std::vector<std::vector<double>> MeansOf(const Experiment& experiment,
                                         const std::vector<double>& values) {
    const size_t levels = experiment.signal->levels.size();
    const size_t conditions = NoiseConditions(experiment).size();
    const size_t repetitions = static_cast<size_t>(experiment.repetitions);
    std::vector<std::vector<double>> means(conditions, std::vector<double>(levels, 0.0));
    for (size_t c = 0; c < conditions; ++c) {
        for (size_t l = 0; l < levels; ++l) {
            int count = 0;
            for (size_t k = 0; k < repetitions; ++k) {
                const size_t at = (l * conditions + c) * repetitions + k;
                if (at >= values.size() || std::isnan(values[at])) continue;
                means[c][l] += values[at];
                ++count;
            }
            means[c][l] = count > 0 ? means[c][l] / count : std::nan("");
        }
    }
    return means;
}

// Where the run's fitted line meets M = 0: the reference form's line passes through the mean
// of the observations at the smallest signal level.
double InterceptOf(const std::vector<double>& signals, DynamicKind kind, const DynamicRun& run,
                   const std::vector<double>& values) {
    if (kind == DynamicKind::Linear) return run.alpha;
    if (kind == DynamicKind::ZeroPoint) return 0.0;
    const double reference = *std::min_element(signals.begin(), signals.end());
    double sum = 0.0;
    int count = 0;
    for (size_t k = 0; k < values.size() && k < signals.size(); ++k) {
        if (std::isnan(values[k]) || signals[k] != reference) continue;
        sum += values[k];
        ++count;
    }
    return sum / count - run.beta * reference;
}

}  // namespace

void FillSignalMeans(Analysis& analysis, const SheetObservations& observations) {
    const Experiment& experiment = analysis.experiment;
    const std::vector<double> signals = SignalValues(experiment);
    for (size_t q = 0; q < analysis.responses.size() && q < observations.size(); ++q) {
        ResponseResult& response = analysis.responses[q];
        if (response.dynamic.empty()) continue;
        for (size_t r = 0; r < observations[q].size(); ++r) {
            response.signalMeans.push_back(MeansOf(experiment, observations[q][r]));
            response.intercepts.push_back(InterceptOf(signals, *experiment.responses[q].dynamic,
                                                      response.dynamic[r], observations[q][r]));
        }
    }
}

std::vector<std::vector<DynamicRun>> DynamicRunsOf(const Analysis& analysis,
                                                   const SheetObservations& observations) {
    const Experiment& experiment = analysis.experiment;
    const std::vector<double> signals = SignalValues(experiment);
    std::vector<std::vector<DynamicRun>> runs(experiment.responses.size());
    for (size_t q = 0; q < experiment.responses.size() && q < observations.size(); ++q) {
        const ExperimentResponse& response = experiment.responses[q];
        if (!response.dynamic) continue;
        for (size_t r = 0; r < observations[q].size(); ++r) {
            const auto fail = [&](const std::string& cause) {
                return DataError(analysis.dataFile,
                                 FormatText("response '%s', run %d: %s", response.name.c_str(),
                                            int(r) + 1, cause.c_str()),
                                 response.name);
            };
            try {
                runs[q].push_back(
                    RunOf(experiment, signals, *response.dynamic, observations[q][r]));
            } catch (const Error& error) {
                throw fail(error.what());
            }
            if (!runs[q].back().exists)
                throw fail("the dynamic S/N ratio does not exist. " + runs[q].back().reason);
        }
    }
    return runs;
}

}  // namespace qvrfc
