#include "OutputFolder.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <system_error>
#include <vector>

#include "CliError.h"

namespace qvrfcdoe {
namespace {

const char* const kDataProbeFile = "DOETest1.ipt";
const char* const kLockFile = ".qvrfcdoe.lock";

// Errors that a failed write of a file can leave; errno may hold others from calls that did
// not matter, and those must not be given as the cause.
bool IsWriteError(int error) {
    for (const int known : {ENOSPC, EDQUOT, EROFS, EACCES, EPERM, EISDIR, EIO, EFBIG, ENOENT,
                            ENOTDIR, ELOOP, ENAMETOOLONG, EMFILE, ENFILE})
        if (error == known) return true;
    return false;
}

// The whole content of a file; false when it cannot be read.
bool ReadBytes(const fs::path& file, std::string& bytes) {
    std::ifstream in(file, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return in.good() || in.eof();
}

bool SameBytes(const fs::path& a, const fs::path& b) {
    std::string first, second;
    return ReadBytes(a, first) && ReadBytes(b, second) && first == second;
}

// True when `is` may be the status of another file than `was`, or of the same one written since.
bool Changed(const struct stat& was, const struct stat& is) {
    return was.st_ino != is.st_ino || was.st_dev != is.st_dev || was.st_size != is.st_size ||
           was.st_mtim.tv_sec != is.st_mtim.tv_sec || was.st_mtim.tv_nsec != is.st_mtim.tv_nsec ||
           was.st_ctim.tv_sec != is.st_ctim.tv_sec || was.st_ctim.tv_nsec != is.st_ctim.tv_nsec;
}

// The regular files in folder and its subfolders (charts/...) by their path inside it, the
// lock file aside, with their status.
std::map<std::string, struct stat> RegularFiles(const fs::path& folder) {
    std::map<std::string, struct stat> files;
    std::error_code error;
    fs::recursive_directory_iterator entries(folder, fs::directory_options::skip_permission_denied,
                                             error);
    for (const fs::recursive_directory_iterator end; !error && entries != end;
         entries.increment(error)) {
        const fs::path& path = entries->path();
        struct stat status;
        if (path.filename() != kLockFile && lstat(path.c_str(), &status) == 0 &&
            S_ISREG(status.st_mode))
            files.emplace(path.lexically_relative(folder).string(), status);
    }
    return files;
}

// Regular files only: a link, folder or stream named like a result is not the command's.
fs::path ProgramFolder() {
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path() : program.parent_path();
}

}  // namespace

OutputFolder::OutputFolder(const std::string& path)
    : m_path(fs::absolute(path).lexically_normal()) {}

OutputFolder::~OutputFolder() {
    if (m_lock >= 0) close(m_lock);
}

void OutputFolder::Create() {
    std::error_code error;
    if (fs::exists(m_path, error) && !fs::is_directory(m_path, error))
        throw InputError(Text("output folder '%s' exists and is not a folder", m_path.c_str()));
    fs::create_directories(m_path, error);
    if (error)
        throw InputError(
            Text("cannot create output folder '%s': %s", m_path.c_str(), error.message().c_str()));
    Lock();
    m_locked = RegularFiles(m_path);
}

void OutputFolder::Lock() {
    const fs::path file = File(kLockFile);
    m_lock = open(file.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    if (m_lock < 0)
        throw InputError(
            Text("cannot write into output folder '%s': %s", m_path.c_str(), std::strerror(errno)));
    struct stat status;
    if (fstat(m_lock, &status) != 0 || !S_ISREG(status.st_mode))
        throw InputError(Text("cannot lock output folder '%s': '%s' is not a regular file",
                              m_path.c_str(), file.c_str()));
    if (flock(m_lock, LOCK_EX | LOCK_NB) == 0) return;
    if (errno == EWOULDBLOCK) {
        std::fprintf(stderr, "qvrfcdoe: waiting for another qvrfcdoe command working in '%s'\n",
                     OneLineText(m_path.string()).c_str());
        std::fflush(stderr);
        int locked;
        do
            locked = flock(m_lock, LOCK_EX);
        while (locked != 0 && errno == EINTR);
        if (locked == 0) return;
    }
    throw InputError(
        Text("cannot lock output folder '%s': %s", m_path.c_str(), std::strerror(errno)));
}

void OutputFolder::PrintFilesWritten() const {
    std::printf("\nFiles written to %s:\n", m_path.c_str());
    for (const auto& [name, status] : RegularFiles(m_path)) {
        const auto was = m_locked.find(name);
        if (was == m_locked.end() || Changed(was->second, status))
            std::printf("  %s\n", name.c_str());
    }
}

EngineFilesCheck::EngineFilesCheck(const OutputFolder& folder,
                                   const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        const fs::path file = folder.File(name);
        const Stamp stamp = StampOf(file);
        const mode_t type = stamp.status.st_mode & S_IFMT;
        if (type == S_IFIFO || type == S_IFSOCK || type == S_IFCHR || type == S_IFBLK)
            throw InputError(
                Text("'%s' is a FIFO, socket or device, not a file the program can "
                     "write; it is left as it is: choose another --out folder",
                     file.c_str()));
        m_before.emplace_back(file, stamp);
    }
    errno = 0;  // what the engine leaves here names the cause of a failed write
}

EngineFilesCheck::Stamp EngineFilesCheck::StampOf(const fs::path& file) {
    Stamp stamp;
    stamp.regular = lstat(file.c_str(), &stamp.status) == 0 && S_ISREG(stamp.status.st_mode);
    return stamp;
}

void EngineFilesCheck::ExpectWritten() const {
    const int cause = errno;
    for (const auto& [file, before] : m_before) {
        const Stamp after = StampOf(file);
        if (after.regular && (!before.regular || Changed(before.status, after.status))) continue;
        std::error_code ignored;
        const int why = fs::is_directory(file, ignored) ? EISDIR : IsWriteError(cause) ? cause : 0;
        throw InputError(Text("cannot write '%s': %s", file.c_str(),
                              why ? std::strerror(why) : "the engine could not write it"));
    }
}

ScratchFolder::ScratchFolder() {
    const char* variable = std::getenv("TMPDIR");
    const std::string temporary = variable && *variable ? variable : "/tmp";
    std::string pattern = (fs::path(temporary) / "qvrfcdoe-XXXXXX").string();
    if (!mkdtemp(&pattern[0]))
        throw InputError(
            Text("cannot make a scratch folder in the temporary folder '%s' (TMPDIR): %s",
                 temporary.c_str(), std::strerror(errno)));
    m_path = pattern;
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
}

CurrentDirectory::CurrentDirectory(const fs::path& folder) : m_previous(fs::current_path()) {
    std::error_code error;
    fs::current_path(folder, error);
    if (error)
        throw InputError(
            Text("cannot enter folder '%s': %s", folder.c_str(), error.message().c_str()));
}

CurrentDirectory::~CurrentDirectory() {
    std::error_code ignored;
    fs::current_path(m_previous, ignored);
}

fs::path FindDataFolder() {
    std::vector<fs::path> candidates;
    const fs::path programFolder = ProgramFolder();
    if (!programFolder.empty()) candidates.push_back(programFolder / QVRFC_DATA_FROM_BIN);
    candidates.push_back(QVRFC_INSTALLED_DATA_DIR);
    candidates.push_back(QVRFC_SOURCE_DATA_DIR);
    std::string looked;
    for (const fs::path& folder : candidates) {
        std::error_code ignored;
        if (fs::is_regular_file(folder / kDataProbeFile, ignored))
            return fs::weakly_canonical(folder, ignored);
        looked += (looked.empty() ? "" : ", ") + folder.lexically_normal().string();
    }
    throw InputError(
        Text("cannot find the bundled experiment files (looked in %s)", looked.c_str()));
}

void CopyInto(const fs::path& file, const fs::path& folder) {
    const fs::path target = folder / file.filename();
    std::error_code error;
    if (fs::exists(fs::symlink_status(target, error))) {
        if (SameFile(file, target) || SameBytes(file, target)) return;
        throw InputError(
            Text("'%s' is not the bundled %s; it is left as it is: choose another "
                 "--out folder",
                 target.c_str(), file.filename().c_str()));
    }
    fs::copy_file(file, target, fs::copy_options::none, error);
    if (error)
        throw InputError(Text("cannot copy '%s' to '%s': %s", file.c_str(), folder.c_str(),
                              error.message().c_str()));
}

bool SameFile(const fs::path& a, const fs::path& b) {
    std::error_code error;
    const bool same = fs::equivalent(a, b, error);
    return !error && same;
}

void RefuseOverwritingInputs(const OutputFolder& folder, const std::vector<std::string>& inputs,
                             const std::vector<std::string>& names, bool charts) {
    std::vector<std::string> written(names);
    if (charts) {
        for (const std::string& name : qvrfc::ChartFilesIn(folder.Path().string()))
            written.push_back((fs::path(qvrfc::kChartFolder) / name).string());
    }
    for (const std::string& input : inputs) {
        for (const std::string& name : written) {
            if (!input.empty() && SameFile(input, folder.File(name)))
                throw InputError(
                    Text("'%s' would be overwritten by '%s'; choose another --out folder",
                         input.c_str(), name.c_str()));
        }
    }
}

void RemoveLeftovers(const OutputFolder& folder, const std::vector<std::string>& names,
                     bool charts) {
    qvrfc::RemoveStaleTemporaries(folder.Path().string(), names);
    const fs::path chartFolder = folder.File(qvrfc::kChartFolder);
    std::error_code ignored;  // charts/ that is not a folder holds no leftover
    if (charts && fs::is_directory(chartFolder, ignored))
        qvrfc::RemoveStaleTemporaries(chartFolder.string(), qvrfc::IsChartFileName);
}

void StageChartsAndPage(qvrfc::FileSet& files, const OutputFolder& folder,
                        const std::vector<qvrfc::ChartFile>& drawn) {
    qvrfc::StageChartsAndPage(files, folder.Path().string(), drawn);
}

}  // namespace qvrfcdoe
