// CQVRFCDOETaguchiOrthogonalArray: the catalogue of standard Taguchi orthogonal
// arrays (L4 to L81) and an object that holds one of them in memory.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "qvrfc/common/CString.h"
#include "qvrfc/common/QVRFCExport.h"

class QVRFC_API CQVRFCDOETaguchiOrthogonalArray {
  public:
    // The array types of the catalogue; OA_FULL_FACTORIAL has a name but no table.
    enum OA_TYPE : std::int32_t {
        OA_UNDEFINED = -1,
        OA_L4 = 0,
        OA_L8,
        OA_L9,
        OA_L12,
        OA_L16,
        OA_L16A,
        OA_L18,
        OA_L25,
        OA_L27,
        OA_L32,
        OA_L32A,
        OA_L36,
        OA_L36A,
        OA_L50,
        OA_L54,
        OA_L64,
        OA_L64A,
        OA_L81,
        OA_FULL_FACTORIAL
    };

    // Level tables of the catalogue, [run][column], levels counted from 1.
    static const int m_pL4[4][3];
    static const int m_pL8[8][7];
    static const int m_pL9[9][4];
    static const int m_pL12[12][11];
    static const int m_pL16[16][15];
    static const int m_pL16a[16][5];
    static const int m_pL18[18][8];
    static const int m_pL25[25][6];
    static const int m_pL27[27][13];
    static const int m_pL32[32][31];
    static const int m_pL32a[32][10];
    static const int m_pL36[36][23];
    static const int m_pL36a[36][16];
    static const int m_pL50[50][12];
    static const int m_pL54[54][26];
    static const int m_pL64[64][63];
    static const int m_pL64a[64][21];
    static const int m_pL81[81][40];

    // Column assignment orders: entry i is the 1-based column of control factor i.
    // L64, L64' and L81 have none (factor i sits on column i).
    static const int m_pITL4[3];
    static const int m_pITL8[7];
    static const int m_pITL9[4];
    static const int m_pITL12[11];
    static const int m_pITL16[15];
    static const int m_pITL16a[5];
    static const int m_pITL18[8];
    static const int m_pITL25[6];
    static const int m_pITL27[13];
    static const int m_pITL32[31];
    static const int m_pITL32a[10];
    static const int m_pITL36[23];
    static const int m_pITL36a[16];
    static const int m_pITL50[12];
    static const int m_pITL54[26];

    // Catalogue counts by type; 0 for any value outside OA_L4..OA_L81.
    // GetNoLevel(type, -1) gives the maximum level count of a mixed array.
    static int GetNoRun(OA_TYPE type);
    static int GetNoFactor(OA_TYPE type);
    static int GetNoLevel(OA_TYPE type, int column);

    // The first type with nRun runs, or the default array for nFactor factors of nLevel levels;
    // OA_UNDEFINED when there is none.
    static OA_TYPE ArraySelector(int nRun);
    static OA_TYPE ArraySelector(int nFactor, int nLevel);

    // Construction makes an empty object (type OA_UNDEFINED, no matrix). Copies own their matrix.
    CQVRFCDOETaguchiOrthogonalArray();
    CQVRFCDOETaguchiOrthogonalArray(const CQVRFCDOETaguchiOrthogonalArray& source);
    CQVRFCDOETaguchiOrthogonalArray& operator=(const CQVRFCDOETaguchiOrthogonalArray& source);
    virtual ~CQVRFCDOETaguchiOrthogonalArray();

    // Rebuilds this object from the catalogue with the source's type and log folder; 0 for a
    // null source.
    int SetData(CQVRFCDOETaguchiOrthogonalArray* source);
    // Empties the object: no matrix, type OA_UNDEFINED, all counts 0.
    void ClearData();

    // Stores type, fills the table of that type and rewrites "QVRFCDOETaguchiMethod.log" in
    // the log folder; 1 when a table was set, 0 otherwise.
    int SetTable(OA_TYPE type);
    // The folder of the listing file that SetTable rewrites; null or "" (the default) is the
    // current directory. Copies, assigned objects and SetData take the source's folder, so a
    // copy writes where its source writes.
    void SetLogFolder(const char* folder);
    const char* GetLogFolder() const { return m_logFolder.c_str(); }
    // One setter per catalogue type; each returns 1, or 0 when no matrix could be made.
    // The full factorial setter changes nothing and returns 0.
    int SetL4Table();
    int SetL8Table();
    int SetL9Table();
    int SetL12Table();
    int SetL16Table();
    int SetL16aTable();
    int SetL18Table();
    int SetL25Table();
    int SetL27Table();
    int SetL32Table();
    int SetL32aTable();
    int SetL36Table();
    int SetL36aTable();
    int SetL50Table();
    int SetL54Table();
    int SetL64Table();
    int SetL64aTable();
    int SetL81Table();
    int SetFullFactorialTable();

    // Overwrites the factor and level counts only; no matrix is made or resized.
    void SetNoFactorAndLevel(int nFactor, int nLevel);

    // Level (from 1) at run and column; -100 outside the counts or the matrix held.
    int GetLevel(int run, int column) const;
    // 0-based column of control factor; -1 outside the columns or without column IDs.
    int GetColumnID(int factor) const;
    // Level count of a column from the catalogue entry of this object's type.
    int GetNoLevel(int column) const;

    int GetNoRun() const { return m_nRun; }
    int GetNoFactor() const { return m_nFactor; }
    int GetNoLevel() const { return m_nLevel; }
    OA_TYPE GetType() const { return m_eType; }
    OA_TYPE GetArrayID() const { return m_eType; }

    // "Taguchi Orthogonal Array " followed by the display name of the type.
    CString GetTypeString() const;
    CString GetArrayName() const;

    // Balance check of the matrix held; findings go to standard output. 1 pass, 0 fail.
    int CheckOrthogonality();

    // The readable listing into an open stream, or a time-stamped listing file that is
    // replaced whole; 0 when a write, the flush or the close failed.
    int Writer(FILE* stream, CString title);
    int Writer(CString fileName, CString creator);
    // Reads nRun x nFactor integers from inputFile and writes them as rows to outputFile.
    void ReadOrthogonalArray(int nRun, int nFactor, CString inputFile, CString outputFile);
    // The same with its result: 1 when every cell was read as a level that fits an int and the
    // rows were written; 0 when the input cannot be opened or read, a level is missing, is not
    // a whole number or does not fit an int (its cell stays 0), or the rows cannot be written.
    int ReadOrthogonalArrayFile(int nRun, int nFactor, CString inputFile, CString outputFile);

    // Self-tests: orthogonality over the catalogue, and the listing of one type.
    static int Test1(int bWriteTable, FILE* stream);
    static int Test2(int type, FILE* stream);

  protected:
    // Releases the matrix, stores the counts and makes an all-0 matrix with identity column
    // IDs (factor i on column i); 0 and no matrix for counts below 1 or a failed allocation.
    int AllocData(int nRun, int nFactor);
    // Releases the matrix and column IDs; counts and type are kept. Returns 1.
    int FreeData();

    OA_TYPE m_eType;
    int m_nFactor;
    int m_nLevel;
    int m_nRun;
    std::vector<std::vector<int>> m_pLevel;  // [run][column]; empty when no matrix is held
    std::vector<int> m_pColumnID;            // per control factor; empty when none
    std::string m_logFolder;                 // "" for the current directory

  private:
    // Copies the catalogue table of a type from OA_L4 to OA_L81 into the object;
    // 1 when the table was set, 0 for any other type or when no matrix could be made.
    int LoadCatalogueTable(OA_TYPE type);
};
