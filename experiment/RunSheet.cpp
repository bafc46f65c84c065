#include "qvrfc/experiment/RunSheet.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>

#include "qvrfc/common/QVRFCConstants.h"
#include "qvrfc/experiment/Csv.h"
#include "qvrfc/experiment/FileWriting.h"
#include "qvrfc/experiment/Workbook.h"

namespace qvrfc {
namespace {

const char* const kRunColumn = "run";
const char* const kOrderColumn = "order";
constexpr int kFixedColumns = 2;
// Cell texts longer than this are cut in messages: a cell may hold megabytes.
constexpr size_t kShownCell = 40;
// How far IsRunSheetFile looks for the header.
constexpr size_t kHeaderLimit = 1 << 20;

// "'text'", cut after kShownCell bytes (at a character's start) with "...".
std::string Quoted(const std::string& text) {
    if (text.size() <= kShownCell) return "'" + text + "'";
    size_t cut = kShownCell;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    return "'" + text.substr(0, cut) + "...'";
}

// How a cell reads as a number.
enum class Reading { Number, NotNumber, NotFinite, AboveMissing };

// The records of a sheet: of a CSV text, or of a workbook's first worksheet, whose cells are
// named by their references and may be held as text.
struct SheetRecords {
    std::vector<CsvRecord> records;
    std::vector<std::vector<bool>> text;  // per record and cell; empty for CSV
    std::string worksheet;                // empty for CSV
    char separator = ',';
};

// Matches a filled sheet to its experiment column by column, then row by row.
class SheetReader {
  public:
    SheetReader(const Experiment& experiment, const std::string& name)
        : m_experiment(experiment), m_name(name) {
        CheckExperiment(m_experiment);
        m_header = RunSheetHeader(experiment);
        m_observations = ObservationCount(experiment);
        for (size_t c = 0; c < m_header.size(); ++c)
            m_columnOf.emplace(m_header[c], c);
    }

    SheetObservations Read(const SheetRecords& sheet) {
        m_separator = sheet.separator;
        m_worksheet = sheet.worksheet;
        const std::vector<CsvRecord>& records = sheet.records;
        if (records.empty()) throw At(0, "", m_name + ": the run sheet is empty");
        MapColumns(records[0]);
        const int runs = m_experiment.RunCount();
        SheetObservations values(m_experiment.responses.size(),
                                 std::vector<std::vector<double>>(runs));
        std::vector<int> rowOfRun(runs, 0);
        for (size_t i = 1; i < records.size(); ++i) {
            m_text = i < sheet.text.size() ? &sheet.text[i] : nullptr;
            ReadRow(records[i], rowOfRun, values);
        }
        for (int r = 0; r < runs; ++r) {
            if (rowOfRun[r] == 0)
                throw At(0, "",
                         m_name + ": run " + std::to_string(r + 1) + " has no row in the sheet");
        }
        return values;
    }

  private:
    // A failure whose text names the sheet and the row (from 1; 0 for none), of the column
    // named `key` ("" for none).
    Error At(int row, const std::string& key, const std::string& text) const {
        return Error::Placed(text, m_name, row, key);
    }

    // "row 7, column 6" of a CSV text, "Runs!F7" of a workbook.
    std::string Place(int row, size_t column) const {
        if (!m_worksheet.empty()) return CellReference(m_worksheet, row, column);
        return "row " + std::to_string(row) + ", column " + std::to_string(column + 1);
    }

    [[noreturn]] void FailAt(int row, size_t column, const std::string& name,
                             const std::string& cause) const {
        throw At(row, name, m_name + ": " + Place(row, column) + " " + Quoted(name) + ": " + cause);
    }

    [[noreturn]] void Fail(int row, int column, const std::string& cause) const {
        FailAt(row, static_cast<size_t>(column), ColumnName(column), cause);
    }

    std::string ColumnName(int column) const {
        const int expected = m_fileColumn[static_cast<size_t>(column)];
        return expected < 0 ? kNotesColumn : m_header[static_cast<size_t>(expected)];
    }

    static bool HoldsNul(const std::string& cell) { return cell.find('\0') != std::string::npos; }

