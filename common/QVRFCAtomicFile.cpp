#include "common/QVRFCAtomicFile.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <random>

namespace qvrfc {
namespace {

// Room left for the suffix in a file name of at most 255 bytes.
constexpr size_t kLongestStem = 200;
constexpr int kNameAttempts = 100;

// A name that no other writer, in this process or another, is likely to choose.
std::string UniqueSuffix() {
    static std::atomic<unsigned long long> counter{0};
    thread_local std::mt19937_64 generator(
        std::random_device{}() ^ static_cast<unsigned long long>(
                                     std::chrono::steady_clock::now().time_since_epoch().count()));
    char text[48];
    std::snprintf(text, sizeof text, ".%016llx%llx.tmp",
                  static_cast<unsigned long long>(generator()), counter.fetch_add(1));
    return text;
}

// The folder part of target with its final "/" ("" for a name in the current folder), and
// the file name, hidden by a leading dot and cut short enough for the suffix.
std::string TemporaryStem(const std::string& target) {
    const size_t slash = target.find_last_of('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::string name = target.substr(nameStart, kLongestStem);
    return target.substr(0, nameStart) + "." + name;
}

// A device, FIFO or socket, after following links: there is no file to replace.
bool IsStream(const std::string& target) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status status = fs::status(target, error);
    return !error &&
           (fs::is_character_file(status) || fs::is_fifo(status) || fs::is_socket(status));
}

}  // namespace

AtomicFile::~AtomicFile() {
    Discard();
}

FILE* AtomicFile::Open(const std::string& target) {
    Discard();
    const size_t slash = target.find_last_of('/');
    if (target.empty() || slash == target.size() - 1) {
        errno = EISDIR;
        return nullptr;
    }
    if (IsStream(target)) {
        m_file = std::fopen(target.c_str(), "w");
        return m_file;
    }
    const std::string stem = TemporaryStem(target);
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string temporary = stem + UniqueSuffix();
        // "x": created afresh, never an existing file or a link followed.
        m_file = std::fopen(temporary.c_str(), "wx");
        if (m_file) {
            m_target = target;
            m_temporary = temporary;
            return m_file;
        }
        if (errno != EEXIST) return nullptr;
    }
    return nullptr;
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
