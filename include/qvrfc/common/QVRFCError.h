// The one error type of the library: what went wrong (the message) and where (the file, its
// line or row and the key, option or column concerned, each left empty when it does not
// apply). No other exception leaves a layer. The program maps the kind to its exit status;
// the layers never choose one.
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
    // a setting, a call) that cannot be understood at all.
    enum class Kind { Input, Usage };

    // A message that names no place, as it is.
    explicit Error(const std::string& message, Kind kind = Kind::Input);
    // "file:line: key: message", each part left out when empty (line when 0).
    Error(const std::string& message, const std::string& file, int line = 0,
          const std::string& key = "", Kind kind = Kind::Input);

    // A text that names its place in its own words ("'d.ipt': run 3 ...", "s.csv: row 5,
    // column 6 'Yield 2': ..."), as it is, with that place for a caller to read.
    static Error Placed(const std::string& text, const std::string& file, int line,
                        const std::string& key, Kind kind = Kind::Input);

    // The message without the place the second constructor puts before it (all of a Placed
    // error's text).
    const std::string& Message() const { return m_message; }
    const std::string& File() const { return m_file; }
    int Line() const { return m_line; }
    const std::string& Key() const { return m_key; }
    Kind GetKind() const { return m_kind; }

  private:
    struct Whole {};
    Error(Whole, const std::string& text, const std::string& message, const std::string& file,
          int line, const std::string& key, Kind kind);

    std::string m_message, m_file;
    int m_line = 0;
    std::string m_key;
    Kind m_kind = Kind::Input;
};

// A request that cannot be understood: Error of kind Usage.
inline Error UsageError(const std::string& message) {
    return Error(message, Error::Kind::Usage);
}

// A failure whose text names the option (or setting) it concerns, "--at 'A=4': ...": the
// option is its key.
inline Error OptionError(const std::string& option, const std::string& text,
                         Error::Kind kind = Error::Kind::Input) {
    return Error::Placed(text, "", 0, option, kind);
}
inline Error UsageError(const std::string& option, const std::string& text) {
    return OptionError(option, text, Error::Kind::Usage);
}

}  // namespace qvrfc
