// The listing of an OA_L4 array under the title "[DOE OrthogonalArray]", line by line,
// as the array's listing writer prints it.
#pragma once

#include <string>
#include <vector>

namespace qvrfc_test {

inline const std::vector<std::string>& L4Listing() {
    static const std::vector<std::string> lines = {
        "",
        "[DOE OrthogonalArray]",
        "Type           = 0 (Taguchi Orthogonal Array L4(2^3))",
        "No Run         = 4",
        "Max. No  Factor= 3",
        "Max. No. Level = 2",
        "",
        "==================",
        "Run   Factor",
        "No.     1  2  3",
        "==================",
        " 1      1  1  1",
        " 2      1  2  2",
        " 3      2  1  2",
        " 4      2  2  1",
        "=================="};
    return lines;
}

}  // namespace qvrfc_test
