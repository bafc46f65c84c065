// The complete analysis report: file summary, experiment section, run data, averages,
// factor effects and ANOVA per quality, and the chart data of the comma-separated style.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/QVRFCAtomicFile.h"
#include "common/QVRFCReportStyle.h"
#include "common/QVRFCTextOutput.h"
#include "qvrfc/analyzer/QVRFCDOEAnalyzer.h"
#include "qvrfc/common/QVRFCPlatform.h"

namespace {

using Analyzer = CQVRFCDOEAnalyzer;
using qvrfc::FactorName;
using qvrfc::PutFixed4Value;
using qvrfc::ReportStyle;
using qvrfc::TextOutput;

// The three per-run responses in report order, with the labels the report prints.
struct EffectKind {
    Analyzer::FACTOR_EFFECT_TYPE type;
    const char* label;
};
constexpr EffectKind kQualityKind{Analyzer::FACTOR_EFFECT_QUALITY, "QUALITY"};
constexpr EffectKind kStdevKind{Analyzer::FACTOR_EFFECT_STDEV, "STANDARD DEVIATION"};
constexpr EffectKind kSNRatioKind{Analyzer::FACTOR_EFFECT_SN_RATIO, "S/N RATIO"};
constexpr EffectKind kEffectKinds[] = {kQualityKind, kStdevKind, kSNRatioKind};

void WriteRunAverages(TextOutput& out, const Analyzer& analyzer) {
    for (int q = 0; q < analyzer.GetNoQuality(); ++q) {
        out.Format("=== QUALITY#%d ====\n", q + 1);
        out.Put("Run Averaged Quality Value      = ");
        PutFixed4Value(out, analyzer.GetAveragedQualityValue(q), 12, true);
        out.Put("\nRun Averaged Standard Deviation = ");
        PutFixed4Value(out, analyzer.GetAveragedStandardDeviationValue(q), 12, true);
        out.Put("\nRun Averaged S/N Ratio          = ");
        PutFixed4Value(out, analyzer.GetAveragedSNRatio(q), 12, true);
        out.Put('\n');
    }
}

// The numbers of a factor effect table: "%12.4lf%s" each.
void WriteEffectField(TextOutput& out, double value, const char* sep) {
    PutFixed4Value(out, value, 12, false);
    out.Put(sep);
}

// One factor effect table: level effects of every factor, effect sizes and best levels.
void WriteFactorEffectTable(TextOutput& out, const ReportStyle& style, const Analyzer& analyzer,
                            int q, const EffectKind& kind) {
    const char* sep = style.Separator();
    const int nFactor = analyzer.GetNoFactor();
    const size_t width = static_cast<size_t>(nFactor);
    style.WriteRule(out, width, false);
    out.Format("\n                     %s\n", kind.label);
    style.WriteRule(out, width);
    out.Format("Level%s         Factor\n", sep);
    out.Format("No.%s   ", sep);
    for (int j = 0; j < nFactor; ++j)
        out.Format("%12d%s", j + 1, sep);
    out.Put('\n');
    style.WriteRule(out, width);
    for (int l = 0; l < analyzer.GetNoLevel(); ++l) {
        out.Format("%2d%s       ", l + 1, sep);
        for (int j = 0; j < nFactor; ++j)
            WriteEffectField(out, analyzer.GetFactorLevelEffect(q, j, l, kind.type), sep);
        out.Put('\n');
    }
    out.Format("Effect%s   ", sep);
    for (int j = 0; j < nFactor; ++j)
        WriteEffectField(out, analyzer.GetFactorEffect(q, j, kind.type, 1), sep);
    out.Put('\n');
    out.Format("Best%s             ", sep);
    for (int j = 0; j < nFactor; ++j)
        out.Format("%-12d%s", analyzer.GetLargestResponseControlFactorLevel(q, j, kind.type) + 1,
                   sep);
    out.Put('\n');
    style.WriteRule(out, width);
}

void WriteFactorEffects(TextOutput& out, const ReportStyle& style, const Analyzer& analyzer,
                        int q) {
    out.Format("\n[Factor Effect for Quality#%d]\n", q + 1);
    for (const EffectKind& kind : kEffectKinds)
        WriteFactorEffectTable(out, style, analyzer, q, kind);
}

// The heading of the ANOVA section and the factors pooled with flag 1; the quality and
// S/N tables follow.
void WriteAnovaHeading(TextOutput& out, const ReportStyle& style, const Analyzer& analyzer, int q) {
    const char* sep = style.Separator();
    out.Format("\n[ANOVA for Quality#%d]\n", q + 1);
    bool anyPooled = false;
    for (int j = 0; j < analyzer.GetNoFactor(); ++j) {
        if (analyzer.IsFactorPooled(q, j) != 1) continue;
        if (!anyPooled) out.Format("Pooled factor =%s ", sep);
        anyPooled = true;
        out.Format("%d%s  ", j + 1, sep);
    }
    if (anyPooled) out.Put('\n');
}

// Pareto chart data: the factor effects of each response in factor order.
void WriteParetoChart(TextOutput& out, const Analyzer& analyzer, int q) {
    out.Format("\n[Pareto Chart for Quality#%d]\n", q + 1);
    for (const EffectKind& kind : kEffectKinds) {
        out.Format("%s\n", kind.label);
        for (int j = 0; j < analyzer.GetNoFactor(); ++j)
            out.Format("Factor#%-2d(%s),", j + 1, FactorName(j).c_str());
        out.Put('\n');
        for (int j = 0; j < analyzer.GetNoFactor(); ++j)
            WriteEffectField(out, analyzer.GetFactorEffect(q, j, kind.type, 1), ",");
        out.Put('\n');
    }
}

}  // namespace

