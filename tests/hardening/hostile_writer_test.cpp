// Writers under a full disk, a missing folder, a device and a link named like their file:
// every writer answers its failure value, a file is replaced whole or not at all, a link is
// replaced, never written through, and a device is written, never replaced.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "analyzer/QVRFCDOEAnalyzer.h"
#include "containers/QVRFCDOERunQualityFactorData.h"
#include "support/test_support.h"

using namespace qvrfc_test;
using Analyzer = CQVRFCDOEAnalyzer;
using Array = CQVRFCDOETaguchiOrthogonalArray;
namespace fs = std::filesystem;

namespace {

constexpr const char* kEarlier = "the earlier file\n";

// An L81 experiment whose report and listing are larger than the small disk below.
void SetupLargeExperiment(Analyzer& analyzer) {
    ASSERT_EQ(analyzer.SetupDOE(1, Array::OA_L81, nullptr), 1);
    for (int r = 0; r < 81; ++r)
        for (double value : {r + 1.0, r + 2.5})
            ASSERT_EQ(analyzer.AppendQualityValue(0, r, value), 1);
}

// A 12 KB file system of its own, mounted while the object lives (root only).
class SmallDisk {
  public:
    explicit SmallDisk(const std::string& folder) : m_folder(folder) {
        fs::create_directory(folder);
        m_mounted = mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=12k") == 0;
    }
    ~SmallDisk() {
        if (m_mounted) umount(m_folder.c_str());
    }
    bool Mounted() const { return m_mounted; }

  private:
    std::string m_folder;
    bool m_mounted = false;
};

bool IsSymbolicLink(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

}  // namespace

TEST(HostileWriter, StreamWritersAnswerZeroOnAFullDevice) {
    FILE* full = std::fopen("/dev/full", "w");
    if (!full) GTEST_SKIP() << "/dev/full cannot be opened here";
    Analyzer analyzer;
    SetupLargeExperiment(analyzer);
    Array array;
    ASSERT_EQ(array.SetTable(Array::OA_L81), 1);
    CQVRFCDOERunQualityFactorData runs;
    ASSERT_EQ(runs.CreateData(3, 2), 1);
    const std::vector<std::pair<const char*, std::function<int()>>> writers = {
        {"experiment section", [&] { return analyzer.DOEWriter(full, 0); }},
        {"set-up listing", [&] { return analyzer.DOEWriter(full); }},
        {"run quality table", [&] { return analyzer.WriteRunQualityData(full, 1, "t"); }},
        {"response tables", [&] { return analyzer.WriteFactorEffectData(full, 1, "t"); }},
        {"plot series", [&] { return analyzer.WriteQualityResponsePlotData(0, full, "t"); }},
        {"array listing", [&] { return array.Writer(full, "t"); }},
        {"run line", [&] { return runs.WriteData(full, 0, 0); }},
        {"run lines", [&] { return runs.WriteData(full, 1); }},
    };
    for (const auto& [what, write] : writers) {
        std::clearerr(full);
        errno = 0;
        EXPECT_EQ(write(), 0) << what;
        EXPECT_EQ(errno, ENOSPC) << what;
    }
    std::fclose(full);
}

TEST(HostileWriter, FilesAreReplacedWholeOrNotAtAll) {
    Analyzer analyzer;
    SetupLargeExperiment(analyzer);
    Array array;
    ASSERT_EQ(array.SetTable(Array::OA_L81), 1);
    const std::vector<std::pair<const char*, std::function<int(const std::string&)>>> writers = {
        {"plain report",
         [&](const std::string& path) { return analyzer.Writer(path.c_str(), "t"); }},
        {"comma-separated report",
         [&](const std::string& path) { return analyzer.Writer((path + ".csv").c_str(), "t"); }},
        {"array listing file",
         [&](const std::string& path) { return array.Writer(path.c_str(), "t"); }},
    };
    SmallDisk disk("full");
    const bool device = mknod("null", S_IFCHR | 0666, makedev(1, 3)) == 0;
    for (const auto& [what, write] : writers) {
        // A missing folder: nothing is made.
        errno = 0;
        EXPECT_EQ(write("missing/out.log"), 0) << what;
        EXPECT_EQ(errno, ENOENT) << what;
        EXPECT_FALSE(fs::exists("missing")) << what;

        // A link named like the file: the link is replaced, its target left alone.
        WriteFile("victim.txt", kEarlier);
        fs::remove("link.log");
        fs::remove("link.log.csv");
        fs::create_symlink("victim.txt", "link.log");
        fs::create_symlink("victim.txt", "link.log.csv");
        EXPECT_EQ(write("link.log"), 1) << what;
        EXPECT_EQ(ReadFile("victim.txt"), kEarlier) << what;
        const bool csv = std::string(what).find("comma") != std::string::npos;
        const std::string written = csv ? "link.log.csv" : "link.log";
        EXPECT_FALSE(IsSymbolicLink(written)) << what;
        EXPECT_NE(ReadFile(written).find("[DOE OrthogonalArray]"), std::string::npos) << what;

        // A device (a twin of /dev/null made here) is a stream: written, never replaced.
        if (!csv && device) {
            EXPECT_EQ(write("null"), 1) << what;
            EXPECT_TRUE(fs::is_character_file(fs::symlink_status("null"))) << what;
        }

        // A full disk: the call fails and the earlier file stays, with no leftover.
        if (!disk.Mounted()) continue;
        const std::string target = csv ? "full/out.log.csv" : "full/out.log";
        WriteFile(target, kEarlier);
        errno = 0;
        EXPECT_EQ(write("full/out.log"), 0) << what;
        EXPECT_EQ(errno, ENOSPC) << what;
        EXPECT_EQ(ReadFile(target), kEarlier) << what;
        EXPECT_EQ(FolderEntries("full"), std::vector<std::string>{target.substr(5)}) << what;
        fs::remove(target);
    }
    if (!disk.Mounted()) GTEST_SKIP() << "no 12 KB tmpfs could be mounted: full disk not tried";
    if (!device) GTEST_SKIP() << "no device could be made: device not tried";
}

TEST(HostileWriter, ArrayRowFileIsKeptWhenItCannotBeReplaced) {
    SmallDisk disk("full");
    if (!disk.Mounted()) GTEST_SKIP() << "no 12 KB tmpfs could be mounted";
    std::string numbers;
    for (int i = 0; i < 81 * 40; ++i)
        numbers += "2 ";
    WriteFile("levels.txt", numbers);
    WriteFile("full/rows.txt", kEarlier);
    Array array;
    const std::string printed =
        CaptureStdout([&] { array.ReadOrthogonalArray(81, 40, "levels.txt", "full/rows.txt"); });
    EXPECT_EQ(printed, "");
    EXPECT_EQ(ReadFile("full/rows.txt"), kEarlier);
    EXPECT_EQ(FolderEntries("full"), std::vector<std::string>{"rows.txt"});
}
