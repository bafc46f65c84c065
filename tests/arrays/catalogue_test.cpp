// The catalogue: every table against its construction or its published fingerprint,
// strength 2 of every table, counts, level counts, selectors and names.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <sstream>
#include <vector>

#include "qvrfc/arrays/QVRFCDOETaguchiOrthogonalArray.h"

namespace {

using OA = CQVRFCDOETaguchiOrthogonalArray;
using Matrix = std::vector<std::vector<int>>;

template <size_t R, size_t C>
Matrix M(const int (&table)[R][C]) {
    Matrix m;
    for (const auto& row : table)
        m.emplace_back(row, row + C);
    return m;
}

// Every table, indexed by its type.
const std::vector<Matrix> kTables = {
    M(OA::m_pL4),   M(OA::m_pL8),  M(OA::m_pL9),  M(OA::m_pL12), M(OA::m_pL16),  M(OA::m_pL16a),
    M(OA::m_pL18),  M(OA::m_pL25), M(OA::m_pL27), M(OA::m_pL32), M(OA::m_pL32a), M(OA::m_pL36),
    M(OA::m_pL36a), M(OA::m_pL50), M(OA::m_pL54), M(OA::m_pL64), M(OA::m_pL64a), M(OA::m_pL81)};

// Field arithmetic for the construction: modulo s, or GF(4) with XOR addition and
// multiplication modulo x^2 + x + 1 (2 = x, 3 = x + 1).
int Add(int a, int b, int s) {
    return s == 4 ? a ^ b : (a + b) % s;
}
int Mul(int a, int b, int s) {
    if (s != 4) return a * b % s;
    const int product = ((b & 1) ? a : 0) ^ ((b & 2) ? a << 1 : 0);
    return (product & 4) ? product ^ 7 : product;
}

// Column j of block b (b = 0..k-1, s^b columns) has coefficients: the base-s digits of
// its place in the block, then 1 at b. A cell is 1 + sum of coefficient x run digit.
Matrix BuildByRule(int s, int k) {
    std::vector<std::vector<int>> columns;
    int runs = 1;
    for (int b = 0; b < k; ++b, runs *= s) {
        for (int n = 0; n < runs; ++n) {
            std::vector<int> a(k, 0);
            for (int i = 0, x = n; i < b; ++i, x /= s)
                a[i] = x % s;
            a[b] = 1;
            columns.push_back(a);
        }
    }
    Matrix m(runs);
    for (int r = 0; r < runs; ++r) {
        for (const auto& a : columns) {
            int sum = 0;
            for (int i = k - 1, x = r; i >= 0; --i, x /= s)  // the first digit is the leading one
                sum = Add(sum, Mul(a[i], x % s, s), s);
            m[r].push_back(1 + sum);
        }
    }
    return m;
}

std::uint64_t Fingerprint(const Matrix& m) {
    std::uint64_t x = 1469598103934665603ull;
    for (const auto& row : m)
        for (int v : row)
            x = (x ^ static_cast<std::uint64_t>(v)) * 1099511628211ull;
    return x;
}

}  // namespace

TEST(Catalogue, RuleBuiltTablesFollowTheConstruction) {
    // type, levels s, digits k: L4 L8 L16 L32 L64, L9 L27 L81, L16' L64', L25
    std::istringstream rule(
        "0 2 2  1 2 3  4 2 4  9 2 5  15 2 6  2 3 2  8 3 3  17 3 4  5 4 2  16 4 3  7 5 2");
    for (int type, s, k; rule >> type >> s >> k;)
        EXPECT_EQ(kTables[type], BuildByRule(s, k)) << "type " << type;
    // The worked examples of the rule.
    EXPECT_EQ(BuildByRule(4, 2)[5], (std::vector<int>{2, 2, 1, 4, 3}));
    EXPECT_EQ(kTables[OA::OA_L9][6], (std::vector<int>{3, 1, 3, 2}));
}

