#include "analysis/EngineTexts.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <thread>

#include "qvrfc/common/QVRFCError.h"
#include "qvrfc/common/QVRFCTextFormat.h"

namespace qvrfc {
namespace {

const char* const kReportCreator = "qvrfcdoe";

// The text of a file the engine wrote (or its path alone, with `read` false); Error naming it,
// with the cause when known, when the engine wrote none (0 for a cause not known).
std::string EngineFile(const std::string& path, int cause, bool read = true) {
    std::ifstream in(path, std::ios::binary);
    std::string text =
        read ? std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>())
             : path;
    if (cause == 0 && in && !in.bad()) return text;
    if (cause == 0 && !in.is_open()) cause = ENOENT;
    throw Error(FormatText("cannot write '%s': %s", path.c_str(),
                           cause > 0 ? std::strerror(cause) : "the engine could not write it"));
}

// The engine's reports rendered side by side on threads of their own; errno of each that the
// engine could not write, -1 for a cause not known, 0 for none.
std::vector<int> RenderReports(const CQVRFCDOEAnalyzer& engine, const ScratchFolder& scratch,
                               const std::vector<std::string>& names) {
    std::vector<int> causes(names.size(), 0);
    const auto render = [&](size_t i) {
        errno = 0;
        if (!engine.WriterAs(scratch.File(names[i]).c_str(), names[i].c_str(), kReportCreator))
            causes[i] = errno ? errno : -1;
    };
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
    // The page's module has no threads: one report after the other.
    for (size_t i = 0; i < names.size(); ++i)
        render(i);
#else
    std::vector<std::thread> renderers;
    for (size_t i = 1; i < names.size(); ++i)
        renderers.emplace_back(render, i);
    if (!names.empty()) render(0);
    for (std::thread& renderer : renderers)
        renderer.join();
#endif
    return causes;
}

}  // namespace

EngineTexts EngineTextsOf(const CQVRFCDOEAnalyzer& engine,
                          const std::shared_ptr<const ScratchFolder>& scratch,
                          const std::vector<std::string>& reportNames) {
    EngineTexts texts;
    texts.setupLog = EngineFile(scratch->File(kSetupLogFile), 0);
    texts.arrayListing = EngineFile(scratch->File(kArrayListingFile), 0);
    const std::vector<int> causes = RenderReports(engine, *scratch, reportNames);
    for (size_t i = 0; i < reportNames.size(); ++i)
        texts.reports.emplace_back(reportNames[i],
                                   EngineFile(scratch->File(reportNames[i]), causes[i], false));
    texts.folder = scratch;
    return texts;
}

void FillEngineFigures(const CQVRFCDOEAnalyzer& engine, Analysis& analysis, bool observations) {
    for (size_t q = 0; q < analysis.responses.size(); ++q) {
        const int quality = static_cast<int>(q);
        ResponseResult& response = analysis.responses[q];
        response.engineSnType = engine.GetSNRatioType(quality).GetString();
        if (!observations) continue;
        response.runObservations.assign(engine.GetNoRun(), {});
        for (int r = 0; r < engine.GetNoRun(); ++r) {
            int count = 0;
            const double* values = engine.GetRunQualityValues(quality, r, count);
            response.runObservations[r].assign(values, values + count);
        }
    }
}

}  // namespace qvrfc
