// qvrfcdoe confirm: a confirmation run at chosen levels against its prediction.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>

#include "CliError.h"
#include "Commands.h"
#include "VerdictInput.h"
#include "results/VerdictReport.h"

namespace qvrfcdoe {
namespace {

struct ConfirmRequest {
    VerdictRequest verdict;
    std::vector<double> values;
    int quality = 1;
};

int ConfirmRun(const ConfirmRequest& request) {
    const LoadedVerdict loaded = LoadVerdict(request.verdict);
    const qvrfc::Verdict& verdict = loaded.verdict;
    if (request.quality > static_cast<int>(verdict.qualities.size()))
        throw InputError(
            Text("--quality %d is out of range ('%s' has %s)", request.quality,
                 request.verdict.dataFile.c_str(),
                 Counted(int(verdict.qualities.size()), "quality", "qualities").c_str()));
    const std::vector<qvrfc::FactorLevel>& at = loaded.at;
    const int quality = request.quality - 1;
    const qvrfc::Confirmation confirmation = qvrfc::Confirm(verdict, quality, at, request.values);
    std::printf("%s",
                qvrfc::ConfirmationText(verdict, quality, at, confirmation, loaded.label).c_str());
    return 0;
}

}  // namespace

void DeclareConfirmCommand(CLI::App& app, CommandRun& run) {
    auto request = std::make_shared<ConfirmRequest>();
    CLI::App* confirm =
        AddCommand(app, run, "confirm", "Check a confirmation run against the predicted interval",
                   [request] { return ConfirmRun(*request); });
    DeclareVerdictOptions(confirm, request->verdict);
    confirm->add_option("--values", request->values, "The confirmation run's observations")
        ->delimiter(',')
        ->required()
        ->check(CLI::Number);
    confirm->add_option("--quality", request->quality, "The quality measured, counted from 1")
        ->capture_default_str()
        ->check(CLI::PositiveNumber);
    confirm->footer(
        "Says whether the mean of the observations, and their S/N ratio, fall inside the "
        "confirmation intervals of the prediction at --at. Nothing is written.");
}

}  // namespace qvrfcdoe
