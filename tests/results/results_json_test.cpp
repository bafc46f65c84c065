// results.json of the bundled moulding example, rendered in-process from its analysis and
// with a factor pooled by letter and an interaction by names, compared whole with its golden
// file (the program writes the same, see the design tests); and the one ANOVA table that the
// verdict, results.json and the page all render.
#include <gtest/gtest.h>

#include "qvrfc/analysis/Analysis.h"
#include "qvrfc/charts/ChartsOfAnalysis.h"
#include "qvrfc/results/HtmlReport.h"
#include "qvrfc/results/ResultsJson.h"
#include "qvrfc/results/VerdictReport.h"
#include "support/golden.h"
#include "support/test_support.h"

namespace {

TEST(ResultsJson, MouldingExampleInNamesAndValues) {
    qvrfc::AnalysisInput input;
    input.dataFile = qvrfc_test::DataFile("moulding/runsheet.csv");
    qvrfc::AnalysisSettings settings;
    settings.pools.push_back(qvrfc::ParsePoolSetting("2=E"));
    settings.interactions = {"Resin*Melt temperature"};
    qvrfc_test::ExpectGolden("results_moulding.json",
                             qvrfc::ResultsJsonText(qvrfc::Analyze(input, settings)));
}

// A saturated L8 without repetitions: Lenth's error has 7 contrasts / 3 degrees of freedom,
// and every output says so alike.
TEST(AnovaTable, LenthErrorDofAlikeInEveryOutput) {
    qvrfc_test::WriteFile("l8.txt",
                          "8 1 0\n1 10.2\n1 12.5\n1 9.1\n1 14.0\n1 11.3\n1 8.7\n1 13.9\n1 10.8\n");
    qvrfc::AnalysisInput input;
    input.dataFile = "l8.txt";
    qvrfc::AnalysisSettings settings;
    settings.sn.push_back(qvrfc::ParseSnSetting("1=larger"));
    settings.pools.push_back(qvrfc::ParsePoolSetting("lenth"));
    const qvrfc::Analysis analysis = qvrfc::Analyze(input, settings);
    const qvrfc::AnovaRow& error = analysis.responses[0].snAnova.table.Error();
    EXPECT_DOUBLE_EQ(error.dof, 7.0 / 3.0);
    const auto has = [](const std::string& text, const std::string& part) {
        return text.find(part) != std::string::npos;
    };
    EXPECT_TRUE(has(qvrfc::VerdictText(analysis), "\nError                  0.0000 2.33333 "));
    EXPECT_TRUE(has(qvrfc::ResultsJsonText(analysis), "\"dof\": 2.3333333333333335,"));
    const std::string page = qvrfc::BuildHtmlReport(analysis, qvrfc::ChartsOf(analysis));
    EXPECT_TRUE(has(page,
                    "<td class=\"name\">Error</td>\n<td class=\"num\">0.0000</td>\n"
                    "<td class=\"num\">2.33333</td>"));
}

}  // namespace
