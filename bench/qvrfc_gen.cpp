// qvrfc-gen: writes a deterministic quality data file of a given size.
#include <CLI/CLI.hpp>
#include <cstdio>

#include "experiment_generator.h"

int main(int argc, char** argv) {
    CLI::App app{"Writes a deterministic quality data file for benchmarks"};
    qvrfc_bench::ExperimentShape shape;
    std::string output = "experiment.ipt";
    app.add_option("--runs", shape.runs, "Runs (a catalogue run count: 4, 8, 9, ... 81)")
        ->check(CLI::Range(1, 81));
    app.add_option("--qualities", shape.qualities, "Quality characteristics")
        ->check(CLI::Range(1, 1000));
    app.add_option("--reps", shape.repetitions, "Repetitions per run")
        ->check(CLI::Range(0, 10000000));
    app.add_option("--seed", shape.seed, "Generator seed");
    app.add_option("-o,--out", output, "Output file");
    CLI11_PARSE(app, argc, argv);
    if (!qvrfc_bench::WriteExperimentFile(output, shape)) {
        std::fprintf(stderr, "qvrfc-gen: cannot write %s\n", output.c_str());
        return 1;
    }
    std::printf("%s: %d runs, %d qualities, %d repetitions (%lld observations)\n", output.c_str(),
                shape.runs, shape.qualities, shape.repetitions, shape.Observations());
    return 0;
}
