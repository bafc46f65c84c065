// The set-up listing written by DOEWriter(FILE*) and the quality data file read by LoadData.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "common/QVRFCNumberStream.h"
#include "common/QVRFCTextOutput.h"
#include "qvrfc/analyzer/QVRFCDOEAnalyzer.h"
#include "qvrfc/analyzer/QVRFCDOEDataFileReader.h"
#include "qvrfc/common/QVRFCTextFormat.h"

namespace {

using ArrayType = CQVRFCDOETaguchiOrthogonalArray;
using Reader = CQVRFCDOEDataFileReader;
using qvrfc::FormatText;

// Longest piece of a word quoted in a message.
constexpr size_t kQuotedWordLength = 40;

// Room made for count numbers, but never for more than the rest of the file could hold
// (a bounded guess when the file cannot tell its size, as a pipe cannot).
template <typename T>
void ReserveForNumbers(std::vector<T>& values, long long count,
                       const qvrfc::NumberStream& numbers) {
    constexpr long long kUnknownSizeGuess = 4096;
    const long long left = numbers.MaxNumbersLeft();
    values.reserve(static_cast<size_t>(std::min(count, left < 0 ? kUnknownSizeGuess : left)));
}

// An array object that only carries its type, to name it without loading its table
// (loading one rewrites the listing log in the current folder).
class TypeOnlyArray : public ArrayType {
  public:
    explicit TypeOnlyArray(OA_TYPE type) { m_eType = type; }
};

// A refusal on the way through the file; Read turns it into its Problem.
struct Refusal {
    Reader::Problem problem;
};

}  // namespace

// Reads the numbers of one file in order and refuses the first that does not fit.
class CQVRFCDOEDataFileReader::Parser {
  public:
    Parser(FILE* file, Reader& reader) : m_numbers(file), m_reader(reader) {}

    void ReadAll() {
        if (m_numbers.AtEnd()) {
            FailIfUnreadable();
            Fail("the file is empty");
        }
        m_reader.m_nRun = HeaderNumber("run count");
        m_reader.m_nQuality = HeaderNumber("quality count");
        HeaderNumber("third header number");
        m_reader.m_type = ChooseArray(m_reader.m_nRun);
        if (m_reader.m_nQuality < 1)
            Fail(FormatText("the quality count is %d; it must be at least 1", m_reader.m_nQuality));
        const long long groups = static_cast<long long>(m_reader.m_nRun) * m_reader.m_nQuality;
        ReserveForNumbers(m_reader.m_values, groups, m_numbers);
        for (m_quality = 1; m_quality <= m_reader.m_nQuality; ++m_quality) {
            for (m_run = 1; m_run <= m_reader.m_nRun; ++m_run) {
                m_reader.m_values.emplace_back();
                ReadGroup(m_reader.m_values.back());
            }
        }
        m_quality = m_run = 0;
        if (m_reader.m_refuseSurplus && !m_numbers.AtEnd())
            FailAtWord(
                FormatText("'%s' follows the last run (the header announces %s and %s)",
                           m_numbers.PeekWord(kQuotedWordLength).c_str(),
                           qvrfc::Counted(m_reader.m_nRun, "run", "runs").c_str(),
                           qvrfc::Counted(m_reader.m_nQuality, "quality", "qualities").c_str()));
        if (m_numbers.HasReadError()) FailIfUnreadable();
    }

  private:
    [[noreturn]] void Fail(const std::string& cause, int line = 0) const {
        Refusal refusal;
        refusal.problem.line = line;
        refusal.problem.quality = m_quality;
        refusal.problem.run = m_run;
        refusal.problem.cause = cause;
        throw refusal;
    }

    // A read error explains every later fault; so do a NUL byte and an endless word.
    void FailIfUnreadable() const {
        if (m_numbers.HasReadError())
            Fail(FormatText("cannot be read (%s)", std::strerror(m_numbers.ReadErrorNumber())));
        if (m_numbers.NulInWord())
            Fail("holds a NUL byte: a quality data file is text", m_numbers.Line());
        if (m_numbers.WordTooLong())
            Fail(FormatText("holds a word of more than %zu characters, which is no number",
                            qvrfc::NumberStream::kMaxWordLength),
                 m_numbers.Line());
    }

