// Failures of the qvrfcdoe program: a one-line message for standard error and
// the exit status that goes with it (1 bad input, 2 a command line not understood).
#pragma once

#include <stdexcept>
#include <string>

namespace qvrfcdoe {

constexpr int kExitBadInput = 1;
constexpr int kExitUsage = 2;

class CliError : public std::runtime_error {
  public:
    CliError(int status, const std::string& message)
        : std::runtime_error(message), m_status(status) {}
    int Status() const { return m_status; }

  private:
    int m_status;
};

inline CliError UsageError(const std::string& message) {
    return CliError(kExitUsage, message);
}
inline CliError InputError(const std::string& message) {
    return CliError(kExitBadInput, message);
}

// printf-style text for messages; user text always goes in through "%s".
std::string Text(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The text with control characters written as escapes (\n, \t, \x01, ...) and backslashes
// doubled, so that a message quoting file names or arguments stays on one line.
std::string OneLineText(const std::string& text);
// "1 quality", "2 qualities": a count with the word that goes with it.
std::string Counted(int count, const char* one, const char* many);

}  // namespace qvrfcdoe
