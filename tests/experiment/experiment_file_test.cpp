// The experiment file: what the design writes reads back the same, and every bad field is
// refused with the file, its line and its key.
#include <gtest/gtest.h>

#include "experiment/ArrayChoice.h"
#include "experiment/ExperimentFile.h"
#include "support/golden.h"
#include "support/test_support.h"

namespace {

using qvrfc_test::ReadFile;
using qvrfc_test::WriteFile;

// Labels, a nominal target, noise factors, a given run order, the interaction of columns 1
// and 2 of the L18 and a file name with a space.
qvrfc::Experiment NoisyExperiment() {
    qvrfc::Experiment experiment;
    experiment.factors = {{"Tool", "", {"new", "worn"}, 0},
                          {"Speed", "m/min", {"0.5", "1.25", "2"}, -1},
                          {"Feed \"fine\"", "mm", {"1e-3", "2e-3", "3e-3"}, -1}};
    experiment.array = CQVRFCDOETaguchiOrthogonalArray::OA_L18;
    experiment.factors[1].column = 1;
    experiment.interactions = {{1, 0}};
    experiment.factors[2].column = 4;
    experiment.responses = {{"Roughness", "um", qvrfc::SnKind::Nominal1, 0.8},
                            {"Wear", "", qvrfc::SnKind::Smaller}};
    experiment.noise = {{"Coolant", {"on", "off"}}, {"Batch", {"A", "B", "C"}}};
    experiment.repetitions = 2;
    experiment.randomized = true;
    experiment.seed = 4294967295u;
    experiment.runOrder = qvrfc::RunOrder(18, true, experiment.seed);
    return experiment;
}

TEST(ExperimentFile, WhatIsWrittenReadsBackTheSame) {
    const std::string bundled = qvrfc_test::DataFile("moulding/experiment.toml");
    EXPECT_EQ(qvrfc::ExperimentFileText(qvrfc::ReadExperimentFile(bundled)), ReadFile(bundled));

    qvrfc::WriteExperimentFile(NoisyExperiment(), "noisy design.toml");
    const qvrfc::Experiment read = qvrfc::ReadExperimentFile("noisy design.toml");
    EXPECT_EQ(qvrfc::ExperimentFileText(read), ReadFile("noisy design.toml"));
    EXPECT_EQ(read.factors[2].name, "Feed \"fine\"");
    EXPECT_EQ(read.factors[2].levels[1], "0.002");
    EXPECT_EQ(read.factors[1].levels[1], "1.25");
    EXPECT_EQ(read.runOrder, NoisyExperiment().runOrder);
    EXPECT_EQ(read.noise[1].levels, (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_DOUBLE_EQ(read.responses[0].target, 0.8);
    EXPECT_TRUE(read.interactions[0].first == 1 && read.interactions[0].second == 0);
}

TEST(ExperimentFile, ChoosesWhatAShortFileLeavesOut) {
    WriteFile("short.toml",
              "[[factor]]\nname = \"A\"\nlevels = [1, 2]\n[[factor]]\nname = \"B\"\n"
              "levels = [\"x\", \"y\", \"z\"]\n[[response]]\nname = \"Y\"\nsn = \"larger\"\n");
    const qvrfc::Experiment experiment = qvrfc::ReadExperimentFile("short.toml");
    EXPECT_EQ(experiment.array, CQVRFCDOETaguchiOrthogonalArray::OA_L18);
    EXPECT_EQ(experiment.factors[1].column, 1);
    EXPECT_EQ(experiment.runOrder.size(), 18u);
    EXPECT_EQ(experiment.repetitions, 1);
}

const char* const kGood =
    "array = \"L9\"\n"            // 1
    "repetitions = 2\n"           // 2
    "[[factor]]\n"                // 3
    "name = \"Temp\"\n"           // 4
    "levels = [150, 170, 190]\n"  // 5
    "column = 1\n"                // 6
    "[[factor]]\n"                // 7
    "name = \"Time\"\n"           // 8
    "levels = [1, 2, 3]\n"        // 9
    "[[response]]\n"              // 10
    "name = \"Yield\"\n"          // 11
    "sn = \"nominal1\"\n"         // 12
    "target = 5\n";               // 13

std::string Changed(const std::string& change) {
    std::string text = kGood;
    const size_t line = change[0] == '@' ? std::stoul(change.substr(1)) : 0;
    if (line > 0) {  // "@N text": line N becomes text
        size_t at = 0;
        for (size_t n = 1; n < line; ++n)
            at = text.find('\n', at) + 1;
        text.replace(at, text.find('\n', at) - at, change.substr(change.find(' ') + 1));
    }
    return text;
}

// One golden line a change: the change, then the message that refuses it.
TEST(ExperimentFile, RefusesEveryBadFieldWithLineAndKey) {
    const char* const changes[] = {
        "@1 array = \"L99\"",
        "@1 array = \"L4\"",
        "@2 repetitions = 0",
        "@2 repetition = 2",
        "@4 nmae = \"Temp\"",
        "@4 name = 5",
        "@4 name = \"\"",
        "@8 name = \"Temp\"",
        "@8 title = \"Time\"",
        "@5 levels = [150]",
        "@5 levels = [150, true, 3]",
        "@5 levels = [1, 2, 1]",
        "@5 levels = 150",
        "@5 unit = \"C\"",
        "@6 column = 0",
        "@6 column = 5",
        "@8 name = \"Time\"\ncolumn = 1",
        "@12 sn = \"best\"",
        "@13 unit = \"%\"",
        "@12 sn = \"larger\"",
        "@13 target = \"5\"",
        "@2 run_order = [1, 2, 3, 4, 5, 6, 7, 8, 8]",
        "@2 seed = -1",
        "@10 [response]",
        "@2 interactions = ['Temp*Tim']",
        "@2 interactions = [' Temp * Temp ']",
        "@2 interactions = ['Temp*Time',\n'Time*Temp']",
        "@2 interactions = ['Temp*Time']\n[[factor]]\nname = 'X'\nlevels = [1, 2, 3]\ncolumn = 3",
        "@10 [[responses]]",
        "@11 name = \"Yield",
    };
    std::string refusals;
    for (const char* change : changes) {
        WriteFile("x.toml", Changed(change));
        std::string shown = change;
        for (size_t at = shown.find('\n'); at != std::string::npos; at = shown.find('\n', at))
            shown.replace(at, 1, "\\n");
        try {
            qvrfc::ReadExperimentFile("x.toml");
            refusals += shown + " => accepted\n";
        } catch (const qvrfc::ExperimentError& error) {
            refusals += shown + " => " + error.what() + "\n";
        }
    }
    qvrfc_test::ExpectGolden("refusals_experiment_file.txt", refusals);
}

}  // namespace
