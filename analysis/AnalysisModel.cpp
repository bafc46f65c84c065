// The model of the verdict: main effects, declared interactions, the terms pooled by hand or
// by rule, and the verdict itself.
#include <algorithm>
#include <cmath>

#include "analysis/AnalysisChecks.h"
#include "analysis/AnalysisParts.h"
#include "qvrfc/common/QVRFCError.h"
#include "qvrfc/common/QVRFCFactorNames.h"
#include "qvrfc/common/QVRFCTextFormat.h"
#include "qvrfc/inference/InteractionTerms.h"

namespace qvrfc {
namespace {

int FactorOfSetting(const Analysis& analysis, const char* option, const std::string& text,
                    const std::string& name) {
    const int factor = FactorOfText(analysis.experiment, name);
    if (factor >= 0) return factor;
    const int factors = static_cast<int>(analysis.experiment.factors.size());
    throw OptionError(
        option, FormatText("%s '%s': the experiment has no factor '%s' (factors %s to %s, or 1 to "
                           "%d%s)",
                           option, text.c_str(), TrimBlanks(name).c_str(), FactorName(0).c_str(),
                           FactorName(factors - 1).c_str(), factors,
                           analysis.source == Source::RunSheet ? ", or their names" : ""));
}

FactorPair PairOf(const Analysis& analysis, const char* option, const std::string& text) {
    const size_t star = text.find('*');
    if (star == std::string::npos || text.find('*', star + 1) != std::string::npos)
        throw UsageError(
            option, FormatText("%s '%s': expected FACTOR*FACTOR, e.g. A*B", option, text.c_str()));
    return {FactorOfSetting(analysis, option, text, text.substr(0, star)),
            FactorOfSetting(analysis, option, text, text.substr(star + 1))};
}

// The settings that apply to a response (from 0): its own and those for every response.
bool AppliesTo(const PoolSetting& setting, int response) {
    return setting.response == 0 || setting.response == response + 1;
}

// The term a pool setting names: a main effect, or a declared interaction (after the main
// effects, in declaration order).
int TermOfPool(const Analysis& analysis, const PoolSetting& setting, const std::string& name,
               const std::vector<ModelTerm>& mainEffects,
               const std::vector<FactorPair>& interactions) {
    if (name.find('*') != std::string::npos) {
        const FactorPair pair = PairOf(analysis, "--pool", setting.text + "' term '" + name);
        for (size_t i = 0; i < interactions.size(); ++i) {
            if (SamePair(pair, interactions[i])) return static_cast<int>(mainEffects.size() + i);
        }
        throw OptionError("--pool", FormatText("--pool '%s': %s is no declared interaction",
                                               setting.text.c_str(), name.c_str()));
    }
    const int factor = FactorOfSetting(analysis, "--pool", setting.text, name);
    const int term = MainEffectTermOf(mainEffects, factor);
    if (term < 0)
        throw OptionError(
            "--pool",
            FormatText("--pool '%s': factor %s is not in the model, its column holds a "
                       "declared interaction",
                       setting.text.c_str(), analysis.experiment.factors[factor].name.c_str()));
    return term;
}

std::vector<PoolingChoice> PoolingOf(const Analysis& analysis, const AnalysisSettings& settings,
                                     const std::vector<ModelTerm>& mainEffects,
                                     const std::vector<FactorPair>& interactions) {
    std::vector<PoolingChoice> pooling(analysis.experiment.responses.size());
    for (size_t q = 0; q < pooling.size(); ++q) {
        for (const PoolSetting& setting : settings.pools) {
            if (!AppliesTo(setting, static_cast<int>(q))) continue;
            for (const std::string& name : setting.terms)
                pooling[q].byHand.push_back(
                    TermOfPool(analysis, setting, name, mainEffects, interactions));
            if (setting.rule == PoolingRule::None) continue;
            if (pooling[q].rule != PoolingRule::None && pooling[q].rule != setting.rule)
                throw UsageError("--pool",
                                 FormatText("--pool '%s': only one pooling rule, auto or lenth, "
                                            "can apply to a response",
                                            setting.text.c_str()));
            pooling[q].rule = setting.rule;
        }
    }
    return pooling;
}

// The main effects of the model: a run sheet's factors under their names (its columns
// without a factor stay out, so their sums of squares go to the residual); a data file's
// columns, less those that hold a declared interaction.
std::vector<ModelTerm> MainEffectsOf(const Analysis& analysis,
                                     const std::vector<FactorPair>& interactions,
                                     const CQVRFCDOEAnalyzer& analyzer) {
    std::vector<ModelTerm> terms = analysis.source == Source::RunSheet
                                       ? MainEffectTerms(analyzer)
                                       : MainEffectTermsBeside(analyzer, interactions);
    if (analysis.source == Source::RunSheet) terms.resize(analysis.experiment.factors.size());
    for (ModelTerm& term : terms)
        term.name = analysis.experiment.factors[term.factors[0]].name;
    return terms;
}

}  // namespace

std::vector<FactorPair> DeclaredInteractions(const Analysis& analysis,
                                             const AnalysisSettings& settings) {
    std::vector<FactorPair> pairs = analysis.experiment.interactions;
    for (const std::string& text : settings.interactions) {
        const FactorPair pair = PairOf(analysis, "--interaction", text);
        const bool known = std::any_of(pairs.begin(), pairs.end(), [&](const FactorPair& other) {
            return SamePair(pair, other);
        });
        if (!known) pairs.push_back(pair);
    }
    return pairs;
}

void CheckSettingNames(const Analysis& analysis, const AnalysisSettings& settings) {
    DeclaredInteractions(analysis, settings);
    for (const PoolSetting& setting : settings.pools) {
        for (const std::string& name : setting.terms) {
            if (name.find('*') != std::string::npos)
                PairOf(analysis, "--pool", setting.text + "' term '" + name);
            else
                FactorOfSetting(analysis, "--pool", setting.text, name);
        }
    }
}

void ApplyPoolsToEngine(const Analysis& analysis, const AnalysisSettings& settings,
                        CQVRFCDOEAnalyzer& analyzer) {
    for (const PoolSetting& setting : settings.pools) {
        for (const std::string& name : setting.terms) {
            if (name.find('*') != std::string::npos) continue;
            const int factor = FactorOfSetting(analysis, "--pool", setting.text, name);
            for (int q = 0; q < analyzer.GetNoQuality(); ++q) {
                if (AppliesTo(setting, q)) analyzer.SetFactorPooled(q, factor, 1);
            }
        }
    }
}

Verdict VerdictOfAnalysis(const Analysis& analysis, const AnalysisSettings& settings,
                          const std::vector<FactorPair>& interactions,
                          const CQVRFCDOEAnalyzer& analyzer,
                          const std::vector<std::vector<DynamicRun>>& dynamic) {
    VerdictSettings verdict;
    verdict.alpha = settings.alpha;
    verdict.interactions = interactions;
    verdict.terms = MainEffectsOf(analysis, interactions, analyzer);
    for (const ExperimentResponse& response : analysis.experiment.responses)
        verdict.responses.push_back({response.sn, response.target, response.dynamic});
    for (const std::vector<DynamicRun>& runs : dynamic) {
        verdict.dynamic.emplace_back();
        if (runs.empty()) continue;
        verdict.dynamic.back().emplace();
        for (const DynamicRun& run : runs) {
            verdict.dynamic.back()->sn.push_back(run.sn);
            verdict.dynamic.back()->beta.push_back(run.beta);
        }
    }
    verdict.pooling = PoolingOf(analysis, settings, verdict.terms, interactions);
    try {
        return AnalyzeVerdict(analyzer, verdict);
    } catch (const Error& error) {
        throw DataError(analysis.dataFile, error);
    }
}

}  // namespace qvrfc
