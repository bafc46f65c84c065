// Experiment: a Taguchi experiment as the engineer plans it, in names and real settings:
// control factors with their levels and array columns, responses with their S/N kind,
// repetitions, noise factors, the orthogonal array and the order in which runs are made.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "qvrfc/analyzer/QVRFCDOEAnalyzer.h"
#include "qvrfc/arrays/OAInteractions.h"
#include "qvrfc/common/QVRFCError.h"
#include "qvrfc/common/QVRFCExport.h"
#include "qvrfc/experiment/SnKind.h"

namespace qvrfc {

using OA_TYPE = CQVRFCDOETaguchiOrthogonalArray::OA_TYPE;

// Bad input to the experiment layer: the layers' one error type.
using ExperimentError = Error;

// A fault of one field of an experiment: `section` is "factor", "response", "noise" or empty
// for the experiment's own fields, `index` counts the section's entries from 0, `field` is
// the key ("name", "levels", "column", "sn", "target", "low", "high", "weight", "importance",
// "array", "repetitions", "run_order", "interactions"). Its key is the field's:
// "factor[2].levels" (entries from 1) or "repetitions"; what() is the cause alone.
class QVRFC_API ExperimentFault : public ExperimentError {
  public:
    ExperimentFault(std::string section, int index, std::string field, const std::string& cause);

    std::string section;
    int index;
    std::string field;
};

// A control factor: its levels as the user wrote them ("150", "steel"); a factor whose
// levels are all numbers is numeric and takes those numbers as its values.
struct QVRFC_API Factor {
    std::string name;
    std::string unit;
    std::vector<std::string> levels;
    int column = -1;  // 0-based column of the array; -1 until placed

    bool IsNumeric() const;
    // The value of level l (from 0): the number when numeric, else the level number l + 1.
    double LevelValue(int level) const;
    // The level (from 0) that a cell of a run sheet names, or -1.
    int LevelOf(const std::string& text) const;
};

// A measured response and the S/N ratio it is analysed with; nominal kinds have a target.
// A dynamic response follows the experiment's signal factor: its S/N ratio is the dynamic one
// of its form, its target (if any) the slope beta to reach, and `sn` only tells the engine how
// to summarise its values.
struct QVRFC_API ExperimentResponse {
    std::string name;
    std::string unit;
    SnKind sn = SnKind::Larger;
    double target = std::numeric_limits<double>::quiet_NaN();  // NaN: none
    // Its desirability when responses are combined: the range (NaN: the smallest and largest
    // run mean), the shape weight and the importance, both above 0.
    double low = std::numeric_limits<double>::quiet_NaN();
    double high = std::numeric_limits<double>::quiet_NaN();
    double weight = 1.0, importance = 1.0;
    std::optional<DynamicKind> dynamic = std::nullopt;

    // "larger", "nominal1", ..., or the dynamic form: "dynamic", ...
    std::string KindName() const;
};

// A noise factor: conditions the lab sets for every run (an outer array).
struct QVRFC_API NoiseFactor {
    std::string name;
    std::vector<std::string> levels;
};

// The outer array: which combinations of the noise factors' levels are the noise conditions.
// Smallest (the default): every combination, unless the smallest array that holds the noise
// factors has fewer runs, then that array's runs. Full: every combination. Named: the runs of
// the array named, the noise factors placed so that their interactions keep columns of their
// own where the array allows it (L8 holds three two-level noise factors in full).
struct QVRFC_API OuterArray {
    enum class Kind { Smallest, Full, Named };
    Kind kind = Kind::Smallest;
    OA_TYPE array = CQVRFCDOETaguchiOrthogonalArray::OA_UNDEFINED;  // of Named
};

// The run sheet's file format: comma-separated values or a workbook.
enum class SheetFormat { Csv, Xlsx };

struct QVRFC_API Experiment {
    std::vector<Factor> factors;
    std::vector<ExperimentResponse> responses;
    std::vector<NoiseFactor> noise;
    OuterArray outer;
    // The signal factor M of dynamic responses: every run is observed at each of its levels
    // (numbers), under each noise condition, repetitions times.
    std::optional<Factor> signal;
    std::vector<FactorPair> interactions;  // declared two-factor interactions, by factor index
    int repetitions = 1;  // observations per run (per noise condition with noise factors)
    OA_TYPE array = CQVRFCDOETaguchiOrthogonalArray::OA_UNDEFINED;
    std::vector<int> runOrder;  // run numbers (from 1) in the order they are carried out
    bool randomized = false;
    std::uint32_t seed = 0;                // the seed of a randomized run order
    SheetFormat sheet = SheetFormat::Csv;  // the run sheet design writes

