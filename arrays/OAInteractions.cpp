// Interaction columns from the arrays' finite-field construction, placement of factors that
// keeps declared interactions free, remaining confounding and interaction sums of squares.
#include "qvrfc/arrays/OAInteractions.h"

#include <algorithm>
#include <map>

#include "qvrfc/arrays/OACatalogueFacts.h"
#include "qvrfc/common/QVRFCError.h"
#include "qvrfc/common/QVRFCFactorNames.h"
#include "qvrfc/common/QVRFCTextFormat.h"

namespace qvrfc {
namespace {

using OA = CQVRFCDOETaguchiOrthogonalArray;

int Power(int base, int exponent) {
    int result = 1;
    for (int i = 0; i < exponent; ++i)
        result *= base;
    return result;
}

bool HasTable(OAType type) {
    return type >= OA::OA_L4 && type <= OA::OA_L81;
}

ArrayConstruction Build(int fieldSize, int digits) {
    ArrayConstruction construction;
    construction.fieldSize = fieldSize;
    construction.digits = digits;
    for (int j = 0; j < digits; ++j) {
        for (int n = 0; n < Power(fieldSize, j); ++n) {
            std::vector<int> vector(digits, 0);
            for (int i = 0, rest = n; i < j; ++i, rest /= fieldSize)
                vector[i] = rest % fieldSize;
            vector[j] = 1;
            construction.columns.push_back(vector);
        }
    }
    return construction;
}

// The field size and digit count of every rule-built type.
struct RuleShape {
    OAType type;
    int fieldSize;
    int digits;
};
const RuleShape kRuleShapes[] = {
    {OA::OA_L4, 2, 2},   {OA::OA_L8, 2, 3},   {OA::OA_L16, 2, 4}, {OA::OA_L32, 2, 5},
    {OA::OA_L64, 2, 6},  {OA::OA_L9, 3, 2},   {OA::OA_L27, 3, 3}, {OA::OA_L81, 3, 4},
    {OA::OA_L16A, 4, 2}, {OA::OA_L64A, 4, 3}, {OA::OA_L25, 5, 2},
};

// Indexed by type from OA_L4 to OA_L81; empty constructions for the arrays given by value.
std::vector<ArrayConstruction> BuildAll() {
    std::vector<ArrayConstruction> all(OA::OA_L81 + 1);
    for (const RuleShape& shape : kRuleShapes)
        all[shape.type] = Build(shape.fieldSize, shape.digits);
    return all;
}

int Columns(OAType type) {
    return OA::GetNoFactor(type);
}

int Levels(OAType type, int column) {
    return OA::GetNoLevel(type, column);
}

std::string PairName(const FactorPair& pair) {
    return FactorName(pair.first) + "*" + FactorName(pair.second);
}

// The first fault of the declared interactions themselves, or "" when there is none.
std::string PairFault(int factorCount, const std::vector<FactorPair>& interactions) {
    for (size_t i = 0; i < interactions.size(); ++i) {
        const FactorPair& pair = interactions[i];
        for (int factor : {pair.first, pair.second}) {
            if (factor < 0 || factor >= factorCount)
                return "interaction " + std::to_string(i + 1) + " names factor " +
                       std::to_string(factor + 1) + ", but there are " +
                       std::to_string(factorCount) + " factors";
        }
        if (pair.first == pair.second)
            return "interaction " + PairName(pair) + " pairs a factor with itself";
        for (size_t j = 0; j < i; ++j) {
            if (SamePair(pair, interactions[j]))
                return "interaction " + PairName(pair) + " is declared twice";
        }
    }
    return "";
}

// Depth-first search for the columns of the factors in declared interactions: factors in
// index order, columns in ascending order, so the first placement found is the earliest.
class PlacementSearch {
  public:
    // Bounds the work for requests that cannot be met on the largest arrays.
    static constexpr long kTrialLimit = 2000000;

    PlacementSearch(OAType type, const std::vector<int>& levels,
                    const std::vector<FactorPair>& interactions)
        : m_type(type),
          m_interactions(interactions),
          m_factorColumn(levels.size(), -1),
          m_factorOn(Columns(type), -1),
          m_interactionOn(Columns(type), -1),
          m_interactionColumns(interactions.size()) {
        for (int factor = 0; factor < static_cast<int>(levels.size()); ++factor) {
            if (Involved(factor)) m_order.push_back(factor);
        }
    }