void CQVRFCDOEAnalyzer::WriteReportSummary(TextOutput& out, const CString& fileName,
                                           const CString& creator) const {
    CString time;
    out.Put("[File Summary]\n");
    out.Format("File = %s\n", fileName.GetString());
    out.Format("Time = %s\n", GetCurrentTimeString(time).GetString());
    out.Format("Created By = %s\n", creator.GetString());
    out.Format("No. Quality Factor = %d\n", m_nQuality);
    out.Format("No. Control Factor= %d\n", m_nFactor);
    // Names exist only while the storage does; released storage lists none.
    for (int q = 0; q < m_nQuality && q < static_cast<int>(m_pQualityFactorName.size()); ++q)
        out.Format("Quality Factor#%d = %s\n", q + 1,
                   m_pQualityFactorName[static_cast<size_t>(q)].GetString());
    for (int j = 0; j < m_nFactor && j < static_cast<int>(m_pControlFactorName.size()); ++j)
        out.Format("Control Factor#%d = %s\n", j + 1,
                   m_pControlFactorName[static_cast<size_t>(j)].GetString());
}

void CQVRFCDOEAnalyzer::WriteReportRunData(TextOutput& out, int bCSV) const {
    const ReportStyle style(bCSV);
    const char* sep = style.Separator();
    const size_t width = RunDataWidth();
    out.Put("\n[Run Data]\n\n");
    for (int q = 0; q < m_nQuality; ++q) {
        out.Format("S/N Ratio Type for Quality#%d= %s", q + 1, GetSNRatioType(q).GetString());
        if (m_pQualityCharacteristic[static_cast<size_t>(q)] <= NOMINAL_THE_BEST_4)
            out.Format("%s  Target=%12.4lf\n", sep, m_pQualityTarget[static_cast<size_t>(q)]);
        else
            out.Put('\n');
    }
    style.WriteRule(out, width);
    out.Format("Run%s      Factor\n", sep);
    out.Put("No.   ");
    for (int j = 0; j < m_nFactor; ++j)
        out.Format("%-12d%s ", j + 1, sep);
    for (int q = 0; q < m_nQuality; ++q) {
        const int repetitions = GetRepetitionCount(q);
        for (int k = 0; k < repetitions; ++k)
            out.Format(" Q#%d[%d]%s      ", q + 1, k + 1, sep);
        out.Format("    Average#%d%s     STDEV#%d%s     S/NRatio#%d%s  ", q + 1, sep, q + 1, sep,
                   q + 1, sep);
    }
    out.Put('\n');
    style.WriteRule(out, width);
    std::vector<int> repetitions;
    for (int q = 0; q < m_nQuality; ++q)
        repetitions.push_back(GetRepetitionCount(q));
    for (int r = 0; r < m_nRun && !out.Failed(); ++r) {
        WriteReportRunRow(out, sep, r, repetitions);
        qvrfc::WriteRunGroupBreak(out, r + 1, m_nRun);
    }
    style.WriteRule(out, width);
}