    int RunCount() const;
    // Level (from 0) of factor f in run r (from 0), read from the array at the factor's column.
    int Level(int run, int factor) const;
};

// A number written in full ("150", "-2.5", "1e3"); false for anything else, blanks around it
// and NUL bytes included, and for values that are not finite ("1e-400" is the nearest number).
QVRFC_API bool ParseNumber(const std::string& text, double& value);
// The shortest text that reads back as the same double, without an exponent from 1e-6 to
// below 1e21 ("150", "0.1", "60", "1000", "1e-320").
QVRFC_API std::string NumberText(double value);
// The texts of a factor's levels as every file writes and reads them: levels that are all
// numbers as NumberText of their values ("30.0" and "1e3" are "30" and "1000"), other levels
// as they are (and all as written when two are one number, which CheckExperimentEntries refuses).
QVRFC_API std::vector<std::string> LevelTexts(const std::vector<std::string>& levels);
// "csv" or "xlsx"; SheetFormatOfName is false for any other name.
QVRFC_API const char* SheetFormatName(SheetFormat format);
QVRFC_API bool SheetFormatOfName(const std::string& name, SheetFormat& format);
// The most levels of a factor, noise conditions and observations per run and response.
constexpr int kMostLevels = 1000;

// The noise conditions: each is one level (from 0) per noise factor. One condition without
// noise factors; otherwise the outer array's runs, or every combination of the levels, the
// first factor varying slowest. ExperimentError for an outer array that cannot be made.
QVRFC_API std::vector<std::vector<int>> NoiseConditions(const Experiment& experiment);
// "full" or an array's short name ("L8", case ignored); ExperimentError for anything else.
QVRFC_API OuterArray ParseOuterArray(const std::string& text);
// "full", the array's short name, or "" for the default.
QVRFC_API std::string OuterArrayName(const OuterArray& outer);
// The array whose runs are the noise conditions; OA_UNDEFINED when they are every combination.
QVRFC_API OA_TYPE OuterArrayUsed(const Experiment& experiment);
// "outer array L4(2^3): 4 of the 8 combinations of the noise factors", or "every one of the 8
// combinations of the noise factors"; empty without noise factors.
QVRFC_API std::string OuterArrayText(const Experiment& experiment);
// What the noise conditions confound among two-level noise factors: "N3 with N1 x N2" for a
// noise factor whose levels follow the interaction of two others in every condition (as an L4
// holding three noise factors makes them). Empty when the conditions hold every combination.
QVRFC_API std::vector<std::string> OuterArrayConfounding(const Experiment& experiment);
// "Humidity=low Vibration=on"; empty without noise factors.
QVRFC_API std::string NoiseConditionText(const Experiment& experiment, int condition);
// Observations per run and response: signal levels times noise conditions times repetitions.
// Observation k is at signal level k / (conditions x repetitions), noise condition
// k / repetitions modulo the conditions.
QVRFC_API int ObservationCount(const Experiment& experiment);
// The signal value of each observation k of a run (empty without a signal factor).
QVRFC_API std::vector<double> SignalValues(const Experiment& experiment);
// The text without the blanks (spaces, tabs) around it.
QVRFC_API std::string TrimBlanks(const std::string& text);
// The pair of factors that "Temperature * Pressure" names, blanks around the names ignored;
// ExperimentError with the cause for a text without '*' or a name no factor has.
QVRFC_API FactorPair InteractionOfNames(const Experiment& experiment, const std::string& text);
// "Temperature*Pressure": a declared interaction in the factors' names.
QVRFC_API std::string InteractionName(const Experiment& experiment, const FactorPair& pair);

// Throws ExperimentFault for an experiment that cannot be run or written: CheckExperimentEntries,
// then a factor off its array's columns or sharing one, a run order that is not each run
// once, a declared interaction the array cannot estimate or whose columns hold a factor or
// another declared interaction (field "interactions", index the interaction's).
QVRFC_API void CheckExperiment(const Experiment& experiment);
// The faults that need no array: no factor or response, names that are empty, repeated, begin
// or end with a blank, hold a control character or are not UTF-8 text (units: the last two),
// fewer than two levels, levels repeated (as texts, or as numbers of a numeric factor: "1" and
// "1.0"), a nominal response without a finite target, a response's desirability that cannot
// be (CheckDesirability), more than kMostLevels levels of the signal, noise conditions or
// observations per run (blamed on the signal, else the last noise factor, else repetitions),
// an outer array whose runs repeat a noise condition, a dynamic response with fewer
// observations per run than its form needs or signal levels whose sums of squares are 0 or
// not finite (analyze could never accept its runs), and run
// sheet columns that would collide: a factor named "run", "order" or like an observation's
// column ("Y 1"), or two observation columns of one name.
QVRFC_API void CheckExperimentEntries(const Experiment& experiment);
// A response's desirability settings: weight and importance finite and above 0, low below
// high, a target inside [low, high]; ExperimentFault naming the field (index: the response).
QVRFC_API void CheckDesirability(const ExperimentResponse& response, int index);
// The declared interactions' own faults (CheckExperiment checks them too): a factor the
// experiment lacks, a factor paired with itself, a pair declared twice.
QVRFC_API void CheckInteractionPairs(const Experiment& experiment);

// The key of the first field in which two experiments differ ("factor[2].levels", "seed"), or
// "" when they are the same. The levels of a numeric factor are compared as numbers ("1e-3"
// and "0.001" are one level), texts as they are; targets that are NaN on both sides agree.
QVRFC_API std::string ExperimentDifference(const Experiment& a, const Experiment& b);

}  // namespace qvrfc