    // The fault at the word under the read position, or the end of the file (no line).
    [[noreturn]] void FailAtWord(const std::string& cause, const std::string& atEnd = "") {
        FailIfUnreadable();
        if (m_numbers.AtEnd() && !atEnd.empty()) Fail(atEnd);
        Fail(cause, m_numbers.Line());
    }

    std::string Word() const { return m_numbers.PeekWord(kQuotedWordLength); }

    // Why the word under the read position is no whole number of the int range.
    const char* WholeNumberFault() const {
        const std::string word = m_numbers.PeekWord(kQuotedWordLength + 1);
        const size_t sign = word.find_first_not_of("+-") == 1 ? 1 : 0;
        const bool allDigits = word.size() > sign && word.size() <= kQuotedWordLength &&
                               word.find_first_not_of("0123456789", sign) == std::string::npos;
        return allDigits ? "is out of range (-2147483648 to 2147483647)" : "is not a whole number";
    }

    int HeaderNumber(const char* role) {
        int value = 0;
        if (m_numbers.ReadInt(value)) return value;
        FailAtWord(FormatText("the %s '%s' %s", role, Word().c_str(), WholeNumberFault()),
                   FormatText("the file ends in its header: the %s is missing (the header holds "
                              "the run count, the quality count and one more whole number)",
                              role));
    }

    ArrayType::OA_TYPE ChooseArray(int runs) const {
        const ArrayType::OA_TYPE requested = m_reader.m_requestedType;
        if (requested == ArrayType::OA_UNDEFINED) {
            const ArrayType::OA_TYPE type =
                runs > 0 ? ArrayType::ArraySelector(runs) : ArrayType::OA_UNDEFINED;
            if (type == ArrayType::OA_UNDEFINED)
                Fail(FormatText("no orthogonal array has %d runs (the catalogue has %s)", runs,
                                RunCountList().c_str()));
            return type;
        }
        const int arrayRuns = ArrayType::GetNoRun(requested);
        if (arrayRuns != runs)
            Fail(FormatText("the header announces %d runs, but %s has %d", runs,
                            ArrayName(requested).c_str(), arrayRuns));
        return requested;
    }

    // The count n, then n observations; n <= 0 gives an empty run. The values get room
    // for the count, but never for more numbers than the rest of the file could hold, so
    // a huge count in a short file fails at its end without a huge reservation first.
    void ReadGroup(std::vector<double>& values) {
        int count = 0;
        if (!m_numbers.ReadInt(count))
            FailAtWord(FormatText("the observation count '%s' of quality %d, run %d %s",
                                  Word().c_str(), m_quality, m_run, WholeNumberFault()),
                       FormatText("the file ends early: quality %d, run %d has no observation "
                                  "count",
                                  m_quality, m_run));
        if (count <= 0) return;
        ReserveForNumbers(values, count, m_numbers);
        // An observation must be a finite double: "nan", "inf" and numbers beyond the range
        // of a double would poison every statistic of the experiment.
        if (m_numbers.ReadDoubles(count, values)) return;
        const int read = static_cast<int>(values.size());
        FailAtWord(
            FormatText("observation %d of quality %d, run %d is '%s', not a number", read + 1,
                       m_quality, m_run, Word().c_str()),
            FormatText("the file ends early: quality %d, run %d has %d of its %d observations",
                       m_quality, m_run, read, count));
    }

    qvrfc::NumberStream m_numbers;
    Reader& m_reader;
    int m_quality = 0;  // the group being read, from 1; 0 outside the groups
    int m_run = 0;
};

CQVRFCDOEDataFileReader::CQVRFCDOEDataFileReader() = default;
CQVRFCDOEDataFileReader::~CQVRFCDOEDataFileReader() = default;

