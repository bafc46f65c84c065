#include "analysis/AnalysisChecks.h"

#include <cmath>
#include <functional>

#include "qvrfc/common/QVRFCConstants.h"
#include "qvrfc/common/QVRFCError.h"
#include "qvrfc/common/QVRFCTextFormat.h"

namespace qvrfc {
namespace {

using Analyzer = CQVRFCDOEAnalyzer;

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

// The figures of a run and of a quality that the engine's reports print.
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

std::string ResponseName(const std::vector<std::string>& names, int quality) {
    return quality < static_cast<int>(names.size()) ? "'" + names[quality] + "'"
                                                    : FormatText("quality %d", quality + 1);
}

// Valid observations of a run; the first of them at or below zero in `nonPositive`.
int ValidObservations(const Analyzer& analyzer, int quality, int run, double& nonPositive) {
    int count = 0, valid = 0;
    const double* values = analyzer.GetRunQualityValues(quality, run, count);
    for (int i = 0; i < count; ++i) {
        if (IsMissing(values[i])) continue;
        ++valid;
        if (values[i] <= 0.0 && !(nonPositive <= 0.0)) nonPositive = values[i];
    }
    return valid;
}

void CheckEveryRunHasData(const Analyzer& analyzer, const std::vector<SnKind>& kinds,
                          const std::vector<std::string>& names, const std::string& dataFile) {
    bool any = false;
    int emptyQuality = -1, emptyRun = -1;
    for (int q = 0; q < analyzer.GetNoQuality(); ++q) {
        const bool larger = q < static_cast<int>(kinds.size()) && kinds[q] == SnKind::Larger;
        for (int r = 0; r < analyzer.GetNoRun(); ++r) {
            double nonPositive = NAN;
            if (ValidObservations(analyzer, q, r, nonPositive) > 0) {
                any = true;
            } else if (emptyQuality < 0) {
                emptyQuality = q;
                emptyRun = r;
            }
            if (larger && nonPositive <= 0.0)
                throw DataError(dataFile,
                                FormatText("response %s, run %d: the observation %g has no "
                                           "larger-the-better S/N ratio (1/y^2 is not finite); a "
                                           "larger-the-better response needs values above 0",
                                           ResponseName(names, q).c_str(), r + 1, nonPositive),
                                q < static_cast<int>(names.size()) ? names[q] : "");
        }
    }
    if (!any)
        throw DataError(dataFile,
                        "the experiment holds no observation (every run is empty or missing, "
                        "values above 1e12 count as missing): nothing to analyse");
    if (emptyQuality >= 0)
        throw DataError(dataFile,
                        FormatText("quality %d, run %d has no observation (values above 1e12 "
                                   "count as missing); a Taguchi analysis needs every run",
                                   emptyQuality + 1, emptyRun + 1));
}

// The S/N type of a quality, with its target when the type uses one.
std::string SnSetting(const Analyzer& analyzer, int quality) {
    std::string setting = FormatText("S/N type %s", analyzer.GetSNRatioType(quality).GetString());
    if (analyzer.GetQualityCharacteristic(quality) <= Analyzer::NOMINAL_THE_BEST_4)
        setting += FormatText(", target %g", analyzer.GetQualityTarget(quality));
    return setting;
}

[[noreturn]] void FailNotFinite(const Analyzer& analyzer, const std::string& dataFile,
                                const std::string& where, const char* figure, double value,
                                int quality) {
    const char* outcome = std::isnan(value) ? "not a number"
                          : value > 0       ? "+infinity"
                                            : "-infinity";
    throw DataError(
        dataFile, FormatText("%s: the %s comes out as %s (%s); no report is written", where.c_str(),
                             figure, outcome, SnSetting(analyzer, quality).c_str()));
}

void CheckFiguresAreFinite(const Analyzer& analyzer, const std::string& dataFile, bool reports) {
    for (int q = 0; q < analyzer.GetNoQuality(); ++q) {
        for (int r = 0; r < analyzer.GetNoRun(); ++r) {
            for (const RunFigure& figure : kRunFigures) {
                if (figure.reportsOnly && !reports) continue;
                const double value = figure.value(analyzer, q, r);
                if (!std::isfinite(value))
                    FailNotFinite(analyzer, dataFile,
                                  FormatText("quality %d, run %d", q + 1, r + 1), figure.name,
                                  value, q);
            }
        }
        for (const QualityFigure& figure : kQualityFigures) {
            const double value = figure.value(analyzer, q);
            if (!std::isfinite(value))
                FailNotFinite(analyzer, dataFile, FormatText("quality %d", q + 1), figure.name,
                              value, q);
        }
    }
}

}  // namespace

Error DataError(const std::string& dataFile, const std::string& message, const std::string& key,
                Error::Kind kind) {
    if (dataFile.empty()) return Error(message, "", 0, "observations", kind);
    return Error::Placed("'" + dataFile + "': " + message, dataFile, 0, key, kind);
}

Error DataError(const std::string& dataFile, const Error& error) {
    return DataError(dataFile, error.what(), error.Key(), error.GetKind());
}

void CheckAnalysable(const CQVRFCDOEAnalyzer& analyzer, const std::vector<SnKind>& kinds,
                     const std::vector<std::string>& responseNames, const std::string& dataFile,
                     bool reports) {
    CheckEveryRunHasData(analyzer, kinds, responseNames, dataFile);
    CheckFiguresAreFinite(analyzer, dataFile, reports);
}

}  // namespace qvrfc
