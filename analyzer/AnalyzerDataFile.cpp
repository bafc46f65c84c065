// The set-up listing written by DOEWriter(FILE*) and the quality data file read by LoadData.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "analyzer/QVRFCDOEAnalyzer.h"

namespace {

using Analyzer = CQVRFCDOEAnalyzer;
using ArrayType = CQVRFCDOETaguchiOrthogonalArray;

// Reads decimal numbers one after the other as fscanf "%d" and "%lf" do: white space is
// skipped and the longest number at the front is taken. A read fails at the end of the
// text or where the text does not start with a number.
class NumberReader {
  public:
    explicit NumberReader(std::string text) : m_text(std::move(text)), m_next(m_text.c_str()) {}

    bool ReadInt(int& value) {
        char* end = nullptr;
        errno = 0;
        const long number = std::strtol(m_next, &end, 10);
        if (end == m_next || errno == ERANGE || number < INT_MIN || number > INT_MAX) return false;
        m_next = end;
        value = static_cast<int>(number);
        return true;
    }

    bool ReadDouble(double& value) {
        char* end = nullptr;
        const double number = std::strtod(m_next, &end);
        if (end == m_next) return false;
        m_next = end;
        value = number;
        return true;
    }

  private:
    std::string m_text;
    const char* m_next;
};

bool ReadWholeFile(const char* fileName, std::string& text) {
    FILE* file = std::fopen(fileName, "r");
    if (!file) return false;
    char buffer[4096];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, got);
    const bool ok = std::ferror(file) == 0;
    std::fclose(file);
    return ok;
}

// The contents of a quality data file: its size and the observations of every run,
// quality-major (all runs of quality 1, then all runs of quality 2, ...).
struct QualityData {
    int nRun = 0;
    int nQuality = 0;
    std::vector<std::vector<double>> runValues;
};

// Reads one group: its count n, then n observations; n <= 0 gives an empty run.
// Values are stored as they are read, so a huge count in a short file fails at its end
// without reserving room for the count first.
bool ReadGroup(NumberReader& reader, std::vector<double>& values) {
    int count = 0;
    if (!reader.ReadInt(count)) return false;
    for (int i = 0; i < count; ++i) {
        double value = 0.0;
        if (!reader.ReadDouble(value)) return false;
        values.push_back(value);
    }
    return true;
}

// Reads and checks the whole file: the header, a catalogue array with that many runs,
// and every group. Numbers after the last group are left unread.
bool ParseQualityData(std::string text, QualityData& data) {
    NumberReader reader(std::move(text));
    int unused = 0;
    if (!reader.ReadInt(data.nRun) || !reader.ReadInt(data.nQuality) || !reader.ReadInt(unused))
        return false;
    if (data.nRun < 1 || data.nQuality < 1) return false;
    if (ArrayType::ArraySelector(data.nRun) == ArrayType::OA_UNDEFINED) return false;
    const long long groups = static_cast<long long>(data.nRun) * data.nQuality;
    for (long long g = 0; g < groups; ++g) {
        data.runValues.emplace_back();
        if (!ReadGroup(reader, data.runValues.back())) return false;
    }
    return true;
}

}  // namespace

int CQVRFCDOEAnalyzer::DOEWriter(FILE* stream) const {
    if (!stream || !m_pOrthogonalArray || !HasStorage()) return 0;
    std::fprintf(stream, "%d  %s\n", static_cast<int>(m_pOrthogonalArray->GetType()),
                 m_pOrthogonalArray->GetTypeString().GetString());
    std::fprintf(stream, "%d %d %d\n", m_nRun, m_nFactor, m_nLevel);
    for (int r = 0; r < m_nRun; ++r) {
        std::fprintf(stream, "%2d  ", r + 1);
        for (int f = 0; f < m_nFactor; ++f)
            std::fprintf(stream, "%-12.4lf ", GetControlFactorValue(r, f));
        std::fprintf(stream, "\n");
    }
    return 1;
}

// Loads only a complete, well-formed file: it is read and checked whole before the set-up,
// so a file that ends early or holds text where a number belongs leaves this analyzer as it was.
int CQVRFCDOEAnalyzer::LoadData(CString fileName) {
    std::string text;
    if (!ReadWholeFile(fileName.GetString(), text)) return 0;
    QualityData data;
    if (!ParseQualityData(std::move(text), data)) return 0;
    if (!SetupDOE(data.nQuality, ArrayType::ArraySelector(data.nRun), nullptr)) return 0;
    // An entry sequence left open on the replaced experiment must not swallow the first run.
    m_nCurrentRun = -1;
    m_nCurrentQuality = -1;
    for (size_t group = 0; group < data.runValues.size(); ++group) {
        const int q = static_cast<int>(group / static_cast<size_t>(data.nRun));
        const int r = static_cast<int>(group % static_cast<size_t>(data.nRun));
        AddQualityValueStart(q, r);
        for (double value : data.runValues[group])
            AddQualityValue(value);
        double average = 0.0;
        double standardDeviation = 0.0;
        AddQualityValueEnd(average, standardDeviation);
    }
    return 1;
}
