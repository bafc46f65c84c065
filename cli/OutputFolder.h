// Where the program's files go. The commands that analyse write their folder with one library
// call (qvrfc::WriteOutputFolder); those that run the engine's own writers, which write fixed
// file names into the current directory, do so inside a locked output folder. Either way the
// command then says which files it wrote there.
#pragma once

#include <sys/stat.h>

#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "qvrfc/results/OutputFolder.h"

namespace qvrfcdoe {

namespace fs = std::filesystem;

// The request of a command writing into --out: a second command on the same folder waits,
// saying so on standard error.
qvrfc::OutputRequest OutRequest(const std::string& folder, const std::vector<std::string>& inputs);
// Prints "Files written to <folder>:" and the files written.
void PrintFilesWritten(const qvrfc::WrittenFiles& written);

// The output folder of a command that runs the engine's own writers in it, taken relative to
// the caller's current directory and locked as qvrfc::LockedFolder locks it (a second command
// on the same folder waits, saying so on standard error).
class OutputFolder {
  public:
    explicit OutputFolder(const std::string& path);
    ~OutputFolder();  // releases the lock
    OutputFolder(const OutputFolder&) = delete;
    OutputFolder& operator=(const OutputFolder&) = delete;

    const fs::path& Path() const { return m_path; }
    // Path of a file inside the folder.
    fs::path File(const std::string& name) const { return m_path / name; }
    // Makes the folder (and its parents) when missing and locks it; an InputError when the
    // folder cannot be made or written into.
    void Create();
    // Prints "Files written to <folder>:" and the files written (made, replaced or changed)
    // since the folder was locked, and no other.
    void PrintFilesWritten() const;

  private:
    fs::path m_path;
    std::unique_ptr<qvrfc::LockedFolder> m_locked;
};

// Files that the engine writes into the output folder. Made before the engine runs, the
// check refuses a FIFO, socket or device of one of those names (writing would hang or go
// astray; it is left as it is); ExpectWritten afterwards throws an InputError naming the
// first of them that was not written (replaced or changed) since, with the cause when known.
class EngineFilesCheck {
  public:
    EngineFilesCheck(const OutputFolder& folder, const std::vector<std::string>& names);
    void ExpectWritten() const;

  private:
    struct Stamp {
        bool regular = false;
        struct stat status {};
    };
    static Stamp StampOf(const fs::path& file);

    std::vector<std::pair<fs::path, Stamp>> m_before;
};

// Sets the current directory for the lifetime of the object and restores the previous one.
class CurrentDirectory {
  public:
    explicit CurrentDirectory(const fs::path& folder);
    ~CurrentDirectory();
    CurrentDirectory(const CurrentDirectory&) = delete;
    CurrentDirectory& operator=(const CurrentDirectory&) = delete;

  private:
    fs::path m_previous;
};

// The folder of the bundled experiment files (DOETest1.ipt, DOETest2.ipt): beside the
// installed program, at the configured install location, or in the source tree.
fs::path FindDataFolder();

// Copies file into folder. A file of that name already there is left as it is: kept when it
// holds the same bytes, an InputError naming it otherwise.
void CopyInto(const fs::path& file, const fs::path& folder);

// True when both paths name the same existing file.
bool SameFile(const fs::path& a, const fs::path& b);

}  // namespace qvrfcdoe
