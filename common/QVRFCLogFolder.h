// Where the engine's fixed-name logs go ("DOESetup.log", "QVRFCDOETaguchiMethod.log"): a
// folder that the caller names, or the current directory when it names none. Naming the
// folder lets several objects, also on several threads, keep their logs apart without any
// change of the process's current directory.
#pragma once

#include <string>

namespace qvrfc {

// The folder as stored: null and "" both mean the current directory.
inline std::string LogFolder(const char* folder) {
    return folder ? folder : "";
}

// The log file name inside folder; the name alone for the current directory.
inline std::string LogPath(const std::string& folder, const char* name) {
    if (folder.empty()) return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

}  // namespace qvrfc
