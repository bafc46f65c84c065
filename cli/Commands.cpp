// Dispatch of the chosen command, and the selftest command.
#include "Commands.h"

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "CliError.h"
#include "OutputFolder.h"
#include "analyzer/QVRFCDOEAnalyzer.h"
#include "arrays/QVRFCDOETaguchiOrthogonalArray.h"

namespace qvrfcdoe {
namespace {

// The experiment files that the analyzer self-tests read from the current directory.
const char* const kSelfTestInputs[] = {"DOETest1.ipt", "DOETest2.ipt"};

struct SelfTest {
    const char* name;
    std::function<int()> run;
};

std::vector<SelfTest> SelfTests() {
    using Array = CQVRFCDOETaguchiOrthogonalArray;
    using Analyzer = CQVRFCDOEAnalyzer;
    return {
        {"array Test1", [] { return Array::Test1(0, stdout); }},
        {"array Test2", [] { return Array::Test2(Array::OA_L9, stdout); }},
        {"analyzer Test1", [] { return Analyzer::Test1(stdout); }},
        {"analyzer Test2", [] { return Analyzer::Test2(stdout); }},
        {"analyzer Test3", [] { return Analyzer::Test3(stdout); }},
        {"analyzer Test4", [] { return Analyzer::Test4(stdout); }},
        {"analyzer Test5", [] { return Analyzer::Test5(stdout); }},
        {"analyzer Test6", [] { return Analyzer::Test6(stdout); }},
        {"analyzer Test7", [] { return Analyzer::Test7(stdout); }},
    };
}

}  // namespace

int RunSelfTests(const std::string& outFolder) {
    const fs::path data = FindDataFolder();
    OutputFolder folder(outFolder);
    folder.Create();
    for (const char* input : kSelfTestInputs)
        CopyInto(data / input, folder.Path());
    std::string failed;
    {
        CurrentDirectory inFolder(folder.Path());
        for (const SelfTest& test : SelfTests()) {
            if (test.run() != 1) failed += (failed.empty() ? "" : ", ") + std::string(test.name);
            std::fflush(stdout);
        }
    }
    folder.PrintFilesWritten();
    if (!failed.empty())
        throw CliError(kExitBadInput, Text("self-test failed: %s", failed.c_str()));
    return 0;
}

int RunCommand(const Options& options) {
    if (options.command.empty())
        throw UsageError(
            "a command is required: arrays, show, check, analyze, selftest or demo "
            "(see qvrfcdoe --help)");
    if (options.command == "arrays") return ListArrays();
    if (options.command == "show") return ShowArray(options.arrayName, options.outFolder);
    if (options.command == "check") return CheckArrays(options.outFolder);
    if (options.command == "selftest") return RunSelfTests(options.outFolder);
    if (options.command == "demo") return RunDemo(options.outFolder);
    AnalyzeRequest request;
    request.dataFile = options.dataFile;
    request.outFolder = options.outFolder;
    for (const std::string& text : options.snSettings)
        request.qualities.push_back(ParseQualitySetting(text));
    for (const std::string& text : options.poolSettings)
        request.pools.push_back(ParsePoolSetting(text));
    return Analyze(request);
}

}  // namespace qvrfcdoe
