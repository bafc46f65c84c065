// CQVRFCDOEDataFileReader: reads a quality data file once, checks it whole and says where
// and why it is refused. Reading has no side effects; CQVRFCDOEAnalyzer::LoadData(reader)
// then sets up the experiment and takes the observations over without reading again.
//
// The file holds white-space separated numbers: the run count, the quality count and one
// unused whole number, then for each quality and each of its runs the observation count
// (0 or below: no observations) followed by that many finite observations.
#pragma once

#include <string>
#include <vector>

#include "qvrfc/arrays/QVRFCDOETaguchiOrthogonalArray.h"
#include "qvrfc/common/QVRFCExport.h"

class QVRFC_API CQVRFCDOEDataFileReader {
  public:
    using OA_TYPE = CQVRFCDOETaguchiOrthogonalArray::OA_TYPE;

    // Where and why a file was refused. Line, quality and run count from 1; each is 0 where
    // the fault lies at none (a file that cannot be read or ends early has no line).
    struct Problem {
        int line = 0;
        int quality = 0;
        int run = 0;
        std::string cause;  // one sentence without the file name; empty after a good read
    };

    CQVRFCDOEDataFileReader();
    ~CQVRFCDOEDataFileReader();
    CQVRFCDOEDataFileReader(const CQVRFCDOEDataFileReader&) = delete;
    CQVRFCDOEDataFileReader& operator=(const CQVRFCDOEDataFileReader&) = delete;

    // Choices made before Read. The array: OA_UNDEFINED (the default) takes the first
    // catalogue array with the file's run count; any other must have that run count.
    // Surplus: numbers after the announced data are refused (the default) or left unread.
    void SetArrayType(OA_TYPE type) { m_requestedType = type; }
    void SetRefuseSurplus(bool refuse) { m_refuseSurplus = refuse; }

    // Reads and checks the whole file; false with GetProblem() telling why. Never throws.
    bool Read(const char* fileName);
    const Problem& GetProblem() const { return m_problem; }
    // "'FILE' line N: cause", or "'FILE': cause" when the fault has no line.
    std::string Describe(const char* fileName) const;

    // The experiment a good read found.
    int GetNoRun() const { return m_nRun; }
    int GetNoQuality() const { return m_nQuality; }
    OA_TYPE GetArrayType() const { return m_type; }
    // Observations of a run (quality and run from 0); the analyzer takes them when loading.
    std::vector<double>& RunValues(int quality, int run);

    // The catalogue for messages: its run counts as "4, 8, 9, ... or 81", the short name
    // of an array ("L16'(4^5)"), and the arrays of a run count in catalogue order.
    static std::string RunCountList();
    static std::string ArrayName(OA_TYPE type);
    static std::vector<OA_TYPE> ArraysWithRuns(int runs);

  private:
    class Parser;

    OA_TYPE m_requestedType = CQVRFCDOETaguchiOrthogonalArray::OA_UNDEFINED;
    bool m_refuseSurplus = true;
    Problem m_problem;
    int m_nRun = 0;
    int m_nQuality = 0;
    OA_TYPE m_type = CQVRFCDOETaguchiOrthogonalArray::OA_UNDEFINED;
    std::vector<std::vector<double>> m_values;  // quality-major: all runs of quality 1, ...
};
