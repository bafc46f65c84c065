// QVRFCDOEEngine: one include for the engine and the layers above it. The orthogonal array
// catalogue and object, the experiment analyzer with its reports, the run quality
// containers, the statistics class; the experiment in names (design, experiment file, run
// sheet), the verdict, the analysis (one Analysis value from a data file or run sheet), the
// charts, the reporters and the output folder's writer. Link the layers too
// (QVRFCDOEEngine::QVRFCDOEResults brings all).
#pragma once

#include "qvrfc/analysis/Analysis.h"
#include "qvrfc/analyzer/QVRFCDOEAnalyzer.h"
#include "qvrfc/analyzer/QVRFCDOEDataFileReader.h"
#include "qvrfc/arrays/QVRFCDOETaguchiOrthogonalArray.h"
#include "qvrfc/charts/ChartsOfAnalysis.h"
#include "qvrfc/common/CString.h"
#include "qvrfc/common/QVRFCConstants.h"
#include "qvrfc/common/QVRFCDoubleArray.h"
#include "qvrfc/common/QVRFCError.h"
#include "qvrfc/common/QVRFCExport.h"
#include "qvrfc/common/QVRFCFileSet.h"
#include "qvrfc/common/QVRFCPlatform.h"
#include "qvrfc/containers/QVRFCDOERunQualityData.h"
#include "qvrfc/containers/QVRFCDOERunQualityFactorData.h"
#include "qvrfc/experiment/ExperimentFile.h"
#include "qvrfc/experiment/RunSheet.h"
#include "qvrfc/inference/Verdict.h"
#include "qvrfc/results/AnalysisFiles.h"
#include "qvrfc/results/HtmlReport.h"
#include "qvrfc/results/ResultsJson.h"
#include "qvrfc/results/Summary.h"
#include "qvrfc/results/VerdictReport.h"
#include "qvrfc/statistics/QVRFCStatistics.h"
