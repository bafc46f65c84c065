#include "qvrfc/experiment/Csv.h"

#include <algorithm>

#include "qvrfc/experiment/Experiment.h"

namespace qvrfc {
namespace {

bool NeedsQuotes(const std::string& cell) {
    return cell.find_first_of(",\"\r\n") != std::string::npos ||
           (!cell.empty() && (cell.front() == ' ' || cell.back() == ' '));
}

bool IsBlank(const std::vector<std::string>& cells) {
    return std::all_of(cells.begin(), cells.end(),
                       [](const std::string& cell) { return TrimBlanks(cell).empty(); });
}

// Reads records one character at a time; `m_row` counts records, as spreadsheets number rows
// (a line end inside a quoted cell stays in its record).
class CsvParser {
  public:
    CsvParser(const std::string& text, const std::string& name, char separator)
        : m_text(text), m_name(name), m_separator(separator) {
        if (m_text.compare(0, 3, "\xEF\xBB\xBF") == 0) m_at = 3;
    }

    // The next record that is not blank; false at the end of the text.
    bool Next(CsvRecord& record) {
        while (m_at < m_text.size()) {
            ++m_row;
            record = {m_row, Record()};
            if (!IsBlank(record.cells)) return true;
        }
        return false;
    }

  private:
    std::vector<std::string> Record() {
        std::vector<std::string> cells;
        for (;;) {
            cells.push_back(Cell());
            if (m_at >= m_text.size()) return cells;
            const char end = m_text[m_at++];
            if (end == m_separator) continue;
            if (end == '\r' && m_at < m_text.size() && m_text[m_at] == '\n') ++m_at;
            return cells;
        }
    }

    std::string Cell() {
        if (m_at < m_text.size() && m_text[m_at] == '"') return QuotedCell();
        const size_t start = m_at;
        while (m_at < m_text.size() && !IsCellEnd(m_text[m_at])) {
            if (m_text[m_at] == '"') Fail("a quote inside a cell that does not start with one");
            ++m_at;
        }
        return m_text.substr(start, m_at - start);
    }

    std::string QuotedCell() {
        std::string cell;
        for (++m_at;; ++m_at) {
            if (m_at >= m_text.size()) Fail("a quoted cell is not closed");
            const char c = m_text[m_at];
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

    bool IsCellEnd(char c) const { return c == m_separator || c == '\r' || c == '\n'; }

    [[noreturn]] void Fail(const std::string& cause) const {
        throw Error::Placed(m_name + ": row " + std::to_string(m_row) + ": " + cause, m_name, m_row,
                            "");
    }

    const std::string& m_text;
    const std::string& m_name;
    const char m_separator;
    size_t m_at = 0;
    int m_row = 0;
};

}  // namespace

std::vector<CsvRecord> ParseCsv(const std::string& text, const std::string& name, char separator) {
    std::vector<CsvRecord> records;
    CsvParser parser(text, name, separator);
    for (CsvRecord record; parser.Next(record);)
        records.push_back(std::move(record));
    return records;
}

char CsvSeparatorOf(const std::string& text, const std::string& cell) {
    for (const char separator : {',', ';'}) {
        CsvRecord first;
        try {
            if (!CsvParser(text, "", separator).Next(first)) return 0;
        } catch (const ExperimentError&) {
            continue;
        }
        for (const std::string& candidate : first.cells) {
            if (TrimBlanks(candidate) == cell) return separator;
        }
    }
    return 0;
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
