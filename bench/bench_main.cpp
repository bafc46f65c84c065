// Benchmarks of the engine at scale: loading, entry, analysis and the full report,
// from the L9 reference size up to L81 x 10 qualities x 10,000 repetitions, and the
// program's analyze command end to end.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "experiment_generator.h"
#include "heap_counter.h"
#include "qvrfc/analysis/Analysis.h"
#include "qvrfc/analyzer/QVRFCDOEAnalyzer.h"
#include "qvrfc/results/HtmlReport.h"

namespace {

using qvrfc_bench::ExperimentShape;
using Analyzer = CQVRFCDOEAnalyzer;

ExperimentShape ShapeOf(const benchmark::State& state) {
    ExperimentShape shape;
    shape.runs = static_cast<int>(state.range(0));
    shape.qualities = static_cast<int>(state.range(1));
    shape.repetitions = static_cast<int>(state.range(2));
    return shape;
}

// Generated files, written once per shape into the benchmark's working directory.
std::string ExperimentFile(const ExperimentShape& shape) {
    static std::map<std::string, bool> written;
    const std::string name = "exp_" + std::to_string(shape.runs) + "_" +
                             std::to_string(shape.qualities) + "_" +
                             std::to_string(shape.repetitions) + ".ipt";
    if (!written[name] && !qvrfc_bench::WriteExperimentFile(name, shape)) {
        std::fprintf(stderr, "qvrfc_bench: cannot write %s\n", name.c_str());
        std::exit(1);
    }
    written[name] = true;
    return name;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The floor for any loader: every number of the text parsed as a double from memory.
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

// CPU time of this thread: unlike the wall clock, it does not count the time that other
// processes on a shared machine take.
double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

void SetSizeCounters(benchmark::State& state, const ExperimentShape& shape, long long bytes) {
    state.SetBytesProcessed(state.iterations() * bytes);
    state.SetItemsProcessed(state.iterations() * shape.Observations());
}

void BM_ParseBaseline(benchmark::State& state) {
    const ExperimentShape shape = ShapeOf(state);
    const std::string text = ReadAll(ExperimentFile(shape));
    for (auto _ : state)
        benchmark::DoNotOptimize(ParseOnly(text));
    SetSizeCounters(state, shape, static_cast<long long>(text.size()));
}

// Writes one double into every page of a fresh array of count doubles: the least a load
// into fresh memory pays beyond parsing.
double FirstTouch(long long count) {
    std::unique_ptr<double[]> fresh(new double[static_cast<size_t>(count)]);
    for (long long i = 0; i < count; i += 512)
        fresh[static_cast<size_t>(i)] = static_cast<double>(i);
    return fresh[static_cast<size_t>(count / 2)];
}

// LoadData from the file, and in the same iterations the parse-only baseline on the same
// bytes: x_parse_only is the best load time over the best parse time (thread CPU time).
// peak_x_data is the most heap one load holds at once over 8 bytes per observation.
// With cold 1 the freed heap goes back to the system before every load, so that each load
// also pays the first touch of every page of its observations, as a process that loads
// once does; x_parse_and_touch then compares it with the parse plus that first touch.
// With cold 0 a load reuses the pages that the one before released.
void BM_LoadData(benchmark::State& state) {
    const ExperimentShape shape = ShapeOf(state);
    const bool cold = state.range(3) != 0;
    const std::string path = ExperimentFile(shape);
    const std::string text = ReadAll(path);
    double bestLoad = 1e300;
    double bestParse = 1e300;
    double bestTouch = 1e300;
    for (auto _ : state) {
        state.PauseTiming();
        double start = ThreadSeconds();
        benchmark::DoNotOptimize(ParseOnly(text));
        bestParse = std::min(bestParse, ThreadSeconds() - start);
        if (cold) {
            malloc_trim(0);
            start = ThreadSeconds();
            benchmark::DoNotOptimize(FirstTouch(shape.Observations()));
            bestTouch = std::min(bestTouch, ThreadSeconds() - start);
            malloc_trim(0);
        }
        Analyzer analyzer;
        state.ResumeTiming();
        start = ThreadSeconds();
        if (!analyzer.LoadData(path.c_str())) state.SkipWithError("LoadData refused the file");
        bestLoad = std::min(bestLoad, ThreadSeconds() - start);
    }
    SetSizeCounters(state, shape, static_cast<long long>(text.size()));
    state.counters["x_parse_only"] = bestLoad / bestParse;
    if (cold) state.counters["x_parse_and_touch"] = bestLoad / (bestParse + bestTouch);

    qvrfc_bench::ResetPeakHeapBytes();
    const long long before = qvrfc_bench::LiveHeapBytes();
    {
        Analyzer analyzer;
        analyzer.LoadData(path.c_str());
        state.counters["peak_x_data"] = static_cast<double>(qvrfc_bench::PeakHeapBytes() - before) /
                                        (8.0 * static_cast<double>(shape.Observations()));
    }
}

// An analyzer loaded from the generated file, every quality larger-the-better.
void Load(Analyzer& analyzer, const ExperimentShape& shape) {
    analyzer.LoadData(ExperimentFile(shape).c_str());
    for (int q = 0; q < analyzer.GetNoQuality(); ++q)
        analyzer.SetQualityCharacteristic(q, Analyzer::LARGER_THE_BETTER, 0.0);
}

// The full report, plain (csv 0) or comma-separated (csv 1), of a loaded experiment.
void BM_Writer(benchmark::State& state) {
    const ExperimentShape shape = ShapeOf(state);
    Analyzer analyzer;
    Load(analyzer, shape);
    const char* name = state.range(3) ? "report.csv" : "report.log";
    for (auto _ : state)
        if (!analyzer.Writer(name, "bench")) state.SkipWithError("Writer could not write");
    SetSizeCounters(state, shape, static_cast<long long>(std::filesystem::file_size(name)));
}

// Factor effects, ranks, best levels and the ANOVA of every quality and response.
void BM_Analysis(benchmark::State& state) {
    const ExperimentShape shape = ShapeOf(state);
    Analyzer analyzer;
    Load(analyzer, shape);
    std::vector<int> ranks(static_cast<size_t>(analyzer.GetNoFactor()));
    const Analyzer::FACTOR_EFFECT_TYPE kinds[] = {Analyzer::FACTOR_EFFECT_QUALITY,
                                                  Analyzer::FACTOR_EFFECT_STDEV,
                                                  Analyzer::FACTOR_EFFECT_SN_RATIO};
    for (auto _ : state) {
        for (int q = 0; q < analyzer.GetNoQuality(); ++q) {
            benchmark::DoNotOptimize(analyzer.GetAveragedSNRatio(q));
            for (const auto kind : kinds) {
                analyzer.GetResponseRank(q, kind, ranks.data());
                int dof = 0;
                double sd = 0.0, percent = 0.0, fValue = 0.0;
                const double errorSS = analyzer.GetErrorSumsOfSquares(q, dof, kind);
                const double ve = analyzer.GetErrorVariance(q, errorSS, dof, sd, percent, kind);
                for (int f = 0; f < analyzer.GetNoFactor(); ++f) {
                    const double ss = analyzer.GetFactorSumsOfSquares(q, f, dof, kind, 1);
                    benchmark::DoNotOptimize(
                        analyzer.GetFactorVariance(q, f, ss, dof, ve, fValue, percent, kind));
                    benchmark::DoNotOptimize(
                        analyzer.GetLargestResponseControlFactorLevel(q, f, kind));
                }
                benchmark::DoNotOptimize(analyzer.GetTotalSumsOfSquares(q, dof, kind));
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * shape.Observations());
}

// Charts (SVG and PNG) and report page of every quality, written into a folder, from the
// analysis of the experiment. They are drawn from per-run and per-level figures, so their
// time does not follow the observations.
void BM_ChartsAndPage(benchmark::State& state) {
    const ExperimentShape shape = ShapeOf(state);
    auto analyzer = std::make_shared<Analyzer>();
    Load(*analyzer, shape);
    const qvrfc::Analysis analysis = qvrfc::AnalyzeEngine(analyzer, {});
    const std::vector<qvrfc::ChartFormat> formats = {qvrfc::ChartFormat::Svg,
                                                     qvrfc::ChartFormat::Png};
    for (auto _ : state)
        benchmark::DoNotOptimize(
            qvrfc::WriteFilesWhole("out", qvrfc::ChartAndPageFiles(analysis, formats, true)));
    state.SetItemsProcessed(state.iterations() * shape.Observations());
}

// Observations entered one by one through the Start / Add / End sequence.
void BM_Entry(benchmark::State& state) {
    const ExperimentShape shape = ShapeOf(state);
    Analyzer analyzer;
    analyzer.SetupDOE(shape.qualities, CQVRFCDOETaguchiOrthogonalArray::ArraySelector(shape.runs),
                      nullptr);
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

#ifdef QVRFC_CLI_PATH
// Runs "qvrfcdoe analyze FILE --sn 1=larger" (with --no-reports when reports is false),
// its summary sent to /dev/null; false when it cannot be run or fails. cpuSeconds is the
// user and system time of the program, both of its threads included.
// What the command writes: nothing but the terminal summary (0), the two seed-format reports
// and the verdict (1), or all that and the charts and the page as by default (2).
bool RunAnalyze(const std::string& file, int outputs, double& cpuSeconds) {
    std::vector<std::string> args = {QVRFC_CLI_PATH, "analyze", file,         "--sn",
                                     "1=larger",     "--out",   "analyze-out"};
    if (outputs == 0) args.push_back("--no-reports");
    if (outputs == 1) args.insert(args.end(), {"--charts", "none", "--no-html"});
    const pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        const int sink = open("/dev/null", O_WRONLY);
        if (sink < 0 || dup2(sink, STDOUT_FILENO) < 0) _exit(127);
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(&arg[0]);
        argv.push_back(nullptr);
        execv(QVRFC_CLI_PATH, argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child) return false;
    cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                 1e-6 * static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

double WallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The program end to end (outputs as for RunAnalyze), timed by the wall clock; x_parse_only is the
// best run over the best parse-only pass on the same bytes in the same iterations (wall clock too),
// cpu_s the program's best CPU time.
void BM_AnalyzeCommand(benchmark::State& state) {
    const ExperimentShape shape = ShapeOf(state);
    const int outputs = static_cast<int>(state.range(3));
    const std::string path = ExperimentFile(shape);
    const std::string text = ReadAll(path);
    double bestRun = 1e300, bestParse = 1e300, bestCpu = 1e300;
    for (auto _ : state) {
        double start = WallSeconds();
        benchmark::DoNotOptimize(ParseOnly(text));
        bestParse = std::min(bestParse, WallSeconds() - start);
        double cpu = 0.0;
        start = WallSeconds();
        if (!RunAnalyze(path, outputs, cpu)) state.SkipWithError("qvrfcdoe analyze failed");
        const double run = WallSeconds() - start;
        state.SetIterationTime(run);
        bestRun = std::min(bestRun, run);
        bestCpu = std::min(bestCpu, cpu);
    }
    SetSizeCounters(state, shape, static_cast<long long>(text.size()));
    state.counters["x_parse_only"] = bestRun / bestParse;
    state.counters["best_s"] = bestRun;
    state.counters["cpu_s"] = bestCpu;
}
#endif

// runs, qualities, repetitions: the L9 reference size up to 8.1 million observations.
void Sizes(benchmark::internal::Benchmark* b) {
    b->ArgNames({"runs", "q", "reps"});
    b->Args({9, 1, 5})->Args({81, 1, 100})->Args({81, 10, 1000})->Args({81, 10, 10000});
}

// The sizes above with a reused heap, and the two large ones also with a cold heap.
void LoadSizes(benchmark::internal::Benchmark* b) {
    b->ArgNames({"runs", "q", "reps", "cold"});
    b->Args({9, 1, 5, 0})->Args({81, 1, 100, 0})->Args({81, 10, 1000, 0});
    b->Args({81, 10, 10000, 0})->Args({81, 10, 1000, 1})->Args({81, 10, 10000, 1});
}

// The same observations on arrays of 9, 27 and 81 runs (4, 13 and 40 factors).
void Arrays(benchmark::internal::Benchmark* b) {
    b->ArgNames({"runs", "q", "reps"});
    b->Args({9, 10, 9000})->Args({27, 10, 3000})->Args({81, 10, 1000});
}

}  // namespace

BENCHMARK(BM_ParseBaseline)->Apply(Sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadData)->Apply(LoadSizes)->MinTime(1.5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Entry)->Apply(Sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Analysis)->Apply(Sizes)->Apply(Arrays)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChartsAndPage)
    ->ArgNames({"runs", "q", "reps"})
    ->Args({9, 1, 5})
    ->Args({81, 1, 100000})
    ->Args({81, 10, 1000})
    ->Args({81, 10, 10000})
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Writer)
    ->ArgNames({"runs", "q", "reps", "csv"})
    ->Args({9, 1, 5, 0})
    ->Args({81, 1, 5, 0})
    ->Args({9, 10, 9000, 0})
    ->Args({27, 10, 3000, 0})
    ->Args({81, 10, 1000, 0})
    ->Args({81, 10, 1000, 1})
    ->Args({81, 10, 10000, 0})
    ->Args({81, 10, 10000, 1})
    ->Unit(benchmark::kMillisecond);

#ifdef QVRFC_CLI_PATH
BENCHMARK(BM_AnalyzeCommand)
    ->ArgNames({"runs", "q", "reps", "outputs"})
    ->Args({81, 10, 10000, 0})
    ->Args({81, 10, 10000, 1})
    ->Args({81, 10, 10000, 2})
    ->UseManualTime()
    ->MinTime(3.0)
    ->Unit(benchmark::kMillisecond);
#endif

int main(int argc, char** argv) {
    // The engine writes fixed file names into the current directory: work in a scratch one.
    std::string dir = (std::filesystem::temp_directory_path() / "qvrfc-bench-XXXXXX").string();
    if (!mkdtemp(&dir[0])) return 1;
    // Freed heap stays with the process (the cold loads give it back on purpose), so that
    // repeated runs measure the engine rather than the system's first touch of fresh pages.
    mallopt(M_TRIM_THRESHOLD, INT_MAX);
    std::filesystem::current_path(dir);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::current_path("/");
    std::filesystem::remove_all(dir);
    return 0;
}
