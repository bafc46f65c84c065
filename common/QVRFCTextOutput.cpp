#include "common/QVRFCTextOutput.h"

#include <cerrno>
#include <cstdarg>
#include <cstring>

namespace qvrfc {
TextOutput::TextOutput(FILE* stream, size_t capacity)
    : m_stream(stream), m_buffer(capacity > 0 ? capacity : 1) {}

TextOutput::~TextOutput() {
    const int error = errno;
    Flush();
    errno = error;
}

void TextOutput::Repeat(char c, size_t count) {
    while (count > 0 && !m_failed) {
        const size_t part = count < m_buffer.size() ? count : m_buffer.size();
        std::memset(Room(part), c, part);
        m_used += part;
        count -= part;
    }
}

void TextOutput::Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const size_t room = m_buffer.size() - m_used;
    const int size = std::vsnprintf(m_buffer.data() + m_used, room, format, args);
    if (size < 0) {
        Fail(errno != 0 ? errno : EINVAL);
    } else if (static_cast<size_t>(size) < room) {
        m_used += static_cast<size_t>(size);
    } else {
        const size_t needed = static_cast<size_t>(size) + 1;
        std::vsnprintf(Room(needed), needed, format, again);
        m_used += static_cast<size_t>(size);
    }
    va_end(again);
    va_end(args);
}

void TextOutput::RightAlignedFixed4(double value, size_t width) {
    char* out = Room(kFixed4MaxSize + width);
    char digits[kFixed4MaxSize];
    const size_t size = static_cast<size_t>(WriteFixed4(digits, value) - digits);
    const size_t pad = size < width ? width - size : 0;
    std::memset(out, ' ', pad);
    std::memcpy(out + pad, digits, size);
    m_used += pad + size;
}

bool TextOutput::Finish() {
    Flush();
    if (!m_failed && (std::fflush(m_stream) != 0 || std::ferror(m_stream)))
        Fail(errno != 0 ? errno : EIO);
    if (m_failed) errno = m_error;
    return !m_failed;
}

void TextOutput::MakeRoom(size_t size) {
    Flush();
    if (m_buffer.size() < size) m_buffer.resize(size);
}

void TextOutput::Flush() {
    const size_t size = m_used;
    m_used = 0;
    if (m_failed || size == 0) return;
    if (size > kByteLimit - m_written) return Fail(EFBIG);
    if (std::fwrite(m_buffer.data(), 1, size, m_stream) != size)
        return Fail(errno != 0 ? errno : EIO);
    m_written += size;
}

void TextOutput::Fail(int error) {
    if (m_failed) return;
    m_failed = true;
    m_error = error;
}

}  // namespace qvrfc
