#include "VerdictInput.h"

#include <stdlib.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <functional>
#include <stdexcept>

#include "CliError.h"
#include "OutputFolder.h"
#include "RunSheetAnalysis.h"
#include "analyzer/QVRFCDOEDataFileReader.h"
#include "common/QVRFCFactorNames.h"
#include "results/ResultsJson.h"

namespace qvrfcdoe {
namespace {

// Refuses a factor beyond the data file's factors A to the last.
void CheckFactor(const char* option, const std::string& text, int factor,
                 const std::string& dataFile, int factors) {
    if (factor >= factors)
        throw InputError(Text("%s '%s': factor %s is out of range ('%s' has factors A to %s)",
                              option, text.c_str(), qvrfc::FactorName(factor).c_str(),
                              dataFile.c_str(), qvrfc::FactorName(factors - 1).c_str()));
}

qvrfc::FactorPair ParseInteraction(const std::string& text, const std::string& dataFile,
                                   int factors) {
    const size_t star = text.find('*');
    const int first = qvrfc::FactorIndex(text.substr(0, star));
    const int second = star == std::string::npos ? -1 : qvrfc::FactorIndex(text.substr(star + 1));
    if (first < 0 || second < 0)
        throw UsageError(
            Text("--interaction '%s': expected FACTOR*FACTOR, e.g. A*B", text.c_str()));
    CheckFactor("--interaction", text, first, dataFile, factors);
    CheckFactor("--interaction", text, second, dataFile, factors);
    return {first, second};
}

// A folder of its own in the system's temporary folder, removed with the object.
class ScratchFolder {
  public:
    ScratchFolder() {
        std::string pattern = (fs::temp_directory_path() / "qvrfcdoe-XXXXXX").string();
        if (!mkdtemp(&pattern[0])) throw InputError("cannot make a scratch folder");
        m_path = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const fs::path& Path() const { return m_path; }

  private:
    fs::path m_path;
};

// Whether the factor's column (the file's factor f stands on column f) holds a declared
// interaction.
bool OnInteractionColumn(const qvrfc::Verdict& verdict, int factor) {
    for (const qvrfc::ModelTerm& term : verdict.terms) {
        if (term.factors.size() == 2 &&
            std::find(term.columns.begin(), term.columns.end(), factor) != term.columns.end())
            return true;
    }
    return false;
}

// The settings with a model without the factors on the declared interactions' columns: the
// factors pooled by hand become term indexes.
qvrfc::VerdictSettings WithInteractionModel(qvrfc::VerdictSettings settings,
                                            const CQVRFCDOEAnalyzer& analyzer) {
    if (settings.interactions.empty()) return settings;
    settings.terms = qvrfc::MainEffectTermsBeside(analyzer, settings.interactions);
    for (std::vector<int>& pooled : settings.pooledByHand) {
        for (int& factor : pooled) {
            int term = -1;
            for (size_t t = 0; t < settings.terms.size(); ++t) {
                if (settings.terms[t].factors[0] == factor) term = int(t);
            }
            if (term < 0)
                throw InputError(
                    Text("--pool: factor %s is not in the model, its column holds "
                         "a declared interaction",
                         qvrfc::FactorName(factor).c_str()));
            factor = term;
        }
    }
    return settings;
}

// The main-effect term of a factor, or -1.
int TermOf(const qvrfc::Verdict& verdict, int factor) {
    for (size_t t = 0; t < verdict.terms.size(); ++t) {
        if (verdict.terms[t].factors == std::vector<int>{factor}) return int(t);
    }
    return -1;
}

// Each FACTOR=LEVEL of --at, resolved by `level` into a factor and level of the verdict's
// main effects; a factor given twice is refused.
std::vector<qvrfc::FactorLevel> ParseSettings(
    const std::string& text, const qvrfc::Verdict& verdict,
    const std::function<qvrfc::FactorLevel(const std::string& item, const std::string& factor,
                                           const std::string& level)>& level) {
    std::vector<qvrfc::FactorLevel> levels;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t comma = std::min(text.find(',', start), text.size());
        const std::string item = text.substr(start, comma - start);
        start = comma + 1;
        const size_t equals = item.find('=');
        if (equals == std::string::npos)
            throw UsageError(Text("--at '%s': expected FACTOR=LEVEL, e.g. A=3", item.c_str()));
        const qvrfc::FactorLevel setting =
            level(item, item.substr(0, equals), item.substr(equals + 1));
        for (const qvrfc::FactorLevel& earlier : levels) {
            if (earlier.factor == setting.factor)
                throw UsageError(Text("--at '%s': factor %s is given twice", text.c_str(),
                                      verdict.terms[TermOf(verdict, setting.factor)].name.c_str()));
        }
        levels.push_back(setting);
    }
    return levels;
}

int ParseLevelNumber(const std::string& text, const std::string& item) {
    errno = 0;
    char* end = nullptr;
    const long level = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0 || level < 1 || level > INT_MAX)
        throw UsageError(
            Text("--at '%s': level '%s' is not a number from 1 up", item.c_str(), text.c_str()));
    return static_cast<int>(level);
}

// --at of a quality data file: factors by letter, levels by number from 1.
std::vector<qvrfc::FactorLevel> ParseLevels(const std::string& text,
                                            const qvrfc::Verdict& verdict) {
    return ParseSettings(
        text, verdict,
        [&verdict](const std::string& item, const std::string& name, const std::string& levelText) {
            const int factor = qvrfc::FactorIndex(name);
            const int level = ParseLevelNumber(levelText, item);
            const int term = TermOf(verdict, factor);
            if (term < 0 && factor >= 0 && OnInteractionColumn(verdict, factor))
                throw InputError(
                    Text("--at '%s': factor %s is not in the model, its column holds a "
                         "declared interaction",
                         item.c_str(), qvrfc::FactorName(factor).c_str()));
            if (term < 0)
                throw InputError(Text("--at '%s': the experiment has no factor '%s'", item.c_str(),
                                      name.c_str()));
            const int count = verdict.layout.levelCounts[verdict.terms[term].columns[0]];
            if (level > count)
                throw InputError(Text("--at '%s': factor %s has %d levels", item.c_str(),
                                      verdict.terms[term].name.c_str(), count));
            return qvrfc::FactorLevel{factor, level - 1};
        });
}

// --at of a run sheet: factors by the experiment's names, levels as its values.
std::vector<qvrfc::FactorLevel> ParseExperimentLevels(const std::string& text,
                                                      const SheetVerdict& loaded) {
    const std::vector<qvrfc::Factor>& factors = loaded.experiment.factors;
    return ParseSettings(
        text, loaded.verdict,
        [&factors](const std::string& item, const std::string& name, const std::string& levelText) {
            for (size_t f = 0; f < factors.size(); ++f) {
                if (factors[f].name != name) continue;
                const int level = factors[f].LevelOf(levelText);
                if (level < 0)
                    throw InputError(Text("--at '%s': factor '%s' has no level '%s'", item.c_str(),
                                          name.c_str(), levelText.c_str()));
                return qvrfc::FactorLevel{static_cast<int>(f), level};
            }
            throw InputError(
                Text("--at '%s': the experiment has no factor '%s'", item.c_str(), name.c_str()));
        });
}

qvrfc::Verdict LoadDataFileVerdict(const VerdictRequest& request, const fs::path& scratch) {
    const AnalysisSettings settings = ParseAnalysisOptions(request.options);
    CQVRFCDOEDataFileReader data;
    if (!data.Read(request.dataFile.c_str()))
        throw InputError(data.Describe(request.dataFile.c_str()));
    CheckSettingsFit(settings, data, request.dataFile);
    CurrentDirectory inScratch(scratch);
    CQVRFCDOEAnalyzer analyzer;
    if (!analyzer.LoadData(data))
        throw InputError(Text("'%s' could not be loaded", request.dataFile.c_str()));
    ApplyToEngine(analyzer, settings);
    try {
        return VerdictOf(analyzer, settings);
    } catch (const std::invalid_argument& error) {
        throw InputError(Text("'%s': %s", request.dataFile.c_str(), error.what()));
    }
}

}  // namespace