    bool Run() { return Place(0); }
    bool Exhausted() const { return m_trials >= kTrialLimit; }
    const std::vector<int>& FactorColumns() const { return m_factorColumn; }
    const std::vector<std::vector<int>>& InteractionColumnsFound() const {
        return m_interactionColumns;
    }
    // Marks the columns the placement uses, so that the other factors take the rest.
    std::vector<bool> UsedColumns() const {
        std::vector<bool> used(m_factorOn.size());
        for (size_t c = 0; c < used.size(); ++c)
            used[c] = m_factorOn[c] >= 0 || m_interactionOn[c] >= 0;
        return used;
    }

  private:
    bool Involved(int factor) const {
        for (const FactorPair& pair : m_interactions) {
            if (pair.first == factor || pair.second == factor) return true;
        }
        return false;
    }

    // Every column of a rule-built array can be carried onto any other and any pair onto any
    // other pair without changing which columns hold which interactions, so the first two
    // factors may sit on the first two columns: if that fails, every choice fails.
    int CandidateEnd(size_t depth) const {
        return depth < 2 ? static_cast<int>(depth) + 1 : static_cast<int>(m_factorOn.size());
    }

    bool Place(size_t depth) {
        if (depth == m_order.size()) return true;
        const int factor = m_order[depth];
        for (int column = 0; column < CandidateEnd(depth); ++column) {
            if (++m_trials > kTrialLimit) return false;
            if (m_factorOn[column] >= 0 || m_interactionOn[column] >= 0) continue;
            m_factorColumn[factor] = column;
            m_factorOn[column] = factor;
            if (ReserveCompleted(factor) && Place(depth + 1)) return true;
            ReleaseCompleted(factor);
            m_factorOn[column] = -1;
            m_factorColumn[factor] = -1;
        }
        return false;
    }

    // Reserves the columns of every declared interaction the factor completes; false when one
    // of them holds a factor or another declared interaction.
    bool ReserveCompleted(int factor) {
        for (size_t i = 0; i < m_interactions.size(); ++i) {
            const FactorPair& pair = m_interactions[i];
            const int partner = pair.first == factor    ? pair.second
                                : pair.second == factor ? pair.first
                                                        : -1;
            if (partner < 0 || m_factorColumn[partner] < 0) continue;
            const std::vector<int> columns =
                InteractionColumns(m_type, m_factorColumn[factor], m_factorColumn[partner]);
            for (int column : columns) {
                if (m_factorOn[column] >= 0 || m_interactionOn[column] >= 0) return false;
                m_interactionOn[column] = static_cast<int>(i);
            }
            m_interactionColumns[i] = columns;
        }
        return true;
    }

    void ReleaseCompleted(int factor) {
        for (size_t i = 0; i < m_interactions.size(); ++i) {
            const FactorPair& pair = m_interactions[i];
            if (pair.first != factor && pair.second != factor) continue;
            for (int& owner : m_interactionOn) {
                if (owner == static_cast<int>(i)) owner = -1;
            }
            m_interactionColumns[i].clear();
        }
    }

