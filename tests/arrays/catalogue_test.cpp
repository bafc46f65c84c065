// The catalogue: every table against its construction or its published fingerprint,
// strength 2 of every table, counts, level counts, selectors and names.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "arrays/QVRFCDOETaguchiOrthogonalArray.h"

namespace {

using OA = CQVRFCDOETaguchiOrthogonalArray;
using Matrix = std::vector<std::vector<int>>;

template <size_t R, size_t C>
Matrix ToMatrix(const int (&table)[R][C]) {
    Matrix m(R, std::vector<int>(C));
    for (size_t r = 0; r < R; ++r)
        for (size_t c = 0; c < C; ++c)
            m[r][c] = table[r][c];
    return m;
}

std::map<OA::OA_TYPE, Matrix> AllTables() {
    return {{OA::OA_L4, ToMatrix(OA::m_pL4)},     {OA::OA_L8, ToMatrix(OA::m_pL8)},
            {OA::OA_L9, ToMatrix(OA::m_pL9)},     {OA::OA_L12, ToMatrix(OA::m_pL12)},
            {OA::OA_L16, ToMatrix(OA::m_pL16)},   {OA::OA_L16A, ToMatrix(OA::m_pL16a)},
            {OA::OA_L18, ToMatrix(OA::m_pL18)},   {OA::OA_L25, ToMatrix(OA::m_pL25)},
            {OA::OA_L27, ToMatrix(OA::m_pL27)},   {OA::OA_L32, ToMatrix(OA::m_pL32)},
            {OA::OA_L32A, ToMatrix(OA::m_pL32a)}, {OA::OA_L36, ToMatrix(OA::m_pL36)},
            {OA::OA_L36A, ToMatrix(OA::m_pL36a)}, {OA::OA_L50, ToMatrix(OA::m_pL50)},
            {OA::OA_L54, ToMatrix(OA::m_pL54)},   {OA::OA_L64, ToMatrix(OA::m_pL64)},
            {OA::OA_L64A, ToMatrix(OA::m_pL64a)}, {OA::OA_L81, ToMatrix(OA::m_pL81)}};
}

// Field arithmetic for the construction: modulo s, or GF(4) with XOR addition and
// multiplication modulo x^2 + x + 1 (2 = x, 3 = x + 1).
int FieldAdd(int a, int b, int s) {
    return s == 4 ? (a ^ b) : (a + b) % s;
}
int FieldMul(int a, int b, int s) {
    if (s != 4) return (a * b) % s;
    int product = 0;
    for (int bit = 0; bit < 2; ++bit)
        if (b & (1 << bit)) product ^= a << bit;
    return (product & 4) ? product ^ 7 : product;
}

Matrix BuildByRule(int s, int k) {
    std::vector<std::vector<int>> coefficients;  // per column, a1..ak
    int block = 1;
    for (int j = 0; j < k; ++j, block *= s) {
        for (int n = 0; n < block; ++n) {
            std::vector<int> a(k, 0);
            for (int i = 0, x = n; i < j; ++i, x /= s)
                a[i] = x % s;
            a[j] = 1;
            coefficients.push_back(a);
        }
    }
    Matrix m;
    for (int r = 0; r < block; ++r) {
        std::vector<int> digits(k);  // d1 most significant
        for (int i = k - 1, x = r; i >= 0; --i, x /= s)
            digits[i] = x % s;
        std::vector<int> row;
        for (const auto& a : coefficients) {
            int sum = 0;
            for (int i = 0; i < k; ++i)
                sum = FieldAdd(sum, FieldMul(a[i], digits[i], s), s);
            row.push_back(1 + sum);
        }
        m.push_back(row);
    }
    return m;
}

std::uint64_t Fingerprint(const std::vector<int>& values) {
    std::uint64_t x = 1469598103934665603ull;
    for (int v : values)
        x = (x ^ static_cast<std::uint64_t>(v)) * 1099511628211ull;
    return x;
}

std::vector<int> Flatten(const Matrix& m) {
    std::vector<int> flat;
    for (const auto& row : m)
        flat.insert(flat.end(), row.begin(), row.end());
    return flat;
}

}  // namespace

