// The command line of qvrfcdoe: subcommands and options (CLI11), and the
// parsing of the --sn and --pool settings of the analyze command.
#pragma once

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

#include "analyzer/QVRFCDOEAnalyzer.h"

namespace qvrfcdoe {

// Everything the command line can carry; the chosen subcommand names the command.
struct Options {
    std::string command;
    std::string outFolder = "qvrfcdoe-out";
    std::string arrayName;
    std::string dataFile;
    std::vector<std::string> snSettings;
    std::vector<std::string> poolSettings;
};

// --sn QUALITY=TYPE[:TARGET]: quality counted from 1.
struct QualitySetting {
    std::string text;
    int quality = 0;
    CQVRFCDOEAnalyzer::SN_RATIO_TYPE type = CQVRFCDOEAnalyzer::NOMINAL_THE_BEST_3;
    double target = 0.0;
};

// --pool QUALITY=B,C: quality counted from 1, factors counted from 0 (A is 0).
struct PoolSetting {
    std::string text;
    int quality = 0;
    std::vector<int> factors;
};

// Declares the subcommands and their options; parsing fills options.
void DeclareCommandLine(CLI::App& app, Options& options);

// Each throws a UsageError naming the setting when its text cannot be understood.
QualitySetting ParseQualitySetting(const std::string& text);
PoolSetting ParsePoolSetting(const std::string& text);

}  // namespace qvrfcdoe
