// The empty run sheet as an .xlsx workbook, made with libxlsxwriter. The library writes to a
// file by name: it writes the temporary of a file set that is never committed, and the bytes
// are read back from it.
#include <xlsxwriter.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "qvrfc/arrays/OACatalogueFacts.h"
#include "qvrfc/common/QVRFCFileSet.h"
#include "qvrfc/experiment/FileWriting.h"
#include "qvrfc/experiment/RunSheet.h"
#include "qvrfc/experiment/Workbook.h"

namespace qvrfc {
namespace {

constexpr size_t kWorkbookColumns = 16384;
constexpr double kLargestObservation = 1e12;
// The workbook's creation time, fixed so that the same design gives the same bytes.
constexpr time_t kCreated = 1767225600;  // 2026-01-01T00:00:00Z

class Workbook {
  public:
    explicit Workbook(const std::string& path) {
        lxw_workbook_options options = {};
        m_book = workbook_new_opt(path.c_str(), &options);
        if (!m_book) throw Error("cannot make the run sheet's workbook");
        lxw_doc_properties properties = {};
        properties.title = const_cast<char*>("Run sheet");
        properties.created = kCreated;
        workbook_set_properties(m_book, &properties);
        m_header = workbook_add_format(m_book);
        format_set_bold(m_header);
        format_set_bottom(m_header, LXW_BORDER_THIN);
        m_fixed = workbook_add_format(m_book);
        format_set_bg_color(m_fixed, 0xE7E6E6);
        m_open = workbook_add_format(m_book);
        format_set_unlocked(m_open);
    }
    ~Workbook() {
        if (m_book) workbook_close(m_book);
    }
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;

    lxw_worksheet* Add(const char* name) {
        lxw_worksheet* sheet = workbook_add_worksheet(m_book, name);
        if (!sheet) throw Error("cannot add a worksheet to the run sheet's workbook");
        return sheet;
    }
    void Close() {
        const lxw_error status = workbook_close(m_book);
        m_book = nullptr;
        Check(status);
    }
    static void Check(lxw_error status) {
        if (status != LXW_NO_ERROR)
            throw Error(std::string("cannot write the run sheet's workbook: ") +
                        lxw_strerror(status));
    }

    lxw_format *m_header = nullptr, *m_fixed = nullptr, *m_open = nullptr;

