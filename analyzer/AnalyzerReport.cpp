// The complete analysis report: file summary, experiment section, run data, averages,
// factor effects and ANOVA per quality, and the chart data of the comma-separated style.
#include <cstdio>
#include <cstring>
#include <string>

#include "analyzer/QVRFCDOEAnalyzer.h"
#include "common/QVRFCFixedFormat.h"
#include "common/QVRFCPlatform.h"
#include "common/QVRFCReportStyle.h"

namespace {

using Analyzer = CQVRFCDOEAnalyzer;
using qvrfc::FactorName;
using qvrfc::ReportStyle;

// The three per-run responses in report order, with the labels the report prints.
struct EffectKind {
    Analyzer::FACTOR_EFFECT_TYPE type;
    const char* label;
};
constexpr EffectKind kQualityKind{Analyzer::FACTOR_EFFECT_QUALITY, "QUALITY"};
constexpr EffectKind kStdevKind{Analyzer::FACTOR_EFFECT_STDEV, "STANDARD DEVIATION"};
constexpr EffectKind kSNRatioKind{Analyzer::FACTOR_EFFECT_SN_RATIO, "S/N RATIO"};
constexpr EffectKind kEffectKinds[] = {kQualityKind, kStdevKind, kSNRatioKind};

// The observations of one run, each field as " %-12.4lf%s" writes it, in one write.
void WriteObservationFields(FILE* file, const CQVRFCDoubleArray& values, const char* sep) {
    std::string text;
    text.reserve(static_cast<size_t>(values.GetSize()) * (14 + std::strlen(sep)));
    for (int k = 0; k < values.GetSize(); ++k) {
        text += ' ';
        qvrfc::AppendFixed4(text, values[k], 12);
        text += sep;
    }
    std::fwrite(text.data(), 1, text.size(), file);
}

void WriteRunAverages(FILE* file, const Analyzer& analyzer) {
    for (int q = 0; q < analyzer.GetNoQuality(); ++q) {
        std::fprintf(file, "=== QUALITY#%d ====\n", q + 1);
        std::fprintf(file, "Run Averaged Quality Value      = %-12.4lf\n",
                     analyzer.GetAveragedQualityValue(q));
        std::fprintf(file, "Run Averaged Standard Deviation = %-12.4lf\n",
                     analyzer.GetAveragedStandardDeviationValue(q));
        std::fprintf(file, "Run Averaged S/N Ratio          = %-12.4lf\n",
                     analyzer.GetAveragedSNRatio(q));
    }
}

// One factor effect table: level effects of every factor, effect sizes and best levels.
void WriteFactorEffectTable(FILE* file, const ReportStyle& style, const Analyzer& analyzer, int q,
                            const EffectKind& kind) {
    const char* sep = style.Separator();
    const int nFactor = analyzer.GetNoFactor();
    style.WriteRule(file, nFactor, false);
    std::fprintf(file, "\n                     %s\n", kind.label);
    style.WriteRule(file, nFactor);
    std::fprintf(file, "Level%s         Factor\n", sep);
    std::fprintf(file, "No.%s   ", sep);
    for (int j = 0; j < nFactor; ++j)
        std::fprintf(file, "%12d%s", j + 1, sep);
    std::fprintf(file, "\n");
    style.WriteRule(file, nFactor);
    for (int l = 0; l < analyzer.GetNoLevel(); ++l) {
        std::fprintf(file, "%2d%s       ", l + 1, sep);
        for (int j = 0; j < nFactor; ++j)
            std::fprintf(file, "%12.4lf%s", analyzer.GetFactorLevelEffect(q, j, l, kind.type), sep);
        std::fprintf(file, "\n");
    }
    std::fprintf(file, "Effect%s   ", sep);
    for (int j = 0; j < nFactor; ++j)
        std::fprintf(file, "%12.4lf%s", analyzer.GetFactorEffect(q, j, kind.type, 1), sep);
    std::fprintf(file, "\n");
    std::fprintf(file, "Best%s             ", sep);
    for (int j = 0; j < nFactor; ++j)
        std::fprintf(file, "%-12d%s",
                     analyzer.GetLargestResponseControlFactorLevel(q, j, kind.type) + 1, sep);
    std::fprintf(file, "\n");
    style.WriteRule(file, nFactor);
}

void WriteFactorEffects(FILE* file, const ReportStyle& style, const Analyzer& analyzer, int q) {
    std::fprintf(file, "\n[Factor Effect for Quality#%d]\n", q + 1);
    for (const EffectKind& kind : kEffectKinds)
        WriteFactorEffectTable(file, style, analyzer, q, kind);
}

// The heading of the ANOVA section and the factors pooled with flag 1; the quality and
// S/N tables follow.
void WriteAnovaHeading(FILE* file, const ReportStyle& style, const Analyzer& analyzer, int q) {
    const char* sep = style.Separator();
    std::fprintf(file, "\n[ANOVA for Quality#%d]\n", q + 1);
    bool anyPooled = false;
    for (int j = 0; j < analyzer.GetNoFactor(); ++j) {
        if (analyzer.IsFactorPooled(q, j) != 1) continue;
        if (!anyPooled) std::fprintf(file, "Pooled factor =%s ", sep);
        anyPooled = true;
        std::fprintf(file, "%d%s  ", j + 1, sep);
    }
    if (anyPooled) std::fprintf(file, "\n");
}

// Pareto chart data: the factor effects of each response in factor order.
void WriteParetoChart(FILE* file, const Analyzer& analyzer, int q) {
    std::fprintf(file, "\n[Pareto Chart for Quality#%d]\n", q + 1);
    for (const EffectKind& kind : kEffectKinds) {
        std::fprintf(file, "%s\n", kind.label);
        for (int j = 0; j < analyzer.GetNoFactor(); ++j)
            std::fprintf(file, "Factor#%-2d(%s),", j + 1, FactorName(j).c_str());
        std::fprintf(file, "\n");
        for (int j = 0; j < analyzer.GetNoFactor(); ++j)
            std::fprintf(file, "%12.4lf,", analyzer.GetFactorEffect(q, j, kind.type, 1));
        std::fprintf(file, "\n");
    }
}

}  // namespace