void DeclareAnalysisOptions(CLI::App* command, AnalysisOptions& options) {
    command
        ->add_option("--sn", options.sn,
                     "S/N ratio type and target of a quality, e.g. 1=larger or 2=nominal1:10.5; "
                     "types: " +
                         qvrfc::SnKindList())
        ->type_name("QUALITY=TYPE[:TARGET]")
        ->allow_extra_args(false);
    command
        ->add_option("--pool", options.pool,
                     "Factors pooled into the error of a quality's ANOVA, by name or number from "
                     "1 (1=B,C or 1=AA,3); or, for the verdict alone, 'auto' (the weakest terms "
                     "until the error holds half the terms' degrees of freedom) or 'lenth' "
                     "(Lenth's estimate for a saturated design)")
        ->type_name("QUALITY=FACTORS|auto|lenth")
        ->allow_extra_args(false);
    command->add_option("--alpha", options.alpha, "Risk of the p-value tests and the intervals")
        ->capture_default_str();
    command
        ->add_option("--interaction", options.interactions,
                     "A declared interaction of two factors for the verdict, e.g. A*B "
                     "(repeatable): a term of its ANOVA on its own columns, whose factors leave "
                     "the model")
        ->type_name("FACTOR*FACTOR")
        ->allow_extra_args(false);
}

