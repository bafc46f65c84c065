// Interactions in the orthogonal arrays: where the interaction of two columns lies, how
// factors are placed so that declared interactions keep columns of their own, what stays
// confounded, and the sum of squares an interaction's columns carry.
//
// The arrays built over a finite field (L4, L8, L16, L32, L64 over 2 elements; L9, L27, L81
// over 3; L16', L64' over 4; L25 over 5) give every column a coefficient vector; the
// interaction of the columns with vectors a and b lies on the s - 1 columns with vectors
// a + c*b (c = 1 ... s - 1), each scaled so that its last non-zero coefficient is 1.
// In the other arrays interactions are spread over several columns; a few column pairs have
// an interaction orthogonal to every other column, estimable on its own without a column.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "qvrfc/arrays/QVRFCDOETaguchiOrthogonalArray.h"
#include "qvrfc/common/QVRFCExport.h"

namespace qvrfc {

using OAType = CQVRFCDOETaguchiOrthogonalArray::OA_TYPE;

// The field of 2, 3, 4 or 5 elements (0 to size - 1) the construction computes in: modulo
// the size, or for 4 elements addition as exclusive or and multiplication modulo x^2 + x + 1
// (2 stands for x, 3 for x + 1).
class QVRFC_API GaloisField {
  public:
    explicit GaloisField(int size) : m_size(size) {}
    int Size() const { return m_size; }
    int Add(int a, int b) const;
    int Multiply(int a, int b) const;
    // The element whose product with a is 1; a must not be 0.
    int Inverse(int a) const;

  private:
    int m_size;
};

// The construction of a rule-built array. Run r (from 0) is written with `digits` base-s
// digits d1 (the most significant) to dk; column c holds 1 + a1*d1 + ... + ak*dk computed in
// the field, where (a1, ..., ak) is the column's coefficient vector. Columns are in catalogue
// order: for j = 1 to k, the vectors with aj = 1 and zeros after it, a1 fastest-changing.
struct QVRFC_API ArrayConstruction {
    int fieldSize = 0;  // 0 for an array not built by rule
    int digits = 0;
    std::vector<std::vector<int>> columns;

    bool IsRuleBuilt() const { return fieldSize != 0; }
    int Runs() const;
    // Level (from 1) at run and column, both from 0.
    int Level(int run, int column) const;
    // The column (from 0) of a non-zero vector's normal form: scaled so that its last
    // non-zero coefficient is 1; -1 for the zero vector.
    int ColumnOf(std::vector<int> vector) const;
};

// The construction of a catalogue type; fieldSize 0 for the arrays given by value.
QVRFC_API const ArrayConstruction& ConstructionOf(OAType type);

// The columns (from 0, ascending) holding the interaction of columns a and b of a rule-built
// array; empty when a equals b, either is outside the array or the array is not rule-built.
QVRFC_API std::vector<int> InteractionColumns(OAType type, int a, int b);

// Whether the interaction of columns a and b is orthogonal to every other column: within each
// pair of levels of a and b, every other column takes each of its levels equally often.
QVRFC_API bool InteractionStandsApart(OAType type, int a, int b);
// Every column pair (from 0, first < second) of an array whose interaction stands apart.
QVRFC_API std::vector<std::pair<int, int>> PairsStandingApart(OAType type);

// Two factors (indexes from 0) whose interaction is declared.
struct FactorPair {
    int first;
    int second;
};
// Whether two pairs name the same factors, in either order.
QVRFC_API bool SamePair(const FactorPair& x, const FactorPair& y);

// A placement of factors on the columns of an array.
struct QVRFC_API InteractionPlacement {
    bool fits = false;
    std::string reason;                                // why no placement fits, when fits is false
    std::vector<int> factorColumns;                    // the column (from 0) of each factor
    std::vector<std::vector<int>> interactionColumns;  // per declared interaction; empty for
                                                       // one that stands apart
};

// Places factors with the given level counts so that every declared interaction's columns
// hold no factor and no other declared interaction. Factors in declared interactions are
// placed first, by search over the columns in order; the others take the first free columns
// of their level count, in factor order.
QVRFC_API InteractionPlacement PlaceFactors(OAType type, const std::vector<int>& factorLevels,
                                            const std::vector<FactorPair>& interactions);
// The catalogue array with the fewest runs that holds the factors and declared interactions;
// OA_UNDEFINED when none does.
QVRFC_API OAType SmallestArrayFor(const std::vector<int>& factorLevels,
                                  const std::vector<FactorPair>& interactions);

// An undeclared two-factor interaction that shares a column with a factor or with a declared
// interaction (whose sum of squares then holds both).
struct Confounding {
    FactorPair pair;
    int factor;    // the factor on the column, or -1
    int declared;  // the index of the declared interaction on the column, or -1
    int column;    // from 0
};
// The confounding a placement on a rule-built array leaves, by pair, then column; empty for
// the arrays given by value, whose interactions are spread over several columns. Throws
// qvrfc::Error for a factor column outside the array.
QVRFC_API std::vector<Confounding> RemainingConfounding(OAType type,
                                                        const std::vector<int>& factorColumns,
                                                        const std::vector<FactorPair>& declared);

// The sum of squares of one column from one response per run: the sum over its levels of
// n_level * (level mean - overall mean)^2. Throws qvrfc::Error for a column outside
// the array or a response count other than the run count.
QVRFC_API double ColumnSumOfSquares(OAType type, int column, const std::vector<double>& responses);
// The sum of squares of an interaction: the sum of its columns' sums of squares.
QVRFC_API double InteractionSumOfSquares(OAType type, const std::vector<int>& columns,
                                         const std::vector<double>& responses);
// The interaction sum of squares of columns a and b from their level pairs: the sum of squares
// between the cells less those of a and b. It needs no interaction columns, so it serves
// interactions that stand apart; on a rule-built array it equals InteractionSumOfSquares.
QVRFC_API double CellInteractionSumOfSquares(OAType type, int a, int b,
                                             const std::vector<double>& responses);

}  // namespace qvrfc
