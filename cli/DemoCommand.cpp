// qvrfcdoe demo: the bundled experiment analysed as larger-the-better.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>
#include <string>

#include "Commands.h"
#include "OutputFolder.h"

namespace qvrfcdoe {
namespace {

const char* const kDemoFile = "DOETest1.ipt";

int RunDemo(const std::string& outFolder) {
    AnalyzeRequest request;
    request.dataFile = (FindDataFolder() / kDemoFile).string();
    request.settings.sn.push_back(qvrfc::ParseSnSetting("1=larger"));
    request.outFolder = outFolder;
    std::printf("Demo: %s, response 1 analysed as larger-the-better\n", request.dataFile.c_str());
    return Analyze(request);
}

}  // namespace

void DeclareDemoCommand(CLI::App& app, CommandRun& run) {
    auto outFolder = std::make_shared<std::string>("qvrfcdoe-out");
    CLI::App* demo = AddCommand(app, run, "demo",
                                "Analyse the bundled experiment DOETest1.ipt as larger-the-better",
                                [outFolder] { return RunDemo(*outFolder); });
    DeclareOutFolder(demo, *outFolder);
}

}  // namespace qvrfcdoe
