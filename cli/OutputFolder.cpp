#include "OutputFolder.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

#include "CliError.h"

namespace qvrfcdoe {
namespace {

const char* const kDataProbeFile = "DOETest1.ipt";

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

fs::path ProgramFolder() {
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path() : program.parent_path();
}

void SayWaiting(const std::string& folder) {
    std::fprintf(stderr, "qvrfcdoe: waiting for another qvrfcdoe command working in '%s'\n",
                 OneLineText(folder).c_str());
    std::fflush(stderr);
}

}  // namespace

qvrfc::OutputRequest OutRequest(const std::string& folder, const std::vector<std::string>& inputs) {
    qvrfc::OutputRequest request;
    request.folder = folder;
    request.inputs = inputs;
    request.waiting = SayWaiting;
    return request;
}

void PrintFilesWritten(const qvrfc::WrittenFiles& written) {
    std::printf("\nFiles written to %s:\n", written.folder.c_str());
    for (const std::string& name : written.files)
        std::printf("  %s\n", name.c_str());
}

OutputFolder::OutputFolder(const std::string& path)
    : m_path(fs::absolute(path).lexically_normal()) {}

OutputFolder::~OutputFolder() = default;

void OutputFolder::Create() {
    m_locked = std::make_unique<qvrfc::LockedFolder>(m_path.string(), SayWaiting);
}

void OutputFolder::PrintFilesWritten() const {
    qvrfcdoe::PrintFilesWritten(
        {m_path.string(), m_locked ? m_locked->FilesWritten() : std::vector<std::string>()});
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

}  // namespace qvrfcdoe
