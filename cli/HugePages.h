// Large data files loaded on transparent huge pages. glibc's malloc asks the kernel for them only
// when the tunable glibc.malloc.hugetlb is set as the process starts; millions of observations
// then cost a page fault per 2 MiB instead of one per 4 KiB (8.1 million: 0.2 s instead of
// 0.35 s for analyze --no-reports). So a command about to load a large file starts the program
// once more, with the same arguments and the tunable added.
#pragma once

#include <string>
#include <vector>

namespace qvrfcdoe {

// Files from this size on are worth starting again for (the start costs about 20 ms).
constexpr long long kHugePagesFrom = 16ll << 20;

// Whether to start again for a file of fileSize bytes: large enough, the kernel giving huge
// pages to memory that asks for them (thpMode, the text of the kernel's setting, has
// "[madvise]"), and tunables (GLIBC_TUNABLES, may be null) that do not set glibc.malloc.hugetlb
// already, which also keeps the new start from starting again.
bool WorthHugePages(long long fileSize, const char* tunables, const std::string& thpMode);

// tunables (may be null) with glibc.malloc.hugetlb=1 added.
std::string TunablesWithHugePages(const char* tunables);

// The arguments in /proc/self/cmdline's form: each ended by a NUL.
std::vector<std::string> ArgumentsOf(const std::string& commandLine);

// Starts this program again on huge pages when dataFile is worth it; returns when it is not or
// when starting again fails (the command then goes on as it is). Call before any output.
void LoadOnHugePages(const std::string& dataFile);

}  // namespace qvrfcdoe
