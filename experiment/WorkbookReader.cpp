// The first worksheet of an .xlsx or .ods workbook, read with liborcus into rows of cells.
#include <libxml/parser.h>
#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <exception>
#include <map>
#include <memory>
#include <orcus/orcus_ods.hpp>
#include <orcus/orcus_xlsx.hpp>
#include <orcus/spreadsheet/import_interface.hpp>
#include <orcus/zip_archive.hpp>
#include <orcus/zip_archive_stream.hpp>
#include <utility>

#include "qvrfc/experiment/Workbook.h"

namespace qvrfc {
namespace {

namespace ss = orcus::spreadsheet;

// More cells than any run sheet holds: a small zip file can claim millions.
constexpr size_t kMostCells = 1000000;
// The largest worksheet spreadsheets write.
constexpr long long kSheetRows = 1048576, kSheetColumns = 16384;

// A cell's text, or the index of a shared string (which an importer may read after the
// worksheets that use it).
struct Cell {
    std::string text;
    bool isText = false;
    long long shared = -1;
};

using Cells = std::map<std::pair<int, int>, Cell>;  // (row, column) from 0

// A truth value as its cell: text, as a spreadsheet shows it.
Cell TruthCell(bool value) {
    return Cell{value ? "TRUE" : "FALSE", true};
}

// The strings of the workbook, in the order the importer adds them.
class SharedStrings : public ss::iface::import_shared_strings {
  public:
    size_t append(std::string_view s) override {
        m_strings.emplace_back(s);
        return m_strings.size() - 1;
    }
    size_t add(std::string_view s) override {
        const auto found = m_index.find(std::string(s));
        if (found != m_index.end()) return found->second;
        m_index.emplace(std::string(s), m_strings.size());
        return append(s);
    }
    void set_segment_font(size_t) override {}
    void set_segment_bold(bool) override {}
    void set_segment_italic(bool) override {}
    void set_segment_font_name(std::string_view) override {}
    void set_segment_font_size(double) override {}
    void set_segment_font_color(ss::color_elem_t, ss::color_elem_t, ss::color_elem_t,
                                ss::color_elem_t) override {}
    void append_segment(std::string_view s) override { m_segments += s; }
    size_t commit_segments() override {
        const size_t index = append(m_segments);
        m_segments.clear();
        return index;
    }
    std::string At(size_t index) const { return index < m_strings.size() ? m_strings[index] : ""; }

  private:
    std::vector<std::string> m_strings;
    std::map<std::string, size_t> m_index;
    std::string m_segments;
};

// What the importer's callbacks found wrong. They never throw: an exception through the
// importer leaves its parser thread running over the freed text of the worksheet. The reader
// refuses the workbook once the importer has returned.
struct Faults {
    bool badReference = false, tooManyCells = false, outsideSheet = false;
};

// Where the importer's cells go: the first worksheet's, within the largest worksheet and
// kMostCells; nowhere for another worksheet.
class CellSink {
  public:
    CellSink(Cells* cells, Faults* faults) : m_cells(cells), m_faults(faults) {}

    const Cell* At(ss::row_t row, ss::col_t col) const {
        if (!m_cells) return nullptr;
        const auto found = m_cells->find({row, col});
        return found == m_cells->end() ? nullptr : &found->second;
    }
    void Set(ss::row_t row, ss::col_t col, const Cell& cell) {
        if (!m_cells) return;
        if (row < 0 || col < 0 || row >= kSheetRows || col >= kSheetColumns) {
            m_faults->outsideSheet = true;
            return;
        }
        if (m_cells->size() >= kMostCells && !m_cells->count({row, col})) {
            m_faults->tooManyCells = true;
            return;
        }
        (*m_cells)[{row, col}] = cell;
    }

