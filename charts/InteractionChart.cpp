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
constexpr double kHeaderHeight = 92.0;  // title and legend
constexpr double kAxisWidth = 64.0;     // statistic and tick labels left of a panel
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

// "Second factor:" and a line sample with each of its level values.
void DrawLegend(ChartCanvas& canvas, const InteractionPlot& chart, double width) {
    const double y = kMargin + 54.0;
    const std::string label = FactorTitle(chart.second) + ":";
    canvas.Text(canvas.Fit(label, kSmallSize, width / 3.0), {kMargin, y}, kSmallSize, Align::Left,
                true);
    double x = kMargin + std::min(width / 3.0, canvas.TextWidth(label, kSmallSize, true)) + 12.0;
    for (size_t l = 0; l < chart.second.levelLabels.size(); ++l)
        x = LegendEntry(canvas, LineStyleOf(l),
                        canvas.Fit(chart.second.levelLabels[l], kSmallSize, 120.0), x, y);
}

void DrawPanel(ChartCanvas& canvas, const InteractionPlot& chart, const InteractionPanel& panel,
               double left) {
    const std::vector<double> ticks = PanelTicks(panel);
    const double top = kHeaderHeight, bottom = top + kPlotHeight;
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
    const double height = std::ceil(kHeaderHeight + kPlotHeight + kAxisHeight + kMargin);
    ChartCanvas canvas(static_cast<int>(width), static_cast<int>(height), format);
    const std::string title =
        chart.response + ": interaction of " + chart.first.name + " and " + chart.second.name;
    canvas.Text(canvas.Fit(title, kTitleSize, width - 2 * kMargin, true), {kMargin, kMargin + 14.0},
                kTitleSize, Align::Left, true);
    canvas.Text("parallel lines: no interaction; converging or crossing lines: an interaction",
                {kMargin, kMargin + 34.0}, kSmallSize, Align::Left, false, kGrey);
    DrawLegend(canvas, chart, width - 2 * kMargin);
    for (size_t p = 0; p < chart.panels.size(); ++p)
        DrawPanel(canvas, chart, chart.panels[p],
                  kMargin + kAxisWidth + (kAxisWidth + kPanelWidth + kPanelGap) * p);
    return canvas.Finish();
}

}  // namespace qvrfc
