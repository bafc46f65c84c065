// Pareto chart of ANOVA contributions, the table's column figure for figure: one horizontal bar
// per term, largest first, then the pooled terms and those below the error (hollow, dashed; a
// negative share reaches left of zero) and the error itself (grey).
// Horizontal bars keep every term's name readable however many terms there are.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "charts/ChartCanvas.h"
#include "qvrfc/charts/ChartRender.h"

namespace qvrfc {
namespace {

using namespace chart;

constexpr double kMargin = 16.0;
constexpr double kRowHeight = 22.0;
constexpr double kBarHeight = 14.0;
constexpr double kBarArea = 460.0;
constexpr double kValueWidth = 64.0;
constexpr double kMaxLabelWidth = 220.0;
constexpr double kAxisHeight = 34.0;

enum class BarKind { Term, Pooled, Error };

struct Bar {
    std::string label;
    double value;
    BarKind kind;
};

// Unpooled terms by falling contribution, then the pooled ones, then the error.
std::vector<Bar> BarsOf(const Pareto& chart) {
    std::vector<Bar> bars;
    for (const ParetoTerm& term : chart.terms)
        bars.push_back({term.pooled       ? term.name + " (pooled)"
                        : term.belowError ? term.name + " (below the error)"
                                          : term.name,
                        term.contribution,
                        term.pooled || term.belowError ? BarKind::Pooled : BarKind::Term});
    std::stable_sort(bars.begin(), bars.end(), [](const Bar& a, const Bar& b) {
        if (a.kind != b.kind) return a.kind < b.kind;
        return a.value > b.value;
    });
    bars.push_back({"Error", chart.errorContribution, BarKind::Error});
    return bars;
}

std::string Percent(double value) {
    if (!std::isfinite(value)) return "*";
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %%", value);
    return text;
}

// From zero (at x = zero) to the value, leftward for a negative one; the figure right of the
// bar, or right of zero for a negative one.
void DrawBar(ChartCanvas& canvas, const Bar& bar, double zero, double y, double scale) {
    const double value = std::isfinite(bar.value) ? bar.value : 0.0;
    const double from = zero + std::min(0.0, value) * scale;
    const double length = std::fabs(value) * scale;
    if (bar.kind == BarKind::Term) {
        canvas.Pen(kBlue, 1.0);
        canvas.Box(from, y, length, kBarHeight, kBlue);
    } else if (bar.kind == BarKind::Pooled) {
        canvas.Pen(kGrey, 1.2, Dash::Dashed);
        canvas.Box(from, y, length, kBarHeight, kWhite);
    } else {
        canvas.Pen(kGrey, 1.0);
        canvas.Box(from, y, length, kBarHeight, kLightGrey);
    }
    canvas.Text(Percent(bar.value),
                {zero + std::max(0.0, value) * scale + 5.0, y + kBarHeight - 3.0}, kSmallSize,
                Align::Left);
}

}  // namespace

std::string DrawPareto(const Pareto& chart, ChartFormat format) {
    const std::vector<Bar> bars = BarsOf(chart);
    double largest = 1.0, smallest = 0.0;
    for (const Bar& bar : bars) {
        if (!std::isfinite(bar.value)) continue;
        largest = std::max(largest, bar.value);
        smallest = std::min(smallest, bar.value);
    }
    // The axis starts at the most negative share itself, not at a tick below it.
    std::vector<double> ticks = NiceTicks(smallest, largest, 6);
    ticks.erase(
        std::remove_if(ticks.begin(), ticks.end(), [&](double t) { return t < smallest - 1e-9; }),
        ticks.end());
    const double scale = kBarArea / (ticks.back() - smallest);

    // The label column is as wide as the longest label, within limits; the canvas is measured
    // on a scratch surface first so that the real one has its final size.
    ChartCanvas scratch(1, 1, ChartFormat::Png);
    double labelWidth = 60.0;
    for (const Bar& bar : bars)
        labelWidth = std::max(labelWidth, scratch.TextWidth(bar.label, kLabelSize));
    labelWidth = std::min(labelWidth, kMaxLabelWidth);
    const double left = kMargin + labelWidth + 8.0;
    const double width = std::ceil(left + kBarArea + kValueWidth + kMargin);
    const double plotHeight = kRowHeight * static_cast<double>(bars.size());
    const Heading heading = HeadingOf(
        scratch, chart.response + ": " + (chart.title.empty() ? "Contributions" : chart.title),
        "the ANOVA table's Contr. % (pure sums of squares), error included; hollow "
        "dashed: pooled or below the error",
        width - 2 * kMargin);
    const double top = heading.bottom + 8.0;  // the top of the bars
    const double height = std::ceil(top + plotHeight + kAxisHeight + kMargin);

    ChartCanvas canvas(static_cast<int>(width), static_cast<int>(height), format);
    DrawHeading(canvas, heading);

    const double bottom = top + plotHeight;
    const double zero = left - smallest * scale;
    for (double t : ticks) {
        const double x = zero + t * scale;
        canvas.Pen(kLightGrey, 1.0);
        canvas.Line({x, top}, {x, bottom});
        canvas.Text(TickText(t), {x, bottom + 15.0}, kSmallSize, Align::Centre);
    }
    canvas.Text("contribution (%)", {left + kBarArea / 2.0, bottom + 30.0}, kSmallSize,
                Align::Centre);
    for (size_t i = 0; i < bars.size(); ++i) {
        const double y = top + kRowHeight * static_cast<double>(i);
        canvas.Text(canvas.Fit(bars[i].label, kLabelSize, labelWidth),
                    {left - 8.0, y + kBarHeight - 2.0}, kLabelSize, Align::Right);
        DrawBar(canvas, bars[i], zero, y + (kRowHeight - kBarHeight) / 2.0 - 2.0, scale);
    }
    canvas.Pen(kBlack, 1.0);
    canvas.Line({zero, top}, {zero, bottom});
    return canvas.Finish();
}

}  // namespace qvrfc
