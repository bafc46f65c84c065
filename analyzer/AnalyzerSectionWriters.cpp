// Report sections written into a caller's stream: the experiment section, the run quality
// table, the response tables with ranks and predictions, and the response plot series.
#include <cstdio>
#include <vector>

#include "analyzer/QVRFCDOEAnalyzer.h"
#include "common/QVRFCReportStyle.h"

namespace {

using Analyzer = CQVRFCDOEAnalyzer;
using qvrfc::FactorName;
using qvrfc::ReportStyle;

// The texts of one per-run response in the response tables and plot series.
struct ResponseText {
    Analyzer::FACTOR_EFFECT_TYPE type;
    const char* tableHeading;
    const char* plotHeading;
    const char* grandFormat;  // takes the separator and the grand average of the response
};
constexpr ResponseText kQualityResponse{Analyzer::FACTOR_EFFECT_QUALITY, "\nQuality Response:\n",
                                        "Quality Response Plot:\n", "Grand Average :%s%lg\n"};
constexpr ResponseText kStdevResponse{
    Analyzer::FACTOR_EFFECT_STDEV, "\nQuality Standard Deviation Response:\n",
    "\nQuality Standard Deviation Response Plot:\n", "Grand STDEV :%s%.2le\n"};
constexpr ResponseText kSNRatioResponse{Analyzer::FACTOR_EFFECT_SN_RATIO, "\nS/N Ratio Response:\n",
                                        "\nS/N Ratio Response Plot:\n", "Grand S/N Ratio :%s%lg\n"};

void WriteGrandAverage(FILE* file, const char* sep, const Analyzer& analyzer, int q,
                       const ResponseText& response) {
    std::fprintf(file, response.grandFormat, sep,
                 analyzer.GetAveragedResponseValue(q, response.type));
}

// Level effects, effects, ranks, best levels and the two best-level predictions of one response.
void WriteResponseBlock(FILE* file, const char* sep, const Analyzer& analyzer, int q,
                        Analyzer::FACTOR_EFFECT_TYPE type, std::vector<int>& ranks) {
    const int nFactor = analyzer.GetNoFactor();
    std::fprintf(file, "\t%s", sep);
    for (int j = 0; j < nFactor; ++j)
        std::fprintf(file, "%s%s\t", FactorName(j).c_str(), sep);
    std::fprintf(file, "\n");
    for (int l = 0; l < analyzer.GetNoLevel(); ++l) {
        std::fprintf(file, "Level %d%s\t", l + 1, sep);
        for (int j = 0; j < nFactor; ++j)
            std::fprintf(file, "%-lg%s\t", analyzer.GetFactorLevelEffect(q, j, l, type), sep);
        std::fprintf(file, "\n");
    }
    std::fprintf(file, "Effect\t%s", sep);
    for (int j = 0; j < nFactor; ++j)
        std::fprintf(file, "%-lg%s\t", analyzer.GetFactorEffect(q, j, type, 1), sep);
    std::fprintf(file, "\n");
    std::fprintf(file, "Rank %s", sep);
    analyzer.GetResponseRank(q, type, ranks.data());
    for (int j = 0; j < nFactor; ++j)
        std::fprintf(file, "%d%s ", ranks[static_cast<size_t>(j)] + 1, sep);
    std::fprintf(file, "\n");
    std::fprintf(file, "Best Level %s", sep);
    for (int j = 0; j < nFactor; ++j)
        std::fprintf(file, "%d%s ", analyzer.GetLargestResponseControlFactorLevel(q, j, type) + 1,
                     sep);
    std::fprintf(file, "\n");
    const double best = analyzer.PredictResponseValue(q, type, nullptr, 0.0);
    std::fprintf(file, "Best Level:%s%s\n", sep,
                 analyzer.GetBestLevelsCombinationName(q, type).GetString());
    std::fprintf(file, "Best Response Prediction:%s%lg\n", sep, best);
    CString combination;
    const double stronger = analyzer.PredictResponseValue(q, type, 1, combination);
    std::fprintf(file, "Best Response Prediction:%s%s %s%lg\n", sep, combination.GetString(), sep,
                 stronger);
}

void WriteResponse(FILE* file, const char* sep, const Analyzer& analyzer, int q,
                   const ResponseText& response, std::vector<int>& ranks) {
    std::fputs(response.tableHeading, file);
    WriteGrandAverage(file, sep, analyzer, q, response);
    WriteResponseBlock(file, sep, analyzer, q, response.type, ranks);
}

// The level labels and the level effects of one response, every factor at m_nLevel levels.
void WritePlotSeries(FILE* file, const Analyzer& analyzer, int q, const ResponseText& response) {
    std::fputs(response.plotHeading, file);
    for (int j = 0; j < analyzer.GetNoFactor(); ++j)
        for (int l = 0; l < analyzer.GetNoLevel(); ++l)
            std::fprintf(file, "%s%d, ", FactorName(j).c_str(), l + 1);
    std::fprintf(file, "\n");
    for (int j = 0; j < analyzer.GetNoFactor(); ++j)
        for (int l = 0; l < analyzer.GetNoLevel(); ++l)
            std::fprintf(file, "%lg, ", analyzer.GetFactorLevelEffect(q, j, l, response.type));
    std::fprintf(file, "\n");
}

}  // namespace

