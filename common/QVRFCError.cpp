#include "qvrfc/common/QVRFCError.h"

namespace qvrfc {
namespace {

std::string Where(const std::string& message, const std::string& file, int line,
                  const std::string& key) {
    std::string text = file;
    if (line > 0) text += ":" + std::to_string(line);
    if (!key.empty()) text += (text.empty() ? "" : ": ") + key;
    return text.empty() ? message : text + ": " + message;
}

}  // namespace

Error::Error(const std::string& message, Kind kind)
    : std::runtime_error(message), m_message(message), m_kind(kind) {}

Error::Error(const std::string& message, const std::string& file, int line, const std::string& key,
             Kind kind)
    : Error(Whole{}, Where(message, file, line, key), message, file, line, key, kind) {}

Error::Error(Whole, const std::string& text, const std::string& message, const std::string& file,
             int line, const std::string& key, Kind kind)
    : std::runtime_error(text),
      m_message(message),
      m_file(file),
      m_line(line),
      m_key(key),
      m_kind(kind) {}

Error Error::Placed(const std::string& text, const std::string& file, int line,
                    const std::string& key, Kind kind) {
    return Error(Whole{}, text, text, file, line, key, kind);
}

}  // namespace qvrfc