    OAType m_type;
    const std::vector<FactorPair>& m_interactions;
    std::vector<int> m_order;          // factors in declared interactions, by index
    std::vector<int> m_factorColumn;   // per factor; -1 while unplaced
    std::vector<int> m_factorOn;       // per column: its factor or -1
    std::vector<int> m_interactionOn;  // per column: its declared interaction or -1
    std::vector<std::vector<int>> m_interactionColumns;
    long m_trials = 0;
};

// Puts every factor without a column on the first free column of its level count.
std::string FillFirstFitting(OAType type, const std::vector<int>& levels, std::vector<bool> used,
                             std::vector<int>& factorColumns) {
    for (size_t factor = 0; factor < levels.size(); ++factor) {
        if (factorColumns[factor] >= 0) continue;
        for (int column = 0; column < Columns(type) && factorColumns[factor] < 0; ++column) {
            if (used[column] || Levels(type, column) != levels[factor]) continue;
            factorColumns[factor] = column;
            used[column] = true;
        }
        if (factorColumns[factor] < 0)
            return ArrayName(type) + " has no free column of " + std::to_string(levels[factor]) +
                   " levels left for factor " + FactorName(static_cast<int>(factor));
    }
    return "";
}

// The factors of a rule-built array outside the declared interactions, in factor order, each
// on the free column where it adds the least confounding: undeclared interactions of two
// placed factors whose columns hold a factor or a declared interaction. Ties go to the first
// column. (On an L8 the four factors A, B, C, D with A*B declared go on 1, 2, 4 and 7, where
// no main effect shares a column with an interaction.)
class LeastConfoundingFill {
  public:
    LeastConfoundingFill(OAType type, const std::vector<FactorPair>& declared,
                         std::vector<int>& factorColumns)
        : m_type(type),
          m_declared(declared),
          m_columns(factorColumns),
          m_busy(Columns(type), false) {
        for (int column : factorColumns) {
            if (column >= 0) m_busy[column] = true;
        }
        for (const FactorPair& pair : declared) {
            for (int column : Between(factorColumns[pair.first], factorColumns[pair.second]))
                m_busy[column] = true;
        }
    }

    // Places factor on the best free column of its level count; false when none is free.
    bool Place(int factor, int levels) {
        int best = -1, bestCost = 0;
        for (int column = 0; column < Columns(m_type); ++column) {
            if (m_busy[column] || Levels(m_type, column) != levels) continue;
            const int cost = Cost(factor, column);
            if (best < 0 || cost < bestCost) best = column, bestCost = cost;
        }
        if (best < 0) return false;
        m_columns[factor] = best;
        m_busy[best] = true;
        return true;
    }

  private:
    const std::vector<int>& Between(int a, int b) {
        const auto key = std::make_pair(std::min(a, b), std::max(a, b));
        auto found = m_interactions.find(key);
        if (found == m_interactions.end())
            found = m_interactions.emplace(key, InteractionColumns(m_type, a, b)).first;
        return found->second;
    }

    bool Declared(int first, int second) const {
        return std::any_of(m_declared.begin(), m_declared.end(), [&](const FactorPair& pair) {
            return SamePair(pair, FactorPair{first, second});
        });
    }

    // The confoundings that factor on column would add.
    int Cost(int factor, int column) {
        int cost = 0;
        const int factors = static_cast<int>(m_columns.size());
        for (int p = 0; p < factors; ++p) {
            if (p == factor || m_columns[p] < 0) continue;
            if (!Declared(p, factor)) {
                for (int c : Between(m_columns[p], column))
                    cost += m_busy[c] ? 1 : 0;
            }
            for (int q = p + 1; q < factors; ++q) {
                if (q == factor || m_columns[q] < 0 || Declared(p, q)) continue;
                const std::vector<int>& columns = Between(m_columns[p], m_columns[q]);
                cost += std::count(columns.begin(), columns.end(), column) > 0 ? 1 : 0;
            }
        }
        return cost;
    }

