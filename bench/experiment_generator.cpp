#include "experiment_generator.h"

#include <cstdio>
#include <random>

namespace qvrfc_bench {

namespace {

// A value around 100 that depends on the run (so factors have effects) plus noise
// with three decimals, drawn from a fixed-seed 64-bit Mersenne Twister.
double NextValue(std::mt19937_64& generator, int quality, int run) {
    const double base = 60.0 + 7.0 * (run % 9) + 3.0 * quality;
    const double noise = static_cast<double>(generator() % 20001) / 1000.0 - 10.0;
    return base + noise;
}

}  // namespace

std::string GenerateExperimentText(const ExperimentShape& shape) {
    std::mt19937_64 generator(shape.seed);
    std::string text;
    text.reserve(static_cast<size_t>(shape.Observations()) * 9 + 64);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%d %d 0\n", shape.runs, shape.qualities);
    text += buffer;
    for (int quality = 0; quality < shape.qualities; ++quality) {
        for (int run = 0; run < shape.runs; ++run) {
            std::snprintf(buffer, sizeof buffer, "%d", shape.repetitions);
            text += buffer;
            for (int k = 0; k < shape.repetitions; ++k) {
                std::snprintf(buffer, sizeof buffer, " %.3f", NextValue(generator, quality, run));
                text += buffer;
            }
            text += '\n';
        }
    }
    return text;
}

bool WriteExperimentFile(const std::string& path, const ExperimentShape& shape) {
    const std::string text = GenerateExperimentText(shape);
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace qvrfc_bench
