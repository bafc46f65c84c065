// qvrfcdoe analyze: analyse a quality data file and write its reports.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "AnalysisChecks.h"
#include "ArrayCatalogue.h"
#include "CliError.h"
#include "Commands.h"
#include "OutputFolder.h"
#include "ReportPage.h"
#include "RunSheetAnalysis.h"
#include "VerdictInput.h"
#include "VerdictOutput.h"
#include "analyzer/QVRFCDOEAnalyzer.h"
#include "analyzer/QVRFCDOEDataFileReader.h"
#include "common/QVRFCFactorNames.h"
#include "results/Summary.h"

namespace qvrfcdoe {
namespace {

// Logs that the engine itself writes into the current directory while it sets up an experiment.
const char* const kEngineLogs[] = {kSetupLog, kArrayListingLog};
const char* const kReportCreator = "qvrfcdoe";

// Reads the data file once; an InputError naming the file, the line and the cause otherwise.
void ReadDataFile(const AnalyzeRequest& request, CQVRFCDOEDataFileReader& data) {
    if (!request.arrayName.empty()) data.SetArrayType(ParseArrayName(request.arrayName));
    if (!data.Read(request.dataFile.c_str()))
        throw InputError(data.Describe(request.dataFile.c_str()));
}

// A data file kept in the output folder must not be replaced by what the command writes.
void RefuseOverwritingData(const std::string& dataFile, const OutputFolder& folder,
                           const std::vector<std::string>& reports) {
    std::vector<std::string> written(reports);
    written.insert(written.end(), std::begin(kEngineLogs), std::end(kEngineLogs));
    for (const std::string& name : written) {
        if (SameFile(dataFile, folder.File(name)))
            throw InputError(Text("'%s' would be overwritten by '%s'; choose another --out folder",
                                  dataFile.c_str(), name.c_str()));
    }
}

// The statistics that const queries cache in the run records (averages, deviations, S/N
// ratios), filled before the reports are written side by side.
void FillCaches(const CQVRFCDOEAnalyzer& analyzer) {
    for (int q = 0; q < analyzer.GetNoQuality(); ++q) {
        for (int r = 0; r < analyzer.GetNoRun(); ++r) {
            analyzer.GetRunQualityValue(q, r);
            analyzer.GetRunStandardDeviation(q, r);
            analyzer.GetSNRatio(q, r);
        }
    }
}

void ApplySettings(CQVRFCDOEAnalyzer& analyzer, const AnalyzeRequest& request) {
    // The data file carries no control factor values; each factor takes its level number, so
    // the report's run table shows the design and its ANOVA totals span every factor (the
    // total only counts factors that hold values).
    for (int r = 0; r < analyzer.GetNoRun(); ++r) {
        for (int f = 0; f < analyzer.GetNoFactor(); ++f)
            analyzer.SetControlFactorValue(r, f, analyzer.GetLevel(r, f));
    }
    ApplyToEngine(analyzer, request.settings);
    // The stored S/N ratio of each run follows a new characteristic only when computed again.
    FillCaches(analyzer);
}

// Writes the reports in parallel, each on its own thread: ApplySettings filled every cache
// that the const queries of the writers would otherwise fill on the way. The engine replaces a
// report whole or not at all, so a report that cannot be written leaves its earlier version in
// place, and the others stay as written.
void WriteReports(const CQVRFCDOEAnalyzer& analyzer, const std::vector<std::string>& reports) {
    std::vector<int> causes(reports.size(), 0);  // errno of a report not written, -1 for none
    const auto write = [&analyzer, &reports, &causes](size_t i) {
        errno = 0;
        if (!analyzer.Writer(reports[i].c_str(), kReportCreator)) causes[i] = errno ? errno : -1;
    };
    std::vector<std::thread> writers;
    for (size_t i = 1; i < reports.size(); ++i)
        writers.emplace_back(write, i);
    if (!reports.empty()) write(0);
    for (std::thread& writer : writers)
        writer.join();
    for (size_t i = 0; i < reports.size(); ++i) {
        if (causes[i] == 0) continue;
        throw InputError(Text(
            "cannot write report '%s': %s", fs::absolute(reports[i]).lexically_normal().c_str(),
            causes[i] > 0 ? std::strerror(causes[i]) : "the engine could not write it"));
    }
}

qvrfc_results::SummaryOptions ChosenOptions(const AnalyzeRequest& request, int qualities) {
    qvrfc_results::SummaryOptions options;
    options.snChosen.assign(static_cast<size_t>(qualities), false);
    for (const QualitySetting& setting : request.settings.qualities)
        options.snChosen[static_cast<size_t>(setting.quality - 1)] = true;
    options.arrayChosen = !request.arrayName.empty();
    options.runTable = request.runTable;
    return options;
}

}  // namespace

int Analyze(const AnalyzeRequest& request) {
    if (IsRunSheet(request.dataFile)) return AnalyzeRunSheet(request);
    CQVRFCDOEDataFileReader data;
    ReadDataFile(request, data);
    CheckSettingsFit(request.settings, data, request.dataFile);
    const fs::path dataFile = fs::absolute(request.dataFile).lexically_normal();
    OutputFolder folder(request.outFolder);
    const std::string stem = dataFile.stem().string();
    std::vector<std::string> reports;
    if (request.reports) reports = {stem + ".log", stem + ".csv"};
    RefuseOverwritingData(request.dataFile, folder, reports);
    folder.Create();
    {
        CurrentDirectory inFolder(folder.Path());
        CQVRFCDOEAnalyzer analyzer;
        const EngineFilesCheck logs(folder, {std::begin(kEngineLogs), std::end(kEngineLogs)});
        const EngineFilesCheck written(folder, reports);
        if (!analyzer.LoadData(data))
            throw InputError(
                Text("'%s': the experiment cannot be set up", request.dataFile.c_str()));
        logs.ExpectWritten();
        ApplySettings(analyzer, request);
        CheckAnalysable(analyzer, request.dataFile, request.reports);
        const VerdictOutput verdict = TakeVerdict(analyzer, request.dataFile, request.settings);
        if (!reports.empty()) WriteReports(analyzer, reports);
        written.ExpectWritten();
        if (request.reports) WriteVerdictFile(verdict, folder.File(VerdictReportName(stem)));
        WriteReportPage(analyzer, request, verdict);
        qvrfc_results::WriteSummary(stdout, analyzer,
                                    ChosenOptions(request, analyzer.GetNoQuality()));
        PrintVerdict(verdict);
    }
    folder.PrintFilesWritten();
    return 0;
}

void DeclareAnalyzeCommand(CLI::App& app, CommandRun& run) {
    struct Options {
        AnalyzeRequest request;
        AnalysisOptions analysis;
        bool noReports = false;
        bool noHtml = false;
        std::string charts = "svg,png";
    };
    auto options = std::make_shared<Options>();
    CLI::App* analyze = AddCommand(
        app, run, "analyze", "Analyse a quality data file and write its reports", [options] {
            options->request.settings = ParseAnalysisOptions(options->analysis);
            options->request.reports = !options->noReports;
            options->request.html = !options->noHtml;
            try {
                options->request.chartFormats = qvrfc::ParseChartFormats(options->charts);
            } catch (const std::invalid_argument& error) {
                throw UsageError(std::string("--charts: ") + error.what());
            }
            return Analyze(options->request);
        });
    analyze
        ->add_option("FILE", options->request.dataFile,
                     "Quality data file, or a filled run sheet (runsheet.csv)")
        ->required();
    DeclareAnalysisOptions(analyze, options->analysis);
    analyze
        ->add_option("--array", options->request.arrayName,
                     "The orthogonal array when several have the file's run count, e.g. L16' "
                     "(names as 'qvrfcdoe arrays' lists them)")
        ->type_name("NAME");
    analyze->add_flag("--runs", options->request.runTable,
                      "Print the run table with every observation before the summary");
    analyze->add_flag("--no-reports", options->noReports,
                      "Print the summary and the verdict only; write no reports, charts or page");
    analyze
        ->add_option("--charts", options->charts,
                     "Chart formats: svg, png, pdf, comma-separated, or none")
        ->type_name("FORMATS");
    analyze->add_flag("--no-html", options->noHtml, "Write the charts without report.html");
    analyze
        ->add_option("--experiment", options->request.experimentFile,
                     "Experiment file of a run sheet (default: experiment.toml beside it)")
        ->type_name("FILE");
    DeclareOutFolder(analyze, options->request.outFolder);
    analyze->footer(
        "FILE holds whole numbers and values separated by blanks or line ends: the run count, "
        "the quality count and one unused number, then for each quality and each of its runs "
        "the number of observations followed by the observations. Options may be repeated; "
        "factors are named A, B, ..., Z, AA, AB, ... in column order, or numbered from 1. The "
        "reports FILE-stem.log and FILE-stem.csv, and the verdict (full ANOVA with p-values, "
        "optimum and intervals) as FILE-stem-verdict.txt, the charts into charts/ and the page "
        "report.html are written into the output folder.");
}

}  // namespace qvrfcdoe
