// qvrfcdoe check: the engine's balance check over the catalogue, a verdict per array.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "ArrayCatalogue.h"
#include "CliError.h"
#include "Commands.h"
#include "OutputFolder.h"

namespace qvrfcdoe {
namespace {

const char* const kCheckHeaderFormat = "%4s  %-16s %-7s  %s\n";
const char* const kCheckRowFormat = "%4d  %-16s %-7s  %s";

// Runs body with standard output sent to a temporary file and returns what it printed there,
// so that the findings of the engine's check can be put on one line with the array's verdict.
std::string CaptureStandardOutput(const std::function<void()>& body) {
    std::fflush(stdout);
    FILE* capture = std::tmpfile();
    const int saved = capture ? dup(STDOUT_FILENO) : -1;
    if (saved < 0 || dup2(fileno(capture), STDOUT_FILENO) < 0) {
        if (saved >= 0) close(saved);
        if (capture) std::fclose(capture);
        body();
        return std::string();
    }
    body();
    std::fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    close(saved);
    std::string text;
    std::rewind(capture);
    for (int c = std::fgetc(capture); c != EOF; c = std::fgetc(capture))
        text += static_cast<char>(c);
    std::fclose(capture);
    return text;
}

// The text with line ends turned into blanks and runs of blanks squeezed to one.
std::string OneLine(const std::string& text) {
    std::string line;
    for (char c : text) {
        const char blank = (c == '\n' || c == '\r' || c == '\t') ? ' ' : c;
        if (blank == ' ' && (line.empty() || line.back() == ' ')) continue;
        line += blank;
    }
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    return line;
}

int CheckArrays(const std::string& outFolder) {
    OutputFolder folder(outFolder);
    folder.Create();
    int passed = 0;
    const int total = kLastTableType - kFirstTableType + 1;
    std::printf("Balance check of the catalogue arrays\n");
    std::printf(kCheckHeaderFormat, "Type", "Name", "Verdict", "Findings");
    {
        CurrentDirectory inFolder(folder.Path());
        const EngineFilesCheck log(folder, {qvrfc::kArrayListingFile});
        CQVRFCDOETaguchiOrthogonalArray array;
        for (int t = kFirstTableType; t <= kLastTableType; ++t) {
            const OA_TYPE type = static_cast<OA_TYPE>(t);
            array.ClearData();
            array.SetTable(type);
            int result = 0;
            const std::string findings =
                CaptureStandardOutput([&array, &result] { result = array.CheckOrthogonality(); });
            passed += result == 1 ? 1 : 0;
            std::string row = Text(kCheckRowFormat, t, qvrfc::CatalogueName(type),
                                   result == 1 ? "pass" : "fail", OneLine(findings).c_str());
            row.erase(row.find_last_not_of(' ') + 1);
            std::printf("%s\n", row.c_str());
        }
        log.ExpectWritten();
    }
    std::printf("\n%d of %d arrays pass.\n", passed, total);
    std::printf(
        "E1: column sums differ (as they must in a mixed-level array); E2: levels occur unequally "
        "often within a column; E3 (a warning): levels occur unequally often over the array.\n");
    folder.PrintFilesWritten();
    return 0;
}

}  // namespace

void DeclareCheckCommand(CLI::App& app, CommandRun& run) {
    auto outFolder = std::make_shared<std::string>("qvrfcdoe-out");
    CLI::App* check =
        AddCommand(app, run, "check", "Run the balance check over every catalogue array",
                   [outFolder] { return CheckArrays(*outFolder); });
    DeclareOutFolder(check, *outFolder);
}

}  // namespace qvrfcdoe
