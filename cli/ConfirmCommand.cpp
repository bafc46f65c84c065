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
    std::vector<std::string> values;  // numbers, or SIGNAL=M:Y of a dynamic response
    std::string response = "1";
};

std::string ConfirmRun(const ConfirmRequest& request, const qvrfc::Analysis& analysis,
                       const std::vector<qvrfc::FactorLevel>& at) {
    const int response = qvrfc::RequireResponse("--response", request.response, analysis.experiment,
                                                request.verdict.dataFile);
    const qvrfc::Confirmation confirmation =
        qvrfc::ConfirmationRun(analysis, response, at, request.values);
    return qvrfc::ConfirmationText(analysis, response, at, confirmation);
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
    confirm
        ->add_option("--values", request->values,
                     "The confirmation run's observations; of a dynamic response each with its "
                     "signal level, \"Load=10:2.3,Load=20:4.6,...\" (or M=10:2.3)")
        ->delimiter(',')
        ->required()
        ->check(CLI::Validator(
            [](std::string& text) {
                if (text.find('=') != std::string::npos) return std::string();  // SIGNAL=M:Y
                // As typed: 1e400 reads as infinity, and "inf" would not say which value it was.
                char* end = nullptr;
                const double value = std::strtod(text.c_str(), &end);
                if (text.empty() || *end != '\0') return "'" + text + "' is not a number";
                return std::isfinite(value) ? std::string()
                                            : "'" + text + "' is not a finite number";
            },
            ""));
    confirm
        ->add_option("--response,--quality", request->response,
                     "The response measured, by name or number from 1 (--quality is the old "
                     "name of this option)")
        ->capture_default_str()
        ->type_name("RESPONSE");
    confirm->footer(
        "Says whether the mean of the observations, and their S/N ratio, fall inside the "
        "confirmation intervals of the prediction at --at. Nothing is written but the engine's "
        "logs with --out.");
}

}  // namespace qvrfcdoe
