// Faults, odd experiments and hostile input that once ended in lost data or a false success:
// each row sets up its case in a folder of its own, runs the program or a reader, and checks
// what is left on disk; the statuses and one-line messages of all rows are one golden file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <climits>
#include <cstdio>
#include <functional>
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

using Faults = ProgramTest;

TEST_F(Faults, EndInAClearFailureAndLoseNothing) {
    const std::string bundled = qvrfc_test::DataFile("DOETest1.ipt");
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
        const Result result = row.run();
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
