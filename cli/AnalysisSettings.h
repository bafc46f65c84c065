// The analysis settings given on the command line: --sn and --pool.
#pragma once

#include <string>
#include <vector>

#include "analyzer/QVRFCDOEAnalyzer.h"
#include "inference/SnKind.h"

namespace qvrfcdoe {

// --sn QUALITY=TYPE[:TARGET]: quality counted from 1.
struct QualitySetting {
    std::string text;
    int quality = 0;
    CQVRFCDOEAnalyzer::SN_RATIO_TYPE type = CQVRFCDOEAnalyzer::NOMINAL_THE_BEST_3;
    double target = 0.0;
};

// --pool QUALITY=B,AA,3: quality counted from 1; factors named (A ... Z, AA, ...) or counted
// from 1 on the command line, held counted from 0 (A is 0).
struct PoolSetting {
    std::string text;
    int quality = 0;
    std::vector<int> factors;
};

// --sn QUALITY=KIND[:TARGET] of the verdict commands, whose kinds include the textbook
// smaller-the-better form ("smaller-textbook").
struct VerdictSnSetting {
    std::string text;
    int quality = 0;
    qvrfc::SnKind kind = qvrfc::SnKind::Nominal3;
    double target = 0.0;
};

// The S/N ratio types as the command line names them: "nominal1, ..., larger".
std::string SnTypeList();

// Each throws a UsageError naming the setting when its text cannot be understood.
QualitySetting ParseQualitySetting(const std::string& text);
PoolSetting ParsePoolSetting(const std::string& text);
VerdictSnSetting ParseVerdictSnSetting(const std::string& text);

}  // namespace qvrfcdoe
