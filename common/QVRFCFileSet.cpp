#include "qvrfc/common/QVRFCFileSet.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "common/QVRFCTemporaryFile.h"
#include "qvrfc/common/QVRFCError.h"

namespace qvrfc {
namespace {

namespace fs = std::filesystem;

// Every byte, or false with errno telling why.
bool WriteAll(int fd, const std::string& bytes) {
    for (size_t done = 0; done < bytes.size();) {
        const ssize_t count = write(fd, bytes.data() + done, bytes.size() - done);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) {
            if (count == 0) errno = EIO;
            return false;
        }
        done += static_cast<size_t>(count);
    }
    return true;
}

// Writes and closes fd; false with errno naming the first failure.
bool WriteAndClose(int fd, const std::string& bytes) {
    const bool written = WriteAll(fd, bytes);
    const int writeError = errno;
    const bool closed = close(fd) == 0;
    if (!written) errno = writeError;
    return written && closed;
}

// A folder itself, not a link to one (rename replaces a link, but not a folder).
bool IsFolder(const std::string& path) {
    std::error_code error;
    return fs::is_directory(fs::symlink_status(path, error));
}

std::string CannotRemove(const std::string& path, int error) {
    return "cannot remove '" + AbsolutePath(path) + "': " + std::strerror(error);
}

// True when removed, false when already gone; Error when it stays.
bool RemoveFile(const std::string& path) {
    if (unlink(path.c_str()) == 0) return true;
    if (errno == ENOENT) return false;
    throw Error::Placed(CannotRemove(path, errno), AbsolutePath(path), 0, "");
}

// Removes the entries of folder that stale accepts, folders aside; how many were removed.
int RemoveEntries(const std::string& folder,
                  const std::function<bool(const std::string& entry)>& stale) {
    const std::string where = folder.empty() ? "." : folder;
    std::error_code error;
    fs::directory_iterator entries(where, error);
    if (error == std::errc::no_such_file_or_directory) return 0;
    int removed = 0;
    for (const fs::directory_iterator end; !error && entries != end; entries.increment(error)) {
        const fs::path& path = entries->path();
        if (stale(path.filename().string()) && !IsFolder(path.string()))
            removed += RemoveFile(path.string()) ? 1 : 0;
    }
    if (error)
        throw Error::Placed(
            "cannot read the folder '" + AbsolutePath(where) + "': " + error.message(),
            AbsolutePath(where), 0, "");
    return removed;
}

// How a copy ended: the errors of reading the source and of writing the target (0: none), or
// that the kernel cannot copy between these two files, nothing copied yet.
struct Copied {
    bool inKernelUnsupported = false;
    int writeError = 0;
    int readError = 0;
};

// The whole of in appended to out by the kernel, without passing through this process (the
// reports are hundreds of megabytes); a pipe, another file system or an older kernel refuse.
Copied CopyInKernel(int in, int out) {
    for (bool first = true;; first = false) {
        const ssize_t count = copy_file_range(in, nullptr, out, nullptr, size_t{1} << 30, 0);
        if (count > 0) continue;
        if (count == 0) return {};
        if (errno == EINTR) continue;
        const bool unsupported = errno == EXDEV || errno == EINVAL || errno == ENOSYS ||
                                 errno == EOPNOTSUPP || errno == EBADF;
        if (first && unsupported) return {true, 0, 0};
        return {false, errno, 0};
    }
}

// The same a megabyte at a time through memory.
Copied CopyThroughMemory(int in, int out) {
    std::string part(1 << 20, '\0');
    for (;;) {
        const ssize_t count = read(in, &part[0], part.size());
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) return {false, 0, errno};
        if (count == 0) return {};
        part.resize(static_cast<size_t>(count));
        if (!WriteAll(out, part)) return {false, errno, 0};
        part.resize(1 << 20);
    }
}

}  // namespace

FileSet::~FileSet() {
    Discard();
}

std::string FileSet::Stage(const std::string& target) {
    const Staged& staged = Find(target);
    return staged.temporary.empty() ? staged.target : staged.temporary;
}

