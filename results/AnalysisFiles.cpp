#include "qvrfc/results/AnalysisFiles.h"

#include <filesystem>
#include <system_error>

#include "qvrfc/experiment/Design.h"
#include "qvrfc/results/HtmlReport.h"
#include "qvrfc/results/ResultsJson.h"
#include "qvrfc/results/VerdictReport.h"

namespace qvrfc {
namespace {

namespace fs = std::filesystem;

bool IsRegularFile(const fs::path& file) {
    std::error_code ignored;
    return fs::is_regular_file(fs::symlink_status(file, ignored));
}

}  // namespace

ReportNames ReportNamesOf(const std::string& dataFile, bool runSheet) {
    const std::string stem = fs::path(dataFile.empty() ? kRunSheetFile : dataFile).stem().string();
    return {EngineReportNames(dataFile, runSheet), stem + "-verdict.txt", "results.json"};
}

ReportNames ReportNamesOf(const Analysis& analysis) {
    return ReportNamesOf(analysis.dataFile, analysis.source == Source::RunSheet);
}

std::vector<std::string> ChartFilesIn(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    fs::directory_iterator entries(fs::path(folder) / kChartFolder, error);
    for (const fs::directory_iterator end; !error && entries != end; entries.increment(error)) {
        const std::string name = entries->path().filename().string();
        if (IsChartFileName(name) && IsRegularFile(entries->path())) names.push_back(name);
    }
    return names;
}

OutputSet AnalysisOutput(const Analysis& analysis, const AnalysisParts& parts) {
    OutputSet set;
    const EngineTexts& engine = analysis.engineTexts;
    for (const auto& [name, text] : {std::pair(kSetupLogFile, &engine.setupLog),
                                     std::pair(kArrayListingFile, &engine.arrayListing)})
        if (!text->empty()) set.files.push_back({name, *text});
    if (parts.reports) {
        const ReportNames names = ReportNamesOf(analysis);
        for (const auto& [name, path] : engine.reports)
            set.files.push_back({name, "", path});
        set.files.push_back({names.verdict, VerdictText(analysis)});
        set.files.push_back({names.results, ResultsJsonText(analysis)});
    }
    if (parts.charts) {
        for (ChartFile& file : ChartAndPageFiles(analysis, parts.formats, parts.html))
            set.files.push_back({std::move(file.name), std::move(file.bytes)});
        set.chartsAndPage = true;
    }
    return set;
}

OutputSet DesignOutput(const Experiment& experiment, const std::string& folder, bool force) {
    std::error_code ignored;  // a folder that cannot be found fails its write, which says why
    const fs::path path = fs::absolute(folder, ignored).lexically_normal();
    const DesignTexts texts = DesignFileTexts(experiment, (path / kExperimentFile).string());
    OutputSet set;
    set.files = {{texts.runSheetName, texts.runSheet}, {kExperimentFile, texts.experimentFile}};
    set.check = [texts, force](const std::string& path) {
        if (!force)
            RefuseReplacingAnotherExperimentFile(texts.experimentFile,
                                                 (fs::path(path) / kExperimentFile).string());
        RefuseReplacingAnotherSheet(texts.runSheet, (fs::path(path) / texts.runSheetName).string());
    };
    return set;
}

}  // namespace qvrfc