  private:
    lxw_workbook* m_book = nullptr;
};

// A number (of the run, the order or a numeric factor) as a number cell when every spreadsheet
// reads it back (up to 15 significant digits, from 1e-300 to 1e300), else as its text, which the
// reader takes as the same number; a labelled factor's level ("1.0" of 1.0, "steel") as text.
void WriteSetting(lxw_worksheet* sheet, int row, int column, const std::string& text, bool numeric,
                  lxw_format* format) {
    double value = 0.0;
    char kept[40];
    if (numeric && ParseNumber(text, value) &&
        (value == 0.0 || (std::fabs(value) >= 1e-300 && std::fabs(value) <= 1e300))) {
        std::snprintf(kept, sizeof kept, "%.15g", value);
        if (std::strtod(kept, nullptr) == value) {
            Workbook::Check(worksheet_write_number(sheet, row, column, value, format));
            return;
        }
    }
    Workbook::Check(worksheet_write_string(sheet, row, column, text.c_str(), format));
}

void WriteRuns(Workbook& book, lxw_worksheet* sheet, const Experiment& experiment) {
    std::vector<std::string> header = RunSheetHeader(experiment);
    header.push_back(kNotesColumn);
    if (header.size() > kWorkbookColumns)
        throw Error("the run sheet has " + std::to_string(header.size()) +
                    " columns, more than a workbook's " + std::to_string(kWorkbookColumns) +
                    "; write it as CSV");
    const int firstObservation = 2 + static_cast<int>(experiment.factors.size());
    const int notes = static_cast<int>(header.size()) - 1;
    for (size_t c = 0; c < header.size(); ++c) {
        Workbook::Check(worksheet_write_string(sheet, 0, static_cast<lxw_col_t>(c),
                                               header[c].c_str(), book.m_header));
        const double width = std::min(60.0, std::max(8.0, header[c].size() + 2.0));
        Workbook::Check(worksheet_set_column(sheet, static_cast<lxw_col_t>(c),
                                             static_cast<lxw_col_t>(c), width, nullptr));
    }
    const std::vector<std::vector<std::string>> rows = RunSheetRows(experiment);
    std::vector<bool> numeric = {true, true};  // run, order, then each factor
    for (const Factor& factor : experiment.factors)
        numeric.push_back(factor.IsNumeric());
    for (size_t r = 0; r < rows.size(); ++r) {
        const int row = static_cast<int>(r) + 1;
        for (int c = 0; c < firstObservation; ++c)
            WriteSetting(sheet, row, c, rows[r][static_cast<size_t>(c)], numeric[c], book.m_fixed);
        for (int c = firstObservation; c <= notes; ++c)
            Workbook::Check(worksheet_write_blank(sheet, row, c, book.m_open));
    }
    if (notes > firstObservation && !rows.empty()) {
        lxw_data_validation validation = {};
        validation.validate = LXW_VALIDATION_TYPE_DECIMAL;
        validation.criteria = LXW_VALIDATION_CRITERIA_BETWEEN;
        validation.minimum_number = -kLargestObservation;
        validation.maximum_number = kLargestObservation;
        validation.error_title = const_cast<char*>("Observation");
        validation.error_message = const_cast<char*>(
            "An observation is a number (leave the cell of a missing one empty).");
        Workbook::Check(worksheet_data_validation_range(sheet, 1, firstObservation,
                                                        static_cast<lxw_row_t>(rows.size()),
                                                        notes - 1, &validation));
    }
    worksheet_freeze_panes(sheet, 1, 0);
    lxw_protection protection = {};
    protection.format_columns = 1;
    worksheet_protect(sheet, nullptr, &protection);
}

void WriteLine(lxw_worksheet* sheet, int& row, const std::vector<std::string>& cells,
               lxw_format* format = nullptr) {
    for (size_t c = 0; c < cells.size(); ++c)
        Workbook::Check(worksheet_write_string(sheet, row, static_cast<lxw_col_t>(c),
                                               cells[c].c_str(), c == 0 ? format : nullptr));
    ++row;
}

std::string Joined(const std::vector<std::string>& texts) {
    std::string joined;
    for (const std::string& text : texts)
        joined += (joined.empty() ? "" : ", ") + text;
    return joined;
}

void WriteDescription(Workbook& book, lxw_worksheet* sheet, const Experiment& experiment) {
    int row = 0;
    WriteLine(sheet, row,
              {"Experiment",
               "The runs are on the first worksheet; analyze reads it "
               "with experiment.toml beside it."},
              book.m_header);
    WriteLine(
        sheet, row,
        {"array", ArrayName(experiment.array), std::to_string(experiment.RunCount()) + " runs"});
    WriteLine(sheet, row,
              {"run order", experiment.randomized
                                ? "randomized with seed " + std::to_string(experiment.seed)
                                : "in run number order"});
    WriteLine(sheet, row, {"repetitions", std::to_string(experiment.repetitions)});
    for (const Factor& factor : experiment.factors)
        WriteLine(sheet, row,
                  {"factor", factor.name, factor.unit, Joined(LevelTexts(factor.levels)),
                   "column " + std::to_string(factor.column + 1)});
    for (const ExperimentResponse& response : experiment.responses)
        WriteLine(sheet, row,
                  {"response", response.name, response.unit, response.KindName(),
                   std::isfinite(response.target) ? "target " + NumberText(response.target) : ""});
    for (const NoiseFactor& noise : experiment.noise)
        WriteLine(sheet, row, {"noise", noise.name, "", Joined(noise.levels)});
    if (!experiment.noise.empty())
        WriteLine(sheet, row, {"outer array", OuterArrayText(experiment)});
    if (experiment.signal)
        WriteLine(sheet, row,
                  {"signal", experiment.signal->name, experiment.signal->unit,
                   Joined(LevelTexts(experiment.signal->levels))});
    Workbook::Check(worksheet_set_column(sheet, 0, 0, 14, nullptr));
    Workbook::Check(worksheet_set_column(sheet, 1, 4, 24, nullptr));
}

}  // namespace

std::string RunSheetWorkbook(const Experiment& experiment) {
    CheckExperiment(experiment);
    std::error_code ignored;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(ignored);
    FileSet scratch;  // never committed: its temporary is removed with it
    const std::string path = scratch.Stage(
        (folder.empty() ? std::filesystem::path("/tmp") : folder) / "qvrfc-runsheet.xlsx");
    {
        Workbook book(path);
        WriteRuns(book, book.Add("Runs"), experiment);
        WriteDescription(book, book.Add("Experiment"), experiment);
        book.Close();
    }
    return ReadWholeFile(path, "run sheet's workbook");
}

}  // namespace qvrfc
