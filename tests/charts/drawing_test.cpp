// The drawn files: well-formed SVG, PNG of the laid-out size with something on it, PDF,
// stable file names, and files written whole or not at all.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <stdexcept>

#include "qvrfc/charts/ChartRender.h"
#include "qvrfc/charts/ChartsOfAnalysis.h"
#include "support/chart_inputs.h"
#include "support/golden.h"
#include "support/png_pixels.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;
using qvrfc::ChartFormat;

TEST(ChartFormats, ParsedFromTheOptionText) {
    using F = std::vector<ChartFormat>;
    const std::vector<std::pair<std::string, F>> good = {
        {"svg", {ChartFormat::Svg}},
        {"svg,png", {ChartFormat::Svg, ChartFormat::Png}},
        {"pdf,svg,pdf", {ChartFormat::Pdf, ChartFormat::Svg}},
        {"none", {}}};
    for (const auto& [text, formats] : good)
        EXPECT_EQ(qvrfc::ParseChartFormats(text), formats) << text;
    // The bad texts, each with the word it stumbles on.
    std::string said;
    for (const char* text : {"", "svg,", "SVG", "svg,jpg", "svg,none"})
        said += std::string(text) + " => " +
                qvrfc_test::Refusal([&] { qvrfc::ParseChartFormats(text); }) + "\n";
    qvrfc_test::ExpectGolden("charts/format_refusals.txt", said);
}

TEST(ChartFiles, StemsAreSafeAndUnique) {
    const char* names[] = {"Yield [%]", "Quality#1", "Épaisseur", "  ", "../x", "a__b"};
    const char* stems[] = {"yield", "quality-1", "paisseur", "response", "x", "a-b"};
    for (size_t i = 0; i < std::size(names); ++i)
        EXPECT_EQ(qvrfc::FileStem(names[i]), stems[i]) << names[i];

    qvrfc::ResponseCharts yield;
    yield.response = "Yield";
    yield.mainEffects = qvrfc_test::FortyFactorMainEffects();
    qvrfc::ResponseCharts again = yield;
    again.halfNormal.effects = {{"A", 1.0}, {"B", 0.1}};
    again.interactions = {qvrfc_test::TemperatureByPressure()};
    std::vector<std::string> files;
    for (const qvrfc::ChartFile& file : qvrfc::DrawCharts({yield, again}, {ChartFormat::Svg}))
        files.push_back(file.name);
    EXPECT_EQ(files, (std::vector<std::string>{
                         "charts/yield-main-effects.svg", "charts/yield-pareto.svg",
                         "charts/yield-2-main-effects.svg", "charts/yield-2-pareto.svg",
                         "charts/yield-2-interaction-temperature-pressure.svg",
                         "charts/yield-2-half-normal.svg"}));

    // Interaction plots whose names another chart has: factors that differ only where file
    // names drop the difference, and a plot named like another response's Pareto chart.
    qvrfc::InteractionPlot upper = qvrfc_test::TemperatureByPressure(), pareto = upper;
    upper.second.name = "PRESSURE";
    pareto.second.name = "Pareto";
    again.interactions.insert(again.interactions.end(), {upper, pareto});
    qvrfc::ResponseCharts named = yield;
    named.response = "Yield 2 interaction temperature";
    const std::vector<qvrfc::ChartNames> chartNames = qvrfc::ChartFileNames({yield, again, named});
    EXPECT_EQ(chartNames[1].interactions,
              (std::vector<std::string>{"charts/yield-2-interaction-temperature-pressure",
                                        "charts/yield-2-interaction-temperature-pressure-2",
                                        "charts/yield-2-interaction-temperature-pareto-2"}));
    EXPECT_EQ(chartNames[2].pareto, "charts/yield-2-interaction-temperature-pareto");
}

TEST(ChartFiles, NamesOfChartFilesAreKnown) {
    for (const char* name : {"y-main-effects.svg", "quality-1-pareto.png", "y-2-half-normal.pdf",
                             "y-interaction-t-p-2.svg", "response-interaction-a-b.png"})
        EXPECT_TRUE(qvrfc::IsChartFileName(name)) << name;
    for (const char* name :
         {"main-effects.svg", "-pareto.svg", "y-pareto.jpg", "Y-pareto.svg", "y-pareto.svg.bak",
          "y_pareto.svg", "y-interaction-.svg", "notes.txt", "y-pareto", ".y-pareto.svg"})
        EXPECT_FALSE(qvrfc::IsChartFileName(name)) << name;
}

