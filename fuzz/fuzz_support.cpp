#include "fuzz_support.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace qvrfc_fuzz {

void EnterScratchDirectory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qvrfc-fuzz-XXXXXX").string();
    if (!mkdtemp(&pattern[0])) std::abort();
    std::filesystem::current_path(pattern);
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