void CQVRFCDOEAnalyzer::WriteReportSummary(FILE* pFile, const CString& fileName,
                                           const CString& creator) const {
    CString time;
    std::fprintf(pFile, "[File Summary]\n");
    std::fprintf(pFile, "File = %s\n", fileName.GetString());
    std::fprintf(pFile, "Time = %s\n", GetCurrentTimeString(time).GetString());
    std::fprintf(pFile, "Created By = %s\n", creator.GetString());
    std::fprintf(pFile, "No. Quality Factor = %d\n", m_nQuality);
    std::fprintf(pFile, "No. Control Factor= %d\n", m_nFactor);
    // Names exist only while the storage does; released storage lists none.
    for (int q = 0; q < m_nQuality && q < static_cast<int>(m_pQualityFactorName.size()); ++q)
        std::fprintf(pFile, "Quality Factor#%d = %s\n", q + 1,
                     m_pQualityFactorName[static_cast<size_t>(q)].GetString());
    for (int j = 0; j < m_nFactor && j < static_cast<int>(m_pControlFactorName.size()); ++j)
        std::fprintf(pFile, "Control Factor#%d = %s\n", j + 1,
                     m_pControlFactorName[static_cast<size_t>(j)].GetString());
}

void CQVRFCDOEAnalyzer::WriteReportRunData(FILE* pFile, int bCSV) const {
    const ReportStyle style(bCSV);
    const char* sep = style.Separator();
    const int width = (GetRepetitionCount(0) + 3) * m_nQuality + m_nFactor;
    std::fprintf(pFile, "\n[Run Data]\n");
    std::fprintf(pFile, "\n");
    for (int q = 0; q < m_nQuality; ++q) {
        std::fprintf(pFile, "S/N Ratio Type for Quality#%d= %s", q + 1,
                     GetSNRatioType(q).GetString());
        if (m_pQualityCharacteristic[static_cast<size_t>(q)] <= NOMINAL_THE_BEST_4)
            std::fprintf(pFile, "%s  Target=%12.4lf\n", sep,
                         m_pQualityTarget[static_cast<size_t>(q)]);
        else
            std::fprintf(pFile, "\n");
    }
    style.WriteRule(pFile, width);
    std::fprintf(pFile, "Run%s      Factor\n", sep);
    std::fprintf(pFile, "No.   ");
    for (int j = 0; j < m_nFactor; ++j)
        std::fprintf(pFile, "%-12d%s ", j + 1, sep);
    for (int q = 0; q < m_nQuality; ++q) {
        for (int k = 0; k < GetRepetitionCount(q); ++k)
            std::fprintf(pFile, " Q#%d[%d]%s      ", q + 1, k + 1, sep);
        std::fprintf(pFile, "    Average#%d%s     STDEV#%d%s     S/NRatio#%d%s  ", q + 1, sep,
                     q + 1, sep, q + 1, sep);
    }
    std::fprintf(pFile, "\n");
    style.WriteRule(pFile, width);
    for (int r = 0; r < m_nRun; ++r) {
        std::fprintf(pFile, "%-2d%s   ", r + 1, sep);
        const CQVRFCDOERunControlFactorData& factors =
            m_pRunControlFactorData[static_cast<size_t>(r)];
        for (int j = 0; j < m_nFactor; ++j)
            std::fprintf(pFile, "%-12.4lf%s ", factors.GetValue(j), sep);
        for (int q = 0; q < m_nQuality; ++q) {
            CQVRFCDOERunQualityData& record = Record(q, r);
            WriteObservationFields(pFile, record.m_aQualityValue, sep);
            std::fprintf(pFile, "%12.4lf%s ", record.GetAverageValue(), sep);
            std::fprintf(pFile, "%12.4lf%s ", record.GetStandardDeviationValue(), sep);
            std::fprintf(pFile, "%12.4lf%s     ", record.m_dSNRatio, sep);
        }
        std::fprintf(pFile, "\n");
        qvrfc::WriteRunGroupBreak(pFile, r + 1, m_nRun);
    }
    style.WriteRule(pFile, width);
}

