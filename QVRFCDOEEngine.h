// QVRFCDOEEngine: one include for the whole engine. The orthogonal array
// catalogue and object, the experiment analyzer with its reports, the run
// quality containers, the statistics class, and the string and array types
// of their signatures.
#pragma once

#include "analyzer/QVRFCDOEAnalyzer.h"
#include "arrays/QVRFCDOETaguchiOrthogonalArray.h"
#include "common/CString.h"
#include "common/QVRFCConstants.h"
#include "common/QVRFCDoubleArray.h"
#include "common/QVRFCExport.h"
#include "common/QVRFCPlatform.h"
#include "containers/QVRFCDOERunQualityData.h"
#include "containers/QVRFCDOERunQualityFactorData.h"
#include "statistics/QVRFCStatistics.h"
