#include "common/QVRFCAtomicFile.h"

#include <unistd.h>

#include <cerrno>

#include "common/QVRFCTemporaryFile.h"

namespace qvrfc {

AtomicFile::~AtomicFile() {
    Discard();
}

FILE* AtomicFile::Open(const std::string& target) {
    Discard();
    if (IsStreamTarget(target)) {
        m_file = std::fopen(target.c_str(), "w");
        return m_file;
    }
    std::string temporary;
    const int fd = CreateTemporary(target, temporary);
    if (fd < 0) return nullptr;
    m_file = fdopen(fd, "w");
    if (!m_file) {
        const int error = errno;
        close(fd);
        std::remove(temporary.c_str());
        errno = error;
        return nullptr;
    }
    m_target = target;
    m_temporary = temporary;
    return m_file;
}

bool AtomicFile::Commit() {
    if (!m_file) {
        errno = EBADF;
        return false;
    }
    const bool written = std::fflush(m_file) == 0 && !std::ferror(m_file);
    int error = errno;
    const bool closed = std::fclose(m_file) == 0;
    if (written && !closed) error = errno;
    m_file = nullptr;
    if (written && closed && m_temporary.empty()) return true;
    if (written && closed && std::rename(m_temporary.c_str(), m_target.c_str()) == 0) {
        m_temporary.clear();
        return true;
    }
    if (written && closed) error = errno;
    Discard();
    errno = error != 0 ? error : EIO;
    return false;
}

void AtomicFile::Discard() {
    const int error = errno;
    if (m_file) std::fclose(m_file);
    m_file = nullptr;
    if (!m_temporary.empty()) std::remove(m_temporary.c_str());
    m_temporary.clear();
    errno = error;
}

}  // namespace qvrfc