// One run row: the factor values, then per quality the observations, empty fields up to
// the quality's most observations, and the run's average, standard deviation and stored
// S/N ratio.
void CQVRFCDOEAnalyzer::WriteReportRunRow(TextOutput& out, const char* sep, int r,
                                          const std::vector<int>& repetitions) const {
    const size_t sepSize = std::strlen(sep);
    out.Format("%-2d%s   ", r + 1, sep);
    const CQVRFCDOERunControlFactorData& factors = m_pRunControlFactorData[static_cast<size_t>(r)];
    for (int j = 0; j < m_nFactor; ++j) {
        out.Fixed4(factors.GetValue(j), 12, true);
        out.Put(sep, sepSize);
        out.Put(' ');
    }
    for (int q = 0; q < m_nQuality; ++q) {
        CQVRFCDOERunQualityData& record = Record(q, r);
        const CQVRFCDoubleArray& values = record.m_aQualityValue;
        for (int k = 0; k < values.GetSize(); ++k) {
            out.Put(' ');
            PutFixed4Value(out, values[k], 12, true);
            out.Put(sep, sepSize);
        }
        for (int k = values.GetSize(); k < repetitions[static_cast<size_t>(q)]; ++k) {
            out.Repeat(' ', 13);
            out.Put(sep, sepSize);
        }
        for (double statistic : {record.GetAverageValue(), record.GetStandardDeviationValue()}) {
            PutFixed4Value(out, statistic, 12, false);
            out.Put(sep, sepSize);
            out.Put(' ');
        }
        PutFixed4Value(out, record.m_dSNRatio, 12, false);
        out.Put(sep, sepSize);
        out.Put("     ", 5);
    }
    out.Put('\n');
}

// Main effect chart data: every factor with the level count of its own array column.
void CQVRFCDOEAnalyzer::WriteReportMainEffectChart(TextOutput& out, int quality) const {
    out.Format("\n[Main Effect Chart for Quality#%d]\n", quality + 1);
    for (const EffectKind& kind : kEffectKinds) {
        out.Format("%s\n", kind.label);
        for (int j = 0; j < m_nFactor; ++j)
            for (int l = 0; l < FactorLevelCount(j); ++l)
                out.Format("%s%-2d,", FactorName(j).c_str(), l + 1);
        out.Put('\n');
        for (int j = 0; j < m_nFactor; ++j)
            for (int l = 0; l < FactorLevelCount(j); ++l)
                WriteEffectField(out, GetFactorLevelEffect(quality, j, l, kind.type), ",");
        out.Put('\n');
    }
}

// One ANOVA table. The total sum of squares and the error row are computed once for the
// table: every row's contribution and F value come from the same numbers.
void CQVRFCDOEAnalyzer::WriteReportAnovaTable(TextOutput& out, int bCSV, int quality,
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
    style.WriteLine(out, '=', 64);
    out.Format("                     %s\n", label);
    style.WriteLine(out, '-', 64);
    out.Format("Factor%s  SumOfSquare%s   DOF%s   Variance%s   Contribution%%%s      FValue\n", sep,
               sep, sep, sep, sep);
    style.WriteLine(out, '=', 64);
    for (int j = 0; j < m_nFactor; ++j) {
        out.Format("%4d%s   ", j + 1, sep);
        if (IsFactorPooled(quality, j) != 0) {
            out.Put(qvrfc::kPooledFactorRow);
            continue;
        }
        int dof = 0;
        double fValue = 0.0;
        double percent = 0.0;
        const double ss = GetFactorSumsOfSquares(quality, j, dof, type, 1);
        const double variance =
            FactorVarianceOfTotal(ss, dof, errorVariance, total, fValue, percent);
        out.Format("%12.4f%s  %3d%s %12.4lf%s     %4.1lf%%%s     %12.4lf\n", ss, sep, dof, sep,
                   variance, sep, percent, sep, fValue);
    }
    out.Format("Error%s  %12.4f%s  %3d%s %12.4lf%s     %4.1lf%%         \n", sep, errorSS, sep,
               errorDof, sep, errorVariance, sep, errorPercent);
    style.WriteLine(out, '=', 64);
    out.Format("Total%s   %12.4lf%s ", sep, total, sep);
    out.Format(" %2d\n\n", totalDof);
}

