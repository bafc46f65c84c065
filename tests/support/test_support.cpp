#include "support/test_support.h"

#include <unistd.h>

#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>

namespace qvrfc_test {

StreamCapture::StreamCapture() : m_file(std::tmpfile()) {
    if (!m_file) throw std::runtime_error("tmpfile failed");
}

StreamCapture::~StreamCapture() {
    std::fclose(m_file);
}

std::string StreamCapture::Text() const {
    std::fflush(m_file);
    const long end = std::ftell(m_file);
    std::string text(static_cast<size_t>(end), '\0');
    std::rewind(m_file);
    const size_t got = std::fread(&text[0], 1, text.size(), m_file);
    text.resize(got);
    std::fseek(m_file, 0, SEEK_END);
    return text;
}

std::string CaptureStdout(const std::function<void()>& body) {
    std::fflush(stdout);
    std::cout.flush();
    FILE* sink = std::tmpfile();
    const int saved = dup(fileno(stdout));
    dup2(fileno(sink), fileno(stdout));
    try {
        body();
    } catch (...) {
        std::fflush(stdout);
        dup2(saved, fileno(stdout));
        close(saved);
        std::fclose(sink);
        throw;
    }
    std::fflush(stdout);
    std::cout.flush();
    dup2(saved, fileno(stdout));
    close(saved);
    std::string text;
    std::rewind(sink);
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, sink)) > 0)
        text.append(buffer, got);
    std::fclose(sink);
    return text;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

bool FileExists(const std::string& path) {
    return std::ifstream(path).good();
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::string TestDir() {
    char buffer[4096];
    return getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string();
}

std::string DataFile(const std::string& name) {
    return std::string(QVRFC_DATA_DIR) + "/" + name;
}

}  // namespace qvrfc_test