// The three charts of data set B, main effects of 40 factors (wrapped) and of 10 (one row), and
// an interaction plot, each with its PNG size.
struct DrawnChart {
    std::string name;
    std::function<std::string(ChartFormat)> draw;
    int width, height;
    const char* golden = nullptr;  // the SVG's golden file, for the small charts
};

std::vector<DrawnChart> Charts() {
    const qvrfc::ResponseCharts b = qvrfc::ChartsOf(qvrfc_test::NominalDataSetB())[0];
    const qvrfc::MainEffects forty = qvrfc_test::FortyFactorMainEffects();
    qvrfc::MainEffects ten = forty;
    ten.factors.resize(10);
    return {
        {"main effects", [=](ChartFormat f) { return qvrfc::DrawMainEffects(b.mainEffects, f); },
         550, 512, "charts/main_effects_b.svg"},
        {"pareto", [=](ChartFormat f) { return qvrfc::DrawPareto(b.pareto, f); }, 624, 232,
         "charts/pareto_b.svg"},
        {"half-normal", [=](ChartFormat f) { return qvrfc::DrawHalfNormal(b.halfNormal, f); }, 600,
         440, "charts/half_normal_b.svg"},
        {"40 factors", [=](ChartFormat f) { return qvrfc::DrawMainEffects(forty, f); }, 1155, 1922},
        {"10 factors in one row", [=](ChartFormat f) { return qvrfc::DrawMainEffects(ten, f); },
         1240, 382},
        {"interaction",
         [](ChartFormat f) {
             return qvrfc::DrawInteraction(qvrfc_test::TemperatureByPressure(), f);
         },
         784, 372, "charts/interaction.svg"}};
}

// Each chart in each format: well-formed SVG of the laid-out width, a PNG of the laid-out size
// with ink on it, a complete PDF.
TEST(ChartDrawing, EveryFormatOfEveryChart) {
    const bool xmllint = std::system("xmllint --version > /dev/null 2>&1") == 0;
    for (const DrawnChart& chart : Charts()) {
        SCOPED_TRACE(chart.name);
        const std::string svg = chart.draw(ChartFormat::Svg);
        qvrfc_test::WriteFile("chart.svg", svg);
        EXPECT_TRUE(!xmllint || std::system("xmllint --noout chart.svg") == 0);
        EXPECT_NE(svg.find("width=\"" + std::to_string(chart.width) + "px\""), std::string::npos);
        if (chart.golden) qvrfc_test::ExpectGolden(chart.golden, svg);
        const qvrfc_test::PngPixels png = qvrfc_test::ReadPng(chart.draw(ChartFormat::Png));
        ASSERT_TRUE(png.ok);
        EXPECT_EQ(std::pair(png.width, png.height), std::pair(chart.width, chart.height));
        EXPECT_GT(png.inked, 0.02);
        const std::string pdf = chart.draw(ChartFormat::Pdf);
        EXPECT_TRUE(pdf.rfind("%PDF-", 0) == 0 && pdf.find("%%EOF") != std::string::npos);
    }
    if (!xmllint) GTEST_SKIP() << "xmllint is not installed (Debian package libxml2-utils)";
}