TEST(Catalogue, TablesGivenByValueMatchTheirFingerprints) {
    const std::map<int, std::uint64_t> expected = {
        {OA::OA_L12, 0x157f6730177bdbdfull},  {OA::OA_L18, 0xeea90605e5c9a358ull},
        {OA::OA_L32A, 0xefd83a58646bbebull},  {OA::OA_L36, 0x2575fafb62b1112full},
        {OA::OA_L36A, 0x6cbc20b6c79e5aabull}, {OA::OA_L50, 0x83086878c7096cfcull},
        {OA::OA_L54, 0xe220878df5a1645cull}};
    for (const auto& [type, fingerprint] : expected)
        EXPECT_EQ(Fingerprint(kTables[type]), fingerprint) << "type " << type;
    auto order = [](const int* begin, int n) { return Matrix{std::vector<int>(begin, begin + n)}; };
    EXPECT_EQ(Fingerprint(order(OA::m_pITL16, 15)), 0x2c320cfe9e907237ull);
    EXPECT_EQ(Fingerprint(order(OA::m_pITL27, 13)), 0x2227a1b6f15bbd8aull);
    EXPECT_EQ(Fingerprint(order(OA::m_pITL32, 31)), 0x9be2c8381398eefdull);
    EXPECT_EQ(Fingerprint(order(OA::m_pITL54, 26)), 0x2c2ec9c680f01eecull);
    EXPECT_EQ(order(OA::m_pITL8, 7)[0], (std::vector<int>{1, 2, 4, 7, 3, 5, 6}));
}

TEST(Catalogue, EveryTableIsAStrengthTwoArrayOfItsLevels) {
    for (int type = 0; type < 18; ++type) {
        const Matrix& m = kTables[type];
        const auto t = static_cast<OA::OA_TYPE>(type);
        const int columns = OA::GetNoFactor(t);
        ASSERT_EQ(static_cast<int>(m.size()), OA::GetNoRun(t));
        ASSERT_EQ(static_cast<int>(m[0].size()), columns);
        EXPECT_EQ(m[0], std::vector<int>(columns, 1)) << "first run of type " << type;
        for (int a = 0; a < columns; ++a) {
            for (int b = a + 1; b < columns; ++b) {
                const int sa = OA::GetNoLevel(t, a), sb = OA::GetNoLevel(t, b);
                std::map<std::pair<int, int>, int> pairs;
                for (const auto& row : m) {
                    ASSERT_TRUE(row[a] >= 1 && row[a] <= sa && row[b] >= 1 && row[b] <= sb);
                    ++pairs[{row[a], row[b]}];
                }
                ASSERT_EQ(static_cast<int>(pairs.size()), sa * sb) << type << ":" << a << "," << b;
                for (const auto& entry : pairs)
                    ASSERT_EQ(entry.second * sa * sb, static_cast<int>(m.size()));
            }
        }
    }
}

TEST(Catalogue, CountsLevelCountsAndSelectors) {
    for (int type : {-1, 18, 19}) {
        const auto t = static_cast<OA::OA_TYPE>(type);
        EXPECT_EQ(OA::GetNoRun(t) + OA::GetNoFactor(t) + OA::GetNoLevel(t, 0), 0) << type;
        EXPECT_EQ(OA::GetNoLevel(t, -1), 0) << type;
    }
    EXPECT_EQ(OA::GetNoRun(OA::OA_L54) * 100 + OA::GetNoFactor(OA::OA_L54), 5426);
    // Types: L8 1, L16' 5, L18 6, L32' 10, L36 11, L36' 12, L50 13, L54 14.
    std::istringstream levels(
        "6 0 2  6 7 3  6 8 0  6 -1 3  6 -2 0  1 100 2  5 -7 4  11 10 2  11 11 3  "
        "12 2 2  12 3 3  10 -1 4  13 -1 5  14 0 2  14 25 3  14 26 0");
    for (int type, column, count; levels >> type >> column >> count;)
        EXPECT_EQ(OA::GetNoLevel(OA::OA_TYPE(type), column), count) << type << ":" << column;
    std::istringstream byRuns("4 0  16 4  32 9  36 11  64 15  81 17  10 -1  0 -1  -4 -1");
    for (int runs, type; byRuns >> runs >> type;)
        EXPECT_EQ(OA::ArraySelector(runs), type) << runs;
    // factors, levels, type (L4 0, L8 1, L9 2, L16' 5, L25 7)
    std::istringstream byFactors(
        "3 2 0  2 2 0  0 2 1  1 2 1  20 2 1  31 2 1  32 2 -1  -1 3 -1  5 3 2  "
        "30 4 5  0 5 7  4 1 -1  4 0 -1  4 6 -1");
    for (int factors, count, type; byFactors >> factors >> count >> type;)
        EXPECT_EQ(OA::ArraySelector(factors, count), type) << factors << "x" << count;
}
