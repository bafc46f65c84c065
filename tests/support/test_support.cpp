#include "support/test_support.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>

#include "qvrfc/common/QVRFCError.h"

namespace qvrfc_test {

StreamCapture::StreamCapture() : m_file(std::tmpfile()) {
    if (!m_file) throw std::runtime_error("tmpfile failed");
}

StreamCapture::~StreamCapture() {
    std::fclose(m_file);
}

std::string StreamCapture::Text() const {
    std::fflush(m_file);
    std::fseek(m_file, 0, SEEK_END);
    std::string text(static_cast<size_t>(std::ftell(m_file)), '\0');
    std::rewind(m_file);
    text.resize(std::fread(&text[0], 1, text.size(), m_file));
    std::fseek(m_file, 0, SEEK_END);
    return text;
}

std::string CaptureStdout(const std::function<void()>& body) {
    StreamCapture sink;
    std::fflush(stdout);
    std::cout.flush();
    const int saved = dup(fileno(stdout));
    dup2(fileno(sink), fileno(stdout));
    // Standard output comes back however body ends.
    struct Restore {
        int saved;
        ~Restore() {
            std::fflush(stdout);
            std::cout.flush();
            dup2(saved, fileno(stdout));
            close(saved);
        }
    };
    {
        Restore restore{saved};
        body();
    }
    return sink.Text();
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

bool FileExists(const std::string& path) {
    return std::ifstream(path).good();
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string TestDir() {
    return std::filesystem::current_path().string();
}

std::string DataFile(const std::string& name) {
    return std::string(QVRFC_DATA_DIR) + "/" + name;
}

std::string Refusal(const std::function<void()>& call) {
    return MessageOf<qvrfc::Error>(call, "(nothing refused)");
}

}  // namespace qvrfc_test
