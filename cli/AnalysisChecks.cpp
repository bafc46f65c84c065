#include "AnalysisChecks.h"

#include <cmath>
#include <functional>
#include <string>

#include "CliError.h"

namespace qvrfcdoe {
namespace {

using Analyzer = CQVRFCDOEAnalyzer;

// Observations above this value are missing.
constexpr double kMissingAbove = 1e12;

struct RunFigure {
    const char* name;
    std::function<double(const Analyzer&, int quality, int run)> value;
    bool reportsOnly = false;
};

struct QualityFigure {
    const char* name;
    std::function<double(const Analyzer&, int quality)> value;
};

double TotalSumOfSquares(const Analyzer& analyzer, int quality, Analyzer::FACTOR_EFFECT_TYPE type) {
    int dof = 0;
    return analyzer.GetTotalSumsOfSquares(quality, dof, type);
}

// The figures of a run and of a quality that the reports and the summary print.
const RunFigure kRunFigures[] = {
    {"average", [](const Analyzer& a, int q, int r) { return a.GetRunQualityValue(q, r); }},
    {"standard deviation",
     [](const Analyzer& a, int q, int r) { return a.GetRunStandardDeviation(q, r); }},
    {"S/N ratio", [](const Analyzer& a, int q, int r) { return a.GetSNRatio(q, r); }},
    {"mean square deviation",
     [](const Analyzer& a, int q, int r) { return a.GetMeanSquareDeviation(q, r); }, true},
    {"coefficient of variation",
     [](const Analyzer& a, int q, int r) { return a.GetCoefficientOfVariation(q, r); }, true},
};
const QualityFigure kQualityFigures[] = {
    {"grand average", [](const Analyzer& a, int q) { return a.GetAveragedQualityValue(q); }},
    {"grand standard deviation",
     [](const Analyzer& a, int q) { return a.GetAveragedStandardDeviationValue(q); }},
    {"grand S/N ratio", [](const Analyzer& a, int q) { return a.GetAveragedSNRatio(q); }},
    {"total sum of squares of the values",
     [](const Analyzer& a, int q) {
         return TotalSumOfSquares(a, q, Analyzer::FACTOR_EFFECT_QUALITY);
     }},
    {"total sum of squares of the S/N ratios",
     [](const Analyzer& a, int q) {
         return TotalSumOfSquares(a, q, Analyzer::FACTOR_EFFECT_SN_RATIO);
     }},
};

int ValidObservations(const Analyzer& analyzer, int quality, int run) {
    int count = 0, valid = 0;
    const double* values = analyzer.GetRunQualityValues(quality, run, count);
    for (int i = 0; i < count; ++i)
        valid += values[i] <= kMissingAbove ? 1 : 0;
    return valid;
}

void CheckEveryRunHasData(const Analyzer& analyzer, const std::string& dataFile) {
    bool any = false;
    int emptyQuality = -1, emptyRun = -1;
    for (int q = 0; q < analyzer.GetNoQuality(); ++q) {
        for (int r = 0; r < analyzer.GetNoRun(); ++r) {
            if (ValidObservations(analyzer, q, r) > 0) {
                any = true;
            } else if (emptyQuality < 0) {
                emptyQuality = q;
                emptyRun = r;
            }
        }
    }
    if (!any)
        throw InputError(
            Text("'%s': the experiment holds no observation (every run is empty or "
                 "missing, values above 1e12 count as missing): nothing to analyse",
                 dataFile.c_str()));
    if (emptyQuality >= 0)
        throw InputError(
            Text("'%s': quality %d, run %d has no observation (values above 1e12 "
                 "count as missing); a Taguchi analysis needs every run",
                 dataFile.c_str(), emptyQuality + 1, emptyRun + 1));
}

// The S/N type of a quality, with its target when the type uses one.
std::string SnSetting(const Analyzer& analyzer, int quality) {
    std::string setting = Text("S/N type %s", analyzer.GetSNRatioType(quality).GetString());
    if (analyzer.GetQualityCharacteristic(quality) <= Analyzer::NOMINAL_THE_BEST_4)
        setting += Text(", target %g", analyzer.GetQualityTarget(quality));
    return setting;
}

[[noreturn]] void FailNotFinite(const Analyzer& analyzer, const std::string& dataFile,
                                const std::string& where, const char* figure, double value,
                                int quality) {
    const char* outcome = std::isnan(value) ? "not a number"
                          : value > 0       ? "+infinity"
                                            : "-infinity";
    throw InputError(Text("'%s': %s: the %s comes out as %s (%s); no report is written",
                          dataFile.c_str(), where.c_str(), figure, outcome,
                          SnSetting(analyzer, quality).c_str()));
}

void CheckFiguresAreFinite(const Analyzer& analyzer, const std::string& dataFile, bool reports) {
    for (int q = 0; q < analyzer.GetNoQuality(); ++q) {
        for (int r = 0; r < analyzer.GetNoRun(); ++r) {
            for (const RunFigure& figure : kRunFigures) {
                if (figure.reportsOnly && !reports) continue;
                const double value = figure.value(analyzer, q, r);
                if (!std::isfinite(value))
                    FailNotFinite(analyzer, dataFile, Text("quality %d, run %d", q + 1, r + 1),
                                  figure.name, value, q);
            }
        }
        for (const QualityFigure& figure : kQualityFigures) {
            const double value = figure.value(analyzer, q);
            if (!std::isfinite(value))
                FailNotFinite(analyzer, dataFile, Text("quality %d", q + 1), figure.name, value, q);
        }
    }
}

}  // namespace

void CheckAnalysable(const CQVRFCDOEAnalyzer& analyzer, const std::string& dataFile, bool reports) {
    CheckEveryRunHasData(analyzer, dataFile);
    CheckFiguresAreFinite(analyzer, dataFile, reports);
}

}  // namespace qvrfcdoe
