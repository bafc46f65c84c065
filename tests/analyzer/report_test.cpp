// Every report and report section of a set of experiments, kept as golden text: the complete
// report in both styles and each section writer in each style with its result. Uneven, empty
// or missing observations keep one column per observation of the longest run and never print
// the missing mark as a number; titles and names that look like formats are printed as text.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <string>
#include <vector>

#include "reference_data.h"
#include "support/golden.h"
#include "support/test_support.h"

using namespace qvrfc_test;
using namespace reference;
using qvrfc::FormatText;

namespace {

// Values around 50 to 130 with three decimals, plus negatives, zeros, huge, tiny and missing.
double Observation(std::uint64_t& state, int q, int r, int k) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    const double noise = static_cast<double>((state >> 33) % 20001) / 1000.0 - 10.0;
    if (q == 2 && r == 4 && k == 1) return 2e12;
    if (q == 1 && r == 7) return k == 0 ? -3.25 : 0.0;
    if (q == 0 && r == 11 && k == 2) return 1.5e7;
    if (q == 0 && r == 12 && k == 0) return 1e-9;
    return 60.0 + 7.0 * (r % 9) + 3.0 * q + noise;
}

// An L18 with three qualities of different characteristics, names that look like formats,
// pooled factors (flag 1 listed, flag 2 not), uneven and missing observations.
void MixedL18(Analyzer& a) {
    LevelTable table(8, {1.5, 2.25, -3.125});
    a.SetupDOE(3, Array::OA_L18, table.get());
    a.SetQualityCharacteristic(0, Analyzer::LARGER_THE_BETTER, 0.0);
    a.SetQualityCharacteristic(1, Analyzer::NOMINAL_THE_BEST_1, 50.0);
    a.SetQualityCharacteristic(2, Analyzer::NOMINAL_THE_BEST_4, 0.0);
    a.SetQualityFactorName(0, "%s%n");
    a.SetControlFactorName(1, "100% %d");
    a.SetControlFactorName(3, "Temperature \"%s\"");
    std::uint64_t state = 42;
    for (int q = 0; q < 3; ++q) {
        for (int r = 0; r < 18; ++r) {
            std::vector<double> values;
            for (int k = 0; k < ((q == 1 && r == 3) ? 4 : 6); ++k)
                values.push_back(Observation(state, q, r, k));
            EnterRun(a, q, r, values);
        }
    }
    a.SetFactorPooled(0, 2, 1);
    a.SetFactorPooled(0, 6, 1);
    a.SetFactorPooled(1, 5, 2);
    // Changed after entry: the reports show the S/N ratios stored before.
    a.SetQualityCharacteristic(2, Analyzer::SMALLER_THE_BETTER, 0.0);
}

// An L4 experiment with the observations of each run as given (none entered for an empty run).
void OddL4(Analyzer& a, const std::vector<std::vector<double>>& runs) {
    a.SetupDOE(1, Array::OA_L4, nullptr);
    for (int r = 0; r < 4; ++r)
        if (!runs[r].empty()) EnterRun(a, 0, r, runs[r]);
}

struct Experiment {
    const char* name;
    void (*build)(Analyzer&);
};

// clang-format off
const Experiment kExperiments[] = {
    {"hand_worked_l4", SetupHandWorkedL4},
    {"single_observation_l4", [](Analyzer& a) { reference::SetUpL4SNRatios(a, {10, 12, 14, 20}); }},
    {"two_qualities_l9", [](Analyzer& a) {
         a.SetupDOE(2, Array::OA_L9, nullptr);
         for (int q = 0; q < 2; ++q)
             for (int r = 0; r < 9; ++r)
                 EnterRun(a, q, r, {9.0 + r, 10.0 + r, 11.0 + r});
     }},
    {"l25", [](Analyzer& a) {
         a.SetupDOE(1, Array::OA_L25, nullptr);
         for (int r = 0; r < 25; ++r)
             EnterRun(a, 0, r, {5.0 + r});
     }},
    {"mixed_l18", MixedL18},
    {"no_array", [](Analyzer& a) {
         a.SetupDOE(1, 4, 3, 2, nullptr);
         for (int r = 0; r < 4; ++r)
             EnterRun(a, 0, r, {r + 1.0});
     }},
    {"shared_column", [](Analyzer& a) { SetupHandWorkedL4(a), a.SetControlFactorID(1, 0); }},
    {"released", [](Analyzer& a) { SetupHandWorkedL4(a), a.Clear(); }},
    {"empty", [](Analyzer&) {}},
    {"short_first_run",
     [](Analyzer& a) { OddL4(a, {{5.0}, {4.0, 6.0, 5.5}, {7.0, 8.0, 7.5}, {1.0, 2.0, 3.0}}); }},
    {"empty_first_run", [](Analyzer& a) { OddL4(a, {{}, {4.0, 6.0}, {7.0, 8.0}, {1.0, 2.0}}); }},
    {"all_missing",
     [](Analyzer& a) { OddL4(a, std::vector<std::vector<double>>(4, {2e12, 2e12})); }},
    {"no_observations", [](Analyzer& a) { OddL4(a, {{}, {}, {}, {}}); }},
};
// clang-format on

