// qvrfcdoe predict: the S/N ratio and mean of every quality at chosen levels, with their
// confidence intervals.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>

#include "Commands.h"
#include "VerdictInput.h"
#include "results/VerdictReport.h"

namespace qvrfcdoe {
namespace {

int Predict(const VerdictRequest& request) {
    const LoadedVerdict loaded = LoadVerdict(request);
    for (size_t q = 0; q < loaded.verdict.qualities.size(); ++q)
        std::printf(
            "%s%s", q == 0 ? "" : "\n",
            qvrfc::PredictionText(loaded.verdict, static_cast<int>(q), loaded.at, loaded.label)
                .c_str());
    return 0;
}

}  // namespace

void DeclarePredictCommand(CLI::App& app, CommandRun& run) {
    auto request = std::make_shared<VerdictRequest>();
    CLI::App* predict =
        AddCommand(app, run, "predict", "Predict every quality at chosen factor levels",
                   [request] { return Predict(*request); });
    DeclareVerdictOptions(predict, *request);
    predict->footer(
        "The prediction uses the factors named in --at alone: the grand average plus each "
        "factor's level effect, with the confidence interval from the error of the ANOVA. "
        "A declared interaction whose two factors are named in --at enters by the mean of "
        "their pair of levels. Nothing is written.");
}

}  // namespace qvrfcdoe
