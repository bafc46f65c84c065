// Half-normal plot: the absolute effects in increasing order against the quantiles of the
// half-normal distribution. Effects that are noise lie on a line through the origin (drawn
// through the smaller half); active effects stand above it. Points are labelled largest
// first; a label that would overlap one already drawn is left out.
#include <algorithm>
#include <cmath>

#include "charts/ChartCanvas.h"
#include "qvrfc/charts/ChartRender.h"

namespace qvrfc {
namespace {

using namespace chart;

constexpr double kWidth = 600.0;
constexpr double kHeight = 440.0;  // under a heading of one line each
constexpr double kLeft = 70.0;
constexpr double kRight = 30.0;
constexpr double kTop = 58.0;
constexpr double kBottom = 50.0;

// The standard normal quantile of p in (0, 1), by bisection on the distribution function.
double NormalQuantile(double p) {
    double low = -10.0, high = 10.0;
    for (int i = 0; i < 100; ++i) {
        const double middle = (low + high) / 2.0;
        if (0.5 * std::erfc(-middle / std::sqrt(2.0)) < p)
            low = middle;
        else
            high = middle;
    }
    return (low + high) / 2.0;
}

}  // namespace

std::vector<double> HalfNormalQuantiles(size_t count) {
    std::vector<double> quantiles;
    const double m = static_cast<double>(count);
    for (size_t i = 0; i < count; ++i)
        quantiles.push_back(NormalQuantile(0.5 + 0.5 * (static_cast<double>(i) + 0.5) / m));
    return quantiles;
}

namespace {

struct PlotPoint {
    std::string label;
    double quantile;
    double size;  // absolute effect
};

std::vector<PlotPoint> PointsOf(const HalfNormal& chart) {
    std::vector<PlotPoint> points;
    for (const LabelledEffect& effect : chart.effects)
        if (std::isfinite(effect.value))
            points.push_back({effect.label, 0.0, std::fabs(effect.value)});
    std::stable_sort(points.begin(), points.end(),
                     [](const PlotPoint& a, const PlotPoint& b) { return a.size < b.size; });
    const std::vector<double> quantiles = HalfNormalQuantiles(points.size());
    for (size_t i = 0; i < points.size(); ++i)
        points[i].quantile = quantiles[i];
    return points;
}

// Least-squares slope through the origin over the smaller half of the points.
double NoiseSlope(const std::vector<PlotPoint>& points) {
    double qq = 0.0, qe = 0.0;
    for (size_t i = 0; i < std::max<size_t>(1, points.size() / 2) && i < points.size(); ++i) {
        qq += points[i].quantile * points[i].quantile;
        qe += points[i].quantile * points[i].size;
    }
    return qq > 0.0 ? qe / qq : 0.0;
}

struct Frame {
    double xMax, yMax;
    double top, height;  // of the plot and of the canvas: taller under a longer heading
    double X(double q) const { return kLeft + (kWidth - kLeft - kRight) * q / xMax; }
    double Y(double e) const { return height - kBottom - (height - top - kBottom) * e / yMax; }
};

void DrawAxes(ChartCanvas& canvas, const Frame& frame, const std::vector<double>& xTicks,
              const std::vector<double>& yTicks) {
    canvas.Pen(kLightGrey, 1.0);
    for (double t : yTicks)
        canvas.Line({kLeft, frame.Y(t)}, {kWidth - kRight, frame.Y(t)});
    canvas.Pen(kGrey, 1.0);
    canvas.Line({kLeft, frame.top}, {kLeft, frame.height - kBottom});
    canvas.Line({kLeft, frame.height - kBottom}, {kWidth - kRight, frame.height - kBottom});
    for (double t : xTicks)
        canvas.Text(TickText(t), {frame.X(t), frame.height - kBottom + 16.0}, kSmallSize,
                    Align::Centre);
    for (double t : yTicks)
        canvas.Text(TickText(t), {kLeft - 6.0, frame.Y(t) + 4.0}, kSmallSize, Align::Right);
    canvas.Text("half-normal quantile", {(kLeft + kWidth - kRight) / 2.0, frame.height - 12.0},
                kSmallSize, Align::Centre);
    canvas.Text("absolute effect", {18.0, (frame.top + frame.height - kBottom) / 2.0}, kSmallSize,
                Align::Centre, false, kBlack, -90.0);
}

struct Area {
    double left, top, right, bottom;
    bool Overlaps(const Area& o) const {
        return left < o.right && o.left < right && top < o.bottom && o.top < bottom;
    }
};

void DrawLabels(ChartCanvas& canvas, const Frame& frame, const std::vector<PlotPoint>& points) {
    std::vector<Area> taken;
    for (size_t i = points.size(); i-- > 0;) {
        const Point at{frame.X(points[i].quantile), frame.Y(points[i].size)};
        const double w = canvas.TextWidth(points[i].label, kSmallSize);
        // Right of the point, then left, above and below; the first place that is free.
        const Area places[] = {{at.x + 7.0, at.y - 10.0, at.x + 7.0 + w, at.y + 3.0},
                               {at.x - 7.0 - w, at.y - 10.0, at.x - 7.0, at.y + 3.0},
                               {at.x - w / 2.0, at.y - 20.0, at.x + w / 2.0, at.y - 7.0},
                               {at.x - w / 2.0, at.y + 7.0, at.x + w / 2.0, at.y + 20.0}};
        for (const Area& area : places) {
            const bool inside =
                area.left >= kLeft && area.right <= kWidth - 2.0 && area.top >= frame.top - 12.0;
            if (!inside || std::any_of(taken.begin(), taken.end(),
                                       [&](const Area& other) { return other.Overlaps(area); }))
                continue;
            taken.push_back(area);
            canvas.Text(points[i].label, {area.left, area.bottom - 1.0}, kSmallSize, Align::Left);
            break;
        }
    }
}

}  // namespace

std::string DrawHalfNormal(const HalfNormal& chart, ChartFormat format) {
    const std::vector<PlotPoint> points = PointsOf(chart);
    double largest = 0.0, lastQuantile = 1.0;
    for (const PlotPoint& p : points) {
        largest = std::max(largest, p.size);
        lastQuantile = std::max(lastQuantile, p.quantile);
    }
    const std::vector<double> xTicks = NiceTicks(0.0, lastQuantile * 1.05, 5);
    const std::vector<double> yTicks = NiceTicks(0.0, largest > 0.0 ? largest * 1.05 : 1.0, 5);
    ChartCanvas scratch(1, 1, ChartFormat::Png);
    const Heading heading =
        HeadingOf(scratch,
                  chart.response + ": " +
                      (chart.title.empty() ? "Half-normal plot of the effects" : chart.title),
                  "effects above the dashed line stand out from the noise", kWidth - 32.0);
    const double extra = std::ceil(heading.bottom - 50.0);  // over a heading of one line each
    const Frame frame{xTicks.back(), yTicks.back(), kTop + extra, kHeight + extra};

    ChartCanvas canvas(static_cast<int>(kWidth), static_cast<int>(frame.height), format);
    DrawHeading(canvas, heading);
    DrawAxes(canvas, frame, xTicks, yTicks);

    const double slope = NoiseSlope(points);
    const double end = std::min(frame.xMax, slope > 0.0 ? frame.yMax / slope : frame.xMax);
    canvas.Pen(kGrey, 1.2, Dash::Dashed);
    canvas.Line({frame.X(0.0), frame.Y(0.0)}, {frame.X(end), frame.Y(slope * end)});
    canvas.Pen(kBlue, 1.5);
    for (const PlotPoint& p : points)
        canvas.Mark(Marker::Circle, {frame.X(p.quantile), frame.Y(p.size)}, 7.0, true);
    DrawLabels(canvas, frame, points);
    return canvas.Finish();
}

}  // namespace qvrfc
