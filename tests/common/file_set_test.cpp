// The one whole-file writer: a set of files replaced together or not at all, never written
// through a name planted beside or in place of a file, with the cause of a failure named, and
// the clean-up of what a killed writer left behind.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "qvrfc/common/QVRFCError.h"
#include "qvrfc/common/QVRFCFileSet.h"
#include "support/test_support.h"

namespace fs = std::filesystem;
using qvrfc_test::FileExists;
using qvrfc_test::FolderEntries;
using qvrfc_test::ReadFile;
using qvrfc_test::WriteFile;
using Names = std::vector<std::string>;

namespace {

std::string Here(const std::string& name) {
    return (fs::current_path() / name).string();
}

}  // namespace

TEST(FileSet, CommitReplacesEveryFileWithTheUsualPermissions) {
    const mode_t previousMask = umask(027);
    fs::create_directory("out");
    WriteFile("out/a.txt", "old a");
    const std::string longName(247, 'n');  // the longest a temporary's name can carry whole
    qvrfc::FileSet files;
    files.Write("out/a.txt", "new a");
    files.Write("out/b.txt", "");
    files.Write("out/" + longName, "long");
    files.Copy("out/d.txt", "out/a.txt");
    const std::string byName = files.Stage("out/c.log");
    std::FILE* stream = std::fopen(byName.c_str(), "w");
    ASSERT_NE(stream, nullptr);
    std::fputs("by name", stream);
    std::fclose(stream);
    EXPECT_EQ(ReadFile("out/a.txt"), "old a");  // nothing replaced before Commit
    files.Commit();
    umask(previousMask);
    EXPECT_EQ(FolderEntries("out"), (Names{"a.txt", "b.txt", "c.log", "d.txt", longName}));
    EXPECT_EQ(ReadFile("out/a.txt") + "|" + ReadFile("out/b.txt") + "|" + ReadFile("out/c.log") +
                  "|" + ReadFile("out/d.txt") + "|" + ReadFile("out/" + longName),
              "new a||by name|old a|long");
    EXPECT_EQ(fs::status("out/b.txt").permissions(), static_cast<fs::perms>(0640));
}

TEST(FileSet, DroppedWithoutCommitChangesNothing) {
    WriteFile("a.txt", "old a");
    {
        qvrfc::FileSet files;
        files.Write("a.txt", "new a");
        files.Write("b.txt", "new b");
        files.Stage("c.txt");
    }
    EXPECT_EQ(FolderEntries("."), Names{"a.txt"});
    EXPECT_EQ(ReadFile("a.txt"), "old a");
}

// A link planted under the names the former writers used, or under the file's own name, is
// never written through: the file replaces a link named like it, and the other links stay.
TEST(FileSet, PlantedLinksAreNeverWrittenThrough) {
    for (const char* planted : {".x.part", "x.part", "x.tmp", ".x.tmp", "x"}) {
        SCOPED_TRACE(planted);
        fs::remove_all("d");
        fs::create_directory("d");
        WriteFile("victim", "untouched");
        fs::create_symlink(Here("victim"), fs::path("d") / planted);
        qvrfc::WriteWholeFile("d/x", "written");
        EXPECT_EQ(ReadFile("victim"), "untouched");
        EXPECT_EQ(ReadFile("d/x"), "written");
        EXPECT_FALSE(fs::is_symlink("d/x"));
        EXPECT_EQ(FolderEntries("d").size(), std::string(planted) == "x" ? 1u : 2u);
    }
}

// A write that fails leaves the earlier file of the set as it was, no temporary behind, and
// names the absolute path and the cause; the set refuses to go on afterwards.
TEST(FileSet, FailureKeepsEveryEarlierFile) {
    struct Case {
        const char* what;
        std::function<void()> prepare;
        std::string target;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"folder missing", [] {}, "missing/x",
         "cannot write '" + Here("missing/x") + "': No such file or directory"},
        {"folder is a file", [] { WriteFile("plain", "p"); }, "plain/x",
         "cannot write '" + Here("plain/x") + "': Not a directory"},
        {"target is a folder", [] { fs::create_directory("folder"); }, "folder",
         "cannot write '" + Here("folder") + "': Is a directory"},
        {"target is full", [] {}, "/dev/full", "cannot write '/dev/full': No space left on device"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.prepare();
        WriteFile("kept.txt", "earlier");
        const Names before = FolderEntries(".");
        qvrfc::FileSet files;
        files.Write("kept.txt", "later");
        EXPECT_EQ(qvrfc_test::Refusal([&] { files.Write(c.target, "bytes"); }), c.message);
        EXPECT_EQ(qvrfc_test::Refusal([&] { files.Commit(); }), c.message);
        EXPECT_EQ(ReadFile("kept.txt"), "earlier");
        EXPECT_EQ(FolderEntries("."), before);
    }
    EXPECT_EQ(qvrfc_test::Refusal([] { qvrfc::WriteWholeFile("missing/y", "z"); }),
              "cannot write '" + Here("missing/y") + "': No such file or directory");
    EXPECT_EQ(qvrfc_test::Refusal([] { qvrfc::FileSet().Copy("y", "missing"); }),
              "cannot read '" + Here("missing") + "': No such file or directory");
    WriteFile("source", "s");  // a device takes the copy through memory, not from the kernel
    EXPECT_EQ(qvrfc_test::Refusal([] { qvrfc::FileSet().Copy("/dev/full", "source"); }),
              "cannot write '/dev/full': No space left on device");
}