    // m_fileColumn[c]: the sheet's column c as a column of the header the sheet should have;
    // -1 for the notes column, which is passed over.
    void MapColumns(const CsvRecord& header) {
        std::vector<bool> found(m_header.size(), false);
        bool notes = false;
        for (size_t c = 0; c < header.cells.size(); ++c) {
            const std::string name = TrimBlanks(header.cells[c]);
            if (HoldsNul(name))
                throw At(header.row, "",
                         m_name + ": " + Place(header.row, c) + ": the cell holds a NUL byte");
            const auto expected = m_columnOf.find(name);
            if (expected == m_columnOf.end() && name == kNotesColumn && !notes) {
                notes = true;
                m_fileColumn.push_back(-1);
                continue;
            }
            if (expected == m_columnOf.end() || found[expected->second])
                FailAt(header.row, c, name,
                       expected == m_columnOf.end() ? "not a column of the sheet"
                                                    : "the column is given twice");
            found[expected->second] = true;
            m_fileColumn.push_back(static_cast<int>(expected->second));
            if (expected->second == 0) m_runColumn = static_cast<int>(c);
        }
        for (size_t expected = 0; expected < m_header.size(); ++expected) {
            if (!found[expected])
                throw At(header.row, m_header[expected],
                         m_name + ": row " + std::to_string(header.row) + ": the column '" +
                             m_header[expected] + "' is missing");
        }
    }

    void ReadRow(const CsvRecord& record, std::vector<int>& rowOfRun, SheetObservations& values) {
        if (record.cells.size() > m_fileColumn.size())
            throw At(record.row, "",
                     m_name + ": row " + std::to_string(record.row) + ": " +
                         std::to_string(record.cells.size()) + " cells, the header has " +
                         std::to_string(m_fileColumn.size()));
        std::vector<std::string> cells(m_header.size());
        for (size_t c = 0; c < record.cells.size(); ++c) {
            if (HoldsNul(record.cells[c]))
                Fail(record.row, static_cast<int>(c), "the cell holds a NUL byte");
            if (m_fileColumn[c] >= 0) cells[m_fileColumn[c]] = TrimBlanks(record.cells[c]);
        }
        const int run = RunOf(record.row, cells, rowOfRun);
        for (size_t c = 0; c < m_fileColumn.size(); ++c) {
            if (m_fileColumn[c] < 0) continue;
            const bool text = m_text && c < m_text->size() && (*m_text)[c];
            ReadCell(record.row, static_cast<int>(c), run, cells[m_fileColumn[c]], text, values);
        }
    }

    // The cell with a decimal comma as a point, in a sheet separated by ';'.
    std::string Decimal(const std::string& cell) const {
        std::string text = cell;
        const size_t comma = text.find(',');
        if (m_separator == ';' && comma != std::string::npos && text.rfind(',') == comma &&
            text.find('.') == std::string::npos)
            text[comma] = '.';
        return text;
    }

    Reading Number(const std::string& cell, double& value) const {
        const std::string text = Decimal(cell);
        if (ParseNumber(text, value))
            return IsMissing(value) ? Reading::AboveMissing : Reading::Number;
        char* end = nullptr;
        const double number = std::strtod(text.c_str(), &end);
        const bool whole = !text.empty() && end == text.c_str() + text.size() &&
                           text.find_first_of("xX") == std::string::npos;
        return whole && std::isinf(number) ? Reading::NotFinite : Reading::NotNumber;
    }

    // A workbook's number cell of a numeric factor: the spreadsheet's own reading of a long
    // decimal may differ from the level's in the last bits.
    bool NearLevel(const Factor& factor, int level, const std::string& cell, bool text) const {
        double value = 0.0;
        if (m_worksheet.empty() || text || !factor.IsNumeric() || !ParseNumber(cell, value))
            return false;
        const double setting = factor.LevelValue(level);
        return std::fabs(value - setting) <= 1e-12 * std::fabs(setting);
    }

    bool WholeNumber(const std::string& cell, double& value) const {
        return Number(cell, value) == Reading::Number && value == std::floor(value);
    }

    int RunOf(int row, const std::vector<std::string>& cells, std::vector<int>& rowOfRun) const {
        const int column = m_runColumn;
        double number = 0.0;
        const int runs = m_experiment.RunCount();
        if (!WholeNumber(cells[0], number) || number < 1 || number > runs)
            Fail(row, column, Quoted(cells[0]) + " is not a run from 1 to " + std::to_string(runs));
        const int run = static_cast<int>(number) - 1;
        if (rowOfRun[run] != 0)
            Fail(row, column,
                 "run " + std::to_string(run + 1) + " is in row " + std::to_string(rowOfRun[run]) +
                     " already");
        rowOfRun[run] = row;
        return run;
    }

