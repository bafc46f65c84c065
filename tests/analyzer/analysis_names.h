// Short names shared by the effect, ANOVA and prediction tests.
#pragma once

#include "analyzer/QVRFCDOEAnalyzer.h"

using Analyzer = CQVRFCDOEAnalyzer;
using Array = CQVRFCDOETaguchiOrthogonalArray;
constexpr auto kQuality = Analyzer::FACTOR_EFFECT_QUALITY;
constexpr auto kStdev = Analyzer::FACTOR_EFFECT_STDEV;
constexpr auto kSN = Analyzer::FACTOR_EFFECT_SN_RATIO;
