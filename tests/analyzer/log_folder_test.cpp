// The set-up logs in a folder the caller names: there byte for byte as they are in the current
// directory, nothing left in the current directory, copies writing where their source writes
// (two analyses on two threads: tests/analysis).
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "reference_data.h"
#include "support/golden.h"
#include "support/test_support.h"

namespace fs = std::filesystem;
using qvrfc_test::FolderEntries;
using qvrfc_test::ReadFile;
using Names = std::vector<std::string>;

namespace {

const Names kBothLogs = {"DOESetup.log", "QVRFCDOETaguchiMethod.log"};

// The "Type = ..." line of a log: which array the set-up stood on.
std::string ArrayLine(const std::string& path) {
    for (const std::string& line : qvrfc_test::Lines(ReadFile(path))) {
        if (line.rfind("Type ", 0) == 0) return line;
    }
    return "(no type line in " + path + ")";
}

}  // namespace

TEST(LogFolder, SetUpWritesBothLogsThereAsInTheCurrentDirectory) {
    fs::create_directory("logs");
    Analyzer analyzer;
    analyzer.SetLogFolder("logs");
    reference::SetupHandWorkedL4(analyzer);
    EXPECT_EQ(FolderEntries("."), Names{"logs"});
    EXPECT_EQ(FolderEntries("logs"), kBothLogs);
    qvrfc_test::ExpectGolden("analyzer/setup.log.txt", ReadFile("logs/DOESetup.log"));
    qvrfc_test::ExpectGolden("arrays/set_table_file.txt",
                             ReadFile("logs/QVRFCDOETaguchiMethod.log"));
}

// A copy, however made, writes its later set-up logs where its source writes.
TEST(LogFolder, CopiesWriteWhereTheirSourceWrites) {
    using Copy = std::function<void(Analyzer & source, Analyzer & copy)>;
    const std::vector<std::pair<const char*, Copy>> ways = {
        {"constructed", [](Analyzer& source, Analyzer& copy) { copy = Analyzer(source); }},
        {"assigned", [](Analyzer& source, Analyzer& copy) { copy = source; }},
        {"SetData", [](Analyzer& source, Analyzer& copy) { copy.SetData(&source); }},
    };
    fs::create_directories("source");
    fs::create_directories("mine");
    for (const auto& [way, copyFrom] : ways) {
        SCOPED_TRACE(way);
        Analyzer source, copy;
        source.SetLogFolder("source");
        source.SetupDOE(1, Array::OA_L4, nullptr);
        copy.SetLogFolder("mine");
        copyFrom(source, copy);
        EXPECT_STREQ(copy.GetLogFolder(), "source");
        ASSERT_EQ(copy.SetupDOE(1, Array::OA_L9, nullptr), 1);
        EXPECT_EQ(ArrayLine("source/DOESetup.log"),
                  "Type           = 2 (Taguchi Orthogonal Array L9(3^4))");
        EXPECT_EQ(ArrayLine("source/QVRFCDOETaguchiMethod.log"),
                  "Type           = 2 (Taguchi Orthogonal Array L9(3^4))");
        EXPECT_EQ(FolderEntries("mine"), Names{});
    }
    Analyzer neverSetUp, copy;
    neverSetUp.SetLogFolder("source");
    copy.SetLogFolder("mine");
    EXPECT_EQ(copy.SetData(&neverSetUp), 0);
    EXPECT_STREQ(copy.GetLogFolder(), "mine");  // a refused copy keeps its folder
}
