// Runs the built qvrfcdoe program from a test's own temporary directory and
// collects its exit status and what it printed, for the program's tests.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace qvrfcdoe_test {

namespace fs = std::filesystem;

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string ReadAndClose(FILE* file) {
    std::string text;
    std::rewind(file);
    for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file))
        text += static_cast<char>(c);
    std::fclose(file);
    return text;
}

// Variables set in the program's environment: {"TMPDIR", "/nonexistent"}.
using Environment = std::vector<std::pair<std::string, std::string>>;

// Runs the program with args; its output goes to unnamed temporary files, not the current folder.
inline Result RunProgram(const std::vector<std::string>& args,
                         const Environment& environment = {}) {
    Result result;
#ifdef QVRFC_CLI_PATH
    FILE* out = std::tmpfile();
    FILE* err = std::tmpfile();
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        dup2(fileno(out), STDOUT_FILENO);
        dup2(fileno(err), STDERR_FILENO);
        for (const auto& [name, value] : environment)
            setenv(name.c_str(), value.c_str(), 1);
        std::vector<char*> argv{const_cast<char*>(QVRFC_CLI_PATH)};
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(QVRFC_CLI_PATH, argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = ReadAndClose(out);
    result.err = ReadAndClose(err);
#else
    (void)args;
    (void)environment;
#endif
    return result;
}

// The lock file that an output folder keeps; it is not one of the files a command writes.
const char* const kLockFile = ".qvrfcdoe.lock";

// Names in a folder (by default the current one), sorted, without the lock file.
inline std::vector<std::string> Entries(const fs::path& folder = ".") {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().filename() != kLockFile) names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Absolute path of a folder below the current directory, as the program reports it.
inline std::string OutFolder(const std::string& name = "qvrfcdoe-out") {
    return (fs::current_path() / name).string();
}

// The text with the current directory shown as "<tmp>", for golden files.
inline std::string Shown(std::string text) {
    const std::string here = fs::current_path().string();
    for (size_t at = text.find(here); at != std::string::npos; at = text.find(here, at))
        text.replace(at, here.size(), "<tmp>");
    return text;
}

// A refused command as one line for a golden file, "ARGS -> STATUS: MESSAGE", Shown.
// EXPECTs nothing on standard output, one line on standard error
// and nothing new in the current directory.
inline std::string RefusedLine(const std::vector<std::string>& args) {
    const std::vector<std::string> before = Entries();
    const Result result = RunProgram(args);
    std::string line;
    for (const std::string& arg : args)
        line += (line.empty() ? "" : " ") + arg;
    line = Shown(line + " -> " + std::to_string(result.status) + ": " + result.err);
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << line;
    EXPECT_EQ(result.out, "") << line;
    EXPECT_EQ(Entries(), before) << line;
    return line;
}

// Skips the program's tests in a build without the program.
class ProgramTest : public testing::Test {
  protected:
    void SetUp() override {
#ifndef QVRFC_CLI_PATH
        GTEST_SKIP() << "qvrfcdoe is not built (QVRFC_BUILD_CLI=OFF)";
#endif
    }
};

}  // namespace qvrfcdoe_test