TEST(Catalogue, RuleBuiltTablesFollowTheConstruction) {
    const std::map<OA::OA_TYPE, std::pair<int, int>> rule = {
        {OA::OA_L4, {2, 2}},   {OA::OA_L8, {2, 3}},   {OA::OA_L16, {2, 4}}, {OA::OA_L32, {2, 5}},
        {OA::OA_L64, {2, 6}},  {OA::OA_L9, {3, 2}},   {OA::OA_L27, {3, 3}}, {OA::OA_L81, {3, 4}},
        {OA::OA_L16A, {4, 2}}, {OA::OA_L64A, {4, 3}}, {OA::OA_L25, {5, 2}}};
    const auto tables = AllTables();
    for (const auto& [type, sk] : rule) {
        EXPECT_EQ(tables.at(type), BuildByRule(sk.first, sk.second)) << "type " << type;
    }
    // The worked examples of the rule.
    EXPECT_EQ(BuildByRule(4, 2)[5], (std::vector<int>{2, 2, 1, 4, 3}));
    EXPECT_EQ(tables.at(OA::OA_L9)[6], (std::vector<int>{3, 1, 3, 2}));
}

TEST(Catalogue, TablesGivenByValueMatchTheirFingerprints) {
    const auto tables = AllTables();
    const std::map<OA::OA_TYPE, std::uint64_t> expected = {
        {OA::OA_L12, 0x157f6730177bdbdfull},  {OA::OA_L18, 0xeea90605e5c9a358ull},
        {OA::OA_L32A, 0xefd83a58646bbebull},  {OA::OA_L36, 0x2575fafb62b1112full},
        {OA::OA_L36A, 0x6cbc20b6c79e5aabull}, {OA::OA_L50, 0x83086878c7096cfcull},
        {OA::OA_L54, 0xe220878df5a1645cull}};
    for (const auto& [type, fingerprint] : expected) {
        EXPECT_EQ(Fingerprint(Flatten(tables.at(type))), fingerprint) << "type " << type;
    }
    auto order = [](const int* begin, size_t n) { return std::vector<int>(begin, begin + n); };
    EXPECT_EQ(Fingerprint(order(OA::m_pITL16, 15)), 0x2c320cfe9e907237ull);
    EXPECT_EQ(Fingerprint(order(OA::m_pITL27, 13)), 0x2227a1b6f15bbd8aull);
    EXPECT_EQ(Fingerprint(order(OA::m_pITL32, 31)), 0x9be2c8381398eefdull);
    EXPECT_EQ(Fingerprint(order(OA::m_pITL54, 26)), 0x2c2ec9c680f01eecull);
    EXPECT_EQ(order(OA::m_pITL8, 7), (std::vector<int>{1, 2, 4, 7, 3, 5, 6}));
}

