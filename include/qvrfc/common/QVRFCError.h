// The one error type of the layers above the engine: what went wrong (the message) and where
// (the file, its line and the key or option concerned, each left empty when it does not
// apply). The program maps the kind to its exit status; the layers never choose one.
//
//   throw qvrfc::Error("cannot read the file", "runsheet.csv", 12, "Strength 2");
//   // what(): "runsheet.csv:12: Strength 2: cannot read the file"
#pragma once

#include <stdexcept>
#include <string>

#include "qvrfc/common/QVRFCExport.h"

namespace qvrfc {

class QVRFC_API Error : public std::runtime_error {
  public:
    // Input: bad input or a file that cannot be read or written. Usage: a request (an option,
    // a setting) that cannot be understood at all.
    enum class Kind { Input, Usage };

    // A message that already says where, as it is.
    explicit Error(const std::string& message, Kind kind = Kind::Input);
    // "file:line: key: message", each part left out when empty (line when 0).
    Error(const std::string& message, const std::string& file, int line = 0,
          const std::string& key = "", Kind kind = Kind::Input);

    const std::string& Message() const { return m_message; }
    const std::string& File() const { return m_file; }
    int Line() const { return m_line; }
    const std::string& Key() const { return m_key; }
    Kind GetKind() const { return m_kind; }

  private:
    std::string m_message, m_file;
    int m_line = 0;
    std::string m_key;
    Kind m_kind = Kind::Input;
};

// A request that cannot be understood: Error of kind Usage.
inline Error UsageError(const std::string& message) {
    return Error(message, Error::Kind::Usage);
}

}  // namespace qvrfc
