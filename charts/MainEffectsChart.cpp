// Main-effect plots: one small panel per factor, side by side, and one band of such panels per
// series (S/N ratio, mean, deviation) below each other, each band with its own vertical scale
// shared by its panels so that steep and flat factors compare at a glance. A design of up to
// ten factors fits one row; more factors wrap into rows of at most ten, each row with its
// factors' names once above its bands. Names that do not fit are wrapped or drawn smaller, never
// cut or overlapped.
#include <algorithm>
#include <cmath>

#include "charts/ChartCanvas.h"
#include "qvrfc/charts/ChartRender.h"

namespace qvrfc {
namespace {

using namespace chart;

constexpr size_t kMaxPanelsPerRow = 10;
constexpr double kMaxWidth = 1240.0;      // fits a laptop screen at 100 %
constexpr double kMaxLevelLabel = 90.0;   // longer level labels are drawn smaller
constexpr double kMaxTitleWidth = 150.0;  // longer factor names are drawn smaller
constexpr double kMinPanelWidth = 90.0;
constexpr double kMargin = 16.0;
constexpr double kAxisWidth = 70.0;  // series title and tick labels left of the first panel
constexpr double kPanelGap = 10.0;
constexpr double kPanelTitle = 34.0;  // two lines
constexpr double kPlotHeight = 100.0;
constexpr double kLevelLabels = 22.0;
constexpr double kBandGap = 8.0;  // between the bands of one row
constexpr double kRowGap = 14.0;  // between rows of factors
constexpr double kBandHeight = kPlotHeight + kLevelLabels + kBandGap;

struct Layout {
    size_t factors = 0;
    size_t perRow = 1;
    size_t rows = 1;
    double panelWidth = 112.0;
    double width = 0.0;
    double height = 0.0;
    Heading heading;
    std::vector<Point> legend;  // each series' entry, then the overall mean's and the best level's
    double headerHeight = 0.0;  // the top of the first row
    double RowHeight(size_t series) const {
        return kPanelTitle + kBandHeight * static_cast<double>(series) + kRowGap;
    }
};

// The narrowest width that holds the title in two lines broken at a space.
double TwoLineWidth(ChartCanvas& canvas, const std::string& title) {
    double best = canvas.TextWidth(title, kLabelSize, true);
    for (size_t at = title.find(' '); at != std::string::npos; at = title.find(' ', at + 1))
        best = std::min(best, std::max(canvas.TextWidth(title.substr(0, at), kLabelSize, true),
                                       canvas.TextWidth(title.substr(at + 1), kLabelSize, true)));
    return best;
}

// Wide enough for each factor's level labels side by side and its name in two lines, narrower
// (labels shortened) where that keeps a small design in one row; rows of a large design are
// filled evenly.
Layout LayoutOf(const MainEffects& chart) {
    Layout layout;
    layout.factors = chart.factors.size();
    ChartCanvas scratch(1, 1, ChartFormat::Png);
    double needed = 112.0;
    for (const ChartFactor& factor : chart.factors) {
        double label = 0.0;
        for (const std::string& text : factor.levelLabels)
            label = std::max(label, std::min(kMaxLevelLabel, scratch.TextWidth(text, kSmallSize)));
        const double slot = std::max(34.0, label + 8.0);
        needed =
            std::max(needed, slot * static_cast<double>(factor.levelLabels.size()) + kPanelGap);
        needed =
            std::max(needed, std::min(kMaxTitleWidth, TwoLineWidth(scratch, FactorTitle(factor))) +
                                 kPanelGap + 4.0);
    }
    const double room = kMaxWidth - 2 * kMargin - kAxisWidth;
    const size_t fit = std::max<size_t>(1, static_cast<size_t>(room / needed));
    const size_t perRow = layout.factors <= kMaxPanelsPerRow ? std::max<size_t>(1, layout.factors)
                                                             : std::min(kMaxPanelsPerRow, fit);
    layout.rows = (std::max<size_t>(1, layout.factors) + perRow - 1) / perRow;
    layout.perRow = (std::max<size_t>(1, layout.factors) + layout.rows - 1) / layout.rows;
    layout.panelWidth =
        std::max(kMinPanelWidth, std::min(needed, room / static_cast<double>(layout.perRow)));
    layout.width = std::ceil(2 * kMargin + kAxisWidth + layout.panelWidth * layout.perRow);
    layout.heading =
        HeadingOf(scratch, chart.response + ": main effects", "", layout.width - 2 * kMargin);
    std::vector<double> widths;
    for (const EffectSeries& series : chart.series)
        widths.push_back(44.0 + scratch.TextWidth(series.title, kSmallSize));
    widths.push_back(44.0 + scratch.TextWidth("overall mean", kSmallSize));
    widths.push_back(14.0 + scratch.TextWidth("best level", kSmallSize));
    layout.legend =
        FlowEntries(widths, kMargin, layout.width - kMargin, layout.heading.bottom + 22.0);
    layout.headerHeight = layout.legend.back().y + 6.0;
    layout.height = std::ceil(layout.headerHeight +
                              layout.RowHeight(chart.series.size()) * layout.rows + kMargin);
    return layout;
}

// The vertical range of a series: its level means and its overall mean, in round ticks.
std::vector<double> SeriesTicks(const EffectSeries& series) {
    double low = series.overall, high = series.overall;
    for (const auto& levels : series.means) {
        for (double v : levels) {
            if (!std::isfinite(v)) continue;
            low = std::isfinite(low) ? std::min(low, v) : v;
            high = std::isfinite(high) ? std::max(high, v) : v;
        }
    }
    return NiceTicks(low, high, 5);
}

void DrawHeader(ChartCanvas& canvas, const MainEffects& chart, const Layout& layout) {
    DrawHeading(canvas, layout.heading);
    const double room = layout.width - 2 * kMargin - 44.0;
    for (size_t s = 0; s < chart.series.size(); ++s) {
        const auto [x, y] = layout.legend[s];
        const LineStyle style = LineStyleOf(s);
        canvas.Pen(style.colour, 2.0, style.dash);
        canvas.Line({x, y - 4.0}, {x + 28.0, y - 4.0});
        canvas.Mark(style.marker, {x + 14.0, y - 4.0}, 7.0, false);
        canvas.Text(canvas.Fit(chart.series[s].title, kSmallSize, room), {x + 34.0, y}, kSmallSize,
                    Align::Left);
    }
    const Point mean = layout.legend[chart.series.size()];
    canvas.Pen(kGrey, 1.0, Dash::Dashed);
    canvas.Line({mean.x, mean.y - 4.0}, {mean.x + 28.0, mean.y - 4.0});
    canvas.Text("overall mean", {mean.x + 34.0, mean.y}, kSmallSize, Align::Left);
    const Point best = layout.legend.back();
    canvas.Pen(kBlack, 1.2);
    canvas.Mark(Marker::Circle, {best.x + 5.0, best.y - 4.0}, 9.0, true);
    canvas.Text("best level", {best.x + 14.0, best.y}, kSmallSize, Align::Left);
}

struct Band {
    double plotTop;    // top of the plotting area
    double low, high;  // the vertical scale
    double Y(double v) const { return plotTop + kPlotHeight * (high - v) / (high - low); }
};

void DrawScale(ChartCanvas& canvas, const Band& band, const std::vector<double>& ticks,
               const std::string& title) {
    const double right = kMargin + kAxisWidth - 4.0;
    for (double t : ticks)
        canvas.Text(TickText(t), {right, band.Y(t) + 4.0}, kSmallSize, Align::Right);
    const double middle = band.plotTop + kPlotHeight / 2.0;
    canvas.Text(canvas.Fit(title, kSmallSize, kPlotHeight + kLevelLabels), {kMargin + 10.0, middle},
                kSmallSize, Align::Centre, true, kBlack, -90.0);
}

// The factors' names centred above their panels, in at most two lines.
void DrawTitles(ChartCanvas& canvas, const MainEffects& chart, const Layout& layout, size_t row,
                double top) {
    for (size_t i = 0; i < layout.perRow; ++i) {
        const size_t f = row * layout.perRow + i;
        if (f >= layout.factors) break;
        const double width = layout.panelWidth - kPanelGap;
        const double centre = kMargin + kAxisWidth + layout.panelWidth * i + width / 2.0;
        const TextLines title =
            FitLines(canvas, FactorTitle(chart.factors[f]), kLabelSize, width, 2, true);
        for (size_t l = 0; l < title.lines.size(); ++l)
            canvas.Text(title.lines[l],
                        {centre, top + kPanelTitle - 4.0 -
                                     14.0 * static_cast<double>(title.lines.size() - 1 - l)},
                        title.size, Align::Centre, true);
    }
}

void DrawPanel(ChartCanvas& canvas, const Band& band, double left, double width,
               const ChartFactor& factor, const std::vector<double>& means, int best,
               const EffectSeries& series, const std::vector<double>& ticks, size_t seriesIndex) {
    canvas.Pen(kGrey, 1.0);
    canvas.Box(left, band.plotTop, width, kPlotHeight, kWhite);
    canvas.Pen(kLightGrey, 1.0);
    for (double t : ticks)
        canvas.Line({left, band.Y(t)}, {left + width, band.Y(t)});
    canvas.Pen(kGrey, 1.0, Dash::Dashed);
    canvas.Line({left, band.Y(series.overall)}, {left + width, band.Y(series.overall)});

    const size_t levels = std::max<size_t>(1, factor.levelLabels.size());
    const double slot = width / static_cast<double>(levels);
    std::vector<Point> points;
    for (size_t l = 0; l < levels; ++l) {
        const double v = l < means.size() ? means[l] : NAN;
        points.push_back(
            {left + slot * (static_cast<double>(l) + 0.5), std::isfinite(v) ? band.Y(v) : NAN});
        if (l < factor.levelLabels.size())
            canvas.Text(canvas.Fit(factor.levelLabels[l], kSmallSize, slot - 4.0),
                        {points.back().x, band.plotTop + kPlotHeight + 15.0}, kSmallSize,
                        Align::Centre);
    }
    const LineStyle style = LineStyleOf(seriesIndex);
    canvas.Pen(style.colour, 2.0, style.dash);
    canvas.Polyline(points);
    for (size_t l = 0; l < points.size(); ++l) {
        const bool isBest = static_cast<int>(l) == best;
        canvas.Pen(isBest ? kBlack : style.colour, isBest ? 1.2 : 1.5);
        canvas.Mark(style.marker, points[l], isBest ? 9.0 : 7.0, isBest);
    }
}

}  // namespace

std::string DrawMainEffects(const MainEffects& chart, ChartFormat format) {
    const Layout layout = LayoutOf(chart);
    ChartCanvas canvas(static_cast<int>(layout.width), static_cast<int>(layout.height), format);
    DrawHeader(canvas, chart, layout);
    std::vector<std::vector<double>> ticks;
    for (const EffectSeries& series : chart.series)
        ticks.push_back(SeriesTicks(series));
    const std::vector<double> none;
    for (size_t row = 0; row < layout.rows; ++row) {
        const double top = layout.headerHeight + layout.RowHeight(chart.series.size()) * row;
        DrawTitles(canvas, chart, layout, row, top);
        for (size_t s = 0; s < chart.series.size(); ++s) {
            const EffectSeries& series = chart.series[s];
            const Band band{top + kPanelTitle + kBandHeight * s, ticks[s].front(), ticks[s].back()};
            DrawScale(canvas, band, ticks[s], series.title);
            for (size_t i = 0; i < layout.perRow; ++i) {
                const size_t f = row * layout.perRow + i;
                if (f >= layout.factors) break;
                DrawPanel(canvas, band, kMargin + kAxisWidth + layout.panelWidth * i,
                          layout.panelWidth - kPanelGap, chart.factors[f],
                          f < series.means.size() ? series.means[f] : none,
                          f < series.best.size() ? series.best[f] : -1, series, ticks[s], s);
            }
        }
    }
    return canvas.Finish();
}

}  // namespace qvrfc
