// What an analysis is asked for, as a host application or the command line states it: the S/N
// kind and target of responses, the terms pooled by hand or by a rule, declared interactions,
// the risk alpha and, for a quality data file, the array. Responses count from 1; factors are
// named by the experiment's names, by letter (A, B, ..., Z, AA, ...) or by number from 1.
//
//   qvrfc::AnalysisSettings settings;
//   settings.sn.push_back(qvrfc::ParseSnSetting("1=nominal1:10.5"));
//   settings.pools.push_back(qvrfc::ParsePoolSetting("2=auto"));
#pragma once

#include <limits>
#include <string>
#include <vector>

#include "qvrfc/arrays/QVRFCDOETaguchiOrthogonalArray.h"
#include "qvrfc/common/QVRFCExport.h"
#include "qvrfc/experiment/SnKind.h"
#include "qvrfc/inference/ResponseAnova.h"

namespace qvrfc {

// RESPONSE=KIND[:TARGET]; a target not given is NaN.
struct SnSetting {
    std::string text;  // as typed, for messages
    int response = 0;  // from 1
    SnKind kind = SnKind::Nominal3;
    double target = std::numeric_limits<double>::quiet_NaN();
};

// RESPONSE=TERMS (names, letters or numbers of factors; "A*B" for an interaction),
// RESPONSE=auto|lenth, or auto|lenth alone for every response.
struct PoolSetting {
    std::string text;
    int response = 0;  // from 1; 0 for every response
    std::vector<std::string> terms;
    PoolingRule rule = PoolingRule::None;
};

// How several responses are brought to one decision: by the overall desirability of the
// predicted means, or by the grey relational grade of the runs' S/N ratios.
enum class CombineMethod { Desirability, Grey };

// RESPONSE=KEY:VALUE,... with keys low, high, weight and importance, the response named or
// numbered from 1: a response's desirability over what its experiment file says. Values not
// given are NaN.
struct DesirabilitySetting {
    std::string text;
    std::string response;  // as written: a name or a number from 1
    double low = std::numeric_limits<double>::quiet_NaN();
    double high = std::numeric_limits<double>::quiet_NaN();
    double weight = std::numeric_limits<double>::quiet_NaN();
    double importance = std::numeric_limits<double>::quiet_NaN();
};

struct AnalysisSettings {
    std::vector<SnSetting> sn;
    std::vector<PoolSetting> pools;
    std::vector<std::string> interactions;  // "A*B", "Temperature*Pressure"
    double alpha = 0.05;
    // A quality data file's array when several have its run count; undefined: the first.
    CQVRFCDOETaguchiOrthogonalArray::OA_TYPE array = CQVRFCDOETaguchiOrthogonalArray::OA_UNDEFINED;
    CombineMethod combine = CombineMethod::Desirability;
    double zeta = 0.5;  // the grey relational distinguishing coefficient, in (0, 1]
    std::vector<DesirabilitySetting> desirability;
};

// Each throws a qvrfc::Error of kind Usage naming the text when it cannot be understood.
QVRFC_API SnSetting ParseSnSetting(const std::string& text);
QVRFC_API PoolSetting ParsePoolSetting(const std::string& text);
QVRFC_API void CheckAlpha(double alpha);
// One setting per response, responses separated by ';':
// "Strength=low:30,high:50,importance:2;Shrinkage=weight:2".
QVRFC_API std::vector<DesirabilitySetting> ParseDesirabilitySettings(const std::string& text);
// "desirability" or "grey".
QVRFC_API CombineMethod ParseCombineMethod(const std::string& text);
QVRFC_API void CheckZeta(double zeta);

}  // namespace qvrfc
