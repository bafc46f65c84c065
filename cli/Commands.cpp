// Dispatch of the chosen command.
#include "Commands.h"

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "CliError.h"
#include "OutputFolder.h"
#include "analyzer/QVRFCDOEAnalyzer.h"
#include "arrays/QVRFCDOETaguchiOrthogonalArray.h"

namespace qvrfcdoe {
int RunCommand(const Options& options) {
    if (options.command.empty())
        throw UsageError(
            "a command is required: arrays, show, check, analyze, selftest or demo "
            "(see qvrfcdoe --help)");
    if (options.command == "arrays") return ListArrays();
    if (options.command == "show") return ShowArray(options.arrayName, options.outFolder);
    return CheckArrays(options.outFolder);
}

}  // namespace qvrfcdoe
