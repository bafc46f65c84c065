#include "experiment/FileWriting.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>

#include "experiment/Experiment.h"

namespace qvrfc {
namespace {

constexpr int kNameAttempts = 100;
// Room left for the suffix in a file name of at most 255 bytes.
constexpr size_t kLongestStem = 200;

[[noreturn]] void FailToWrite(const std::string& path, int error) {
    throw ExperimentError("cannot write '" + path + "': " + std::strerror(error));
}

// A name beside path that nothing has yet: the folder, a dot, the file's name and a random
// suffix ("runsheet.csv" -> ".runsheet.csv.3f9a0c1e7b2d4a58.tmp").
std::string FreshName(const std::string& path) {
    static thread_local std::mt19937_64 random(std::random_device{}());
    const size_t slash = path.find_last_of('/');
    const size_t start = slash == std::string::npos ? 0 : slash + 1;
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%016llx.tmp", static_cast<unsigned long long>(random()));
    return path.substr(0, start) + "." + path.substr(start, kLongestStem) + suffix;
}

// The text in a file created afresh beside path (O_EXCL: an existing name, a planted link
// included, is never opened); its name, or FailToWrite.
std::string WriteTemporary(const FileText& file) {
    std::string name;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < kNameAttempts; ++attempt) {
        name = FreshName(file.path);
        fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) FailToWrite(file.path, errno);
    }
    if (fd < 0) FailToWrite(file.path, EEXIST);
    int error = 0;
    for (size_t done = 0; done < file.text.size() && error == 0;) {
        const ssize_t n = write(fd, file.text.data() + done, file.text.size() - done);
        if (n < 0 && errno != EINTR) error = errno;
        if (n > 0) done += static_cast<size_t>(n);
    }
    if (close(fd) != 0 && error == 0) error = errno;
    if (error != 0) {
        std::remove(name.c_str());
        FailToWrite(file.path, error);
    }
    return name;
}

// A second name for the file at path, so that it can be put back; "" when there is none.
std::string KeepEarlier(const std::string& path) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string name = FreshName(path);
        if (link(path.c_str(), name.c_str()) == 0) return name;
        if (errno != EEXIST) return "";
    }
    return "";
}

bool Exists(const std::string& path, bool& folder) {
    struct stat status;
    const bool exists = lstat(path.c_str(), &status) == 0;
    folder = exists && S_ISDIR(status.st_mode);
    return exists;
}

void RemoveAll(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        if (!name.empty()) std::remove(name.c_str());
    }
}

}  // namespace

void WriteWholeFile(const std::string& path, const std::string& text) {
    WriteFileSet({{path, text}});
}

void WriteFileSet(const std::vector<FileText>& files) {
    std::vector<std::string> temporaries;
    try {
        for (const FileText& file : files)
            temporaries.push_back(WriteTemporary(file));
    } catch (...) {
        RemoveAll(temporaries);
        throw;
    }
    // A folder in a file's place would refuse the rename after others were done. Every file
    // but the last keeps its earlier content under a second name until the last rename is done
    // (where the file system allows a second name).
    std::vector<bool> existed(files.size());
    std::vector<std::string> earlier(files.size());
    for (size_t i = 0; i < files.size(); ++i) {
        bool folder = false;
        existed[i] = Exists(files[i].path, folder);
        if (folder) {
            RemoveAll(temporaries);
            RemoveAll(earlier);
            FailToWrite(files[i].path, EISDIR);
        }
        if (existed[i] && i + 1 < files.size()) earlier[i] = KeepEarlier(files[i].path);
    }
    for (size_t i = 0; i < files.size(); ++i) {
        if (std::rename(temporaries[i].c_str(), files[i].path.c_str()) == 0) continue;
        const int error = errno;
        for (size_t k = 0; k < i; ++k) {
            if (!earlier[k].empty() && std::rename(earlier[k].c_str(), files[k].path.c_str()) == 0)
                earlier[k].clear();
            else if (!existed[k])
                std::remove(files[k].path.c_str());
        }
        RemoveAll(std::vector<std::string>(temporaries.begin() + static_cast<long>(i),
                                           temporaries.end()));
        RemoveAll(earlier);
        FailToWrite(files[i].path, error);
    }
    RemoveAll(earlier);
}

std::string ReadWholeFile(const std::string& path, const std::string& what) {
    std::ifstream file(path, std::ios::binary);
    std::string text;
    if (file) text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    if (!file || file.bad()) throw ExperimentError("cannot read the " + what + " '" + path + "'");
    return text;
}

}  // namespace qvrfc
