// ReportStyle: the two styles of the analyzer's text reports, written from one set of
// format strings. Every field is followed by a separator slot, "," in the comma-separated
// style and empty in the plain style; the plain style frames its tables with rules instead.
// Internal to the library (not exported), except the factor names that every layer uses.
#pragma once

#include <cstdio>
#include <string>

#include "common/CString.h"
#include "common/QVRFCExport.h"

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
    void WriteRule(FILE* file, int width, bool lineEnd = true) const;
    // Plain style only: count copies of mark and a line end.
    void WriteLine(FILE* file, char mark, int count) const;

  private:
    bool m_bCommaSeparated;
};

// Control factor f (from 0) is named as spreadsheet columns are: A ... Z, then AA, AB, ...
// Every output and option uses these names.
QVRFC_API std::string FactorName(int factor);
// The factor a name denotes (case ignored), or -1 when text is not such a name.
QVRFC_API int FactorIndex(const std::string& text);

// The empty line that groups run rows by five: after runs 5, 10, ... but never after the last.
void WriteRunGroupBreak(FILE* file, int runNumber, int runCount);

}  // namespace qvrfc
