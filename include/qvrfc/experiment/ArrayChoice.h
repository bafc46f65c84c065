// The orthogonal array of an experiment: the catalogue's level tables read without loading
// an array object, the smallest array that holds a set of factors, and their placement.
#pragma once

#include <string>
#include <vector>

#include "qvrfc/arrays/OACatalogueFacts.h"
#include "qvrfc/experiment/Experiment.h"

namespace qvrfc {

// The level (from 1) at run and column (from 0) of a catalogue table, read without an array
// object (loading one writes a listing file); 0 outside the table.
QVRFC_API int ArrayLevel(OA_TYPE type, int run, int column);

// The type of a short or display name, case ignored ("l16a" is "L16'"); OA_UNDEFINED when
// the catalogue has no table of that name.
QVRFC_API OA_TYPE ArrayOfName(const std::string& name);

// True when every factor can have a column of its own with its level count.
QVRFC_API bool ArrayHolds(OA_TYPE type, const std::vector<int>& levelCounts);
// The array of fewest runs (the catalogue's first among equals) that holds the level counts;
// OA_UNDEFINED when none does.
QVRFC_API OA_TYPE ChooseArray(const std::vector<int>& levelCounts);
// The level count of each factor of an experiment.
QVRFC_API std::vector<int> LevelCounts(const Experiment& experiment);
// The array for an experiment's factors: ChooseArray of their level counts, or with declared
// interactions the smallest array that holds them too (SmallestArrayFor).
QVRFC_API OA_TYPE ArrayFor(const Experiment& experiment);
// "1 factor of 2 levels and 7 of 3 levels": the level counts in words, for messages.
QVRFC_API std::string LevelCountText(const std::vector<int>& levelCounts);

// Places the factors of an experiment that have no column (-1) on the first free column of
// its array with their level count; columns already given are kept (CheckExperiment judges
// them). With declared interactions and no column given, the factors are placed so that the
// interactions keep columns of their own, where the array allows it. Throws ExperimentFault
// when a factor finds no column.
QVRFC_API void PlaceFactors(Experiment& experiment);

// The run order: 1, 2, ..., runs when not randomized; otherwise a shuffle drawn from a
// Mersenne Twister seeded with `seed`, the same on every platform.
QVRFC_API std::vector<int> RunOrder(int runs, bool randomized, std::uint32_t seed);

}  // namespace qvrfc