int CQVRFCDOEAnalyzer::GetRepetitionCount(int quality) const {
    return IsRecord(quality, 0) ? Record(quality, 0).GetValueCount() : 0;
}

int CQVRFCDOEAnalyzer::DOEWriter(FILE* pFile, int bCSV) const {
    if (!pFile || !m_pOrthogonalArray) return 0;
    const ReportStyle style(bCSV);
    const char* sep = style.Separator();
    m_pOrthogonalArray->Writer(pFile, "[DOE OrthogonalArray]");
    std::fprintf(pFile, "\n[Control Factor ID]\n");
    std::fprintf(pFile, "No. Control Factor= %d\n", m_nFactor);
    std::fprintf(pFile, "No. Available Control Factor in the Orthogonal Array= %d \n",
                 m_pOrthogonalArray->GetNoFactor());
    style.WriteLine(pFile, '=', 22);
    std::fprintf(pFile, " Factor%s     ID\n", sep);
    style.WriteLine(pFile, '-', 22);
    // The placements exist only while the storage does; released storage lists none.
    for (int j = 0; j < m_nFactor && j < static_cast<int>(m_pControlFactorID.size()); ++j)
        std::fprintf(pFile, "%2d%s         %2d\n", j + 1, sep,
                     m_pControlFactorID[static_cast<size_t>(j)] + 1);
    style.WriteLine(pFile, '=', 22);
    CString message;
    if (!CheckControlFactorID(message))
        std::fprintf(pFile, "@@@@( ERROR: %s\n", message.GetString());
    std::fprintf(pFile, "\n[DOE Data]\n");
    if (!HasStorage() || m_pRunControlFactorData.empty()) {
        std::fprintf(pFile, "@@@@( ERROR: Null run data!\n");
        return 0;
    }
    style.WriteRule(pFile, m_nFactor);
    std::fprintf(pFile, "Run%s      Factor\n", sep);
    std::fprintf(pFile, "No.       ");
    for (int j = 0; j < m_nFactor; ++j)
        std::fprintf(pFile, "%-12d%s", j + 1, sep);
    std::fprintf(pFile, "\n");
    style.WriteRule(pFile, m_nFactor);
    for (int r = 0; r < m_nRun; ++r) {
        std::fprintf(pFile, "%2d%s     ", r + 1, sep);
        const CQVRFCDOERunControlFactorData& factors =
            m_pRunControlFactorData[static_cast<size_t>(r)];
        for (int j = 0; j < m_nFactor; ++j)
            std::fprintf(pFile, "%-12.4lf%s", factors.GetValue(j), sep);
        std::fprintf(pFile, "\n");
        qvrfc::WriteRunGroupBreak(pFile, r + 1, m_nRun);
    }
    style.WriteRule(pFile, m_nFactor);
    return 1;
}

