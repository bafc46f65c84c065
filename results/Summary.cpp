#include "qvrfc/results/Summary.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "qvrfc/common/QVRFCConstants.h"
#include "qvrfc/common/QVRFCFactorNames.h"
#include "qvrfc/common/QVRFCTextFormat.h"
#include "qvrfc/experiment/ArrayCatalogue.h"
#include "qvrfc/experiment/ArrayChoice.h"
#include "results/CombinedText.h"

namespace qvrfc {
namespace {

// Row labels and factor columns of the response tables.
constexpr int kLabelWidth = 20;
constexpr int kColumnWidth = 10;
// Factor columns in one block of a response table: a line of at most 100 characters.
constexpr int kFactorsPerBlock = 8;

// The catalogue's arrays of a run count.
std::vector<OA_TYPE> ArraysWithRuns(int runs) {
    std::vector<OA_TYPE> types;
    for (int t = kFirstTableType; t <= kLastTableType; ++t) {
        const OA_TYPE type = static_cast<OA_TYPE>(t);
        if (CQVRFCDOETaguchiOrthogonalArray::GetNoRun(type) == runs) types.push_back(type);
    }
    return types;
}

std::string ExperimentText(const Analysis& analysis) {
    const Experiment& experiment = analysis.experiment;
    const OA_TYPE type = experiment.array;
    const int runs = experiment.RunCount(), factors = static_cast<int>(experiment.factors.size());
    const int responses = static_cast<int>(experiment.responses.size());
    std::string text = FormatText(
        "Experiment: %s, %s, %s, %s, %s\n", CatalogueName(type),
        Counted(runs, "run", "runs").c_str(), Counted(factors, "factor", "factors").c_str(),
        Counted(responses, "response", "responses").c_str(),
        Counted(analysis.observations, "observation", "observations").c_str());
    std::string others;
    for (OA_TYPE other : ArraysWithRuns(runs)) {
        if (other != type)
            others += (others.empty() ? "" : ", ") + std::string(CatalogueName(other));
    }
    if (others.empty() || analysis.source == Source::RunSheet) return text;
    return text +
           FormatText("Array: %s %s; %s also %s %d runs\n", CatalogueName(type),
                      analysis.arrayChosen ? "as chosen" : "as the first with this run count",
                      others.c_str(), others.find(',') == std::string::npos ? "has" : "have", runs);
}

// The factors' own names beside the letters the tables use, when the experiment names them.
std::string FactorNamesText(const Analysis& analysis) {
    if (analysis.source == Source::DataFile) return "";
    std::string text = "Factors:\n";
    for (size_t f = 0; f < analysis.experiment.factors.size(); ++f)
        text += "  " + FactorName(static_cast<int>(f)) + "  " +
                analysis.experiment.factors[f].name + "\n";
    return text;
}

std::string RunTableText(const Analysis& analysis) {
    const Experiment& experiment = analysis.experiment;
    std::string text;
    for (size_t q = 0; q < experiment.responses.size(); ++q) {
        text += FormatText("Runs of response %d (%s): levels of", int(q) + 1,
                           experiment.responses[q].name.c_str());
        for (size_t f = 0; f < experiment.factors.size(); ++f)
            text += " " + FactorName(static_cast<int>(f));
        text += "; n, mean, standard deviation, S/N ratio; observations\n";
        for (int r = 0; r < experiment.RunCount(); ++r) {
            text += FormatText("%5d ", r + 1);
            for (size_t f = 0; f < experiment.factors.size(); ++f)
                text += " " + analysis.LevelText(int(f), experiment.Level(r, int(f)));
            const RunFigures& run = analysis.responses[q].runs[r];
            text += FormatText("  %d %.4f %.4f %.4f;", run.n, run.mean, run.sd, run.sn);
            const std::vector<std::vector<double>>& observed =
                analysis.responses[q].runObservations;
            for (size_t k = 0; r < static_cast<int>(observed.size()) && k < observed[r].size(); ++k)
                if (!IsMissing(observed[r][k])) text += FormatText(" %g", observed[r][k]);
            text += "\n";
        }
        text += "\n";
    }
    return text;
}

std::string Cell(double value) {
    return std::isfinite(value) ? FormatText("%*.4f", kColumnWidth, value)
                                : FormatText("%*s", kColumnWidth, "*");
}

// Rows of a response table for the factors first..last-1 (from 0).
std::string TableBlock(const LevelTable& table, size_t first, size_t last) {
    size_t levels = 0;
    for (const LevelTable::Row& row : table.rows)
        levels = std::max(levels, row.levels.size());
    std::string text = FormatText("\n%-*s", kLabelWidth, StatisticTitle(table.statistic));
    for (size_t f = first; f < last; ++f)
        text += FormatText("%*s", kColumnWidth, FactorName(int(f)).c_str());
    for (size_t level = 0; level < levels; ++level) {
        text += FormatText("\n  Level %-*d", kLabelWidth - 8, int(level) + 1);
        for (size_t f = first; f < last; ++f)
            text += level < table.rows[f].levels.size() ? Cell(table.rows[f].levels[level])
                                                        : FormatText("%*s", kColumnWidth, "");
    }
    text += FormatText("\n  %-*s", kLabelWidth - 2, "Delta");
    for (size_t f = first; f < last; ++f)
        text += Cell(table.rows[f].delta);
    text += FormatText("\n  %-*s", kLabelWidth - 2, "Rank");
    for (size_t f = first; f < last; ++f)
        text += FormatText("%*d", kColumnWidth, table.rows[f].rank);
    text += FormatText("\n  %-*s", kLabelWidth - 2, "Best level");
    for (size_t f = first; f < last; ++f) {
        const int best = table.rows[f].best;
        text += best < 0 ? FormatText("%*s", kColumnWidth, "-")
                         : FormatText("%*d", kColumnWidth, best + 1);
    }
    return text + "\n";
}

std::string TableText(const LevelTable& table) {
    std::string text;
    for (size_t first = 0; first < table.rows.size(); first += kFactorsPerBlock)
        text += TableBlock(table, first, std::min(table.rows.size(), first + kFactorsPerBlock));
    return text;
}

std::string SnKindText(const Analysis& analysis, int q) {
    const SnKind kind = analysis.responses[q].setting.kind;
    if (kind == SnKind::SmallerTextbook)
        return "the-Smaller-the-Better, textbook form (S/N=-10*log[Sum(Yi^2)/N])";
    return analysis.responses[q].engineSnType;
}

// A dynamic response: its form, then each run's slope, S/N ratio and sensitivity (and
// intercept of the linear form) before its tables.
std::string DynamicText(const Analysis& analysis, int q) {
    const ResponseResult& response = analysis.responses[q];
    const ExperimentResponse& setting = analysis.experiment.responses[q];
    const bool linear = *setting.dynamic == DynamicKind::Linear;
    std::string text = FormatText("\nResponse %d (%s): dynamic S/N ratio, %s, signal %s\n", q + 1,
                                  setting.name.c_str(), DynamicKindTitle(*setting.dynamic),
                                  analysis.experiment.signal->name.c_str());
    text += FormatText("Grand averages: S/N ratio %.4f dB, slope %.4f, sensitivity %.4f dB\n",
                       response.sn.overall, response.mean.overall, response.sd.overall);
    text += FormatText("\n%5s %12s %12s %12s%s\n", "Run", "beta", "S/N (dB)", "S (dB)",
                       linear ? FormatText(" %12s", "alpha").c_str() : "");
    for (size_t r = 0; r < response.dynamic.size(); ++r) {
        const DynamicRun& run = response.dynamic[r];
        text +=
            FormatText("%5d %12.4f %12.4f %12.4f", int(r) + 1, run.beta, run.sn, run.sensitivity) +
            (linear ? FormatText(" %12.4f", run.alpha) : "") + "\n";
    }
    return text + TableText(response.sn) + TableText(response.mean) + TableText(response.sd);
}

std::string ResponseText(const Analysis& analysis, int q) {
    const ResponseResult& response = analysis.responses[q];
    if (!response.dynamic.empty()) return DynamicText(analysis, q);
    std::string text =
        FormatText("\nResponse %d (%s): S/N ratio %s%s\n", q + 1,
                   analysis.experiment.responses[q].name.c_str(), SnKindText(analysis, q).c_str(),
                   response.snChosen ? "" : " (default)");
    text += FormatText("Grand averages: S/N ratio %.4f dB, mean %.4f, standard deviation %.4f\n",
                       response.sn.overall, response.mean.overall, response.sd.overall);
    return text + TableText(response.sn) + TableText(response.mean) + TableText(response.sd);
}

}  // namespace

std::string SummaryText(const Analysis& analysis, bool runTable) {
    std::string text = runTable ? RunTableText(analysis) : "";
    text += ExperimentText(analysis) + FactorNamesText(analysis);
    for (size_t q = 0; q < analysis.responses.size(); ++q)
        text += ResponseText(analysis, static_cast<int>(q));
    return text + CombinedSummaryText(analysis);
}

}  // namespace qvrfc