// The report written under fileName, with that name shown as "report.<ext>".
std::string Report(const Analyzer& a, const std::string& fileName, const char* shownAs) {
    EXPECT_EQ(a.Writer(fileName.c_str(), "%n%n"), 1) << fileName;
    std::string text = ReadFile(fileName);
    const size_t at = text.find("File = " + fileName + "\n");
    if (at != std::string::npos) text.replace(at + 7, fileName.size(), shownAs);
    return text;
}

// Every section writer in every style, each followed by the call and its result.
std::string Sections(const Analyzer& a) {
    StreamCapture out;
    const auto call = [&](const std::string& name, int result) {
        std::fprintf(out, "<%s returned %d>\n", name.c_str(), result);
    };
    call("DOEWriter listing", a.DOEWriter(out));
    for (int style : {0, 1})
        call(FormatText("DOEWriter %d", style), a.DOEWriter(out, style));
    for (int style : {0, 1, 2}) {
        call(FormatText("WriteRunQualityData %d", style),
             a.WriteRunQualityData(out, style, "[Run %s%n]"));
        call(FormatText("WriteFactorEffectData %d", style),
             a.WriteFactorEffectData(out, style, "[FE %d%n]"));
    }
    for (int q = -1; q <= a.GetNoQuality(); ++q)
        call(FormatText("WriteQualityResponsePlotData %d", q),
             a.WriteQualityResponsePlotData(q, out, "[Plot %x%n]"));
    return out.Text();
}

}  // namespace

TEST(Reports, EveryExperimentInEveryStyle) {
    for (const Experiment& x : kExperiments) {
        SCOPED_TRACE(x.name);
        const std::string golden = std::string("analyzer/") + x.name;
        Analyzer plain, csv, sections;
        for (Analyzer* a : {&plain, &csv, &sections})
            x.build(*a);
        ExpectGolden(golden + ".log.txt", Report(plain, "report.log", "report.log"));
        ExpectGolden(golden + ".csv.txt", Report(csv, "report.csv", "report.csv"));
        ExpectGolden(golden + ".sections.txt", Sections(sections));
    }
}

TEST(Reports, StyleFollowsTheFileNameAndSetUpWritesItsLog) {
    Analyzer a;
    SetupHandWorkedL4(a);
    ExpectGolden("analyzer/setup.log.txt", ReadFile("DOESetup.log"));
    for (const char* name : {"l4.csv.log", "l4.txt", "%s%n.log"})
        ExpectGolden("analyzer/hand_worked_l4.log.txt", Report(a, name, "report.log"));
    for (const char* name : {"L4.CSV", "l4csv"})
        ExpectGolden("analyzer/hand_worked_l4.csv.txt", Report(a, name, "report.csv"));
    EXPECT_EQ(a.Writer("no-such-dir/report.log", "Tester"), 0);
    EXPECT_EQ(a.DOEWriter(nullptr) + a.DOEWriter(nullptr, 0) +
                  a.WriteRunQualityData(nullptr, 0, "x") +
                  a.WriteFactorEffectData(nullptr, 0, "x") +
                  a.WriteQualityResponsePlotData(0, nullptr, "x"),
              0);
}

TEST(Reports, ReportPastTheByteLimitIsRefusedUnwritten) {
    Analyzer analyzer;
    ASSERT_EQ(analyzer.SetupDOE(1, Array::OA_L81, nullptr), 1);
    // 1.1 million observations in the first run: 81 rows of 13 bytes a column pass 1 GiB.
    ASSERT_EQ(analyzer.SetQualityValue(0, 0, 1.0, 1100000), 1);
    WriteFile("huge.log", "the earlier report\n");
    errno = 0;
    EXPECT_EQ(analyzer.Writer("huge.log", "odd"), 0);
    EXPECT_EQ(errno, EFBIG);
    EXPECT_EQ(ReadFile("huge.log"), "the earlier report\n");
}
