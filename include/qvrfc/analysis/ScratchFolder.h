// A folder of its own in the system's temporary folder ($TMPDIR, else /tmp), removed with the
// object and all it holds: where the engine writes the files it names itself (its set-up logs)
// and its reports, so that they never land in a folder of the caller's or the current
// directory.
//
//   const qvrfc::ScratchFolder scratch;
//   analyzer.SetLogFolder(scratch.Path().c_str());
#pragma once

#include <string>

#include "qvrfc/common/QVRFCExport.h"

namespace qvrfc {

class QVRFC_API ScratchFolder {
  public:
    // qvrfc::Error naming the temporary folder and the cause when none can be made.
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return m_path; }
    // The path of a file inside the folder.
    std::string File(const std::string& name) const;

  private:
    std::string m_path;
};

}  // namespace qvrfc
