// qvrfcdoe interactions: the triangular tables of L8, L16 and L27 and the statement for every
// array whose interactions are spread over several columns (its refusals are with the
// program's).
#include <gtest/gtest.h>

#include <string>

#include "cli/program_runner.h"
#include "support/golden.h"

namespace {

using namespace qvrfcdoe_test;

using InteractionsCommand = ProgramTest;

TEST_F(InteractionsCommand, PrintsTheTriangularTable) {
    for (const char* name : {"L8", "L16", "L27"}) {
        const Result result = RunProgram({"interactions", name});
        EXPECT_EQ(result.status, 0) << name;
        EXPECT_EQ(result.err, "") << name;
        qvrfc_test::ExpectGolden(std::string("interactions_") + name + ".txt", result.out);
    }
    // Interactions are printed, not loaded: nothing is written.
    EXPECT_EQ(Entries(), std::vector<std::string>{});
}

TEST_F(InteractionsCommand, ArraysGivenByValueSayWhichInteractionsStandApart) {
    std::string out;
    for (const char* name : {"L12", "L18", "L32'", "L36", "L36a", "L50", "L54"}) {
        const Result result = RunProgram({"interactions", name});
        EXPECT_EQ(result.status, 0) << name;
        out += result.out;
    }
    qvrfc_test::ExpectGolden("interactions_spread.txt", out);
}

}  // namespace
