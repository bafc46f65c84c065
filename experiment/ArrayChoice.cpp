#include "qvrfc/experiment/ArrayChoice.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <random>

#include "qvrfc/arrays/OACatalogueFacts.h"

namespace qvrfc {
namespace {

using Catalogue = CQVRFCDOETaguchiOrthogonalArray;

constexpr int kFirstType = Catalogue::OA_L4;
constexpr int kLastType = Catalogue::OA_L81;

std::string Upper(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// Number of columns of the type with each level count.
std::map<int, int> ColumnsPerLevelCount(OA_TYPE type) {
    std::map<int, int> columns;
    for (int c = 0; c < Catalogue::GetNoFactor(type); ++c)
        ++columns[Catalogue::GetNoLevel(type, c)];
    return columns;
}

std::string FactorCount(int count, bool first) {
    if (!first) return std::to_string(count);
    return std::to_string(count) + (count == 1 ? " factor" : " factors");
}

// A uniform draw from 0 .. bound-1 by rejection, so that no platform's distribution code
// changes the sequence.
std::uint32_t Draw(std::mt19937& generator, std::uint32_t bound) {
    const std::uint32_t limit = 0xFFFFFFFFu - 0xFFFFFFFFu % bound;
    std::uint32_t value = 0;
    do {
        value = static_cast<std::uint32_t>(generator());
    } while (value >= limit);
    return value % bound;
}

}  // namespace

int ArrayLevel(OA_TYPE type, int run, int column) {
    return CatalogueLevel(type, run, column);
}

OA_TYPE ArrayOfName(const std::string& name) {
    std::string text = Upper(name);
    // "L16a" is the second array of 16 runs, which the catalogue names "L16'".
    if (text.size() > 2 && text.back() == 'A' &&
        std::isdigit(static_cast<unsigned char>(text[text.size() - 2])))
        text.back() = '\'';
    for (int t = kFirstType; t <= kLastType; ++t) {
        const OA_TYPE type = static_cast<OA_TYPE>(t);
        if (text == Upper(ArrayName(type)) || Upper(name) == Upper(CatalogueName(type)))
            return type;
    }
    return Catalogue::OA_UNDEFINED;
}

bool ArrayHolds(OA_TYPE type, const std::vector<int>& levelCounts) {
    std::map<int, int> free = ColumnsPerLevelCount(type);
    for (int levels : levelCounts) {
        if (free[levels]-- <= 0) return false;
    }
    return Catalogue::GetNoRun(type) > 0;
}

OA_TYPE ChooseArray(const std::vector<int>& levelCounts) {
    OA_TYPE best = Catalogue::OA_UNDEFINED;
    for (int t = kFirstType; t <= kLastType; ++t) {
        const OA_TYPE type = static_cast<OA_TYPE>(t);
        if (!ArrayHolds(type, levelCounts)) continue;
        if (best == Catalogue::OA_UNDEFINED ||
            Catalogue::GetNoRun(type) < Catalogue::GetNoRun(best))
            best = type;
    }
    return best;
}

std::vector<int> LevelCounts(const Experiment& experiment) {
    std::vector<int> counts;
    for (const Factor& factor : experiment.factors)
        counts.push_back(static_cast<int>(factor.levels.size()));
    return counts;
}

OA_TYPE ArrayFor(const Experiment& experiment) {
    return experiment.interactions.empty()
               ? ChooseArray(LevelCounts(experiment))
               : SmallestArrayFor(LevelCounts(experiment), experiment.interactions);
}

std::string LevelCountText(const std::vector<int>& levelCounts) {
    std::map<int, int> factors;
    for (int levels : levelCounts)
        ++factors[levels];
    std::string text;
    for (const auto& entry : factors) {
        const bool first = text.empty();
        if (!first) text += entry.first == factors.rbegin()->first ? " and " : ", ";
        text += FactorCount(entry.second, first) + " of " + std::to_string(entry.first) + " levels";
    }
    return text;
}

void PlaceFactors(Experiment& experiment) {
    const OA_TYPE type = experiment.array;
    const bool noneGiven = std::all_of(experiment.factors.begin(), experiment.factors.end(),
                                       [](const Factor& factor) { return factor.column < 0; });
    if (noneGiven && !experiment.interactions.empty()) {
        const InteractionPlacement placement =
            PlaceFactors(type, LevelCounts(experiment), experiment.interactions);
        for (size_t f = 0; placement.fits && f < experiment.factors.size(); ++f)
            experiment.factors[f].column = placement.factorColumns[f];
    }
    const int columns = Catalogue::GetNoFactor(type);
    std::vector<bool> taken(columns, false);
    for (const Factor& factor : experiment.factors) {
        if (factor.column >= 0 && factor.column < columns) taken[factor.column] = true;
    }
    for (size_t f = 0; f < experiment.factors.size(); ++f) {
        Factor& factor = experiment.factors[f];
        if (factor.column >= 0) continue;
        const int levels = static_cast<int>(factor.levels.size());
        for (int c = 0; c < columns && factor.column < 0; ++c) {
            if (taken[c] || Catalogue::GetNoLevel(type, c) != levels) continue;
            factor.column = c;
            taken[c] = true;
        }
        if (factor.column < 0)
            throw ExperimentFault(
                "factor", static_cast<int>(f), "column",
                ArrayName(type) + " has no free column of " + std::to_string(levels) + " levels");
    }
}

std::vector<int> RunOrder(int runs, bool randomized, std::uint32_t seed) {
    std::vector<int> order(runs);
    for (int r = 0; r < runs; ++r)
        order[r] = r + 1;
    if (!randomized) return order;
    std::mt19937 generator(seed);
    for (int i = runs - 1; i > 0; --i)
        std::swap(order[i], order[Draw(generator, static_cast<std::uint32_t>(i + 1))]);
    return order;
}

}  // namespace qvrfc
