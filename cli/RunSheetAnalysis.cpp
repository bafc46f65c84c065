#include "RunSheetAnalysis.h"

#include <cstdio>
#include <fstream>
#include <system_error>

#include "CliError.h"
#include "OutputFolder.h"
#include "ReportPage.h"
#include "experiment/ExperimentAnalyzer.h"
#include "experiment/ExperimentFile.h"
#include "experiment/RunSheet.h"
#include "results/ResultsJson.h"

namespace qvrfcdoe {
namespace {

const char* const kBesideSheet = "experiment.toml";
const char* const kResultsFile = "results.json";
const char* const kReportCreator = "qvrfcdoe";

std::string ExperimentFileOf(const AnalyzeRequest& request) {
    if (!request.experimentFile.empty()) return request.experimentFile;
    const fs::path beside = fs::path(request.dataFile).parent_path() / kBesideSheet;
    std::error_code error;
    if (!fs::is_regular_file(beside, error))
        throw InputError(
            Text("'%s' has no experiment file beside it (%s); name it with "
                 "--experiment",
                 request.dataFile.c_str(), beside.c_str()));
    return beside.string();
}

// --sn and --pool refer to the experiment's responses and factors by number and letter.
void ApplySettings(const AnalyzeRequest& request, qvrfc::Experiment& experiment) {
    const int responses = static_cast<int>(experiment.responses.size());
    for (const QualitySetting& setting : request.settings.qualities) {
        if (setting.quality > responses)
            throw InputError(Text("--sn '%s': the experiment has %s", setting.text.c_str(),
                                  Counted(responses, "response", "responses").c_str()));
        experiment.responses[setting.quality - 1].sn = setting.kind;
        experiment.responses[setting.quality - 1].target = setting.target;
    }
}

void ApplyPools(const AnalyzeRequest& request, const qvrfc::Experiment& experiment,
                CQVRFCDOEAnalyzer& analyzer) {
    const int factors = static_cast<int>(experiment.factors.size());
    for (const PoolSetting& setting : request.settings.pools) {
        if (setting.quality > static_cast<int>(experiment.responses.size()))
            throw InputError(
                Text("--pool '%s': the experiment has %s", setting.text.c_str(),
                     Counted(static_cast<int>(experiment.responses.size()), "response", "responses")
                         .c_str()));
        for (int factor : setting.factors) {
            if (factor >= factors)
                throw InputError(Text("--pool '%s': the experiment has %s", setting.text.c_str(),
                                      Counted(factors, "factor", "factors").c_str()));
            analyzer.SetFactorPooled(setting.quality - 1, factor, 1);
        }
    }
}

bool WriteReport(const qvrfc::Experiment& experiment, const CQVRFCDOEAnalyzer& analyzer,
                 const std::string& name) {
    if (name != kResultsFile) return analyzer.Writer(name.c_str(), kReportCreator);
    try {
        qvrfc::WriteResultsJson(experiment, analyzer, name);
        return true;
    } catch (const qvrfc::ExperimentError&) {
        return false;
    }
}

// Every report or none: a report that cannot be written removes those written before it.
void WriteReports(const qvrfc::Experiment& experiment, const CQVRFCDOEAnalyzer& analyzer,
                  const std::vector<std::string>& reports) {
    for (size_t i = 0; i < reports.size(); ++i) {
        if (WriteReport(experiment, analyzer, reports[i])) continue;
        for (size_t j = 0; j < i; ++j)
            std::remove(reports[j].c_str());
        throw InputError(
            Text("cannot write report '%s'", fs::absolute(reports[i]).lexically_normal().c_str()));
    }
}

}  // namespace

bool IsRunSheet(const std::string& dataFile) {
    // Only a regular file is looked into: a pipe's data would be gone for the reader.
    std::error_code error;
    if (!fs::is_regular_file(dataFile, error)) return false;
    std::ifstream file(dataFile, std::ios::binary);
    char start[16] = {};
    file.read(start, sizeof start - 1);
    std::string text(start);
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
    if (!text.empty() && text[0] == '"') text.erase(0, 1);
    return text.compare(0, 3, "run") == 0;
}

int AnalyzeRunSheet(const AnalyzeRequest& request) {
    qvrfc::Experiment experiment = qvrfc::ReadExperimentFile(ExperimentFileOf(request));
    ApplySettings(request, experiment);
    const qvrfc::SheetObservations observations = qvrfc::ReadRunSheet(experiment, request.dataFile);
    const fs::path sheet = fs::absolute(request.dataFile).lexically_normal();
    const std::string stem = sheet.stem().string() + "-analysis";
    const std::vector<std::string> reports = {stem + ".log", stem + ".csv", kResultsFile};
    OutputFolder folder(request.outFolder);
    for (const std::string& report : reports) {
        if (SameFile(sheet, folder.File(report)))
            throw InputError(Text("'%s' would be overwritten by '%s'; choose another --out folder",
                                  request.dataFile.c_str(), report.c_str()));
    }
    folder.Create();
    {
        CurrentDirectory inFolder(folder.Path());
        CQVRFCDOEAnalyzer analyzer;
        qvrfc::SetUpAnalyzer(analyzer, experiment, &observations);
        ApplyPools(request, experiment, analyzer);
        WriteReports(experiment, analyzer, reports);
        WriteReportPage(analyzer, request, experiment);
        analyzer.WriteRunQualityData(stdout, 0, "[Run Quality Data]");
        analyzer.WriteFactorEffectData(stdout, 0, "[Factor Effect]");
    }
    folder.PrintFilesWritten();
    return 0;
}

}  // namespace qvrfcdoe
