// Hostile call sequences and hostile places to write. Every call ends with a clear result and
// the experiment held before stays intact (hostile data files are the data-file reader's
// tests). Writers under a full disk, a missing folder, a device and a link named like their
// file answer their failure value; a file is replaced whole or not at all, a link is replaced,
// never written through, and a device is written, never replaced.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "qvrfc/analyzer/QVRFCDOEAnalyzer.h"
#include "qvrfc/containers/QVRFCDOERunQualityFactorData.h"
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

// Everything a caller can see of an experiment's set-up and first observations.
std::string Held(const Analyzer& a) {
    std::string text = std::to_string(a.GetDOEArrayType()) + " " + std::to_string(a.GetNoRun()) +
                       " " + std::to_string(a.GetNoFactor()) + " " +
                       std::to_string(a.GetNoQuality()) + " " +
                       std::to_string(a.GetQualityValue(0, 7, 0)) + ":";
    for (int r = 0; r < a.GetNoRun(); ++r)
        for (int f = 0; f < a.GetNoFactor(); ++f)
            text += " " + std::to_string(a.GetLevel(r, f));
    return text;
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
        EXPECT_FALSE(fs::is_symlink(fs::symlink_status(written))) << what;
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

TEST(HostileInput, RefusedSetUpKeepsTheArrayOfTheHeldExperiment) {
    Analyzer a, noArray;  // an L8 experiment with one observation
    ASSERT_EQ(a.SetupDOE(1, Array::OA_L8, nullptr) + a.AppendQualityValue(0, 7, 3.5), 2);
    ASSERT_EQ(noArray.SetupDOE(1, 4, 3, 2, nullptr), 1);
    const std::string held = Held(a);
    const std::vector<std::pair<const char*, std::function<int()>>> refused = {
        {"undefined type", [&] { return a.SetupDOE(1, Array::OA_UNDEFINED, nullptr); }},
        {"full factorial", [&] { return a.SetupDOE(1, Array::OA_FULL_FACTORIAL, nullptr); }},
        {"type 99", [&] { return a.SetupDOE(1, static_cast<Array::OA_TYPE>(99), nullptr); }},
        {"one level", [&] { return a.SetupDOE(1, 5, 1, nullptr); }},
        {"40 factors", [&] { return a.SetupDOE(1, 40, 2, nullptr); }},
        {"no quality", [&] { return a.SetupDOE(0, Array::OA_L4, nullptr); }},
        {"negative qualities", [&] { return a.SetupDOE(-5, 3, 2, nullptr); }},
        {"no factor", [&] { return a.SetupDOE(1, 0, 2, nullptr); }},
        {"no quality, by counts", [&] { return a.SetupDOE(0, 4, 3, 2, nullptr); }},
        {"copy of no array", [&] { return a.SetData(&noArray); }},
    };
    std::remove("DOESetup.log");
    for (const auto& [what, call] : refused) {
        EXPECT_EQ(call(), 0) << what;
        EXPECT_EQ(Held(a), held) << what;
    }
    EXPECT_FALSE(FileExists("DOESetup.log"));  // a refused set-up writes no log
}

// A current folder that has vanished: the set-up logs cannot be written, the set-up holds; an
// array's matrix is read though its rows cannot be written back, and no "OK!" is claimed.
TEST(HostileInput, SetUpAndReaderHoldWhereNothingCanBeWritten) {
    const std::string home = TestDir();
    WriteFile("l4.txt", "1 1 1 1 2 2 2 1 2 2 2 1");
    ASSERT_EQ(mkdir("gone", 0700), 0);
    ASSERT_EQ(chdir("gone"), 0);
    ASSERT_EQ(rmdir((home + "/gone").c_str()), 0);
    Analyzer analyzer;
    EXPECT_EQ(analyzer.SetupDOE(1, Array::OA_L9, nullptr), 1);
    EXPECT_EQ(analyzer.GetNoRun(), 9);
    EXPECT_EQ(analyzer.Writer("report.log", "me"), 0);
    Array array;
    const std::string input = home + "/l4.txt";
    EXPECT_EQ(CaptureStdout([&] { array.ReadOrthogonalArray(4, 3, input.c_str(), "rows.txt"); }),
              "");
    EXPECT_EQ(array.GetLevel(3, 0), 2);
    ASSERT_EQ(chdir(home.c_str()), 0);
}

TEST(HostileInput, NonFiniteObservationsFromTheHostAreHeldAsGiven) {
    const double inf = std::numeric_limits<double>::infinity();
    Analyzer analyzer;
    ASSERT_EQ(analyzer.SetupDOE(1, Array::OA_L4, nullptr), 1);
    const std::vector<std::vector<double>> runs = {
        {5.0, inf}, {std::nan(""), 1.0}, {-inf, 2.0}, {1e308, 1e308}};
    for (int r = 0; r < 4; ++r) {
        ASSERT_EQ(analyzer.AddQualityValueStart(0, r), 1);
        for (double value : runs[r])
            ASSERT_EQ(analyzer.AddQualityValue(value), 1);
        double average = 0, deviation = 0;
        EXPECT_EQ(analyzer.AddQualityValueEnd(average, deviation), 1);
    }
    EXPECT_EQ(analyzer.GetRunQualityValue(0, 0), 5.0);  // above 1e12: missing
    EXPECT_TRUE(std::isnan(analyzer.GetRunQualityValue(0, 1)));
    EXPECT_EQ(analyzer.GetRunQualityValue(0, 2), -inf);
    // Analysis and reports run through without fault (checked by the sanitizer builds).
    int ranks[3] = {};
    EXPECT_EQ(analyzer.GetResponseRank(0, Analyzer::FACTOR_EFFECT_SN_RATIO, ranks), 1);
    for (int rank : ranks)
        EXPECT_TRUE(rank >= 0 && rank < 3);
    int dof = 0;
    analyzer.GetErrorSumsOfSquares(0, dof, Analyzer::FACTOR_EFFECT_QUALITY);
    EXPECT_EQ(analyzer.Writer("nonfinite.csv", "me"), 1);
    EXPECT_EQ(analyzer.Writer("nonfinite.log", "me"), 1);
}
