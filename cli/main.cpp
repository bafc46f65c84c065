// qvrfcdoe: the Taguchi design-of-experiments engine on the command line.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <exception>

#include "Arguments.h"
#include "CliError.h"
#include "Commands.h"

int main(int argc, char** argv) {
    CLI::App app(
        "Taguchi design-of-experiments engine: orthogonal arrays, S/N ratios, "
        "factor effects, ANOVA and reports",
        "qvrfcdoe");
    qvrfcdoe::Options options;
    qvrfcdoe::DeclareCommandLine(app, options);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        if (error.get_exit_code() == 0) return app.exit(error);  // --help, --version
        std::fprintf(stderr, "qvrfcdoe: %s (see qvrfcdoe --help)\n", error.what());
        return qvrfcdoe::kExitUsage;
    }
    try {
        const int status = qvrfcdoe::RunCommand(options);
        // Output that could not be written (a full disk, a closed pipe) is a failure too.
        if (std::fflush(stdout) != 0 || std::ferror(stdout))
            throw qvrfcdoe::InputError("cannot write to standard output");
        return status;
    } catch (const qvrfcdoe::CliError& error) {
        std::fflush(stdout);
        std::fprintf(stderr, "qvrfcdoe: %s\n", error.what());
        return error.Status();
    } catch (const std::exception& error) {
        std::fflush(stdout);
        std::fprintf(stderr, "qvrfcdoe: %s\n", error.what());
        return qvrfcdoe::kExitBadInput;
    }
}
