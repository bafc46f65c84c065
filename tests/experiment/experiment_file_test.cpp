// The experiment file: what the design writes reads back the same, and every bad field is
// refused with the file, its line and its key.
#include <gtest/gtest.h>

#include "qvrfc/experiment/ArrayChoice.h"
#include "qvrfc/experiment/ExperimentFile.h"
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
    experiment.responses[0].low = 0.5;  // its desirability
    experiment.responses[0].high = 1.25;
    experiment.responses[1].weight = 2;
    experiment.responses[1].importance = 0.5;
    experiment.noise = {{"Coolant", {"on", "off"}}, {"Batch", {"A", "B", "C"}}};
    experiment.outer = qvrfc::ParseOuterArray("full");
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
    EXPECT_EQ(qvrfc::ExperimentDifference(read, NoisyExperiment()), "");
    EXPECT_EQ(read.factors[2].levels[1], "0.002");

    // A seed kept without randomizing, names with quotes of every kind, numbers as texts.
    qvrfc::Experiment odd = NoisyExperiment();
    odd.randomized = false;
    odd.seed = 7;
    odd.factors[0].name = "Tool '''new'''";
    odd.factors[1].levels = {"0.50", "1.25e0", "2"};
    odd.noise[1].levels = {"1", "1.0", "\xC3\xA9"};
    const qvrfc::Experiment back =
        qvrfc::ReadExperimentText(qvrfc::VerifiedExperimentFileText(odd, "odd.toml"), "odd.toml");
    EXPECT_EQ(qvrfc::ExperimentDifference(back, odd), "");
    EXPECT_EQ(back.factors[1].levels[0], "0.5");
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

// "@N text": line N becomes text; "@N text|@M text": both, M after N.
std::string Changed(const std::string& change) {
    std::string text = kGood;
    const size_t bar = change.rfind("|@");
    if (bar != std::string::npos) text = Changed(change.substr(0, bar));
    const std::string last = bar == std::string::npos ? change : change.substr(bar + 1);
    const size_t line = std::stoul(last.substr(1));
    size_t at = 0;
    for (size_t n = 1; n < line; ++n)
        at = text.find('\n', at) + 1;
    text.replace(at, text.find('\n', at) - at, last.substr(last.find(' ') + 1));
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
        "@2 outer = 'L7'",
        "@2 outer = 'full'",
        "@10 [response]",
        "@2 interactions = ['Temp*Tim']",
        "@2 interactions = [' Temp * Temp ']",
        "@2 interactions = ['Temp*Time',\n'Time*Temp']",
        "@2 interactions = ['Temp*Time']\n[[factor]]\nname = 'X'\nlevels = [1, 2, 3]\ncolumn = 3",
        "@10 [[responses]]",
        "@11 name = \"Yield",
        "@5 levels = [0, -0.0, 1]",
        "@4 name = \" Temp\"",
        "@5 levels = [\"hot \", \"cold\", \"warm\"]",
        "@4 name = \"Te\\nmp\"",
        "@11 name = \"Yi\\u0000eld\"",
        "@4 name = \"run\"",
        "@8 name = \"Yield 2\"",
        "@11 name = 'Yield'\nunit = \"\\r\"",
        "@1 # no array|@5 levels = [150]",
        "@9 levels = [1]",
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
