// Reports of experiments with uneven, empty or missing observations keep one column per
// observation of the longest run and never print the missing mark as a number; a shape
// whose report would pass the byte limit is refused before anything is written.
#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <string>
#include <vector>

#include "analyzer/QVRFCDOEAnalyzer.h"
#include "analyzer/reference_data.h"
#include "support/golden.h"
#include "support/test_support.h"

using namespace qvrfc_test;
using Analyzer = CQVRFCDOEAnalyzer;
using Array = CQVRFCDOETaguchiOrthogonalArray;

namespace {

// An L4 experiment with the observations of each run as given.
void SetupL4(Analyzer& analyzer, const std::vector<std::vector<double>>& runs) {
    ASSERT_EQ(analyzer.SetupDOE(1, Array::OA_L4, nullptr), 1);
    for (int r = 0; r < 4; ++r) {
        const std::vector<double>& values = runs[static_cast<size_t>(r)];
        if (values.empty()) continue;
        ASSERT_EQ(reference::EnterRun(analyzer, 0, r, values), 1);
    }
}

// The complete report in both styles and the run quality and response sections.
std::string AllTexts(const Analyzer& source) {
    std::string text;
    for (const char* name : {"odd.log", "odd.csv"}) {
        Analyzer analyzer(source);
        EXPECT_EQ(analyzer.Writer(name, "odd"), 1) << name;
        text += ReadFile(name);
    }
    Analyzer analyzer(source);
    StreamCapture out;
    EXPECT_EQ(analyzer.WriteRunQualityData(out, 1, "[Run Quality Data]"), 1);
    EXPECT_EQ(analyzer.WriteFactorEffectData(out, 0, "[Factor Effect]"), 1);
    return text + out.Text();
}

}  // namespace

TEST(OddExperimentReport, ShapesFollowTheLongestRun) {
    const double missing = 2e12;
    const std::vector<std::pair<const char*, std::vector<std::vector<double>>>> experiments = {
        {"report_short_first_run.txt", {{5.0}, {4.0, 6.0, 5.5}, {7.0, 8.0, 7.5}, {1.0, 2.0, 3.0}}},
        {"report_empty_first_run.txt", {{}, {4.0, 6.0}, {7.0, 8.0}, {1.0, 2.0}}},
        {"report_all_missing.txt",
         {{missing, missing}, {missing, missing}, {missing, missing}, {missing, missing}}},
        {"report_no_observations.txt", {{}, {}, {}, {}}},
    };
    for (const auto& [golden, runs] : experiments) {
        Analyzer analyzer;
        SetupL4(analyzer, runs);
        ExpectGolden(golden, AllTexts(analyzer));
    }
}

TEST(OddExperimentReport, ReportPastTheByteLimitIsRefusedUnwritten) {
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
