#include "qvrfc/results/OutputFolder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <system_error>

#include "qvrfc/charts/ChartRender.h"
#include "qvrfc/common/QVRFCError.h"
#include "qvrfc/common/QVRFCFileSet.h"
#include "qvrfc/common/QVRFCTextFormat.h"
#include "qvrfc/results/AnalysisFiles.h"

namespace qvrfc {
namespace {

namespace fs = std::filesystem;

using FileStates = std::map<std::string, struct stat>;

bool IsRegularFile(const fs::path& file) {
    struct stat status;
    return lstat(file.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

bool SameFile(const fs::path& a, const fs::path& b) {
    std::error_code error;
    const bool same = fs::equivalent(a, b, error);
    return !error && same;
}

// True when `is` may be the status of another file than `was`, or of the same one written since.
bool Changed(const struct stat& was, const struct stat& is) {
    return was.st_ino != is.st_ino || was.st_dev != is.st_dev || was.st_size != is.st_size ||
           was.st_mtim.tv_sec != is.st_mtim.tv_sec || was.st_mtim.tv_nsec != is.st_mtim.tv_nsec ||
           was.st_ctim.tv_sec != is.st_ctim.tv_sec || was.st_ctim.tv_nsec != is.st_ctim.tv_nsec;
}

// The regular files in folder and its subfolders (charts/...) by their path inside it, the
// lock file aside, with their status.
FileStates RegularFiles(const fs::path& folder) {
    FileStates files;
    std::error_code error;
    fs::recursive_directory_iterator entries(folder, fs::directory_options::skip_permission_denied,
                                             error);
    for (const fs::recursive_directory_iterator end; !error && entries != end;
         entries.increment(error)) {
        const fs::path& path = entries->path();
        struct stat status;
        if (path.filename() != kFolderLockFile && lstat(path.c_str(), &status) == 0 &&
            S_ISREG(status.st_mode))
            files.emplace(path.lexically_relative(folder).string(), status);
    }
    return files;
}

fs::path AbsoluteFolder(const std::string& folder) {
    std::error_code error;
    const fs::path path = fs::absolute(folder, error);
    if (error)
        throw Error(FormatText("cannot find output folder '%s': %s", folder.c_str(),
                               error.message().c_str()));
    return path.lexically_normal();
}

void MakeFolder(const fs::path& folder) {
    std::error_code error;
    if (fs::exists(folder, error) && !fs::is_directory(folder, error))
        throw Error(FormatText("output folder '%s' exists and is not a folder", folder.c_str()));
    fs::create_directories(folder, error);
    if (error)
        throw Error(FormatText("cannot create output folder '%s': %s", folder.c_str(),
                               error.message().c_str()));
}

// The descriptor of the folder's lock file, locked.
int Lock(const fs::path& folder, const std::function<void(const std::string& folder)>& waiting) {
    const fs::path file = folder / kFolderLockFile;
    const int lock =
        open(file.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    if (lock < 0)
        throw Error(FormatText("cannot write into output folder '%s': %s", folder.c_str(),
                               std::strerror(errno)));
    struct stat status;
    std::string failure;
    if (fstat(lock, &status) != 0 || !S_ISREG(status.st_mode)) {
        failure = FormatText("cannot lock output folder '%s': '%s' is not a regular file",
                             folder.c_str(), file.c_str());
    } else if (flock(lock, LOCK_EX | LOCK_NB) == 0) {
        return lock;
    } else {
        int locked = -1;
        if (errno == EWOULDBLOCK) {
            if (waiting) waiting(folder.string());
            do
                locked = flock(lock, LOCK_EX);
            while (locked != 0 && errno == EINTR);
        }
        if (locked == 0) return lock;
        failure =
            FormatText("cannot lock output folder '%s': %s", folder.c_str(), std::strerror(errno));
    }
    close(lock);
    throw Error(failure);
}

// Every name the set writes or, owning the page and the charts, may remove.
std::vector<std::string> OutputNames(const fs::path& folder, const OutputSet& set) {
    std::vector<std::string> names;
    for (const OutputFile& file : set.files)
        names.push_back(file.name);
    if (set.chartsAndPage) {
        names.push_back(kPageFile);
        for (const std::string& chart : ChartFilesIn(folder.string()))
            names.push_back((fs::path(kChartFolder) / chart).string());
    }
    return names;
}

void RefuseOverwritingInputs(const fs::path& folder, const std::vector<std::string>& inputs,
                             const OutputSet& set) {
    const std::vector<std::string> names = OutputNames(folder, set);
    for (const std::string& input : inputs) {
        for (const std::string& name : names) {
            if (!input.empty() && SameFile(input, folder / name))
                throw Error(
                    FormatText("'%s' would be overwritten by '%s'; choose another --out "
                               "folder",
                               input.c_str(), name.c_str()));
        }
    }
}

// Writing to a FIFO, socket or device would hang or go astray: it is left as it is.
void RefuseStreams(const fs::path& folder, const OutputSet& set) {
    for (const OutputFile& file : set.files) {
        const fs::path path = folder / file.name;
        struct stat status;
        if (lstat(path.c_str(), &status) != 0) continue;
        const mode_t type = status.st_mode & S_IFMT;
        if (type == S_IFIFO || type == S_IFSOCK || type == S_IFCHR || type == S_IFBLK)
            throw Error(
                FormatText("'%s' is a FIFO, socket or device, not a file the program can "
                           "write; it is left as it is: choose another --out folder",
                           path.c_str()));
    }
}

// What a killed writer of the set's files left: their hidden temporaries.
void RemoveLeftovers(const fs::path& folder, const OutputSet& set) {
    std::vector<std::string> names;
    for (const OutputFile& file : set.files)
        names.push_back(file.name);
    if (set.chartsAndPage) names.push_back(kPageFile);
    RemoveStaleTemporaries(folder.string(), names);
    const fs::path charts = folder / kChartFolder;
    std::error_code ignored;  // charts/ that is not a folder holds no leftover
    if (set.chartsAndPage && fs::is_directory(charts, ignored))
        RemoveStaleTemporaries(charts.string(), IsChartFileName);
}

// Stages every file, and the removal of the page and the chart files of an earlier write that
// this one does not write.
void Stage(FileSet& files, const fs::path& folder, const OutputSet& set) {
    std::set<std::string> written;
    for (const OutputFile& file : set.files) {
        const fs::path path = (folder / file.name).lexically_normal();
        std::error_code ignored;  // a folder that cannot be made fails the write, which says why
        fs::create_directories(path.parent_path(), ignored);
        if (file.source.empty())
            files.Write(path.string(), file.bytes);
        else
            files.Copy(path.string(), file.source);
        written.insert(file.name);
    }
    if (!set.chartsAndPage) return;
    std::vector<std::string> earlier = {kPageFile};
    for (const std::string& chart : ChartFilesIn(folder.string()))
        earlier.push_back((fs::path(kChartFolder) / chart).string());
    for (const std::string& name : earlier) {
        if (!written.count(name) && IsRegularFile(folder / name))
            files.Remove((folder / name).string());
    }
}

}  // namespace

struct LockedFolder::State {
    std::string path;
    int lock = -1;
    FileStates locked;  // the files as they were when it was locked
};

LockedFolder::LockedFolder(const std::string& folder,
                           const std::function<void(const std::string& folder)>& waiting)
    : m_state(std::make_unique<State>()) {
    const fs::path path = AbsoluteFolder(folder);
    MakeFolder(path);
    m_state->path = path.string();
    m_state->lock = Lock(path, waiting);
    m_state->locked = RegularFiles(path);
}

LockedFolder::~LockedFolder() {
    close(m_state->lock);
}

const std::string& LockedFolder::Path() const {
    return m_state->path;
}

std::vector<std::string> LockedFolder::FilesWritten() const {
    std::vector<std::string> written;
    for (const auto& [name, status] : RegularFiles(m_state->path)) {
        const auto was = m_state->locked.find(name);
        if (was == m_state->locked.end() || Changed(was->second, status)) written.push_back(name);
    }
    return written;
}

WrittenFiles WriteOutputFolder(const OutputRequest& request, const OutputSet& set) {
    RefuseOverwritingInputs(AbsoluteFolder(request.folder), request.inputs, set);
    const LockedFolder locked(request.folder, request.waiting);
    const fs::path folder = locked.Path();
    RefuseOverwritingInputs(folder, request.inputs, set);  // charts drawn while it waited
    RefuseStreams(folder, set);
    if (set.check) set.check(folder.string());
    RemoveLeftovers(folder, set);
    FileSet files;
    Stage(files, folder, set);
    files.Commit();
    return {folder.string(), locked.FilesWritten()};
}

}  // namespace qvrfc
