// The report page: escaping, the page of an analysis (golden), the files written, and the
// page in a real browser.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "qvrfc/charts/ChartsOfAnalysis.h"
#include "qvrfc/results/HtmlReport.h"
#include "qvrfc/results/HtmlWriter.h"
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
    EXPECT_THROW(open.Finish(), qvrfc::Error);
    EXPECT_THROW(qvrfc::HtmlWriter().Close(), qvrfc::Error);
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

// Two factors with names to escape, one nominal response with a target, one run short of an
// observation.
qvrfc::Analysis CoatingAnalysis() {
    qvrfc::Experiment experiment;
    experiment.array = CQVRFCDOETaguchiOrthogonalArray::OA_L4;
    experiment.factors = {{"Temp <T>", "°C", {"150", "190"}, 0},
                          {"Gas \"N2\" & co", "", {"low", "high"}, 1}};
    experiment.responses = {{"Thickness", "µm", qvrfc::SnKind::Nominal1, 5.0}};
    experiment.repetitions = 2;
    experiment.runOrder = {1, 2, 3, 4};
    const qvrfc::SheetObservations observations = {
        {{4.8, 5.0}, {5.0, 5.4}, {5.0, NAN}, {3.8, 4.4}}};
    return qvrfc::Analyze(experiment, observations, {});
}

TEST(HtmlReport, PageOfAnAnalysis) {
    const qvrfc::Analysis analysis = CoatingAnalysis();
    qvrfc_test::ExpectGolden("report_page.html", WithoutDrawings(qvrfc::BuildHtmlReport(
                                                     analysis, qvrfc::ChartsOf(analysis))));
}

// Written whole or not at all as every file list is (see the charts' tests).
TEST(ChartAndPageFiles, ChartsAndPage) {
    const std::vector<std::string> written = qvrfc::WriteFilesWhole(
        "out", qvrfc::ChartAndPageFiles(qvrfc_test::NominalDataSetB(),
                                        {qvrfc::ChartFormat::Svg, qvrfc::ChartFormat::Png}, true));
    EXPECT_EQ(written,
              (std::vector<std::string>{
                  "out/charts/quality-1-main-effects.svg", "out/charts/quality-1-pareto.svg",
                  "out/charts/quality-1-dispersion.svg", "out/charts/quality-1-half-normal.svg",
                  "out/charts/quality-1-main-effects.png", "out/charts/quality-1-pareto.png",
                  "out/charts/quality-1-dispersion.png", "out/charts/quality-1-half-normal.png",
                  "out/report.html"}));
    const std::string page = qvrfc_test::ReadFile("out/report.html");
    EXPECT_EQ(WithoutDrawings(page).find("<script"), std::string::npos);
    // The drawings inline, their words as text that a reader can search.
    EXPECT_NE(page.find(": main effects</text>"), std::string::npos);
}

// The page as a browser draws it: Chromium's screenshot has the window's size and shows
// more than a blank page (the tables and charts are looked at by eye from the same command).
TEST(ChartAndPageFiles, RendersInHeadlessChromium) {
    if (std::system("command -v chromium > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "chromium is not installed (Debian package chromium; .ci/run installs it)";
    qvrfc::WriteFilesWhole("out",
                           qvrfc::ChartAndPageFiles(qvrfc_test::NominalDataSetB(), {}, true));
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