    void ReadCell(int row, int column, int run, const std::string& cell, bool text,
                  SheetObservations& values) const {
        const int expected = m_fileColumn[column];
        const int factors = static_cast<int>(m_experiment.factors.size());
        if (expected == 0) return;
        if (expected == 1) {
            double order = 0.0;
            if (!WholeNumber(cell, order) || order < 1 || order > m_experiment.RunCount() ||
                m_experiment.runOrder[static_cast<size_t>(order) - 1] != run + 1)
                Fail(row, column,
                     Quoted(cell) + " is not the place of run " + std::to_string(run + 1) +
                         " in the run order");
            return;
        }
        if (expected < kFixedColumns + factors) {
            const int f = expected - kFixedColumns;
            const Factor& factor = m_experiment.factors[f];
            const int level = m_experiment.Level(run, f);
            if (factor.LevelOf(factor.IsNumeric() ? Decimal(cell) : cell) != level &&
                !NearLevel(factor, level, cell, text))
                Fail(row, column,
                     Quoted(cell) + " differs from the design's setting '" + factor.levels[level] +
                         "' of run " + std::to_string(run + 1));
            return;
        }
        const int perResponse = m_observations;
        const int slot = expected - kFixedColumns - factors;
        double value = std::nan("");
        if (text && !cell.empty())
            Fail(row, column, Quoted(cell) + " is text, not a number (observations are numbers)");
        if (!cell.empty()) {
            switch (Number(cell, value)) {
                case Reading::Number:
                    break;
                case Reading::NotNumber:
                    Fail(row, column, Quoted(cell) + " is not a number");
                case Reading::NotFinite:
                    Fail(row, column, Quoted(cell) + " is not a finite number");
                case Reading::AboveMissing:
                    Fail(row, column,
                         Quoted(cell) +
                             " is above 1e12, the mark of a missing observation (leave the "
                             "cell of a missing observation empty)");
            }
        }
        std::vector<double>& observations = values[slot / perResponse][run];
        observations.resize(perResponse, std::nan(""));
        observations[slot % perResponse] = value;
    }

