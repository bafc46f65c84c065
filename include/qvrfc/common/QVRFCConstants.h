// Numeric conventions shared by every part of the engine.
#pragma once

namespace qvrfc {

// Stored in a slot or cache to mark a missing observation or a statistic not yet computed.
constexpr double kMissingValue = 2e12;
// Any value strictly greater than this is missing (observations) or not computed (caches).
constexpr double kMissingThreshold = 1e12;
// Guards divisions and logarithms throughout the analysis.
constexpr double kNearZero = 1e-8;
// Two factor effects closer than this share one rank.
constexpr double kRankTolerance = 1e-6;

inline bool IsMissing(double value) {
    return value > kMissingThreshold;
}

}  // namespace qvrfc
