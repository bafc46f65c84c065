// Report sections written into a caller's stream: the experiment section, the run quality
// table, the response tables with ranks and predictions, and the response plot series.
// Each writer gathers its text in a checked output and answers 0 when the stream failed.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "arrays/OAListingText.h"
#include "common/QVRFCReportStyle.h"
#include "common/QVRFCTextOutput.h"
#include "qvrfc/analyzer/QVRFCDOEAnalyzer.h"

namespace {

using Analyzer = CQVRFCDOEAnalyzer;
using qvrfc::FactorName;
using qvrfc::PutValue;
using qvrfc::ReportStyle;
using qvrfc::TextOutput;

// Buffer of the section writers: their text is small next to the complete report's.
constexpr size_t kSectionBuffer = size_t{1} << 16;

// The texts of one per-run response in the response tables and plot series.
struct ResponseText {
    Analyzer::FACTOR_EFFECT_TYPE type;
    const char* tableHeading;
    const char* plotHeading;
    const char* grandLabel;
    const char* grandFormat;  // the grand average of the response
};
constexpr ResponseText kQualityResponse{Analyzer::FACTOR_EFFECT_QUALITY, "\nQuality Response:\n",
                                        "Quality Response Plot:\n", "Grand Average :", "%lg"};
constexpr ResponseText kStdevResponse{
    Analyzer::FACTOR_EFFECT_STDEV, "\nQuality Standard Deviation Response:\n",
    "\nQuality Standard Deviation Response Plot:\n", "Grand STDEV :", "%.2le"};
constexpr ResponseText kSNRatioResponse{Analyzer::FACTOR_EFFECT_SN_RATIO, "\nS/N Ratio Response:\n",
                                        "\nS/N Ratio Response Plot:\n", "Grand S/N Ratio :", "%lg"};

void WriteGrandAverage(TextOutput& out, const char* sep, const Analyzer& analyzer, int q,
                       const ResponseText& response) {
    out.Put(response.grandLabel);
    out.Put(sep);
    PutValue(out, response.grandFormat, analyzer.GetAveragedResponseValue(q, response.type));
    out.Put('\n');
}

// Level effects, effects, ranks, best levels and the two best-level predictions of one response.
void WriteResponseBlock(TextOutput& out, const char* sep, const Analyzer& analyzer, int q,
                        Analyzer::FACTOR_EFFECT_TYPE type, std::vector<int>& ranks) {
    const int nFactor = analyzer.GetNoFactor();
    out.Format("\t%s", sep);
    for (int j = 0; j < nFactor; ++j)
        out.Format("%s%s\t", FactorName(j).c_str(), sep);
    out.Put('\n');
    for (int l = 0; l < analyzer.GetNoLevel(); ++l) {
        out.Format("Level %d%s\t", l + 1, sep);
        for (int j = 0; j < nFactor; ++j) {
            PutValue(out, "%-lg", analyzer.GetFactorLevelEffect(q, j, l, type));
            out.Format("%s\t", sep);
        }
        out.Put('\n');
    }
    out.Format("Effect\t%s", sep);
    for (int j = 0; j < nFactor; ++j) {
        PutValue(out, "%-lg", analyzer.GetFactorEffect(q, j, type, 1));
        out.Format("%s\t", sep);
    }
    out.Put('\n');
    out.Format("Rank %s", sep);
    analyzer.GetResponseRank(q, type, ranks.data());
    for (int j = 0; j < nFactor; ++j)
        out.Format("%d%s ", ranks[static_cast<size_t>(j)] + 1, sep);
    out.Put('\n');
    out.Format("Best Level %s", sep);
    for (int j = 0; j < nFactor; ++j)
        out.Format("%d%s ", analyzer.GetLargestResponseControlFactorLevel(q, j, type) + 1, sep);
    out.Put('\n');
    const double best = analyzer.PredictResponseValue(q, type, nullptr, 0.0);
    out.Format("Best Level:%s%s\n", sep,
               analyzer.GetBestLevelsCombinationName(q, type).GetString());
    out.Format("Best Response Prediction:%s", sep);
    PutValue(out, "%lg", best);
    out.Put('\n');
    CString combination;
    const double stronger = analyzer.PredictResponseValue(q, type, 1, combination);
    out.Format("Best Response Prediction:%s%s %s", sep, combination.GetString(), sep);
    PutValue(out, "%lg", stronger);
    out.Put('\n');
}

void WriteResponse(TextOutput& out, const char* sep, const Analyzer& analyzer, int q,
                   const ResponseText& response, std::vector<int>& ranks) {
    out.Put(response.tableHeading);
    WriteGrandAverage(out, sep, analyzer, q, response);
    WriteResponseBlock(out, sep, analyzer, q, response.type, ranks);
}

// The level labels and the level effects of one response, every factor at m_nLevel levels.
void WritePlotSeries(TextOutput& out, const Analyzer& analyzer, int q,
                     const ResponseText& response) {
    out.Put(response.plotHeading);
    for (int j = 0; j < analyzer.GetNoFactor(); ++j)
        for (int l = 0; l < analyzer.GetNoLevel(); ++l)
            out.Format("%s%d, ", FactorName(j).c_str(), l + 1);
    out.Put('\n');
    for (int j = 0; j < analyzer.GetNoFactor(); ++j) {
        for (int l = 0; l < analyzer.GetNoLevel(); ++l) {
            PutValue(out, "%lg", analyzer.GetFactorLevelEffect(q, j, l, response.type));
            out.Put(", ");
        }
    }
    out.Put('\n');
}

// The plot series of quality q; the standard deviation series needs repetitions.
void WritePlotData(TextOutput& out, const Analyzer& analyzer, int q, int repetitions,
                   const char* title) {
    out.Format("%s\n", title);
    WritePlotSeries(out, analyzer, q, kQualityResponse);
    if (repetitions > 1) WritePlotSeries(out, analyzer, q, kStdevResponse);
    WritePlotSeries(out, analyzer, q, kSNRatioResponse);
}

int Finished(TextOutput& out) {
    return out.Finish() ? 1 : 0;
}

}  // namespace

