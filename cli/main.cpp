// qvrfcdoe: the Taguchi design-of-experiments engine on the command line.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "CliError.h"
#include "Commands.h"
#include "qvrfc/Version.h"
#include "qvrfc/charts/ChartRender.h"

namespace {

// The exit statuses, chosen here alone: 1 for bad input (a file, a value, a failure to
// write), 2 for a command line that is not understood.
constexpr int kExitBadInput = 1;
constexpr int kExitUsage = 2;

// The commands in the order --help lists them.
const qvrfcdoe::DeclareCommand kCommands[] = {
    qvrfcdoe::DeclareArraysCommand,       qvrfcdoe::DeclareShowCommand,
    qvrfcdoe::DeclareInteractionsCommand, qvrfcdoe::DeclareCheckCommand,
    qvrfcdoe::DeclareDesignCommand,       qvrfcdoe::DeclareAnalyzeCommand,
    qvrfcdoe::DeclarePredictCommand,      qvrfcdoe::DeclareConfirmCommand,
    qvrfcdoe::DeclareSelftestCommand,     qvrfcdoe::DeclareDemoCommand,
    qvrfcdoe::DeclareChartsCommand,
};

std::string CommandNames(const CLI::App& app) {
    std::string names;
    const auto commands = app.get_subcommands([](const CLI::App*) { return true; });
    for (size_t i = 0; i < commands.size(); ++i) {
        const char* joint = i == 0 ? "" : (i + 1 == commands.size() ? " or " : ", ");
        names += joint + commands[i]->get_name();
    }
    return names;
}

int RunChosen(const CLI::App& app, const qvrfcdoe::CommandRun& run) {
    if (!run)
        throw qvrfcdoe::UsageError("a command is required: " + CommandNames(app) +
                                   " (see qvrfcdoe --help)");
    const int status = run();
    // Output that could not be written (a full disk, a closed pipe) is a failure too.
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        throw qvrfcdoe::InputError("cannot write to standard output");
    return status;
}

// analyze takes a run sheet as well as a quality data file, and answers to the British spelling
// that its help uses.
void DescribeAnalyze(CLI::App& app) {
    CLI::App* analyze = app.get_subcommand("analyze");
    analyze->description("Analyse a filled run sheet or a quality data file and write its reports");
    analyze->alias("analyse");
}

}  // namespace

int main(int argc, char** argv) {
    // The font caches of the charts are emptied at the end, so that leak checkers see none.
    std::atexit(qvrfc::ReleaseDrawingCaches);
    CLI::App app(
        "Taguchi design-of-experiments engine: orthogonal arrays, S/N ratios, "
        "factor effects, ANOVA and reports",
        "qvrfcdoe");
    app.set_version_flag("--version", std::string("qvrfcdoe ") + qvrfc::Version());
    app.require_subcommand(0, 1);
    qvrfcdoe::CommandRun run;
    for (const qvrfcdoe::DeclareCommand declare : kCommands)
        declare(app, run);
    DescribeAnalyze(app);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        if (error.get_exit_code() == 0) return app.exit(error);  // --help, --version
        std::fprintf(stderr, "qvrfcdoe: %s (see qvrfcdoe --help)\n",
                     qvrfcdoe::OneLineText(error.what()).c_str());
        return kExitUsage;
    }
    try {
        return RunChosen(app, run);
    } catch (const qvrfc::Error& error) {
        std::fflush(stdout);
        std::fprintf(stderr, "qvrfcdoe: %s\n", qvrfcdoe::OneLineText(error.what()).c_str());
        return error.GetKind() == qvrfc::Error::Kind::Usage ? kExitUsage : kExitBadInput;
    } catch (const std::exception& error) {
        std::fflush(stdout);
        std::fprintf(stderr, "qvrfcdoe: %s\n", qvrfcdoe::OneLineText(error.what()).c_str());
        return kExitBadInput;
    }
}
