// The catalogue of standard arrays: one table of facts per type (counts, name,
// level table, column order) that the counts, selectors, names and table setters
// all read.
#include <cstddef>

#include "qvrfc/arrays/OACatalogueFacts.h"
#include "qvrfc/arrays/QVRFCDOETaguchiOrthogonalArray.h"

namespace {

using OA = CQVRFCDOETaguchiOrthogonalArray;

// Reads one cell of a static level table; bound to each table at compile time so
// that every table keeps its own two-dimensional shape.
using CellReader = int (*)(int run, int column);
template <auto& kTable>
int ReadCell(int run, int column) {
    return kTable[run][column];
}

struct CatalogueEntry {
    const char* name;
    int runs;
    int columns;
    int maxLevel;
    int twoLevelColumns;  // leading two-level columns of a mixed array; 0 when all share maxLevel
    CellReader cell;
    const int* columnOrder;  // 1-based column per factor; null when factor i sits on column i
};

// Indexed by OA_TYPE from OA_L4 to OA_L81.
const CatalogueEntry kCatalogue[] = {
    {"L4(2^3)", 4, 3, 2, 0, ReadCell<OA::m_pL4>, OA::m_pITL4},
    {"L8(2^7)", 8, 7, 2, 0, ReadCell<OA::m_pL8>, OA::m_pITL8},
    {"L9(3^4)", 9, 4, 3, 0, ReadCell<OA::m_pL9>, OA::m_pITL9},
    {"L12(2^11)", 12, 11, 2, 0, ReadCell<OA::m_pL12>, OA::m_pITL12},
    {"L16(2^15)", 16, 15, 2, 0, ReadCell<OA::m_pL16>, OA::m_pITL16},
    {"L16'(4^5)", 16, 5, 4, 0, ReadCell<OA::m_pL16a>, OA::m_pITL16a},
    {"L18(2^1x3^7)", 18, 8, 3, 1, ReadCell<OA::m_pL18>, OA::m_pITL18},
    {"L25(5^6)", 25, 6, 5, 0, ReadCell<OA::m_pL25>, OA::m_pITL25},
    {"L27(3^13)", 27, 13, 3, 0, ReadCell<OA::m_pL27>, OA::m_pITL27},
    {"L32(2^31)", 32, 31, 2, 0, ReadCell<OA::m_pL32>, OA::m_pITL32},
    {"L32'(2^1x4^9)", 32, 10, 4, 1, ReadCell<OA::m_pL32a>, OA::m_pITL32a},
    {"L36(2^11x3^12)", 36, 23, 3, 11, ReadCell<OA::m_pL36>, OA::m_pITL36},
    {"L36'(2^3x3^13)", 36, 16, 3, 3, ReadCell<OA::m_pL36a>, OA::m_pITL36a},
    {"L50(2^1x5^11)", 50, 12, 5, 1, ReadCell<OA::m_pL50>, OA::m_pITL50},
    {"L54(2^1x3^25)", 54, 26, 3, 1, ReadCell<OA::m_pL54>, OA::m_pITL54},
    {"L64(2^63)", 64, 63, 2, 0, ReadCell<OA::m_pL64>, nullptr},
    {"L64'(4^21)", 64, 21, 4, 0, ReadCell<OA::m_pL64a>, nullptr},
    {"L81(3^40)", 81, 40, 3, 0, ReadCell<OA::m_pL81>, nullptr},
};
constexpr int kCatalogueSize = static_cast<int>(sizeof(kCatalogue) / sizeof(kCatalogue[0]));
static_assert(kCatalogueSize == OA::OA_FULL_FACTORIAL, "one catalogue entry per table type");

// The entry of a table type, or null for any value without a table.
const CatalogueEntry* FindEntry(int type) {
    if (type < 0 || type >= kCatalogueSize) return nullptr;
    return &kCatalogue[type];
}

const char* DisplayName(int type) {
    if (type == OA::OA_FULL_FACTORIAL) return "Full Factorial";
    const CatalogueEntry* entry = FindEntry(type);
    return entry ? entry->name : "Undefined";
}

}  // namespace

int qvrfc::CatalogueLevel(OA::OA_TYPE type, int run, int column) {
    const CatalogueEntry* entry = FindEntry(type);
    if (!entry || run < 0 || run >= entry->runs || column < 0 || column >= entry->columns) return 0;
    return entry->cell(run, column);
}

const char* qvrfc::CatalogueName(OA::OA_TYPE type) {
    return FindEntry(type) ? DisplayName(type) : "Undefined";
}

std::string qvrfc::ArrayName(OA::OA_TYPE type) {
    const std::string name = CatalogueName(type);
    return name.substr(0, name.find('('));
}

int CQVRFCDOETaguchiOrthogonalArray::GetNoRun(OA_TYPE type) {
    const CatalogueEntry* entry = FindEntry(type);
    return entry ? entry->runs : 0;
}

int CQVRFCDOETaguchiOrthogonalArray::GetNoFactor(OA_TYPE type) {
    const CatalogueEntry* entry = FindEntry(type);
    return entry ? entry->columns : 0;
}