    OAType m_type;
    const std::vector<FactorPair>& m_declared;
    std::vector<int>& m_columns;
    std::vector<bool> m_busy;
    std::map<std::pair<int, int>, std::vector<int>> m_interactions;
};

InteractionPlacement Failed(const std::string& reason) {
    InteractionPlacement placement;
    placement.reason = reason;
    return placement;
}

InteractionPlacement PlaceOnRuleBuilt(OAType type, const std::vector<int>& levels,
                                      const std::vector<FactorPair>& interactions) {
    const int s = ConstructionOf(type).fieldSize;
    const int needed =
        static_cast<int>(levels.size() + interactions.size() * static_cast<size_t>(s - 1));
    if (needed > Columns(type))
        return Failed(
            ArrayName(type) + " has " + std::to_string(Columns(type)) + " columns; " +
            Counted(static_cast<int>(levels.size()), "factor", "factors") + " and " +
            Counted(static_cast<int>(interactions.size()), "interaction of ", "interactions of ") +
            Counted(s - 1, "column", "columns") + " each need " + std::to_string(needed));
    for (size_t factor = 0; factor < levels.size(); ++factor) {
        if (levels[factor] != s)
            return Failed(ArrayName(type) + " has no column of " + std::to_string(levels[factor]) +
                          " levels for factor " + FactorName(static_cast<int>(factor)));
    }
    PlacementSearch search(type, levels, interactions);
    if (!search.Run()) {
        std::string names;
        for (const FactorPair& pair : interactions)
            names += (names.empty() ? "" : ", ") + PairName(pair);
        return Failed("no placement on " + ArrayName(type) + " keeps the columns of " + names +
                      " free and apart" +
                      (search.Exhausted()
                           ? " (search stopped after " +
                                 std::to_string(PlacementSearch::kTrialLimit) + " trials)"
                           : ""));
    }
    InteractionPlacement placement;
    placement.factorColumns = search.FactorColumns();
    placement.interactionColumns = search.InteractionColumnsFound();
    LeastConfoundingFill fill(type, interactions, placement.factorColumns);
    for (size_t factor = 0; factor < levels.size(); ++factor) {
        if (placement.factorColumns[factor] >= 0) continue;
        if (!fill.Place(static_cast<int>(factor), levels[factor]))
            return Failed(ArrayName(type) + " has no free column of " +
                          std::to_string(levels[factor]) + " levels left for factor " +
                          FactorName(static_cast<int>(factor)));
    }
    placement.fits = true;
    return placement;
}

// An array given by value holds a declared interaction only on a column pair whose
// interaction stands apart, and then only one.
InteractionPlacement PlaceOnGivenTable(OAType type, const std::vector<int>& levels,
                                       const std::vector<FactorPair>& interactions) {
    InteractionPlacement placement;
    placement.factorColumns.assign(levels.size(), -1);
    placement.interactionColumns.assign(interactions.size(), {});
    std::vector<bool> used(Columns(type), false);
    if (!interactions.empty()) {
        const std::vector<std::pair<int, int>> apart = PairsStandingApart(type);
        if (apart.empty())
            return Failed("interactions are spread over several columns in " + ArrayName(type));
        if (interactions.size() > 1)
            return Failed(ArrayName(type) + " holds at most one declared interaction");
        const FactorPair& pair = interactions.front();
        for (const std::pair<int, int>& columns : apart) {
            for (const FactorPair& order : {pair, FactorPair{pair.second, pair.first}}) {
                if (levels[order.first] != Levels(type, columns.first) ||
                    levels[order.second] != Levels(type, columns.second) ||
                    placement.factorColumns[pair.first] >= 0)
                    continue;
                placement.factorColumns[order.first] = columns.first;
                placement.factorColumns[order.second] = columns.second;
                used[columns.first] = used[columns.second] = true;
            }
        }
        if (placement.factorColumns[pair.first] < 0)
            return Failed("in " + ArrayName(type) + " no column pair whose interaction is " +
                          "estimable on its own fits the levels of " + PairName(pair));
    }
    placement.reason = FillFirstFitting(type, levels, used, placement.factorColumns);
    placement.fits = placement.reason.empty();
    return placement;
}

// Two different columns of an array with the given column count.
bool IsColumnPair(int columns, int a, int b) {
    return a != b && a >= 0 && b >= 0 && a < columns && b < columns;
}

// The pair of levels of columns a and b in a run, numbered from 0.
int CellOf(OAType type, int run, int a, int b) {
    return (CatalogueLevel(type, run, a) - 1) * Levels(type, b) + CatalogueLevel(type, run, b) - 1;
}

// The sum of squares between groups of runs: the sum over the groups of
// n_group * (group mean - overall mean)^2; an empty group adds nothing.
double BetweenGroups(const std::vector<int>& groupOfRun, int groups,
                     const std::vector<double>& responses) {
    std::vector<double> total(groups, 0.0);
    std::vector<int> count(groups, 0);
    double grand = 0.0;
    for (size_t run = 0; run < groupOfRun.size(); ++run) {
        total[groupOfRun[run]] += responses[run];
        ++count[groupOfRun[run]];
        grand += responses[run];
    }
    const double mean = grand / static_cast<double>(responses.size());
    double sum = 0.0;
    for (int group = 0; group < groups; ++group) {
        if (count[group] == 0) continue;
        const double deviation = total[group] / count[group] - mean;
        sum += count[group] * deviation * deviation;
    }
    return sum;
}

const std::vector<double>& CheckedResponses(OAType type, const std::vector<double>& responses) {
    if (!HasTable(type)) throw Error("sum of squares asked of an array without a table");
    if (static_cast<int>(responses.size()) != OA::GetNoRun(type))
        throw Error(std::string(CatalogueName(type)) + " has " +
                    std::to_string(OA::GetNoRun(type)) + " runs, not " +
                    std::to_string(responses.size()) + " responses");
    return responses;
}

void CheckColumn(OAType type, int column) {
    if (column < 0 || column >= Columns(type))
        throw Error(std::string(CatalogueName(type)) + " has no column " +
                    std::to_string(column + 1));
}

}  // namespace

bool SamePair(const FactorPair& x, const FactorPair& y) {
    return (x.first == y.first && x.second == y.second) ||
           (x.first == y.second && x.second == y.first);
}

int GaloisField::Add(int a, int b) const {
    return m_size == 4 ? (a ^ b) : (a + b) % m_size;
}

int GaloisField::Multiply(int a, int b) const {
    if (m_size != 4) return a * b % m_size;
    const int product = ((b & 1) ? a : 0) ^ ((b & 2) ? a << 1 : 0);
    return (product & 4) ? product ^ 7 : product;  // x^2 = x + 1
}

int GaloisField::Inverse(int a) const {
    for (int b = 1; b < m_size; ++b) {
        if (Multiply(a, b) == 1) return b;
    }
    throw Error("0 has no inverse");
}

int ArrayConstruction::Runs() const {
    return Power(fieldSize, digits);
}

int ArrayConstruction::Level(int run, int column) const {
    const GaloisField field(fieldSize);
    int sum = 0;
    for (int i = digits - 1, rest = run; i >= 0; --i, rest /= fieldSize)
        sum = field.Add(sum, field.Multiply(columns[column][i], rest % fieldSize));
    return sum + 1;
}

int ArrayConstruction::ColumnOf(std::vector<int> vector) const {
    const GaloisField field(fieldSize);
    int last = digits - 1;
    while (last >= 0 && vector[last] == 0)
        --last;
    if (last < 0) return -1;
    const int scale = field.Inverse(vector[last]);
    int place = 0;
    for (int i = last - 1; i >= 0; --i)
        place = place * fieldSize + field.Multiply(vector[i], scale);
    return (Power(fieldSize, last) - 1) / (fieldSize - 1) + place;
}

const ArrayConstruction& ConstructionOf(OAType type) {
    static const std::vector<ArrayConstruction> all = BuildAll();
    static const ArrayConstruction none;
    return HasTable(type) ? all[type] : none;
}

std::vector<int> InteractionColumns(OAType type, int a, int b) {
    const ArrayConstruction& construction = ConstructionOf(type);
    const int columns = static_cast<int>(construction.columns.size());
    if (!IsColumnPair(columns, a, b)) return {};
    const GaloisField field(construction.fieldSize);
    std::vector<int> result;
    for (int c = 1; c < construction.fieldSize; ++c) {
        std::vector<int> vector(construction.digits);
        for (int i = 0; i < construction.digits; ++i)
            vector[i] = field.Add(construction.columns[a][i],
                                  field.Multiply(c, construction.columns[b][i]));
        result.push_back(construction.ColumnOf(vector));
    }
    std::sort(result.begin(), result.end());
    return result;
}

bool InteractionStandsApart(OAType type, int a, int b) {
    const int columns = Columns(type);
    if (!IsColumnPair(columns, a, b)) return false;
    const int runs = OA::GetNoRun(type);
    const int cellCount = Levels(type, a) * Levels(type, b);
    for (int other = 0; other < columns; ++other) {
        if (other == a || other == b) continue;
        const int levels = Levels(type, other);
        std::vector<int> count(cellCount * levels, 0);
        for (int run = 0; run < runs; ++run) {
            ++count[CellOf(type, run, a, b) * levels + CatalogueLevel(type, run, other) - 1];
        }
        const int expected = runs / (cellCount * levels);
        for (int n : count) {
            if (n != expected) return false;
        }
    }
    return true;
}

std::vector<std::pair<int, int>> PairsStandingApart(OAType type) {
    std::vector<std::pair<int, int>> pairs;
    for (int a = 0; a < Columns(type); ++a) {
        for (int b = a + 1; b < Columns(type); ++b) {
            if (InteractionStandsApart(type, a, b)) pairs.emplace_back(a, b);
        }
    }
    return pairs;
}

InteractionPlacement PlaceFactors(OAType type, const std::vector<int>& factorLevels,
                                  const std::vector<FactorPair>& interactions) {
    if (!HasTable(type)) return Failed("the array has no table");
    const std::string fault = PairFault(static_cast<int>(factorLevels.size()), interactions);
    if (!fault.empty()) return Failed(fault);
    if (static_cast<int>(factorLevels.size()) > Columns(type))
        return Failed(ArrayName(type) + " has " + std::to_string(Columns(type)) + " columns, not " +
                      std::to_string(factorLevels.size()));
    return ConstructionOf(type).IsRuleBuilt() ? PlaceOnRuleBuilt(type, factorLevels, interactions)
                                              : PlaceOnGivenTable(type, factorLevels, interactions);
}

OAType SmallestArrayFor(const std::vector<int>& factorLevels,
                        const std::vector<FactorPair>& interactions) {
    for (int type = OA::OA_L4; type <= OA::OA_L81; ++type) {
        if (PlaceFactors(static_cast<OAType>(type), factorLevels, interactions).fits)
            return static_cast<OAType>(type);
    }
    return OA::OA_UNDEFINED;
}

std::vector<Confounding> RemainingConfounding(OAType type, const std::vector<int>& factorColumns,
                                              const std::vector<FactorPair>& declared) {
    const int factors = static_cast<int>(factorColumns.size());
    const auto columnOf = [&](int factor) {
        return factor >= 0 && factor < factors ? factorColumns[factor] : -1;
    };
    std::vector<int> factorOn(Columns(type), -1);
    for (int factor = 0; factor < factors; ++factor) {
        CheckColumn(type, columnOf(factor));
        factorOn[columnOf(factor)] = factor;
    }
    std::vector<int> declaredOn(Columns(type), -1);
    for (size_t i = 0; i < declared.size(); ++i) {
        for (int column :
             InteractionColumns(type, columnOf(declared[i].first), columnOf(declared[i].second)))
            declaredOn[column] = static_cast<int>(i);
    }
    std::vector<Confounding> found;
    for (int first = 0; first < factors; ++first) {
        for (int second = first + 1; second < factors; ++second) {
            const FactorPair pair{first, second};
            if (std::any_of(declared.begin(), declared.end(),
                            [&](const FactorPair& d) { return SamePair(d, pair); }))
                continue;
            for (int column : InteractionColumns(type, columnOf(first), columnOf(second))) {
                if (factorOn[column] >= 0 || declaredOn[column] >= 0)
                    found.push_back({pair, factorOn[column], declaredOn[column], column});
            }
        }
    }
    return found;
}

double ColumnSumOfSquares(OAType type, int column, const std::vector<double>& responses) {
    CheckedResponses(type, responses);
    CheckColumn(type, column);
    std::vector<int> levelOfRun;
    for (int run = 0; run < OA::GetNoRun(type); ++run)
        levelOfRun.push_back(CatalogueLevel(type, run, column) - 1);
    return BetweenGroups(levelOfRun, Levels(type, column), responses);
}

double InteractionSumOfSquares(OAType type, const std::vector<int>& columns,
                               const std::vector<double>& responses) {
    double sum = 0.0;
    for (int column : columns)
        sum += ColumnSumOfSquares(type, column, responses);
    return sum;
}

double CellInteractionSumOfSquares(OAType type, int a, int b,
                                   const std::vector<double>& responses) {
    CheckedResponses(type, responses);
    CheckColumn(type, a);
    CheckColumn(type, b);
    std::vector<int> cellOfRun;
    for (int run = 0; run < OA::GetNoRun(type); ++run)
        cellOfRun.push_back(CellOf(type, run, a, b));
    return BetweenGroups(cellOfRun, Levels(type, a) * Levels(type, b), responses) -
           ColumnSumOfSquares(type, a, responses) - ColumnSumOfSquares(type, b, responses);
}

}  // namespace qvrfc
