#include "experiment/Csv.h"

#include "experiment/Experiment.h"

namespace qvrfc {
namespace {

bool NeedsQuotes(const std::string& cell) {
    return cell.find_first_of(",\"\r\n") != std::string::npos ||
           (!cell.empty() && (cell.front() == ' ' || cell.back() == ' '));
}

// Reads records one character at a time; `m_row` counts records, as spreadsheets number rows.
class CsvParser {
  public:
    CsvParser(const std::string& text, const std::string& name) : m_text(text), m_name(name) {
        if (m_text.compare(0, 3, "\xEF\xBB\xBF") == 0) m_at = 3;
    }

    std::vector<CsvRecord> Records() {
        std::vector<CsvRecord> records;
        while (m_at < m_text.size()) {
            ++m_row;
            CsvRecord record{m_row, Record()};
            if (record.cells.size() > 1 || !record.cells[0].empty()) records.push_back(record);
        }
        return records;
    }

  private:
    std::vector<std::string> Record() {
        std::vector<std::string> cells;
        for (;;) {
            cells.push_back(Cell());
            if (m_at >= m_text.size()) return cells;
            const char end = m_text[m_at++];
            if (end == ',') continue;
            if (end == '\r' && m_at < m_text.size() && m_text[m_at] == '\n') ++m_at;
            return cells;
        }
    }

    std::string Cell() {
        std::string cell;
        if (m_at < m_text.size() && m_text[m_at] == '"') return QuotedCell();
        while (m_at < m_text.size() && !IsCellEnd(m_text[m_at])) {
            if (m_text[m_at] == '"') Fail("a quote inside a cell that does not start with one");
            cell += m_text[m_at++];
        }
        return cell;
    }

    std::string QuotedCell() {
        const int row = m_row;
        std::string cell;
        for (++m_at;; ++m_at) {
            if (m_at >= m_text.size()) Fail("a quoted cell is not closed", row);
            const char c = m_text[m_at];
            if (c == '\n') ++m_row;
            if (c != '"') {
                cell += c;
            } else if (m_at + 1 < m_text.size() && m_text[m_at + 1] == '"') {
                cell += '"';
                ++m_at;
            } else {
                break;
            }
        }
        ++m_at;
        if (m_at < m_text.size() && !IsCellEnd(m_text[m_at]))
            Fail("text after the closing quote of a cell");
        return cell;
    }

    static bool IsCellEnd(char c) { return c == ',' || c == '\r' || c == '\n'; }

    [[noreturn]] void Fail(const std::string& cause, int row = 0) const {
        throw ExperimentError(m_name + ": row " + std::to_string(row ? row : m_row) + ": " + cause);
    }

    const std::string& m_text;
    const std::string& m_name;
    size_t m_at = 0;
    int m_row = 0;
};

}  // namespace

std::vector<CsvRecord> ParseCsv(const std::string& text, const std::string& name) {
    return CsvParser(text, name).Records();
}

std::string CsvLine(const std::vector<std::string>& cells) {
    std::string line;
    for (size_t i = 0; i < cells.size(); ++i) {
        if (i > 0) line += ',';
        if (!NeedsQuotes(cells[i])) {
            line += cells[i];
            continue;
        }
        line += '"';
        for (char c : cells[i])
            line += c == '"' ? std::string("\"\"") : std::string(1, c);
        line += '"';
    }
    return line + "\r\n";
}

}  // namespace qvrfc
