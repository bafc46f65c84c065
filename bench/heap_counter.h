// Live and peak bytes of the process's operator new, for the benchmarks' memory figures.
// Counting replaces the global operator new and delete of the benchmark program (and so
// of the engine library it loads).
#pragma once

namespace qvrfc_bench {

// Bytes allocated with operator new and not yet released.
long long LiveHeapBytes();
// Starts a new peak at the bytes live now.
void ResetPeakHeapBytes();
// The most bytes live at once since the last reset.
long long PeakHeapBytes();

}  // namespace qvrfc_bench