    const Experiment& m_experiment;
    const std::string& m_name;
    std::vector<std::string> m_header;
    std::map<std::string, size_t> m_columnOf;  // header -> its column
    int m_observations = 0;                    // per run and response
    std::vector<int> m_fileColumn;
    int m_runColumn = 0;
    char m_separator = ',';
    std::string m_worksheet;
    const std::vector<bool>* m_text = nullptr;  // of the row read
};

}  // namespace

// "Yield 2"; with noise factors "Yield Humidity=low 2" (no number for one repetition); with a
// signal factor "Deflection Load=10 Temp=cold 1" likewise.
std::vector<std::string> ObservationNames(const Experiment& experiment, int response) {
    const std::string& name = experiment.responses[response].name;
    const int count = ObservationCount(experiment);
    const int repetitions = experiment.repetitions;
    std::vector<std::string> names;
    if (experiment.noise.empty() && !experiment.signal) {
        for (int k = 0; k < count; ++k)
            names.push_back(name + " " + std::to_string(k + 1));
        return names;
    }
    std::vector<std::string> conditions;
    for (size_t c = 0; c < NoiseConditions(experiment).size(); ++c)
        conditions.push_back(experiment.noise.empty()
                                 ? ""
                                 : " " + NoiseConditionText(experiment, static_cast<int>(c)));
    const std::vector<std::string> signal =
        experiment.signal ? LevelTexts(experiment.signal->levels) : std::vector<std::string>();
    const int perLevel = static_cast<int>(conditions.size()) * repetitions;
    for (int k = 0; k < count; ++k) {
        std::string label = name;
        if (experiment.signal) label += " " + experiment.signal->name + "=" + signal[k / perLevel];
        label += conditions[k / repetitions % conditions.size()];
        names.push_back(repetitions == 1 ? label
                                         : label + " " + std::to_string(k % repetitions + 1));
    }
    return names;
}

std::string ObservationName(const Experiment& experiment, int response, int k) {
    return ObservationNames(experiment, response)[k];
}

std::vector<std::string> RunSheetHeader(const Experiment& experiment) {
    std::vector<std::string> header = {kRunColumn, kOrderColumn};
    for (const Factor& factor : experiment.factors)
        header.push_back(factor.name);
    for (size_t r = 0; r < experiment.responses.size(); ++r) {
        for (std::string& name : ObservationNames(experiment, static_cast<int>(r)))
            header.push_back(std::move(name));
    }
    return header;
}

std::vector<std::vector<std::string>> RunSheetRows(const Experiment& experiment) {
    const size_t width = RunSheetHeader(experiment).size();
    std::vector<std::vector<std::string>> rows;
    std::vector<std::vector<std::string>> texts;
    for (const Factor& factor : experiment.factors)
        texts.push_back(LevelTexts(factor.levels));
    for (size_t place = 0; place < experiment.runOrder.size(); ++place) {
        const int run = experiment.runOrder[place] - 1;
        std::vector<std::string> row = {std::to_string(run + 1), std::to_string(place + 1)};
        for (size_t f = 0; f < experiment.factors.size(); ++f)
            row.push_back(texts[f][experiment.Level(run, static_cast<int>(f))]);
        row.resize(width);
        rows.push_back(row);
    }
    return rows;
}

std::string RunSheetText(const Experiment& experiment) {
    std::string text = CsvLine(RunSheetHeader(experiment));
    for (const std::vector<std::string>& row : RunSheetRows(experiment))
        text += CsvLine(row);
    return text;
}

void WriteRunSheet(const Experiment& experiment, const std::string& path) {
    CheckExperiment(experiment);
    WriteWholeFile(path, RunSheetText(experiment));
}

SheetObservations ReadRunSheet(const Experiment& experiment, const std::string& path) {
    WorkbookKind kind = WorkbookKind::Xlsx;
    if (WorkbookKindOf(path, kind))
        return ReadRunSheetWorkbook(experiment, ReadWholeFile(path, "run sheet"), kind, path);
    return ReadRunSheetText(experiment, ReadWholeFile(path, "run sheet"), path);
}

SheetObservations ReadRunSheetText(const Experiment& experiment, const std::string& text,
                                   const std::string& name) {
    SheetReader reader(experiment, name);
    SheetRecords sheet;
    sheet.separator = CsvSeparatorOf(text, kRunColumn) == ';' ? ';' : ',';
    sheet.records = ParseCsv(text, name, sheet.separator);
    return reader.Read(sheet);
}

SheetObservations ReadRunSheetWorkbook(const Experiment& experiment, const std::string& bytes,
                                       WorkbookKind kind, const std::string& name) {
    SheetReader reader(experiment, name);
    const Worksheet worksheet = ReadFirstWorksheet(bytes, kind, name);
    SheetRecords sheet;
    sheet.worksheet = worksheet.name.empty() ? "Sheet1" : worksheet.name;
    for (const WorksheetRow& row : worksheet.rows) {
        sheet.records.push_back({row.row, row.cells});
        sheet.text.push_back(row.text);
    }
    const bool runSheet =
        !sheet.records.empty() &&
        std::any_of(sheet.records[0].cells.begin(), sheet.records[0].cells.end(),
                    [](const std::string& cell) { return TrimBlanks(cell) == kRunColumn; });
    if (!runSheet)
        throw Error::Placed(name + ": the first worksheet '" + sheet.worksheet +
                                "' is not a run sheet (its first row has no column 'run')",
                            name, 0, "");
    return reader.Read(sheet);
}

bool IsRunSheetFile(const std::string& path) {
    // Only a regular file is opened: opening a FIFO, even without waiting, would let its
    // writer start and lose what it writes for the real reader.
    struct stat before;
    if (stat(path.c_str(), &before) != 0 || !S_ISREG(before.st_mode)) return false;
    const int file = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (file < 0) return false;
    struct stat status;
    std::string start;
    if (fstat(file, &status) == 0 && S_ISREG(status.st_mode)) {
        start.resize(kHeaderLimit);
        size_t got = 0;
        while (got < start.size()) {
            const ssize_t n = read(file, &start[got], start.size() - got);
            if (n <= 0) break;
            got += static_cast<size_t>(n);
        }
        start.resize(got);
    }
    close(file);
    WorkbookKind kind = WorkbookKind::Xlsx;
    if (WorkbookKindOf(path, kind)) return start.compare(0, 4, "PK\x03\x04") == 0;
    return !start.empty() && CsvSeparatorOf(start, kRunColumn) != 0;
}

}  // namespace qvrfc