// Width of the run data rules: the factor columns and, per quality, its observation
// columns and the three statistics. Computed in size_t, so no shape overflows it.
size_t CQVRFCDOEAnalyzer::RunDataWidth() const {
    size_t width = static_cast<size_t>(m_nFactor > 0 ? m_nFactor : 0);
    for (int q = 0; q < m_nQuality; ++q)
        width += static_cast<size_t>(GetRepetitionCount(q)) + 3;
    return width;
}

// The fewest bytes the run rows of the report take: at least 13 bytes a column in every
// run. Saturates rather than overflows, for any shape.
size_t CQVRFCDOEAnalyzer::LeastRunDataBytes() const {
    if (!HasStorage() || m_pRunControlFactorData.empty()) return 0;
    const size_t most = static_cast<size_t>(-1);
    const size_t width = RunDataWidth();
    const size_t rowBytes = width <= most / 13 ? 13 * width : most;
    const size_t rows = static_cast<size_t>(m_nRun > 0 ? m_nRun : 0);
    return rows == 0 || rowBytes <= most / rows ? rowBytes * rows : most;
}

void CQVRFCDOEAnalyzer::WriteReport(TextOutput& out, const CString& fileName,
                                    const CString& creator) const {
    const ReportStyle style = ReportStyle::ForFileName(fileName);
    WriteReportSummary(out, fileName, creator);
    WriteExperimentSection(out, style.GetCSVFlag());
    if (!HasStorage() || m_pRunControlFactorData.empty()) {
        out.Put("@@@@( No available run data!\n");
    } else if (RunDataWidth() ==  // no run of any quality holds an observation
               static_cast<size_t>(m_nFactor) + 3 * static_cast<size_t>(m_nQuality)) {
        out.Put("@@@@( No available run quality data!\n");
    } else {
        WriteReportRunData(out, style.GetCSVFlag());
        WriteRunAverages(out, *this);
        for (int q = 0; q < m_nQuality; ++q) {
            WriteFactorEffects(out, style, *this, q);
            WriteAnovaHeading(out, style, *this, q);
            for (const EffectKind& kind : {kQualityKind, kSNRatioKind})
                WriteReportAnovaTable(out, style.GetCSVFlag(), q, kind.type, kind.label);
            if (!style.IsCommaSeparated()) continue;
            WriteParetoChart(out, *this, q);
            WriteReportMainEffectChart(out, q);
        }
    }
    out.Put("\n[EOF]\n");
}

// The report replaces the file whole: it is written to a temporary file beside it and
// renamed over it once complete, so a failed write leaves the earlier report as it was.
int CQVRFCDOEAnalyzer::Writer(CString strFileName, CString strCreator) const {
    return WriteReportFile(strFileName.GetString(), strFileName, strCreator);
}

int CQVRFCDOEAnalyzer::WriterAs(const char* path, CString strFileName, CString strCreator) const {
    if (!path) return 0;
    return WriteReportFile(path, strFileName, strCreator);
}

int CQVRFCDOEAnalyzer::WriteReportFile(const std::string& path, const CString& fileName,
                                       const CString& creator) const {
    if (LeastRunDataBytes() > TextOutput::kByteLimit) {
        errno = EFBIG;
        return 0;
    }
    qvrfc::AtomicFile file;
    FILE* stream = file.Open(path);
    if (!stream) return 0;
    TextOutput out(stream);
    WriteReport(out, fileName, creator);
    return out.Finish() && file.Commit() ? 1 : 0;
}
