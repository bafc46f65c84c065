// Benchmarks of the engine at scale: loading, entry, analysis and the full report,
// from the L9 reference size up to L81 x 10 qualities x 10,000 repetitions.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "analyzer/QVRFCDOEAnalyzer.h"
#include "experiment_generator.h"

namespace {

using qvrfc_bench::ExperimentShape;
using Analyzer = CQVRFCDOEAnalyzer;
using Clock = std::chrono::steady_clock;

ExperimentShape ShapeOf(const benchmark::State& state) {
    ExperimentShape shape;
    shape.runs = static_cast<int>(state.range(0));
    shape.qualities = static_cast<int>(state.range(1));
    shape.repetitions = static_cast<int>(state.range(2));
    return shape;
}

// Generated files, made once per shape in the benchmark's working directory.
const std::string& ExperimentFile(const ExperimentShape& shape) {
    static std::map<std::string, std::string> files;
    const std::string name = "exp_" + std::to_string(shape.runs) + "_" +
                             std::to_string(shape.qualities) + "_" +
                             std::to_string(shape.repetitions) + ".ipt";
    auto found = files.find(name);
    if (found == files.end()) {
        qvrfc_bench::WriteExperimentFile(name, shape);
        found = files.emplace(name, name).first;
    }
    return found->second;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The floor for any loader: every number of the file parsed as a double from memory.
double ParseOnly(const std::string& text) {
    const char* p = text.data();
    const char* end = p + text.size();
    double sum = 0.0;
    while (p < end) {
        while (p < end && (*p == ' ' || *p == '\n' || *p == '\t' || *p == '\r'))
            ++p;
        double value = 0.0;
        const auto result = std::from_chars(p, end, value);
        if (result.ec != std::errc()) break;
        sum += value;
        p = result.ptr;
    }
    return sum;
}

double SecondsOf(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

double BestParseSeconds(const std::string& text) {
    double best = 1e300;
    for (int i = 0; i < 3; ++i) {
        const auto start = Clock::now();
        benchmark::DoNotOptimize(ParseOnly(text));
        best = std::min(best, SecondsOf(Clock::now() - start));
    }
    return best;
}

long StatusKiB(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field));
    return 0;
}

void BM_ParseBaseline(benchmark::State& state) {
    const ExperimentShape shape = ShapeOf(state);
    const std::string text = ReadAll(ExperimentFile(shape));
    for (auto _ : state)
        benchmark::DoNotOptimize(ParseOnly(text));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
    state.SetItemsProcessed(state.iterations() * shape.Observations());
}

void BM_LoadData(benchmark::State& state) {
    const ExperimentShape shape = ShapeOf(state);
    const std::string& path = ExperimentFile(shape);
    const std::string text = ReadAll(path);
    const double parseSeconds = BestParseSeconds(text);
    double loadSeconds = 0.0;
    for (auto _ : state) {
        Analyzer analyzer;
        const auto start = Clock::now();
        const int loaded = analyzer.LoadData(path.c_str());
        loadSeconds += SecondsOf(Clock::now() - start);
        if (!loaded) state.SkipWithError("LoadData refused the generated file");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
    state.SetItemsProcessed(state.iterations() * shape.Observations());
    state.counters["x_parse_only"] =
        loadSeconds / static_cast<double>(state.iterations()) / parseSeconds;

    // Peak memory of one load beyond what the process held before, per 8 bytes of data.
    std::ofstream("/proc/self/clear_refs") << "5";
    const long before = StatusKiB("VmRSS:");
    {
        Analyzer analyzer;
        analyzer.LoadData(path.c_str());
        const long peak = StatusKiB("VmHWM:");
        state.counters["peak_x_data"] = 1024.0 * static_cast<double>(peak - before) /
                                        (8.0 * static_cast<double>(shape.Observations()));
    }
}

Analyzer Loaded(const ExperimentShape& shape) {
    Analyzer analyzer;
    analyzer.LoadData(ExperimentFile(shape).c_str());
    for (int q = 0; q < analyzer.GetNoQuality(); ++q)
        analyzer.SetQualityCharacteristic(q, Analyzer::LARGER_THE_BETTER, 0.0);
    return analyzer;
}

void BM_Writer(benchmark::State& state) {
    const ExperimentShape shape = ShapeOf(state);
    Analyzer analyzer = Loaded(shape);
    for (auto _ : state)
        analyzer.Writer(state.range(3) ? "report.csv" : "report.log", "bench");
    state.SetItemsProcessed(state.iterations() * shape.Observations());
}

void BM_Analysis(benchmark::State& state) {
    const ExperimentShape shape = ShapeOf(state);
    Analyzer analyzer = Loaded(shape);
    std::vector<int> ranks(static_cast<size_t>(analyzer.GetNoFactor()));
    const Analyzer::FACTOR_EFFECT_TYPE kinds[] = {Analyzer::FACTOR_EFFECT_QUALITY,
                                                  Analyzer::FACTOR_EFFECT_STDEV,
                                                  Analyzer::FACTOR_EFFECT_SN_RATIO};
    for (auto _ : state) {
        for (int q = 0; q < analyzer.GetNoQuality(); ++q) {
            analyzer.GetAveragedSNRatio(q);
            for (const auto kind : kinds) {
                analyzer.GetResponseRank(q, kind, ranks.data());
                for (int f = 0; f < analyzer.GetNoFactor(); ++f) {
                    int dof = 0;
                    benchmark::DoNotOptimize(analyzer.GetFactorSumsOfSquares(q, f, dof, kind, 1));
                    benchmark::DoNotOptimize(
                        analyzer.GetLargestResponseControlFactorLevel(q, f, kind));
                }
                int dof = 0;
                benchmark::DoNotOptimize(analyzer.GetErrorSumsOfSquares(q, dof, kind));
                benchmark::DoNotOptimize(analyzer.GetTotalSumsOfSquares(q, dof, kind));
            }
        }
    }
}

void BM_Entry(benchmark::State& state) {
    const ExperimentShape shape = ShapeOf(state);
    Analyzer analyzer;
    analyzer.SetupDOE(shape.qualities, Analyzer::OA_TYPE::OA_L81, nullptr);
    for (auto _ : state) {
        for (int q = 0; q < shape.qualities; ++q) {
            for (int run = 0; run < shape.runs; ++run) {
                analyzer.AddQualityValueStart(q, run);
                for (int k = 0; k < shape.repetitions; ++k)
                    analyzer.AddQualityValue(50.0 + k % 17);
                double average = 0, deviation = 0;
                analyzer.AddQualityValueEnd(average, deviation);
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * shape.Observations());
}

// runs, qualities, repetitions: the L9 reference size up to 8.1 million observations.
void Sizes(benchmark::internal::Benchmark* b) {
    b->ArgNames({"runs", "q", "reps"});
    b->Args({9, 1, 5})->Args({81, 1, 100})->Args({81, 10, 1000})->Args({81, 10, 10000});
}

}  // namespace

BENCHMARK(BM_ParseBaseline)->Apply(Sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadData)->Apply(Sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Entry)
    ->Args({81, 10, 1000})
    ->ArgNames({"runs", "q", "reps"})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Analysis)->Apply(Sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Writer)
    ->ArgNames({"runs", "q", "reps", "csv"})
    ->Args({81, 1, 5, 0})
    ->Args({81, 10, 1000, 1})
    ->Args({81, 10, 10000, 0})
    ->Args({81, 10, 10000, 1})
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    // The engine writes fixed file names into the current directory: work in a scratch one.
    std::string dir = (std::filesystem::temp_directory_path() / "qvrfc-bench-XXXXXX").string();
    if (!mkdtemp(&dir[0])) return 1;
    std::filesystem::current_path(dir);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::current_path("/");
    std::filesystem::remove_all(dir);
    return 0;
}
