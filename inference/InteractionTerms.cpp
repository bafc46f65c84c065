#include "qvrfc/inference/InteractionTerms.h"

#include <algorithm>
#include <string>

#include "common/QVRFCReportStyle.h"
#include "qvrfc/arrays/OACatalogueFacts.h"

namespace qvrfc {
namespace {

using OA = CQVRFCDOETaguchiOrthogonalArray;

std::string ArrayName(OAType type) {
    const std::string name = CatalogueName(type);
    return name.substr(0, name.find('('));
}

int MainEffectOf(const std::vector<ModelTerm>& model, int factor) {
    for (size_t t = 0; t < model.size(); ++t) {
        if (model[t].factors == std::vector<int>{factor}) return static_cast<int>(t);
    }
    return -1;
}

// A factor's name in the model: that of its main effect, or its letter.
std::string NameOf(const std::vector<ModelTerm>& model, int factor) {
    const int term = MainEffectOf(model, factor);
    return term >= 0 ? model[term].name : FactorName(factor);
}

// A declared interaction that cannot be a term of the ANOVA: bad input, its key the
// interaction's name.
[[noreturn]] void Refuse(const std::string& name, const std::string& reason) {
    throw Error::Placed(reason, "", 0, name);
}

bool Holds(const std::vector<int>& columns, int column) {
    return std::find(columns.begin(), columns.end(), column) != columns.end();
}

// The first fault of the pair itself, or "".
std::string PairFault(const CQVRFCDOEAnalyzer& analyzer, const std::vector<FactorPair>& pairs,
                      size_t i, const std::string& name) {
    const FactorPair& pair = pairs[i];
    for (int factor : {pair.first, pair.second}) {
        if (factor < 0 || factor >= analyzer.GetNoFactor())
            return "interaction " + std::to_string(i + 1) + " names factor " +
                   std::to_string(factor + 1) + ", but the experiment has " +
                   std::to_string(analyzer.GetNoFactor()) + " factors";
    }
    if (pair.first == pair.second) return "interaction " + name + " pairs a factor with itself";
    for (size_t j = 0; j < i; ++j) {
        const FactorPair& other = pairs[j];
        if (std::min(other.first, other.second) == std::min(pair.first, pair.second) &&
            std::max(other.first, other.second) == std::max(pair.first, pair.second))
            return "interaction " + name + " is declared twice";
    }
    return "";
}

// The columns holding the interaction of columns a and b: its interaction columns on an array
// built by rule, none for a pair standing apart; throws when the array cannot estimate it.
std::vector<int> ColumnsOf(OAType type, int a, int b, const std::string& name) {
    if (ConstructionOf(type).IsRuleBuilt()) return InteractionColumns(type, a, b);
    if (OA::GetNoRun(type) <= 0)
        Refuse(name, "interaction " + name +
                         " cannot be estimated: the experiment is not on a catalogue "
                         "array");
    if (InteractionStandsApart(type, a, b)) return {};
    std::string reason = "interaction " + name + " cannot be estimated: in " + ArrayName(type) +
                         " the interaction of columns " + std::to_string(a + 1) + " and " +
                         std::to_string(b + 1) + " is spread over several columns";
    for (const std::pair<int, int>& apart : PairsStandingApart(type))
        reason += "; that of columns " + std::to_string(apart.first + 1) + " and " +
                  std::to_string(apart.second + 1) + " is estimable on its own";
    Refuse(name, reason);
}

// Throws for an interaction column that holds a factor of the model, a factor of another
// interaction or another interaction.
void CheckColumnsFree(const CQVRFCDOEAnalyzer& analyzer, const std::vector<ModelTerm>& model,
                      const std::vector<ModelTerm>& terms) {
    for (size_t t = 0; t < terms.size(); ++t) {
        for (int column : terms[t].columns) {
            const std::string where = "interaction " + terms[t].name + " lies on column " +
                                      std::to_string(column + 1) + ", which holds ";
            for (const ModelTerm& term : model) {
                if (Holds(term.columns, column))
                    Refuse(terms[t].name, where + "factor " + term.name);
            }
            for (size_t u = 0; u < terms.size(); ++u) {
                const ModelTerm& other = terms[u];
                const std::vector<int> factorColumns = {
                    analyzer.GetControlFactorID(other.factors[0]),
                    analyzer.GetControlFactorID(other.factors[1])};
                if (u != t && Holds(factorColumns, column))
                    Refuse(terms[t].name, where + "a factor of interaction " + other.name);
                if (u < t && Holds(other.columns, column))
                    Refuse(terms[t].name, "interactions " + other.name + " and " + terms[t].name +
                                              " share column " + std::to_string(column + 1));
            }
        }
    }
}

}  // namespace

std::vector<ModelTerm> InteractionTerms(const CQVRFCDOEAnalyzer& analyzer,
                                        const std::vector<ModelTerm>& model,
                                        const std::vector<FactorPair>& pairs) {
    const OAType type = analyzer.GetDOEArrayType();
    std::vector<ModelTerm> terms;
    for (size_t i = 0; i < pairs.size(); ++i) {
        const FactorPair& pair = pairs[i];
        const bool named = pair.first >= 0 && pair.second >= 0;
        const std::string name =
            named ? NameOf(model, pair.first) + "*" + NameOf(model, pair.second) : "";
        const std::string fault = PairFault(analyzer, pairs, i, name);
        if (!fault.empty()) Refuse(name, fault);
        ModelTerm term;
        term.name = name;
        term.factors = {pair.first, pair.second};
        const int a = analyzer.GetControlFactorID(pair.first);
        const int b = analyzer.GetControlFactorID(pair.second);
        term.columns = ColumnsOf(type, a, b, name);
        term.dof = (OA::GetNoLevel(type, a) - 1) * (OA::GetNoLevel(type, b) - 1);
        terms.push_back(term);
    }
    CheckColumnsFree(analyzer, model, terms);
    for (const ModelTerm& term : terms) {
        if (MainEffectOf(model, term.factors[0]) < 0 || MainEffectOf(model, term.factors[1]) < 0)
            Refuse(term.name, "interaction " + term.name +
                                  " needs the main effects of both its factors in the "
                                  "model");
    }
    return terms;
}

std::vector<ModelTerm> MainEffectTermsBeside(const CQVRFCDOEAnalyzer& analyzer,
                                             const std::vector<FactorPair>& pairs) {
    const OAType type = analyzer.GetDOEArrayType();
    std::vector<int> setAside, paired;
    for (const FactorPair& pair : pairs) {
        const int a = analyzer.GetControlFactorID(pair.first);
        const int b = analyzer.GetControlFactorID(pair.second);
        const std::vector<int> columns = InteractionColumns(type, a, b);
        setAside.insert(setAside.end(), columns.begin(), columns.end());
        paired.insert(paired.end(), {a, b});
    }
    std::vector<ModelTerm> terms;
    for (const ModelTerm& term : MainEffectTerms(analyzer)) {
        const int column = term.columns[0];
        if (!Holds(setAside, column) || Holds(paired, column)) terms.push_back(term);
    }
    return terms;
}

void AddTermColumns(DesignLayout& layout, const CQVRFCDOEAnalyzer& analyzer,
                    const std::vector<ModelTerm>& terms) {
    const OAType type = analyzer.GetDOEArrayType();
    for (const ModelTerm& term : terms) {
        for (int column : term.columns) {
            for (size_t r = 0; r < layout.levels.size(); ++r) {
                int& level = layout.levels[r][column];
                if (level < 0) level = CatalogueLevel(type, int(r), column) - 1;
            }
        }
    }
}

}  // namespace qvrfc
