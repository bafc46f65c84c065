#include "Arguments.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "CliError.h"

namespace qvrfcdoe {
namespace {

using Analyzer = CQVRFCDOEAnalyzer;

const char* const kSnForm = "QUALITY=TYPE[:TARGET]";
const char* const kPoolForm = "QUALITY=LETTERS";

struct SnTypeName {
    const char* name;
    Analyzer::SN_RATIO_TYPE type;
};

// The S/N ratio types as the command line names them.
const SnTypeName kSnTypeNames[] = {
    {"nominal1", Analyzer::NOMINAL_THE_BEST_1}, {"nominal2", Analyzer::NOMINAL_THE_BEST_2},
    {"nominal3", Analyzer::NOMINAL_THE_BEST_3}, {"nominal4", Analyzer::NOMINAL_THE_BEST_4},
    {"smaller", Analyzer::SMALLER_THE_BETTER},  {"larger", Analyzer::LARGER_THE_BETTER},
};

std::string SnTypeList() {
    std::string list;
    for (const SnTypeName& entry : kSnTypeNames)
        list += (list.empty() ? "" : ", ") + std::string(entry.name);
    return list;
}

// The quality number before '=' and the text after it.
int SplitQuality(const std::string& option, const std::string& text, const char* form,
                 std::string& rest) {
    const size_t equals = text.find('=');
    if (equals == std::string::npos)
        throw UsageError(Text("%s '%s': expected %s, with QUALITY counted from 1", option.c_str(),
                              text.c_str(), form));
    const std::string number = text.substr(0, equals);
    errno = 0;
    char* end = nullptr;
    const long quality = std::strtol(number.c_str(), &end, 10);
    if (number.empty() || *end != '\0' || errno != 0 || quality < 1 || quality > INT_MAX)
        throw UsageError(Text("%s '%s': quality '%s' is not a number from 1 up", option.c_str(),
                              text.c_str(), number.c_str()));
    rest = text.substr(equals + 1);
    return static_cast<int>(quality);
}

void DeclareOutFolder(CLI::App* command, Options& options) {
    command
        ->add_option("--out", options.outFolder,
                     "Folder for the files the engine writes (created if missing)")
        ->capture_default_str()
        ->type_name("DIR");
}

void DeclareAnalyzeSettings(CLI::App* command, Options& options) {
    command
        ->add_option("--sn", options.snSettings,
                     "S/N ratio type and target of a quality, e.g. 1=larger or 2=nominal1:10.5; "
                     "types: " +
                         SnTypeList())
        ->type_name(kSnForm)
        ->allow_extra_args(false);
    command
        ->add_option("--pool", options.poolSettings,
                     "Factors pooled into the error of a quality's ANOVA, e.g. 1=B,C")
        ->type_name(kPoolForm)
        ->allow_extra_args(false);
}

CLI::App* AddCommand(CLI::App& app, Options& options, const char* name, const char* description) {
    CLI::App* command = app.add_subcommand(name, description);
    command->callback([&options, name] { options.command = name; });
    return command;
}

}  // namespace

void DeclareCommandLine(CLI::App& app, Options& options) {
    app.set_version_flag("--version", std::string("qvrfcdoe ") + QVRFC_VERSION);
    app.require_subcommand(0, 1);

    AddCommand(app, options, "arrays", "List the orthogonal array catalogue");

    CLI::App* show = AddCommand(app, options, "show", "Print the listing of one orthogonal array");
    show->add_option("ARRAY", options.arrayName,
                     "The array: L4 ... L81 (L16' or L16a for the second L16), or its type number")
        ->required();
    DeclareOutFolder(show, options);

    CLI::App* check =
        AddCommand(app, options, "check", "Run the balance check over every catalogue array");
    DeclareOutFolder(check, options);

    CLI::App* analyze =
        AddCommand(app, options, "analyze", "Analyse a quality data file and write its reports");
    analyze->add_option("FILE", options.dataFile, "Quality data file")->required();
    DeclareAnalyzeSettings(analyze, options);
    DeclareOutFolder(analyze, options);
    analyze->footer(
        "FILE holds whole numbers and values separated by blanks or line ends: the run count, "
        "the quality count and one unused number, then for each quality and each of its runs "
        "the number of observations followed by the observations. Options may be repeated; "
        "factors are the letters A, B, ... in column order. The reports FILE-stem.log and "
        "FILE-stem.csv are written into the output folder.");

    CLI::App* selftest = AddCommand(app, options, "selftest",
                                    "Run the engine's self-tests on the bundled experiments");
    DeclareOutFolder(selftest, options);

    CLI::App* demo = AddCommand(app, options, "demo",
                                "Analyse the bundled experiment DOETest1.ipt as larger-the-better");
    DeclareOutFolder(demo, options);
}

QualitySetting ParseQualitySetting(const std::string& text) {
    QualitySetting setting;
    setting.text = text;
    std::string rest;
    setting.quality = SplitQuality("--sn", text, kSnForm, rest);
    const size_t colon = rest.find(':');
    const std::string name = rest.substr(0, colon);
    bool known = false;
    for (const SnTypeName& entry : kSnTypeNames) {
        if (name == entry.name) {
            setting.type = entry.type;
            known = true;
        }
    }
    if (!known)
        throw UsageError(Text("--sn '%s': unknown S/N type '%s' (one of %s)", text.c_str(),
                              name.c_str(), SnTypeList().c_str()));
    if (colon != std::string::npos) {
        const std::string target = rest.substr(colon + 1);
        errno = 0;
        char* end = nullptr;
        setting.target = std::strtod(target.c_str(), &end);
        if (target.empty() || *end != '\0' || errno != 0 || !std::isfinite(setting.target))
            throw UsageError(
                Text("--sn '%s': target '%s' is not a number", text.c_str(), target.c_str()));
    }
    return setting;
}

PoolSetting ParsePoolSetting(const std::string& text) {
    PoolSetting setting;
    setting.text = text;
    std::string rest;
    setting.quality = SplitQuality("--pool", text, kPoolForm, rest);
    size_t start = 0;
    while (start <= rest.size()) {
        const size_t comma = std::min(rest.find(',', start), rest.size());
        const std::string letter = rest.substr(start, comma - start);
        if (letter.size() != 1 || !std::isalpha(static_cast<unsigned char>(letter[0])))
            throw UsageError(Text("--pool '%s': '%s' is not a factor letter (A, B, C, ...)",
                                  text.c_str(), letter.c_str()));
        setting.factors.push_back(std::toupper(static_cast<unsigned char>(letter[0])) - 'A');
        start = comma + 1;
    }
    return setting;
}

}  // namespace qvrfcdoe
