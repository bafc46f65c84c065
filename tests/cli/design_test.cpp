// qvrfcdoe design and the run-sheet path of analyze: the README's commands reproduce the
// bundled moulding example, and bad factors, responses, arrays or sheets are refused with
// nothing written.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "cli/program_runner.h"
#include "support/golden.h"
#include "support/test_support.h"

namespace {

using namespace qvrfcdoe_test;
using qvrfc_test::DataFile;
using qvrfc_test::ReadFile;

using Design = ProgramTest;

// The design command of the README's worked example, its words separated by '|'.
std::vector<std::string> MouldingDesign() {
    const std::string text =
        "design|--factor|Resin=virgin,regrind|--factor|Melt temperature[C]=220,235,250|"
        "--factor|Mould temperature[C]=40,55,70|--factor|Injection pressure[bar]=800,900,1000|"
        "--factor|Injection speed[mm/s]=40,60,80|--factor|Holding pressure[bar]=500,600,700|"
        "--factor|Holding time[s]=4,6,8|--factor|Cooling time[s]=15,20,25|"
        "--response|Strength[MPa]:larger|--response|Shrinkage[%]:smaller|--repeat|3|"
        "--randomize|--seed|2026";
    std::vector<std::string> words;
    for (size_t start = 0, bar = 0; bar != std::string::npos; start = bar + 1) {
        bar = text.find('|', start);
        words.push_back(text.substr(start, bar - start));
    }
    return words;
}

// The sheet's first columns: run, order and the factors' settings, without the observations.
std::string Settings(const std::string& sheet, int columns = 10) {
    std::string settings;
    for (const std::string& line : qvrfc_test::Lines(sheet)) {
        size_t cut = 0;
        for (int comma = 0; comma < columns && cut != std::string::npos; ++comma)
            cut = line.find(',', cut + 1);
        settings += line.substr(0, cut) + "\n";
    }
    return settings;
}

TEST_F(Design, ReproducesTheBundledExampleFromOptionsAndFromItsFile) {
    const Result options = RunProgram(MouldingDesign());
    ASSERT_EQ(options.status, 0) << options.err;
    EXPECT_EQ(ReadFile("qvrfcdoe-out/experiment.toml"),
              ReadFile(DataFile("moulding/experiment.toml")));
    const std::string bundled = ReadFile(DataFile("moulding/runsheet.csv")).substr(3);  // BOM
    EXPECT_EQ(Settings(ReadFile("qvrfcdoe-out/runsheet.csv")), Settings(bundled));
    EXPECT_EQ(Entries("qvrfcdoe-out"),
              (std::vector<std::string>{"experiment.toml", "runsheet.csv"}));
    EXPECT_NE(options.out.find("L18(2^1x3^7), 18 runs, for 1 factor of 2 levels and 7 of 3 levels; "
                               "run order randomized with seed 2026\n"),
              std::string::npos);
    EXPECT_NE(options.out.find("\n4    1      virgin   235"), std::string::npos);

    const Result file = RunProgram(
        {"design", "--experiment", DataFile("moulding/experiment.toml"), "--out", "again"});
    ASSERT_EQ(file.status, 0) << file.err;
    EXPECT_EQ(ReadFile("again/runsheet.csv"), ReadFile("qvrfcdoe-out/runsheet.csv"));
}

// The load cell's calibration: its options give the bundled dynamic experiment, one column per
// load and ambient temperature, and its analysis draws each run against the load.
TEST_F(Design, DynamicExperimentFromOptionsToItsSignalChart) {
    const Result design = RunProgram(
        {"design", "--factor", "Gauge=foil,semiconductor", "--factor",
         "Adhesive=epoxy,cyanoacrylate", "--factor", "Cure temperature[C]=60,90", "--factor",
         "Bridge voltage[V]=5,10", "--response", "Output[mV]:dynamic:0.5", "--signal",
         "Load[N]=10,20,30", "--noise", "Ambient=cold,hot", "--columns", "1,2,4,7"});
    ASSERT_EQ(design.status, 0) << design.err;
    EXPECT_EQ(ReadFile("qvrfcdoe-out/experiment.toml"),
              ReadFile(DataFile("calibration/experiment.toml")));
    EXPECT_EQ(Settings(ReadFile("qvrfcdoe-out/runsheet.csv"), 6),
              Settings(ReadFile(DataFile("calibration/runsheet.csv")), 6));
    EXPECT_NE(ReadFile("qvrfcdoe-out/runsheet.csv").find(",Output Load=30 Ambient=hot\r\n"),
              std::string::npos);
    const Result analysis =
        RunProgram({"analyze", DataFile("calibration/runsheet.csv"), "--out", "lab"});
    ASSERT_EQ(analysis.status, 0) << analysis.err;
    EXPECT_TRUE(fs::is_regular_file("lab/charts/output-signal.svg"));
    EXPECT_NE(ReadFile("lab/report.html").find("mean against Load under each noise condition"),
              std::string::npos);
}

TEST_F(Design, AnalyzesTheFilledSheetIntoResultsJson) {
    fs::create_directory("lab");
    fs::copy_file(DataFile("moulding/runsheet.csv"), "lab/runsheet.csv");
    fs::copy_file(DataFile("moulding/experiment.toml"), "lab/experiment.toml");
    const Result result = RunProgram({"analyze", "lab/runsheet.csv", "--pool", "2=E",
                                      "--interaction", "Resin*Melt temperature"});
    ASSERT_EQ(result.status, 0) << result.err;
    qvrfc_test::ExpectGolden("results_moulding.json", ReadFile("qvrfcdoe-out/results.json"));
    const std::string verdict = ReadFile("qvrfcdoe-out/runsheet-verdict.txt");
    qvrfc_test::ExpectGolden("verdict_moulding.txt", verdict);
    EXPECT_NE(result.out.find(verdict), std::string::npos);
    EXPECT_EQ(Entries("qvrfcdoe-out"),
              (std::vector<std::string>{"DOESetup.log", "QVRFCDOETaguchiMethod.log", "charts",
                                        "report.html", "results.json", "runsheet-analysis.csv",
                                        "runsheet-analysis.log", "runsheet-verdict.txt"}));
    // A report that cannot be written takes those written before it along, and nothing else.
    fs::create_directories("o/results.json");
    EXPECT_EQ(RunProgram({"analyze", "lab/runsheet.csv", "--out", "o"}).status, 1);
    EXPECT_TRUE(fs::is_directory("o/results.json"));
    EXPECT_FALSE(fs::exists("o/runsheet-analysis.log"));
}

// A declared interaction takes the column its factors' interaction lies on, the design lists
// what stays confounded, and the analysis of the filled sheet has the interaction's term.
TEST_F(Design, DeclaredInteractionKeepsItsColumnIntoTheVerdict) {
    const Result design =
        RunProgram({"design", "--factor", "Temperature=150,170", "--factor", "Pressure=1,2",
                    "--factor", "Speed=a,b", "--factor", "Time=5,10", "--response", "Y:larger",
                    "--interaction", "Temperature * Speed", "--out", "lab"});
    ASSERT_EQ(design.status, 0) << design.err;
    qvrfc_test::ExpectGolden("design_interaction_l8.txt",
                             design.out.substr(0, design.out.find("\n\n")));
    std::string sheet = ReadFile("lab/runsheet.csv");
    for (const char* value : {"11", "13", "12", "14", "12", "14", "18", "20"})
        sheet.replace(sheet.find(",\r\n"), 3, std::string(",") + value + "\n");
    qvrfc_test::WriteFile("lab/runsheet.csv", sheet);
    const Result result = RunProgram({"analyze", "lab/runsheet.csv", "--out", "lab/out"});
    ASSERT_EQ(result.status, 0) << result.err;
    const Result named = RunProgram(
        {"analyze", "lab/runsheet.csv", "--interaction", "Speed*Temperature", "--no-reports"});
    EXPECT_EQ(named.status, 0) << named.err;
    EXPECT_NE(ReadFile("lab/out/results.json").find("\"name\": \"Temperature*Speed\""),
              std::string::npos);
    EXPECT_NE(result.out.find("\nTemperature*Speed        12.5000       1 "), std::string::npos)
        << result.out;
}

// Three two-level noise factors: the smallest outer array holds half their combinations, a
// full or a named outer array all of them, and the choice travels in the experiment file.
TEST_F(Design, OuterArrayIsAChoiceSaidAndKept) {
    const std::vector<std::string> base = {"design",   "--factor", "A=1,2",  "--response",
                                           "Y:larger", "--noise",  "N1=a,b", "--noise",
                                           "N2=c,d",   "--noise",  "N3=e,f"};
    std::string text;
    for (const std::vector<std::string>& outer :
         std::vector<std::vector<std::string>>{{}, {"--outer", "full"}, {"--outer", "l8"}}) {
        std::vector<std::string> args = base;
        args.insert(args.end(), outer.begin(), outer.end());
        args.insert(args.end(), {"--out", "lab"});
        const Result design = RunProgram(args);
        ASSERT_EQ(design.status, 0) << design.err;
        const std::string sheet = ReadFile("lab/runsheet.csv");
        text += design.out.substr(design.out.find("  noise:"),
                                  design.out.find("\n\n") - design.out.find("  noise:")) +
                "\n" + sheet.substr(0, sheet.find('\n') + 1);
        const Result again =
            RunProgram({"design", "--experiment", "lab/experiment.toml", "--out", "again"});
        ASSERT_EQ(again.status, 0) << again.err;
        EXPECT_EQ(ReadFile("again/runsheet.csv"), sheet);
        fs::remove_all("lab");
        fs::remove_all("again");
    }
    qvrfc_test::ExpectGolden("design_outer.txt", text);
}

// The array's columns without a factor leave the verdict's model: their sums of squares are
// the residual of the error (18 in all, 3 for the factors).
TEST_F(Design, EmptyColumnsMakeTheResidual) {
    const Result design =
        RunProgram({"design", "--factor", "T=1,2", "--factor", "P=a,b", "--factor", "S=3,4",
                    "--response", "Y:larger", "--array", "L8", "--out", "lab"});
    ASSERT_EQ(design.status, 0) << design.err;
    std::string sheet = ReadFile("lab/runsheet.csv");
    for (const char* value : {"11", "13", "12", "15", "10", "14", "13", "12"})
        sheet.replace(sheet.find(",\r\n"), 3, std::string(",") + value + "\n");
    qvrfc_test::WriteFile("lab/runsheet.csv", sheet);
    const Result result = RunProgram({"analyze", "lab/runsheet.csv", "--no-reports"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("\n  residual            15.0000       4\n"), std::string::npos)
        << result.out;
    EXPECT_EQ(result.out.find("e4"), std::string::npos);
}

// The charts and the page of the bundled sheet, in the experiment's names: the page carries
// the verdict's p-values and the optimum's interval; --no-html leaves the page out.
TEST_F(Design, AnalyzeDrawsTheChartsAndThePageOfTheSheet) {
    const std::string sheet = DataFile("moulding/runsheet.csv");
    const struct {
        std::vector<std::string> options;
        std::vector<std::string> charts;
        bool page;
    } cases[] = {
        {{},
         {"combined-desirability.png", "combined-desirability.svg", "shrinkage-main-effects.png",
          "shrinkage-main-effects.svg", "shrinkage-pareto.png", "shrinkage-pareto.svg",
          "strength-dispersion.png", "strength-dispersion.svg", "strength-main-effects.png",
          "strength-main-effects.svg", "strength-pareto.png", "strength-pareto.svg"},
         true},
        {{"--no-html", "--charts", "pdf"},
         {"combined-desirability.pdf", "shrinkage-main-effects.pdf", "shrinkage-pareto.pdf",
          "strength-dispersion.pdf", "strength-main-effects.pdf", "strength-pareto.pdf"},
         false},
    };
    std::string page;
    for (const auto& c : cases) {
        fs::remove_all("o");
        std::vector<std::string> args = {"analyze", sheet, "--out", "o"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const Result result = RunProgram(args);
        ASSERT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(Entries("o/charts"), c.charts);
        EXPECT_EQ(fs::exists("o/report.html"), c.page);
        EXPECT_EQ(result.out.find("  report.html\n") != std::string::npos, c.page);
        if (c.page) page = ReadFile("o/report.html");
    }
    for (const char* figure :
         {">0.0137<", ">32.8457  [32.5368, 33.1547]<", ">Melt temperature<",
          "<h2>Several responses</h2>", "<td class=\"name\">235 (conflict)</td>"})
        EXPECT_NE(page.find(figure), std::string::npos) << figure;
}

// Bad designs and sheets: status 1 or 2, one line on standard error and nothing written; the
// lines of all cases are one golden file.
TEST_F(Design, RefusesBadDesignsAndSheets) {
    const std::vector<std::string> two = {"design", "--factor", "A=1,2", "--response", "Y:larger"};
    auto with = [&two](std::vector<std::string> more) {
        more.insert(more.begin(), two.begin(), two.end());
        return more;
    };
    fs::create_directory("lab");
    qvrfc_test::WriteFile("lab/runsheet.csv", "run,order,A,Y 1\n1,1,1,x\n");
    qvrfc_test::WriteFile("lab/experiment.toml",
                          "[[factor]]\nname = \"A\"\nlevels = [1, 2]\n"
                          "[[response]]\nname = \"Y\"\nsn = \"larger\"\n");
    qvrfc_test::WriteFile("alone.csv", "run,order\n");
    qvrfc_test::WriteFile("one.toml",
                          "[[factor]]\nname = \"A\"\nlevels = [1]\n"
                          "[[response]]\nname = \"Y\"\nsn = \"larger\"\n");
    std::vector<std::string> sevens = two;
    for (const char* noise : {"N1", "N2", "N3", "N4"})
        sevens.insert(sevens.end(), {"--noise", std::string(noise) + "=a,b,c,d,e,f,g"});
    const std::vector<std::string> cases[] = {
        {"design", "--factor", "Temp"},
        {"design", "--factor", "T[C=1,2"},
        {"design", "--factor", "A=1,1", "--response", "Y:larger"},
        {"design", "--factor", "A=1,2"},
        {"design", "--response", "Y:larger"},
        {"design", "--factor", "A=1,2", "--factor", "A=3,4", "--response", "Y:larger"},
        {"design", "--factor", "A=1,2,3,4,5,6", "--response", "Y:larger"},
        {"design", "--factor", "A=1,2", "--response", "Y"},
        {"design", "--factor", "A=1,2", "--response", "Y:best"},
        {"design", "--factor", "A=1,2", "--response", "Y:nominal3"},
        {"design", "--factor", "A=1,2", "--response", "Y:larger:5"},
        {"design", "--factor", "A=1,2", "--response", "Y:nominal1:x"},
        with({"--array", "L9"}),
        with({"--columns", "4"}),
        with({"--columns", "1,2"}),
        with({"--noise", "N=a"}),
        with({"--noise", "N=a,b", "--outer", "L9"}),
        with({"--noise", "N=a,b", "--outer", "L7"}),
        with({"--outer", "full"}),
        {"design", "--factor", "A=1,2", "--response", "Y:dynamic"},
        with({"--signal", "M=1,2"}),
        {"design", "--factor", "A=1,2", "--response", "Y:dynamic:0.5", "--signal", "M=low,high"},
        with({"--interaction", "A*B"}),
        with({"--interaction", "A*A"}),
        with({"--factor", "B=1,2", "--factor", "C=1,2", "--interaction", "A*B", "--columns",
              "1,2,3"}),
        with({"--factor", "B=1,2", "--factor", "C=1,2", "--factor", "D=1,2", "--factor", "E=1,2",
              "--factor", "F=1,2", "--interaction", "A*B", "--interaction", "A*C", "--array",
              "L8"}),
        with({"--factor", "B=1,2", "--interaction", "A*B", "--array", "L12"}),
        {"design", "--factor", "A=1,1.0", "--response", "Y:larger"},
        {"design", "--factor", "Y 1=1,2", "--response", "Y:larger", "--repeat", "2"},
        {"design", "--factor", "run=1,2", "--response", "Y:larger"},
        {"design", "--factor", "\nA=1,2", "--response", "Y:larger"},
        {"design", "--factor", "Temp\xE9rature=1,2", "--response", "Y:larger"},
        {"design", "--factor", "A=1,2", "--response", "Y\xEF\xBF\xBF:larger"},
        with({"--interaction", "A"}),
        {"design", "--experiment", "one.toml"},
        sevens,
        {"analyze", "lab/runsheet.csv"},
        {"analyze", "lab/runsheet.csv", "--interaction", "A*Colour"},
        {"analyze", "alone.csv"},
    };
    std::string lines;
    for (const std::vector<std::string>& args : cases) {
        const std::string line = RefusedLine(args);
        // A line end inside the arguments shown as \n, bytes beyond ASCII as \xHH.
        for (size_t i = 0; i < line.size(); ++i) {
            const unsigned char byte = static_cast<unsigned char>(line[i]);
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            lines += line[i] == '\n' && i + 1 < line.size() ? "\\n"
                     : byte >= 0x80                         ? escaped
                                                            : std::string(1, line[i]);
        }
    }
    qvrfc_test::ExpectGolden("refusals_design.txt", lines);
}

// A design that waits for the folder's lock judges the sheet there once it holds the lock: a
// sheet that another design wrote meanwhile is not written over.
TEST_F(Design, JudgesTheSheetThereUnderTheFolderLock) {
    fs::create_directory("lab");
    const int lock = open("lab/.qvrfcdoe.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_EQ(flock(lock, LOCK_EX), 0);
    const pid_t child = fork();
    if (child == 0) {
        close(lock);  // the lock stays the parent's alone
        const Result result = RunProgram({"design", "--factor", "A=1,2", "--response", "Y:larger",
                                          "--randomize", "--seed", "1", "--out", "lab"});
        qvrfc_test::WriteFile("err.txt", result.err);
        _exit(result.status);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));  // the design is waiting
    qvrfc_test::WriteFile("lab/runsheet.csv", "run,order,A,Y 1\r\n1,1,1,41\r\n2,2,2,40\r\n");
    close(lock);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_NE(ReadFile("err.txt").find("exists and differs from the new run sheet"),
              std::string::npos);
    EXPECT_EQ(ReadFile("lab/runsheet.csv"), "run,order,A,Y 1\r\n1,1,1,41\r\n2,2,2,40\r\n");
    EXPECT_EQ(Entries("lab"), (std::vector<std::string>{"runsheet.csv"}));
}

// The sheet and the experiment file are written as a set, through temporaries of fresh names:
// when one cannot be written neither is, and a link planted under a temporary's old fixed
// name is not written through.
TEST_F(Design, WritesTheSheetAndItsFileAsASet) {
    qvrfc_test::WriteFile("victim", "kept");
    const struct {
        const char* plant;  // "dir NAME", "fifo NAME" or "link NAME"
        int status;
        std::vector<std::string> entries;
    } cases[] = {
        {"dir experiment.toml", 1, {"experiment.toml"}},
        {"fifo runsheet.csv", 1, {"runsheet.csv"}},
        {"link experiment.toml.part",
         0,
         {"experiment.toml", "experiment.toml.part", "runsheet.csv"}},
        {"link runsheet.csv.part", 0, {"experiment.toml", "runsheet.csv", "runsheet.csv.part"}},
    };
    for (const auto& c : cases) {
        fs::remove_all("lab");
        fs::create_directory("lab");
        const std::string plant = c.plant;
        const std::string name = "lab/" + plant.substr(plant.find(' ') + 1);
        if (plant.rfind("dir", 0) == 0) fs::create_directory(name);
        if (plant.rfind("fifo", 0) == 0) {
            ASSERT_EQ(mkfifo(name.c_str(), 0600), 0);
        }
        if (plant.rfind("link", 0) == 0) fs::create_symlink("../victim", name);
        const Result result =
            RunProgram({"design", "--factor", "A=1,2", "--response", "Y:larger", "--out", "lab"});
        EXPECT_EQ(result.status, c.status) << c.plant << result.err;
        EXPECT_EQ(Entries("lab"), c.entries) << c.plant;
        EXPECT_EQ(ReadFile("victim"), "kept") << c.plant;
        EXPECT_EQ(fs::is_regular_file(fs::symlink_status("lab/experiment.toml")), c.status == 0);
    }
}

// Fills every empty cell of a sheet: half the signal value of its column ("Out Load=10" gives
// about 5), or about 10 without a signal, varied a little by row and column.
void FillSheet(const std::string& path) {
    const std::vector<std::string> lines = qvrfc_test::Lines(ReadFile(path));
    std::vector<std::string> header;
    std::string text;
    for (size_t r = 0; r < lines.size(); ++r) {
        const std::string record = lines[r].substr(0, lines[r].find('\r'));
        std::string line;
        std::vector<std::string> cells;
        for (size_t start = 0, comma = 0; comma != std::string::npos; start = comma + 1) {
            comma = record.find(',', start);
            cells.push_back(record.substr(start, comma - start));
        }
        if (r == 0) header = cells;
        for (size_t c = 0; c < cells.size(); ++c) {
            const size_t equals = header[c].find('=');
            const double scale =
                equals == std::string::npos ? 20.0 : std::stod(header[c].substr(equals + 1));
            const double value = scale * 0.5 * (1.0 + 0.01 * static_cast<double>((r + c) % 3));
            line += (c == 0 ? "" : ",") + (cells[c].empty() ? std::to_string(value) : cells[c]);
        }
        text += line + "\r\n";
    }
    qvrfc_test::WriteFile(path, text);
}

// The design round trip as a new user tries it, one row per attempt: what design writes comes
// back into analyze (levels written as numbers are written one way), what analyze could never
// accept is refused by design with the option at fault, a hand-edited experiment file is not
// replaced unless forced, and signal levels, noise conditions and observations stop at 1000.
TEST_F(Design, RoundTripOfWhatDesignWrites) {
    enum class Then { Nothing, Fill, Redesign, Force, Calibration };
    struct Trial {
        Trial(std::vector<std::string> a, Then t = Then::Nothing, std::string e = "")
            : args(std::move(a)), then(t), edit(std::move(e)) {}
        std::vector<std::string> args;
        Then then;
        std::string edit;  // appended to experiment.toml, or the signal's levels made decimal
    };
    const std::vector<std::string> ab = {"design", "--factor", "A=1,2", "--factor", "B=1,2"};
    const auto with = [&ab](std::vector<std::string> more) {
        more.insert(more.begin(), ab.begin(), ab.end());
        return more;
    };
    std::string many = "M=1", manyMore = "M=1";
    for (int level = 2; level <= 1001; ++level)
        (level <= 1000 ? many : manyMore) += "," + std::to_string(level);
    manyMore = many + ",1001";
    const std::string dynamic = "Out:dynamic:0.5";
    const Trial trials[] = {
        {with({"--response", dynamic, "--signal", "Load[N]=0.5,1.0,1.5"}), Then::Fill},
        {with({"--response", dynamic, "--signal", "Load=1e3,+2,.5,010"}), Then::Fill},
        {with({"--factor", "C=60.0,90.0", "--response", "Y:larger"}), Then::Fill},
        {{}, Then::Calibration, "levels = [ 10.0, 20.0, 30.0 ]"},
        {with({"--response", "Out:dynamic-linear", "--signal", "M=1,2"})},
        {with({"--response", "Out:dynamic-reference", "--signal", "M=1,2"})},
        {with({"--response", "Out:dynamic-linear", "--signal", "M=1,2", "--repeat", "2"})},
        {with({"--response", dynamic, "--signal", "M=1e-320,0"})},
        {with({"--response", "Y:larger"}), Then::Redesign, "# checked by hand\n"},
        {with({"--response", "Y:larger"}), Then::Redesign, "low = 2\nhigh = 9\n"},
        {with({"--response", "Y:larger"}), Then::Force, "low = 2\nhigh = 9\n"},
        {with({"--response", dynamic, "--signal", manyMore})},
        {with({"--response", dynamic, "--signal", many}), Then::Fill},
        {with({"--response", dynamic, "--signal", many, "--noise", "N=a,b"})},
        {with({"--response", "Y:larger", "--noise", "N=a,b", "--noise", "P=x,y", "--outer", "L8"})},
    };
    std::string lines;
    int n = 0;
    for (const Trial& trial : trials) {
        const std::string out = "t" + std::to_string(++n), toml = out + "/experiment.toml";
        std::vector<std::string> args = trial.args;
        args.insert(args.end(), {"--out", out});
        std::string shown;
        for (size_t a = 0; a < trial.args.size(); ++a)
            shown += (a == 0 ? "" : " ") + trial.args[a].substr(0, 40);
        Result result;
        if (trial.then == Then::Calibration) {
            fs::create_directory(out);
            fs::copy_file(DataFile("calibration/runsheet.csv"), out + "/runsheet.csv");
            std::string text = ReadFile(DataFile("calibration/experiment.toml"));
            text.replace(text.find("levels = [ 60, 90 ]"), 19, "levels = [ 60.0, 90.0 ]");
            text.replace(text.find("levels = [ 10, 20, 30 ]"), 23, trial.edit);
            qvrfc_test::WriteFile(toml, text);
            shown = "calibration with " + trial.edit + " and [ 60.0, 90.0 ]";
            result.status = 0;
        } else {
            result = RunProgram(args);
        }
        lines += shown + "\n  design " + std::to_string(result.status) + ": ";
        lines += result.status != 0 ? qvrfc_test::Lines(result.err)[0]
                 : trial.then == Then::Calibration
                     ? ""
                     : qvrfc_test::Lines(ReadFile(out + "/runsheet.csv"))[0].substr(0, 90);
        if (trial.then == Then::Redesign || trial.then == Then::Force) {
            qvrfc_test::WriteFile(toml, ReadFile(toml) + trial.edit);
            if (trial.then == Then::Force) args.push_back("--force");
            const Result again = RunProgram(args);
            const bool kept = ReadFile(toml).find(trial.edit) != std::string::npos;
            lines += "\n  again " + std::to_string(again.status) + ": " +
                     (again.status != 0 ? qvrfc_test::Lines(again.err)[0]
                      : kept            ? "the edited file kept"
                                        : "the edited file replaced");
        }
        if (trial.then == Then::Fill || trial.then == Then::Calibration) {
            if (trial.then == Then::Fill) FillSheet(out + "/runsheet.csv");
            const Result analysis = RunProgram({"analyze", out + "/runsheet.csv", "--no-reports"});
            const std::string text = analysis.status == 0 ? analysis.out : analysis.err;
            const size_t optimum = text.find("Optimum");
            lines += "\n  analyze " + std::to_string(analysis.status) + ": " +
                     qvrfc_test::Lines(text.substr(optimum == std::string::npos ? 0 : optimum))[0];
        }
        lines += "\n";
    }
    // Messages quoting a thousand levels keep their ends; the test's folder is ".".
    std::string cut;
    const std::string folder = fs::current_path().string();
    for (std::string line : qvrfc_test::Lines(lines)) {
        for (size_t at = line.find(folder); at != std::string::npos; at = line.find(folder))
            line.replace(at, folder.size(), ".");
        cut +=
            (line.size() <= 200 ? line
                                : line.substr(0, 100) + " ... " + line.substr(line.size() - 100)) +
            "\n";
    }
    qvrfc_test::ExpectGolden("design_round_trip.txt", cut);
}

}  // namespace
