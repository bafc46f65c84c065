// The analysis settings given on the command line: --sn, --pool and --alpha, one parsing for
// analyze, predict and confirm.
#pragma once

#include <string>
#include <vector>

#include "experiment/SnKind.h"
#include "inference/ResponseAnova.h"

namespace qvrfcdoe {

// --sn QUALITY=TYPE[:TARGET]: quality counted from 1. The engine's characteristic of a kind
// is qvrfc::EngineSnType(kind) (the textbook smaller-the-better maps to the engine's own).
struct QualitySetting {
    std::string text;
    int quality = 0;
    qvrfc::SnKind kind = qvrfc::SnKind::Nominal3;
    double target = 0.0;
};

// --pool QUALITY=B,AA,3: quality counted from 1; factors named (A ... Z, AA, ...) or counted
// from 1 on the command line, held counted from 0 (A is 0).
struct PoolSetting {
    std::string text;
    int quality = 0;
    std::vector<int> factors;
};

// --sn, --pool and --alpha as typed.
struct AnalysisOptions {
    std::vector<std::string> sn;
    std::vector<std::string> pool;          // QUALITY=FACTORS, auto or lenth
    std::vector<std::string> interactions;  // "A*B", repeatable
    double alpha = 0.05;
};

// The same options understood. Factors pooled by hand are pooled in the engine's reports and
// in the verdict; a pooling rule and alpha concern the verdict alone.
struct AnalysisSettings {
    std::vector<QualitySetting> qualities;
    std::vector<PoolSetting> pools;
    qvrfc::PoolingRule rule = qvrfc::PoolingRule::None;
    double alpha = 0.05;
    std::vector<std::string> interactions;  // declared for the verdict, checked against the file
};

// Each throws a UsageError naming the setting when its text cannot be understood.
QualitySetting ParseQualitySetting(const std::string& text);
PoolSetting ParsePoolSetting(const std::string& text);
AnalysisSettings ParseAnalysisOptions(const AnalysisOptions& options);

}  // namespace qvrfcdoe
