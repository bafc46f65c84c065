// The built-in scenarios of the analyzer and the array object: their result, what they write
// to their stream and to standard output, and the files they leave, as golden text.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>
#include <string>

#include "qvrfc/analyzer/QVRFCDOEAnalyzer.h"
#include "support/golden.h"
#include "support/test_support.h"

using namespace qvrfc_test;
using Analyzer = CQVRFCDOEAnalyzer;
using OA = CQVRFCDOETaguchiOrthogonalArray;

namespace {

struct Scenario {
    const char* name;
    std::function<int(FILE*)> run;
    bool withDataFiles;
};

const Scenario kScenarios[] = {
    {"analyzer_test1", Analyzer::Test1, true},
    {"analyzer_test1_no_input", Analyzer::Test1, false},
    {"analyzer_test2", Analyzer::Test2, true},
    {"analyzer_test3", Analyzer::Test3, false},
    {"analyzer_test4", Analyzer::Test4, true},
    {"analyzer_test4_no_input", Analyzer::Test4, false},
    {"analyzer_test5", Analyzer::Test5, false},
    {"analyzer_test6", Analyzer::Test6, false},
    {"analyzer_test7", Analyzer::Test7, false},
    {"array_test1", [](FILE* f) { return OA::Test1(0, f); }, false},
    {"array_test1_tables", [](FILE* f) { return OA::Test1(1, f); }, false},
    {"array_test2_l4", [](FILE* f) { return OA::Test2(OA::OA_L4, f); }, false},
    {"array_test2_full_factorial", [](FILE* f) { return OA::Test2(18, f); }, false},
    {"array_test2_unknown", [](FILE* f) { return OA::Test2(-5, f); }, false},
};

}  // namespace

TEST(Scenarios, ResultsOutputsAndFiles) {
    for (const Scenario& s : kScenarios) {
        SCOPED_TRACE(s.name);
        for (const auto& entry : std::filesystem::directory_iterator("."))
            std::filesystem::remove_all(entry);  // each scenario starts in an empty directory
        for (const char* name : {"DOETest1.ipt", "DOETest2.ipt"})
            if (s.withDataFiles) std::filesystem::copy_file(DataFile(name), name);
        StreamCapture stream;
        int result = -1;
        std::string text = CaptureStdout([&] { result = s.run(stream); });
        text = "result " + std::to_string(result) + "\n--- stream\n" + stream.Text() +
               "\n--- standard output\n" + text;
        std::set<std::string> written;  // every file the scenario left, in name order
        for (const auto& entry : std::filesystem::directory_iterator("."))
            if (entry.path().extension() != ".ipt") written.insert(entry.path().filename());
        for (const std::string& file : written)
            text += "\n--- " + file + "\n" + ReadFile(file);
        ExpectGolden(std::string("scenarios/") + s.name + ".txt", text);
    }
}

TEST(Scenarios, NullStreamDoesNothing) {
    const std::string out = CaptureStdout([] {
        EXPECT_EQ(OA::Test1(1, nullptr), 0);
        EXPECT_EQ(OA::Test2(OA::OA_L8, nullptr), 0);
    });
    EXPECT_EQ(out, "");
    EXPECT_FALSE(FileExists("QVRFCDOETaguchiMethod.log"));
}
