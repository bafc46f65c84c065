// Hostile call sequences: every call ends with a clear result, the experiment held before
// stays intact, and text from the caller is printed as text. Hostile data files are the
// data-file reader's tests.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "analyzer/QVRFCDOEAnalyzer.h"
#include "containers/QVRFCDOERunQualityFactorData.h"
#include "support/test_support.h"

using namespace qvrfc_test;
using Analyzer = CQVRFCDOEAnalyzer;
using Array = CQVRFCDOETaguchiOrthogonalArray;

namespace {

// An L8 experiment with one observation, and everything a caller can see of it.
struct HeldExperiment {
    Analyzer analyzer;
    std::vector<int> levels;

    HeldExperiment() {
        EXPECT_EQ(analyzer.SetupDOE(1, Array::OA_L8, nullptr), 1);
        EXPECT_EQ(analyzer.AppendQualityValue(0, 7, 3.5), 1);
        levels = Levels();
    }
    std::vector<int> Levels() const {
        std::vector<int> all;
        for (int r = 0; r < 8; ++r)
            for (int f = 0; f < 7; ++f)
                all.push_back(analyzer.GetLevel(r, f));
        return all;
    }
    void ExpectIntact(const std::string& what) const {
        EXPECT_EQ(analyzer.GetDOEArrayType(), Array::OA_L8) << what;
        EXPECT_EQ(analyzer.GetNoRun(), 8) << what;
        EXPECT_EQ(analyzer.GetNoFactor(), 7) << what;
        EXPECT_EQ(analyzer.GetNoQuality(), 1) << what;
        EXPECT_EQ(analyzer.GetRunNoQualityData(0, 7), 1) << what;
        EXPECT_EQ(analyzer.GetQualityValue(0, 7, 0), 3.5) << what;
        EXPECT_EQ(Levels(), levels) << what;
    }
};

}  // namespace

TEST(HostileInput, RefusedSetUpKeepsTheArrayOfTheHeldExperiment) {
    HeldExperiment held;
    ASSERT_EQ(held.levels.front(), 1);
    Analyzer noArray;
    ASSERT_EQ(noArray.SetupDOE(1, 4, 3, 2, nullptr), 1);
    Analyzer& a = held.analyzer;
    const std::vector<std::pair<const char*, std::function<int()>>> refused = {
        {"undefined type", [&] { return a.SetupDOE(1, Array::OA_UNDEFINED, nullptr); }},
        {"full factorial", [&] { return a.SetupDOE(1, Array::OA_FULL_FACTORIAL, nullptr); }},
        {"type 99", [&] { return a.SetupDOE(1, static_cast<Array::OA_TYPE>(99), nullptr); }},
        {"one level", [&] { return a.SetupDOE(1, 5, 1, nullptr); }},
        {"40 factors", [&] { return a.SetupDOE(1, 40, 2, nullptr); }},
        {"no quality", [&] { return a.SetupDOE(0, Array::OA_L4, nullptr); }},
        {"negative qualities", [&] { return a.SetupDOE(-5, 3, 2, nullptr); }},
        {"no factor", [&] { return a.SetupDOE(1, 0, 2, nullptr); }},
        {"no quality, by counts", [&] { return a.SetupDOE(0, 4, 3, 2, nullptr); }},
        {"copy of no array", [&] { return a.SetData(&noArray); }},
    };
    std::remove("DOESetup.log");
    for (const auto& [what, call] : refused) {
        EXPECT_EQ(call(), 0) << what;
        held.ExpectIntact(what);
    }
    EXPECT_FALSE(FileExists("DOESetup.log"));  // a refused set-up writes no log
}

