#include "VerdictInput.h"

#include <stdlib.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <stdexcept>

#include "CliError.h"
#include "OutputFolder.h"
#include "QualityFile.h"
#include "common/QVRFCReportStyle.h"

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

qvrfc::VerdictSettings Settings(const VerdictRequest& request, const QualityFileShape& shape) {
    qvrfc::VerdictSettings settings;
    settings.alpha = request.alpha;
    settings.responses.resize(shape.qualities);
    settings.pooledByHand.resize(shape.qualities);
    for (const std::string& text : request.sn) {
        const VerdictSnSetting setting = ParseVerdictSnSetting(text);
        if (setting.quality > shape.qualities)
            throw InputError(Text("--sn '%s': quality %d is out of range ('%s' has %s)",
                                  text.c_str(), setting.quality, request.dataFile.c_str(),
                                  Counted(shape.qualities, "quality", "qualities").c_str()));
        settings.responses[setting.quality - 1] = {setting.kind, setting.target};
    }
    for (const std::string& text : request.interactions)
        settings.interactions.push_back(ParseInteraction(text, request.dataFile, shape.factors));
    for (const std::string& text : request.pool) {
        if (text == "auto" || text == "lenth") {
            settings.rule = text == "auto" ? qvrfc::PoolingRule::Auto : qvrfc::PoolingRule::Lenth;
            continue;
        }
        const PoolSetting setting = ParsePoolSetting(text);
        if (setting.quality > shape.qualities)
            throw InputError(Text("--pool '%s': quality %d is out of range ('%s' has %s)",
                                  text.c_str(), setting.quality, request.dataFile.c_str(),
                                  Counted(shape.qualities, "quality", "qualities").c_str()));
        for (int factor : setting.factors) {
            CheckFactor("--pool", text, factor, request.dataFile, shape.factors);
            settings.pooledByHand[setting.quality - 1].push_back(factor);
        }
    }
    return settings;
}

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

int ParseLevelNumber(const std::string& text, const std::string& item) {
    errno = 0;
    char* end = nullptr;
    const long level = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0 || level < 1 || level > INT_MAX)
        throw UsageError(
            Text("--at '%s': level '%s' is not a number from 1 up", item.c_str(), text.c_str()));
    return static_cast<int>(level);
}

}  // namespace

void DeclareVerdictOptions(CLI::App* command, VerdictRequest& request) {
    command->add_option("FILE", request.dataFile, "Quality data file")->required();
    command->add_option("--at", request.at, "Levels of the factors to predict from, e.g. A=3,D=2")
        ->type_name("FACTOR=LEVEL,...")
        ->required();
    command
        ->add_option("--interaction", request.interactions,
                     "A declared interaction of two factors, e.g. A*B (repeatable): a term of the "
                     "ANOVA on its own columns, whose factors leave the model")
        ->type_name("FACTOR*FACTOR")
        ->allow_extra_args(false);
    command
        ->add_option("--sn", request.sn,
                     "S/N kind and target of a quality, e.g. 1=larger or 2=nominal1:10.5; kinds: " +
                         qvrfc::SnKindList())
        ->type_name("QUALITY=KIND[:TARGET]")
        ->allow_extra_args(false);
    command
        ->add_option("--pool", request.pool,
                     "Factors pooled into the error (1=B,C), 'auto' (the weakest terms until the "
                     "error holds half the terms' degrees of freedom) or 'lenth' (Lenth's "
                     "estimate for a saturated design)")
        ->type_name("QUALITY=LETTERS|auto|lenth")
        ->allow_extra_args(false);
    command->add_option("--alpha", request.alpha, "Risk of the confidence intervals")
        ->capture_default_str()
        ->check(CLI::Range(0.0, 1.0).description("between 0 and 1"));
}

qvrfc::Verdict LoadVerdict(const VerdictRequest& request) {
    if (!(request.alpha > 0.0 && request.alpha < 1.0))
        throw UsageError(Text("--alpha %g: must lie between 0 and 1", request.alpha));
    const QualityFileShape shape = CheckQualityFile(request.dataFile);
    const qvrfc::VerdictSettings settings = Settings(request, shape);
    const fs::path dataFile = fs::absolute(request.dataFile).lexically_normal();
    ScratchFolder scratch;
    CurrentDirectory inScratch(scratch.Path());
    CQVRFCDOEAnalyzer analyzer;
    if (!analyzer.LoadData(dataFile.c_str()))
        throw InputError(Text("'%s' could not be loaded", request.dataFile.c_str()));
    for (int q = 0; q < analyzer.GetNoQuality(); ++q) {
        const qvrfc::ResponseSpec& spec = settings.responses[q];
        analyzer.SetQualityCharacteristic(q, qvrfc::EngineSnType(spec.kind), spec.target);
    }
    try {
        return qvrfc::AnalyzeVerdict(analyzer, WithInteractionModel(settings, analyzer));
    } catch (const std::invalid_argument& error) {
        throw InputError(Text("'%s': %s", request.dataFile.c_str(), error.what()));
    }
}

std::vector<qvrfc::FactorLevel> ParseLevels(const std::string& text,
                                            const qvrfc::Verdict& verdict) {
    std::vector<qvrfc::FactorLevel> levels;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t comma = std::min(text.find(',', start), text.size());
        const std::string item = text.substr(start, comma - start);
        start = comma + 1;
        const size_t equals = item.find('=');
        if (equals == std::string::npos)
            throw UsageError(Text("--at '%s': expected FACTOR=LEVEL, e.g. A=3", item.c_str()));
        const int factor = qvrfc::FactorIndex(item.substr(0, equals));
        const int level = ParseLevelNumber(item.substr(equals + 1), item);
        int term = -1;
        for (size_t t = 0; t < verdict.terms.size(); ++t) {
            if (verdict.terms[t].factors == std::vector<int>{factor}) term = int(t);
        }
        if (term < 0 && factor >= 0 && OnInteractionColumn(verdict, factor))
            throw InputError(
                Text("--at '%s': factor %s is not in the model, its column holds a "
                     "declared interaction",
                     item.c_str(), qvrfc::FactorName(factor).c_str()));
        if (term < 0)
            throw InputError(Text("--at '%s': the experiment has no factor '%s'", item.c_str(),
                                  item.substr(0, equals).c_str()));
        const int count = verdict.layout.levelCounts[verdict.terms[term].columns[0]];
        if (level > count)
            throw InputError(Text("--at '%s': factor %s has %d levels", item.c_str(),
                                  verdict.terms[term].name.c_str(), count));
        for (const qvrfc::FactorLevel& earlier : levels) {
            if (earlier.factor == factor)
                throw UsageError(Text("--at '%s': factor %s is given twice", text.c_str(),
                                      verdict.terms[term].name.c_str()));
        }
        levels.push_back({factor, level - 1});
    }
    return levels;
}

}  // namespace qvrfcdoe
