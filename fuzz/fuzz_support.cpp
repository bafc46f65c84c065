#include "fuzz_support.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace qvrfc_fuzz {

namespace {

std::filesystem::path g_scratch;

// Every set-up writes its logs: a folder in memory keeps the targets fast.
std::filesystem::path ScratchParent() {
    std::error_code error;
    if (!std::getenv("TMPDIR") && std::filesystem::is_directory("/dev/shm", error) &&
        access("/dev/shm", W_OK) == 0)
        return "/dev/shm";
    return std::filesystem::temp_directory_path();
}

void RemoveScratchDirectory() {
    std::error_code ignored;
    std::filesystem::current_path("/", ignored);
    std::filesystem::remove_all(g_scratch, ignored);
}

}  // namespace

void EnterScratchDirectory() {
    std::string pattern = (ScratchParent() / "qvrfc-fuzz-XXXXXX").string();
    if (!mkdtemp(&pattern[0])) std::abort();
    g_scratch = pattern;
    std::filesystem::current_path(g_scratch);
    std::atexit(RemoveScratchDirectory);
    if (!std::freopen("/dev/null", "w", stdout)) std::abort();
}

void WriteBytes(const char* name, const uint8_t* data, size_t size) {
    FILE* file = std::fopen(name, "wb");
    if (!file) std::abort();
    if (size) std::fwrite(data, 1, size, file);
    std::fclose(file);
}

FILE* Sink() {
    static FILE* sink = std::fopen("/dev/null", "w");
    return sink;
}

}  // namespace qvrfc_fuzz
