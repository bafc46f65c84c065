// A dynamic response against its signal, one small panel a run on a common scale: the mean at
// each signal level under each noise condition (a line each, as the legend names them) and the
// run's fitted line, dashed grey. Straight, steep lines close together are what robust design
// seeks; lines that fan apart are the noise's doing.
#include <algorithm>
#include <cmath>

#include "charts/ChartCanvas.h"
#include "qvrfc/charts/ChartRender.h"

namespace qvrfc {
namespace {

using namespace chart;

constexpr double kMargin = 16.0;
constexpr double kPanelWidth = 170.0;
constexpr double kPanelHeight = 120.0;
constexpr double kAxisWidth = 44.0;   // tick labels left of a panel
constexpr double kAxisHeight = 40.0;  // tick labels and the run's number below a panel
constexpr size_t kPanelsPerRow = 4;

struct Scale {
    std::vector<double> x, y;  // ticks
};

// One scale for every panel, so that runs compare at a glance.
Scale ScaleOf(const SignalResponse& chart) {
    double low = HUGE_VAL, high = -HUGE_VAL;
    for (const SignalResponse::Run& run : chart.runs) {
        for (const std::vector<double>& line : run.means) {
            for (double v : line) {
                if (!std::isfinite(v)) continue;
                low = std::min(low, v);
                high = std::max(high, v);
            }
        }
    }
    if (!(low <= high)) low = 0.0, high = 1.0;
    const auto [least, most] =
        std::minmax_element(chart.signalValues.begin(), chart.signalValues.end());
    return {NiceTicks(std::min(0.0, *least), *most, 4), NiceTicks(low, high, 4)};
}

std::string ConditionLabel(const std::string& condition) {
    return condition.empty() ? "observed" : condition;
}

// The title, the subtitle and the legend (each noise condition's line, then the fitted line)
// above the panels, wrapped to the chart's width.
struct Header {
    Heading heading;
    std::vector<Point> places;  // each condition's entry, then the fitted line's
    double bottom = 0.0;        // the top of the first row of panels
};

Header HeaderOf(ChartCanvas& canvas, const SignalResponse& chart, double width) {
    Header header;
    header.heading = HeadingOf(canvas, chart.response + " against " + FactorTitle(chart.signal),
                               "each run: the mean at each signal level under each noise condition",
                               width - 2 * kMargin);
    std::vector<double> widths;
    for (const std::string& condition : chart.conditions)
        widths.push_back(LegendEntryWidth(canvas, ConditionLabel(condition)));
    widths.push_back(LegendEntryWidth(canvas, "fitted line"));
    header.places = FlowEntries(widths, kMargin, width - kMargin, header.heading.bottom + 22.0);
    header.bottom = header.places.back().y + 6.0;
    return header;
}

void DrawLegend(ChartCanvas& canvas, const SignalResponse& chart, const Header& header,
                double width) {
    for (size_t c = 0; c < chart.conditions.size(); ++c)
        LegendEntry(
            canvas, LineStyleOf(c),
            canvas.Fit(ConditionLabel(chart.conditions[c]), kSmallSize, width - 2 * kMargin - 46.0),
            header.places[c].x, header.places[c].y);
    const Point at = header.places.back();
    canvas.Pen(kGrey, 1.5, Dash::Dashed);
    canvas.Line({at.x, at.y - 4.0}, {at.x + 28.0, at.y - 4.0});
    canvas.Text("fitted line", {at.x + 34.0, at.y}, kSmallSize, Align::Left);
}

void DrawPanel(ChartCanvas& canvas, const SignalResponse& chart, const Scale& scale, size_t r,
               Point corner) {
    const SignalResponse::Run& run = chart.runs[r];
    const auto px = [&](double m) {
        return corner.x + kPanelWidth * (m - scale.x.front()) / (scale.x.back() - scale.x.front());
    };
    const auto py = [&](double v) {
        return corner.y + kPanelHeight -
               kPanelHeight * (v - scale.y.front()) / (scale.y.back() - scale.y.front());
    };
    canvas.Pen(kGrey, 1.0);
    canvas.Box(corner.x, corner.y, kPanelWidth, kPanelHeight, kWhite);
    for (double t : scale.y)
        canvas.Text(TickText(t), {corner.x - 4.0, py(t) + 4.0}, kSmallSize, Align::Right);
    for (double t : scale.x)
        canvas.Text(TickText(t), {px(t), corner.y + kPanelHeight + 14.0}, kSmallSize,
                    Align::Centre);
    canvas.Text("run " + std::to_string(r + 1),
                {corner.x + kPanelWidth / 2.0, corner.y + kPanelHeight + 30.0}, kSmallSize,
                Align::Centre, true);
    canvas.Pen(kGrey, 1.5, Dash::Dashed);
    const double from = scale.x.front(), to = scale.x.back();
    canvas.Line({px(from), py(run.intercept + run.slope * from)},
                {px(to), py(run.intercept + run.slope * to)});
    for (size_t c = 0; c < run.means.size(); ++c) {
        std::vector<Point> points;
        for (size_t l = 0; l < run.means[c].size() && l < chart.signalValues.size(); ++l) {
            const double v = run.means[c][l];
            points.push_back({px(chart.signalValues[l]), std::isfinite(v) ? py(v) : NAN});
        }
        const LineStyle style = LineStyleOf(c);
        canvas.Pen(style.colour, 1.5, style.dash);
        canvas.Polyline(points);
        for (const Point& p : points)
            canvas.Mark(style.marker, p, 5.0, false);
    }
}

}  // namespace

std::string DrawSignalResponse(const SignalResponse& chart, ChartFormat format) {
    const size_t columns = std::max<size_t>(1, std::min(kPanelsPerRow, chart.runs.size()));
    const size_t rows = std::max<size_t>(1, (chart.runs.size() + columns - 1) / columns);
    const double cellWidth = kAxisWidth + kPanelWidth + 8.0;
    const double cellHeight = kPanelHeight + kAxisHeight;
    const double width = std::ceil(2 * kMargin + cellWidth * static_cast<double>(columns));
    ChartCanvas scratch(1, 1, ChartFormat::Png);
    const Header header = HeaderOf(scratch, chart, width);
    const double height =
        std::ceil(header.bottom + cellHeight * static_cast<double>(rows) + kMargin + 20.0);
    ChartCanvas canvas(static_cast<int>(width), static_cast<int>(height), format);
    DrawHeading(canvas, header.heading);
    DrawLegend(canvas, chart, header, width);
    const Scale scale = ScaleOf(chart);
    for (size_t r = 0; r < chart.runs.size(); ++r)
        DrawPanel(canvas, chart, scale, r,
                  {kMargin + kAxisWidth + cellWidth * static_cast<double>(r % columns),
                   header.bottom + cellHeight * static_cast<double>(r / columns)});
    return canvas.Finish();
}

}  // namespace qvrfc
