// Deterministic experiment files for the benchmarks: a quality data file of a
// given size (runs, qualities, repetitions) with values from a fixed-seed generator.
#pragma once

#include <cstdint>
#include <string>

namespace qvrfc_bench {

struct ExperimentShape {
    int runs = 9;
    int qualities = 1;
    int repetitions = 5;
    std::uint64_t seed = 20261206;

    long long Observations() const { return 1LL * runs * qualities * repetitions; }
};

// The file text: header "runs qualities 0", then per quality and run the count and its values.
std::string GenerateExperimentText(const ExperimentShape& shape);
// Writes the text to path; false when the file cannot be written.
bool WriteExperimentFile(const std::string& path, const ExperimentShape& shape);

}  // namespace qvrfc_bench