TEST(FileSet, RemoveStaleTemporariesTakesOnlyLeftovers) {
    fs::create_directory("out");
    for (const char* name :
         {".a.txt.Ab3dE9", ".a.txt.zzzzzz", ".b.txt.000000", ".a.txt.Ab3dE", ".a.txt.Ab3dE99",
          ".a.txt.Ab-dE9", ".c.txt.Ab3dE9", "a.txt", ".a.txt.x.Ab3dE9", "a.txt.Ab3dE9"})
        WriteFile(std::string("out/") + name, "x");
    fs::create_directory("out/.a.txt.folder");
    WriteFile("victim", "stays");
    fs::create_symlink(Here("victim"), "out/.b.txt.link01");
    EXPECT_EQ(qvrfc::RemoveStaleTemporaries("out", {"a.txt", "b.txt"}), 4);
    EXPECT_EQ(FolderEntries("out"),
              (Names{".a.txt.Ab-dE9", ".a.txt.Ab3dE", ".a.txt.Ab3dE99", ".a.txt.folder",
                     ".a.txt.x.Ab3dE9", ".c.txt.Ab3dE9", "a.txt", "a.txt.Ab3dE9"}));
    EXPECT_EQ(ReadFile("victim"), "stays");
    // A family of names: the leftovers whose name is one of ours, and nothing else.
    const auto pdf = [](const std::string& name) {
        return name.size() > 4 && name.compare(name.size() - 4, 4, ".pdf") == 0;
    };
    for (const char* name : {".x.pdf.Ab3dE9", ".y.z.pdf.000000", ".x.pdf.Ab3dE", "x.pdf.Ab3dE9"})
        WriteFile(std::string("out/") + name, "x");
    EXPECT_EQ(qvrfc::RemoveStaleTemporaries("out", pdf), 2);
    EXPECT_FALSE(FileExists("out/.x.pdf.Ab3dE9"));
    EXPECT_TRUE(FileExists("out/.x.pdf.Ab3dE") && FileExists("out/x.pdf.Ab3dE9"));
    EXPECT_EQ(qvrfc::RemoveStaleTemporaries("missing", {"a.txt"}), 0);
    EXPECT_EQ(qvrfc_test::Refusal([] { qvrfc::RemoveStaleTemporaries("victim", {"a.txt"}); }),
              "cannot read the folder '" + Here("victim") + "': Not a directory");
}

// Files removed with a set go only on its Commit, after the files it writes; one already gone
// is no fault, and a folder in the way fails the Commit before anything changes.
TEST(FileSet, RemovedFilesGoOnlyWithTheCommit) {
    WriteFile("old.txt", "old");
    {
        qvrfc::FileSet dropped;
        dropped.Write("new.txt", "new");
        dropped.Remove("old.txt");
    }
    EXPECT_EQ(FolderEntries("."), Names{"old.txt"});
    qvrfc::FileSet files;
    files.Write("new.txt", "new");
    files.Remove("old.txt");
    files.Remove("gone.txt");
    files.Commit();
    EXPECT_EQ(FolderEntries("."), Names{"new.txt"});

    fs::create_directory("folder");
    qvrfc::FileSet blocked;
    blocked.Write("new.txt", "newer");
    blocked.Remove("folder");
    EXPECT_EQ(qvrfc_test::Refusal([&] { blocked.Commit(); }),
              "cannot remove '" + Here("folder") + "': Is a directory");
    EXPECT_EQ(ReadFile("new.txt"), "new");
    EXPECT_EQ(FolderEntries("."), (Names{"folder", "new.txt"}));
}
