#include "scenarios/ScenarioData.h"

namespace qvrfc {
namespace scenario {

const double kDataSetB[kDataSetBRuns][kDataSetBValues] = {
    {69.7, 72.4, 55.0, 65.3, 68.7},      {78.6, 75.3, 67.2, 70.3, 72.3},
    {74.6, 70.2, 65.3, 71.6, 68.9},      {83.2, 90.2, 75.4, 88.1, 91.3},
    {93.6, 93.4, 104.8, 101.3, 97.8},    {98.3, 105.0, 115.0, 108.6, 110.3},
    {124.0, 110.0, 122.9, 115.3, 117.8}, {117.0, 101.0, 113.0, 105.6, 114.6},
    {114.0, 111.0, 109.3, 105.3, 107.5}};

const double kDataSetC[kDataSetCRuns][kDataSetCValues] = {
    {10.18, 10.18, 10.12, 10.06, 10.02, 9.98, 10.20},
    {10.03, 10.01, 9.98, 9.96, 9.91, 9.89, 10.12},
    {9.81, 9.78, 9.74, 9.74, 9.71, 9.68, 9.87},
    {10.09, 10.08, 10.07, 9.99, 9.92, 9.88, 10.14},
    {10.06, 10.05, 10.05, 9.89, 9.85, 9.78, 10.12},
    {10.20, 10.19, 10.18, 10.17, 10.14, 10.13, 10.22},
    {9.91, 9.88, 9.88, 9.84, 9.82, 9.80, 9.93},
    {10.32, 10.28, 10.25, 10.20, 10.18, 10.18, 10.36},
    {10.04, 10.02, 10.01, 9.98, 9.95, 9.89, 10.11},
    {10.00, 9.98, 9.93, 9.80, 9.77, 9.70, 10.15},
    {9.97, 9.97, 9.91, 9.88, 9.87, 9.85, 10.05},
    {10.06, 9.94, 9.90, 9.88, 9.80, 9.72, 10.12},
    {10.15, 10.08, 10.04, 9.98, 9.91, 9.90, 10.22},
    {9.91, 9.87, 9.86, 9.87, 9.85, 9.80, 10.02},
    {10.02, 10.00, 9.95, 9.92, 9.78, 9.71, 10.06},
    {10.08, 10.00, 9.99, 9.95, 9.92, 9.85, 10.14},
    {10.07, 10.02, 9.89, 9.89, 9.85, 9.76, 10.19},
    {10.10, 10.08, 10.05, 9.99, 9.97, 9.95, 10.12}};

namespace {

const double kNominalFirst[] = {0.55, 0.67, 0.70, 0.54, 0.41, 0.32, 0.46, 0.66};
const double kNominalSecond[] = {0.37, 0.41, 0.37, 0.43, 0.39, 0.35, 0.40, 0.36};
const double kSmaller[] = {0.64, 0.56, 0.71, 0.55, 0.59, 0.75, 0.64, 0.76};
const double kLarger[] = {17, 21, 30, 12, 10, 24, 16, 27};

}  // namespace

// Runs 3 and 4 evaluate the first run of data set C with two nominal-the-best types.
const SNRatioRun kSNRatioRuns[kSNRatioRunCount] = {
    {kNominalFirst, 8, CQVRFCDOEAnalyzer::NOMINAL_THE_BEST_1, 0.5},
    {kNominalSecond, 8, CQVRFCDOEAnalyzer::NOMINAL_THE_BEST_1, 0.5},
    {kDataSetC[0], kDataSetCValues, CQVRFCDOEAnalyzer::NOMINAL_THE_BEST_2, 0.0},
    {kDataSetC[0], kDataSetCValues, CQVRFCDOEAnalyzer::NOMINAL_THE_BEST_3, 0.0},
    {kSmaller, 8, CQVRFCDOEAnalyzer::SMALLER_THE_BETTER, 0.0},
    {kLarger, 8, CQVRFCDOEAnalyzer::LARGER_THE_BETTER, 0.0}};

}  // namespace scenario
}  // namespace qvrfc
