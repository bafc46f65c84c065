#include "experiment/RunSheet.h"

#include <cmath>

#include "experiment/Csv.h"
#include "experiment/FileWriting.h"

namespace qvrfc {
namespace {

const char* const kRunColumn = "run";
const char* const kOrderColumn = "order";
constexpr int kFixedColumns = 2;

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Matches a filled sheet to its experiment column by column, then row by row.
class SheetReader {
  public:
    SheetReader(const Experiment& experiment, const std::string& path)
        : m_experiment(experiment), m_path(path), m_header(RunSheetHeader(experiment)) {}

    SheetObservations Read() {
        CheckExperiment(m_experiment);
        const std::vector<CsvRecord> records = ParseCsv(ReadWholeFile(m_path, "run sheet"), m_path);
        if (records.empty()) throw ExperimentError(m_path + ": the run sheet is empty");
        MapColumns(records[0]);
        const int runs = m_experiment.RunCount();
        SheetObservations values(m_experiment.responses.size(),
                                 std::vector<std::vector<double>>(runs));
        std::vector<int> rowOfRun(runs, 0);
        for (size_t i = 1; i < records.size(); ++i)
            ReadRow(records[i], rowOfRun, values);
        for (int r = 0; r < runs; ++r) {
            if (rowOfRun[r] == 0)
                throw ExperimentError(m_path + ": run " + std::to_string(r + 1) +
                                      " has no row in the sheet");
        }
        return values;
    }

  private:
    [[noreturn]] void Fail(int row, int column, const std::string& cause) const {
        throw ExperimentError(m_path + ": row " + std::to_string(row) + ", column " +
                              std::to_string(column + 1) + " '" + m_header[m_fileColumn[column]] +
                              "': " + cause);
    }

    // m_fileColumn[c]: the sheet's column c as a column of the header the sheet should have.
    void MapColumns(const CsvRecord& header) {
        std::vector<bool> found(m_header.size(), false);
        for (size_t c = 0; c < header.cells.size(); ++c) {
            const std::string name = Trimmed(header.cells[c]);
            size_t expected = 0;
            while (expected < m_header.size() && m_header[expected] != name)
                ++expected;
            if (expected == m_header.size() || found[expected])
                throw ExperimentError(m_path + ": row " + std::to_string(header.row) + ", column " +
                                      std::to_string(c + 1) + " '" + name + "': " +
                                      (expected == m_header.size() ? "not a column of the sheet"
                                                                   : "the column is given twice"));
            found[expected] = true;
            m_fileColumn.push_back(static_cast<int>(expected));
        }
        for (size_t expected = 0; expected < m_header.size(); ++expected) {
            if (!found[expected])
                throw ExperimentError(m_path + ": row " + std::to_string(header.row) +
                                      ": the column '" + m_header[expected] + "' is missing");
        }
    }

    void ReadRow(const CsvRecord& record, std::vector<int>& rowOfRun, SheetObservations& values) {
        if (record.cells.size() > m_fileColumn.size())
            throw ExperimentError(m_path + ": row " + std::to_string(record.row) + ": " +
                                  std::to_string(record.cells.size()) + " cells, the header has " +
                                  std::to_string(m_fileColumn.size()));
        std::vector<std::string> cells(m_header.size());
        for (size_t c = 0; c < record.cells.size(); ++c)
            cells[m_fileColumn[c]] = Trimmed(record.cells[c]);
        const int run = RunOf(record.row, cells, rowOfRun);
        for (size_t c = 0; c < m_fileColumn.size(); ++c)
            ReadCell(record.row, static_cast<int>(c), run, cells[m_fileColumn[c]], values);
    }

