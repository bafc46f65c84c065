// The experiment file: what the design writes reads back the same, and every bad field is
// refused with the file, its line and its key.
#include <gtest/gtest.h>

#include "experiment/ArrayChoice.h"
#include "experiment/ExperimentFile.h"
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

struct BadField {
    const char* change;  // replaces the marked line of the good file below
    const char* message;
};

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

TEST(ExperimentFile, RefusesEveryBadFieldWithLineAndKey) {
    const BadField cases[] = {
        {"@1 array = \"L99\"", "x.toml:1: array: unknown array 'L99'"},
        {"@1 array = \"L4\"", "x.toml:7: factor[2].column: L4 has no free column of 3 levels"},
        {"@2 repetitions = 0", "x.toml:2: repetitions: expected a whole number from 1 to 1000"},
        {"@2 repetition = 2", "x.toml:2: repetition: unknown key"},
        {"@4 nmae = \"Temp\"", "x.toml:4: factor[1].nmae: unknown key"},
        {"@4 name = 5", "x.toml:4: factor[1].name: expected a text in quotes"},
        {"@4 name = \"\"", "x.toml:4: factor[1].name: the name is empty"},
        {"@8 name = \"Temp\"", "x.toml:8: factor[2].name: 'Temp' is named twice"},
        {"@8 title = \"Time\"", "x.toml:8: factor[2].title: unknown key"},
        {"@5 levels = [150]", "x.toml:5: factor[1].levels: at least two levels are needed"},
        {"@5 levels = [150, true, 3]",
         "x.toml:5: factor[1].levels: each level is a number or a text in quotes"},
        {"@5 levels = [1, 2, 1]", "x.toml:5: factor[1].levels: the level '1' is given twice"},
        {"@5 levels = 150", "x.toml:5: factor[1].levels: expected a list such as [150, 170, 190]"},
        {"@5 unit = \"C\"", "x.toml:3: factor[1].levels: the key is missing"},
        {"@6 column = 0", "x.toml:6: factor[1].column: expected a whole number from 1 to 1000"},
        {"@6 column = 5", "x.toml:6: factor[1].column: L9 has columns 1 to 4"},
        {"@8 name = \"Time\"\ncolumn = 1",
         "x.toml:9: factor[2].column: column 1 holds another factor"},
        {"@12 sn = \"best\"",
         "x.toml:12: response[1].sn: unknown S/N kind 'best' (one of nominal1, nominal2, "
         "nominal3, nominal4, smaller, larger, smaller-textbook)"},
        {"@13 unit = \"%\"",
         "x.toml:10: response[1].target: a nominal S/N kind needs a finite "
         "target"},
        {"@12 sn = \"larger\"",
         "x.toml:13: response[1].target: only the nominal S/N kinds have a "
         "target"},
        {"@13 target = \"5\"", "x.toml:13: response[1].target: expected a number"},
        {"@2 run_order = [1, 2, 3, 4, 5, 6, 7, 8, 8]",
         "x.toml:2: run_order: must name each run from 1 to 9 once"},
        {"@2 seed = -1", "x.toml:2: seed: expected a whole number from 0 to 4294967295"},
        {"@10 [response]", "x.toml:10: response: expected [[response]] tables"},
        {"@2 interactions = ['Temp*Tim']",
         "x.toml:2: interactions: 'Temp*Tim': no factor is named 'Tim'"},
        {"@2 interactions = [' Temp * Temp ']",
         "x.toml:2: interactions: Temp*Temp pairs a factor with itself"},
        {"@2 interactions = ['Temp*Time',\n'Time*Temp']",
         "x.toml:3: interactions: Time*Temp is declared twice"},
        {"@2 interactions = ['Temp*Time']\n[[factor]]\nname = 'X'\nlevels = [1, 2, 3]\ncolumn = 3",
         "x.toml:2: interactions: Temp*Time lies on column 3, which holds X"},
        {"@10 [[responses]]", "x.toml:10: responses: unknown key"},
        {"@11 name = \"Yield",
         "x.toml:11: not TOML: Error while parsing string: unescaped "
         "control characters other than TAB (U+0009) are explicitly "
         "prohibited"},
    };
    for (const BadField& c : cases) {
        WriteFile("x.toml", Changed(c.change));
        try {
            qvrfc::ReadExperimentFile("x.toml");
            ADD_FAILURE() << c.change << ": accepted";
        } catch (const qvrfc::ExperimentError& error) {
            EXPECT_EQ(std::string(error.what()), c.message) << c.change;
        }
    }
}

}  // namespace
