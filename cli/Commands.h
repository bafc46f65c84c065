// The commands of qvrfcdoe, one file each. A command declares its subcommand and options on
// the program's command line; when the user picks it, it leaves the work to do in `run`.
// Each command returns the exit status and throws a CliError for bad input; reports are
// written only after all input has been checked.
//
// Adding a command: write <Name>Command.cpp with a Declare<Name>Command and list it in
// main.cpp.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "AnalysisSettings.h"
#include "charts/ChartRender.h"

namespace CLI {
class App;
}

namespace qvrfcdoe {

using CommandRun = std::function<int()>;
using DeclareCommand = void (*)(CLI::App& app, CommandRun& run);

void DeclareArraysCommand(CLI::App& app, CommandRun& run);
void DeclareShowCommand(CLI::App& app, CommandRun& run);
void DeclareInteractionsCommand(CLI::App& app, CommandRun& run);
void DeclareCheckCommand(CLI::App& app, CommandRun& run);
void DeclareDesignCommand(CLI::App& app, CommandRun& run);
void DeclareAnalyzeCommand(CLI::App& app, CommandRun& run);
void DeclarePredictCommand(CLI::App& app, CommandRun& run);
void DeclareConfirmCommand(CLI::App& app, CommandRun& run);
void DeclareSelftestCommand(CLI::App& app, CommandRun& run);
void DeclareDemoCommand(CLI::App& app, CommandRun& run);
void DeclareChartsCommand(CLI::App& app, CommandRun& run);

// Adds the subcommand `name`; when the user picks it, `body` becomes the work to run.
CLI::App* AddCommand(CLI::App& app, CommandRun& run, const char* name, const char* description,
                     CommandRun body);
// --out DIR: the folder for the files the engine writes.
void DeclareOutFolder(CLI::App* command, std::string& folder);

// What the analyze command works on; demo fills one too.
struct AnalyzeRequest {
    std::string dataFile;
    std::string experimentFile;  // of a run sheet; default: experiment.toml beside it
    AnalysisSettings settings;   // --sn, --pool, --alpha
    std::string arrayName;       // --array: empty for the first array with the file's run count
    bool runTable = false;       // --runs: the run table with every observation before the summary
    bool reports = true;         // false with --no-reports: no report file is written
    bool html = true;            // false with --no-html: the charts without report.html
    std::vector<qvrfc::ChartFormat> chartFormats = {qvrfc::ChartFormat::Svg,
                                                    qvrfc::ChartFormat::Png};  // --charts
    std::string outFolder = "qvrfcdoe-out";
};
int Analyze(const AnalyzeRequest& request);

}  // namespace qvrfcdoe
