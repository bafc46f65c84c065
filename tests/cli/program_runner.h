// Runs the built qvrfcdoe program from a test's own temporary directory and
// collects its exit status and what it printed, for the program's tests.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
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

// Runs the program with args; its output goes to unnamed temporary files, not the current folder.
inline Result RunProgram(const std::vector<std::string>& args) {
    Result result;
#ifdef QVRFC_CLI_PATH
    FILE* out = std::tmpfile();
    FILE* err = std::tmpfile();
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        dup2(fileno(out), STDOUT_FILENO);
        dup2(fileno(err), STDERR_FILENO);
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
#endif
    return result;
}

// The lock file that an output folder keeps; it is not one of the files a command writes.
const char* const kLockFile = ".qvrfcdoe.lock";

// Names in a folder (by default the current one), sorted, without the lock file.
inline std::vector<std::string> Entries(const fs::path& folder = ".") {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().filename() != kLockFile)
            names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Absolute path of a folder below the current directory, as the program reports it.
inline std::string OutFolder(const std::string& name = "qvrfcdoe-out") {
    return (fs::current_path() / name).string();
}

// A refused command: the given status, one line on standard error, nothing on standard output
// and nothing new in the current directory.
inline void ExpectRefused(const std::vector<std::string>& args, int status,
                          const std::string& message) {
    const std::vector<std::string> before = Entries();
    const Result result = RunProgram(args);
    EXPECT_EQ(result.status, status) << (args.empty() ? "" : args.back());
    EXPECT_EQ(result.err, "qvrfcdoe: " + message + "\n");
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(Entries(), before);
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
