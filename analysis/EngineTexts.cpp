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

}  // namespace

EngineTextsRendering::EngineTextsRendering(const CQVRFCDOEAnalyzer& engine,
                                           std::shared_ptr<const ScratchFolder> scratch,
                                           std::vector<std::string> reportNames)
    : m_scratch(std::move(scratch)), m_names(std::move(reportNames)), m_causes(m_names.size(), 0) {
    const auto render = [this, &engine](size_t i) {
        errno = 0;
        if (!engine.WriterAs(m_scratch->File(m_names[i]).c_str(), m_names[i].c_str(),
                             kReportCreator))
            m_causes[i] = errno ? errno : -1;
    };
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
    // The page's module has no threads: one report after the other, at once.
    for (size_t i = 0; i < m_names.size(); ++i)
        render(i);
#else
    try {
        for (size_t i = 0; i < m_names.size(); ++i)
            m_renderers.emplace_back(render, i);
    } catch (...) {
        Join();
        throw;
    }
#endif
}

EngineTextsRendering::~EngineTextsRendering() {
    Join();
}

void EngineTextsRendering::Join() {
    for (std::thread& renderer : m_renderers)
        if (renderer.joinable()) renderer.join();
}

EngineTexts EngineTextsRendering::Finish() {
    Join();
    EngineTexts texts;
    texts.setupLog = EngineFile(m_scratch->File(kSetupLogFile), 0);
    texts.arrayListing = EngineFile(m_scratch->File(kArrayListingFile), 0);
    for (size_t i = 0; i < m_names.size(); ++i)
        texts.reports.emplace_back(m_names[i],
                                   EngineFile(m_scratch->File(m_names[i]), m_causes[i], false));
    texts.folder = m_scratch;
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
