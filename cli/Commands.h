// The commands of qvrfcdoe. Each returns the exit status and throws a CliError
// for bad input; reports are written only after all input has been checked.
#pragma once

#include <string>
#include <vector>

#include "Arguments.h"

namespace qvrfcdoe {

struct AnalyzeRequest {
    std::string dataFile;
    std::vector<QualitySetting> qualities;
    std::vector<PoolSetting> pools;
    std::string outFolder;
};

int ListArrays();
int ShowArray(const std::string& arrayName, const std::string& outFolder);
int CheckArrays(const std::string& outFolder);
int Analyze(const AnalyzeRequest& request);
int RunSelfTests(const std::string& outFolder);
int RunDemo(const std::string& outFolder);

// Runs the command that options name, after parsing its settings.
int RunCommand(const Options& options);

}  // namespace qvrfcdoe
