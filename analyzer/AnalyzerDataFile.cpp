// The set-up listing written by DOEWriter(FILE*) and the quality data file read by LoadData.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>
#include <stdexcept>
#include <utility>
#include <vector>

#include "analyzer/QVRFCDOEAnalyzer.h"
#include "common/QVRFCNumberStream.h"
#include "common/QVRFCTextOutput.h"

namespace {

using ArrayType = CQVRFCDOETaguchiOrthogonalArray;

// Room made for count numbers, but never for more than the rest of the file could hold
// (a bounded guess when the file cannot tell its size).
template <typename T>
void ReserveForNumbers(std::vector<T>& values, long long count,
                       const qvrfc::NumberStream& numbers) {
    constexpr long long kUnknownSizeGuess = 4096;
    const long long left = numbers.MaxNumbersLeft();
    values.reserve(static_cast<size_t>(std::min(count, left < 0 ? kUnknownSizeGuess : left)));
}

// The contents of a quality data file: its size and the observations of every run,
// quality-major (all runs of quality 1, then all runs of quality 2, ...).
struct QualityData {
    int nRun = 0;
    int nQuality = 0;
    std::vector<std::vector<double>> runValues;
};

// Reads one group: its count n, then n observations; n <= 0 gives an empty run.
// The values get room for the count, but never for more numbers than the rest of the
// file could hold, so a huge count in a short file fails at its end without a huge
// reservation first.
bool ReadGroup(qvrfc::NumberStream& numbers, std::vector<double>& values) {
    int count = 0;
    if (!numbers.ReadInt(count)) return false;
    if (count <= 0) return true;
    ReserveForNumbers(values, count, numbers);
    if (!numbers.ReadDoubles(count, values)) return false;
    // An observation must be a finite double: "nan", "inf" and numbers beyond the range
    // of a double are refused rather than let poison every statistic of the experiment.
    return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

// Reads and checks the whole file: the header, a catalogue array with that many runs,
// and every group. Numbers after the last group are left unread.
bool ReadQualityData(FILE* file, QualityData& data) {
    qvrfc::NumberStream numbers(file);
    int unused = 0;
    if (!numbers.ReadInt(data.nRun) || !numbers.ReadInt(data.nQuality) || !numbers.ReadInt(unused))
        return false;
    if (data.nRun < 1 || data.nQuality < 1) return false;
    if (ArrayType::ArraySelector(data.nRun) == ArrayType::OA_UNDEFINED) return false;
    const long long groups = static_cast<long long>(data.nRun) * data.nQuality;
    ReserveForNumbers(data.runValues, groups, numbers);
    for (long long g = 0; g < groups; ++g) {
        data.runValues.emplace_back();
        if (!ReadGroup(numbers, data.runValues.back())) return false;
    }
    return !numbers.HasReadError();
}

// Opens and reads the file; false when it cannot be opened, read or parsed whole, or
// when memory runs out on the way.
bool LoadQualityData(const char* fileName, QualityData& data) {
    FILE* file = std::fopen(fileName, "r");
    if (!file) return false;
    bool loaded = false;
    try {
        loaded = ReadQualityData(file, data);
    } catch (const std::bad_alloc&) {
        loaded = false;
    } catch (const std::length_error&) {
        loaded = false;
    }
    std::fclose(file);
    return loaded;
}

}  // namespace

// 0 also when the stream failed: the listing is flushed and the stream's error state checked.
int CQVRFCDOEAnalyzer::DOEWriter(FILE* stream) const {
    if (!stream || !m_pOrthogonalArray || !HasStorage()) return 0;
    qvrfc::TextOutput out(stream, 1 << 16);
    out.Format("%d  %s\n", static_cast<int>(m_pOrthogonalArray->GetType()),
               m_pOrthogonalArray->GetTypeString().GetString());
    out.Format("%d %d %d\n", m_nRun, m_nFactor, m_nLevel);
    for (int r = 0; r < m_nRun; ++r) {
        out.Format("%2d  ", r + 1);
        for (int f = 0; f < m_nFactor; ++f) {
            out.Fixed4(GetControlFactorValue(r, f), 12, true);
            out.Put(' ');
        }
        out.Put('\n');
    }
    return out.Finish() ? 1 : 0;
}

// Loads only a complete, well-formed file: it is read and checked whole before the set-up,
// so a file that ends early or holds text where a number belongs leaves this analyzer as it was.
// Each run's values move into its record inside the entry sequence, whose end computes the
// run's statistics and S/N ratio as for values added one by one.
int CQVRFCDOEAnalyzer::LoadData(CString fileName) {
    QualityData data;
    if (!LoadQualityData(fileName.GetString(), data)) return 0;
    if (!SetupDOE(data.nQuality, ArrayType::ArraySelector(data.nRun), nullptr)) return 0;
    // An entry sequence left open on the replaced experiment must not swallow the first run.
    m_nCurrentRun = -1;
    m_nCurrentQuality = -1;
    for (size_t group = 0; group < data.runValues.size(); ++group) {
        const int q = static_cast<int>(group / static_cast<size_t>(data.nRun));
        const int r = static_cast<int>(group % static_cast<size_t>(data.nRun));
        AddQualityValueStart(q, r);
        Record(q, r).m_aQualityValue = CQVRFCDoubleArray(std::move(data.runValues[group]));
        double average = 0.0;
        double standardDeviation = 0.0;
        AddQualityValueEnd(average, standardDeviation);
    }
    return 1;
}
