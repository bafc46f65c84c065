// Faults, odd experiments and hostile input that once ended in lost data or a false success:
// each row sets up its case in a folder of its own, runs the program or a reader, and checks
// what is left on disk; the statuses and one-line messages of all rows are one golden file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <climits>
#include <cstdio>
#include <functional>
#include <map>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "cli/program_runner.h"
#include "qvrfc/arrays/QVRFCDOETaguchiOrthogonalArray.h"
#include "qvrfc/containers/QVRFCDOERunQualityData.h"
#include "support/golden.h"
#include "support/test_support.h"

namespace {

using namespace qvrfcdoe_test;
using qvrfc_test::ReadFile;
using qvrfc_test::WriteFile;

const char* const kFourRuns = "4 1 0\n2 1 2\n2 2 3\n2 3 4\n2 4 6\n";

std::function<Result()> Program(std::vector<std::string> args) {
    return [args] { return RunProgram(args); };
}

// A row that calls the library: its result becomes the status; what it prints is dropped.
std::function<Result()> Library(std::function<int()> call) {
    return [call] {
        Result result;
        qvrfc_test::CaptureStdout([&] { result.status = call(); });
        return result;
    };
}

// Writes a file, making its folder first.
void Put(const fs::path& file, const std::string& text) {
    if (file.has_parent_path()) fs::create_directories(file.parent_path());
    WriteFile(file.string(), text);
}

// A FIFO: a writer that opens it waits for a reader for ever.
void MakeFifo(const fs::path& file) {
    fs::create_directories(file.parent_path());
    ASSERT_EQ(mkfifo(file.c_str(), 0600), 0) << file;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Two analyses of different data with the same file stem into one folder at once, ten times:
// the .log and the .csv always come from the same run.
Result ConcurrentRuns() {
    Result result{0, "", ""};
    for (int pair = 0; pair < 10; ++pair) {
        Result first, second;
        std::thread other([&] { second = RunProgram({"analyze", "b/exp.ipt", "--out", "out"}); });
        first = RunProgram({"analyze", "a/exp.ipt", "--out", "out"});
        other.join();
        const std::string log = ReadFile("out/exp.log"), csv = ReadFile("out/exp.csv");
        if (first.status != 0 || second.status != 0 ||
            Contains(log, "11.0000") != Contains(csv, "11.0000"))
            result.status = 1;
    }
    return result;
}

// Every file below folder with its bytes (hidden ones too), but the lock.
std::map<std::string, std::string> Results(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (!entry.is_directory() && name != kLockFile)
            files[entry.path().lexically_relative(folder).string()] = ReadFile(entry.path());
    }
    return files;
}

// A design into lab/ whose run sheet is then filled, one observation a run.
void FilledSheet(std::vector<std::string> design) {
    design.insert(design.end(), {"--response", "Y:larger", "--out", "lab"});
    ASSERT_EQ(RunProgram(design).status, 0);
    std::string sheet;
    int run = 0;
    for (std::string line : qvrfc_test::Lines(ReadFile("lab/runsheet.csv"))) {
        line.pop_back();  // the '\r' of the sheet's line ends
        sheet += line + (run++ ? std::to_string(3 + run * 7 % 5) : "") + "\n";
    }
    WriteFile("lab/runsheet.csv", sheet);
}

// Each interaction file's drawing is on the page once, with the page's prefixes of its
// identifiers taken out, and the files differ.
bool InteractionsDrawnOnce(const std::vector<std::string>& files) {
    const std::string page =
        std::regex_replace(ReadFile("o/report.html"), std::regex("r-[a-z0-9-]*?-ix[0-9]+-"), "");
    std::vector<std::string> drawings;
    for (const std::string& file : files) {
        const std::string svg = ReadFile("o/charts/" + file);
        if (svg.find("<svg") == std::string::npos) return false;
        drawings.push_back(svg.substr(svg.find("<svg")));
        const size_t at = page.find(drawings.back());
        if (at == std::string::npos || page.find(drawings.back(), at + 1) != std::string::npos)
            return false;
    }
    return drawings.size() == 2 && drawings[0] != drawings[1];
}

// An experiment of two factors and a larger-the-better response, and a filled sheet of it.
const char* const kLargerExperiment =
    "[[factor]]\nname = \"A\"\nlevels = [1, 2]\n[[factor]]\nname = \"B\"\nlevels = [1, 2]\n"
    "[[response]]\nname = \"Y\"\nsn = \"larger\"\n";
std::string LargerSheet(const std::string& run2) {
    return "run,order,A,B,Y 1\n1,1,1,1,5\n2,2,1,2," + run2 + "\n3,3,2,1,4\n4,4,2,2,6\n";
}

using Faults = ProgramTest;

TEST_F(Faults, EndInAClearFailureAndLoseNothing) {
    const std::string bundled = qvrfc_test::DataFile("DOETest1.ipt");
    Result last;                                 // the row's run, for its check afterwards
    std::map<std::string, std::string> earlier;  // what an earlier run left, for a row to keep
    // A successful analysis into out/; then a folder where one of its files was, and other data.
    const auto earlierRunThenFolder = [&earlier](const char* blocked) {
        return [&earlier, blocked] {
            ASSERT_EQ(RunProgram({"analyze", "exp.ipt", "--out", "out"}).status, 0);
            fs::remove(fs::path("out") / blocked);
            fs::create_directory(fs::path("out") / blocked);
            earlier = Results("out");
            WriteFile("exp.ipt", "4 1 0\n2 5 2\n2 2 7\n2 3 4\n2 4 9\n");
        };
    };
    const auto analyzedBefore = [](std::vector<std::string> args) {
        args.insert(args.begin(), {"analyze", "exp.ipt", "--out", "o"});
        return [args] { ASSERT_EQ(RunProgram(args).status, 0); };
    };
    const auto inputKept = [](const char* file, const std::string& bytes) {
        return [file, bytes] { return ReadFile(file) == bytes; };
    };
    const struct {
        const char* name;
        std::function<void()> arrange;
        std::function<Result()> run;
        std::function<bool()> after;
    } rows[] = {
        {"report that cannot be written: its cause, and none of the others written",
         [] { fs::create_directories("out/exp.csv"); },
         Program({"analyze", "exp.ipt", "--out", "out"}),
         [] { return !fs::exists("out/exp.log") && !fs::exists("out/results.json"); }},
        {"engine log that cannot be written", [] { fs::create_directories("out/DOESetup.log"); },
         Program({"analyze", "exp.ipt", "--out", "out"}),
         [] { return !fs::exists("out/exp.log") && !fs::exists("out/exp.csv"); }},
        {"array listing log that cannot be written",
         [] { fs::create_directories("o/QVRFCDOETaguchiMethod.log"); },
         Program({"show", "L4", "--out", "o"}), nullptr},
        {"FIFO named like a report", [] { MakeFifo("out/exp.log"); },
         Program({"analyze", "exp.ipt", "--out", "out"}),
         [] { return !fs::exists("out/exp.csv"); }},
        {"FIFO named like the array listing log", [] { MakeFifo("o/QVRFCDOETaguchiMethod.log"); },
         Program({"show", "L4", "--out", "o"}), nullptr},
        {"selftest leaves the user's own input file alone", [] { Put("st/DOETest1.ipt", "mine"); },
         Program({"selftest", "--out", "st"}),
         [] { return ReadFile("st/DOETest1.ipt") == "mine"; }},
        {"selftest keeps a bundled copy already there",
         [&] {
             fs::create_directory("st");
             fs::copy_file(bundled, "st/DOETest1.ipt");
         },
         Program({"selftest", "--out", "st"}),
         [] { return fs::exists("st/VUROROZuruza_ANOVA.log"); }},
        {"run 1 without observations", [] { WriteFile("r.ipt", "4 1 0\n0\n1 2\n1 3\n1 4\n"); },
         Program({"analyze", "r.ipt"}), [] { return !fs::exists("qvrfcdoe-out/r.log"); }},
        {"a run whose observations are all missing (1e12 is a value)",
         [] { WriteFile("r.ipt", "4 1 0\n1 1e12\n1 3\n2 2e12 1e13\n1 4\n"); },
         Program({"analyze", "r.ipt"}), nullptr},
        {"every count 0", [] { WriteFile("e.ipt", "4 1 0 0 0 0 0"); },
         Program({"analyze", "e.ipt"}), nullptr},
        {"every value missing", [] { WriteFile("e.ipt", "4 1 0 1 3e12 1 5e12 1 2e12 1 2e13"); },
         Program({"analyze", "e.ipt"}), nullptr},
        {"target that makes the S/N ratio infinite", nullptr,
         Program({"analyze", "exp.ipt", "--sn", "1=nominal1:1e308"}),
         [] { return !fs::exists("qvrfcdoe-out/exp.log"); }},
        {"S/N ratio that is not a number",
         [] { WriteFile("n.ipt", "4 1 0 2 -1 1 2 1 2 2 3 4 2 4 6"); },
         Program({"analyze", "n.ipt", "--sn", "1=nominal4"}), nullptr},
        {"empty --out", nullptr, Program({"show", "L4", "--out", ""}), nullptr},
        {"line ends and control characters in a file name", nullptr,
         Program({"analyze", "a\nb\t\x01\\.ipt"}), nullptr},
        {"file name starting with '-' after --", [] { WriteFile("-e.ipt", kFourRuns); },
         Program({"analyze", "--out", "o", "--", "-e.ipt"}), [] { return fs::exists("o/-e.csv"); }},
        {"show into a place that cannot be written", nullptr,
         Program({"show", "L4", "--out", "/proc/self"}), nullptr},
        {"check into a place that cannot be written", nullptr,
         Program({"check", "--out", "/proc/self"}), nullptr},
        {"concurrent runs into one folder",
         [] {
             Put("a/exp.ipt", "4 1 0 1 11 1 12 1 13 1 14");
             Put("b/exp.ipt", "4 1 0 1 21 1 22 1 23 1 24");
         },
         ConcurrentRuns, nullptr},
        // Status: the sum of the four reads (0, 0, 0 and 1) when the cells hold what is expected.
        {"array files: levels at and beyond the range of an int, a file that cannot be read, "
         "one read whole",
         [] {
             WriteFile("m.txt", "1 2 2147483648\n99999999999 -2147483648 2147483647");
             WriteFile("whole.txt", "1 2\n2 1\n");
             fs::create_directory("folder.txt");
         },
         Library([] {
             CQVRFCDOETaguchiOrthogonalArray array;
             const int read = array.ReadOrthogonalArrayFile(2, 3, "m.txt", "rows.txt");
             const std::vector<int> cells = {array.GetLevel(0, 1), array.GetLevel(0, 2),
                                             array.GetLevel(1, 0), array.GetLevel(1, 1),
                                             array.GetLevel(1, 2)};
             if (cells != std::vector<int>{2, 0, 0, INT_MIN, INT_MAX}) return -1;
             return read + array.ReadOrthogonalArrayFile(1, 1, "folder.txt", "rows.txt") +
                    array.ReadOrthogonalArrayFile(1, 1, "absent.txt", "rows.txt") +
                    array.ReadOrthogonalArrayFile(2, 2, "whole.txt", "rows.txt");
         }),
         nullptr},
        // Status: the count of files refused (4) when the values held before are kept.
        {"container observations that are not finite", nullptr, Library([] {
             CQVRFCDOERunQualityData run;
             run.CreateData(2);
             int refused = 0;
             for (const char* text : {"2 nan 5", "1 inf", "1 1e400", "2 3 -NAN"}) {
                 WriteFile("v.txt", text);
                 FILE* in = std::fopen("v.txt", "r");
                 refused += run.LoadData(in) == 0 ? 1 : 0;
                 std::fclose(in);
             }
             return run.GetValue(0) == 3.0 && !run.IsValidValue(1) ? refused : -1;
         }),
         nullptr},
        {"larger-the-better data file with a reading of 0",
         [] { WriteFile("z.ipt", "4 1 0\n2 1 2\n2 0 3\n2 3 4\n2 4 6\n"); },
         Program({"analyze", "z.ipt", "--sn", "1=larger", "--out", "o"}),
         [] { return !fs::exists("o/z.log") && !fs::exists("o/results.json"); }},
        {"run sheet whose larger-the-better response has a reading of 0",
         [] {
             Put("lab/experiment.toml", kLargerExperiment);
             Put("lab/runsheet.csv", LargerSheet("0"));
         },
         Program({"analyze", "lab/runsheet.csv", "--out", "o"}),
         [] { return !fs::exists("o/runsheet-analysis.log") && !fs::exists("o/results.json"); }},
        {"confirmation reading of 0 under larger-the-better", nullptr,
         Program({"confirm", "exp.ipt", "--sn", "1=larger", "--at", "A=1", "--values", "2,0"}),
         nullptr},
        {"confirmation reading that is not a number", nullptr,
         Program({"confirm", "exp.ipt", "--at", "A=1", "--values", "nan"}), nullptr},
        {"confirmation reading that is infinite", nullptr,
         Program({"confirm", "exp.ipt", "--at", "A=1", "--values", "2,inf"}), nullptr},
        {"confirmation reading beyond the range of a double", nullptr,
         Program({"confirm", "exp.ipt", "--at", "A=1", "--values", "1e400"}), nullptr},
        {"results.json become a folder: every earlier result kept, none added",
         earlierRunThenFolder("results.json"), Program({"analyze", "exp.ipt", "--out", "out"}),
         [&] { return Results("out") == earlier && earlier.count("DOESetup.log"); }},
        {"report.html become a folder: every earlier result kept, none added",
         earlierRunThenFolder("report.html"), Program({"analyze", "exp.ipt", "--out", "out"}),
         [&] { return Results("out") == earlier && earlier.count("charts/quality-1-pareto.png"); }},
        {"--no-html after a page: the earlier page removed, not listed", analyzedBefore({}),
         Program({"analyze", "exp.ipt", "--out", "o", "--no-html"}),
         [&] { return !fs::exists("o/report.html") && !Contains(last.out, "report.html"); }},
        {"--charts none after charts: the earlier chart files removed, other files kept",
         [&] {
             analyzedBefore({})();
             Put("o/charts/notes.txt", "mine");
             fs::create_symlink("../exp.log", "o/charts/linked-pareto.svg");
         },
         Program({"analyze", "exp.ipt", "--out", "o", "--charts", "none"}),
         [] {
             return Entries("o/charts") ==
                    std::vector<std::string>{"linked-pareto.svg", "notes.txt"};
         }},
        {"charts of another format: those of the earlier format removed",
         analyzedBefore({"--charts", "svg"}),
         Program({"analyze", "exp.ipt", "--out", "o", "--charts", "pdf"}),
         [] {
             return Entries("o/charts") == std::vector<std::string>{"quality-1-dispersion.pdf",
                                                                    "quality-1-half-normal.pdf",
                                                                    "quality-1-main-effects.pdf",
                                                                    "quality-1-pareto.pdf"};
         }},
        {"an interaction no longer declared: its charts removed",
         analyzedBefore({"--interaction", "A*B"}), Program({"analyze", "exp.ipt", "--out", "o"}),
         [] { return !fs::exists("o/charts/quality-1-interaction-a-b.svg"); }},
        {"a response fewer: its charts removed",
         [&] {
             WriteFile("exp.ipt", "4 2 0\n2 1 2\n2 2 3\n2 3 4\n2 4 6\n1 5\n1 6\n1 7\n1 9\n");
             analyzedBefore({})();
             WriteFile("exp.ipt", kFourRuns);
         },
         Program({"analyze", "exp.ipt", "--out", "o"}),
         [] {
             return fs::exists("o/charts/quality-1-pareto.png") &&
                    !fs::exists("o/charts/quality-2-pareto.png");
         }},
        {"charts command: its own earlier files replaced or removed, the reports kept",
         analyzedBefore({}),
         Program({"charts", "exp.ipt", "--out", "o", "--charts", "svg", "--no-html"}),
         [] {
             return !fs::exists("o/report.html") && !fs::exists("o/charts/quality-1-pareto.png") &&
                    fs::exists("o/charts/quality-1-pareto.svg") && fs::exists("o/results.json");
         }},
        {"files of an earlier run into the folder are not listed as written",
         [&] {
             WriteFile("other.ipt", kFourRuns);
             ASSERT_EQ(RunProgram({"analyze", "other.ipt", "--out", "o"}).status, 0);
         },
         Program({"analyze", "exp.ipt", "--out", "o", "--charts", "none"}),
         [&] { return Contains(last.out, "  exp.log\n") && !Contains(last.out, "other"); }},
        {"interactions of factors named alike but for case: a chart file and a figure each",
         [] {
             FilledSheet({"design", "--factor", "T=1,2", "--factor", "P=1,2", "--factor", "p=1,2",
                          "--interaction", "T*P", "--interaction", "T*p"});
         },
         Program({"analyze", "lab/runsheet.csv", "--out", "o", "--charts", "svg"}),
         [] {
             return InteractionsDrawnOnce({"y-interaction-t-p.svg", "y-interaction-t-p-2.svg"});
         }},
        {"interactions of factors named in other scripts: a chart file and a figure each",
         [] {
             FilledSheet({"design", "--factor", "\u0394=1,2", "--factor", "\u0398=1,2", "--factor",
                          "\u03a6=1,2", "--interaction", "\u0394*\u0398", "--interaction",
                          "\u0394*\u03a6"});
         },
         Program({"analyze", "lab/runsheet.csv", "--out", "o", "--charts", "svg"}),
         [] {
             return InteractionsDrawnOnce(
                 {"y-interaction-response-response.svg", "y-interaction-response-response-2.svg"});
         }},
        {"run sheet named like the page", [] { Put("o/report.html", kFourRuns); },
         Program({"analyze", "o/report.html", "--out", "o"}),
         inputKept("o/report.html", kFourRuns)},
        {"run sheet named like the set-up log", [] { Put("o/DOESetup.log", kFourRuns); },
         Program({"analyze", "o/DOESetup.log", "--out", "o"}),
         inputKept("o/DOESetup.log", kFourRuns)},
        {"charts of a file named like the page", [] { Put("o/report.html", kFourRuns); },
         Program({"charts", "o/report.html", "--out", "o"}), inputKept("o/report.html", kFourRuns)},
        {"charts of a file named like the set-up log", [] { Put("o/DOESetup.log", kFourRuns); },
         Program({"charts", "o/DOESetup.log", "--out", "o"}),
         inputKept("o/DOESetup.log", kFourRuns)},
        {"data file named like a chart file",
         [] { Put("o/charts/quality-1-pareto.png", kFourRuns); },
         Program({"analyze", "o/charts/quality-1-pareto.png", "--out", "o"}),
         inputKept("o/charts/quality-1-pareto.png", kFourRuns)},
        {"experiment file named like results.json",
         [] {
             Put("o/results.json", kLargerExperiment);
             Put("lab/runsheet.csv", LargerSheet("3"));
         },
         Program({"analyze", "lab/runsheet.csv", "--experiment", "o/results.json", "--out", "o"}),
         inputKept("o/results.json", kLargerExperiment)},
        {"prediction from a file named like the set-up log, logs kept",
         [] { Put("o/DOESetup.log", kFourRuns); },
         Program({"predict", "o/DOESetup.log", "--at", "A=1", "--out", "o"}),
         inputKept("o/DOESetup.log", kFourRuns)},
        {"leftovers of a killed analysis removed, and only those",
         [] {
             for (const char* file :
                  {".report.html.Ab3dE9", ".exp.log.zzzzzz", ".DOESetup.log.000000",
                   "charts/.quality-1-pareto.svg.Ab3dE9", "charts/.old-interaction-a-b.pdf.AAAAAA",
                   ".notes.txt.Ab3dE9", "charts/.notes.txt.Ab3dE9", "charts/.x-pareto.svg.Ab3dE"})
                 Put(fs::path("o") / file, "left");
         },
         Program({"analyze", "exp.ipt", "--out", "o", "--charts", "none", "--no-html"}),
         [] {
             return Entries("o") == std::vector<std::string>{".notes.txt.Ab3dE9",
                                                             "DOESetup.log",
                                                             "QVRFCDOETaguchiMethod.log",
                                                             "charts",
                                                             "exp-verdict.txt",
                                                             "exp.csv",
                                                             "exp.log",
                                                             "results.json"} &&
                    Entries("o/charts") ==
                        std::vector<std::string>{".notes.txt.Ab3dE9", ".x-pareto.svg.Ab3dE"};
         }},
        {"leftovers of a killed charts command removed, a report's kept",
         [] {
             for (const char* file :
                  {".report.html.Ab3dE9", ".exp.log.zzzzzz", "charts/.quality-1-pareto.svg.Ab3dE9"})
                 Put(fs::path("o") / file, "left");
         },
         Program({"charts", "exp.ipt", "--out", "o", "--charts", "none", "--no-html"}),
         [] {
             return Entries("o") == std::vector<std::string>{".exp.log.zzzzzz", "DOESetup.log",
                                                             "QVRFCDOETaguchiMethod.log",
                                                             "charts"} &&
                    Entries("o/charts").empty();
         }},
        {"leftovers of a killed design removed, the page's kept",
         [] {
             for (const char* file :
                  {".runsheet.csv.Ab3dE9", ".experiment.toml.zzzzzz", ".report.html.Ab3dE9"})
                 Put(fs::path("o") / file, "left");
         },
         Program({"design", "--factor", "A=1,2", "--response", "Y:larger", "--out", "o"}),
         [] {
             return Entries("o") == std::vector<std::string>{".report.html.Ab3dE9",
                                                             "experiment.toml", "runsheet.csv"};
         }},
        {"prediction without --out and a TMPDIR that does not exist", nullptr,
         [] {
             return RunProgram({"predict", "exp.ipt", "--at", "A=1"}, {{"TMPDIR", "/nonexistent"}});
         },
         nullptr},
        {"design and a TMPDIR that does not exist", nullptr,
         [] {
             return RunProgram({"design", "--factor", "A=1,2", "--response", "Y:larger"},
                               {{"TMPDIR", "/nonexistent"}});
         },
         [] { return !fs::exists("qvrfcdoe-out"); }},
    };
    std::string said;
    int number = 0;
    const fs::path home = fs::current_path();
    for (const auto& row : rows) {  // each row in a fresh folder of its own
        const fs::path folder = home / ("row" + std::to_string(++number));
        fs::create_directory(folder);
        fs::current_path(folder);
        WriteFile("exp.ipt", kFourRuns);
        if (row.arrange) row.arrange();
        const Result result = last = row.run();
        std::string err = result.err;
        const std::string dir = fs::current_path().string();
        for (size_t at = err.find(dir); at != std::string::npos; at = err.find(dir, at))
            err.replace(at, dir.size(), "{dir}");
        said += std::string(row.name) + " => status " + std::to_string(result.status) +
                (err.empty() ? "\n" : ": " + err);
        EXPECT_TRUE(!row.after || row.after()) << row.name;
        fs::current_path(home);
    }
    qvrfc_test::ExpectGolden("faults.txt", said);
}

}  // namespace
