// NumberStream: reads white-space separated numbers from an open file, chunk by chunk,
// taking exactly the numbers that strtol (base 10, within the int range) and strtod take
// from the same text: leading blanks and line ends of any kind, signs, exponents, "inf"
// and "nan", hexadecimal floating numbers. Only a bounded window of the file is held.
// Internal to the library (not exported).
#pragma once

#include <cstdio>
#include <vector>

namespace qvrfc {

class NumberStream {
  public:
    // Reads from file, which the caller opened and closes.
    explicit NumberStream(FILE* file);

    // Each read skips white space and takes the longest number at the front; it fails,
    // consuming nothing, at the end of the file or where the text is not such a number
    // (for ReadInt also a number outside the int range).
    bool ReadInt(int& value);
    // Reads count numbers as strtod does and appends them to values; false at the first
    // that cannot be read.
    bool ReadDoubles(int count, std::vector<double>& values);

    // Most numbers that the rest of the file could still hold (each takes a character and
    // a separator); -1 when the file cannot tell its size.
    long long MaxNumbersLeft() const;
    // True when reading the file failed (as opposed to reaching its end).
    bool HasReadError() const;

  private:
    // Moves the unread text to the front, grows the window when the unread text fills
    // half of it, and reads more; false when nothing more could be read.
    bool Refill();
    // Skips white space, refilling as needed; makes sure some text follows when the
    // file has more.
    void SkipSpace();
    // Parses at the read position; sets end to where the number ends (the read position
    // when there is none). Returns false when the window ended too early to decide.
    bool ParseInt(int& value, bool& ok, const char*& end) const;
    bool ParseDouble(double& value, bool& ok, const char*& end) const;
    template <typename Value, typename Parse>
    bool Read(Value& value, Parse parse);

    const char* Next() const { return m_window.data() + m_next; }
    const char* End() const { return m_window.data() + m_end; }

    FILE* m_file;
    std::vector<char> m_window;  // text read and not yet consumed, then a terminating 0
    size_t m_next = 0;           // read position in the window
    size_t m_end = 0;            // end of the text in the window
    bool m_atEnd = false;        // the file has nothing more to give
    bool m_fastDecimal = true;   // the decimal point is '.', as std::from_chars expects
    long long m_fileSize = -1;   // -1 when the file cannot tell its size
    long long m_consumed = 0;    // bytes of the file before the window
};

}  // namespace qvrfc
