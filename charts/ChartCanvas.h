// ChartCanvas: the few drawing operations the charts need, on one surface of a chosen format.
// The same drawing code thus makes the SVG, PNG and PDF files: PNG and PDF through cairo, SVG
// as plain SVG elements with every word a <text>. Text is measured by cairo with DejaVu Sans in
// every format, so that all of them are laid out alike. Internal to the charts layer.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "qvrfc/charts/ChartRender.h"

namespace qvrfc {
namespace chart {

struct Colour {
    double r, g, b;
};

// Okabe-Ito colours: told apart by colour-blind readers, and by their markers and dashes in grey.
constexpr Colour kBlack{0.0, 0.0, 0.0};
constexpr Colour kGrey{0.45, 0.45, 0.45};
constexpr Colour kLightGrey{0.85, 0.85, 0.85};
constexpr Colour kWhite{1.0, 1.0, 1.0};
constexpr Colour kBlue{0.0, 0.447, 0.698};
constexpr Colour kVermillion{0.835, 0.369, 0.0};
constexpr Colour kGreen{0.0, 0.620, 0.451};
constexpr Colour kPurple{0.800, 0.475, 0.655};
constexpr Colour kSky{0.337, 0.706, 0.914};

enum class Marker { Circle, Square, Triangle };
enum class Dash { Solid, Dashed, Dotted };
enum class Align { Left, Centre, Right };

// Colour, marker and dash of the n-th line of a chart: each sets it apart even printed in grey
// (six differ in marker and dash both; more repeat them).
struct LineStyle {
    Colour colour;
    Marker marker;
    Dash dash;
};
LineStyle LineStyleOf(size_t n);

class ChartCanvas;
// A legend entry at x on the baseline y: a sample of the line with its marker, then the label.
// Returns where the next entry starts.
double LegendEntry(ChartCanvas& canvas, const LineStyle& style, const std::string& label, double x,
                   double y);

// Text sizes in pixels (points on PDF).
constexpr double kTitleSize = 16.0;
constexpr double kLabelSize = 12.0;
constexpr double kSmallSize = 11.0;

struct Point {
    double x, y;
};

class ChartCanvas {
  public:
    ChartCanvas(int width, int height, ChartFormat format);
    ~ChartCanvas();
    ChartCanvas(const ChartCanvas&) = delete;
    ChartCanvas& operator=(const ChartCanvas&) = delete;

    // Pen: colour, width and dash pattern of the lines drawn next.
    void Pen(Colour colour, double width = 1.0, Dash dash = Dash::Solid);
    void Line(Point from, Point to);
    void Polyline(const std::vector<Point>& points);
    // A rectangle filled with fill and outlined with the pen.
    void Box(double x, double y, double width, double height, Colour fill);
    // A marker centred on at, outlined with the pen; hollow markers are filled white.
    void Mark(Marker marker, Point at, double size, bool filled);

    // Text whose baseline starts, centres or ends at `at`, turned by `degrees` about it.
    void Text(const std::string& text, Point at, double size, Align align, bool bold = false,
              Colour colour = kBlack, double degrees = 0.0);
    double TextWidth(const std::string& text, double size, bool bold = false);
    // text itself, never shortened: drawn by Text at this size it is shrunk as far as it must
    // be to be at most width wide.
    std::string Fit(const std::string& text, double size, double width, bool bold = false);

    // The finished file's bytes; an exception when the surface failed.
    std::string Finish();

  private:
    struct Surface;
    std::unique_ptr<Surface> m_surface;
};

// A text laid out in lines, broken between words, and the size they are drawn at.
struct TextLines {
    std::vector<std::string> lines;
    double size = 0.0;
    double Height(double leading = 1.3) const {
        return size * leading * static_cast<double>(lines.size());
    }
};
// text in at most maxLines lines, each at most width wide, at size or, where that cannot be,
// at the largest smaller size that can: the whole text, never cut.
TextLines FitLines(ChartCanvas& canvas, const std::string& text, double size, double width,
                   size_t maxLines, bool bold = false);
// The lines, the first baseline at y, the next ones size x leading below; returns the baseline
// of a line that would follow.
double DrawLines(ChartCanvas& canvas, const TextLines& text, double x, double y, Align align,
                 bool bold = false, Colour colour = kBlack, double leading = 1.3);

// A chart's title in at most two lines and its grey subtitle, wrapped to width.
struct Heading {
    TextLines title, subtitle;
    double bottom = 0.0;  // the baseline of its last line
};
Heading HeadingOf(ChartCanvas& canvas, const std::string& title, const std::string& subtitle,
                  double width);
void DrawHeading(ChartCanvas& canvas, const Heading& heading);

// Where legend entries of the given widths go, left to right from left, wrapped into rows of
// rowHeight below the first baseline y whenever an entry would pass right.
std::vector<Point> FlowEntries(const std::vector<double>& widths, double left, double right,
                               double y, double rowHeight = 18.0);
// The width of a legend entry of LegendEntry.
double LegendEntryWidth(ChartCanvas& canvas, const std::string& label);

// About `count` round values spanning low..high, the first at or below low, the last at or
// above high.
std::vector<double> NiceTicks(double low, double high, int count);
// A tick value as a short text: "0", "2.5", "-10".
std::string TickText(double value);
// A factor's name with its unit: "Temperature (°C)".
std::string FactorTitle(const ChartFactor& factor);

}  // namespace chart
}  // namespace qvrfc
