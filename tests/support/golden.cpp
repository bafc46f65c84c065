#include "support/golden.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <regex>
#include <filesystem>
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

// Length of the time stamp "hh:mm:ss-MM-DD-YYYY" at text[at] (each of hh, mm, ss may carry a
// minus sign, as when the clock cannot be read), or 0 when none starts there.
size_t StampLength(const std::string& text, size_t at) {
    const auto digits = [&text](size_t& i, size_t least, size_t most) {
        size_t n = 0;
        while (n < most && i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])))
            ++i, ++n;
        return n >= least;
    };
    const auto mark = [&text](size_t& i, char c) { return i < text.size() && text[i++] == c; };
    size_t i = at;
    for (char separator : {':', ':', '-'}) {
        if (i < text.size() && text[i] == '-') ++i;
        if (!digits(i, 2, 2) || !mark(i, separator)) return 0;
    }
    if (!digits(i, 2, 2) || !mark(i, '-') || !digits(i, 2, 2) || !mark(i, '-') || !digits(i, 1, 4))
        return 0;
    return i - at;
}

// A JSON text with every number written to 12 significant digits: the last bits of a double
// differ between the processor's arithmetic and valgrind's, and results.json writes them all.
std::string RoundedNumbers(const std::string& json) {
    static const std::regex number(R"(-?\d+(\.\d+)?([eE][-+]?\d+)?)");
    std::string rounded;
    std::sregex_iterator it(json.begin(), json.end(), number), end;
    size_t last = 0;
    for (; it != end; ++it) {
        const size_t at = static_cast<size_t>(it->position());
        rounded += json.substr(last, at - last);
        char text[40];
        std::snprintf(text, sizeof text, "%.12g", std::strtod(it->str().c_str(), nullptr));
        rounded += text;
        last = at + it->length();
    }
    return rounded + json.substr(last);
}

// The text as it is compared: time stamps masked, and a JSON file's numbers rounded.
std::string Comparable(const std::string& name, const std::string& text) {
    const bool json = name.size() > 5 && name.compare(name.size() - 5, 5, ".json") == 0;
    return json ? RoundedNumbers(MaskTimes(text)) : MaskTimes(text);
}

}  // namespace

std::string MaskTimes(const std::string& text) {
    std::string masked;
    for (size_t i = 0; i < text.size();) {
        const size_t length = StampLength(text, i);
        masked += length ? "<time>" : text.substr(i, 1);
        i += length ? length : 1;
    }
    return masked;
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
        const std::vector<std::string> expected = Lines(Comparable(name, ReadFile(path)));
        const std::vector<std::string> written = Lines(Comparable(name, actual));
        if (expected != written)
            ADD_FAILURE() << "differs from " << path << "\n" << Difference(expected, written);
    }
}

}  // namespace qvrfc_test
