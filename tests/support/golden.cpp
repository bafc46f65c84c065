#include "support/golden.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <sstream>
#include <vector>

#include "support/test_support.h"

namespace qvrfc_test {
namespace {

constexpr size_t kShownDifferences = 8;

// "line N:\n  - expected\n  + actual" for the first differing lines.
std::string Difference(const std::vector<std::string>& expected,
                       const std::vector<std::string>& actual) {
    std::ostringstream text;
    const size_t lines = std::max(expected.size(), actual.size());
    for (size_t i = 0, shown = 0; i < lines && shown < kShownDifferences; ++i) {
        const char* none = "(no line)";
        if (i < expected.size() && i < actual.size() && expected[i] == actual[i]) continue;
        text << "line " << i + 1 << ":\n  - " << (i < expected.size() ? expected[i] : none)
             << "\n  + " << (i < actual.size() ? actual[i] : none) << "\n";
        ++shown;
    }
    text << "(" << expected.size() << " lines expected, " << actual.size() << " written)";
    return text.str();
}

}  // namespace

std::string MaskTimes(const std::string& text) {
    static const std::regex stamp(R"(-?\d\d:-?\d\d:-?\d\d-\d\d-\d\d-\d{1,4})");
    return std::regex_replace(text, stamp, "<time>");
}

void ExpectGolden(const std::string& name, const std::string& actual) {
    const std::filesystem::path path = std::string(QVRFC_SOURCE_DIR) + "/tests/golden/" + name;
    const char* update = std::getenv("QVRFC_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") {
        std::filesystem::create_directories(path.parent_path());
        WriteFile(path, MaskTimes(actual));
    } else if (!FileExists(path)) {
        ADD_FAILURE() << "no golden file " << path << " (QVRFC_UPDATE_GOLDEN=1 writes it)";
    } else {
        const std::vector<std::string> expected = Lines(MaskTimes(ReadFile(path)));
        const std::vector<std::string> written = Lines(MaskTimes(actual));
        if (expected != written)
            ADD_FAILURE() << "differs from " << path << "\n" << Difference(expected, written);
    }
}

}  // namespace qvrfc_test
