#include "HugePages.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace qvrfcdoe {
namespace {

constexpr const char* kTunable = "glibc.malloc.hugetlb";

std::string FileText(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

bool WorthHugePages(long long fileSize, const char* tunables, const std::string& thpMode) {
    const bool decided = tunables && std::strstr(tunables, kTunable);
    return fileSize >= kHugePagesFrom && !decided && thpMode.find("[madvise]") != std::string::npos;
}

std::string TunablesWithHugePages(const char* tunables) {
    const std::string added = std::string(kTunable) + "=1";
    return tunables && *tunables ? std::string(tunables) + ":" + added : added;
}

std::vector<std::string> ArgumentsOf(const std::string& commandLine) {
    std::vector<std::string> arguments;
    for (size_t start = 0; start < commandLine.size();) {
        const size_t end = commandLine.find('\0', start);
        if (end == std::string::npos) break;  // cut short: the last argument is incomplete
        arguments.push_back(commandLine.substr(start, end - start));
        start = end + 1;
    }
    return arguments;
}

void LoadOnHugePages(const std::string& dataFile) {
#if defined(__GLIBC__) && __GLIBC_PREREQ(2, 35)
    std::error_code error;
    const auto size = std::filesystem::file_size(dataFile, error);
    if (error || !std::filesystem::is_regular_file(dataFile, error)) return;
    const char* tunables = std::getenv("GLIBC_TUNABLES");
    if (!WorthHugePages(static_cast<long long>(size), tunables,
                        FileText("/sys/kernel/mm/transparent_hugepage/enabled")))
        return;
    std::vector<std::string> arguments = ArgumentsOf(FileText("/proc/self/cmdline"));
    if (arguments.empty()) return;
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(&argument[0]);
    argv.push_back(nullptr);
    const std::string previous = tunables ? tunables : "";
    if (setenv("GLIBC_TUNABLES", TunablesWithHugePages(tunables).c_str(), 1) != 0) return;
    execv("/proc/self/exe", argv.data());
    // Not started again: go on as before.
    if (tunables)
        setenv("GLIBC_TUNABLES", previous.c_str(), 1);
    else
        unsetenv("GLIBC_TUNABLES");
#else
    (void)dataFile;
#endif
}

}  // namespace qvrfcdoe