// A single-level array answers its level count for any column; a mixed array
// answers its maximum for -1, the column's own count inside the array and 0 elsewhere.
int CQVRFCDOETaguchiOrthogonalArray::GetNoLevel(OA_TYPE type, int column) {
    const CatalogueEntry* entry = FindEntry(type);
    if (!entry) return 0;
    if (entry->twoLevelColumns == 0 || column == -1) return entry->maxLevel;
    if (column < -1 || column >= entry->columns) return 0;
    return column < entry->twoLevelColumns ? 2 : entry->maxLevel;
}

CQVRFCDOETaguchiOrthogonalArray::OA_TYPE CQVRFCDOETaguchiOrthogonalArray::ArraySelector(int nRun) {
    for (int type = 0; type < kCatalogueSize; ++type) {
        if (kCatalogue[type].runs == nRun) return static_cast<OA_TYPE>(type);
    }
    return OA_UNDEFINED;
}

CQVRFCDOETaguchiOrthogonalArray::OA_TYPE CQVRFCDOETaguchiOrthogonalArray::ArraySelector(
    int nFactor, int nLevel) {
    if (nFactor < 0 || nFactor > 31) return OA_UNDEFINED;
    switch (nLevel) {
        case 2:
            return (nFactor == 2 || nFactor == 3) ? OA_L4 : OA_L8;
        case 3:
            return OA_L9;
        case 4:
            return OA_L16A;
        case 5:
            return OA_L25;
        default:
            return OA_UNDEFINED;
    }
}

CString CQVRFCDOETaguchiOrthogonalArray::GetTypeString() const {
    CString text;
    text.Format("Taguchi Orthogonal Array %s", DisplayName(m_eType));
    return text;
}

CString CQVRFCDOETaguchiOrthogonalArray::GetArrayName() const {
    return GetTypeString();
}

// Copies the catalogue table of type into the object: maximum level count, a fresh
// matrix of the type's size and the column of each control factor.
int CQVRFCDOETaguchiOrthogonalArray::LoadCatalogueTable(OA_TYPE type) {
    const CatalogueEntry* entry = FindEntry(type);
    if (!entry) return 0;
    m_nLevel = entry->maxLevel;
    if (!AllocData(entry->runs, entry->columns)) return 0;
    for (int run = 0; run < m_nRun; ++run) {
        for (int column = 0; column < m_nFactor; ++column) {
            m_pLevel[run][column] = entry->cell(run, column);
        }
    }
    for (int factor = 0; factor < m_nFactor; ++factor) {
        m_pColumnID[factor] = entry->columnOrder ? entry->columnOrder[factor] - 1 : factor;
    }
    return 1;
}

int CQVRFCDOETaguchiOrthogonalArray::SetL4Table() {
    return LoadCatalogueTable(OA_L4);
}
int CQVRFCDOETaguchiOrthogonalArray::SetL8Table() {
    return LoadCatalogueTable(OA_L8);
}
int CQVRFCDOETaguchiOrthogonalArray::SetL9Table() {
    return LoadCatalogueTable(OA_L9);
}
int CQVRFCDOETaguchiOrthogonalArray::SetL12Table() {
    return LoadCatalogueTable(OA_L12);
}
int CQVRFCDOETaguchiOrthogonalArray::SetL16Table() {
    return LoadCatalogueTable(OA_L16);
}
int CQVRFCDOETaguchiOrthogonalArray::SetL16aTable() {
    return LoadCatalogueTable(OA_L16A);
}
int CQVRFCDOETaguchiOrthogonalArray::SetL18Table() {
    return LoadCatalogueTable(OA_L18);
}
int CQVRFCDOETaguchiOrthogonalArray::SetL25Table() {
    return LoadCatalogueTable(OA_L25);
}
int CQVRFCDOETaguchiOrthogonalArray::SetL27Table() {
    return LoadCatalogueTable(OA_L27);
}
int CQVRFCDOETaguchiOrthogonalArray::SetL32Table() {
    return LoadCatalogueTable(OA_L32);
}
int CQVRFCDOETaguchiOrthogonalArray::SetL32aTable() {
    return LoadCatalogueTable(OA_L32A);
}
int CQVRFCDOETaguchiOrthogonalArray::SetL36Table() {
    return LoadCatalogueTable(OA_L36);
}
int CQVRFCDOETaguchiOrthogonalArray::SetL36aTable() {
    return LoadCatalogueTable(OA_L36A);
}
int CQVRFCDOETaguchiOrthogonalArray::SetL50Table() {
    return LoadCatalogueTable(OA_L50);
}
int CQVRFCDOETaguchiOrthogonalArray::SetL54Table() {
    return LoadCatalogueTable(OA_L54);
}
int CQVRFCDOETaguchiOrthogonalArray::SetL64Table() {
    return LoadCatalogueTable(OA_L64);
}
int CQVRFCDOETaguchiOrthogonalArray::SetL64aTable() {
    return LoadCatalogueTable(OA_L64A);
}
int CQVRFCDOETaguchiOrthogonalArray::SetL81Table() {
    return LoadCatalogueTable(OA_L81);
}

// Full factorial designs are named but not built: nothing changes and the result is failure.
int CQVRFCDOETaguchiOrthogonalArray::SetFullFactorialTable() {
    return 0;
}
