// qvrfcdoe predict and confirm on the bundled L9 experiment, and their refusals.
#include <gtest/gtest.h>

#include "cli/program_runner.h"
#include "support/golden.h"
#include "support/test_support.h"

namespace {

using qvrfcdoe_test::Entries;
using qvrfcdoe_test::ExpectRefused;
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
        {{"predict", sheet, "--at", "Melt temperature=235,Resin=regrind", "--pool", "2=E"},
         "predict_moulding.txt"},
        {{"confirm", sheet, "--experiment", qvrfc_test::DataFile("moulding/experiment.toml"),
          "--at", "Resin=virgin,Holding pressure=700", "--values", "44.1,43.9", "--interaction",
          "Resin*Melt temperature"},
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

TEST_F(VerdictCommands, RefuseBadInput) {
    const std::string data = qvrfc_test::DataFile("DOETest1.ipt");
    const std::string sheet = qvrfc_test::DataFile("moulding/runsheet.csv");
    qvrfc_test::WriteFile("uneven.ipt", "4 1 0\n2 1 2\n1 3\n2 5 6\n2 7 8\n");
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string message;
    };
    const Case cases[] = {
        {{"predict", data, "--at", "Z=1"}, 1, "--at 'Z=1': the experiment has no factor 'Z'"},
        {{"predict", data, "--at", "A=4"}, 1, "--at 'A=4': factor A has 3 levels"},
        {{"predict", data, "--at", "A=0"}, 2, "--at 'A=0': level '0' is not a number from 1 up"},
        {{"predict", data, "--at", "A"}, 2, "--at 'A': expected FACTOR=LEVEL, e.g. A=3"},
        {{"predict", data, "--at", "A=1,A=2"}, 2, "--at 'A=1,A=2': factor A is given twice"},
        {{"predict", data, "--at", "A=1", "--sn", "1=bogus"},
         2,
         "--sn '1=bogus': unknown S/N type 'bogus' (one of nominal1, nominal2, nominal3, "
         "nominal4, smaller, larger, smaller-textbook)"},
        {{"predict", data, "--at", "A=1", "--alpha", "1"},
         2,
         "--alpha '1': must lie between 0 and 1"},
        {{"predict", data, "--at", "A=1", "--pool", "auto", "--pool", "lenth"},
         2,
         "--pool 'lenth': only one pooling rule, auto or lenth, can be given"},
        {{"confirm", data, "--at", "A=1", "--values", "1", "--quality", "2"},
         1,
         "--quality 2 is out of range ('" + data + "' has 1 quality)"},
        {{"predict", data, "--at", "A=1", "--interaction", "A-B"},
         2,
         "--interaction 'A-B': expected FACTOR*FACTOR, e.g. A*B"},
        {{"predict", data, "--at", "A=1", "--interaction", "A*F"},
         1,
         "--interaction 'A*F': factor F is out of range ('" + data + "' has factors A to D)"},
        {{"predict", data, "--at", "C=1", "--interaction", "A*B"},
         1,
         "--at 'C=1': factor C is not in the model, its column holds a declared interaction"},
        {{"predict", data, "--at", "A=1", "--interaction", "A*B", "--pool", "1=D"},
         1,
         "--pool: factor D is not in the model, its column holds a declared interaction"},
        {{"predict", data, "--at", "A=1", "--interaction", "A*B", "--interaction", "C*D"},
         1,
         "'" + data + "': interaction A*B lies on column 3, which holds factor C"},
        {{"predict", sheet, "--at", "Melt temperature=230"},
         1,
         "--at 'Melt temperature=230': factor 'Melt temperature' has no level '230'"},
        {{"predict", sheet, "--at", "A=1"}, 1, "--at 'A=1': the experiment has no factor 'A'"},
        {{"predict", data, "--at", "A=1", "--experiment", "x.toml"},
         2,
         "--experiment: '" + data + "' is not a run sheet"},
        {{"predict", "uneven.ipt", "--at", "A=1"},
         1,
         "'uneven.ipt': quality 1, observations: run 2 has 1 observations where run 1 has 2; "
         "the analysis of variance needs the same number in every run"},
    };
    for (const Case& c : cases)
        ExpectRefused(c.args, c.status, c.message);
}

}  // namespace
