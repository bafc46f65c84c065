// Shared set-up of the fuzz targets: a private working directory (the library
// writes fixed file names into the current directory), quiet standard output,
// and a sink stream for writers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace qvrfc_fuzz {

// Moves into a fresh temporary directory (in memory when /dev/shm is at hand and
// TMPDIR is not set), removed at exit, and silences standard output; call once.
void EnterScratchDirectory();
// Writes the bytes to a file of that name in the current directory.
void WriteBytes(const char* name, const uint8_t* data, size_t size);
// A stream that discards what it receives.
FILE* Sink();

}  // namespace qvrfc_fuzz
