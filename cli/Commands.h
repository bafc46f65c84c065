// The commands of qvrfcdoe, one file each. A command declares its subcommand and options on
// the program's command line; when the user picks it, it leaves the work to do in `run`.
// Each command returns the exit status and throws a qvrfc::Error for bad input; reports are
// written only after all input has been checked. The analysis itself is the library's
// (analysis/Analysis.h): commands parse options, name files and print.
//
// Adding a command: write <Name>Command.cpp with a Declare<Name>Command and list it in
// main.cpp.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "qvrfc/analysis/Analysis.h"
#include "qvrfc/charts/ChartRender.h"

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
// --out DIR: the folder for the files the command writes.
void DeclareOutFolder(CLI::App* command, std::string& folder);

// --sn, --pool, --alpha, --interaction, --combine, --zeta, --desirability and --array as
// typed; qvrfc::SettingsOfOptions understands them.
using qvrfc::AnalysisOptions;
void DeclareAnalysisOptions(CLI::App* command, AnalysisOptions& options);
// --charts FORMATS understood; a usage error naming the bad word.
std::vector<qvrfc::ChartFormat> ParseChartOption(const std::string& text);

// What the analyze command works on; demo fills one too.
struct AnalyzeRequest {
    std::string dataFile;
    std::string experimentFile;  // of a run sheet; default: experiment.toml beside it
    qvrfc::AnalysisSettings settings;
    bool runTable = false;  // --runs: the run table with every observation before the summary
    bool reports = true;    // false with --no-reports: no file is written
    bool html = true;       // false with --no-html: the charts without report.html
    std::vector<qvrfc::ChartFormat> chartFormats = {qvrfc::ChartFormat::Svg,
                                                    qvrfc::ChartFormat::Png};  // --charts
    std::string outFolder = "qvrfcdoe-out";
};
int Analyze(const AnalyzeRequest& request);

// What predict and confirm work on.
struct VerdictRequest {
    std::string dataFile;
    std::string experimentFile;
    AnalysisOptions options;
    std::string at;         // --at "A=3,D=2"
    std::string outFolder;  // --out: where the engine's set-up logs go; empty: none are kept
};
// Declares FILE, --experiment, --at, --out and the analysis options.
void DeclareVerdictOptions(CLI::App* command, VerdictRequest& request);
// Runs the analysis of the request's file, hands it and the levels of --at to `use`, and
// prints the text `use` gives once the run has succeeded, the set-up logs written with --out.
int WithAnalysis(const VerdictRequest& request,
                 const std::function<std::string(const qvrfc::Analysis&,
                                                 const std::vector<qvrfc::FactorLevel>&)>& use);
// The same where --at may set numeric factors between their tested levels.
int WithAnalysisBetween(
    const VerdictRequest& request,
    const std::function<std::string(const qvrfc::Analysis&, const qvrfc::SettingsAt&)>& use);

}  // namespace qvrfcdoe