bool CQVRFCDOEDataFileReader::Read(const char* fileName) {
    m_problem = Problem();
    m_nRun = m_nQuality = 0;
    m_type = ArrayType::OA_UNDEFINED;
    m_values.clear();
    FILE* file = fileName ? std::fopen(fileName, "r") : nullptr;
    if (!file) {
        m_problem.cause =
            FormatText("cannot be read (%s)", std::strerror(fileName ? errno : EINVAL));
        return false;
    }
    try {
        Parser(file, *this).ReadAll();
    } catch (const Refusal& refusal) {
        m_problem = refusal.problem;
    } catch (const std::bad_alloc&) {
        m_problem.cause = "holds more observations than memory can hold";
    } catch (const std::length_error&) {
        m_problem.cause = "holds more observations than memory can hold";
    }
    std::fclose(file);
    if (m_problem.cause.empty()) return true;
    m_values.clear();
    m_values.shrink_to_fit();
    return false;
}

std::string CQVRFCDOEDataFileReader::Describe(const char* fileName) const {
    const char* name = fileName ? fileName : "";
    if (m_problem.line > 0)
        return "'" + std::string(name) + "' line " + std::to_string(m_problem.line) + ": " +
               m_problem.cause;
    return "'" + std::string(name) + "': " + m_problem.cause;
}

std::vector<double>& CQVRFCDOEDataFileReader::RunValues(int quality, int run) {
    return m_values[static_cast<size_t>(quality) * static_cast<size_t>(m_nRun) +
                    static_cast<size_t>(run)];
}

std::string CQVRFCDOEDataFileReader::ArrayName(OA_TYPE type) {
    static const std::string prefix = "Taguchi Orthogonal Array ";
    const std::string full = TypeOnlyArray(type).GetTypeString().str();
    return full.compare(0, prefix.size(), prefix) == 0 ? full.substr(prefix.size()) : full;
}

std::vector<CQVRFCDOEDataFileReader::OA_TYPE> CQVRFCDOEDataFileReader::ArraysWithRuns(int runs) {
    std::vector<OA_TYPE> types;
    for (int t = ArrayType::OA_L4; t <= ArrayType::OA_L81; ++t) {
        if (ArrayType::GetNoRun(static_cast<OA_TYPE>(t)) == runs)
            types.push_back(static_cast<OA_TYPE>(t));
    }
    return types;
}

std::string CQVRFCDOEDataFileReader::RunCountList() {
    std::string text;
    int previous = 0;
    for (int t = ArrayType::OA_L4; t <= ArrayType::OA_L81; ++t) {
        const int runs = ArrayType::GetNoRun(static_cast<ArrayType::OA_TYPE>(t));
        if (runs == previous) continue;
        text +=
            (text.empty() ? "" : (t == ArrayType::OA_L81 ? " or " : ", ")) + std::to_string(runs);
        previous = runs;
    }
    return text;
}

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
// Numbers after the announced data are left unread.
int CQVRFCDOEAnalyzer::LoadData(CString fileName) {
    CQVRFCDOEDataFileReader reader;
    reader.SetRefuseSurplus(false);
    if (!reader.Read(fileName.GetString())) return 0;
    return LoadData(reader);
}

// Each run's values move into its record inside the entry sequence, whose end computes the
// run's statistics and S/N ratio as for values added one by one.
int CQVRFCDOEAnalyzer::LoadData(CQVRFCDOEDataFileReader& reader) {
    if (reader.GetNoRun() < 1 || reader.GetNoQuality() < 1) return 0;
    if (!SetupDOE(reader.GetNoQuality(), reader.GetArrayType(), nullptr)) return 0;
    // An entry sequence left open on the replaced experiment must not swallow the first run.
    m_nCurrentRun = -1;
    m_nCurrentQuality = -1;
    for (int q = 0; q < m_nQuality; ++q) {
        for (int r = 0; r < m_nRun; ++r) {
            AddQualityValueStart(q, r);
            Record(q, r).m_aQualityValue = CQVRFCDoubleArray(std::move(reader.RunValues(q, r)));
            double average = 0.0;
            double standardDeviation = 0.0;
            AddQualityValueEnd(average, standardDeviation);
        }
    }
    return 1;
}
