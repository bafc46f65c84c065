// The array object: its storage, the catalogue loader entry point and the readers.
#include <exception>

#include "common/QVRFCLogFolder.h"
#include "qvrfc/arrays/QVRFCDOETaguchiOrthogonalArray.h"

namespace {
// The listing file refreshed by every SetTable, and the creator named in it.
const char kListingFileName[] = "QVRFCDOETaguchiMethod.log";
const char kListingCreator[] = "Kelvoran";
// What GetLevel answers for a cell outside the counts or the matrix held.
constexpr int kNoLevel = -100;
}  // namespace

CQVRFCDOETaguchiOrthogonalArray::CQVRFCDOETaguchiOrthogonalArray()
    : m_eType(OA_UNDEFINED), m_nFactor(0), m_nLevel(0), m_nRun(0) {}

// Copies own their matrix and column IDs (the vectors copy them).
CQVRFCDOETaguchiOrthogonalArray::CQVRFCDOETaguchiOrthogonalArray(
    const CQVRFCDOETaguchiOrthogonalArray& source) = default;

CQVRFCDOETaguchiOrthogonalArray& CQVRFCDOETaguchiOrthogonalArray::operator=(
    const CQVRFCDOETaguchiOrthogonalArray& source) = default;

CQVRFCDOETaguchiOrthogonalArray::~CQVRFCDOETaguchiOrthogonalArray() {
    FreeData();
}

// Rebuilds from the catalogue: a matrix the source read from a file is not carried over.
// The listing goes where the source's goes.
int CQVRFCDOETaguchiOrthogonalArray::SetData(CQVRFCDOETaguchiOrthogonalArray* source) {
    if (!source) return 0;
    m_logFolder = source->m_logFolder;
    return SetTable(source->m_eType);
}

void CQVRFCDOETaguchiOrthogonalArray::ClearData() {
    FreeData();
    m_nFactor = 0;
    m_nLevel = 0;
    m_nRun = 0;
    m_eType = OA_UNDEFINED;
}

// The type is stored even when it has no table (the previous matrix then stays);
// the listing file is rewritten whatever happened.
int CQVRFCDOETaguchiOrthogonalArray::SetTable(OA_TYPE type) {
    m_eType = type;
    const int result =
        (type == OA_FULL_FACTORIAL) ? SetFullFactorialTable() : LoadCatalogueTable(type);
    Writer(CString(qvrfc::LogPath(m_logFolder, kListingFileName)), CString(kListingCreator));
    return result;
}

void CQVRFCDOETaguchiOrthogonalArray::SetLogFolder(const char* folder) {
    m_logFolder = qvrfc::LogFolder(folder);
}

void CQVRFCDOETaguchiOrthogonalArray::SetNoFactorAndLevel(int nFactor, int nLevel) {
    m_nFactor = nFactor;
    m_nLevel = nLevel;
}

// The counts may say more than the matrix holds (after FreeData or SetNoFactorAndLevel),
// so the matrix itself bounds the access too.
int CQVRFCDOETaguchiOrthogonalArray::GetLevel(int run, int column) const {
    if (run < 0 || run >= m_nRun || column < 0 || column >= m_nFactor) return kNoLevel;
    if (static_cast<size_t>(run) >= m_pLevel.size()) return kNoLevel;
    const std::vector<int>& row = m_pLevel[run];
    if (static_cast<size_t>(column) >= row.size()) return kNoLevel;
    return row[column];
}

int CQVRFCDOETaguchiOrthogonalArray::GetColumnID(int factor) const {
    if (factor < 0 || factor >= m_nFactor) return -1;
    if (static_cast<size_t>(factor) >= m_pColumnID.size()) return -1;
    return m_pColumnID[factor];
}

int CQVRFCDOETaguchiOrthogonalArray::GetNoLevel(int column) const {
    return GetNoLevel(m_eType, column);
}

// Makes an all-0 matrix of nRun x nFactor and identity column IDs (factor i on column i).
// Counts below 1 or a failed allocation leave no matrix and give 0.
int CQVRFCDOETaguchiOrthogonalArray::AllocData(int nRun, int nFactor) {
    FreeData();
    m_nRun = nRun;
    m_nFactor = nFactor;
    if (nRun < 1 || nFactor < 1) return 0;
    // A matrix read from a file is refused beyond 16 million cells (the catalogue's
    // largest has 4,032): an absurd count must fail, not exhaust the machine.
    constexpr long long kMaxCells = 1LL << 24;
    if (static_cast<long long>(nRun) * nFactor > kMaxCells) return 0;
    try {
        m_pLevel.assign(static_cast<size_t>(nRun),
                        std::vector<int>(static_cast<size_t>(nFactor), 0));
        m_pColumnID.resize(static_cast<size_t>(nFactor));
    } catch (const std::exception&) {
        FreeData();
        return 0;
    }
    for (int factor = 0; factor < nFactor; ++factor)
        m_pColumnID[factor] = factor;
    return 1;
}

int CQVRFCDOETaguchiOrthogonalArray::FreeData() {
    std::vector<std::vector<int>>().swap(m_pLevel);
    std::vector<int>().swap(m_pColumnID);
    return 1;
}