int CQVRFCDOEAnalyzer::GetRepetitionCount(int quality) const {
    int most = 0;
    for (int r = 0; r < m_nRun && IsRecord(quality, r); ++r)
        most = std::max(most, Record(quality, r).GetValueCount());
    return most;
}

int CQVRFCDOEAnalyzer::DOEWriter(FILE* pFile, int bCSV) const {
    if (!pFile || !m_pOrthogonalArray) return 0;
    TextOutput out(pFile, kSectionBuffer);
    const int written = WriteExperimentSection(out, bCSV);
    return Finished(out) == 1 ? written : 0;
}

int CQVRFCDOEAnalyzer::WriteExperimentSection(TextOutput& out, int bCSV) const {
    if (!m_pOrthogonalArray) return 0;
    const ReportStyle style(bCSV);
    const char* sep = style.Separator();
    qvrfc::WriteArrayListing(out, *m_pOrthogonalArray, "[DOE OrthogonalArray]");
    out.Put("\n[Control Factor ID]\n");
    out.Format("No. Control Factor= %d\n", m_nFactor);
    out.Format("No. Available Control Factor in the Orthogonal Array= %d \n",
               m_pOrthogonalArray->GetNoFactor());
    style.WriteLine(out, '=', 22);
    out.Format(" Factor%s     ID\n", sep);
    style.WriteLine(out, '-', 22);
    // The placements exist only while the storage does; released storage lists none.
    for (int j = 0; j < m_nFactor && j < static_cast<int>(m_pControlFactorID.size()); ++j)
        out.Format("%2d%s         %2d\n", j + 1, sep,
                   m_pControlFactorID[static_cast<size_t>(j)] + 1);
    style.WriteLine(out, '=', 22);
    CString message;
    if (!CheckControlFactorID(message)) out.Format("@@@@( ERROR: %s\n", message.GetString());
    out.Put("\n[DOE Data]\n");
    if (!HasStorage() || m_pRunControlFactorData.empty()) {
        out.Put("@@@@( ERROR: Null run data!\n");
        return 0;
    }
    style.WriteRule(out, static_cast<size_t>(m_nFactor));
    out.Format("Run%s      Factor\n", sep);
    out.Put("No.       ");
    for (int j = 0; j < m_nFactor; ++j)
        out.Format("%-12d%s", j + 1, sep);
    out.Put('\n');
    style.WriteRule(out, static_cast<size_t>(m_nFactor));
    for (int r = 0; r < m_nRun; ++r) {
        out.Format("%2d%s     ", r + 1, sep);
        const CQVRFCDOERunControlFactorData& factors =
            m_pRunControlFactorData[static_cast<size_t>(r)];
        for (int j = 0; j < m_nFactor; ++j) {
            out.Fixed4(factors.GetValue(j), 12, true);
            out.Put(sep);
        }
        out.Put('\n');
        qvrfc::WriteRunGroupBreak(out, r + 1, m_nRun);
    }
    style.WriteRule(out, static_cast<size_t>(m_nFactor));
    return 1;
}