    int RunOf(int row, const std::vector<std::string>& cells, std::vector<int>& rowOfRun) const {
        const int column = SheetColumn(0);
        double number = 0.0;
        const int runs = m_experiment.RunCount();
        if (!ParseNumber(cells[0], number) || number != std::floor(number) || number < 1 ||
            number > runs)
            Fail(row, column, "'" + cells[0] + "' is not a run from 1 to " + std::to_string(runs));
        const int run = static_cast<int>(number) - 1;
        if (rowOfRun[run] != 0)
            Fail(row, column,
                 "run " + cells[0] + " is in row " + std::to_string(rowOfRun[run]) + " already");
        rowOfRun[run] = row;
        return run;
    }

    int SheetColumn(int headerColumn) const {
        for (size_t c = 0; c < m_fileColumn.size(); ++c) {
            if (m_fileColumn[c] == headerColumn) return static_cast<int>(c);
        }
        return -1;
    }

    void ReadCell(int row, int column, int run, const std::string& cell,
                  SheetObservations& values) const {
        const int expected = m_fileColumn[column];
        const int factors = static_cast<int>(m_experiment.factors.size());
        if (expected == 0) return;
        if (expected == 1) {
            double order = 0.0;
            if (!ParseNumber(cell, order) || order != std::floor(order) || order < 1 ||
                order > m_experiment.RunCount() ||
                m_experiment.runOrder[static_cast<size_t>(order) - 1] != run + 1)
                Fail(row, column,
                     "'" + cell + "' is not the place of run " + std::to_string(run + 1) +
                         " in the run order");
            return;
        }
        if (expected < kFixedColumns + factors) {
            const int f = expected - kFixedColumns;
            const Factor& factor = m_experiment.factors[f];
            const int level = m_experiment.Level(run, f);
            if (factor.LevelOf(cell) != level)
                Fail(row, column,
                     "'" + cell + "' differs from the design's setting '" + factor.levels[level] +
                         "' of run " + std::to_string(run + 1));
            return;
        }
        const int perResponse = ObservationCount(m_experiment);
        const int slot = expected - kFixedColumns - factors;
        double value = std::nan("");
        if (!cell.empty() && !ParseNumber(cell, value))
            Fail(row, column, "'" + cell + "' is not a number");
        std::vector<double>& observations = values[slot / perResponse][run];
        observations.resize(perResponse, std::nan(""));
        observations[slot % perResponse] = value;
    }

    const Experiment& m_experiment;
    const std::string& m_path;
    const std::vector<std::string> m_header;
    std::vector<int> m_fileColumn;
};

}  // namespace

std::string ObservationName(const Experiment& experiment, int response, int k) {
    const std::string& name = experiment.responses[response].name;
    const int repetitions = experiment.repetitions;
    if (experiment.noise.empty()) return name + " " + std::to_string(k + 1);
    const std::string condition = name + " " + NoiseConditionText(experiment, k / repetitions);
    return repetitions == 1 ? condition : condition + " " + std::to_string(k % repetitions + 1);
}

std::vector<std::string> RunSheetHeader(const Experiment& experiment) {
    std::vector<std::string> header = {kRunColumn, kOrderColumn};
    for (const Factor& factor : experiment.factors)
        header.push_back(factor.name);
    const int observations = ObservationCount(experiment);
    for (size_t r = 0; r < experiment.responses.size(); ++r) {
        for (int k = 0; k < observations; ++k)
            header.push_back(ObservationName(experiment, static_cast<int>(r), k));
    }
    return header;
}

std::vector<std::vector<std::string>> RunSheetRows(const Experiment& experiment) {
    const size_t width = RunSheetHeader(experiment).size();
    std::vector<std::vector<std::string>> rows;
    for (size_t place = 0; place < experiment.runOrder.size(); ++place) {
        const int run = experiment.runOrder[place] - 1;
        std::vector<std::string> row = {std::to_string(run + 1), std::to_string(place + 1)};
        for (size_t f = 0; f < experiment.factors.size(); ++f)
            row.push_back(experiment.factors[f].levels[experiment.Level(run, static_cast<int>(f))]);
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
    return SheetReader(experiment, path).Read();
}

}  // namespace qvrfc
