#include "RunSheetAnalysis.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <system_error>

#include "AnalysisChecks.h"
#include "CliError.h"
#include "OutputFolder.h"
#include "ReportPage.h"
#include "VerdictInput.h"
#include "VerdictOutput.h"
#include "common/QVRFCFactorNames.h"
#include "experiment/ExperimentAnalyzer.h"
#include "experiment/ExperimentFile.h"
#include "experiment/RunSheet.h"
#include "results/ResultsJson.h"
#include "results/Summary.h"

namespace qvrfcdoe {
namespace {

const char* const kBesideSheet = "experiment.toml";
const char* const kResultsFile = "results.json";
const char* const kReportCreator = "qvrfcdoe";

std::string ExperimentFileOf(const std::string& dataFile, const std::string& experimentFile) {
    if (!experimentFile.empty()) return experimentFile;
    const fs::path beside = fs::path(dataFile).parent_path() / kBesideSheet;
    std::error_code error;
    if (!fs::is_regular_file(beside, error))
        throw InputError(
            Text("'%s' has no experiment file beside it (%s); name it with "
                 "--experiment",
                 dataFile.c_str(), beside.c_str()));
    return beside.string();
}

// --sn and --pool refer to the experiment's responses and factors by number and letter.
void ApplySettings(const AnalysisSettings& settings, qvrfc::Experiment& experiment) {
    const int responses = static_cast<int>(experiment.responses.size());
    for (const QualitySetting& setting : settings.qualities) {
        if (setting.quality > responses)
            throw InputError(Text("--sn '%s': the experiment has %s", setting.text.c_str(),
                                  Counted(responses, "response", "responses").c_str()));
        experiment.responses[setting.quality - 1].sn = setting.kind;
        experiment.responses[setting.quality - 1].target = setting.target;
    }
}

void ApplyPools(const AnalysisSettings& settings, const qvrfc::Experiment& experiment,
                CQVRFCDOEAnalyzer& analyzer) {
    const int factors = static_cast<int>(experiment.factors.size());
    for (const PoolSetting& setting : settings.pools) {
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

// A factor of --interaction by the experiment's name, or by letter or number from 1.
int InteractionFactor(const std::string& text, const std::string& part,
                      const qvrfc::Experiment& experiment) {
    const std::string name = qvrfc::TrimBlanks(part);
    const int factors = static_cast<int>(experiment.factors.size());
    for (int f = 0; f < factors; ++f) {
        if (experiment.factors[f].name == name) return f;
    }
    const int factor = qvrfc::FactorIndex(name);
    if (factor < 0 || factor >= factors)
        throw InputError(Text("--interaction '%s': the experiment has no factor '%s'", text.c_str(),
                              name.c_str()));
    return factor;
}

// The settings of the verdict: the experiment's S/N kinds and targets (the textbook kind the
// engine lacks included), and the declared interactions (the experiment's and those of
// --interaction, each pair once) as letters of the engine's factors.
AnalysisSettings VerdictSettingsOf(AnalysisSettings settings, const qvrfc::Experiment& experiment) {
    settings.qualities.clear();
    for (size_t q = 0; q < experiment.responses.size(); ++q) {
        const qvrfc::ExperimentResponse& response = experiment.responses[q];
        settings.qualities.push_back({response.name, static_cast<int>(q) + 1, response.sn,
                                      std::isfinite(response.target) ? response.target : 0.0});
    }
    // The experiment's declared interactions first; --interaction adds the pairs they lack.
    std::vector<qvrfc::FactorPair> pairs = experiment.interactions;
    for (const std::string& text : settings.interactions) {
        const size_t star = text.find('*');
        if (star == std::string::npos)
            throw UsageError(
                Text("--interaction '%s': expected FACTOR*FACTOR, e.g. A*B", text.c_str()));
        const qvrfc::FactorPair pair{InteractionFactor(text, text.substr(0, star), experiment),
                                     InteractionFactor(text, text.substr(star + 1), experiment)};
        const bool known = std::any_of(pairs.begin(), pairs.end(), [&](const auto& other) {
            return qvrfc::SamePair(pair, other);
        });
        if (!known) pairs.push_back(pair);
    }
    settings.interactions.clear();
    for (const qvrfc::FactorPair& pair : pairs)
        settings.interactions.push_back(qvrfc::FactorName(pair.first) + "*" +
                                        qvrfc::FactorName(pair.second));
    return settings;
}

// The main effects of the experiment's factors under their names; the columns without a
// factor stay out of the model, so their sums of squares go to the residual.
std::vector<qvrfc::ModelTerm> ExperimentTerms(const qvrfc::Experiment& experiment,
                                              const CQVRFCDOEAnalyzer& analyzer) {
    std::vector<qvrfc::ModelTerm> terms = qvrfc::MainEffectTerms(analyzer);
    terms.resize(experiment.factors.size());
    for (size_t f = 0; f < terms.size(); ++f)
        terms[f].name = experiment.factors[f].name;
    return terms;
}

bool WriteReport(const qvrfc::Experiment& experiment, const CQVRFCDOEAnalyzer& analyzer,
                 const VerdictOutput& verdict, const std::string& name) {
    if (name != kResultsFile) return analyzer.Writer(name.c_str(), kReportCreator);
    try {
        qvrfc::WriteResultsJson(experiment, analyzer, name,
                                verdict.verdict ? &*verdict.verdict : nullptr);
        return true;
    } catch (const qvrfc::ExperimentError&) {
        return false;
    }
}

// Every report or none: a report that cannot be written removes those written before it.
void WriteReports(const qvrfc::Experiment& experiment, const CQVRFCDOEAnalyzer& analyzer,
                  const VerdictOutput& verdict, const std::vector<std::string>& reports) {
    for (size_t i = 0; i < reports.size(); ++i) {
        if (WriteReport(experiment, analyzer, verdict, reports[i])) continue;
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
    qvrfc::Experiment experiment =
        qvrfc::ReadExperimentFile(ExperimentFileOf(request.dataFile, request.experimentFile));
    ApplySettings(request.settings, experiment);
    const AnalysisSettings settings = VerdictSettingsOf(request.settings, experiment);
    const qvrfc::SheetObservations observations = qvrfc::ReadRunSheet(experiment, request.dataFile);
    const fs::path sheet = fs::absolute(request.dataFile).lexically_normal();
    const std::string stem = sheet.stem().string() + "-analysis";
    std::vector<std::string> reports;
    if (request.reports) reports = {stem + ".log", stem + ".csv", kResultsFile};
    const std::string verdictReport = VerdictReportName(sheet.stem().string());
    OutputFolder folder(request.outFolder);
    std::vector<std::string> written = reports;
    if (request.reports) written.push_back(verdictReport);
    for (const std::string& report : written) {
        if (SameFile(sheet, folder.File(report)))
            throw InputError(Text("'%s' would be overwritten by '%s'; choose another --out folder",
                                  request.dataFile.c_str(), report.c_str()));
    }
    folder.Create();
    {
        CurrentDirectory inFolder(folder.Path());
        CQVRFCDOEAnalyzer analyzer;
        qvrfc::SetUpAnalyzer(analyzer, experiment, &observations);
        ApplyPools(request.settings, experiment, analyzer);
        CheckAnalysable(analyzer, request.dataFile, request.reports);
        const VerdictOutput verdict = TakeVerdict(analyzer, request.dataFile, settings,
                                                  ExperimentTerms(experiment, analyzer));
        WriteReports(experiment, analyzer, verdict, reports);
        WriteReportPage(analyzer, request, verdict, &experiment);
        const qvrfc::LevelLabel label = qvrfc::ExperimentLevels(experiment);
        if (request.reports) WriteVerdictFile(verdict, folder.File(verdictReport), label);
        qvrfc_results::SummaryOptions options;
        options.snChosen.assign(experiment.responses.size(), true);
        options.arrayChosen = true;
        options.runTable = request.runTable;
        qvrfc_results::WriteSummary(stdout, analyzer, options);
        PrintVerdict(verdict, label);
    }
    folder.PrintFilesWritten();
    return 0;
}

}  // namespace qvrfcdoe

namespace qvrfcdoe {

SheetVerdict LoadSheetVerdict(const std::string& sheet, const std::string& experimentFile,
                              const AnalysisSettings& given, const fs::path& engineFolder) {
    SheetVerdict loaded;
    loaded.experiment = qvrfc::ReadExperimentFile(ExperimentFileOf(sheet, experimentFile));
    ApplySettings(given, loaded.experiment);
    const AnalysisSettings settings = VerdictSettingsOf(given, loaded.experiment);
    const qvrfc::SheetObservations observations = qvrfc::ReadRunSheet(loaded.experiment, sheet);
    CurrentDirectory inEngineFolder(engineFolder);
    CQVRFCDOEAnalyzer analyzer;
    qvrfc::SetUpAnalyzer(analyzer, loaded.experiment, &observations);
    ApplyPools(given, loaded.experiment, analyzer);
    CheckAnalysable(analyzer, sheet, false);
    try {
        loaded.verdict =
            VerdictOf(analyzer, settings, ExperimentTerms(loaded.experiment, analyzer));
    } catch (const std::invalid_argument& error) {
        throw InputError(Text("'%s': %s", sheet.c_str(), error.what()));
    }
    return loaded;
}

}  // namespace qvrfcdoe
