// A bundled example analysed with the options as the command and Python take them.
#pragma once

#include <string>

#include "qvrfc/analysis/Analysis.h"
#include "qvrfc/analysis/Settings.h"
#include "support/test_support.h"

namespace qvrfc_test {

inline qvrfc::Analysis Bundled(const std::string& file,
                               const qvrfc::AnalysisOptions& options = {}) {
    qvrfc::AnalysisInput input;
    input.dataFile = DataFile(file);
    return qvrfc::Analyze(input, qvrfc::SettingsOfOptions(options));
}

}  // namespace qvrfc_test
