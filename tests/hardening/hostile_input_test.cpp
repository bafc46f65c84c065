// Hostile input and hostile call sequences: every call ends with a clear result,
// the experiment held before stays intact, and text from the caller is printed as text.
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
    const std::vector<std::pair<const char*, std::function<int()>>> refused = {
        {"undefined type", [&] { return held.analyzer.SetupDOE(1, Array::OA_UNDEFINED, nullptr); }},
        {"full factorial",
         [&] { return held.analyzer.SetupDOE(1, Array::OA_FULL_FACTORIAL, nullptr); }},
        {"type 99",
         [&] { return held.analyzer.SetupDOE(1, static_cast<Array::OA_TYPE>(99), nullptr); }},
        {"one level", [&] { return held.analyzer.SetupDOE(1, 5, 1, nullptr); }},
        {"40 factors", [&] { return held.analyzer.SetupDOE(1, 40, 2, nullptr); }},
        {"no quality", [&] { return held.analyzer.SetupDOE(0, Array::OA_L4, nullptr); }},
        {"negative qualities", [&] { return held.analyzer.SetupDOE(-5, 3, 2, nullptr); }},
        {"copy of no array", [&] { return held.analyzer.SetData(&noArray); }},
    };
    for (const auto& [what, call] : refused) {
        EXPECT_EQ(call(), 0) << what;
        held.ExpectIntact(what);
    }
}

TEST(HostileInput, QualityDataFileRefusesWhatIsNoData) {
    const std::vector<std::string> hostile = {
        "   \n\t  \n \r\n",  // only blanks
        "-4 1 0 1 5",
        "4 -1 0 1 5",
        "0 0 0",  // negative and zero counts
        "-2147483648 -2147483648 0",
        "81 2147483647 0 1 5 1 6",    // huge quality count in a short file
        "4 1 0 2000000000 1 2 3",     // huge observation count in a short file
        "4 1 0 1 1e400 1 2 1 3 1 4",  // beyond the range of a double
        "4 1 0 1 -1e400 1 2 1 3 1 4",
        "4 1 0 1 nan 1 2 1 3 1 4",  // not a number, infinities
        "4 1 0 1 1 1 NAN(0x1) 1 3 1 4",
        "4 1 0 1 1 1 2 1 inf 1 4",
        "4 1 0 1 1 1 2 1 3 1 -Infinity",
        "4 1 0 1 0x1p99999 1 2 1 3 1 4",
    };
    for (const std::string& text : hostile) {
        HeldExperiment held;
        WriteFile("hostile.ipt", text);
        EXPECT_EQ(held.analyzer.LoadData("hostile.ipt"), 0) << text;
        held.ExpectIntact(text);
    }
    // Tiny numbers are finite: the file loads.
    WriteFile("tiny.ipt", "4 1 0 1 1e-400 1 2 1 3 1 -4.9e-324");
    Analyzer analyzer;
    ASSERT_EQ(analyzer.LoadData("tiny.ipt"), 1);
    EXPECT_EQ(analyzer.GetQualityValue(0, 0, 0), 0.0);
}
