// QVRFCDOEEngine: one include for the whole engine. The orthogonal array
// catalogue and object, the experiment analyzer with its reports, and the
// string and array types of their signatures.
#pragma once

#include "analyzer/QVRFCDOEAnalyzer.h"
#include "arrays/QVRFCDOETaguchiOrthogonalArray.h"
#include "common/CString.h"
#include "common/QVRFCConstants.h"
#include "common/QVRFCDoubleArray.h"
#include "common/QVRFCExport.h"
#include "common/QVRFCPlatform.h"
