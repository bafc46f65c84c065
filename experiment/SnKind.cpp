#include "qvrfc/experiment/SnKind.h"

#include <cmath>
#include <limits>

namespace qvrfc {
namespace {

using Analyzer = CQVRFCDOEAnalyzer;

struct KindEntry {
    SnKind kind;
    const char* name;
    Analyzer::SN_RATIO_TYPE engine;
    Aim aim;
};

const KindEntry kKinds[] = {
    {SnKind::Nominal1, "nominal1", Analyzer::NOMINAL_THE_BEST_1, Aim::Nominal},
    {SnKind::Nominal2, "nominal2", Analyzer::NOMINAL_THE_BEST_2, Aim::Nominal},
    {SnKind::Nominal3, "nominal3", Analyzer::NOMINAL_THE_BEST_3, Aim::Nominal},
    {SnKind::Nominal4, "nominal4", Analyzer::NOMINAL_THE_BEST_4, Aim::Nominal},
    {SnKind::Smaller, "smaller", Analyzer::SMALLER_THE_BETTER, Aim::Smaller},
    {SnKind::Larger, "larger", Analyzer::LARGER_THE_BETTER, Aim::Larger},
    {SnKind::SmallerTextbook, "smaller-textbook", Analyzer::SMALLER_THE_BETTER, Aim::Smaller},
};

struct DynamicEntry {
    DynamicKind kind;
    const char* name;
    const char* title;
};
constexpr DynamicEntry kDynamicKinds[] = {
    {DynamicKind::ZeroPoint, "dynamic", "zero-point proportional, y = beta M"},
    {DynamicKind::ReferencePoint, "dynamic-reference",
     "reference-point proportional, y - y_ref = beta (M - M_ref)"},
    {DynamicKind::Linear, "dynamic-linear", "linear, y = alpha + beta M"},
};

const DynamicEntry& DynamicEntryOf(DynamicKind kind) {
    for (const DynamicEntry& entry : kDynamicKinds)
        if (entry.kind == kind) return entry;
    return kDynamicKinds[0];
}

const KindEntry& EntryOf(SnKind kind) {
    for (const KindEntry& entry : kKinds) {
        if (entry.kind == kind) return entry;
    }
    return kKinds[2];
}

// The engine's floor: arguments within 1e-8 of zero count as 1e-8.
double Floor(double x) {
    return std::fabs(x) > 1e-8 ? x : 1e-8;
}

double Decibels(double x) {
    return -10.0 * std::log10(x);
}

// The kind of a table's entry named name; false for none.
template <typename Entry, size_t N, typename Kind>
bool KindOfName(const Entry (&table)[N], const std::string& name, Kind& kind) {
    for (const Entry& entry : table) {
        if (name == entry.name) {
            kind = entry.kind;
            return true;
        }
    }
    return false;
}

// "a, b, c": the names of a table's entries.
template <typename Entry, size_t N>
std::string NameList(const Entry (&table)[N]) {
    std::string list;
    for (const Entry& entry : table)
        list += (list.empty() ? "" : ", ") + std::string(entry.name);
    return list;
}

}  // namespace

const char* DynamicKindName(DynamicKind kind) {
    return DynamicEntryOf(kind).name;
}

const char* DynamicKindTitle(DynamicKind kind) {
    return DynamicEntryOf(kind).title;
}

bool DynamicKindFromName(const std::string& name, DynamicKind& kind) {
    return KindOfName(kDynamicKinds, name, kind);
}

std::string DynamicKindList() {
    return NameList(kDynamicKinds);
}

const char* SnKindName(SnKind kind) {
    return EntryOf(kind).name;
}

bool SnKindFromName(const std::string& name, SnKind& kind) {
    return KindOfName(kKinds, name, kind);
}

std::string SnKindList() {
    return NameList(kKinds);
}

Aim AimOf(SnKind kind) {
    return EntryOf(kind).aim;
}

bool IsNominal(SnKind kind) {
    return AimOf(kind) == Aim::Nominal;
}

CQVRFCDOEAnalyzer::SN_RATIO_TYPE EngineSnType(SnKind kind) {
    return EntryOf(kind).engine;
}

SnKind SnKindOf(CQVRFCDOEAnalyzer::SN_RATIO_TYPE type) {
    for (const KindEntry& entry : kKinds) {
        if (entry.engine == type) return entry.kind;
    }
    return SnKind::Nominal3;
}

double SnRatioOfValues(SnKind kind, const std::vector<double>& values, double target) {
    const double n = static_cast<double>(values.size());
    if (values.empty()) return std::numeric_limits<double>::quiet_NaN();
    double sum = 0.0, squares = 0.0, reciprocals = 0.0;
    for (double y : values) {
        sum += y;
        squares += y * y;
        if (y > 1e-8) reciprocals += 1.0 / (y * y);
    }
    const double mean = sum / n;
    double deviations = 0.0;
    for (double y : values)
        deviations += (y - mean) * (y - mean);
    const double variance = values.size() < 2 ? 0.0 : deviations / (n - 1.0);
    switch (kind) {
        case SnKind::Nominal1:
            return Decibels(Floor((mean - target) * (mean - target) + variance));
        case SnKind::Nominal2:
            return Decibels(Floor(variance));
        case SnKind::Nominal3:
            return mean <= 1e-8 ? 0.0 : Decibels(Floor(variance / (mean * mean)));
        case SnKind::Nominal4: {
            const double ratio =
                variance > 1e-8 ? (sum * sum / n - variance) / (n * variance) : 0.0;
            return -Decibels(Floor(ratio));
        }
        case SnKind::Smaller:
            return Decibels(mean * mean + variance);
        case SnKind::Larger:
            return Decibels(Floor(reciprocals) / n);
        case SnKind::SmallerTextbook:
            return Decibels(Floor(squares / n));
    }
    return std::numeric_limits<double>::quiet_NaN();
}

}  // namespace qvrfc
