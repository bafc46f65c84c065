// Expected texts kept as files under tests/golden/, compared line by line. A failure shows
// the first lines that differ with their numbers, not a checksum.
// QVRFC_UPDATE_GOLDEN=1 in the environment writes the actual text as the new golden file
// (review the difference with git before committing it).
#pragma once

#include <string>

namespace qvrfc_test {

// Replaces the engine's time stamps ("18:00:05-12-06-2026") with "<time>".
std::string MaskTimes(const std::string& text);

// EXPECTs that actual equals tests/golden/<name>, after masking the time stamps of both; the
// numbers of a ".json" file are compared to 12 significant digits.
void ExpectGolden(const std::string& name, const std::string& actual);

}  // namespace qvrfc_test
