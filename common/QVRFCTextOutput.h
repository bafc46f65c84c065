// Checked, buffered text output for the writers of the library. Text gathers in a buffer
// (256 KB unless told otherwise) that goes out with one fwrite; the first failed write is
// kept, later text is dropped, and Finish tells whether everything reached the stream.
// Numbers in the fixed four-decimal form are written without a formatted output call
// each, byte for byte as printf writes them.
// Internal to the library (not exported).
#pragma once

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/QVRFCFixedFormat.h"

namespace qvrfc {

class TextOutput {
  public:
    // The most bytes one output may hold (1 GiB); more fails the output with EFBIG, so
    // that no shape of experiment can make a writer fill a disk.
    static constexpr size_t kByteLimit = size_t{1} << 30;

    // capacity: bytes gathered before they go out; small writers need less than the default.
    explicit TextOutput(FILE* stream, size_t capacity = size_t{1} << 18);
    // Passes on what is still buffered; call Finish to learn whether that worked.
    ~TextOutput();
    TextOutput(const TextOutput&) = delete;
    TextOutput& operator=(const TextOutput&) = delete;

    // Text as it is, a character count times, and printf-style text.
    void Put(const char* text) { Put(text, std::strlen(text)); }
    void Put(const char* text, size_t size) {
        std::memcpy(Room(size), text, size);
        m_used += size;
    }
    void Put(const std::string& text) { Put(text.data(), text.size()); }
    void Put(char c) {
        *Room(1) = c;
        ++m_used;
    }
    void Repeat(char c, size_t count);
    void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // value as "%.4f" writes it, padded with blanks to width: "%-12.4f" with leftAligned,
    // "%12.4f" without.
    void Fixed4(double value, size_t width, bool leftAligned) {
        if (!leftAligned) return RightAlignedFixed4(value, width);
        char* out = Room(kFixed4MaxSize + width);
        size_t size = static_cast<size_t>(WriteFixed4(out, value) - out);
        for (; size < width; ++size)
            out[size] = ' ';
        m_used += size;
    }

    // Passes the buffer on and flushes the stream. False when any write failed, the
    // output went past kByteLimit or the stream is in error; errno then names the cause.
    bool Finish();
    bool Failed() const { return m_failed; }
    // Bytes taken so far, buffered ones included.
    size_t Size() const { return m_written + m_used; }

  private:
    // At least size free bytes at the end of the buffer, passing the buffer on if needed.
    char* Room(size_t size) {
        if (m_buffer.size() - m_used < size) MakeRoom(size);
        return m_buffer.data() + m_used;
    }
    void MakeRoom(size_t size);
    void RightAlignedFixed4(double value, size_t width);
    void Flush();
    void Fail(int error);

    FILE* m_stream;
    std::vector<char> m_buffer;
    size_t m_used = 0;
    size_t m_written = 0;
    bool m_failed = false;
    int m_error = 0;
};

}  // namespace qvrfc