  private:
    Cells* m_cells;
    Faults* m_faults;
};

// A formula cell stands for its cached value.
class FormulaResult : public ss::iface::import_formula {
  public:
    explicit FormulaResult(CellSink* sink) : m_sink(sink) {}
    void set_position(ss::row_t row, ss::col_t col) override {
        m_row = row;
        m_col = col;
        m_cell = Cell{"", false};
    }
    void set_formula(ss::formula_grammar_t, std::string_view) override {}
    void set_shared_formula_index(size_t) override {}
    void set_result_string(std::string_view value) override {
        m_cell = Cell{std::string(value), true};
    }
    void set_result_value(double value) override { m_cell = Cell{NumberText(value), false}; }
    void set_result_bool(bool value) override { m_cell = TruthCell(value); }
    void set_result_empty() override { m_cell = Cell{"", false}; }
    void commit() override { m_sink->Set(m_row, m_col, m_cell); }

  private:
    CellSink* m_sink;
    ss::row_t m_row = 0;
    ss::col_t m_col = 0;
    Cell m_cell;
};

// The cells of an array formula stand for their cached values, which the importer places
// from the range's first cell. (liborcus 0.17 asks every worksheet for this interface and
// calls it without checking that it got one.)
class ArrayFormulaResults : public ss::iface::import_array_formula {
  public:
    explicit ArrayFormulaResults(CellSink* sink) : m_sink(sink) {}
    void set_range(const ss::range_t& range) override { m_first = range.first; }
    void set_formula(ss::formula_grammar_t, std::string_view) override {}
    void set_result_string(ss::row_t row, ss::col_t col, std::string_view value) override {
        Set(row, col, Cell{std::string(value), true});
    }
    void set_result_value(ss::row_t row, ss::col_t col, double value) override {
        Set(row, col, Cell{NumberText(value), false});
    }
    void set_result_bool(ss::row_t row, ss::col_t col, bool value) override {
        Set(row, col, TruthCell(value));
    }
    void set_result_empty(ss::row_t row, ss::col_t col) override { Set(row, col, Cell{"", false}); }
    void commit() override {}

  private:
    void Set(ss::row_t row, ss::col_t col, const Cell& cell) {
        m_sink->Set(m_first.row + row, m_first.column + col, cell);
    }

    CellSink* m_sink;
    ss::address_t m_first{0, 0};
};

// Cell references as worksheets give them ("B7", "$B$7", "B7:D9"; "Sheet1.B7" in .ods), the
// sheet passed over: the importer asks where a worksheet's data lie.
class References : public ss::iface::import_reference_resolver {
  public:
    explicit References(Faults* faults) : m_faults(faults) {}

    ss::src_address_t resolve_address(std::string_view address) override {
        const size_t dot = address.rfind('.');
        if (dot != std::string_view::npos) address.remove_prefix(dot + 1);
        long long column = 0, row = 0;
        size_t i = 0;
        const auto skipDollar = [&] {
            if (i < address.size() && address[i] == '$') ++i;
        };
        skipDollar();
        for (; i < address.size() && std::isalpha(static_cast<unsigned char>(address[i])); ++i) {
            column = column * 26 + (std::toupper(static_cast<unsigned char>(address[i])) - 'A' + 1);
            if (column > kSheetColumns) return Bad();
        }
        skipDollar();
        for (; i < address.size() && std::isdigit(static_cast<unsigned char>(address[i])); ++i) {
            row = row * 10 + (address[i] - '0');
            if (row > kSheetRows) return Bad();
        }
        if (i != address.size() || column == 0 || row == 0) return Bad();
        return {0, static_cast<ss::row_t>(row - 1), static_cast<ss::col_t>(column - 1)};
    }
    ss::src_range_t resolve_range(std::string_view range) override {
        const size_t colon = range.find(':');
        if (colon == std::string_view::npos) {
            const ss::src_address_t cell = resolve_address(range);
            return {cell, cell};
        }
        const ss::src_range_t cells{resolve_address(range.substr(0, colon)),
                                    resolve_address(range.substr(colon + 1))};
        // The importer allocates for an array formula's range: a few bytes can claim the sheet.
        const long long rows = static_cast<long long>(cells.last.row) - cells.first.row + 1;
        const long long columns =
            static_cast<long long>(cells.last.column) - cells.first.column + 1;
        if (rows < 1 || columns < 1 || rows * columns > static_cast<long long>(kMostCells)) {
            const ss::src_address_t origin = Bad();
            return {origin, origin};
        }
        return cells;
    }

