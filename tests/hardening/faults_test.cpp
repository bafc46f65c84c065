// Faults, odd experiments and hostile input that once ended in lost data or a false success:
// each row sets up its case in a folder of its own, runs the program or a reader, and checks
// the status, the one-line message and what is left on disk.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <climits>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "arrays/QVRFCDOETaguchiOrthogonalArray.h"
#include "cli/program_runner.h"
#include "containers/QVRFCDOERunQualityData.h"
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

// Moves into a fresh folder for one row and back out of it.
class RowFolder {
  public:
    explicit RowFolder(const std::string& name) : m_home(fs::current_path()) {
        fs::create_directory(name);
        fs::current_path(name);
    }
    ~RowFolder() { fs::current_path(m_home); }

  private:
    fs::path m_home;
};

using Faults = ProgramTest;

TEST_F(Faults, EndInAClearFailureAndLoseNothing) {
    const std::string see = " (see qvrfcdoe --help)";
    const std::string noRun =
        " has no observation (values above 1e12 count as missing); a Taguchi analysis needs "
        "every run\n";
    const std::string noData =
        "': the experiment holds no observation (every run is empty or missing, values above "
        "1e12 count as missing): nothing to analyse\n";
    const std::string bundled = qvrfc_test::DataFile("DOETest1.ipt");
    const struct {
        const char* name;
        std::function<void()> arrange;
        std::function<Result()> run;
        int status;
        std::string err;  // "{dir}" stands for the row's folder
        std::function<bool()> after;
    } rows[] = {
        {"report that cannot be written: its cause, the report written before it kept",
         [] { fs::create_directories("out/exp.csv"); },
         Program({"analyze", "exp.ipt", "--out", "out"}), 1,
         "qvrfcdoe: cannot write report '{dir}/out/exp.csv': Is a directory\n",
         [] { return Contains(ReadFile("out/exp.log"), "[Run Data]"); }},
        {"engine log that cannot be written", [] { fs::create_directories("out/DOESetup.log"); },
         Program({"analyze", "exp.ipt", "--out", "out"}), 1,
         "qvrfcdoe: cannot write '{dir}/out/DOESetup.log': Is a directory\n",
         [] { return !fs::exists("out/exp.log") && !fs::exists("out/exp.csv"); }},
        {"array listing log that cannot be written",
         [] { fs::create_directories("o/QVRFCDOETaguchiMethod.log"); },
         Program({"show", "L4", "--out", "o"}), 1,
         "qvrfcdoe: cannot write '{dir}/o/QVRFCDOETaguchiMethod.log': Is a directory\n", nullptr},
        {"FIFO named like a report", [] { MakeFifo("out/exp.log"); },
         Program({"analyze", "exp.ipt", "--out", "out"}), 1,
         "qvrfcdoe: '{dir}/out/exp.log' is a FIFO, socket or device, not a file the program can "
         "write; it is left as it is: choose another --out folder\n",
         [] { return !fs::exists("out/exp.csv"); }},
        {"FIFO named like the array listing log", [] { MakeFifo("o/QVRFCDOETaguchiMethod.log"); },
         Program({"show", "L4", "--out", "o"}), 1,
         "qvrfcdoe: '{dir}/o/QVRFCDOETaguchiMethod.log' is a FIFO, socket or device, not a file "
         "the program can write; it is left as it is: choose another --out folder\n",
         nullptr},
        {"selftest leaves the user's own input file alone", [] { Put("st/DOETest1.ipt", "mine"); },
         Program({"selftest", "--out", "st"}), 1,
         "qvrfcdoe: '{dir}/st/DOETest1.ipt' is not the bundled DOETest1.ipt; it is left as it "
         "is: choose another --out folder\n",
         [] { return ReadFile("st/DOETest1.ipt") == "mine"; }},
        {"selftest keeps a bundled copy already there",
         [&] {
             fs::create_directory("st");
             fs::copy_file(bundled, "st/DOETest1.ipt");
         },
         Program({"selftest", "--out", "st"}), 0, "",
         [] { return fs::exists("st/VUROROZuruza_ANOVA.log"); }},
        {"run 1 without observations", [] { WriteFile("r.ipt", "4 1 0\n0\n1 2\n1 3\n1 4\n"); },
         Program({"analyze", "r.ipt"}), 1, "qvrfcdoe: 'r.ipt': quality 1, run 1" + noRun,
         [] { return !fs::exists("qvrfcdoe-out/r.log"); }},
        {"a run whose observations are all missing (1e12 is a value)",
         [] { WriteFile("r.ipt", "4 1 0\n1 1e12\n1 3\n2 2e12 1e13\n1 4\n"); },
         Program({"analyze", "r.ipt"}), 1, "qvrfcdoe: 'r.ipt': quality 1, run 3" + noRun, nullptr},
        {"every count 0", [] { WriteFile("e.ipt", "4 1 0 0 0 0 0"); },
         Program({"analyze", "e.ipt"}), 1, "qvrfcdoe: 'e.ipt" + noData, nullptr},
        {"every value missing", [] { WriteFile("e.ipt", "4 1 0 1 3e12 1 5e12 1 2e12 1 2e13"); },
         Program({"analyze", "e.ipt"}), 1, "qvrfcdoe: 'e.ipt" + noData, nullptr},
        {"target that makes the S/N ratio infinite", nullptr,
         Program({"analyze", "exp.ipt", "--sn", "1=nominal1:1e308"}), 1,
         "qvrfcdoe: 'exp.ipt': quality 1, run 1: the S/N ratio comes out as -infinity (S/N type "
         "Nominal-the-Best Type I (S/N=-10*log[(Avg-Target)^2+STDEV^2]), target 1e+308); no "
         "report is written\n",
         [] { return !fs::exists("qvrfcdoe-out/exp.log"); }},
        {"S/N ratio that is not a number",
         [] { WriteFile("n.ipt", "4 1 0 2 -1 1 2 1 2 2 3 4 2 4 6"); },
         Program({"analyze", "n.ipt", "--sn", "1=nominal4"}), 1,
         "qvrfcdoe: 'n.ipt': quality 1, run 1: the S/N ratio comes out as not a number (S/N "
         "type Nominal-the-Best Type IV (S/N= 10*log[(Sm-Ve)/(n*Ve)]), target 0); no report is "
         "written\n",
         nullptr},
        {"empty --out", nullptr, Program({"show", "L4", "--out", ""}), 2,
         "qvrfcdoe: --out: the folder name is empty" + see + "\n", nullptr},
        {"line ends and control characters in a file name", nullptr,
         Program({"analyze", "a\nb\t\x01\\.ipt"}), 1,
         "qvrfcdoe: 'a\\nb\\t\\x01\\\\.ipt': cannot be read (No such file or directory)\n",
         nullptr},
        {"file name starting with '-' after --", [] { WriteFile("-e.ipt", kFourRuns); },
         Program({"analyze", "--out", "o", "--", "-e.ipt"}), 0, "",
         [] { return fs::exists("o/-e.csv"); }},
        {"show into a place that cannot be written", nullptr,
         Program({"show", "L4", "--out", "/proc/self"}), 1,
         "qvrfcdoe: cannot write into output folder '/proc/self': No such file or directory\n",
         nullptr},
        {"check into a place that cannot be written", nullptr,
         Program({"check", "--out", "/proc/self"}), 1,
         "qvrfcdoe: cannot write into output folder '/proc/self': No such file or directory\n",
         nullptr},
        {"concurrent runs into one folder",
         [] {
             Put("a/exp.ipt", "4 1 0 1 11 1 12 1 13 1 14");
             Put("b/exp.ipt", "4 1 0 1 21 1 22 1 23 1 24");
         },
         ConcurrentRuns, 0, "", nullptr},
        {"array levels at and beyond the range of an int",
         [] { WriteFile("m.txt", "1 2 2147483648\n99999999999 -2147483648 2147483647"); },
         Library([] {
             CQVRFCDOETaguchiOrthogonalArray array;
             const int read = array.ReadOrthogonalArrayFile(2, 3, "m.txt", "rows.txt");
             const std::vector<int> cells = {array.GetLevel(0, 1), array.GetLevel(0, 2),
                                             array.GetLevel(1, 0), array.GetLevel(1, 1),
                                             array.GetLevel(1, 2)};
             return cells == std::vector<int>{2, 0, 0, INT_MIN, INT_MAX} ? read : -1;
         }),
         0, "", nullptr},
        {"array file that cannot be read", [] { fs::create_directory("m.txt"); }, Library([] {
             CQVRFCDOETaguchiOrthogonalArray array;
             return array.ReadOrthogonalArrayFile(1, 1, "m.txt", "rows.txt") +
                    array.ReadOrthogonalArrayFile(1, 1, "absent.txt", "rows.txt");
         }),
         0, "", nullptr},
        {"array file read whole", [] { WriteFile("m.txt", "1 2\n2 1\n"); }, Library([] {
             CQVRFCDOETaguchiOrthogonalArray array;
             return array.ReadOrthogonalArrayFile(2, 2, "m.txt", "rows.txt");
         }),
         1, "", nullptr},
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
         4, "", nullptr},
    };
    int number = 0;
    for (const auto& row : rows) {
        RowFolder folder("row" + std::to_string(++number));
        WriteFile("exp.ipt", kFourRuns);
        if (row.arrange) row.arrange();
        const Result result = row.run();
        std::string err = row.err;
        const size_t dir = err.find("{dir}");
        if (dir != std::string::npos) err.replace(dir, 5, fs::current_path().string());
        EXPECT_EQ(result.status, row.status) << row.name;
        EXPECT_EQ(result.err, err) << row.name;
        if (row.after) {
            EXPECT_TRUE(row.after()) << row.name;
        }
    }
}

}  // namespace
