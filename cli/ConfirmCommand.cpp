// qvrfcdoe confirm: a confirmation run at chosen levels against its prediction.
#include <CLI/CLI.hpp>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>

#include "CliError.h"
#include "Commands.h"
#include "qvrfc/analysis/ConfirmationRun.h"
#include "qvrfc/results/VerdictReport.h"

namespace qvrfcdoe {
namespace {

struct ConfirmRequest {
    VerdictRequest verdict;
    std::vector<double> values;
    int quality = 1;
};

std::string ConfirmRun(const ConfirmRequest& request, const qvrfc::Analysis& analysis,
                       const std::vector<qvrfc::FactorLevel>& at) {
    const int qualities = static_cast<int>(analysis.responses.size());
    if (request.quality > qualities)
        throw InputError(Text("--quality %d is out of range ('%s' has %s)", request.quality,
                              request.verdict.dataFile.c_str(),
                              Counted(qualities, "quality", "qualities").c_str()));
    const int quality = request.quality - 1;
    const qvrfc::Confirmation confirmation =
        qvrfc::ConfirmationRun(analysis, quality, at, request.values);
    return qvrfc::ConfirmationText(analysis, quality, at, confirmation);
}

}  // namespace

void DeclareConfirmCommand(CLI::App& app, CommandRun& run) {
    auto request = std::make_shared<ConfirmRequest>();
    CLI::App* confirm = AddCommand(
        app, run, "confirm", "Check a confirmation run against the predicted interval", [request] {
            return WithAnalysis(request->verdict,
                                [request](const qvrfc::Analysis& analysis, const auto& at) {
                                    return ConfirmRun(*request, analysis, at);
                                });
        });
    DeclareVerdictOptions(confirm, request->verdict);
    confirm->add_option("--values", request->values, "The confirmation run's observations")
        ->delimiter(',')
        ->required()
        ->check(CLI::Number)
        ->check(CLI::Validator(
            [](std::string& text) {
                // As typed: 1e400 reads as infinity, and "inf" would not say which value it was.
                return std::isfinite(std::strtod(text.c_str(), nullptr))
                           ? std::string()
                           : "'" + text + "' is not a finite number";
            },
            ""));
    confirm->add_option("--quality", request->quality, "The quality measured, counted from 1")
        ->capture_default_str()
        ->check(CLI::PositiveNumber);
    confirm->footer(
        "Says whether the mean of the observations, and their S/N ratio, fall inside the "
        "confirmation intervals of the prediction at --at. Nothing is written but the engine's "
        "logs with --out.");
}

}  // namespace qvrfcdoe
