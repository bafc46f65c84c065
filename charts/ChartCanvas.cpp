// The canvas: SVG written element by element, a PDF surface of cairo that streams into a string,
// or a cairo image surface that is encoded as PNG when finished. Text is DejaVu Sans through
// cairo's font support, which also measures it for SVG.
#include "charts/ChartCanvas.h"

#include <cairo-pdf.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <zlib.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <thread>

#include "qvrfc/common/QVRFCError.h"

namespace qvrfc {
namespace chart {
namespace {

constexpr const char* kFontFamily = "DejaVu Sans";

cairo_status_t AppendToString(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

void Check(cairo_status_t status, const char* what) {
    if (status != CAIRO_STATUS_SUCCESS)
        throw Error(std::string("cannot draw the chart (") + what +
                    "): " + cairo_status_to_string(status));
}

void AppendBigEndian(std::string& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>((value >> shift) & 0xFF);
}

void AppendChunk(std::string& out, const char* type, const std::string& data) {
    AppendBigEndian(out, static_cast<uint32_t>(data.size()));
    const size_t start = out.size();
    out.append(type, 4).append(data);
    AppendBigEndian(
        out, static_cast<uint32_t>(
                 crc32(0, reinterpret_cast<const Bytef*>(out.data() + start), 4 + data.size())));
}

// Rows first..last of cairo's 24-bit image (native-endian 0x00RRGGBB words) as PNG scanlines
// with the Up filter, deflated raw at level 1 and ended with a flush to a byte boundary (the
// last part with the stream's end), so that parts deflated apart join into one stream.
struct DeflatedRows {
    std::string bytes;
    uLong adler = 1;
    size_t length = 0;  // of the filtered rows
    bool ok = false;
};

// One row of the surface's 32-bit pixels as PNG's RGB bytes, after the filter byte.
void UnpackRow(const unsigned char* line, int width, std::vector<unsigned char>& row) {
    for (int x = 0; x < width; ++x) {
        uint32_t pixel;
        std::memcpy(&pixel, line + 4 * static_cast<ptrdiff_t>(x), sizeof pixel);
        row[1 + 3 * x] = static_cast<unsigned char>(pixel >> 16);
        row[2 + 3 * x] = static_cast<unsigned char>(pixel >> 8);
        row[3 + 3 * x] = static_cast<unsigned char>(pixel);
    }
}

DeflatedRows DeflateRows(const unsigned char* pixels, int width, int stride, int first, int last,
                         bool end) {
    DeflatedRows part;
    z_stream zs{};
    if (deflateInit2(&zs, 1, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) return part;
    const size_t rowBytes = 1 + static_cast<size_t>(width) * 3;
    std::vector<unsigned char> row(rowBytes), previous(rowBytes, 0), filtered(rowBytes);
    if (first > 0) {  // the row above the part, which the Up filter of its first row needs
        UnpackRow(pixels + static_cast<ptrdiff_t>(first - 1) * stride, width, previous);
    }
    std::vector<unsigned char> buffer(1 << 16);
    int status = Z_OK;
    for (int y = first; y < last && status != Z_STREAM_ERROR; ++y) {
        UnpackRow(pixels + static_cast<ptrdiff_t>(y) * stride, width, row);
        filtered[0] = 2;  // Up
        for (size_t i = 1; i < rowBytes; ++i)
            filtered[i] = static_cast<unsigned char>(row[i] - previous[i]);
        std::swap(row, previous);
        part.adler = adler32(part.adler, filtered.data(), static_cast<uInt>(rowBytes));
        part.length += rowBytes;
        zs.next_in = filtered.data();
        zs.avail_in = static_cast<uInt>(rowBytes);
        const bool lastRow = y + 1 == last;
        const int flush = lastRow ? (end ? Z_FINISH : Z_FULL_FLUSH) : Z_NO_FLUSH;
        do {
            zs.next_out = buffer.data();
            zs.avail_out = static_cast<uInt>(buffer.size());
            status = deflate(&zs, flush);
            part.bytes.append(reinterpret_cast<const char*>(buffer.data()),
                              buffer.size() - zs.avail_out);
        } while (zs.avail_out == 0 && status != Z_STREAM_ERROR);
    }
    part.ok = status != Z_STREAM_ERROR && (!end || status == Z_STREAM_END);
    deflateEnd(&zs);
    return part;
}

// PNG of cairo's 24-bit image rows. Charts are large flat areas: the Up filter and a fast
// compression level make files about as small as the thorough defaults, several times faster.
// A large image is deflated in two halves at once, on this thread and one more; the halves join
// into one stream. False when zlib fails.
bool EncodePng(const unsigned char* pixels, int width, int height, int stride, std::string* out) {
    const bool split = static_cast<long>(width) * height >= 250000 && height >= 2;
    const int middle = split ? height / 2 : height;
    DeflatedRows second;
    std::thread helper;
    if (split) {
        helper =
            std::thread([&] { second = DeflateRows(pixels, width, stride, middle, height, true); });
    }
    const DeflatedRows first = DeflateRows(pixels, width, stride, 0, middle, !split);
    if (helper.joinable()) helper.join();
    if (!first.ok || (split && !second.ok)) return false;
    const uLong adler =
        split ? adler32_combine(first.adler, second.adler, static_cast<z_off_t>(second.length))
              : first.adler;
    std::string header;
    AppendBigEndian(header, static_cast<uint32_t>(width));
    AppendBigEndian(header, static_cast<uint32_t>(height));
    header += std::string("\x08\x02\x00\x00\x00", 5);  // 8-bit RGB, deflate, adaptive, plain
    std::string data;
    data.reserve(first.bytes.size() + second.bytes.size() + 6);
    data += "\x78\x01";  // deflate with a 32 KB window, the fastest level
    data += first.bytes;
    data += second.bytes;
    AppendBigEndian(data, static_cast<uint32_t>(adler));
    out->append("\x89PNG\r\n\x1a\n", 8);
    AppendChunk(*out, "IHDR", header);
    AppendChunk(*out, "IDAT", data);
    AppendChunk(*out, "IEND", "");
    return true;
}

// The SVG drawing as it is written: consecutive shapes of one style are gathered into one path
// element, and numbers are rounded to a tenth of a pixel, which keeps the files small.
class SvgWriter {
  public:
    void Begin(int width, int height) {
        out.reserve(16384);
        out +=
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" "
            "width=\"";
        out += std::to_string(width) + "px\" height=\"" + std::to_string(height) +
               "px\" viewBox=\"0 0 " + std::to_string(width) + " " + std::to_string(height) +
               "\" font-family=\"'DejaVu Sans', Verdana, Geneva, sans-serif\" font-size=\"11\" "
               "stroke-linejoin=\"round\">\n<rect width=\"100%\" height=\"100%\" fill=\"#fff\"/>\n";
    }

    // Appends a shape's path data under style, in one element with the shapes before it of
    // the same style.
    void Shape(const std::string& style, const std::string& data) {
        if (data.empty()) return;
        FlushTexts();
        if (style != m_style) Flush();
        m_style = style;
        m_data += data;
    }

    // A text at place (its position attributes) in style (the others); consecutive texts of
    // one style share a group that carries it.
    void Text(const std::string& style, const std::string& place, const std::string& text) {
        Flush();
        if (style != m_textStyle) FlushTexts();
        m_textStyle = style;
        m_texts += "<text" + place + ">";
        Escape(text, m_texts);
        m_texts += "</text>\n";
        ++m_textCount;
    }

    std::string End() {
        Flush();
        FlushTexts();
        out += "</svg>\n";
        return std::move(out);
    }

    std::string out;

  private:
    void Flush() {
        if (m_data.empty()) return;
        out += "<path d=\"" + m_data + "\"" + m_style + "/>\n";
        m_data.clear();
    }

    void FlushTexts() {
        if (m_textCount == 0) return;
        if (m_textCount == 1) {
            out += m_texts.insert(5, m_textStyle);  // after "<text"
        } else {
            out += "<g" + m_textStyle + ">\n" + m_texts + "</g>\n";
        }
        m_texts.clear();
        m_textCount = 0;
    }

    static void Escape(const std::string& text, std::string& out) {
        for (char c : text) {
            if (c == '&')
                out += "&amp;";
            else if (c == '<')
                out += "&lt;";
            else if (c == '>')
                out += "&gt;";
            else if (c == '"')
                out += "&quot;";
            else if (static_cast<unsigned char>(c) >= 0x20 || c == '\t')
                out += c;
        }
    }

    std::string m_style, m_data;
    std::string m_textStyle, m_texts;
    size_t m_textCount = 0;
};

// A number as SVG writes it: at most one decimal, no trailing zero, "-0" as "0".
void AppendNumber(std::string& out, double value) {
    if (!std::isfinite(value)) value = 0.0;
    long long tenths = std::llround(value * 10.0);
    if (tenths < 0) {
        out += '-';
        tenths = -tenths;
    }
    char digits[24];
    auto end = std::to_chars(digits, digits + sizeof digits, tenths / 10).ptr;
    if (tenths % 10 != 0) {
        *end++ = '.';
        *end++ = static_cast<char>('0' + tenths % 10);
    }
    out.append(digits, end);
}

std::string Number(double value) {
    std::string text;
    AppendNumber(text, value);
    return text;
}

std::string Hex(Colour colour) {
    static const char digits[] = "0123456789abcdef";
    std::string text = "#";
    bool shortens = true;  // "#ffffff" as "#fff"
    for (double part : {colour.r, colour.g, colour.b}) {
        const long byte = std::lround(std::min(1.0, std::max(0.0, part)) * 255.0);
        text += digits[byte / 16];
        text += digits[byte % 16];
        shortens = shortens && byte / 16 == byte % 16;
    }
    return shortens ? std::string{'#', text[1], text[3], text[5]} : text;
}

}  // namespace

struct ChartCanvas::Surface {
    ChartFormat format = ChartFormat::Png;
    std::string bytes;
    cairo_surface_t* surface = nullptr;
    cairo_t* cr = nullptr;  // draws PNG and PDF; only measures text for SVG
    SvgWriter svg;
    // The pen, for SVG.
    Colour colour = kBlack;
    double width = 1.0;
    Dash dash = Dash::Solid;
    // Texts handed out by Fit, with the width each must keep to at its size.
    std::vector<std::pair<std::pair<std::string, double>, double>> fitted;
    ~Surface() {
        if (cr) cairo_destroy(cr);
        if (surface) cairo_surface_destroy(surface);
    }
    bool Svg() const { return format == ChartFormat::Svg; }

    // The stroke of the pen, as SVG attributes.
    std::string Stroke(bool dashed = true) const {
        std::string style = " stroke=\"" + Hex(colour) + "\"";
        if (width != 1.0) style += " stroke-width=\"" + Number(width) + "\"";
        if (dashed && dash == Dash::Dashed) style += " stroke-dasharray=\"6 4\"";
        if (dashed && dash == Dash::Dotted)
            style += " stroke-dasharray=\"1.5 3\" stroke-linecap=\"round\"";
        return style;
    }
};

namespace {

// Metrics as a vector surface has them, unhinted, so that text measures the same whatever
// the format.
void UnhintedMetrics(cairo_t* cr) {
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
}

}  // namespace

ChartCanvas::ChartCanvas(int width, int height, ChartFormat format) : m_surface(new Surface) {
    Surface& s = *m_surface;
    s.format = format;
    if (format == ChartFormat::Svg) {
        s.surface = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
        s.svg.Begin(width, height);
    } else if (format == ChartFormat::Pdf) {
        s.surface = cairo_pdf_surface_create_for_stream(AppendToString, &s.bytes, width, height);
    } else {
        s.surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    }
    Check(cairo_surface_status(s.surface), "surface");
    s.cr = cairo_create(s.surface);
    Check(cairo_status(s.cr), "context");
    UnhintedMetrics(s.cr);
    if (s.Svg()) return;
    cairo_set_source_rgb(s.cr, 1.0, 1.0, 1.0);
    cairo_paint(s.cr);
    cairo_set_line_join(s.cr, CAIRO_LINE_JOIN_ROUND);
}

ChartCanvas::~ChartCanvas() = default;

void ChartCanvas::Pen(Colour colour, double width, Dash dash) {
    Surface& s = *m_surface;
    s.colour = colour;
    s.width = width;
    s.dash = dash;
    if (s.Svg()) return;
    cairo_t* cr = s.cr;
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

namespace {

void AppendPoint(std::string& data, char command, Point p) {
    data += command;
    AppendNumber(data, p.x);
    data += ' ';
    AppendNumber(data, p.y);
}

// A move to p, or a line from last to p: "H" or "V" alone when it runs straight across or
// down. last becomes p.
void AppendLineTo(std::string& data, bool open, Point& last, Point p) {
    if (open && Number(p.y) == Number(last.y)) {
        data += 'H';
        AppendNumber(data, p.x);
    } else if (open && Number(p.x) == Number(last.x)) {
        data += 'V';
        AppendNumber(data, p.y);
    } else {
        AppendPoint(data, open ? 'L' : 'M', p);
    }
    last = p;
}

}  // namespace

void ChartCanvas::Polyline(const std::vector<Point>& points) {
    Surface& s = *m_surface;
    cairo_t* cr = s.cr;
    std::string data;
    bool open = false;
    Point last{0.0, 0.0};
    for (const Point& p : points) {
        if (!std::isfinite(p.y)) {
            open = false;  // a missing value breaks the line
            continue;
        }
        if (s.Svg())
            AppendLineTo(data, open, last, p);
        else if (open)
            cairo_line_to(cr, p.x, p.y);
        else
            cairo_move_to(cr, p.x, p.y);
        open = true;
    }
    if (s.Svg())
        s.svg.Shape(" fill=\"none\"" + s.Stroke(), data);
    else
        cairo_stroke(cr);
}

void ChartCanvas::Box(double x, double y, double width, double height, Colour fill) {
    Surface& s = *m_surface;
    cairo_t* cr = s.cr;
    if (s.Svg()) {
        std::string data;
        AppendPoint(data, 'M', {x, y});
        data += 'h';
        AppendNumber(data, width);
        data += 'v';
        AppendNumber(data, height);
        data += 'h';
        AppendNumber(data, -width);
        data += 'z';
        s.svg.Shape(" fill=\"" + Hex(fill) + "\"" + s.Stroke(), data);
        return;
    }
    cairo_save(cr);
    cairo_rectangle(cr, x, y, width, height);
    cairo_set_source_rgb(cr, fill.r, fill.g, fill.b);
    cairo_fill_preserve(cr);
    cairo_restore(cr);
    cairo_stroke(cr);
}

namespace {

std::string MarkPath(Marker marker, Point at, double size) {
    const double h = size / 2.0;
    std::string data;
    if (marker == Marker::Circle) {
        AppendPoint(data, 'M', {at.x - h, at.y});
        const std::string radius = Number(h) + " " + Number(h);
        data += "a" + radius + " 0 1 0 " + Number(size) + " 0a" + radius + " 0 1 0 " +
                Number(-size) + " 0z";
    } else if (marker == Marker::Square) {
        AppendPoint(data, 'M', {at.x - h, at.y - h});
        data += "h" + Number(size) + "v" + Number(size) + "h" + Number(-size) + "z";
    } else {
        AppendPoint(data, 'M', {at.x, at.y - h * 1.15});
        AppendPoint(data, 'L', {at.x + h * 1.1, at.y + h * 0.85});
        AppendPoint(data, 'L', {at.x - h * 1.1, at.y + h * 0.85});
        data += 'z';
    }
    return data;
}

}  // namespace

void ChartCanvas::Mark(Marker marker, Point at, double size, bool filled) {
    if (!std::isfinite(at.y)) return;
    Surface& s = *m_surface;
    if (s.Svg()) {
        s.svg.Shape(
            " fill=\"" + (filled ? Hex(s.colour) : std::string("#fff")) + "\"" + s.Stroke(false),
            MarkPath(marker, at, size));
        return;
    }
    cairo_t* cr = s.cr;
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

std::string TextStyle(double size, Align align, bool bold, Colour colour) {
    std::string attributes;
    if (size != kSmallSize) attributes += " font-size=\"" + Number(size) + "\"";
    if (align == Align::Centre) attributes += " text-anchor=\"middle\"";
    if (align == Align::Right) attributes += " text-anchor=\"end\"";
    if (bold) attributes += " font-weight=\"bold\"";
    const std::string fill = Hex(colour);
    if (fill != "#000") attributes += " fill=\"" + fill + "\"";
    return attributes;
}

std::string TextPlace(Point at, double degrees) {
    const std::string x = Number(at.x), y = Number(at.y);
    std::string place = " x=\"" + x + "\" y=\"" + y + "\"";
    if (degrees != 0.0)
        place += " transform=\"rotate(" + Number(degrees) + " " + x + " " + y + ")\"";
    return place;
}

}  // namespace

void ChartCanvas::Text(const std::string& text, Point at, double size, Align align, bool bold,
                       Colour colour, double degrees) {
    if (text.empty()) return;
    Surface& s = *m_surface;
    for (const auto& [fitted, width] : s.fitted) {
        if (fitted.first != text || fitted.second != size) continue;
        const double natural = TextWidth(text, size, bold);
        if (natural > width) size *= width / natural;
        break;
    }
    if (s.Svg()) {
        s.svg.Text(TextStyle(size, align, bold, colour), TextPlace(at, degrees), text);
        return;
    }
    cairo_t* cr = s.cr;
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
    if (TextWidth(text, size, bold) > width) m_surface->fitted.push_back({{text, size}, width});
    return text;
}

std::string ChartCanvas::Finish() {
    Surface& s = *m_surface;
    Check(cairo_status(s.cr), "drawing");
    cairo_destroy(s.cr);
    s.cr = nullptr;
    if (s.Svg()) {
        s.bytes = s.svg.End();
    } else if (s.format == ChartFormat::Png) {
        cairo_surface_flush(s.surface);
        if (!EncodePng(cairo_image_surface_get_data(s.surface),
                       cairo_image_surface_get_width(s.surface),
                       cairo_image_surface_get_height(s.surface),
                       cairo_image_surface_get_stride(s.surface), &s.bytes))
            throw Error("cannot draw the chart (PNG): zlib failed");
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

double LegendEntryWidth(ChartCanvas& canvas, const std::string& label) {
    return 46.0 + canvas.TextWidth(label, kSmallSize);
}

double LegendEntry(ChartCanvas& canvas, const LineStyle& style, const std::string& label, double x,
                   double y) {
    canvas.Pen(style.colour, 2.0, style.dash);
    canvas.Line({x, y - 4.0}, {x + 28.0, y - 4.0});
    canvas.Pen(style.colour, 1.5);
    canvas.Mark(style.marker, {x + 14.0, y - 4.0}, 7.0, false);
    canvas.Text(label, {x + 34.0, y}, kSmallSize, Align::Left);
    return x + LegendEntryWidth(canvas, label);
}

namespace {

// text broken between words into lines of at most width at size; a word wider than width
// stands on a line of its own.
std::vector<std::string> Wrap(ChartCanvas& canvas, const std::string& text, double size,
                              double width, bool bold) {
    std::vector<std::string> lines;
    std::string line;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(' ', start);
        if (end == std::string::npos) end = text.size();
        const std::string word = text.substr(start, end - start);
        start = end + 1;
        if (word.empty()) continue;
        const std::string longer = line.empty() ? word : line + " " + word;
        if (line.empty() || canvas.TextWidth(longer, size, bold) <= width) {
            line = longer;
        } else {
            lines.push_back(line);
            line = word;
        }
    }
    if (!line.empty() || lines.empty()) lines.push_back(line);
    return lines;
}

}  // namespace

TextLines FitLines(ChartCanvas& canvas, const std::string& text, double size, double width,
                   size_t maxLines, bool bold) {
    TextLines fitted;
    for (fitted.size = size;; fitted.size *= 0.92) {
        fitted.lines = Wrap(canvas, text, fitted.size, width, bold);
        bool fits = fitted.lines.size() <= std::max<size_t>(1, maxLines);
        for (size_t l = 0; fits && l < fitted.lines.size(); ++l)
            fits = canvas.TextWidth(fitted.lines[l], fitted.size, bold) <= width;
        if (fits || fitted.size < 1.0) return fitted;
    }
}

double DrawLines(ChartCanvas& canvas, const TextLines& text, double x, double y, Align align,
                 bool bold, Colour colour, double leading) {
    for (const std::string& line : text.lines) {
        canvas.Text(line, {x, y}, text.size, align, bold, colour);
        y += text.size * leading;
    }
    return y;
}

namespace {

constexpr double kHeadingMargin = 16.0;

}  // namespace

Heading HeadingOf(ChartCanvas& canvas, const std::string& title, const std::string& subtitle,
                  double width) {
    Heading heading;
    heading.title = FitLines(canvas, title, kTitleSize, width, 2, true);
    if (!subtitle.empty()) heading.subtitle = FitLines(canvas, subtitle, kSmallSize, width, 2);
    // The first baseline 14 below the margin, 20 between title lines, the subtitle 20 below
    // and its lines 14 apart.
    const double titleLines = static_cast<double>(heading.title.lines.size());
    const double subtitleLines = static_cast<double>(heading.subtitle.lines.size());
    heading.bottom = kHeadingMargin + 14.0 + 20.0 * (titleLines - 1.0) +
                     (subtitle.empty() ? 0.0 : 20.0 + 14.0 * (subtitleLines - 1.0));
    return heading;
}

void DrawHeading(ChartCanvas& canvas, const Heading& heading) {
    double y = kHeadingMargin + 14.0;
    for (const std::string& line : heading.title.lines) {
        canvas.Text(line, {kHeadingMargin, y}, heading.title.size, Align::Left, true);
        y += 20.0;
    }
    for (const std::string& line : heading.subtitle.lines) {
        canvas.Text(line, {kHeadingMargin, y}, heading.subtitle.size, Align::Left, false, kGrey);
        y += 14.0;
    }
}

std::vector<Point> FlowEntries(const std::vector<double>& widths, double left, double right,
                               double y, double rowHeight) {
    std::vector<Point> places;
    double x = left;
    for (double width : widths) {
        if (x > left && x + width > right) {
            x = left;
            y += rowHeight;
        }
        places.push_back({x, y});
        x += width;
    }
    return places;
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
