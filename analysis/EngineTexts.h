// What the analysis keeps of the engine once it is gone: its texts (set-up logs, reports) and
// the figures that only it holds (each run's observations as stored, its S/N type's name).
#pragma once

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "qvrfc/analysis/Analysis.h"
#include "qvrfc/analysis/ScratchFolder.h"

namespace qvrfc {

// The engine's texts: the set-up logs that it wrote into scratch while it was set up, and the
// reports named reportNames (".csv" names the comma-separated one), each naming itself by its
// name, rendered there on threads of their own from construction on, while the caller goes on
// reading the engine (it must not change the engine before Finish). A rendering that is not
// finished is waited for when it goes.
class EngineTextsRendering {
  public:
    EngineTextsRendering(const CQVRFCDOEAnalyzer& engine,
                         std::shared_ptr<const ScratchFolder> scratch,
                         std::vector<std::string> reportNames);
    ~EngineTextsRendering();
    EngineTextsRendering(const EngineTextsRendering&) = delete;
    EngineTextsRendering& operator=(const EngineTextsRendering&) = delete;

    // Waits for the reports; qvrfc::Error naming a file that the engine could not write, and why.
    EngineTexts Finish();

  private:
    void Join();

    std::shared_ptr<const ScratchFolder> m_scratch;
    std::vector<std::string> m_names;
    std::vector<int> m_causes;  // errno of each report the engine could not write, -1 unknown
    std::vector<std::thread> m_renderers;
};

// Each response's S/N type's name, and its observations as the engine stores them when
// `observations`.
void FillEngineFigures(const CQVRFCDOEAnalyzer& engine, Analysis& analysis, bool observations);

}  // namespace qvrfc
