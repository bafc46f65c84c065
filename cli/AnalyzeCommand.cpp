// qvrfcdoe analyze: analyse a quality data file and write its reports.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "CliError.h"
#include "Commands.h"
#include "OutputFolder.h"
#include "QualityFile.h"
#include "RunSheetAnalysis.h"
#include "analyzer/QVRFCDOEAnalyzer.h"

namespace qvrfcdoe {
namespace {

// Logs that the engine itself writes into the current directory while it sets up an experiment.
const char* const kEngineLogs[] = {"DOESetup.log", "QVRFCDOETaguchiMethod.log"};
const char* const kReportCreator = "qvrfcdoe";

// Qualities and factors named on the command line must exist in the file's experiment.
void CheckSettingsFit(const AnalyzeRequest& request, const QualityFileShape& shape,
                      const std::string& fileName) {
    for (const QualitySetting& setting : request.qualities) {
        if (setting.quality > shape.qualities)
            throw InputError(Text("--sn '%s': quality %d is out of range ('%s' has %s)",
                                  setting.text.c_str(), setting.quality, fileName.c_str(),
                                  Counted(shape.qualities, "quality", "qualities").c_str()));
    }
    for (const PoolSetting& setting : request.pools) {
        if (setting.quality > shape.qualities)
            throw InputError(Text("--pool '%s': quality %d is out of range ('%s' has %s)",
                                  setting.text.c_str(), setting.quality, fileName.c_str(),
                                  Counted(shape.qualities, "quality", "qualities").c_str()));
        for (int factor : setting.factors) {
            if (factor >= shape.factors)
                throw InputError(
                    Text("--pool '%s': factor %c is out of range (the %d-run "
                         "experiment of '%s' has factors A to %c)",
                         setting.text.c_str(), 'A' + factor, shape.runs, fileName.c_str(),
                         'A' + shape.factors - 1));
        }
    }
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

void ApplySettings(CQVRFCDOEAnalyzer& analyzer, const AnalyzeRequest& request) {
    // The data file carries no control factor values; each factor takes its level number, so
    // the report's run table shows the design and its ANOVA totals span every factor (the
    // total only counts factors that hold values).
    for (int r = 0; r < analyzer.GetNoRun(); ++r) {
        for (int f = 0; f < analyzer.GetNoFactor(); ++f)
            analyzer.SetControlFactorValue(r, f, analyzer.GetLevel(r, f));
    }
    for (const QualitySetting& setting : request.qualities)
        analyzer.SetQualityCharacteristic(setting.quality - 1, setting.type, setting.target);
    for (const PoolSetting& setting : request.pools) {
        for (int factor : setting.factors)
            analyzer.SetFactorPooled(setting.quality - 1, factor, 1);
    }
    // The stored S/N ratio of each run follows a new characteristic only when computed again.
    for (int q = 0; q < analyzer.GetNoQuality(); ++q) {
        for (int r = 0; r < analyzer.GetNoRun(); ++r)
            analyzer.GetSNRatio(q, r);
    }
}

// Writes every report or none: a report that cannot be written removes those written before.
void WriteReports(const CQVRFCDOEAnalyzer& analyzer, const std::vector<std::string>& reports) {
    for (size_t i = 0; i < reports.size(); ++i) {
        if (analyzer.Writer(reports[i].c_str(), kReportCreator)) continue;
        for (size_t j = 0; j < i; ++j)
            std::remove(reports[j].c_str());
        throw InputError(
            Text("cannot write report '%s'", fs::absolute(reports[i]).lexically_normal().c_str()));
    }
}

}  // namespace

int Analyze(const AnalyzeRequest& request) {
    if (IsRunSheet(request.dataFile)) return AnalyzeRunSheet(request);
    const QualityFileShape shape = CheckQualityFile(request.dataFile);
    CheckSettingsFit(request, shape, request.dataFile);
    const fs::path dataFile = fs::absolute(request.dataFile).lexically_normal();
    OutputFolder folder(request.outFolder);
    const std::string stem = dataFile.stem().string();
    const std::vector<std::string> reports = {stem + ".log", stem + ".csv"};
    RefuseOverwritingData(request.dataFile, folder, reports);
    folder.Create();
    {
        CurrentDirectory inFolder(folder.Path());
        CQVRFCDOEAnalyzer analyzer;
        if (!analyzer.LoadData(dataFile.c_str()))
            throw InputError(Text("'%s' could not be loaded", request.dataFile.c_str()));
        ApplySettings(analyzer, request);
        WriteReports(analyzer, reports);
        analyzer.WriteRunQualityData(stdout, 0, "[Run Quality Data]");
        analyzer.WriteFactorEffectData(stdout, 0, "[Factor Effect]");
    }
    folder.PrintFilesWritten();
    return 0;
}

void DeclareAnalyzeCommand(CLI::App& app, CommandRun& run) {
    struct Options {
        AnalyzeRequest request;
        std::vector<std::string> sn;
        std::vector<std::string> pool;
    };
    auto options = std::make_shared<Options>();
    CLI::App* analyze = AddCommand(
        app, run, "analyze", "Analyse a quality data file and write its reports", [options] {
            for (const std::string& text : options->sn)
                options->request.qualities.push_back(ParseQualitySetting(text));
            for (const std::string& text : options->pool)
                options->request.pools.push_back(ParsePoolSetting(text));
            return Analyze(options->request);
        });
    analyze
        ->add_option("FILE", options->request.dataFile,
                     "Quality data file, or a filled run sheet (runsheet.csv)")
        ->required();
    analyze
        ->add_option("--sn", options->sn,
                     "S/N ratio type and target of a quality, e.g. 1=larger or 2=nominal1:10.5; "
                     "types: " +
                         SnTypeList())
        ->type_name("QUALITY=TYPE[:TARGET]")
        ->allow_extra_args(false);
    analyze
        ->add_option("--pool", options->pool,
                     "Factors pooled into the error of a quality's ANOVA, e.g. 1=B,C")
        ->type_name("QUALITY=LETTERS")
        ->allow_extra_args(false);
    analyze
        ->add_option("--experiment", options->request.experimentFile,
                     "Experiment file of a run sheet (default: experiment.toml "
                     "beside it)")
        ->type_name("FILE");
    DeclareOutFolder(analyze, options->request.outFolder);
    analyze->footer(
        "FILE holds whole numbers and values separated by blanks or line ends: the run count, "
        "the quality count and one unused number, then for each quality and each of its runs "
        "the number of observations followed by the observations. Options may be repeated; "
        "factors are the letters A, B, ... in column order. The reports FILE-stem.log and "
        "FILE-stem.csv are written into the output folder.");
}

}  // namespace qvrfcdoe
