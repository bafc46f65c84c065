// The set-up logs in a folder the caller names: there byte for byte as they are in the current
// directory, nothing left in the current directory, copies writing where their source writes,
// and two analyzers set up at once on two threads each keeping its own logs.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <thread>
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

TEST(LogFolder, FolderSpellings) {
    fs::create_directory("logs");
    const std::string absolute = fs::absolute("logs").string();
    struct Case {
        const char* folder;
        std::string held;        // GetLogFolder afterwards
        std::string logsFolder;  // where both logs appear
    };
    const Case cases[] = {{nullptr, "", "."},
                          {"", "", "."},
                          {"logs", "logs", "logs"},
                          {"logs/", "logs/", "logs"},
                          {absolute.c_str(), absolute, "logs"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder ? c.folder : "(null)");
        Analyzer analyzer;
        analyzer.SetupDOE(1, Array::OA_L4, nullptr);  // an array object to pass the folder on to
        analyzer.SetLogFolder("a folder held before, long enough to live on the heap");
        analyzer.SetLogFolder(analyzer.GetLogFolder());  // its own text: no dangling read
        analyzer.SetLogFolder(c.folder);
        for (const char* place : {".", "logs"})
            for (const std::string& log : kBothLogs)
                fs::remove(fs::path(place) / log);
        EXPECT_EQ(analyzer.GetLogFolder(), c.held);
        ASSERT_EQ(analyzer.SetupDOE(1, Array::OA_L4, nullptr), 1);
        EXPECT_TRUE(qvrfc_test::FileExists(c.logsFolder + "/DOESetup.log"));
        EXPECT_TRUE(qvrfc_test::FileExists(c.logsFolder + "/QVRFCDOETaguchiMethod.log"));
        EXPECT_EQ(FolderEntries(c.logsFolder == "." ? "logs" : "."),
                  (c.logsFolder == "." ? Names{} : Names{"logs"}));
    }
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

TEST(LogFolder, ArrayObjectAloneAndItsCopies) {
    fs::create_directory("listing");
    Array array;
    array.SetLogFolder("listing");
    array.SetTable(Array::OA_L4);
    Array copy(array), rebuilt;
    copy.SetTable(Array::OA_L8);
    EXPECT_EQ(ArrayLine("listing/QVRFCDOETaguchiMethod.log"),
              "Type           = 1 (Taguchi Orthogonal Array L8(2^7))");
    EXPECT_EQ(rebuilt.SetData(&array), 1);
    EXPECT_EQ(ArrayLine("listing/QVRFCDOETaguchiMethod.log"),
              "Type           = 0 (Taguchi Orthogonal Array L4(2^3))");
    EXPECT_EQ(FolderEntries("."), Names{"listing"});
}

// Each thread sets its own analyzer up again and again in its own folder: every log read
// afterwards names that thread's array, and no temporary is left anywhere.
TEST(LogFolder, TwoAnalyzersOnTwoThreadsKeepTheirLogsApart) {
    struct Job {
        const char* folder;
        Array::OA_TYPE type;
        const char* arrayLine;
    };
    const Job jobs[] = {
        {"l8", Array::OA_L8, "Type           = 1 (Taguchi Orthogonal Array L8(2^7))"},
        {"l27", Array::OA_L27, "Type           = 8 (Taguchi Orthogonal Array L27(3^13))"}};
    const auto setUpOften = [](const Job& job) {
        for (int i = 0; i < 200; ++i) {
            Analyzer analyzer;
            analyzer.SetLogFolder(job.folder);
            analyzer.SetupDOE(2, job.type, nullptr);
        }
    };
    for (const Job& job : jobs)
        fs::create_directory(job.folder);
    std::thread first(setUpOften, jobs[0]), second(setUpOften, jobs[1]);
    first.join();
    second.join();
    EXPECT_EQ(FolderEntries("."), (Names{"l27", "l8"}));
    for (const Job& job : jobs) {
        SCOPED_TRACE(job.folder);
        EXPECT_EQ(FolderEntries(job.folder), kBothLogs);
        for (const std::string& log : kBothLogs)
            EXPECT_EQ(ArrayLine(std::string(job.folder) + "/" + log), job.arrayLine);
    }
}
