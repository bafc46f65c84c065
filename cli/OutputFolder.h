// Where the program's files go. The engine writes fixed file names into the
// current directory, so every command that runs it does so inside an output
// folder and then says which files it wrote there.
#pragma once

#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "qvrfc/charts/ChartRender.h"
#include "qvrfc/common/QVRFCFileSet.h"
#include "qvrfc/results/AnalysisFiles.h"

namespace qvrfcdoe {

namespace fs = std::filesystem;

// Logs that the engine writes into its current directory: the set-up of an experiment, and
// the listing of the array each time a catalogue table is set.
constexpr const char* kSetupLog = "DOESetup.log";
constexpr const char* kArrayListingLog = "QVRFCDOETaguchiMethod.log";
// The page of the charts and results.
using qvrfc::kPageFile;

// The output folder of one command, taken relative to the caller's current directory.
// While a command works in it the folder is locked (flock on the hidden file .qvrfcdoe.lock,
// which stays): a second command on the same folder waits, saying so on standard error, until
// the first has finished, so that the files of one folder always come from one run.
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
    void Lock();

    fs::path m_path;
    int m_lock = -1;  // descriptor of the lock file while the folder is locked
    std::map<std::string, struct stat> m_locked;  // the files as they were when it was locked
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

// A folder of its own in the system's temporary folder ($TMPDIR, else /tmp), removed with the
// object; an InputError naming the temporary folder and the cause when none can be made.
class ScratchFolder {
  public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const fs::path& Path() const { return m_path; }

  private:
    fs::path m_path;
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

// Refuses (InputError) an input file that is one of the files `names` in the folder, or one of
// the chart files in its charts/ (which a command that draws charts replaces or removes), before
// anything is written: "'<input>' would be overwritten by '<name>'; choose another --out folder".
// Empty inputs are passed over.
void RefuseOverwritingInputs(const OutputFolder& folder, const std::vector<std::string>& inputs,
                             const std::vector<std::string>& names, bool charts);

// Removes what a killed command left in the folder, which must be locked: the hidden
// temporaries of the files `names` and, with charts, those of chart files in charts/.
void RemoveLeftovers(const OutputFolder& folder, const std::vector<std::string>& names,
                     bool charts);

// Stages the chart files and the page (named as qvrfc::ChartAndPageFiles names them) in files,
// and the removal of the chart files and the page that an earlier command left in the folder
// and that this one does not write, so that no result of an earlier run stays beside the new
// ones. Only regular files of those names go: links, folders and other files stay.
void StageChartsAndPage(qvrfc::FileSet& files, const OutputFolder& folder,
                        const std::vector<qvrfc::ChartFile>& drawn);

}  // namespace qvrfcdoe
