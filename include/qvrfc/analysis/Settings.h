// What an analysis is asked for, as a host application or the command line states it: the S/N
// kind and target of responses, the terms pooled by hand or by a rule, declared interactions,
// the risk alpha, how several responses make one decision and, for a quality data file, the
// array. Responses are named by their names or numbered from 1; factors by the experiment's
// names, by letter (A, B, ..., Z, AA, ...) or by number from 1. Every client turns its options
// into settings here, with one set of checks and messages:
//
//   qvrfc::AnalysisOptions options;
//   options.sn = {"Strength=larger", "2=nominal1:10.5"};
//   options.pool = {"2=auto"};
//   const qvrfc::AnalysisSettings settings = qvrfc::SettingsOfOptions(options);
#pragma once

#include <limits>
#include <string>
#include <vector>

#include "qvrfc/arrays/QVRFCDOETaguchiOrthogonalArray.h"
#include "qvrfc/common/QVRFCExport.h"
#include "qvrfc/experiment/Experiment.h"
#include "qvrfc/experiment/SnKind.h"
#include "qvrfc/inference/ResponseAnova.h"

namespace qvrfc {

// RESPONSE=KIND[:TARGET]; a target not given is NaN.
struct SnSetting {
    std::string text;   // as typed, for messages
    std::string named;  // the response as written: its name or its number from 1
    int response = 0;   // from 1, once the analysis has resolved `named` (ResolveResponses)
    SnKind kind = SnKind::Nominal3;
    double target = std::numeric_limits<double>::quiet_NaN();
};

// RESPONSE=TERMS (names, letters or numbers of factors; "A*B" for an interaction),
// RESPONSE=auto|lenth, or auto|lenth alone for every response.
struct PoolSetting {
    std::string text;
    std::string named;  // as for SnSetting; empty for every response
    int response = 0;   // from 1 once resolved; 0 for every response
    std::vector<std::string> terms;
    PoolingRule rule = PoolingRule::None;
};

// How several responses are brought to one decision: by the overall desirability of the
// predicted means, or by the grey relational grade of the runs' S/N ratios.
enum class CombineMethod { Desirability, Grey };

// RESPONSE=KEY:VALUE,... with keys low, high, weight (or s), importance, target and t: a
// response's desirability over what its experiment file says. A target makes it two-sided
// (Derringer and Suich): exponent s (the weight) below the target, t above it. Values not given
// are NaN.
struct DesirabilitySetting {
    std::string text;
    std::string named;  // as for SnSetting
    int response = 0;   // from 1 once resolved
    double low = std::numeric_limits<double>::quiet_NaN();
    double high = std::numeric_limits<double>::quiet_NaN();
    double weight = std::numeric_limits<double>::quiet_NaN();
    double importance = std::numeric_limits<double>::quiet_NaN();
    double target = std::numeric_limits<double>::quiet_NaN();
    double weightAbove = std::numeric_limits<double>::quiet_NaN();  // t
};

// What grey relational analysis grades: the runs' S/N ratios, or their means normalised as each
// response's aim says.
enum class GreyFrom { Sn, Mean };

struct AnalysisSettings {
    std::vector<SnSetting> sn;
    std::vector<PoolSetting> pools;
    std::vector<std::string> interactions;  // "A*B", "Temperature*Pressure"
    double alpha = 0.05;
    // A quality data file's array when several have its run count; undefined: the first.
    CQVRFCDOETaguchiOrthogonalArray::OA_TYPE array = CQVRFCDOETaguchiOrthogonalArray::OA_UNDEFINED;
    CombineMethod combine = CombineMethod::Desirability;
    double zeta = 0.5;  // the grey relational distinguishing coefficient, in (0, 1]
    GreyFrom greyFrom = GreyFrom::Sn;
    std::vector<DesirabilitySetting> desirability;
};

// The options as a client holds them, in texts and numbers: the command line's --sn, --pool,
// --interaction, --desirability, --alpha, --combine, --zeta, --grey-from and --array, and the
// Python module's keywords of the same names.
struct AnalysisOptions {
    std::vector<std::string> sn;            // RESPONSE=KIND[:TARGET]
    std::vector<std::string> pool;          // RESPONSE=TERMS, RESPONSE=auto|lenth, auto, lenth
    std::vector<std::string> interactions;  // FACTOR*FACTOR
    std::vector<std::string> desirability;  // RESPONSE=KEY:VALUE,...[;RESPONSE=...]
    double alpha = 0.05;
    std::string combine = "desirability";  // or grey
    double zeta = 0.5;
    std::string greyFrom = "sn";  // or mean
    std::string array;            // a quality data file's array by name or type; empty: the first
};

// The settings the options state, every one checked: a qvrfc::Error of kind Usage naming the
// option and the text that cannot be understood. Responses stay as written until the analysis
// resolves them against its experiment.
QVRFC_API AnalysisSettings SettingsOfOptions(const AnalysisOptions& options);

// The response (from 0) that text names among the responses' names: a name first, else a
// number from 1; -1 for none.
QVRFC_API int ResponseOfText(const std::vector<std::string>& names, const std::string& text);

// The same, where a qvrfc::Error says "OPTION 'TEXT': ..." when there is no such response;
// `source` names the observations' file in messages.
QVRFC_API int RequireResponse(const char* option, const std::string& text, const std::string& named,
                              const std::vector<std::string>& names, const std::string& source);

// The same among an experiment's responses: confirm --response.
QVRFC_API int RequireResponse(const char* option, const std::string& text,
                              const Experiment& experiment, const std::string& source);

// Every setting's response resolved against the experiment's responses (their names, in
// order), with RequireResponse's errors.
QVRFC_API void ResolveResponses(AnalysisSettings& settings, const std::vector<std::string>& names,
                                const std::string& source);

// The parts of SettingsOfOptions. Each throws a qvrfc::Error of kind Usage naming the text when
// it cannot be understood.
QVRFC_API SnSetting ParseSnSetting(const std::string& text);
QVRFC_API PoolSetting ParsePoolSetting(const std::string& text);
QVRFC_API void CheckAlpha(double alpha);
// One setting per response, responses separated by ';':
// "Strength=low:30,high:50,importance:2;Shrinkage=weight:2".
QVRFC_API std::vector<DesirabilitySetting> ParseDesirabilitySettings(const std::string& text);
// "desirability" or "grey".
QVRFC_API CombineMethod ParseCombineMethod(const std::string& text);
QVRFC_API void CheckZeta(double zeta);
// "sn" or "mean".
QVRFC_API GreyFrom ParseGreyFrom(const std::string& text);

}  // namespace qvrfc