  private:
    ss::src_address_t Bad() {
        m_faults->badReference = true;
        return {0, 0, 0};
    }

    Faults* m_faults;
};

// Records the cells of one worksheet (or, with no cells to fill, passes over another's).
class SheetCells : public ss::iface::import_sheet {
  public:
    SheetCells(Cells* cells, Faults* faults) : m_sink(cells, faults) {}

    void set_auto(ss::row_t row, ss::col_t col, std::string_view s) override {
        double value = 0.0;
        const std::string text(s);
        Set(row, col,
            Cell{ParseNumber(text, value) ? NumberText(value) : text, !ParseNumber(text, value)});
    }
    void set_string(ss::row_t row, ss::col_t col, ss::string_id_t index) override {
        Set(row, col, Cell{"", true, static_cast<long long>(index)});
    }
    void set_value(ss::row_t row, ss::col_t col, double value) override {
        Set(row, col,
            Cell{std::isfinite(value) ? NumberText(value) : "not finite", !std::isfinite(value)});
    }
    void set_bool(ss::row_t row, ss::col_t col, bool value) override {
        Set(row, col, TruthCell(value));
    }
    void set_date_time(ss::row_t row, ss::col_t col, int year, int month, int day, int, int,
                       double) override {
        Set(row, col,
            Cell{std::to_string(year) + "-" + std::to_string(month) + "-" + std::to_string(day),
                 true});
    }
    void set_format(ss::row_t, ss::col_t, size_t) override {}
    void set_format(ss::row_t, ss::col_t, ss::row_t, ss::col_t, size_t) override {}
    void fill_down_cells(ss::row_t row, ss::col_t col, ss::row_t count) override {
        const Cell* source = m_sink.At(row, col);
        if (!source) return;
        const Cell cell = *source;
        for (ss::row_t r = 1; r <= count; ++r)
            Set(row + r, col, cell);
    }
    ss::range_size_t get_sheet_size() const override {
        return {static_cast<ss::row_t>(kSheetRows), static_cast<ss::col_t>(kSheetColumns)};
    }
    ss::iface::import_formula* get_formula() override { return &m_formula; }
    ss::iface::import_array_formula* get_array_formula() override { return &m_arrayFormula; }

  private:
    void Set(ss::row_t row, ss::col_t col, const Cell& cell) { m_sink.Set(row, col, cell); }

    CellSink m_sink;
    FormulaResult m_formula{&m_sink};
    ArrayFormulaResults m_arrayFormula{&m_sink};
};

// Keeps the first worksheet's cells and name; the others are read and passed over.
class FirstSheetFactory : public ss::iface::import_factory {
  public:
    ss::iface::import_shared_strings* get_shared_strings() override { return &m_strings; }
    ss::iface::import_reference_resolver* get_reference_resolver(
        ss::formula_ref_context_t) override {
        return &m_references;
    }
    ss::iface::import_sheet* append_sheet(ss::sheet_t index, std::string_view name) override {
        if (m_sheets.empty()) m_name = std::string(name);
        m_names.emplace_back(name);
        m_sheets.push_back(std::make_unique<SheetCells>(
            m_sheets.empty() && index == 0 ? &m_cells : nullptr, &m_faults));
        return m_sheets.back().get();
    }
    ss::iface::import_sheet* get_sheet(std::string_view name) override {
        for (size_t s = 0; s < m_names.size(); ++s) {
            if (m_names[s] == name) return m_sheets[s].get();
        }
        return nullptr;
    }
    ss::iface::import_sheet* get_sheet(ss::sheet_t index) override {
        return index >= 0 && static_cast<size_t>(index) < m_sheets.size()
                   ? m_sheets[static_cast<size_t>(index)].get()
                   : nullptr;
    }
    void finalize() override {}

