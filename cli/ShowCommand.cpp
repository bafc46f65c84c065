// qvrfcdoe show: the listing of one orthogonal array.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>
#include <string>

#include "ArrayCatalogue.h"
#include "CliError.h"
#include "Commands.h"
#include "OutputFolder.h"
#include "qvrfc/arrays/OAListingTitle.h"

namespace qvrfcdoe {
namespace {

struct ShowOptions {
    std::string array;
    std::string outFolder = "qvrfcdoe-out";
};

int ShowArray(const ShowOptions& options) {
    const OA_TYPE type = qvrfc::ArrayOfText(options.array);
    OutputFolder folder(options.outFolder);
    folder.Create();
    {
        CurrentDirectory inFolder(folder.Path());
        CQVRFCDOETaguchiOrthogonalArray array;
        const EngineFilesCheck log(folder, {qvrfc::kArrayListingFile});
        if (!array.SetTable(type))
            throw InputError(Text("cannot load array %s", qvrfc::CatalogueName(type)));
        log.ExpectWritten();
        array.Writer(stdout, qvrfc::kArrayListingTitle);
    }
    folder.PrintFilesWritten();
    return 0;
}

}  // namespace

void DeclareShowCommand(CLI::App& app, CommandRun& run) {
    auto options = std::make_shared<ShowOptions>();
    CLI::App* show = AddCommand(app, run, "show", "Print the listing of one orthogonal array",
                                [options] { return ShowArray(*options); });
    show->add_option("ARRAY", options->array, kArrayNameHelp)->required();
    DeclareOutFolder(show, options->outFolder);
}

}  // namespace qvrfcdoe
