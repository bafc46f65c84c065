// qvrfcdoe charts: the charts and the report page of a data file or run sheet, without the
// reports.
#include <CLI/CLI.hpp>
#include <memory>
#include <stdexcept>
#include <string>

#include "CliError.h"
#include "Commands.h"
#include "OutputFolder.h"
#include "qvrfc/results/HtmlReport.h"

namespace qvrfcdoe {
namespace {

struct ChartsOptions {
    std::string dataFile;
    std::string formats = "svg,png";
    std::string outFolder = "qvrfcdoe-out";
    bool noHtml = false;
};

int WriteChartsOfFile(const ChartsOptions& options) {
    const std::vector<qvrfc::ChartFormat> formats = ParseChartOption(options.formats);
    OutputFolder folder(options.outFolder);
    if (SameFile(options.dataFile, folder.File("report.html")))
        throw InputError(
            Text("'%s' would be overwritten by 'report.html'; choose another --out "
                 "folder",
                 options.dataFile.c_str()));
    qvrfc::AnalysisInput input;
    input.dataFile = options.dataFile;
    input.logFolder = folder.Path().string();
    input.prepare = [&folder] { folder.Create(); };
    input.reports = false;
    const qvrfc::Analysis analysis = qvrfc::Analyze(input, qvrfc::AnalysisSettings());
    try {
        qvrfc::WriteFilesWhole(folder.Path().string(),
                               qvrfc::ChartAndPageFiles(analysis, formats, !options.noHtml));
    } catch (const std::runtime_error& error) {
        throw InputError(error.what());
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
    charts->add_option("FILE", options->dataFile, "Quality data file, or a filled run sheet")
        ->required();
    charts
        ->add_option("--charts", options->formats,
                     "Chart formats: svg, png, pdf, comma-separated, or none")
        ->type_name("FORMATS");
    charts->add_flag("--no-html", options->noHtml, "Do not write report.html");
    DeclareOutFolder(charts, options->outFolder);
    charts->footer(
        "The charts are written into charts/ inside the output folder, with "
        "report.html beside them.");
}

}  // namespace qvrfcdoe
