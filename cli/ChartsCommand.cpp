// qvrfcdoe charts: the charts and the report page of a data file or run sheet, without the
// reports.
#include <CLI/CLI.hpp>
#include <memory>
#include <string>
#include <vector>

#include "CliError.h"
#include "Commands.h"
#include "HugePages.h"
#include "OutputFolder.h"
#include "qvrfc/results/AnalysisFiles.h"

namespace qvrfcdoe {
namespace {

struct ChartsOptions {
    std::string dataFile;
    std::string formats = "svg,png";
    std::string outFolder = "qvrfcdoe-out";
    bool noHtml = false;
};

// The charts, the page and the engine's set-up logs replaced together, with the page and the
// chart files of an earlier run that this one does not draw.
int WriteChartsOfFile(const ChartsOptions& options) {
    qvrfc::AnalysisParts parts;
    parts.reports = false;
    parts.formats = ParseChartOption(options.formats);
    parts.html = !options.noHtml;
    qvrfc::AnalysisInput input;
    input.dataFile = options.dataFile;
    input.reports = false;
    LoadOnHugePages(options.dataFile);
    const qvrfc::Analysis analysis = qvrfc::Analyze(input, qvrfc::AnalysisSettings());
    PrintFilesWritten(qvrfc::WriteOutputFolder(OutRequest(options.outFolder, {options.dataFile}),
                                               qvrfc::AnalysisOutput(analysis, parts)));
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
        "The charts are written into charts/ inside the output folder, with report.html "
        "beside them; the page and the chart files of an earlier run that this one does not "
        "write are removed.");
}

}  // namespace qvrfcdoe
