// Design from options: bytes decoded into the design command's options (factors whose levels
// are texts and numbers written every way a person writes them, responses of every kind, noise
// factors, an outer array, a signal, repetitions, the sheet format). Either the design refuses
// with a qvrfc::Error, or every file it makes reads back: the experiment file into the same
// experiment, the run sheet filled with numbers into the same numbers (CSV) or read empty
// (workbook), and every run of a dynamic response gives a slope from values that follow its
// signal. Anything else aborts.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "qvrfc/experiment/Csv.h"
#include "qvrfc/experiment/Design.h"
#include "qvrfc/experiment/ExperimentFile.h"
#include "qvrfc/experiment/RunSheet.h"
#include "qvrfc/inference/DynamicSn.h"

namespace {

// Bytes taken one at a time; 0 once they run out.
class Bytes {
  public:
    Bytes(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    int Next() { return m_at < m_size ? m_data[m_at++] : 0; }
    int Below(int count) { return Next() % count; }
    // A short text of the remaining bytes, cut at the first of them below 8.
    std::string Text() {
        std::string text;
        for (int length = Below(6); length > 0 && m_at < m_size && m_data[m_at] >= 8; --length)
            text += static_cast<char>(m_data[m_at++]);
        return text;
    }

  private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_at = 0;
};

const char* const kLevels[] = {"1",      "2",    "3",   "1.0", "2.0", "+1",     ".5",  "0.5",
                               "010",    "1e3",  "1E3", "0",   "-0",  "1e-320", "-2",  "1e200",
                               "1e-160", "30.0", "60",  "0.1", "low", "high",   "x y", "A"};
const char* const kKinds[] = {"larger",  "smaller",           "nominal1:5",     "smaller-textbook",
                              "dynamic", "dynamic-reference", "dynamic-linear", "dynamic:0.5"};
const char* const kOuter[] = {"", "", "full", "L4", "L8", "L9", "L12"};

std::string LevelList(Bytes& bytes, int count) {
    std::string list;
    for (int l = 0; l < count; ++l) {
        const int pick = bytes.Below(28);
        list += (l == 0 ? "" : ",") +
                (pick < 24 ? std::string(kLevels[pick]) : std::to_string(bytes.Next() - 100));
        if (bytes.Below(16) == 0) list += bytes.Text();
    }
    return list;
}

qvrfc::DesignOptions OptionsOf(Bytes& bytes) {
    qvrfc::DesignOptions options;
    const int factors = 1 + bytes.Below(4);
    for (int f = 0; f < factors; ++f)
        options.factors.push_back(std::string(1, static_cast<char>('A' + f)) + "=" +
                                  LevelList(bytes, 2 + bytes.Below(3)));
    const int responses = 1 + bytes.Below(2);
    for (int r = 0; r < responses; ++r)
        options.responses.push_back("Y" + std::to_string(r) + ":" + kKinds[bytes.Below(8)]);
    const int noise = bytes.Below(3);
    for (int n = 0; n < noise; ++n)
        options.noise.push_back("N" + std::to_string(n) + "=" +
                                LevelList(bytes, 2 + bytes.Below(2)));
    options.outer = kOuter[bytes.Below(7)];
    if (bytes.Below(2) == 1) options.signal = "M[u]=" + LevelList(bytes, 1 + bytes.Below(5));
    options.repetitions = 1 + bytes.Below(3);
    options.sheet = bytes.Below(4) == 0 ? "xlsx" : "csv";
    return options;
}

// The empty sheet with every observation cell filled: a value that follows the signal.
std::string Filled(const qvrfc::Experiment& experiment, Bytes& bytes,
                   std::vector<double>& written) {
    const std::vector<std::string> header = qvrfc::RunSheetHeader(experiment);
    const size_t first = 2 + experiment.factors.size();
    const std::vector<double> signal = qvrfc::SignalValues(experiment);
    std::string text = qvrfc::CsvLine(header);
    for (std::vector<std::string> row : qvrfc::RunSheetRows(experiment)) {
        for (size_t c = first; c < row.size(); ++c) {
            const size_t k = (c - first) % static_cast<size_t>(qvrfc::ObservationCount(experiment));
            const double scale = signal.empty() ? 1.0 : signal[k];
            const double value = scale * (1.0 + (bytes.Next() + 1) / 256.0);
            row[c] = qvrfc::NumberText(value);
            written.push_back(value);
        }
        text += qvrfc::CsvLine(row);
    }
    return text;
}

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "fuzz_design: %s\n", what.c_str());
    std::abort();
}

void CheckDynamicRuns(const qvrfc::Experiment& experiment, const qvrfc::SheetObservations& values) {
    const std::vector<double> signal = qvrfc::SignalValues(experiment);
    for (size_t r = 0; r < experiment.responses.size(); ++r) {
        if (!experiment.responses[r].dynamic) continue;
        for (const std::vector<double>& run : values[r]) {
            try {
                qvrfc::DynamicSnOfRun(signal, run, *experiment.responses[r].dynamic);
            } catch (const qvrfc::Error& error) {
                Fail(std::string("a dynamic run is refused: ") + error.what());
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    qvrfc_fuzz::EnterScratchDirectory();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Bytes bytes(data, size);
    const qvrfc::DesignOptions options = OptionsOf(bytes);
    qvrfc::Experiment experiment;
    qvrfc::DesignTexts texts;
    try {
        experiment = qvrfc::ExperimentOfOptions(options);
        texts = qvrfc::DesignFileTexts(experiment, "experiment.toml");
    } catch (const qvrfc::Error&) {
        return 0;  // refused, with a reason
    }
    try {
        const qvrfc::Experiment read = qvrfc::ReadExperimentText(texts.experimentFile, "e.toml");
        if (!qvrfc::ExperimentDifference(experiment, read).empty())
            Fail("the experiment file reads back otherwise");
        if (read.sheet == qvrfc::SheetFormat::Xlsx)
            qvrfc::ReadRunSheetWorkbook(read, texts.runSheet, qvrfc::WorkbookKind::Xlsx, "r.xlsx");
        else if (texts.runSheet != qvrfc::RunSheetText(read))
            Fail("the run sheet differs once the experiment file is read back");
        std::vector<double> written;
        const std::string filled = Filled(read, bytes, written);
        const qvrfc::SheetObservations values = qvrfc::ReadRunSheetText(read, filled, "r.csv");
        size_t count = 0;
        for (const auto& response : values)
            for (const auto& run : response)
                count += run.size();
        if (count != written.size()) Fail("the filled sheet reads back other values");
        CheckDynamicRuns(read, values);
    } catch (const qvrfc::Error& error) {
        Fail(std::string("what design wrote does not come back: ") + error.what());
    }
    return 0;
}
