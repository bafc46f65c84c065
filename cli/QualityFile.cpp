#include "QualityFile.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

#include "ArrayCatalogue.h"
#include "CliError.h"

namespace qvrfcdoe {
namespace {

// Splits the text at white space (blanks, tabs, line ends), keeping each word's line number.
class WordReader {
  public:
    explicit WordReader(std::string text) : m_text(std::move(text)) {}

    bool Next(std::string& word) {
        while (m_pos < m_text.size() && std::isspace(static_cast<unsigned char>(m_text[m_pos]))) {
            if (m_text[m_pos] == '\n') ++m_line;
            ++m_pos;
        }
        if (m_pos >= m_text.size()) return false;
        const size_t start = m_pos;
        while (m_pos < m_text.size() && !std::isspace(static_cast<unsigned char>(m_text[m_pos])))
            ++m_pos;
        word = m_text.substr(start, m_pos - start);
        return true;
    }
    int Line() const { return m_line; }

  private:
    std::string m_text;
    size_t m_pos = 0;
    int m_line = 1;
};

bool ParseInt(const std::string& word, int& value) {
    errno = 0;
    char* end = nullptr;
    const long parsed = std::strtol(word.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || parsed < INT_MIN || parsed > INT_MAX) return false;
    value = static_cast<int>(parsed);
    return true;
}

bool ParseFinite(const std::string& word, double& value) {
    errno = 0;
    char* end = nullptr;
    value = std::strtod(word.c_str(), &end);
    return errno == 0 && *end == '\0' && std::isfinite(value);
}

std::string ReadWholeFile(const std::filesystem::path& file) {
    std::error_code error;
    if (!std::filesystem::exists(file, error))
        throw InputError(Text("cannot read '%s': no such file", file.c_str()));
    if (std::filesystem::is_directory(file, error))
        throw InputError(Text("cannot read '%s': it is a folder, not a data file", file.c_str()));
    std::ifstream in(file, std::ios::binary);
    if (!in) throw InputError(Text("cannot read '%s': %s", file.c_str(), std::strerror(errno)));
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) throw InputError(Text("cannot read '%s': read error", file.c_str()));
    return text;
}

class QualityFileChecker {
  public:
    QualityFileChecker(const std::filesystem::path& file, std::string text)
        : m_name(file.string()), m_words(std::move(text)) {}

    QualityFileShape Check() {
        QualityFileShape shape;
        std::string first;
        if (!WordReader(m_words).Next(first)) Fail("the file is empty");
        shape.runs = HeaderNumber("run count");
        shape.qualities = HeaderNumber("quality count");
        HeaderNumber("third header number");
        shape.array = CQVRFCDOETaguchiOrthogonalArray::ArraySelector(shape.runs);
        if (shape.array == CQVRFCDOETaguchiOrthogonalArray::OA_UNDEFINED)
            Fail(Text("no orthogonal array has %d runs (the catalogue has %s)", shape.runs,
                      RunCountList().c_str()));
        if (shape.qualities < 1)
            Fail(Text("the quality count is %d; it must be at least 1", shape.qualities));
        shape.factors = CQVRFCDOETaguchiOrthogonalArray::GetNoFactor(shape.array);
        for (int q = 1; q <= shape.qualities; ++q) {
            for (int r = 1; r <= shape.runs; ++r)
                CheckRun(q, r);
        }
        std::string surplus;
        if (m_words.Next(surplus))
            FailAt(Text("'%s' follows the last run (the header announces %s and %s)",
                        surplus.c_str(), Counted(shape.runs, "run", "runs").c_str(),
                        Counted(shape.qualities, "quality", "qualities").c_str()));
        return shape;
    }

  private:
    [[noreturn]] void Fail(const std::string& what) const {
        throw InputError(Text("'%s': %s", m_name.c_str(), what.c_str()));
    }
    [[noreturn]] void FailAt(const std::string& what) const {
        throw InputError(Text("'%s' line %d: %s", m_name.c_str(), m_words.Line(), what.c_str()));
    }

    int HeaderNumber(const char* role) {
        std::string word;
        int value = 0;
        if (!m_words.Next(word))
            Fail(
                Text("the file ends in its header: the %s is missing (the header holds the run "
                     "count, the quality count and one more whole number)",
                     role));
        if (!ParseInt(word, value))
            FailAt(Text("the %s '%s' is not a whole number", role, word.c_str()));
        return value;
    }

    void CheckRun(int quality, int run) {
        std::string word;
        int count = 0;
        if (!m_words.Next(word))
            Fail(Text("the file ends early: quality %d, run %d has no observation count", quality,
                      run));
        if (!ParseInt(word, count) || count < 0)
            FailAt(
                Text("the observation count '%s' of quality %d, run %d is not a whole "
                     "number of 0 or more",
                     word.c_str(), quality, run));
        for (int k = 1; k <= count; ++k) {
            double value = 0.0;
            if (!m_words.Next(word))
                Fail(Text("the file ends early: quality %d, run %d has %d of its %d observations",
                          quality, run, k - 1, count));
            if (!ParseFinite(word, value))
                FailAt(Text("observation %d of quality %d, run %d is '%s', not a number", k,
                            quality, run, word.c_str()));
        }
    }

    std::string m_name;
    WordReader m_words;
};

}  // namespace

QualityFileShape CheckQualityFile(const std::filesystem::path& file) {
    return QualityFileChecker(file, ReadWholeFile(file)).Check();
}

}  // namespace qvrfcdoe
