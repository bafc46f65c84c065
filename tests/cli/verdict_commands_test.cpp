// qvrfcdoe predict and confirm on the bundled L9 experiment, and their refusals.
#include <gtest/gtest.h>

#include "cli/program_runner.h"
#include "support/golden.h"
#include "support/test_support.h"

namespace {

using qvrfcdoe_test::Entries;
namespace fs = std::filesystem;
using qvrfcdoe_test::RunProgram;

class VerdictCommands : public qvrfcdoe_test::ProgramTest {};

TEST_F(VerdictCommands, PredictAndConfirmPrintTheirVerdictAndWriteNothing) {
    const std::string data = qvrfc_test::DataFile("DOETest1.ipt");
    const std::string sheet = qvrfc_test::DataFile("moulding/runsheet.csv");
    struct Case {
        std::vector<std::string> args;
        const char* golden;
    };
    const Case cases[] = {
        {{"predict", data, "--at", "A=2,C=1", "--sn", "1=larger", "--pool", "1=B"},
         "predict_l9.txt"},
        {{"confirm", data, "--at", "A=2,C=1", "--sn", "1=smaller-textbook", "--pool", "lenth",
          "--values", "70,72,75", "--alpha", "0.1"},
         "confirm_l9.txt"},
        {{"predict", data, "--at", "A=2,B=1", "--interaction", "A*B", "--pool", "lenth", "--sn",
          "1=larger"},
         "predict_interaction_l9.txt"},
        {{"predict", sheet, "--at", "Melt temperature=235,Resin=regrind", "--pool", "Shrinkage=E"},
         "predict_moulding.txt"},
        {{"predict", sheet, "--at", "Melt temperature=240,Resin=regrind"},
         "predict_moulding_interpolated.txt"},
        {{"confirm", sheet, "--experiment", qvrfc_test::DataFile("moulding/experiment.toml"),
          "--at", "Resin=virgin,Holding pressure=700", "--values", "44.1,43.9", "--interaction",
          "Resin*Melt temperature", "--response", "Strength"},
         "confirm_moulding.txt"},
    };
    for (const Case& c : cases) {
        const qvrfcdoe_test::Result result = RunProgram(c.args);
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.err, "");
        qvrfc_test::ExpectGolden(c.golden, result.out);
        EXPECT_TRUE(Entries().empty());
    }
}

// Bad predictions and confirmations: status 1 or 2, one line on standard error and nothing
// written; the lines of all cases are one golden file.
TEST_F(VerdictCommands, RefuseBadInput) {
    fs::copy_file(qvrfc_test::DataFile("DOETest1.ipt"), "d.ipt");
    fs::create_directory("m");
    for (const char* name : {"runsheet.csv", "experiment.toml"})
        fs::copy_file(qvrfc_test::DataFile(std::string("moulding/") + name), fs::path("m") / name);
    fs::create_directory("c");
    for (const char* name : {"runsheet.csv", "experiment.toml"})
        fs::copy_file(qvrfc_test::DataFile(std::string("calibration/") + name),
                      fs::path("c") / name);
    const std::vector<std::string> cases[] = {
        {"predict", "d.ipt", "--at", "Z=1"},
        {"predict", "d.ipt", "--at", "A=4"},
        {"predict", "d.ipt", "--at", "A=0"},
        {"predict", "d.ipt", "--at", "A"},
        {"predict", "d.ipt", "--at", "A=1,A=2"},
        {"predict", "d.ipt", "--at", "A=1", "--sn", "1=bogus"},
        {"predict", "d.ipt", "--at", "A=1", "--alpha", "1"},
        {"predict", "d.ipt", "--at", "A=1", "--pool", "auto", "--pool", "lenth"},
        {"confirm", "d.ipt", "--at", "A=1", "--values", "1", "--quality", "2"},
        {"predict", "d.ipt", "--at", "A=1", "--interaction", "A-B"},
        {"predict", "d.ipt", "--at", "A=1", "--interaction", "A*F"},
        {"predict", "d.ipt", "--at", "C=1", "--interaction", "A*B"},
        {"predict", "d.ipt", "--at", "A=1", "--interaction", "A*B", "--pool", "1=D"},
        {"predict", "d.ipt", "--at", "A=1", "--interaction", "A*B", "--interaction", "C*D"},
        {"predict", "m/runsheet.csv", "--at", "Melt temperature=260"},
        {"confirm", "m/runsheet.csv", "--at", "Melt temperature=240", "--values", "42"},
        {"predict", "m/runsheet.csv", "--at", "A=1", "--desirability", "Strength=weight:0"},
        {"predict", "m/runsheet.csv", "--at", "A=1", "--combine", "fuzzy"},
        {"predict", "m/runsheet.csv", "--at", "A=3"},
        {"predict", "d.ipt", "--at", "A=1", "--experiment", "x.toml"},
        {"confirm", "c/runsheet.csv", "--at", "Gauge=foil", "--values", "3"},
    };
    std::string refusals;
    for (const std::vector<std::string>& args : cases)
        refusals += qvrfcdoe_test::RefusedLine(args);
    qvrfc_test::ExpectGolden("refusals_verdict.txt", refusals);
}

}  // namespace
