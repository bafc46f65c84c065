// One output folder written whole, for every client (the command, the Python module): the
// folder made and locked, an input that an output would replace refused, the leftovers of a
// killed writer removed, and the whole set staged and committed (QVRFCFileSet.h): every file
// of the set or none, and every earlier file in place when anything fails.
//
//   qvrfc::OutputRequest request;
//   request.folder = "out";
//   request.inputs = {"lab/runsheet.csv"};
//   const qvrfc::WrittenFiles written =
//       qvrfc::WriteOutputFolder(request, qvrfc::AnalysisOutput(analysis, {}));  // AnalysisFiles.h
//
// While a set is written the folder is locked (flock on the hidden file .qvrfcdoe.lock, which
// stays): a second writer on the same folder, in this process or another, waits until the
// first has finished, so that the files of one folder always come from one write.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "qvrfc/common/QVRFCExport.h"

namespace qvrfc {

// The lock file of an output folder.
constexpr const char* kFolderLockFile = ".qvrfcdoe.lock";

// A file of a set: its name inside the folder ("results.json", "charts/yield-pareto.svg") and
// its bytes, or the path of a file whose bytes it takes (an engine report, kept on disk).
struct OutputFile {
    std::string name, bytes;
    std::string source = {};
};

// The files of one write.
struct OutputSet {
    std::vector<OutputFile> files;
    // The set owns the page and the chart files in charts/: those of an earlier write that it
    // does not write go with its commit (regular files only: links, folders and other files
    // stay), and an input among them is refused.
    bool chartsAndPage = false;
    // Called with the folder under its lock, before anything is written: a refusal that
    // depends on what the folder holds.
    std::function<void(const std::string& folder)> check;
};

// Where a set goes.
struct OutputRequest {
    std::string folder;  // relative to the current directory; made with its parents
    // Files that no output may replace (empty ones are passed over): "'<input>' would be
    // overwritten by '<name>'; choose another --out folder" before anything is written.
    std::vector<std::string> inputs;
    // Called (with the folder's absolute path) when another writer holds the folder's lock,
    // before waiting for it.
    std::function<void(const std::string& folder)> waiting;
};

struct WrittenFiles {
    std::string folder;              // absolute
    std::vector<std::string> files;  // made or replaced, by their names inside it, sorted
};

// Writes the set into the folder. qvrfc::Error naming the folder or file and the cause: a
// folder that cannot be made, written into or locked, a refused input, a file of the set that
// is a FIFO, socket or device, a file that cannot be written.
QVRFC_API WrittenFiles WriteOutputFolder(const OutputRequest& request, const OutputSet& set);

// An output folder made (with its parents) when missing and locked for the object's life, for
// a writer that fills it itself; WriteOutputFolder holds one while it writes. qvrfc::Error
// naming the folder and the cause when it cannot be made, written into or locked.
class QVRFC_API LockedFolder {
  public:
    // waiting as OutputRequest's.
    LockedFolder(const std::string& folder,
                 const std::function<void(const std::string& folder)>& waiting);
    ~LockedFolder();  // releases the lock
    LockedFolder(const LockedFolder&) = delete;
    LockedFolder& operator=(const LockedFolder&) = delete;

    const std::string& Path() const;  // absolute
    // The regular files made or replaced since the folder was locked, by their names inside
    // it, sorted; the lock file aside.
    std::vector<std::string> FilesWritten() const;

  private:
    struct State;
    std::unique_ptr<State> m_state;
};

}  // namespace qvrfc