int CQVRFCDOEAnalyzer::WriteRunQualityData(FILE* pFile, int bCSV, CString strTitle) const {
    if (!pFile || !HasStorage()) return 0;
    const char* sep = ReportStyle(bCSV).Separator();
    std::fprintf(pFile, "nFactor=%d\nnLevel=%d\nDOE Array=%s\n", m_nFactor, m_nLevel,
                 GetDOEArrayName().GetString());
    std::fprintf(pFile, "%s\n", strTitle.GetString());
    if (m_nQuality > 1) std::fprintf(pFile, "Quality Count=%s\t%d\n", sep, m_nQuality);
    for (int q = 0; q < m_nQuality; ++q) {
        const int repetitions = GetRepetitionCount(q);
        if (m_nQuality > 1) std::fprintf(pFile, "\n<Quality #%d>\n", q + 1);
        std::fprintf(pFile, "Quality Characteristic: %s[%d] %s\n", sep,
                     static_cast<int>(m_pQualityCharacteristic[static_cast<size_t>(q)]),
                     GetSNRatioType(q).GetString());
        std::fprintf(pFile, "Run%s\t", sep);
        for (int j = 0; j < m_nFactor; ++j)
            std::fprintf(pFile, "%s%s\t", FactorName(j).c_str(), sep);
        if (repetitions < 2) {
            std::fprintf(pFile, "Value%s S/N Ratio\n", sep);
        } else {
            for (int k = 1; k <= repetitions; ++k)
                std::fprintf(pFile, "Value%d%s", k, sep);
            std::fprintf(pFile, "AVG%s STDEV%s MSD%s COV%s S/N Ratio\n", sep, sep, sep, sep);
        }
        for (int r = 0; r < m_nRun; ++r) {
            std::fprintf(pFile, "%2d%s ", r + 1, sep);
            for (int j = 0; j < m_nFactor; ++j)
                std::fprintf(pFile, "%d%s ", GetLevel(r, j), sep);
            for (int k = 0; k < repetitions; ++k)
                std::fprintf(pFile, "%lg%s ", GetQualityValue(q, r, k), sep);
            const double snRatio = GetSNRatio(q, r);
            if (repetitions < 2) {
                std::fprintf(pFile, "%lg\n", snRatio);
                continue;
            }
            std::fprintf(pFile, "%lg%s %.2le%s %.4le%s %.4le%s %lg\n",
                         GetAveragedQualityValue(q, r), sep, GetRunStandardDeviation(q, r), sep,
                         GetMeanSquareDeviation(q, r), sep, GetCoefficientOfVariation(q, r), sep,
                         snRatio);
        }
        WriteGrandAverage(pFile, sep, *this, q, kQualityResponse);
        if (repetitions > 1) WriteGrandAverage(pFile, sep, *this, q, kStdevResponse);
        WriteGrandAverage(pFile, sep, *this, q, kSNRatioResponse);
    }
    return 1;
}

int CQVRFCDOEAnalyzer::WriteFactorEffectData(FILE* pFile, int bCSV, CString strTitle) const {
    if (!pFile || !HasStorage()) return 0;
    const char* sep = ReportStyle(bCSV).Separator();
    std::vector<int> ranks(static_cast<size_t>(m_nFactor > 0 ? m_nFactor : 0), 0);
    std::fprintf(pFile, "\n%s\n", strTitle.GetString());
    for (int q = 0; q < m_nQuality; ++q) {
        if (m_nQuality > 1) std::fprintf(pFile, "\n<Quality #%d>\n", q + 1);
        WriteResponse(pFile, sep, *this, q, kQualityResponse, ranks);
        if (GetRepetitionCount(q) > 1) WriteResponse(pFile, sep, *this, q, kStdevResponse, ranks);
        WriteResponse(pFile, sep, *this, q, kSNRatioResponse, ranks);
        if (bCSV != 0) WriteQualityResponsePlotData(q, pFile, "[Response Plot]");
    }
    return 1;
}

int CQVRFCDOEAnalyzer::WriteQualityResponsePlotData(int nQuality, FILE* pFile,
                                                    CString strTitle) const {
    if (!pFile || !IsQuality(nQuality)) return 0;
    std::fprintf(pFile, "%s\n", strTitle.GetString());
    WritePlotSeries(pFile, *this, nQuality, kQualityResponse);
    if (GetRepetitionCount(nQuality) > 1) WritePlotSeries(pFile, *this, nQuality, kStdevResponse);
    WritePlotSeries(pFile, *this, nQuality, kSNRatioResponse);
    return 1;
}
