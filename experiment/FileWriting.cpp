#include "experiment/FileWriting.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "experiment/Experiment.h"

namespace qvrfc {

void WriteWholeFile(const std::string& path, const std::string& text) {
    const std::string temporary = path + ".part";
    FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file) throw ExperimentError("cannot write '" + path + "': " + std::strerror(errno));
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const int writeError = errno;
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
        const int error = !written ? writeError : errno;
        std::remove(temporary.c_str());
        throw ExperimentError("cannot write '" + path + "': " + std::strerror(error));
    }
}

std::string ReadWholeFile(const std::string& path, const std::string& what) {
    std::ifstream file(path, std::ios::binary);
    std::string text;
    if (file) text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    if (!file || file.bad()) throw ExperimentError("cannot read the " + what + " '" + path + "'");
    return text;
}

}  // namespace qvrfc
