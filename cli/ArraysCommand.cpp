// qvrfcdoe arrays: the orthogonal array catalogue, one line an array.
#include <CLI/CLI.hpp>
#include <cstdio>

#include "ArrayCatalogue.h"
#include "Commands.h"

namespace qvrfcdoe {
namespace {

const char* const kTableFormat = "%4s  %-16s %4s  %7s  %s\n";
const char* const kRowFormat = "%4d  %-16s %4d  %7d  %s\n";

int ListArrays() {
    std::printf(kTableFormat, "Type", "Name", "Runs", "Columns", "Levels per column");
    for (int t = kFirstTableType; t <= kLastTableType; ++t) {
        const OA_TYPE type = static_cast<OA_TYPE>(t);
        std::printf(kRowFormat, t, qvrfc::CatalogueName(type),
                    CQVRFCDOETaguchiOrthogonalArray::GetNoRun(type),
                    CQVRFCDOETaguchiOrthogonalArray::GetNoFactor(type),
                    qvrfc::LevelsPerColumn(type).c_str());
    }
    return 0;
}

}  // namespace

void DeclareArraysCommand(CLI::App& app, CommandRun& run) {
    AddCommand(app, run, "arrays", "List the orthogonal array catalogue", ListArrays);
}

}  // namespace qvrfcdoe
