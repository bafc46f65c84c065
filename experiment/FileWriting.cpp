#include "qvrfc/experiment/FileWriting.h"

#include <fstream>
#include <iterator>

#include "qvrfc/experiment/Experiment.h"

namespace qvrfc {

std::string ReadWholeFile(const std::string& path, const std::string& what) {
    std::ifstream file(path, std::ios::binary);
    std::string text;
    if (file) text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    if (!file || file.bad())
        throw Error::Placed("cannot read the " + what + " '" + path + "'", path, 0, "");
    return text;
}

}  // namespace qvrfc
