#include "qvrfc/results/EngineReports.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <thread>

#include "qvrfc/common/QVRFCError.h"

namespace qvrfc {
namespace {

const char* const kReportCreator = "qvrfcdoe";

}  // namespace

void StageEngineReports(const Analysis& analysis, FileSet& files,
                        const std::vector<std::string>& paths) {
    const CQVRFCDOEAnalyzer& engine = *analysis.engine;
    std::vector<std::string> staged;
    for (const std::string& path : paths)
        staged.push_back(files.Stage(path));
    std::vector<int> causes(paths.size(), 0);  // errno of a report not written, -1 for none
    const auto write = [&](size_t i) {
        errno = 0;
        const std::string name = std::filesystem::path(paths[i]).filename().string();
        if (!engine.WriterAs(staged[i].c_str(), name.c_str(), kReportCreator))
            causes[i] = errno ? errno : -1;
    };
    std::vector<std::thread> writers;
    for (size_t i = 1; i < paths.size(); ++i)
        writers.emplace_back(write, i);
    if (!paths.empty()) write(0);
    for (std::thread& writer : writers)
        writer.join();
    for (size_t i = 0; i < paths.size(); ++i) {
        if (causes[i] == 0) continue;
        files.Discard();
        const std::string path = std::filesystem::absolute(paths[i]).string();
        throw Error::Placed(
            "cannot write '" + path + "': " +
                (causes[i] > 0 ? std::strerror(causes[i]) : "the engine could not write it"),
            path, 0, "");
    }
}

}  // namespace qvrfc