    bool HasSheet() const { return !m_sheets.empty(); }
    const std::string& Name() const { return m_name; }
    const Cells& CellsOfFirst() const { return m_cells; }
    const SharedStrings& Strings() const { return m_strings; }
    const Faults& Found() const { return m_faults; }

  private:
    Faults m_faults;
    SharedStrings m_strings;
    References m_references{&m_faults};
    std::vector<std::unique_ptr<SheetCells>> m_sheets;
    std::string m_name;
    std::vector<std::string> m_names;
    Cells m_cells;
};

// --- The package as liborcus 0.17 reads it --------------------------------------------------
// Some writers (openpyxl among them) name a relationship's target by its absolute part name
// ("/xl/worksheets/sheet1.xml") and keep strings inline in their cells (t="inlineStr"); this
// liborcus follows neither, and would read such a worksheet as empty or without its texts. The
// parts are rewritten with relative targets and shared strings. The importer reads the
// package packed again, uncompressed, from the parts that were checked.

using Part = std::pair<std::string, std::string>;  // name, bytes

std::uint32_t Crc32(const std::string& bytes) {
    return static_cast<std::uint32_t>(
        crc32_z(0, reinterpret_cast<const Bytef*>(bytes.data()), bytes.size()));
}

void Put(std::string& out, std::uint32_t value, int bytes) {
    for (int b = 0; b < bytes; ++b)
        out += static_cast<char>((value >> (8 * b)) & 0xFF);
}

// A zip archive of stored parts (no compression).
std::string ZipOf(const std::vector<Part>& parts) {
    std::string archive, directory;
    for (const auto& [name, bytes] : parts) {
        const std::uint32_t crc = Crc32(bytes), size = static_cast<std::uint32_t>(bytes.size());
        std::string header;
        Put(header, 20, 2);    // version needed
        Put(header, 0, 2);     // flags
        Put(header, 0, 2);     // stored
        Put(header, 0, 2);     // time
        Put(header, 0x21, 2);  // 1980-01-01
        Put(header, crc, 4);
        Put(header, size, 4);
        Put(header, size, 4);
        Put(header, static_cast<std::uint32_t>(name.size()), 2);
        Put(header, 0, 2);  // extra field
        Put(directory, 0x02014b50, 4);
        Put(directory, 20, 2);  // made by
        directory += header;
        Put(directory, 0, 2);  // comment
        Put(directory, 0, 4);  // disk, internal attributes
        Put(directory, 0, 4);  // external attributes
        Put(directory, static_cast<std::uint32_t>(archive.size()), 4);
        directory += name;
        Put(archive, 0x04034b50, 4);
        archive += header + name + bytes;
    }
    const std::uint32_t offset = static_cast<std::uint32_t>(archive.size());
    archive += directory;
    Put(archive, 0x06054b50, 4);
    Put(archive, 0, 4);  // disks
    Put(archive, static_cast<std::uint32_t>(parts.size()), 2);
    Put(archive, static_cast<std::uint32_t>(parts.size()), 2);
    Put(archive, static_cast<std::uint32_t>(directory.size()), 4);
    Put(archive, offset, 4);
    Put(archive, 0, 2);
    return archive;
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

// Targets of a relationships part "<folder>/_rels/<name>.rels" made relative to <folder>.
void RelativeTargets(const std::string& name, std::string& bytes) {
    const size_t rels = name.find("_rels/");
    if (rels == std::string::npos) return;
    ReplaceAll(bytes, "Target=\"/" + name.substr(0, rels), "Target=\"");
    ReplaceAll(bytes, "Target=\"/", "Target=\"");  // parts at the package's root
}

// The texts of an <is> element: its <t> elements joined, as they are written (escaped).
std::string InlineText(const std::string& is) {
    std::string text;
    for (size_t open = is.find("<t"); open != std::string::npos; open = is.find("<t", open + 1)) {
        const char after = open + 2 < is.size() ? is[open + 2] : '\0';
        if (after != '>' && after != ' ') continue;
        const size_t start = is.find('>', open);
        const size_t end = is.find("</t>", start);
        if (start == std::string::npos || end == std::string::npos) break;
        if (is[start - 1] != '/') text += is.substr(start + 1, end - start - 1);
    }
    return text;
}

// Inline strings of a worksheet as shared strings appended to `strings`.
void ShareInlineStrings(std::string& sheet, std::vector<std::string>& strings, size_t first) {
    const std::string mark = "t=\"inlineStr\"";
    for (size_t at = sheet.find(mark); at != std::string::npos; at = sheet.find(mark, at)) {
        const size_t tagEnd = sheet.find('>', at);
        const size_t is = sheet.find("<is>", tagEnd);
        const size_t isEnd = sheet.find("</is>", tagEnd);
        const size_t cellEnd = sheet.find("</c>", tagEnd);
        if (tagEnd == std::string::npos || sheet[tagEnd - 1] == '/' || is == std::string::npos ||
            isEnd == std::string::npos || cellEnd == std::string::npos || is > cellEnd ||
            isEnd > cellEnd) {
            at += mark.size();
            continue;
        }
        strings.push_back(InlineText(sheet.substr(is + 4, isEnd - is - 4)));
        const std::string value = "<v>" + std::to_string(first + strings.size() - 1) + "</v>";
        sheet.replace(tagEnd + 1, cellEnd - tagEnd - 1, value);
        sheet.replace(at, mark.size(), "t=\"s\"");
    }
}

std::string SharedStringsPart(const std::vector<std::string>& strings) {
    std::string part =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><sst xmlns=\"http://schemas.openxmlformats.org/"
        "spreadsheetml/2006/main\">";
    for (const std::string& text : strings)
        part += "<si><t xml:space=\"preserve\">" + text + "</t></si>";
    return part + "</sst>";
}

// A workbook's parts are unpacked whole: the sizes the archive claims for them are judged
// before anything is allocated for them (a few bytes can claim gigabytes).
constexpr std::uint32_t kLargestPart = 16u << 20;
constexpr std::uint64_t kLargestPackage = 64u << 20;

std::uint32_t Get(const std::string& bytes, size_t at, int count) {
    std::uint32_t value = 0;
    for (int b = count - 1; b >= 0; --b)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<size_t>(b)]);
    return value;
}

// A part as the archive's directory gives it.
struct Claimed {
    std::uint32_t checksum, size;
};
using Directory = std::map<std::string, Claimed>;  // by name

// "" when the archive's directory and local headers claim sizes within the limits and name
// each part once, else why not.
std::string ArchiveFault(const std::string& bytes, Directory& directory) {
    const size_t endSize = 22;
    if (bytes.size() < endSize) return "it is not a zip archive";
    size_t end = bytes.size() - endSize;
    const size_t lowest = bytes.size() > endSize + 65535 ? bytes.size() - endSize - 65535 : 0;
    while (end > lowest && Get(bytes, end, 4) != 0x06054b50)
        --end;
    if (Get(bytes, end, 4) != 0x06054b50) return "it is not a zip archive";
    // One disk, and as many entries from the directory's start as the end record counts: every
    // entry liborcus may read is checked, whichever of the counts it trusts.
    const size_t count = Get(bytes, end + 10, 2);
    if (Get(bytes, end + 4, 4) != 0 || Get(bytes, end + 8, 2) != count)
        return "its directory is damaged";
    size_t at = Get(bytes, end + 16, 4), entries = 0;
    std::uint64_t total = 0;
    for (; at + 4 <= bytes.size() && Get(bytes, at, 4) == 0x02014b50; ++entries) {
        if (at + 46 > bytes.size()) return "its directory is damaged";
        const std::uint32_t size = Get(bytes, at + 24, 4);
        const size_t local = Get(bytes, at + 42, 4);
        if (local + 30 > bytes.size() || Get(bytes, local, 4) != 0x04034b50)
            return "its directory is damaged";
        const std::uint32_t localSize = Get(bytes, local + 22, 4);
        if (size > kLargestPart || localSize > kLargestPart)
            return "a part would unpack to more than 16 MiB";
        if (Get(bytes, at + 20, 4) > bytes.size() || Get(bytes, local + 18, 4) > bytes.size())
            return "a part is larger than the archive";
        total += std::max(size, localSize);
        if (total > kLargestPackage) return "its parts would unpack to more than 64 MiB";
        const size_t nameSize = Get(bytes, at + 28, 2);
        if (at + 46 + nameSize > bytes.size()) return "its directory is damaged";
        const Claimed claimed{Get(bytes, at + 16, 4), size};
        if (!directory.emplace(bytes.substr(at + 46, nameSize), claimed).second)
            return "it holds two parts of one name";
        at += 46 + nameSize + Get(bytes, at + 30, 2) + Get(bytes, at + 32, 2);
    }
    return entries == count ? "" : "its directory is damaged";
}

// Why the importer could not go on: the first line of its message (liborcus puts the stack
// of open elements on lines of their own).
std::string FirstLine(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

Part* Find(std::vector<Part>& parts, const std::string& name) {
    for (Part& part : parts)
        if (part.first == name) return &part;
    return nullptr;
}

// Why the bytes cannot be unpacked into their parts; empty when they are. A part must match
// its checksum: liborcus reads what it inflated from a damaged part as if it were whole, and
// that need not be the same bytes twice.
std::string Unpack(const std::string& bytes, std::vector<Part>& parts) {
    Directory directory;
    const std::string fault = ArchiveFault(bytes, directory);
    if (!fault.empty()) return fault;
    try {
        orcus::zip_archive_stream_blob stream(reinterpret_cast<const uint8_t*>(bytes.data()),
                                              bytes.size());
        orcus::zip_archive archive(&stream);
        archive.load();
        std::vector<unsigned char> buffer;
        for (size_t e = 0; e < archive.get_file_entry_count(); ++e) {
            const std::string name(archive.get_file_entry_name(e));
            buffer.clear();
            if (!archive.read_file_entry(name, buffer)) return "its part " + name + " is damaged";
            const auto claimed = directory.find(name);
            // liborcus ends what it unpacks with a zero byte of its own.
            if (claimed == directory.end() || buffer.size() != claimed->second.size + 1u)
                return "its part " + name + " is damaged";
            parts.emplace_back(name, std::string(buffer.begin(), buffer.end() - 1));
            if (Crc32(parts.back().second) != claimed->second.checksum)
                return "its part " + name + " is damaged";
        }
    } catch (const std::exception& error) {
        return FirstLine(error.what());
    }
    return "";
}

// Why the rows an .ods table repeats, or the cells a row repeats, would reach beyond the
// largest worksheet; empty when they do not. liborcus 0.17 counts them in an int and fills
// every repeated cell: a count of two billion overwrites earlier rows or never ends.
class RepeatCheck {
  public:
    std::string FaultIn(const xmlNode* parent) {
        for (const xmlNode* node = parent->children; node && m_fault.empty(); node = node->next) {
            if (node->type != XML_ELEMENT_NODE) continue;
            const std::string name = reinterpret_cast<const char*>(node->name);
            const long long rows = m_rows, columns = m_columns;
            if (name == "table") m_rows = 0;
            if (name == "table-row") {
                m_rows += Count(node, "number-rows-repeated");
                m_columns = 0;
                if (m_rows > kSheetRows) m_fault = "a table repeats rows beyond row 1048576";
            }
            if (name == "table-cell" || name == "covered-table-cell") {
                m_columns += Count(node, "number-columns-repeated");
                if (m_columns > kSheetColumns) m_fault = "a row repeats cells beyond column 16384";
            }
            if (m_fault.empty()) FaultIn(node);
            if (name == "table") m_rows = rows;
            if (name == "table-row") m_columns = columns;
        }
        return m_fault;
    }

  private:
    // The element's repeat count, 1 when it has none.
    long long Count(const xmlNode* node, const char* attribute) {
        xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(attribute));
        if (!value) return 1;
        const std::string text = reinterpret_cast<const char*>(value);
        xmlFree(value);
        long long count = text.empty() ? -1 : 0;
        for (const char digit : text) {
            if (!std::isdigit(static_cast<unsigned char>(digit))) count = -1;
            if (count < 0) break;
            count = std::min(count * 10 + (digit - '0'), kSheetRows + 1);
        }
        if (count < 1) m_fault = "a repeat count is not a whole number from 1";
        return count;
    }

    long long m_rows = 0, m_columns = 0;
    std::string m_fault;
};

// Why the parts are not ones the importer may read; empty when they are, with the parts that
// are no XML left out (pictures, binary parts: none holds a cell). liborcus 0.17 trusts its
// input: a part cut short or holding a bad character reference stops the process on an
// assertion inside it (its worksheets are parsed on a thread of its own). libxml2, which is
// built for hostile input, checks every part first, and a malformed one never reaches it.
std::string PartsFault(std::vector<Part>& parts, WorkbookKind kind) {
    if (kind == WorkbookKind::Ods && !Find(parts, "content.xml")) return "it has no content.xml";
    std::vector<Part> checked;
    for (Part& part : parts) {
        const std::string& name = part.first;
        const size_t dot = name.rfind('.');
        const std::string extension = dot == std::string::npos ? "" : name.substr(dot);
        const bool named = extension == ".xml" || extension == ".rels";
        // Parts are at most kLargestPart when unpacked: their sizes fit an int.
        const xmlDocPtr document = xmlReadMemory(
            part.second.data(), static_cast<int>(part.second.size()), name.c_str(), nullptr,
            XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_NOBLANKS);
        if (!document && named) return "its part " + name + " is not well-formed XML";
        if (!document) continue;
        std::string fault;
        if (kind == WorkbookKind::Ods && name == "content.xml")
            fault = RepeatCheck().FaultIn(xmlDocGetRootElement(document));
        xmlFreeDoc(document);
        if (!fault.empty()) return fault;
        checked.push_back(std::move(part));
    }
    parts = std::move(checked);
    return "";
}

// The parts rewritten where liborcus would not follow them.
void MakeReadable(std::vector<Part>& parts) {
    std::vector<std::string> strings;
    Part* shared = Find(parts, "xl/sharedStrings.xml");
    size_t first = 0;  // shared strings already there
    for (size_t at = shared ? shared->second.find("<si") : std::string::npos;
         at != std::string::npos; at = shared->second.find("<si", at + 3))
        ++first;
    for (Part& part : parts) {
        if (part.first.size() > 5 && part.first.compare(part.first.size() - 5, 5, ".rels") == 0)
            RelativeTargets(part.first, part.second);
        if (part.first.rfind("xl/worksheets/", 0) == 0)
            ShareInlineStrings(part.second, strings, first);
    }
    if (!strings.empty()) {
        if (shared) {
            std::string added;
            for (const std::string& text : strings)
                added += "<si><t xml:space=\"preserve\">" + text + "</t></si>";
            const size_t end = shared->second.rfind("</sst>");
            if (end != std::string::npos) shared->second.insert(end, added);
        } else {
            parts.emplace_back("xl/sharedStrings.xml", SharedStringsPart(strings));
            if (Part* rels = Find(parts, "xl/_rels/workbook.xml.rels")) {
                ReplaceAll(rels->second, "</Relationships>",
                           "<Relationship Id=\"rIdQvrfcStrings\" Type=\"http://schemas."
                           "openxmlformats.org/officeDocument/2006/relationships/sharedStrings\" "
                           "Target=\"sharedStrings.xml\"/></Relationships>");
            }
            if (Part* types = Find(parts, "[Content_Types].xml")) {
                ReplaceAll(types->second, "</Types>",
                           "<Override PartName=\"/xl/sharedStrings.xml\" ContentType=\"application/"
                           "vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml\"/>"
                           "</Types>");
            }
        }
    }
}

const char* KindName(WorkbookKind kind) {
    return kind == WorkbookKind::Ods ? ".ods" : ".xlsx";
}

// The first worksheet's rows; false when, from column A on, they would hold more than
// kMostCells cells (one far to the right in each of many rows is enough).
bool RowsOf(const FirstSheetFactory& factory, Worksheet& sheet) {
    sheet.name = factory.Name();
    size_t held = 0;
    for (const auto& [place, stored] : factory.CellsOfFirst()) {
        Cell cell = stored;
        if (cell.shared >= 0) cell.text = factory.Strings().At(static_cast<size_t>(cell.shared));
        if (TrimBlanks(cell.text).empty()) continue;
        if (sheet.rows.empty() || sheet.rows.back().row != place.first + 1)
            sheet.rows.push_back({place.first + 1, {}, {}});
        WorksheetRow& row = sheet.rows.back();
        const size_t column = static_cast<size_t>(place.second);
        held += column + 1 - std::min(row.cells.size(), column + 1);
        if (held > kMostCells) return false;
        row.cells.resize(std::max(row.cells.size(), column + 1));
        row.text.resize(row.cells.size(), false);
        row.cells[column] = cell.text;
        row.text[column] = cell.isText;
    }
    return true;
}

// What the importer's callbacks found wrong, or nullptr.
const char* RecordedFault(const FirstSheetFactory& factory) {
    const Faults& found = factory.Found();
    if (found.tooManyCells) return "its first worksheet holds more than a million cells";
    if (found.outsideSheet) return "a cell lies beyond row 1048576 or column XFD";
    if (found.badReference) return "a cell reference is not understood";
    if (!factory.HasSheet()) return "it has no worksheet";
    return nullptr;
}

}  // namespace

