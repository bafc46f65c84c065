// qvrfcdoe selftest: the engine's self-tests on the bundled experiment files.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ArrayCatalogue.h"
#include "CliError.h"
#include "Commands.h"
#include "OutputFolder.h"
#include "qvrfc/analyzer/QVRFCDOEAnalyzer.h"
#include "qvrfc/arrays/QVRFCDOETaguchiOrthogonalArray.h"

namespace qvrfcdoe {
namespace {

// The experiment files that the analyzer self-tests read from the current directory.
const char* const kSelfTestInputs[] = {"DOETest1.ipt", "DOETest2.ipt"};

struct SelfTest {
    const char* name;
    std::function<int()> run;
    std::function<void()> explain;  // what its output means, printed after it (may be empty)
};

// The arrays whose columns do not all have the same number of levels, as the array self-test
// visits them (L8 to L81).
std::string MixedLevelArrays() {
    using Array = CQVRFCDOETaguchiOrthogonalArray;
    std::string names;
    for (int t = Array::OA_L8; t <= Array::OA_L81; ++t) {
        const OA_TYPE type = static_cast<OA_TYPE>(t);
        for (int c = 1; c < Array::GetNoFactor(type); ++c) {
            if (Array::GetNoLevel(type, c) == Array::GetNoLevel(type, 0)) continue;
            names += (names.empty() ? "" : ", ") + qvrfc::ArrayName(type);
            break;
        }
    }
    return names;
}

// The array self-test's FAIL! verdicts are its balance check's, which a mixed-level array
// cannot pass; said as the check command says it.
void ExplainArrayVerdicts() {
    std::printf(
        "\nNote: FAIL! above marks the mixed-level arrays (%s): their column sums differ, as "
        "they must in a mixed-level array (E1 of qvrfcdoe check, which lists each array's "
        "findings); the array self-test passes all the same.\n",
        MixedLevelArrays().c_str());
}

std::vector<SelfTest> SelfTests() {
    using Array = CQVRFCDOETaguchiOrthogonalArray;
    using Analyzer = CQVRFCDOEAnalyzer;
    return {
        {"array Test1", [] { return Array::Test1(0, stdout); }, ExplainArrayVerdicts},
        {"array Test2", [] { return Array::Test2(Array::OA_L9, stdout); }, {}},
        {"analyzer Test1", [] { return Analyzer::Test1(stdout); }, {}},
        {"analyzer Test2", [] { return Analyzer::Test2(stdout); }, {}},
        {"analyzer Test3", [] { return Analyzer::Test3(stdout); }, {}},
        {"analyzer Test4", [] { return Analyzer::Test4(stdout); }, {}},
        {"analyzer Test5", [] { return Analyzer::Test5(stdout); }, {}},
        {"analyzer Test6", [] { return Analyzer::Test6(stdout); }, {}},
        {"analyzer Test7", [] { return Analyzer::Test7(stdout); }, {}},
    };
}

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
            if (test.explain) test.explain();
        }
    }
    folder.PrintFilesWritten();
    if (!failed.empty()) throw InputError(Text("self-test failed: %s", failed.c_str()));
    return 0;
}

}  // namespace

void DeclareSelftestCommand(CLI::App& app, CommandRun& run) {
    auto outFolder = std::make_shared<std::string>("qvrfcdoe-out");
    CLI::App* selftest =
        AddCommand(app, run, "selftest", "Run the engine's self-tests on the bundled experiments",
                   [outFolder] { return RunSelfTests(*outFolder); });
    DeclareOutFolder(selftest, *outFolder);
}

}  // namespace qvrfcdoe