TEST(Catalogue, EveryTableIsAStrengthTwoArrayOfItsLevels) {
    for (const auto& [type, m] : AllTables()) {
        ASSERT_EQ(static_cast<int>(m.size()), OA::GetNoRun(type));
        const int columns = OA::GetNoFactor(type);
        ASSERT_EQ(static_cast<int>(m[0].size()), columns);
        for (int a = 0; a < columns; ++a) {
            const int sa = OA::GetNoLevel(type, a);
            for (int b = a + 1; b < columns; ++b) {
                const int sb = OA::GetNoLevel(type, b);
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
        for (int v : m[0])
            EXPECT_EQ(v, 1) << "first run of type " << type;
    }
}

TEST(Catalogue, CountsLevelCountsAndSelectors) {
    for (int type : {-1, 18, 19}) {
        const auto t = static_cast<OA::OA_TYPE>(type);
        EXPECT_EQ(OA::GetNoRun(t) + OA::GetNoFactor(t) + OA::GetNoLevel(t, 0), 0) << type;
        EXPECT_EQ(OA::GetNoLevel(t, -1), 0) << type;
    }
    EXPECT_EQ(OA::GetNoRun(OA::OA_L54) * 100 + OA::GetNoFactor(OA::OA_L54), 5426);
    struct LevelCase {
        OA::OA_TYPE type;
        int column, levels;
    };
    const LevelCase levelCases[] = {
        {OA::OA_L18, 0, 2},  {OA::OA_L18, 7, 3},  {OA::OA_L18, 8, 0},   {OA::OA_L18, -1, 3},
        {OA::OA_L18, -2, 0}, {OA::OA_L8, 100, 2}, {OA::OA_L16A, -7, 4}, {OA::OA_L36, 10, 2},
        {OA::OA_L36, 11, 3}, {OA::OA_L36A, 2, 2}, {OA::OA_L36A, 3, 3},  {OA::OA_L32A, -1, 4},
        {OA::OA_L50, -1, 5}, {OA::OA_L54, 0, 2},  {OA::OA_L54, 25, 3},  {OA::OA_L54, 26, 0}};
    for (const LevelCase& c : levelCases)
        EXPECT_EQ(OA::GetNoLevel(c.type, c.column), c.levels) << c.type << ":" << c.column;

    const std::pair<int, int> byRuns[] = {{4, OA::OA_L4},   {16, OA::OA_L16}, {32, OA::OA_L32},
                                          {36, OA::OA_L36}, {64, OA::OA_L64}, {81, OA::OA_L81},
                                          {10, -1},         {0, -1},          {-4, -1}};
    for (const auto& [runs, type] : byRuns)
        EXPECT_EQ(OA::ArraySelector(runs), type) << runs;
    struct SelectorCase {
        int factors, levels, type;
    };
    const SelectorCase byFactors[] = {{3, 2, OA::OA_L4},    {2, 2, OA::OA_L4},  {0, 2, OA::OA_L8},
                                      {1, 2, OA::OA_L8},    {20, 2, OA::OA_L8}, {31, 2, OA::OA_L8},
                                      {32, 2, -1},          {-1, 3, -1},        {5, 3, OA::OA_L9},
                                      {30, 4, OA::OA_L16A}, {0, 5, OA::OA_L25}, {4, 1, -1},
                                      {4, 0, -1},           {4, 6, -1}};
    for (const SelectorCase& c : byFactors)
        EXPECT_EQ(OA::ArraySelector(c.factors, c.levels), c.type) << c.factors << "x" << c.levels;
}

TEST(Catalogue, TypeStrings) {
    const char* names[] = {"L4(2^3)",        "L8(2^7)",       "L9(3^4)",       "L12(2^11)",
                           "L16(2^15)",      "L16'(4^5)",     "L18(2^1x3^7)",  "L25(5^6)",
                           "L27(3^13)",      "L32(2^31)",     "L32'(2^1x4^9)", "L36(2^11x3^12)",
                           "L36'(2^3x3^13)", "L50(2^1x5^11)", "L54(2^1x3^25)", "L64(2^63)",
                           "L64'(4^21)",     "L81(3^40)",     "Full Factorial"};
    OA array;
    EXPECT_STREQ(array.GetTypeString(), "Taguchi Orthogonal Array Undefined");
    for (int type = 0; type <= 18; ++type) {
        array.SetTable(static_cast<OA::OA_TYPE>(type));
        EXPECT_EQ(array.GetTypeString(), CString("Taguchi Orthogonal Array ") + names[type]);
        EXPECT_EQ(array.GetArrayName(), array.GetTypeString());
    }
    array.SetTable(static_cast<OA::OA_TYPE>(19));
    EXPECT_STREQ(array.GetArrayName(), "Taguchi Orthogonal Array Undefined");
}