Worksheet ReadFirstWorksheet(const std::string& bytes, WorkbookKind kind, const std::string& name) {
    const std::string what = name + ": not a readable " + KindName(kind) + " workbook";
    const auto refuse = [&](const std::string& cause) {
        return Error::Placed(what + " (" + cause + ")", name, 0, "");
    };
    std::vector<Part> parts;
    std::string fault = Unpack(bytes, parts);
    if (fault.empty() && kind == WorkbookKind::Xlsx) MakeReadable(parts);
    if (fault.empty()) fault = PartsFault(parts, kind);
    if (!fault.empty()) throw refuse(fault);
    // The importer reads the parts that were checked, packed again.
    const std::string package = ZipOf(parts);
    FirstSheetFactory factory;
    try {
        if (kind == WorkbookKind::Ods) {
            orcus::orcus_ods reader(&factory);
            reader.read_stream(package);
        } else {
            orcus::orcus_xlsx reader(&factory);
            reader.read_stream(package);
        }
    } catch (const std::exception& error) {
        throw refuse(FirstLine(error.what()));
    } catch (...) {
        throw Error::Placed(what, name, 0, "");
    }
    if (const char* cause = RecordedFault(factory)) throw refuse(cause);
    Worksheet sheet;
    if (!RowsOf(factory, sheet))
        throw refuse("its first worksheet holds more than a million cells");
    return sheet;
}

}  // namespace qvrfc
