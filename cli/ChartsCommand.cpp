// qvrfcdoe charts: the charts and the report page of a quality data file, without the reports.
#include <CLI/CLI.hpp>
#include <memory>
#include <stdexcept>
#include <string>

#include "CliError.h"
#include "Commands.h"
#include "OutputFolder.h"
#include "analyzer/QVRFCDOEAnalyzer.h"
#include "analyzer/QVRFCDOEDataFileReader.h"
#include "results/ReportFromAnalyzer.h"

namespace qvrfcdoe {
namespace {

struct ChartsOptions {
    std::string dataFile;
    std::string formats = "svg,png";
    std::string outFolder = "qvrfcdoe-out";
    bool noHtml = false;
};

int WriteChartsOfFile(const ChartsOptions& options) {
    std::vector<qvrfc::ChartFormat> formats;
    try {
        formats = qvrfc::ParseChartFormats(options.formats);
    } catch (const std::invalid_argument& error) {
        throw UsageError(std::string("--charts: ") + error.what());
    }
    CQVRFCDOEDataFileReader data;
    if (!data.Read(options.dataFile.c_str()))
        throw InputError(data.Describe(options.dataFile.c_str()));
    const fs::path dataFile = fs::absolute(options.dataFile).lexically_normal();
    OutputFolder folder(options.outFolder);
    folder.Create();
    {
        CurrentDirectory inFolder(folder.Path());
        CQVRFCDOEAnalyzer analyzer;
        if (!analyzer.LoadData(data))
            throw InputError(Text("'%s' could not be loaded", options.dataFile.c_str()));
        qvrfc::WriteChartsAndPage(analyzer, dataFile.filename().string(), folder.Path().string(),
                                  formats, !options.noHtml);
    }
    folder.PrintFilesWritten();
    return 0;
}

}  // namespace

void DeclareChartsCommand(CLI::App& app, CommandRun& run) {
    auto options = std::make_shared<ChartsOptions>();
    CLI::App* charts =
        AddCommand(app, run, "charts", "Draw the charts and the report page of a quality data file",
                   [options] { return WriteChartsOfFile(*options); });
    charts->add_option("FILE", options->dataFile, "Quality data file")->required();
    charts
        ->add_option("--charts", options->formats, "Chart formats: svg, png, pdf, comma-separated, or none")
        ->type_name("FORMATS");
    charts->add_flag("--no-html", options->noHtml, "Do not write report.html");
    DeclareOutFolder(charts, options->outFolder);
    charts->footer(
        "The charts are written into charts/ inside the output folder, with "
        "report.html beside them.");
}

}  // namespace qvrfcdoe
