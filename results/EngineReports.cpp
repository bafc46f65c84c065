#include "results/EngineReports.h"

#include <cerrno>
#include <cstring>
#include <thread>

#include "common/QVRFCError.h"

namespace qvrfc {
namespace {

const char* const kReportCreator = "qvrfcdoe";

}  // namespace

void WriteEngineReports(const Analysis& analysis, const std::vector<std::string>& paths) {
    const CQVRFCDOEAnalyzer& engine = *analysis.engine;
    std::vector<int> causes(paths.size(), 0);  // errno of a report not written, -1 for none
    const auto write = [&engine, &paths, &causes](size_t i) {
        errno = 0;
        if (!engine.Writer(paths[i].c_str(), kReportCreator)) causes[i] = errno ? errno : -1;
    };
    std::vector<std::thread> writers;
    for (size_t i = 1; i < paths.size(); ++i)
        writers.emplace_back(write, i);
    if (!paths.empty()) write(0);
    for (std::thread& writer : writers)
        writer.join();
    for (size_t i = 0; i < paths.size(); ++i) {
        if (causes[i] == 0) continue;
        throw Error("cannot write report '" + paths[i] + "': " +
                    (causes[i] > 0 ? std::strerror(causes[i]) : "the engine could not write it"));
    }
}

}  // namespace qvrfc
