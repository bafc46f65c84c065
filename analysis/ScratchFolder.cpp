#include "qvrfc/analysis/ScratchFolder.h"

#include <stdlib.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "qvrfc/common/QVRFCError.h"
#include "qvrfc/common/QVRFCTextFormat.h"

namespace qvrfc {

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder() {
    const char* variable = std::getenv("TMPDIR");
    const std::string temporary = variable && *variable ? variable : "/tmp";
    std::string pattern = (fs::path(temporary) / "qvrfcdoe-XXXXXX").string();
    if (!mkdtemp(&pattern[0]))
        throw Error(
            FormatText("cannot make a scratch folder in the temporary folder '%s' "
                       "(TMPDIR): %s",
                       temporary.c_str(), std::strerror(errno)));
    m_path = pattern;
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
}

std::string ScratchFolder::File(const std::string& name) const {
    return (fs::path(m_path) / name).string();
}

}  // namespace qvrfc
