// The report page: escaping, the page for given figures (golden), the figures the engine's
// analysis gives it (R's numbers), the files written, and the page in a real browser.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "results/HtmlWriter.h"
#include "results/ReportFromAnalyzer.h"
#include "support/chart_inputs.h"
#include "support/golden.h"
#include "support/png_pixels.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;

TEST(EscapeHtml, ReplacesEveryMarkupCharacter) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"plain 150 °C", "plain 150 °C"},
        {"<script>alert('x')</script>", "&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt;"},
        {"a & b \"c\"", "a &amp; b &quot;c&quot;"},
        {"&amp;", "&amp;amp;"},
        {"", ""}};
    for (const auto& [text, escaped] : cases)
        EXPECT_EQ(qvrfc::EscapeHtml(text), escaped) << text;
}

TEST(HtmlWriter, EscapesTextAndAttributesAndChecksNesting) {
    qvrfc::HtmlWriter html;
    html.Open("p", {{"title", "\"><b>"}}).Text("1 < 2").Element("b", "x&y").Close();
    EXPECT_EQ(html.Finish(), "<p title=\"&quot;&gt;&lt;b&gt;\">\n1 &lt; 2<b>x&amp;y</b>\n</p>\n");
    qvrfc::HtmlWriter open;
    open.Open("div");
    EXPECT_THROW(open.Finish(), std::logic_error);
    EXPECT_THROW(qvrfc::HtmlWriter().Close(), std::logic_error);
}

// Replaces each element `tag` of the page by "<tag>...</tag>".
std::string Masked(std::string page, const std::string& tag) {
    const std::string close = "</" + tag + ">";
    for (size_t at = page.find("<" + tag); at != std::string::npos;
         at = page.find("<" + tag, at + 1)) {
        const size_t end = page.find(close, at);
        if (end == std::string::npos) break;
        page.replace(at, end + close.size() - at, "<" + tag + ">..." + close);
    }
    return page;
}

// The page without its drawings and styles, which are looked at on their own.
std::string WithoutDrawings(const std::string& page) {
    return Masked(Masked(page, "svg"), "style");
}

// Two factors with names to escape, one response with every optional figure once present and
// once missing.
qvrfc::ReportData SmallReport() {
    qvrfc::ReportData data;
    data.title = "Coating <trial> & co";
    data.experiment = {"coating.csv",
                       "L4 (2^3)",
                       4,
                       2,
                       {{"Temp", "°C", 1, {"150", "190"}}, {"Gas \"N2\"", "", 2, {"low", "high"}}},
                       {{"Thickness", "µm", "nominal (target)", 5.0}},
                       {{1, 1}, {1, 2}, {2, 1}, {2, 2}}};
    qvrfc::ResponseReport response;
    response.name = "Thickness";
    response.runs = {
        {2, 4.9, 0.1, 33.8}, {2, 5.2, 0.2, 28.1}, {1, 5.0, {}, 30.0}, {2, 4.1, 0.3, 23.0}};
    response.tables = {
        {"S/N ratio (dB)",
         {{"Temp", {30.95, 26.5}, 4.45, 1, 0}, {"Gas \"N2\"", {26.9, 25.55}, 1.35, 2, 0}}}};
    qvrfc::AnovaTable anova;
    anova.title = "ANOVA of the S/N ratios";
    anova.totalSS = 62.9;
    anova.totalDof = 3;
    anova.note = "Gas pooled.";
    anova.terms = {{"Temp", 19.8, 1, 19.8, 10.9, 0.00004, 28.5, false},
                   {"Gas \"N2\"", 1.8, 1, 1.8, {}, {}, 2.9, true}};
    anova.error = {"Error", 3.6, 2, 1.8, {}, {}, 71.5, false};
    response.anovas = {anova};
    qvrfc::OptimumReport optimum;
    optimum.levels = {{"Temp", "150"}, {"Gas \"N2\"", "low"}};
    optimum.factorsUsed = {"Temp"};
    optimum.sn = qvrfc::Estimate{31.0, 28.5, 33.5};
    optimum.mean = qvrfc::Estimate{5.05, {}, {}};
    optimum.adjustmentFactor = "Gas \"N2\"";
    response.optimum = optimum;
    response.charts.response = response.name;
    response.charts.mainEffects = {
        response.name,
        {{"Temp", "°C", {"150", "190"}}, {"Gas", "", {"low", "high"}}},
        {{"S/N ratio (dB)", {{30.95, 26.5}, {26.9, 25.55}}, 28.7, {0, 0}}}};
    response.charts.pareto = {response.name, "Contributions", {{"Temp", 28.5, false}}, 71.5};
    data.responses = {response};
    return data;
}

