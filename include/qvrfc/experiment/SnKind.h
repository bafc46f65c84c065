// S/N ratio kinds of the verdict: the engine's six characteristics and the textbook
// smaller-the-better form -10*log10(mean of y^2), which published analyses use. The engine's
// own smaller-the-better, -10*log10(avg^2 + s^2), stays as it is; the two differ by up to
// 1.8 dB for two observations.
#pragma once

#include <string>
#include <vector>

#include "qvrfc/analyzer/QVRFCDOEAnalyzer.h"
#include "qvrfc/common/QVRFCExport.h"

namespace qvrfc {

enum class SnKind {
    Nominal1,
    Nominal2,
    Nominal3,
    Nominal4,
    Smaller,
    Larger,
    SmallerTextbook,
};

// The forms of a dynamic characteristic, a response that should follow a signal factor M.
enum class DynamicKind {
    ZeroPoint,       // "dynamic": y = beta M
    ReferencePoint,  // "dynamic-reference": y - y_ref = beta (M - M_ref)
    Linear,          // "dynamic-linear": y = alpha + beta M
};

// "dynamic", "dynamic-reference", "dynamic-linear".
QVRFC_API const char* DynamicKindName(DynamicKind kind);
// False when name is none of the kinds' names (exact, lower case).
QVRFC_API bool DynamicKindFromName(const std::string& name, DynamicKind& kind);
// "dynamic, dynamic-reference, dynamic-linear".
QVRFC_API std::string DynamicKindList();
// "zero-point proportional, y = beta M", ...: the form in words.
QVRFC_API const char* DynamicKindTitle(DynamicKind kind);

// The kind by which the engine summarises a dynamic response's values in its reports (the
// dynamic S/N ratio is the layers' own): smaller-the-better, finite for any values not all 0.
constexpr SnKind kDynamicEngineKind = SnKind::Smaller;

// Where the mean of a response should go: up, down, or to the target.
enum class Aim { Larger, Smaller, Nominal };

// Command-line names: nominal1 ... nominal4, smaller, larger, smaller-textbook.
QVRFC_API const char* SnKindName(SnKind kind);
// False when name is none of the kinds' names.
QVRFC_API bool SnKindFromName(const std::string& name, SnKind& kind);
// "nominal1, nominal2, ..., smaller-textbook".
QVRFC_API std::string SnKindList();

QVRFC_API Aim AimOf(SnKind kind);
// The nominal kinds, which have a target.
QVRFC_API bool IsNominal(SnKind kind);
// The engine's characteristic for a kind; the textbook form maps to SMALLER_THE_BETTER,
// which keeps the engine's reports meaningful for that quality.
QVRFC_API CQVRFCDOEAnalyzer::SN_RATIO_TYPE EngineSnType(SnKind kind);
QVRFC_API SnKind SnKindOf(CQVRFCDOEAnalyzer::SN_RATIO_TYPE type);

// S/N ratio (dB) of a set of observations, by the formula the engine uses for a run of that
// kind (sample deviation with divisor n - 1, the engine's 1e-8 floor); the textbook kind is
// -10*log10(sum y^2 / n) with the same floor. NaN for no values.
QVRFC_API double SnRatioOfValues(SnKind kind, const std::vector<double>& values, double target);

}  // namespace qvrfc
