#include "common/QVRFCTemporaryFile.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace qvrfc {
namespace {

namespace fs = std::filesystem;

// A file name has at most 255 bytes; the temporary adds a leading dot and ".XXXXXX".
constexpr size_t kLongestName = 255 - 8;
constexpr size_t kRandomLength = 6;
// What mkstemp leaves for a process whose umask cannot be read: owner only.
constexpr mode_t kPrivateMode = 0600;

std::string CutName(const std::string& name) {
    return name.substr(0, kLongestName);
}

// The process's umask as /proc tells it. umask() itself cannot be read without setting it,
// which for a moment would give every file another thread creates the wrong permissions.
bool ReadUmask(mode_t& mask) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.compare(0, 6, "Umask:") != 0) continue;
        char* end = nullptr;
        const unsigned long value = std::strtoul(line.c_str() + 6, &end, 8);
        if (end == line.c_str() + 6 || value > 0777) return false;
        mask = static_cast<mode_t>(value);
        return true;
    }
    return false;
}

mode_t NewFileMode() {
    mode_t mask = 0;
    return ReadUmask(mask) ? (0666 & ~mask) : kPrivateMode;
}

}  // namespace

int CreateTemporary(const std::string& target, std::string& temporary) {
    const size_t slash = target.find_last_of('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    if (nameStart == target.size()) {
        errno = EISDIR;
        return -1;
    }
    std::string pattern = target.substr(0, nameStart) + "." + CutName(target.substr(nameStart)) +
                          "." + std::string(kRandomLength, 'X');
    const int fd = mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) return -1;
    if (fchmod(fd, NewFileMode()) != 0) {
        const int error = errno;
        close(fd);
        unlink(pattern.c_str());
        errno = error;
        return -1;
    }
    temporary = pattern;
    return fd;
}

std::string TemporaryTarget(const std::string& entry) {
    const size_t dot = entry.size() - kRandomLength - 1;
    if (entry.size() < kRandomLength + 3 || entry[0] != '.' || entry[dot] != '.') return "";
    for (size_t i = dot + 1; i < entry.size(); ++i) {
        const char c = entry[i];
        const bool letterOrDigit =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!letterOrDigit) return "";
    }
    return entry.substr(1, dot - 1);
}

bool IsTemporaryName(const std::string& entry, const std::string& name) {
    return !name.empty() && TemporaryTarget(entry) == CutName(name);
}

bool IsStreamTarget(const std::string& target) {
    std::error_code error;
    const fs::file_status status = fs::status(target, error);
    return !error &&
           (fs::is_character_file(status) || fs::is_fifo(status) || fs::is_socket(status));
}

std::string AbsolutePath(const std::string& path) {
    std::error_code ignored;
    const fs::path absolute = fs::absolute(path, ignored);
    return (absolute.empty() ? fs::path(path) : absolute).lexically_normal().string();
}

std::string CannotWrite(const std::string& target, int error) {
    return "cannot write '" + AbsolutePath(target) + "': " + std::strerror(error);
}

}  // namespace qvrfc
