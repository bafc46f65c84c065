// The one parser of the analysis options that the command and the Python module share: every
// bad text refused with its option, its text and the cause; responses named or numbered,
// resolved against the experiment.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "qvrfc/analysis/Analysis.h"
#include "qvrfc/common/QVRFCError.h"
#include "support/golden.h"
#include "support/test_support.h"

namespace {

// The option of the given name set to text, as the command line types it.
qvrfc::AnalysisOptions OptionsOf(const std::string& option, const std::string& text) {
    qvrfc::AnalysisOptions options;
    if (option == "sn") options.sn = {text};
    if (option == "pool") options.pool = {text};
    if (option == "desirability") options.desirability = {text};
    if (option == "combine") options.combine = text;
    if (option == "alpha") options.alpha = std::stod(text);
    if (option == "zeta") options.zeta = std::stod(text);
    if (option == "array") options.array = text;
    return options;
}

// The refusal of an analysis of the moulding run sheet, copied into the test's folder so that
// messages name it as "m/runsheet.csv".
std::string MouldingRefusal(const qvrfc::AnalysisOptions& options) {
    std::filesystem::create_directories("m");
    for (const char* file : {"runsheet.csv", "experiment.toml"})
        std::filesystem::copy_file(qvrfc_test::DataFile(std::string("moulding/") + file),
                                   std::string("m/") + file,
                                   std::filesystem::copy_options::skip_existing);
    return qvrfc_test::Refusal([&] {
        qvrfc::AnalysisInput input;
        input.dataFile = "m/runsheet.csv";
        qvrfc::Analyze(input, qvrfc::SettingsOfOptions(options));
    });
}

TEST(Settings, BadOptionsAreRefused) {
    const std::vector<std::pair<std::string, std::string>> unreadable = {
        {"sn", "larger"},
        {"sn", "0=larger"},
        {"sn", "=larger"},
        {"sn", "1=big"},
        {"sn", "1=nominal1:ten"},
        {"pool", "1=B,,C"},
        {"pool", "Auto"},
        {"desirability", "Strength"},
        {"desirability", "Strength=low30"},
        {"desirability", "Strength=lo:30"},
        {"desirability", "Strength=low:abc"},
        {"desirability", "Strength=low:1,low:2"},
        {"combine", "fuzzy"},
        {"alpha", "0"},
        {"alpha", "1"},
        {"zeta", "0"},
        {"zeta", "1.5"},
        {"array", "L7"},
    };
    std::string text;
    for (const auto& [option, given] : unreadable)
        text +=
            qvrfc_test::Refusal([&] { qvrfc::SettingsOfOptions(OptionsOf(option, given)); }) + "\n";
    // Understood, but naming no response of the experiment.
    for (const auto& [option, given] : std::vector<std::pair<std::string, std::string>>{
             {"sn", "Volume=larger"},
             {"sn", "3=larger"},
             {"pool", "Volume=A"},
             {"desirability", "Volume=low:1"},
         })
        text += MouldingRefusal(OptionsOf(option, given)) + "\n";
    qvrfc_test::ExpectGolden("analysis/settings_refusals.txt", text);
}

// A name first (a response may be named "2"), else a number from 1.
TEST(Settings, ResponsesByNameOrNumber) {
    const std::vector<std::string> names = {"Strength", "1", "Shrinkage"};
    const std::vector<std::pair<std::string, int>> cases = {
        {"Strength", 0}, {" Shrinkage ", 2}, {"1", 1}, {"3", 2},  {"2", 1},
        {"4", -1},       {"strength", -1},   {"", -1}, {"0", -1}, {"99999999999", -1},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(qvrfc::ResponseOfText(names, text), expected) << text;
}

}  // namespace
