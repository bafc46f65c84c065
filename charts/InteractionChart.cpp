// Interaction plot of two factors: for each statistic a panel with the first factor's levels
// along the bottom and one line per level of the second factor. Parallel lines mean no
// interaction; lines that converge or cross show one. Each line has its own colour, marker and
// dash, named in the legend with the second factor's level values.
#include <algorithm>
#include <cmath>

#include "charts/ChartCanvas.h"
#include "qvrfc/charts/ChartRender.h"

namespace qvrfc {
namespace {

using namespace chart;

constexpr double kMargin = 16.0;
constexpr double kLegendGap = 20.0;  // from the subtitle's baseline to the legend's
constexpr double kAxisWidth = 64.0;  // statistic and tick labels left of a panel
constexpr double kPanelWidth = 300.0;
constexpr double kPanelGap = 24.0;
constexpr double kPlotHeight = 220.0;
constexpr double kAxisHeight = 44.0;  // level labels and the factor's name below a panel

std::vector<double> PanelTicks(const InteractionPanel& panel) {
    double low = NAN, high = NAN;
    for (const auto& row : panel.cells)
        for (double v : row) {
            if (!std::isfinite(v)) continue;
            low = std::isfinite(low) ? std::min(low, v) : v;
            high = std::isfinite(high) ? std::max(high, v) : v;
        }
    return std::isfinite(low) ? NiceTicks(low, high, 5) : NiceTicks(0.0, 1.0, 5);
}

// The title, the subtitle and the legend ("Second factor:" and a line sample with each of its
// level values) above the panels, wrapped to the chart's width.
struct Header {
    Heading heading;
    std::string label;
    std::vector<Point> places;  // the label's, then each level's entry
    double bottom = 0.0;        // the top of the panels
};

Header HeaderOf(ChartCanvas& canvas, const InteractionPlot& chart, double width) {
    Header header;
    header.heading = HeadingOf(
        canvas,
        chart.response + ": interaction of " + chart.first.name + " and " + chart.second.name,
        "parallel lines: no interaction; converging or crossing lines: an interaction",
        width - 2 * kMargin);
    header.label = FactorTitle(chart.second) + ":";
    std::vector<double> widths = {canvas.TextWidth(header.label, kSmallSize, true) + 12.0};
    for (const std::string& level : chart.second.levelLabels)
        widths.push_back(LegendEntryWidth(canvas, level));
    header.places =
        FlowEntries(widths, kMargin, width - kMargin, header.heading.bottom + kLegendGap);
    header.bottom = header.places.back().y + 22.0;
    return header;
}

void DrawLegend(ChartCanvas& canvas, const InteractionPlot& chart, const Header& header,
                double width) {
    const double room = width - 2 * kMargin;
    canvas.Text(canvas.Fit(header.label, kSmallSize, room, true), header.places[0], kSmallSize,
                Align::Left, true);
    for (size_t l = 0; l < chart.second.levelLabels.size(); ++l)
        LegendEntry(canvas, LineStyleOf(l),
                    canvas.Fit(chart.second.levelLabels[l], kSmallSize, room - 46.0),
                    header.places[l + 1].x, header.places[l + 1].y);
}

void DrawPanel(ChartCanvas& canvas, const InteractionPlot& chart, const InteractionPanel& panel,
               double left, double top) {
    const std::vector<double> ticks = PanelTicks(panel);
    const double bottom = top + kPlotHeight;
    auto y = [&](double v) {
        return bottom - kPlotHeight * (v - ticks.front()) / (ticks.back() - ticks.front());
    };
    canvas.Pen(kGrey, 1.0);
    canvas.Box(left, top, kPanelWidth, kPlotHeight, kWhite);
    canvas.Pen(kLightGrey, 1.0);
    for (double t : ticks) {
        canvas.Line({left, y(t)}, {left + kPanelWidth, y(t)});
        canvas.Text(TickText(t), {left - 5.0, y(t) + 4.0}, kSmallSize, Align::Right);
    }
    canvas.Text(canvas.Fit(panel.title, kSmallSize, kPlotHeight),
                {left - kAxisWidth + 12.0, top + kPlotHeight / 2.0}, kSmallSize, Align::Centre,
                true, kBlack, -90.0);
    const size_t levels = std::max<size_t>(1, chart.first.levelLabels.size());
    const double slot = kPanelWidth / static_cast<double>(levels);
    auto x = [&](size_t l) { return left + slot * (static_cast<double>(l) + 0.5); };
    for (size_t l = 0; l < chart.first.levelLabels.size(); ++l)
        canvas.Text(canvas.Fit(chart.first.levelLabels[l], kSmallSize, slot - 4.0),
                    {x(l), bottom + 15.0}, kSmallSize, Align::Centre);
    canvas.Text(canvas.Fit(FactorTitle(chart.first), kLabelSize, kPanelWidth),
                {left + kPanelWidth / 2.0, bottom + 36.0}, kLabelSize, Align::Centre, true);
    for (size_t j = 0; j < chart.second.levelLabels.size(); ++j) {
        std::vector<Point> points;
        for (size_t i = 0; i < levels; ++i) {
            const double v =
                i < panel.cells.size() && j < panel.cells[i].size() ? panel.cells[i][j] : NAN;
            points.push_back({x(i), std::isfinite(v) ? y(v) : NAN});
        }
        const LineStyle style = LineStyleOf(j);
        canvas.Pen(style.colour, 2.0, style.dash);
        canvas.Polyline(points);
        canvas.Pen(style.colour, 1.5);
        for (const Point& p : points)
            canvas.Mark(style.marker, p, 7.0, false);
    }
}

}  // namespace

std::string InteractionChartName(const InteractionPlot& chart) {
    return "interaction-" + FileStem(chart.first.name) + "-" + FileStem(chart.second.name);
}

std::string DrawInteraction(const InteractionPlot& chart, ChartFormat format) {
    const size_t panels = std::max<size_t>(1, chart.panels.size());
    const double width = std::ceil(2 * kMargin + (kAxisWidth + kPanelWidth) * panels +
                                   kPanelGap * static_cast<double>(panels - 1));
    ChartCanvas scratch(1, 1, ChartFormat::Png);
    const Header header = HeaderOf(scratch, chart, width);
    const double height = std::ceil(header.bottom + kPlotHeight + kAxisHeight + kMargin);
    ChartCanvas canvas(static_cast<int>(width), static_cast<int>(height), format);
    DrawHeading(canvas, header.heading);
    DrawLegend(canvas, chart, header, width);
    for (size_t p = 0; p < chart.panels.size(); ++p)
        DrawPanel(canvas, chart, chart.panels[p],
                  kMargin + kAxisWidth + (kAxisWidth + kPanelWidth + kPanelGap) * p, header.bottom);
    return canvas.Finish();
}

}  // namespace qvrfc
