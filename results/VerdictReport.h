// Reporters of the engineer's verdict: the plain text shown on the terminal and written as
// the extended plain report, the texts of a prediction and of a confirmation run, and the
// verdict as JSON-shaped plain structs for results.json (a value that does not exist is an
// empty optional, written as null).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/QVRFCExport.h"
#include "inference/Verdict.h"

namespace qvrfc {

// The text of a factor's level; by default its number from 1. A host application with
// named levels passes its own.
using LevelLabel = std::function<std::string(int factor, int level)>;
QVRFC_API std::string LevelNumber(int factor, int level);

// ANOVA tables of the S/N ratio and of the mean, the tables of declared interactions, and the
// optimum, for every quality.
QVRFC_API std::string VerdictText(const Verdict& verdict, const LevelLabel& label = LevelNumber);
// Writes VerdictText to path, replacing the file whole; false with the cause in error.
QVRFC_API bool WriteVerdictReport(const std::string& path, const Verdict& verdict,
                                  std::string& error, const LevelLabel& label = LevelNumber);

// Prediction of both responses of a quality at the given levels.
QVRFC_API std::string PredictionText(const Verdict& verdict, int quality,
                                     const std::vector<FactorLevel>& at,
                                     const LevelLabel& label = LevelNumber);
// A confirmation run against its intervals.
QVRFC_API std::string ConfirmationText(const Verdict& verdict, int quality,
                                       const std::vector<FactorLevel>& at,
                                       const Confirmation& confirmation,
                                       const LevelLabel& label = LevelNumber);

// JSON-shaped data: the field names are those of results.json.
using JsonNumber = std::optional<double>;

struct JsonSumOfSquares {
    double ss = 0.0;
    double dof = 0.0;
};
struct JsonAnovaTerm {
    std::string name;
    double ss = 0.0;
    int dof = 0;
    JsonNumber ms, f, p, pure_ss, contribution;
    bool pooled = false;
};
struct JsonAnovaError {
    double ss = 0.0;
    double dof = 0.0;
    JsonNumber ms, contribution;
    JsonSumOfSquares residual, repetition, pooled;  // "parts"
};
struct JsonAnova {
    std::vector<JsonAnovaTerm> terms;
    JsonAnovaError error;
    JsonSumOfSquares total;
};
struct JsonPrediction {
    JsonNumber predicted;
    JsonNumber low, high;  // "ci": [low, high]
};
struct JsonOptimum {
    std::vector<std::pair<std::string, std::string>> levels;  // factor name, level text
    std::vector<std::string> factors_used;
    std::vector<std::string> interactions_used;  // "A*B": cell means in a prediction
    JsonPrediction sn, mean;
    std::optional<std::string> adjustment_factor;
};
// A declared interaction's table: rows are the levels of its first factor, columns those of
// the second.
struct JsonInteractionTable {
    std::string name;                                    // "A*B", after the factors' names
    std::string rows, columns;                           // the factors' names
    std::vector<std::string> row_levels, column_levels;  // level texts
    std::vector<std::vector<double>> mean, sn;           // [row][column]
};
struct JsonResponseVerdict {
    std::string name;
    JsonAnova sn, mean;  // "anova": {"sn", "mean"}; interaction terms named "A*B"
    std::vector<JsonInteractionTable> interactions;
    JsonOptimum optimum;
};
QVRFC_API std::vector<JsonResponseVerdict> VerdictJsonData(const Verdict& verdict,
                                                           const LevelLabel& label = LevelNumber);

}  // namespace qvrfc
