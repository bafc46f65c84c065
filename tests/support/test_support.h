// Small helpers for the tests: capture what a FILE* or standard output receives,
// read and write whole files, and split text into lines.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace qvrfc_test {

// A temporary stream; Text() returns everything written to it so far.
class StreamCapture {
  public:
    StreamCapture();
    ~StreamCapture();
    StreamCapture(const StreamCapture&) = delete;
    StreamCapture& operator=(const StreamCapture&) = delete;
    FILE* get() const { return m_file; }
    operator FILE*() const { return m_file; }  // NOLINT: convenient at call sites
    std::string Text() const;

  private:
    FILE* m_file;
};

// Runs body and returns what it wrote to standard output (C stdio and std::cout alike).
std::string CaptureStdout(const std::function<void()>& body);

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& text);
bool FileExists(const std::string& path);
// Splits at "\n"; a final line end does not make an extra empty line.
std::vector<std::string> Lines(const std::string& text);
// The names of the entries of a folder, sorted.
std::vector<std::string> FolderEntries(const std::string& folder);
// The directory the current test runs in (a fresh temporary directory per test).
std::string TestDir();
// Path of a file in the repository's data/ folder.
std::string DataFile(const std::string& name);
// The message of the exception of type E that call throws; none if it throws nothing.
template <class E>
std::string MessageOf(const std::function<void()>& call, const char* none = "(no error)") {
    try {
        call();
    } catch (const E& error) {
        return error.what();
    }
    return none;
}
// The message of the qvrfc::Error that call throws; "(nothing refused)" if none.
std::string Refusal(const std::function<void()>& call);

}  // namespace qvrfc_test