TEST(HostileInput, NamesAndTitlesArePrintedAsText) {
    const std::string factor = "%s%n%d", quality = "%n%x%s", title = "%s%s%n%p";
    Analyzer analyzer;
    ASSERT_EQ(analyzer.SetupDOE(1, Array::OA_L4, nullptr), 1);
    analyzer.SetControlFactorName(0, factor.c_str());
    analyzer.SetQualityFactorName(0, quality.c_str());
    for (int r = 0; r < 4; ++r)
        ASSERT_EQ(analyzer.AppendQualityValue(0, r, r + 1.0), 1);

    for (const char* name : {"report.log", "report.csv"}) {
        ASSERT_EQ(analyzer.Writer(name, title.c_str()), 1);
        for (const std::string& given : {factor, quality, title})
            EXPECT_PRED_FORMAT2(testing::IsSubstring, given, ReadFile(name));
    }
    StreamCapture out;
    EXPECT_EQ(analyzer.WriteRunQualityData(out, 0, title.c_str()), 1);
    EXPECT_EQ(analyzer.WriteFactorEffectData(out, 1, title.c_str()), 1);
    EXPECT_EQ(analyzer.WriteQualityResponsePlotData(0, out, title.c_str()), 1);
    EXPECT_EQ(analyzer.DOEWriter(out, 1), 1);
    Array array;
    EXPECT_EQ(array.Writer(out.get(), title.c_str()), 1);
    EXPECT_EQ(array.Writer(CString("listing.log"), title.c_str()), 1);
    const std::string text = out.Text();
    EXPECT_EQ(Lines(text)[3], title);
    EXPECT_PRED_FORMAT2(testing::IsSubstring, "\n" + title + "\n", text);
    EXPECT_PRED_FORMAT2(testing::IsSubstring, "Created By = " + title + "\n",
                        ReadFile("listing.log"));
}

TEST(HostileInput, ReportsIntoPlacesThatCannotBeWrittenFailCleanly) {
    HeldExperiment held;
    WriteFile("plain", "a regular file, not a folder");
    WriteFile("l4.txt", "1 1 1 1 2 2 2 1 2 2 2 1");
    for (const char* path : {"plain/report.log", "plain/report.csv", "no/such/folder/report.log"}) {
        EXPECT_EQ(held.analyzer.Writer(path, "me"), 0) << path;
        Array array;
        EXPECT_EQ(array.Writer(CString(path), "me"), 0) << path;
        // The matrix is read; the rows cannot be written back, and no "OK!" is claimed.
        EXPECT_EQ(CaptureStdout([&] { array.ReadOrthogonalArray(4, 3, "l4.txt", path); }), "");
        EXPECT_EQ(array.GetLevel(3, 0), 2);
    }
    EXPECT_EQ(ReadFile("plain"), "a regular file, not a folder");
    held.ExpectIntact("unwritable report");

    // A current folder that has vanished: the set-up logs cannot be written, the set-up holds.
    const std::string home = TestDir();
    ASSERT_EQ(mkdir("gone", 0700), 0);
    ASSERT_EQ(chdir("gone"), 0);
    ASSERT_EQ(rmdir((home + "/gone").c_str()), 0);
    Analyzer analyzer;
    EXPECT_EQ(analyzer.SetupDOE(1, Array::OA_L9, nullptr), 1);
    EXPECT_EQ(analyzer.GetNoRun(), 9);
    EXPECT_EQ(analyzer.Writer("report.log", "me"), 0);
    ASSERT_EQ(chdir(home.c_str()), 0);
}

TEST(HostileInput, NonFiniteObservationsFromTheHostAreHeldAsGiven) {
    const double inf = std::numeric_limits<double>::infinity();
    Analyzer analyzer;
    ASSERT_EQ(analyzer.SetupDOE(1, Array::OA_L4, nullptr), 1);
    const std::vector<std::vector<double>> runs = {
        {5.0, inf}, {std::nan(""), 1.0}, {-inf, 2.0}, {1e308, 1e308}};
    for (int r = 0; r < 4; ++r) {
        ASSERT_EQ(analyzer.AddQualityValueStart(0, r), 1);
        for (double value : runs[r])
            ASSERT_EQ(analyzer.AddQualityValue(value), 1);
        double average = 0, deviation = 0;
        EXPECT_EQ(analyzer.AddQualityValueEnd(average, deviation), 1);
    }
    EXPECT_EQ(analyzer.GetRunQualityValue(0, 0), 5.0);  // above 1e12: missing
    EXPECT_TRUE(std::isnan(analyzer.GetRunQualityValue(0, 1)));
    EXPECT_EQ(analyzer.GetRunQualityValue(0, 2), -inf);
    // Analysis and reports run through without fault (checked by the sanitizer builds).
    int ranks[3] = {};
    EXPECT_EQ(analyzer.GetResponseRank(0, Analyzer::FACTOR_EFFECT_SN_RATIO, ranks), 1);
    for (int rank : ranks)
        EXPECT_TRUE(rank >= 0 && rank < 3);
    int dof = 0;
    analyzer.GetErrorSumsOfSquares(0, dof, Analyzer::FACTOR_EFFECT_QUALITY);
    EXPECT_EQ(analyzer.Writer("nonfinite.csv", "me"), 1);
    EXPECT_EQ(analyzer.Writer("nonfinite.log", "me"), 1);
}
