// The canvas on cairo: an SVG or PDF surface that streams into a string, or an image surface
// that is encoded as PNG when finished. Text uses DejaVu Sans through cairo's font support.
#include "charts/ChartCanvas.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <png.h>

#include <cmath>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "qvrfc/common/QVRFCError.h"

namespace qvrfc {
namespace chart {
namespace {

constexpr const char* kFontFamily = "DejaVu Sans";
constexpr const char* kEllipsis = "\xE2\x80\xA6";

cairo_status_t AppendToString(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

void Check(cairo_status_t status, const char* what) {
    if (status != CAIRO_STATUS_SUCCESS)
        throw Error(std::string("cannot draw the chart (") + what +
                    "): " + cairo_status_to_string(status));
}

// Length of the UTF-8 sequence that starts with byte c (1 for a stray continuation byte).
size_t SequenceLength(unsigned char c) {
    if (c >= 0xF0) return 4;
    if (c >= 0xE0) return 3;
    if (c >= 0xC0) return 2;
    return 1;
}

void AppendPngData(png_structp png, png_bytep data, png_size_t length) {
    static_cast<std::string*>(png_get_io_ptr(png))
        ->append(reinterpret_cast<const char*>(data), length);
}

// PNG of cairo's 24-bit image rows (native-endian 0x00RRGGBB words), each turned into RGB bytes
// here, which is quicker than libpng's own byte swapping and stripping. Charts are large flat
// areas: the Up filter and a fast compression level make files about as small as the thorough
// defaults, several times faster. False when libpng fails.
bool EncodePng(unsigned char* pixels, int width, int height, int stride, std::string* out) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    std::vector<png_byte> row(static_cast<size_t>(width) * 3);
    if (setjmp(png_jmpbuf(png))) {  // libpng's errors return here
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, out, AppendPngData, nullptr);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP);
    png_set_compression_level(png, 1);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) {
        const unsigned char* line = pixels + static_cast<ptrdiff_t>(y) * stride;
        for (int x = 0; x < width; ++x) {
            uint32_t pixel;
            std::memcpy(&pixel, line + 4 * static_cast<ptrdiff_t>(x), sizeof pixel);
            row[3 * x] = static_cast<png_byte>(pixel >> 16);
            row[3 * x + 1] = static_cast<png_byte>(pixel >> 8);
            row[3 * x + 2] = static_cast<png_byte>(pixel);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

struct ChartCanvas::Surface {
    ChartFormat format;
    std::string bytes;
    cairo_surface_t* surface = nullptr;
    cairo_t* cr = nullptr;
    ~Surface() {
        if (cr) cairo_destroy(cr);
        if (surface) cairo_surface_destroy(surface);
    }
};

ChartCanvas::ChartCanvas(int width, int height, ChartFormat format)
    : m_surface(new Surface{format, {}}) {
    Surface& s = *m_surface;
    if (format == ChartFormat::Svg) {
        s.surface = cairo_svg_surface_create_for_stream(AppendToString, &s.bytes, width, height);
    } else if (format == ChartFormat::Pdf) {
        s.surface = cairo_pdf_surface_create_for_stream(AppendToString, &s.bytes, width, height);
    } else {
        s.surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    }
    Check(cairo_surface_status(s.surface), "surface");
    if (format == ChartFormat::Svg)
        cairo_svg_surface_set_document_unit(s.surface, CAIRO_SVG_UNIT_PX);
    s.cr = cairo_create(s.surface);
    Check(cairo_status(s.cr), "context");
    cairo_set_source_rgb(s.cr, 1.0, 1.0, 1.0);
    cairo_paint(s.cr);
    cairo_set_line_join(s.cr, CAIRO_LINE_JOIN_ROUND);
}

ChartCanvas::~ChartCanvas() = default;

void ChartCanvas::Pen(Colour colour, double width, Dash dash) {
    cairo_t* cr = m_surface->cr;
    cairo_set_source_rgb(cr, colour.r, colour.g, colour.b);
    cairo_set_line_width(cr, width);
    static const double dashed[] = {6.0, 4.0};
    static const double dotted[] = {1.5, 3.0};
    if (dash == Dash::Dashed)
        cairo_set_dash(cr, dashed, 2, 0.0);
    else if (dash == Dash::Dotted)
        cairo_set_dash(cr, dotted, 2, 0.0);
    else
        cairo_set_dash(cr, nullptr, 0, 0.0);
    cairo_set_line_cap(cr, dash == Dash::Dotted ? CAIRO_LINE_CAP_ROUND : CAIRO_LINE_CAP_BUTT);
}

void ChartCanvas::Line(Point from, Point to) {
    Polyline({from, to});
}

void ChartCanvas::Polyline(const std::vector<Point>& points) {
    cairo_t* cr = m_surface->cr;
    bool open = false;
    for (const Point& p : points) {
        if (!std::isfinite(p.y)) {
            open = false;  // a missing value breaks the line
            continue;
        }
        if (open)
            cairo_line_to(cr, p.x, p.y);
        else
            cairo_move_to(cr, p.x, p.y);
        open = true;
    }
    cairo_stroke(cr);
}

void ChartCanvas::Box(double x, double y, double width, double height, Colour fill) {
    cairo_t* cr = m_surface->cr;
    cairo_save(cr);
    cairo_rectangle(cr, x, y, width, height);
    cairo_set_source_rgb(cr, fill.r, fill.g, fill.b);
    cairo_fill_preserve(cr);
    cairo_restore(cr);
    cairo_stroke(cr);
}

void ChartCanvas::Mark(Marker marker, Point at, double size, bool filled) {
    if (!std::isfinite(at.y)) return;
    cairo_t* cr = m_surface->cr;
    const double h = size / 2.0;
    if (marker == Marker::Circle) {
        cairo_new_sub_path(cr);
        cairo_arc(cr, at.x, at.y, h, 0.0, 2.0 * M_PI);
    } else if (marker == Marker::Square) {
        cairo_rectangle(cr, at.x - h, at.y - h, size, size);
    } else {
        cairo_move_to(cr, at.x, at.y - h * 1.15);
        cairo_line_to(cr, at.x + h * 1.1, at.y + h * 0.85);
        cairo_line_to(cr, at.x - h * 1.1, at.y + h * 0.85);
        cairo_close_path(cr);
    }
    cairo_save(cr);
    if (!filled) cairo_set_source_rgb(cr, 1.0, 1.0, 1.0);
    cairo_fill_preserve(cr);
    cairo_restore(cr);
    cairo_save(cr);
    cairo_set_dash(cr, nullptr, 0, 0.0);
    cairo_stroke(cr);
    cairo_restore(cr);
}

namespace {

void UseFont(cairo_t* cr, double size, bool bold) {
    cairo_select_font_face(cr, kFontFamily, CAIRO_FONT_SLANT_NORMAL,
                           bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
}

}  // namespace

void ChartCanvas::Text(const std::string& text, Point at, double size, Align align, bool bold,
                       Colour colour, double degrees) {
    if (text.empty()) return;
    cairo_t* cr = m_surface->cr;
    cairo_save(cr);
    UseFont(cr, size, bold);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text.c_str(), &extents);
    double shift = 0.0;
    if (align == Align::Centre) shift = extents.x_advance / 2.0;
    if (align == Align::Right) shift = extents.x_advance;
    cairo_translate(cr, at.x, at.y);
    cairo_rotate(cr, degrees * M_PI / 180.0);
    cairo_move_to(cr, -shift, 0.0);
    cairo_set_source_rgb(cr, colour.r, colour.g, colour.b);
    cairo_show_text(cr, text.c_str());
    cairo_restore(cr);
}

double ChartCanvas::TextWidth(const std::string& text, double size, bool bold) {
    cairo_t* cr = m_surface->cr;
    cairo_save(cr);
    UseFont(cr, size, bold);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text.c_str(), &extents);
    cairo_restore(cr);
    return extents.x_advance;
}

std::string ChartCanvas::Fit(const std::string& text, double size, double width, bool bold) {
    if (TextWidth(text, size, bold) <= width) return text;
    // Cut at whole UTF-8 characters, keeping the longest beginning that fits.
    std::string best;
    for (size_t end = 0; end < text.size();) {
        end += SequenceLength(static_cast<unsigned char>(text[end]));
        const std::string candidate = text.substr(0, end) + kEllipsis;
        if (TextWidth(candidate, size, bold) > width) break;
        best = candidate;
    }
    return best;
}

std::string ChartCanvas::Finish() {
    Surface& s = *m_surface;
    Check(cairo_status(s.cr), "drawing");
    cairo_destroy(s.cr);
    s.cr = nullptr;
    if (s.format == ChartFormat::Png) {
        cairo_surface_flush(s.surface);
        if (!EncodePng(cairo_image_surface_get_data(s.surface),
                       cairo_image_surface_get_width(s.surface),
                       cairo_image_surface_get_height(s.surface),
                       cairo_image_surface_get_stride(s.surface), &s.bytes))
            throw Error("cannot draw the chart (PNG): libpng failed");
    } else {
        cairo_surface_finish(s.surface);
        Check(cairo_surface_status(s.surface), "file");
    }
    cairo_surface_destroy(s.surface);
    s.surface = nullptr;
    return std::move(s.bytes);
}

}  // namespace chart

void ReleaseDrawingCaches() {
    cairo_debug_reset_static_data();
    FcFini();
}

namespace chart {

double LegendEntry(ChartCanvas& canvas, const LineStyle& style, const std::string& label, double x,
                   double y) {
    canvas.Pen(style.colour, 2.0, style.dash);
    canvas.Line({x, y - 4.0}, {x + 28.0, y - 4.0});
    canvas.Pen(style.colour, 1.5);
    canvas.Mark(style.marker, {x + 14.0, y - 4.0}, 7.0, false);
    canvas.Text(label, {x + 34.0, y}, kSmallSize, Align::Left);
    return x + 46.0 + canvas.TextWidth(label, kSmallSize);
}

LineStyle LineStyleOf(size_t n) {
    static const LineStyle styles[] = {
        {kBlue, Marker::Circle, Dash::Solid},      {kVermillion, Marker::Square, Dash::Dashed},
        {kGreen, Marker::Triangle, Dash::Dotted},  {kBlack, Marker::Square, Dash::Solid},
        {kPurple, Marker::Triangle, Dash::Dashed}, {kSky, Marker::Circle, Dash::Dotted}};
    return styles[n % 6];
}

std::vector<double> NiceTicks(double low, double high, int count) {
    if (!std::isfinite(low) || !std::isfinite(high)) return {0.0, 1.0};
    if (high - low < 1e-12 * std::max(1.0, std::fabs(high))) {
        const double pad = std::max(1.0, std::fabs(high) * 0.1);
        low -= pad;
        high += pad;
    }
    const double rough = (high - low) / std::max(count - 1, 1);
    const double magnitude = std::pow(10.0, std::floor(std::log10(rough)));
    double step = magnitude;
    for (double factor : {1.0, 2.0, 2.5, 5.0, 10.0}) {
        step = factor * magnitude;
        if (step >= rough) break;
    }
    std::vector<double> ticks;
    const long last = std::lround(std::ceil(high / step - 1e-9));
    for (long i = std::lround(std::floor(low / step + 1e-9)); i <= last; ++i)
        ticks.push_back(static_cast<double>(i) * step);
    return ticks;
}

std::string FactorTitle(const ChartFactor& factor) {
    return factor.unit.empty() ? factor.name : factor.name + " (" + factor.unit + ")";
}

std::string TickText(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", value);
    return text;
}

}  // namespace chart
}  // namespace qvrfc