// Main effect chart data: every factor with the level count of its own array column.
void CQVRFCDOEAnalyzer::WriteReportMainEffectChart(FILE* pFile, int quality) const {
    std::fprintf(pFile, "\n[Main Effect Chart for Quality#%d]\n", quality + 1);
    for (const EffectKind& kind : kEffectKinds) {
        std::fprintf(pFile, "%s\n", kind.label);
        for (int j = 0; j < m_nFactor; ++j)
            for (int l = 0; l < FactorLevelCount(j); ++l)
                std::fprintf(pFile, "%s%-2d,", FactorName(j).c_str(), l + 1);
        std::fprintf(pFile, "\n");
        for (int j = 0; j < m_nFactor; ++j)
            for (int l = 0; l < FactorLevelCount(j); ++l)
                std::fprintf(pFile, "%12.4lf,", GetFactorLevelEffect(quality, j, l, kind.type));
        std::fprintf(pFile, "\n");
    }
}

// One ANOVA table. The total sum of squares and the error row are computed once for the
// table: every row's contribution and F value come from the same numbers.
void CQVRFCDOEAnalyzer::WriteReportAnovaTable(FILE* pFile, int bCSV, int quality,
                                              FACTOR_EFFECT_TYPE type, const char* label) const {
    const ReportStyle style(bCSV);
    const char* sep = style.Separator();
    int totalDof = 0;
    const double total = GetTotalSumsOfSquares(quality, totalDof, type);
    int errorDof = 0;
    double errorSD = 0.0;
    double errorPercent = 0.0;
    const double errorSS = GetErrorSumsOfSquares(quality, errorDof, type);
    const double errorVariance =
        ErrorVarianceOfTotal(errorSS, errorDof, total, errorSD, errorPercent);
    style.WriteLine(pFile, '=', 64);
    std::fprintf(pFile, "                     %s\n", label);
    style.WriteLine(pFile, '-', 64);
    std::fprintf(pFile,
                 "Factor%s  SumOfSquare%s   DOF%s   Variance%s   Contribution%%%s      FValue\n",
                 sep, sep, sep, sep, sep);
    style.WriteLine(pFile, '=', 64);
    for (int j = 0; j < m_nFactor; ++j) {
        std::fprintf(pFile, "%4d%s   ", j + 1, sep);
        if (IsFactorPooled(quality, j) != 0) {
            std::fputs(qvrfc::kPooledFactorRow, pFile);
            continue;
        }
        int dof = 0;
        double fValue = 0.0;
        double percent = 0.0;
        const double ss = GetFactorSumsOfSquares(quality, j, dof, type, 1);
        const double variance =
            FactorVarianceOfTotal(ss, dof, errorVariance, total, fValue, percent);
        std::fprintf(pFile, "%12.4f%s  %3d%s %12.4lf%s     %4.1lf%%%s     %12.4lf\n", ss, sep, dof,
                     sep, variance, sep, percent, sep, fValue);
    }
    std::fprintf(pFile, "Error%s  %12.4f%s  %3d%s %12.4lf%s     %4.1lf%%         \n", sep, errorSS,
                 sep, errorDof, sep, errorVariance, sep, errorPercent);
    style.WriteLine(pFile, '=', 64);
    std::fprintf(pFile, "Total%s   %12.4lf%s ", sep, total, sep);
    std::fprintf(pFile, " %2d\n\n", totalDof);
}

int CQVRFCDOEAnalyzer::Writer(CString strFileName, CString strCreator) const {
    const ReportStyle style = ReportStyle::ForFileName(strFileName);
    FILE* file = std::fopen(strFileName.GetString(), "w");
    if (!file) return 0;
    WriteReportSummary(file, strFileName, strCreator);
    DOEWriter(file, style.GetCSVFlag());
    if (!HasStorage() || m_pRunControlFactorData.empty()) {
        std::fprintf(file, "@@@@( No available run data!\n");
    } else if (GetRepetitionCount(0) <= 0) {
        std::fprintf(file, "@@@@( No available run quality data!\n");
    } else {
        WriteReportRunData(file, style.GetCSVFlag());
        WriteRunAverages(file, *this);
        for (int q = 0; q < m_nQuality; ++q) {
            WriteFactorEffects(file, style, *this, q);
            WriteAnovaHeading(file, style, *this, q);
            for (const EffectKind& kind : {kQualityKind, kSNRatioKind})
                WriteReportAnovaTable(file, style.GetCSVFlag(), q, kind.type, kind.label);
            if (!style.IsCommaSeparated()) continue;
            WriteParetoChart(file, *this, q);
            WriteReportMainEffectChart(file, q);
        }
    }
    std::fprintf(file, "\n[EOF]\n");
    std::fclose(file);
    return 1;
}