void CheckSettingsFit(const AnalysisSettings& settings, const CQVRFCDOEDataFileReader& data,
                      const std::string& fileName) {
    const int qualities = data.GetNoQuality();
    const int factors = CQVRFCDOETaguchiOrthogonalArray::GetNoFactor(data.GetArrayType());
    for (const std::string& text : settings.interactions)
        ParseInteraction(text, fileName, factors);
    const auto checkQuality = [&](const char* option, const std::string& text, int quality) {
        if (quality > qualities)
            throw InputError(Text("%s '%s': quality %d is out of range ('%s' has %s)", option,
                                  text.c_str(), quality, fileName.c_str(),
                                  Counted(qualities, "quality", "qualities").c_str()));
    };
    for (const QualitySetting& setting : settings.qualities)
        checkQuality("--sn", setting.text, setting.quality);
    for (const PoolSetting& setting : settings.pools) {
        checkQuality("--pool", setting.text, setting.quality);
        for (int factor : setting.factors) {
            if (factor >= factors)
                throw InputError(
                    Text("--pool '%s': factor %s (%d) is out of range (the %d-run experiment of "
                         "'%s' has factors A to %s, 1 to %d)",
                         setting.text.c_str(), qvrfc::FactorName(factor).c_str(), factor + 1,
                         data.GetNoRun(), fileName.c_str(), qvrfc::FactorName(factors - 1).c_str(),
                         factors));
        }
    }
}

void ApplyToEngine(CQVRFCDOEAnalyzer& analyzer, const AnalysisSettings& settings) {
    for (const QualitySetting& setting : settings.qualities)
        analyzer.SetQualityCharacteristic(setting.quality - 1, qvrfc::EngineSnType(setting.kind),
                                          setting.target);
    for (const PoolSetting& setting : settings.pools) {
        for (int factor : setting.factors)
            analyzer.SetFactorPooled(setting.quality - 1, factor, 1);
    }
}

qvrfc::Verdict VerdictOf(const CQVRFCDOEAnalyzer& analyzer, const AnalysisSettings& settings,
                         const std::vector<qvrfc::ModelTerm>& terms) {
    qvrfc::VerdictSettings verdict;
    verdict.alpha = settings.alpha;
    verdict.rule = settings.rule;
    for (int q = 0; q < analyzer.GetNoQuality(); ++q)
        verdict.responses.push_back(
            {qvrfc::SnKindOf(analyzer.GetQualityCharacteristic(q)), analyzer.GetQualityTarget(q)});
    verdict.pooledByHand.resize(verdict.responses.size());
    for (const QualitySetting& setting : settings.qualities)
        verdict.responses[setting.quality - 1] = {setting.kind, setting.target};
    for (const PoolSetting& setting : settings.pools) {
        std::vector<int>& pooled = verdict.pooledByHand[setting.quality - 1];
        pooled.insert(pooled.end(), setting.factors.begin(), setting.factors.end());
    }
    for (const std::string& text : settings.interactions)
        verdict.interactions.push_back(ParseInteraction(text, "", analyzer.GetNoFactor()));
    if (!terms.empty()) {
        verdict.terms = terms;
        return qvrfc::AnalyzeVerdict(analyzer, verdict);
    }
    return qvrfc::AnalyzeVerdict(analyzer, WithInteractionModel(verdict, analyzer));
}

void DeclareVerdictOptions(CLI::App* command, VerdictRequest& request) {
    command
        ->add_option("FILE", request.dataFile,
                     "Quality data file, or a filled run sheet (runsheet.csv)")
        ->required();
    command
        ->add_option("--experiment", request.experimentFile,
                     "Experiment file of a run sheet (default: experiment.toml beside it)")
        ->type_name("FILE");
    command
        ->add_option("--at", request.at,
                     "Levels of the factors to predict from, e.g. A=3,D=2, or in a run "
                     "sheet's names and values, e.g. \"Melt temperature=235,Resin=regrind\"")
        ->type_name("FACTOR=LEVEL,...")
        ->required();
    DeclareAnalysisOptions(command, request.options);
}

LoadedVerdict LoadVerdict(const VerdictRequest& request) {
    const bool runSheet = IsRunSheet(request.dataFile);
    if (!runSheet && !request.experimentFile.empty())
        throw UsageError(Text("--experiment: '%s' is not a run sheet", request.dataFile.c_str()));
    const ScratchFolder scratch;
    LoadedVerdict loaded;
    if (!runSheet) {
        loaded.verdict = LoadDataFileVerdict(request, scratch.Path());
        loaded.at = ParseLevels(request.at, loaded.verdict);
        return loaded;
    }
    const SheetVerdict sheet =
        LoadSheetVerdict(request.dataFile, request.experimentFile,
                         ParseAnalysisOptions(request.options), scratch.Path());
    loaded.verdict = sheet.verdict;
    loaded.at = ParseExperimentLevels(request.at, sheet);
    loaded.label = qvrfc::ExperimentLevels(sheet.experiment);
    return loaded;
}

}  // namespace qvrfcdoe
