#include "results/Summary.h"

#include <algorithm>
#include <string>
#include <vector>

#include "analyzer/QVRFCDOEDataFileReader.h"
#include "common/QVRFCFactorNames.h"

namespace qvrfc_results {
namespace {

using Analyzer = CQVRFCDOEAnalyzer;
using ArrayType = CQVRFCDOETaguchiOrthogonalArray;

// One response of the effect tables: the analyzer's kind and the table's title.
struct Response {
    Analyzer::FACTOR_EFFECT_TYPE type;
    const char* title;
};
const Response kResponses[] = {{Analyzer::FACTOR_EFFECT_SN_RATIO, "S/N ratio (dB)"},
                               {Analyzer::FACTOR_EFFECT_QUALITY, "Mean"},
                               {Analyzer::FACTOR_EFFECT_STDEV, "Standard deviation"}};
const Response kAnovaResponses[] = {{Analyzer::FACTOR_EFFECT_QUALITY, "the observations"},
                                    {Analyzer::FACTOR_EFFECT_SN_RATIO, "the S/N ratios"}};

// Row labels and factor columns of the response tables.
constexpr int kLabelWidth = 20;
constexpr int kColumnWidth = 10;
// Factor columns in one block of a response table: a line of at most 100 characters.
constexpr int kFactorsPerBlock = 8;

const char* Plural(int count, const char* one, const char* many) {
    return count == 1 ? one : many;
}

std::string Fixed(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.4f", value);
    return text;
}

int ObservationCount(const Analyzer& analyzer) {
    int count = 0;
    for (int q = 0; q < analyzer.GetNoQuality(); ++q) {
        for (int r = 0; r < analyzer.GetNoRun(); ++r)
            count += analyzer.GetRunNoQualityData(q, r);
    }
    return count;
}

// Levels of a factor: those of its column in the array, else the experiment's.
int LevelCount(const Analyzer& analyzer, int factor) {
    const int levels =
        ArrayType::GetNoLevel(analyzer.GetDOEArrayType(), analyzer.GetControlFactorID(factor));
    return levels > 0 ? levels : analyzer.GetNoLevel();
}

void WriteExperiment(FILE* file, const Analyzer& analyzer, const SummaryOptions& options) {
    const Analyzer::OA_TYPE type = analyzer.GetDOEArrayType();
    const int runs = analyzer.GetNoRun(), factors = analyzer.GetNoFactor();
    const int qualities = analyzer.GetNoQuality(), observations = ObservationCount(analyzer);
    std::fprintf(file, "Experiment: %s, %d %s, %d %s, %d %s, %d %s\n",
                 CQVRFCDOEDataFileReader::ArrayName(type).c_str(), runs,
                 Plural(runs, "run", "runs"), factors, Plural(factors, "factor", "factors"),
                 qualities, Plural(qualities, "quality", "qualities"), observations,
                 Plural(observations, "observation", "observations"));
    std::string others;
    for (Analyzer::OA_TYPE other : CQVRFCDOEDataFileReader::ArraysWithRuns(runs)) {
        if (other != type)
            others += (others.empty() ? "" : ", ") + CQVRFCDOEDataFileReader::ArrayName(other);
    }
    if (others.empty()) return;
    std::fprintf(file, "Array: %s %s; %s also %s %d runs\n",
                 CQVRFCDOEDataFileReader::ArrayName(type).c_str(),
                 options.arrayChosen ? "as chosen" : "as the first with this run count",
                 others.c_str(), others.find(',') == std::string::npos ? "has" : "have", runs);
}

// Rows of a response table for the factors first..last-1 (0-based).
void WriteResponseBlock(FILE* file, const Analyzer& analyzer, int q, const Response& response,
                        const std::vector<int>& ranks, int first, int last) {
    std::fprintf(file, "\n%-*s", kLabelWidth, response.title);
    for (int f = first; f < last; ++f)
        std::fprintf(file, "%*s", kColumnWidth, qvrfc::FactorName(f).c_str());
    for (int level = 0; level < analyzer.GetNoLevel(); ++level) {
        std::fprintf(file, "\n  Level %-*d", kLabelWidth - 8, level + 1);
        for (int f = first; f < last; ++f) {
            if (level < LevelCount(analyzer, f))
                std::fprintf(file, "%*.4f", kColumnWidth,
                             analyzer.GetFactorLevelEffect(q, f, level, response.type));
            else
                std::fprintf(file, "%*s", kColumnWidth, "");
        }
    }
    std::fprintf(file, "\n  %-*s", kLabelWidth - 2, "Delta");
    for (int f = first; f < last; ++f)
        std::fprintf(file, "%*.4f", kColumnWidth, analyzer.GetFactorEffect(q, f, response.type, 1));
    std::fprintf(file, "\n  %-*s", kLabelWidth - 2, "Rank");
    for (int f = first; f < last; ++f)
        std::fprintf(file, "%*d", kColumnWidth, ranks[static_cast<size_t>(f)] + 1);
    std::fprintf(file, "\n  %-*s", kLabelWidth - 2, "Best level");
    for (int f = first; f < last; ++f)
        std::fprintf(file, "%*d", kColumnWidth,
                     analyzer.GetLargestResponseControlFactorLevel(q, f, response.type) + 1);
    std::fprintf(file, "\n");
}

// Level rows, then Delta, Rank and the best level of every factor, in blocks of factors
// that fit a terminal line; then the predictions.
void WriteResponseTable(FILE* file, const Analyzer& analyzer, int q, const Response& response) {
    const int factors = analyzer.GetNoFactor();
    std::vector<int> ranks(static_cast<size_t>(factors), 0);
    analyzer.GetResponseRank(q, response.type, ranks.data());
    for (int first = 0; first < factors; first += kFactorsPerBlock)
        WriteResponseBlock(file, analyzer, q, response, ranks, first,
                           std::min(factors, first + kFactorsPerBlock));
    CString stronger;
    const double strongerPrediction = analyzer.PredictResponseValue(q, response.type, 1, stronger);
    std::fprintf(file, "  Prediction at the best levels %s: %.4f; at %s alone: %.4f\n",
                 analyzer.GetBestLevelsCombinationName(q, response.type).GetString(),
                 analyzer.PredictResponseValue(q, response.type, nullptr, 0.0),
                 stronger.GetString(), strongerPrediction);
}

void WriteAnovaTable(FILE* file, const Analyzer& analyzer, int q, const Response& response) {
    int totalDof = 0, errorDof = 0;
    const double total = analyzer.GetTotalSumsOfSquares(q, totalDof, response.type);
    const double errorSS = analyzer.GetErrorSumsOfSquares(q, errorDof, response.type);
    double errorSD = 0.0, errorPercent = 0.0;
    const double errorVariance =
        Analyzer::ErrorVarianceOfTotal(errorSS, errorDof, total, errorSD, errorPercent);
    std::fprintf(file, "\nANOVA of %s\n", response.title);
    std::fprintf(file, "  Source             SS    DOF      Variance           F  Contribution\n");
    for (int f = 0; f < analyzer.GetNoFactor(); ++f) {
        if (analyzer.IsFactorPooled(q, f) != 0) {
            std::fprintf(file, "  %-6s  pooled into the error\n", qvrfc::FactorName(f).c_str());
            continue;
        }
        int dof = 0;
        double fValue = 0.0, percent = 0.0;
        const double ss = analyzer.GetFactorSumsOfSquares(q, f, dof, response.type, 1);
        const double variance =
            Analyzer::FactorVarianceOfTotal(ss, dof, errorVariance, total, fValue, percent);
        // Without error degrees of freedom there is no F ratio to show.
        const std::string ratio = errorDof > 0 ? Fixed(fValue) : "";
        std::fprintf(file, "  %-6s %14.4f %5d %13.4f %11s %12.1f%%\n", qvrfc::FactorName(f).c_str(),
                     ss, dof, variance, ratio.c_str(), percent);
    }
    std::fprintf(file, "  %-6s %14.4f %5d %13.4f %11s %12.1f%%\n", "Error", errorSS, errorDof,
                 errorVariance, "", errorPercent);
    std::fprintf(file, "  %-6s %14.4f %5d\n", "Total", total, totalDof);
}

// The factors' own names beside the letters the tables use, when the experiment names them.
void WriteFactorNames(FILE* file, const Analyzer& analyzer) {
    std::string names;
    for (int f = 0; f < analyzer.GetNoFactor(); ++f) {
        const std::string name = analyzer.GetControlFactorName(f).GetString();
        // Unnamed factors, and the empty columns an experiment names e<column>, stay letters.
        const std::string emptyColumn = "e" + std::to_string(analyzer.GetControlFactorID(f) + 1);
        if (name.empty() || name == "Factor#" + std::to_string(f + 1) || name == emptyColumn)
            continue;
        names += "  " + qvrfc::FactorName(f) + "  " + name + "\n";
    }
    if (!names.empty()) std::fprintf(file, "Factors:\n%s", names.c_str());
}

// "Quality 2", or "Quality 2 (Shrinkage)" when the quality has a name of its own.
std::string QualityTitle(const Analyzer& analyzer, int q) {
    const std::string name = analyzer.GetQualityFactorName(q).GetString();
    const std::string title = "Quality " + std::to_string(q + 1);
    const bool isDefault = name.empty() || name == "Quality#" + std::to_string(q + 1);
    return isDefault ? title : title + " (" + name + ")";
}

void WriteQuality(FILE* file, const Analyzer& analyzer, int q, bool snChosen) {
    std::fprintf(file, "\n%s: S/N ratio %s%s\n", QualityTitle(analyzer, q).c_str(),
                 analyzer.GetSNRatioType(q).GetString(), snChosen ? "" : " (default)");
    std::fprintf(file, "Grand averages: S/N ratio %.4f dB, mean %.4f, standard deviation %.4f\n",
                 analyzer.GetAveragedSNRatio(q), analyzer.GetAveragedQualityValue(q),
                 analyzer.GetAveragedStandardDeviationValue(q));
    for (const Response& response : kResponses)
        WriteResponseTable(file, analyzer, q, response);
    for (const Response& response : kAnovaResponses)
        WriteAnovaTable(file, analyzer, q, response);
}

}  // namespace

void WriteSummary(FILE* file, const CQVRFCDOEAnalyzer& analyzer, const SummaryOptions& options) {
    if (!file) return;
    if (options.runTable) {
        analyzer.WriteRunQualityData(file, 0, "[Run Quality Data]");
        std::fprintf(file, "\n");
    }
    WriteExperiment(file, analyzer, options);
    WriteFactorNames(file, analyzer);
    for (int q = 0; q < analyzer.GetNoQuality(); ++q) {
        const size_t index = static_cast<size_t>(q);
        WriteQuality(file, analyzer, q, index < options.snChosen.size() && options.snChosen[index]);
    }
}

}  // namespace qvrfc_results
