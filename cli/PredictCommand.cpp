// qvrfcdoe predict: the S/N ratio and mean of every response at chosen levels, with their
// confidence intervals.
#include <CLI/CLI.hpp>
#include <memory>
#include <string>

#include "Commands.h"
#include "qvrfc/results/VerdictReport.h"

namespace qvrfcdoe {
namespace {

std::string Predict(const qvrfc::Analysis& analysis, const qvrfc::SettingsAt& at) {
    std::string text;
    for (size_t q = 0; q < analysis.responses.size(); ++q)
        text += (q == 0 ? "" : "\n") +
                qvrfc::PredictionText(analysis,
                                      qvrfc::PredictResponse(analysis, static_cast<int>(q), at));
    return text;
}

}  // namespace

void DeclarePredictCommand(CLI::App& app, CommandRun& run) {
    auto request = std::make_shared<VerdictRequest>();
    CLI::App* predict =
        AddCommand(app, run, "predict", "Predict every response at chosen factor levels",
                   [request] { return WithAnalysisBetween(*request, Predict); });
    DeclareVerdictOptions(predict, *request);
    predict->footer(
        "The prediction is the verdict's: the grand average plus the effects of the factors "
        "named in --at that the ANOVA finds significant (and of the significant declared "
        "interactions of two factors named), with the confidence interval from the error of "
        "the ANOVA; at the optimum levels it is the optimum's prediction. A numeric factor may "
        "be set between its tested levels (\"Melt temperature=240\"): its effect is then the "
        "polynomial through its level means (a line for 2 levels, a quadratic for 3, ...), and "
        "the prediction is marked interpolated; outside the tested range it is refused. "
        "Nothing is written but the engine's logs with --out.");
}

}  // namespace qvrfcdoe