int CQVRFCDOEAnalyzer::WriteRunQualityData(FILE* pFile, int bCSV, CString strTitle) const {
    if (!pFile || !HasStorage()) return 0;
    TextOutput out(pFile, kSectionBuffer);
    const char* sep = ReportStyle(bCSV).Separator();
    out.Format("nFactor=%d\nnLevel=%d\nDOE Array=%s\n", m_nFactor, m_nLevel,
               GetDOEArrayName().GetString());
    out.Format("%s\n", strTitle.GetString());
    if (m_nQuality > 1) out.Format("Quality Count=%s\t%d\n", sep, m_nQuality);
    for (int q = 0; q < m_nQuality; ++q) {
        const int repetitions = GetRepetitionCount(q);
        if (m_nQuality > 1) out.Format("\n<Quality #%d>\n", q + 1);
        out.Format("Quality Characteristic: %s[%d] %s\n", sep,
                   static_cast<int>(m_pQualityCharacteristic[static_cast<size_t>(q)]),
                   GetSNRatioType(q).GetString());
        out.Format("Run%s\t", sep);
        for (int j = 0; j < m_nFactor; ++j)
            out.Format("%s%s\t", FactorName(j).c_str(), sep);
        if (repetitions < 2) {
            out.Format("Value%s S/N Ratio\n", sep);
        } else {
            for (int k = 1; k <= repetitions; ++k)
                out.Format("Value%d%s", k, sep);
            out.Format("AVG%s STDEV%s MSD%s COV%s S/N Ratio\n", sep, sep, sep, sep);
        }
        for (int r = 0; r < m_nRun; ++r)
            WriteRunQualityRow(out, sep, q, r, repetitions);
        WriteGrandAverage(out, sep, *this, q, kQualityResponse);
        if (repetitions > 1) WriteGrandAverage(out, sep, *this, q, kStdevResponse);
        WriteGrandAverage(out, sep, *this, q, kSNRatioResponse);
    }
    return Finished(out);
}

// One run of the run quality table: levels, observations (empty fields past the run's own
// count) and the run's statistics.
void CQVRFCDOEAnalyzer::WriteRunQualityRow(TextOutput& out, const char* sep, int q, int r,
                                           int repetitions) const {
    out.Format("%2d%s ", r + 1, sep);
    for (int j = 0; j < m_nFactor; ++j)
        out.Format("%d%s ", GetLevel(r, j), sep);
    const int count = GetRunNoQualityData(q, r);
    for (int k = 0; k < repetitions; ++k) {
        if (k < count) PutValue(out, "%lg", GetQualityValue(q, r, k));
        out.Format("%s ", sep);
    }
    const double snRatio = GetSNRatio(q, r);
    if (repetitions < 2) {
        PutValue(out, "%lg", snRatio);
        out.Put('\n');
        return;
    }
    PutValue(out, "%lg", GetAveragedQualityValue(q, r));
    out.Format("%s ", sep);
    PutValue(out, "%.2le", GetRunStandardDeviation(q, r));
    out.Format("%s %.4le%s %.4le%s ", sep, GetMeanSquareDeviation(q, r), sep,
               GetCoefficientOfVariation(q, r), sep);
    PutValue(out, "%lg", snRatio);
    out.Put('\n');
}

int CQVRFCDOEAnalyzer::WriteFactorEffectData(FILE* pFile, int bCSV, CString strTitle) const {
    if (!pFile || !HasStorage()) return 0;
    TextOutput out(pFile, kSectionBuffer);
    const char* sep = ReportStyle(bCSV).Separator();
    std::vector<int> ranks(static_cast<size_t>(m_nFactor > 0 ? m_nFactor : 0), 0);
    out.Format("\n%s\n", strTitle.GetString());
    for (int q = 0; q < m_nQuality; ++q) {
        const int repetitions = GetRepetitionCount(q);
        if (m_nQuality > 1) out.Format("\n<Quality #%d>\n", q + 1);
        WriteResponse(out, sep, *this, q, kQualityResponse, ranks);
        if (repetitions > 1) WriteResponse(out, sep, *this, q, kStdevResponse, ranks);
        WriteResponse(out, sep, *this, q, kSNRatioResponse, ranks);
        if (bCSV != 0) WritePlotData(out, *this, q, repetitions, "[Response Plot]");
    }
    return Finished(out);
}

int CQVRFCDOEAnalyzer::WriteQualityResponsePlotData(int nQuality, FILE* pFile,
                                                    CString strTitle) const {
    if (!pFile || !IsQuality(nQuality)) return 0;
    TextOutput out(pFile, kSectionBuffer);
    WritePlotData(out, *this, nQuality, GetRepetitionCount(nQuality), strTitle.GetString());
    return Finished(out);
}
