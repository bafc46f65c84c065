// The listing of an OA_L4 array under the title "[DOE OrthogonalArray]", line by line,
// as the array's listing writer prints it.
#pragma once

#include <string>
#include <vector>

#include "support/test_support.h"

namespace qvrfc_test {

inline const std::vector<std::string>& L4Listing() {
    static const std::vector<std::string> lines = Lines(
        "\n[DOE OrthogonalArray]\nType           = 0 (Taguchi Orthogonal Array L4(2^3))\n"
        "No Run         = 4\nMax. No  Factor= 3\nMax. No. Level = 2\n\n==================\n"
        "Run   Factor\nNo.     1  2  3\n==================\n 1      1  1  1\n 2      1  2  2\n"
        " 3      2  1  2\n 4      2  2  1\n==================\n");
    return lines;
}

}  // namespace qvrfc_test