TEST(HtmlReport, PageOfGivenFigures) {
    qvrfc_test::ExpectGolden("report_page.html",
                             WithoutDrawings(qvrfc::BuildHtmlReport(SmallReport())));
}

TEST(ReportFromAnalyzer, ResponseTablesAnovaAndOptimumAgreeWithR) {
    CQVRFCDOEAnalyzer analyzer;
    qvrfc_test::SetUpNominalDataSetB(analyzer);
    const qvrfc::ReportData data = qvrfc::ReportFromAnalyzer(analyzer, "b.ipt");
    ASSERT_EQ(data.responses.size(), 1u);
    const qvrfc::ResponseReport& response = data.responses[0];
    ASSERT_EQ(response.tables.size(), 3u);
    const double delta[4] = {3.527291033, 4.271892619, 3.203025259, 1.068762647};
    const int rank[4] = {2, 1, 3, 4};
    for (size_t f = 0; f < 4; ++f) {
        EXPECT_NEAR(response.tables[0].rows[f].delta, delta[f], 1e-7) << f;
        EXPECT_EQ(response.tables[0].rows[f].rank, rank[f]) << f;
    }
    // Saturated on the S/N ratios: F does not exist; the observations' error is within runs.
    ASSERT_EQ(response.anovas.size(), 2u);
    for (const qvrfc::AnovaRow& row : response.anovas[0].terms)
        EXPECT_FALSE(row.f.has_value()) << row.name;
    EXPECT_NEAR(*response.anovas[1].terms[0].f, 234.24365, 1e-5 * 234.24365);
    ASSERT_TRUE(response.optimum && response.optimum->sn && response.optimum->mean);
    EXPECT_NEAR(response.optimum->sn->value, 30.81362214, 1e-7);
    EXPECT_NEAR(response.optimum->mean->value, 115.5866667, 1e-6);
    EXPECT_EQ(data.experiment.factors[3].column, 4);
    EXPECT_EQ(data.experiment.levels[8], (std::vector<int>{3, 3, 2, 1}));
}

// Written whole or not at all as every file list is (see the charts' tests).
TEST(WriteChartsAndPage, ChartsAndPage) {
    CQVRFCDOEAnalyzer analyzer;
    qvrfc_test::SetUpNominalDataSetB(analyzer);
    const std::vector<std::string> written = qvrfc::WriteChartsAndPage(
        analyzer, "b.ipt", "out", {qvrfc::ChartFormat::Svg, qvrfc::ChartFormat::Png}, true);
    EXPECT_EQ(written,
              (std::vector<std::string>{
                  "out/charts/quality-1-main-effects.svg", "out/charts/quality-1-pareto.svg",
                  "out/charts/quality-1-half-normal.svg", "out/charts/quality-1-main-effects.png",
                  "out/charts/quality-1-pareto.png", "out/charts/quality-1-half-normal.png",
                  "out/report.html"}));
    const std::string page = qvrfc_test::ReadFile("out/report.html");
    EXPECT_EQ(WithoutDrawings(page).find("<script"), std::string::npos);
    EXPECT_NE(page.find("id=\"r-quality-1-me-glyph"), std::string::npos);
}

// The page as a browser draws it: Chromium's screenshot has the window's size and shows
// more than a blank page (the tables and charts are looked at by eye from the same command).
TEST(WriteChartsAndPage, RendersInHeadlessChromium) {
    if (std::system("command -v chromium > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "chromium is not installed (Debian package chromium; .ci/run installs it)";
    CQVRFCDOEAnalyzer analyzer;
    qvrfc_test::SetUpNominalDataSetB(analyzer);
    qvrfc::WriteChartsAndPage(analyzer, "b.ipt", "out", {}, true);
    const std::string command =
        "chromium --headless --no-sandbox --disable-gpu --hide-scrollbars "
        "--user-data-dir=" +
        qvrfc_test::TestDir() +
        "/profile --window-size=1280,4000 "
        "--screenshot=" +
        qvrfc_test::TestDir() + "/page.png file://" + qvrfc_test::TestDir() +
        "/out/report.html > chromium.log 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << qvrfc_test::ReadFile("chromium.log");
    const qvrfc_test::PngPixels png = qvrfc_test::ReadPng(qvrfc_test::ReadFile("page.png"));
    ASSERT_TRUE(png.ok);
    EXPECT_EQ(png.width, 1280);
    EXPECT_EQ(png.height, 4000);
    EXPECT_GT(png.inked, 0.03);
    if (const char* keep = std::getenv("QVRFC_KEEP_SCREENSHOT"))
        fs::copy_file("page.png", keep, fs::copy_options::overwrite_existing);
}

}  // namespace
