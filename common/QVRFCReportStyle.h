// ReportStyle: the two styles of the analyzer's text reports, written from one set of
// format strings. Every field is followed by a separator slot, "," in the comma-separated
// style and empty in the plain style; the plain style frames its tables with rules instead.
// Internal to the library (not exported); the factor names are in QVRFCFactorNames.h.
#pragma once

#include <cstddef>
#include <string>

#include "common/QVRFCTextOutput.h"
#include "qvrfc/common/CString.h"
#include "qvrfc/common/QVRFCConstants.h"
#include "qvrfc/common/QVRFCFactorNames.h"

namespace qvrfc {

// The row that stands for a pooled control factor in an ANOVA table.
constexpr const char* kPooledFactorRow = "--------------- Pooled -----------------\n";

class ReportStyle {
  public:
    // bCSV 1 is the comma-separated style; any other value the plain style.
    explicit ReportStyle(int bCSV) : m_bCommaSeparated(bCSV == 1) {}
    // Comma-separated when the last three characters of the name equal "csv", ignoring case.
    static ReportStyle ForFileName(const CString& fileName);

    bool IsCommaSeparated() const { return m_bCommaSeparated; }
    int GetCSVFlag() const { return m_bCommaSeparated ? 1 : 0; }
    // The text of every separator slot.
    const char* Separator() const { return m_bCommaSeparated ? "," : ""; }

    // Plain style only: 12 equal signs followed by width times 13 equal signs,
    // then the line end when lineEnd is true.
    void WriteRule(TextOutput& out, size_t width, bool lineEnd = true) const;
    // Plain style only: count copies of mark and a line end.
    void WriteLine(TextOutput& out, char mark, int count) const;

  private:
    bool m_bCommaSeparated;
};

// A response value (observation, average, standard deviation, S/N ratio, effect,
// prediction) through printf's format, or in the fixed four-decimal form padded to width.
// A value above 1e12 marks a missing observation or a statistic that could not be
// computed; it is no number, so its field is left empty (blank to its width).
inline void PutValue(TextOutput& out, const char* format, double value) {
    if (!IsMissing(value)) out.Format(format, value);
}
inline void PutFixed4Value(TextOutput& out, double value, size_t width, bool leftAligned) {
    if (IsMissing(value))
        out.Repeat(' ', width);
    else
        out.Fixed4(value, width, leftAligned);
}

// The empty line that groups run rows by five: after runs 5, 10, ... but never after the last.
void WriteRunGroupBreak(TextOutput& out, int runNumber, int runCount);

}  // namespace qvrfc
