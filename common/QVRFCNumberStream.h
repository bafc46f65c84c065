// NumberStream: reads white-space separated numbers from an open file, chunk by chunk,
// taking exactly the numbers that strtol (base 10, within the int range) and strtod take
// from the same text: leading blanks and line ends of any kind, signs, exponents, "inf"
// and "nan", hexadecimal floating numbers. A number must end at white space or at the end
// of the file. Only a bounded window of the file is held.
// Internal to the library (not exported).
#pragma once

#include <cstdio>
#include <string>
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
    // that cannot be read or is not finite ("inf", "nan", beyond the range of a double).
    bool ReadDoubles(int count, std::vector<double>& values);

    // After skipping white space: true when the file has no more text.
    bool AtEnd();
    // The word at the read position (up to white space, at most maxLength characters, with
    // bytes that are not printable shown as '?'), and the line it starts on (from 1).
    std::string PeekWord(size_t maxLength) const;
    int Line() const;
    // True when the word at the read position holds a NUL byte (binary data, not text).
    bool NulInWord() const;
    // True when the word at the read position is longer than the longest number read.
    bool WordTooLong() const { return m_wordTooLong; }
    // The longest word taken as a number.
    static constexpr size_t kMaxWordLength = 4 * 1024 * 1024;

    // Most numbers that the rest of the file could still hold (each takes a character and
    // a separator); -1 when the file cannot tell its size.
    long long MaxNumbersLeft() const;
    // True when reading the file failed (as opposed to reaching its end); ReadErrorNumber
    // is the errno of that failure.
    bool HasReadError() const;
    int ReadErrorNumber() const { return m_readErrno; }

  private:
    // Moves the unread text to the front, grows the window when the unread text fills
    // half of it, and reads more; false when nothing more could be read (at the end of
    // the file, after a read error, or when a word outgrows the longest number).
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
    // ReadDoubles' quick path for a short decimal number well inside the window.
    bool ReadShortDecimal(std::vector<double>& values);

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
    int m_linesBefore = 0;       // line ends in the text before the window
    int m_readErrno = 0;         // errno of a failed read, 0 when none failed
    bool m_wordTooLong = false;  // a word outgrew kMaxWordLength
};

}  // namespace qvrfc
