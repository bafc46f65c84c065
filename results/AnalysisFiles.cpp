#include "qvrfc/results/AnalysisFiles.h"

#include <filesystem>
#include <set>
#include <system_error>

#include "qvrfc/results/EngineReports.h"
#include "qvrfc/results/HtmlReport.h"
#include "qvrfc/results/ResultsJson.h"
#include "qvrfc/results/VerdictReport.h"

namespace qvrfc {
namespace {

namespace fs = std::filesystem;

// The run sheet an experiment held in memory stands for.
const char* const kRunSheetName = "runsheet.csv";

bool IsRegularFile(const fs::path& file) {
    std::error_code ignored;
    return fs::is_regular_file(fs::symlink_status(file, ignored));
}

}  // namespace

ReportNames ReportNamesOf(const std::string& dataFile, bool runSheet) {
    const std::string stem = fs::path(dataFile).stem().string();
    const std::string reports = runSheet ? stem + "-analysis" : stem;
    return {{reports + ".log", reports + ".csv"}, stem + "-verdict.txt", "results.json"};
}

ReportNames ReportNamesOf(const Analysis& analysis) {
    const bool runSheet = analysis.source == Source::RunSheet;
    return ReportNamesOf(analysis.dataFile.empty() ? kRunSheetName : analysis.dataFile, runSheet);
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

void StageChartsAndPage(FileSet& files, const std::string& folder,
                        const std::vector<ChartFile>& drawn) {
    std::set<std::string> written;
    for (const ChartFile& file : drawn)
        written.insert(file.name);
    StageFiles(files, folder, drawn);
    std::vector<std::string> earlier = {kPageFile};
    for (const std::string& name : ChartFilesIn(folder))
        earlier.push_back((fs::path(kChartFolder) / name).string());
    for (const std::string& name : earlier) {
        const fs::path file = fs::path(folder) / name;
        if (!written.count(name) && IsRegularFile(file)) files.Remove(file.string());
    }
}

std::vector<std::string> StageAnalysisFiles(const Analysis& analysis, FileSet& files,
                                            const std::string& folder, const ReportNames& names,
                                            const std::vector<ChartFormat>& formats,
                                            bool withHtml) {
    const fs::path base(folder);
    std::vector<std::string> engineReports;
    for (const std::string& name : names.engine)
        engineReports.push_back((base / name).string());
    StageEngineReports(analysis, files, engineReports);
    files.Write((base / names.verdict).string(), VerdictText(analysis));
    files.Write((base / names.results).string(), ResultsJsonText(analysis));
    const std::vector<ChartFile> drawn = ChartAndPageFiles(analysis, formats, withHtml);
    StageChartsAndPage(files, folder, drawn);
    std::vector<std::string> staged(names.engine);
    staged.insert(staged.end(), {names.verdict, names.results});
    for (const ChartFile& file : drawn)
        staged.push_back(file.name);
    return staged;
}

}  // namespace qvrfc