// Issue 38: every SVG chart of the bundled examples says its words as <text>, is at most 24 KB
// and well-formed, and says every name in full (no text ends with an ellipsis); names with
// markup characters are escaped.
TEST(ChartDrawing, BundledExamplesAreLightAndSayNamesInFull) {
    const bool xmllint = std::system("xmllint --version > /dev/null 2>&1") == 0;
    std::vector<qvrfc::ChartFile> files;
    for (const char* data : {"calibration/runsheet.csv", "moulding/runsheet.csv",
                             "leaf-spring/runsheet.csv", "DOETest1.ipt", "DOETest2.ipt"}) {
        qvrfc::AnalysisInput input;
        input.dataFile = qvrfc_test::DataFile(data);
        const qvrfc::Analysis analysis = qvrfc::Analyze(input, qvrfc::AnalysisSettings{});
        for (auto& file : qvrfc::DrawCharts(qvrfc::ChartsOf(analysis), {ChartFormat::Svg}))
            files.push_back({data + (":" + file.name), file.bytes});
        for (auto& file : qvrfc::DrawCombinedChart(analysis, {ChartFormat::Svg}))
            files.push_back({data + (":" + file.name), file.bytes});
    }
    qvrfc::InteractionPlot marked = qvrfc_test::TemperatureByPressure();
    marked.second.name = "Heat & \"<soak>\"";
    files.push_back({"markup", qvrfc::DrawInteraction(marked, ChartFormat::Svg)});
    EXPECT_GE(files.size(), 20u);
    for (const qvrfc::ChartFile& file : files) {
        SCOPED_TRACE(file.name);
        EXPECT_LE(file.bytes.size(), 24u * 1024u);
        EXPECT_NE(file.bytes.find("<text"), std::string::npos);
        EXPECT_EQ(file.bytes.find("\xE2\x80\xA6</text>"), std::string::npos);
        EXPECT_EQ(file.bytes.find("...</text>"), std::string::npos);
        qvrfc_test::WriteFile("chart.svg", file.bytes);
        EXPECT_TRUE(!xmllint || std::system("xmllint --noout chart.svg") == 0);
    }
    EXPECT_NE(files.back().bytes.find("Heat &amp; &quot;&lt;soak&gt;&quot;"), std::string::npos);
    if (!xmllint) GTEST_SKIP() << "xmllint is not installed (Debian package libxml2-utils)";
}

// R: qnorm(0.5 + 0.5 * ((1:m) - 0.5) / m).
TEST(HalfNormalQuantiles, AgreeWithR) {
    const std::vector<std::pair<size_t, std::vector<double>>> cases = {
        {0, {}},
        {1, {0.674489750196}},
        {8,
         {0.0784124127331, 0.2372021093288, 0.4022500653217, 0.5791321622556, 0.7764217611479,
          1.0099901692496, 1.3180108973035, 1.8627318674217}}};
    for (const auto& [count, expected] : cases) {
        const std::vector<double> quantiles = qvrfc::HalfNormalQuantiles(count);
        ASSERT_EQ(quantiles.size(), expected.size());
        for (size_t i = 0; i < count; ++i)
            EXPECT_NEAR(quantiles[i], expected[i], 1e-10) << count << " " << i;
    }
}

// Several drawings on one page: the identifiers of each are its own.
TEST(ChartDrawing, InlineSvgKeepsIdentifiersApart) {
    const std::string svg =
        "<?xml version=\"1.0\"?>\n<svg><symbol id=\"glyph0-1\"/><use xlink:href=\"#glyph0-1\"/>"
        "<rect clip-path=\"url(#clip1)\"/></svg>";
    EXPECT_EQ(qvrfc::InlineSvg(svg, "p1-"),
              "<svg><symbol id=\"p1-glyph0-1\"/><use xlink:href=\"#p1-glyph0-1\"/>"
              "<rect clip-path=\"url(#p1-clip1)\"/></svg>");
}

TEST(ChartFiles, WrittenWholeOrNotAtAll) {
    const std::vector<qvrfc::ChartFile> files = {{"charts/a.svg", "<svg/>"}, {"report.html", "x"}};
    EXPECT_EQ(qvrfc::WriteFilesWhole("out", files),
              (std::vector<std::string>{"out/charts/a.svg", "out/report.html"}));
    EXPECT_EQ(qvrfc_test::ReadFile("out/charts/a.svg"), "<svg/>");
    EXPECT_EQ(fs::status(fs::path("out/report.html")).permissions() & fs::perms::others_read,
              fs::perms::others_read);

    // "charts" is a file: nothing may be written, not even the page, and no temporary is left.
    fs::create_directory("bad");
    qvrfc_test::WriteFile("bad/charts", "in the way");
    try {
        qvrfc::WriteFilesWhole("bad", {{"report.html", "x"}, {"charts/a.svg", "<svg/>"}});
        ADD_FAILURE() << "no error";
    } catch (const qvrfc::Error& error) {
        EXPECT_EQ(std::string(error.what()),
                  "cannot write '" + (fs::current_path() / "bad/charts/a.svg").string() +
                      "': Not a directory");
    }
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator("bad"))
        left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"charts"});
}

}  // namespace
