// qvrfcdoe interactions: the triangular table of an array's interaction columns, or, for an
// array whose interactions are spread over several columns, which interactions stand apart.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ArrayCatalogue.h"
#include "CliError.h"
#include "Commands.h"
#include "qvrfc/arrays/OAInteractions.h"

namespace qvrfcdoe {
namespace {

// "3" or "3,4": the columns (from 1) holding the interaction of columns a and b (from 0).
std::string Entry(OA_TYPE type, int a, int b) {
    std::string text;
    for (int column : qvrfc::InteractionColumns(type, a, b))
        text += Text("%s%d", text.empty() ? "" : ",", column + 1);
    return text;
}

void PrintTriangle(OA_TYPE type) {
    const int columns = CQVRFCDOETaguchiOrthogonalArray::GetNoFactor(type);
    const int labelWidth = static_cast<int>(std::to_string(columns).size());
    int entryWidth = labelWidth;
    for (int a = 0; a < columns; ++a) {
        for (int b = a + 1; b < columns; ++b)
            entryWidth = std::max(entryWidth, static_cast<int>(Entry(type, a, b).size()));
    }
    std::printf(
        "Interactions of %s\nRow i, column j: the column(s) holding the interaction of columns "
        "i and j.\n\n%*s",
        qvrfc::CatalogueName(type), labelWidth, "");
    for (int b = 1; b < columns; ++b)
        std::printf("  %*d", entryWidth, b + 1);
    std::printf("\n");
    for (int a = 0; a + 1 < columns; ++a) {
        std::printf("%*d", labelWidth, a + 1);
        for (int b = 1; b < columns; ++b)
            std::printf("  %*s", entryWidth, b > a ? Entry(type, a, b).c_str() : "");
        std::printf("\n");
    }
}

// "columns 1 and 2", "columns 1 and 4, 2 and 4, and 3 and 4".
std::string PairList(const std::vector<std::pair<int, int>>& pairs) {
    std::string text = "columns ";
    for (size_t i = 0; i < pairs.size(); ++i) {
        const char* joint = i == 0 ? "" : (i + 1 == pairs.size() ? ", and " : ", ");
        text += Text("%s%d and %d", joint, pairs[i].first + 1, pairs[i].second + 1);
    }
    return text;
}

void PrintSpread(OA_TYPE type) {
    const std::vector<std::pair<int, int>> apart = qvrfc::PairsStandingApart(type);
    std::printf("Interactions in %s are spread over several columns", qvrfc::CatalogueName(type));
    if (apart.empty()) {
        std::printf("; no column holds the interaction of two columns on its own.\n");
    } else if (apart.size() == 1) {
        std::printf(
            ", except the interaction of %s, which is estimable on its own: it is orthogonal to "
            "every other column.\n",
            PairList(apart).c_str());
    } else {
        std::printf(
            ", except the interactions of %s, each estimable on its own: each is orthogonal to "
            "every other column.\n",
            PairList(apart).c_str());
    }
}

int ShowInteractions(const std::string& name) {
    const OA_TYPE type = qvrfc::ArrayOfText(name);
    if (qvrfc::ConstructionOf(type).IsRuleBuilt())
        PrintTriangle(type);
    else
        PrintSpread(type);
    return 0;
}

}  // namespace

void DeclareInteractionsCommand(CLI::App& app, CommandRun& run) {
    auto array = std::make_shared<std::string>();
    CLI::App* command =
        AddCommand(app, run, "interactions",
                   "Print which columns hold the interaction of each pair of columns of an array",
                   [array] { return ShowInteractions(*array); });
    command->add_option("ARRAY", *array, kArrayNameHelp)->required();
}

}  // namespace qvrfcdoe
