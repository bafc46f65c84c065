// What the commands share on the command line.
#include <CLI/CLI.hpp>

#include "Commands.h"

namespace qvrfcdoe {

CLI::App* AddCommand(CLI::App& app, CommandRun& run, const char* name, const char* description,
                     CommandRun body) {
    CLI::App* command = app.add_subcommand(name, description);
    command->callback([&run, body] { run = body; });
    return command;
}

void DeclareOutFolder(CLI::App* command, std::string& folder) {
    command
        ->add_option("--out", folder,
                     "Folder for the files the engine writes (created if missing); commands "
                     "on one folder run one at a time")
        ->capture_default_str()
        ->type_name("DIR")
        ->check(CLI::Validator(
            [](std::string& name) {
                return name.empty() ? std::string("the folder name is empty") : std::string();
            },
            ""));
}

}  // namespace qvrfcdoe
