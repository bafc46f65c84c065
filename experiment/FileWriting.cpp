#include "qvrfc/experiment/FileWriting.h"

#include <fstream>
#include <iterator>

#include "qvrfc/experiment/Experiment.h"

namespace qvrfc {

std::string ReadWholeFile(const std::string& path, const std::string& what) {
    std::ifstream file(path, std::ios::binary);
    std::string text;
    if (file) text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    if (!file || file.bad()) throw ExperimentError("cannot read the " + what + " '" + path + "'");
    return text;
}

}  // namespace qvrfc