void FileSet::Write(const std::string& target, const std::string& bytes) {
    const Staged& staged = Find(target);
    const bool stream = staged.temporary.empty();
    const std::string& path = stream ? staged.target : staged.temporary;
    // The temporary is this set's own file: a link put in its place is not followed.
    const int fd = open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | (stream ? 0 : O_NOFOLLOW));
    if (fd < 0 || !WriteAndClose(fd, bytes)) Fail(target, errno);
}

void FileSet::Copy(const std::string& target, const std::string& source) {
    const Staged& staged = Find(target);
    const bool stream = staged.temporary.empty();
    const std::string& path = stream ? staged.target : staged.temporary;
    const int in = open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) Fail("cannot read '" + AbsolutePath(source) + "': " + std::strerror(errno), source);
    const int out = open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | (stream ? 0 : O_NOFOLLOW));
    Copied copied = out >= 0 ? CopyInKernel(in, out) : Copied{false, errno, 0};
    if (copied.inKernelUnsupported) copied = CopyThroughMemory(in, out);
    close(in);
    const bool closed = out >= 0 && close(out) == 0;
    if (copied.readError != 0)
        Fail("cannot read '" + AbsolutePath(source) + "': " + std::strerror(copied.readError),
             source);
    if (copied.writeError != 0 || !closed)
        Fail(target, copied.writeError ? copied.writeError : errno);
}

void FileSet::Commit() {
    RefuseAfterFailure();
    for (const Staged& staged : m_staged) {
        if (!staged.temporary.empty() && IsFolder(staged.target)) Fail(staged.target, EISDIR);
    }
    for (const std::string& target : m_removed) {
        if (IsFolder(target)) Fail(CannotRemove(target, EISDIR), AbsolutePath(target));
    }
    for (Staged& staged : m_staged) {
        if (staged.temporary.empty()) continue;
        if (std::rename(staged.temporary.c_str(), staged.target.c_str()) != 0)
            Fail(staged.target, errno);
        staged.temporary.clear();
    }
    m_staged.clear();
    for (const std::string& target : m_removed) {
        if (unlink(target.c_str()) != 0 && errno != ENOENT)
            Fail(CannotRemove(target, errno), AbsolutePath(target));
    }
    m_removed.clear();
}

void FileSet::Remove(const std::string& target) {
    RefuseAfterFailure();
    m_removed.push_back(target);
}

void FileSet::Discard() noexcept {
    for (const Staged& staged : m_staged) {
        if (!staged.temporary.empty()) unlink(staged.temporary.c_str());
    }
    m_staged.clear();
    m_removed.clear();
}

const FileSet::Staged& FileSet::Find(const std::string& target) {
    RefuseAfterFailure();
    for (const Staged& staged : m_staged) {
        if (staged.target == target) return staged;
    }
    if (IsStreamTarget(target)) {
        m_staged.push_back({target, ""});
        return m_staged.back();
    }
    if (IsFolder(target)) Fail(target, EISDIR);
    std::string temporary;
    const int fd = CreateTemporary(target, temporary);
    if (fd < 0) Fail(target, errno);
    m_staged.push_back({target, temporary});
    if (close(fd) != 0) Fail(target, errno);
    return m_staged.back();
}

void FileSet::Fail(const std::string& target, int error) {
    Fail(CannotWrite(target, error), AbsolutePath(target));
}

void FileSet::Fail(const std::string& message, const std::string& file) {
    Discard();
    m_failure = message;
    m_failedFile = file;
    throw Error::Placed(m_failure, m_failedFile, 0, "");
}

void FileSet::RefuseAfterFailure() const {
    if (!m_failure.empty()) throw Error::Placed(m_failure, m_failedFile, 0, "");
}

void WriteWholeFile(const std::string& path, const std::string& text) {
    FileSet files;
    files.Write(path, text);
    files.Commit();
}

int RemoveStaleTemporaries(const std::string& folder, const std::vector<std::string>& names) {
    return RemoveEntries(folder, [&names](const std::string& entry) {
        for (const std::string& name : names) {
            if (IsTemporaryName(entry, name)) return true;
        }
        return false;
    });
}

int RemoveStaleTemporaries(const std::string& folder,
                           const std::function<bool(const std::string& name)>& ours) {
    return RemoveEntries(folder, [&ours](const std::string& entry) {
        const std::string name = TemporaryTarget(entry);
        return !name.empty() && ours(name);
    });
}

}  // namespace qvrfc
