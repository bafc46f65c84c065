// The analyze, demo and selftest commands of qvrfcdoe: the numbers agree with the
// engine's own self-tests, reports land in the output folder only, and bad data
// files or settings are refused before anything is written.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "cli/program_runner.h"
#include "qvrfc/analyzer/QVRFCDOEAnalyzer.h"
#include "support/golden.h"
#include "support/test_support.h"

namespace {

using namespace qvrfcdoe_test;
using qvrfc_test::Lines;
using qvrfc_test::ReadFile;
using qvrfc_test::WriteFile;

using Analyze = ProgramTest;

void CopyData(const std::string& name, const std::string& target) {
    fs::copy_file(qvrfc_test::DataFile(name), target);
}

// The text between the first line that ends in startMark and the first endMark after it.
std::string Between(const std::string& text, const std::string& startMark,
                    const std::string& endMark) {
    const size_t start = text.find(startMark + "\n");
    if (start == std::string::npos) return "<no " + startMark + ">";
    const size_t from = start + startMark.size() + 1;
    const size_t end = text.find(endMark, from);
    return end == std::string::npos ? "<no " + endMark + ">" : text.substr(from, end - from);
}

// The analysis an analyze command printed, without the closing list of files.
std::string Analysis(const Result& result) {
    return result.out.substr(0, result.out.find("\nFiles written to "));
}

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// The whole output for the bundled experiment as larger-the-better (summary, verdict and the
// files written) is kept as a golden file, and the verdict report holds the printed verdict.
// --runs puts the engine's run table with every observation before the summary, as the
// engine's first self-test prints it.
TEST_F(Analyze, PrintsTheSummaryTheVerdictAndOnRequestTheRuns) {
    CopyData("DOETest1.ipt", "DOETest1.ipt");
    const Result larger = RunProgram({"analyze", "DOETest1.ipt", "--sn", "1=larger", "--out", "d"});
    ASSERT_EQ(larger.status, 0) << larger.err;
    qvrfc_test::ExpectGolden("analyze_DOETest1_larger.txt", Shown(larger.out));
    EXPECT_EQ("\n" + ReadFile("d/DOETest1-verdict.txt"),
              Between(larger.out, "Verdict", "\nFiles written to "));

    const Result plain = RunProgram({"analyze", "DOETest1.ipt", "--out", "a"});
    const Result runs = RunProgram({"analyze", "DOETest1.ipt", "--runs", "--out", "b"});
    ASSERT_EQ(plain.status, 0) << plain.err;
    ASSERT_EQ(runs.status, 0) << runs.err;
    const size_t summary = runs.out.find("\nExperiment: ");
    ASSERT_NE(summary, std::string::npos);
    const std::vector<std::string> table = Lines(runs.out.substr(0, summary));
    ASSERT_EQ(table.size(), 10u);
    EXPECT_EQ(table[9], "    9  3 3 2 1  5 109.4200 3.3222 30.3534; 114 111 109.3 105.3 107.5");
    EXPECT_EQ(Analysis(runs).substr(summary + 1), Analysis(plain));

    // A named pipe is read once, as it is written.
    ASSERT_EQ(mkfifo("pipe.ipt", 0600), 0);
    std::thread writer([] { WriteFile("pipe.ipt", ReadFile("DOETest1.ipt")); });
    const Result piped = RunProgram({"analyze", "pipe.ipt", "--out", "p"});
    writer.join();
    EXPECT_EQ(piped.status, 0) << piped.err;
    EXPECT_EQ(Analysis(piped), Analysis(plain));

    // The report's effects and ANOVA match the engine's larger-the-better report scenario,
    // which enters the same data set with the level numbers as factor values.
    qvrfc_test::CaptureStdout([] { CQVRFCDOEAnalyzer::Test7(stdout); });
    const std::string ours = ReadFile("d/DOETest1.log");
    const std::string engine = ReadFile("VUROROZuruza_ANOVA.log");
    EXPECT_EQ(Between(ours, "[Factor Effect for Quality#1]", "\n[EOF]"),
              Between(engine, "[Factor Effect for Quality#1]", "\n[Factor Effect for Quality#2]"));
    EXPECT_NE(ours.find("Total     15661.8444   8\n"), std::string::npos);
}

// A declared interaction gets its plot, as a file and on the page beside the main effects.
TEST_F(Analyze, DrawsTheInteractionPlotOfADeclaredInteraction) {
    CopyData("DOETest1.ipt", "DOETest1.ipt");
    const Result result =
        RunProgram({"analyze", "DOETest1.ipt", "--interaction", "A*B", "--pool", "lenth", "--sn",
                    "1=larger", "--out", "ix", "--charts", "svg"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(Contains(Lines(result.out), "  charts/quality-1-interaction-a-b.svg"));
    EXPECT_NE(ReadFile("ix/report.html").find("<figcaption>Interaction of A and B"),
              std::string::npos);
}

TEST_F(Analyze, WritesBothReportsIntoTheOutputFolderOnly) {
    CopyData("DOETest1.ipt", "DOETest1.ipt");
    const Result result = RunProgram({"analyze", "DOETest1.ipt", "--sn", "1=nominal1:70", "--pool",
                                      "1=B,c", "--out", "rep", "--no-html", "--charts", "pdf"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(Entries(), (std::vector<std::string>{"DOETest1.ipt", "rep"}));
    EXPECT_EQ(Entries("rep"),
              (std::vector<std::string>{"DOESetup.log", "DOETest1-verdict.txt", "DOETest1.csv",
                                        "DOETest1.log", "QVRFCDOETaguchiMethod.log", "charts",
                                        "results.json"}));
    qvrfc_test::ExpectGolden("analyze_DOETest1_nominal_pooled.txt", Shown(result.out));

    // The reports in full: the time stamp masked, the type and target, the pooled factors;
    // the plain log has no Pareto chart, the CSV has.
    qvrfc_test::ExpectGolden("analyze_DOETest1_nominal_pooled_log.txt",
                             ReadFile("rep/DOETest1.log"));
    qvrfc_test::ExpectGolden("analyze_DOETest1_nominal_pooled_csv.txt",
                             ReadFile("rep/DOETest1.csv"));
}

// The textbook smaller-the-better kind and a pooling rule concern the verdict alone: the
// engine's reports are those of its own smaller-the-better with the factors pooled by hand.
// Runs of unequal counts get the verdict, with a note naming the short runs.
TEST_F(Analyze, VerdictSettingsLeaveTheEngineReportsAsPooledByHand) {
    CopyData("DOETest1.ipt", "DOETest1.ipt");
    const Result textbook = RunProgram({"analyze", "DOETest1.ipt", "--sn", "1=smaller-textbook",
                                        "--pool", "1=B,c", "--pool", "auto", "--out", "t"});
    const Result engine = RunProgram(
        {"analyze", "DOETest1.ipt", "--sn", "1=smaller", "--pool", "1=B,3", "--out", "e"});
    ASSERT_EQ(textbook.status + engine.status, 0) << textbook.err << engine.err;
    for (const char* report : {"/DOETest1.log", "/DOETest1.csv"}) {
        std::vector<std::string> ours = Lines(ReadFile(std::string("t") + report));
        std::vector<std::string> theirs = Lines(ReadFile(std::string("e") + report));
        ASSERT_GE(ours.size(), 3u);
        ASSERT_GE(theirs.size(), 3u);
        ours.erase(ours.begin() + 2);  // Time = ...
        theirs.erase(theirs.begin() + 2);
        EXPECT_EQ(ours, theirs) << report;
    }
    const std::vector<std::string> out = Lines(textbook.out);
    EXPECT_TRUE(Contains(out,
                         "Response 1 (Quality#1): S/N smaller-textbook, alpha 0.05, pooled by "
                         "hand: B, C; then pooling by rule"));
    EXPECT_TRUE(Contains(out, "B                      0.5770       2         0.2885     pooled"));

    WriteFile("uneven.ipt", "4 1 0\n1 1\n2 2 3\n2 3 4\n2 4 5\n");
    const Result uneven = RunProgram({"analyze", "uneven.ipt", "--out", "u"});
    EXPECT_EQ(uneven.status, 0) << uneven.err;
    EXPECT_TRUE(Contains(Lines(uneven.out),
                         "Note: Run 1 has fewer observations than the most (2); the ANOVA of the "
                         "observations weighs the run means alike (unweighted means)."));
    // A declared interaction the experiment cannot hold is bad input, not a missing verdict.
    const Result self = RunProgram({"analyze", "uneven.ipt", "--interaction", "A*A", "--out", "u"});
    EXPECT_EQ(self.status, 1);
    EXPECT_EQ(self.err, "qvrfcdoe: 'uneven.ipt': interaction A*A pairs a factor with itself\n");
}

TEST_F(Analyze, DemoAndSelfTestRunInTheOutputFolder) {
    const Result demo = RunProgram({"demo"});
    ASSERT_EQ(demo.status, 0) << demo.err;
    const std::vector<std::string> out = Lines(demo.out);
    ASSERT_GE(out.size(), 2u);
    EXPECT_EQ(out[0],
              "Demo: " + fs::weakly_canonical(qvrfc_test::DataFile("DOETest1.ipt")).string() +
                  ", response 1 analysed as larger-the-better");
    EXPECT_TRUE(Contains(out,
                         "Grand averages: S/N ratio 39.1517 dB, mean 93.1111, standard "
                         "deviation 5.3388"));
    EXPECT_EQ(Entries(), std::vector<std::string>{"qvrfcdoe-out"});
    EXPECT_TRUE(fs::is_regular_file("qvrfcdoe-out/DOETest1.log"));

    const Result self = RunProgram({"selftest", "--out", "st"});
    ASSERT_EQ(self.status, 0) << self.err;
    const std::vector<std::string> lines = Lines(self.out);
    EXPECT_TRUE(Contains(lines, "@@@( Test#7 : DOE control ID specify and writer test..END"));
    EXPECT_EQ(Entries(), (std::vector<std::string>{"qvrfcdoe-out", "st"}));
    EXPECT_EQ(Entries("st"),
              (std::vector<std::string>{"DOESetup.log", "DOETest1.ipt", "DOETest1Result.csv",
                                        "DOETest2.ipt", "DOETest2Result.csv", "DOETest4Result.csv",
                                        "QVRFCDOETaguchiMethod.log", "VUROROZuruza_ANOVA.csv",
                                        "VUROROZuruza_ANOVA.log"}));
}

// Every file below folder, the lock aside, with its bytes and its inode: a file written again
// with the same bytes shows.
std::map<std::string, std::pair<std::string, ino_t>> FilesBelow(const fs::path& folder) {
    std::map<std::string, std::pair<std::string, ino_t>> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        struct stat status;
        if (entry.is_regular_file() && entry.path().filename() != kLockFile &&
            stat(entry.path().c_str(), &status) == 0)
            files[entry.path().lexically_relative(folder).string()] = {ReadFile(entry.path()),
                                                                       status.st_ino};
    }
    return files;
}

// A failed run after a good one leaves every earlier file as it was, the engine's set-up logs
// included: a setting refused, a dynamic run refused, a prediction at a level that does not
// exist. A good prediction with --out writes the set-up logs alone.
TEST_F(Analyze, AFailedRunLeavesEveryEarlierFile) {
    fs::create_directory("lab");
    CopyData("calibration/experiment.toml", "lab/experiment.toml");
    CopyData("calibration/runsheet.csv", "lab/runsheet.csv");
    ASSERT_EQ(RunProgram({"analyze", "lab/runsheet.csv", "--out", "o"}).status, 0);
    const auto before = FilesBelow("o");
    ASSERT_TRUE(before.count("DOESetup.log"));
    const Result pool = RunProgram({"analyze", "lab/runsheet.csv", "--pool", "1=Z", "--out", "o"});
    const Result at =
        RunProgram({"predict", "lab/runsheet.csv", "--at", "Gauge=steel", "--out", "o"});
    std::string sheet = ReadFile("lab/runsheet.csv");
    const size_t row = sheet.find("\n1,1,") + 1;
    sheet.replace(row, sheet.find('\n', row) - row, "1,1,foil,epoxy,60,5,20,0,0,0,0,0");
    WriteFile("lab/runsheet.csv", sheet);
    const Result dynamic = RunProgram({"analyze", "lab/runsheet.csv", "--out", "o"});
    EXPECT_EQ(pool.status + at.status + dynamic.status, 3);
    qvrfc_test::ExpectGolden("analyze_failed_runs.txt", pool.err + at.err + dynamic.err);
    EXPECT_EQ(FilesBelow("o"), before);

    CopyData("DOETest1.ipt", "exp.ipt");
    const Result logs = RunProgram({"predict", "exp.ipt", "--at", "A=1", "--out", "p"});
    EXPECT_EQ(logs.status, 0) << logs.err;
    EXPECT_EQ(Entries("p"),
              (std::vector<std::string>{"DOESetup.log", "QVRFCDOETaguchiMethod.log"}));
}

// A data file of the given runs, one quality, two observations a run.
std::string RunsFile(int runs) {
    std::string text = std::to_string(runs) + " 1 0\n";
    for (int r = 0; r < runs; ++r)
        text += "2 " + std::to_string(10 + r % 7) + " " + std::to_string(11 + r % 5) + "\n";
    return text;
}

// --array picks among the arrays of a run count, --no-reports writes none, and factors past
// Z are named AA, AB, ... or numbered from 1 in --pool and the summary.
TEST_F(Analyze, ArraysFactorsAndReportsAsChosen) {
    WriteFile("f16.ipt", RunsFile(16));
    WriteFile("f81.ipt", RunsFile(81));
    const Result first = RunProgram({"analyze", "f16.ipt", "--no-reports"});
    const Result chosen =
        RunProgram({"analyze", "f16.ipt", "--array", "l16a", "--pool", "1=e", "--out", "c"});
    const Result wide = RunProgram({"analyze", "f81.ipt", "--pool", "1=AA,40", "--no-reports"});
    ASSERT_EQ(first.status + chosen.status + wide.status, 0) << first.err << chosen.err << wide.err;
    qvrfc_test::ExpectGolden("analyze_arrays_and_factors.txt",
                             Shown(first.out + "\n" + chosen.out + "\n" + wide.out));
    EXPECT_FALSE(fs::exists("qvrfcdoe-out"));  // --no-reports writes no file, and no folder
    EXPECT_TRUE(fs::is_regular_file("c/f16.csv"));
    EXPECT_EQ(RefusedLine({"analyze", "f81.ipt", "--pool", "1=41"}),
              "analyze f81.ipt --pool 1=41 -> 1: qvrfcdoe: --pool '1=41': the experiment has no "
              "factor '41' (factors A to AN, or 1 to 40)\n");
}

}  // namespace
