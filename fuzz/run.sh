#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for a bounded time.
# Usage: fuzz/run.sh [seconds-per-target] [target ...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(load_data read_array containers call_sequence run_sheet experiment_file design workbook)

cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQVRFC_BUILD_FUZZ=ON -DQVRFC_BUILD_TESTS=OFF -DQVRFC_BUILD_CLI=OFF >/dev/null
cmake --build build-fuzz -j2 --target $(printf 'fuzz_%s ' "${targets[@]}")

mkdir -p build-fuzz/artifacts
for target in "${targets[@]}"; do
  work=$(mktemp -d)
  cp -r "fuzz/corpus/$target/." "$work/"
  echo "== fuzz_$target for ${seconds}s"
  status=0
  "build-fuzz/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$PWD/build-fuzz/artifacts/$target-" -print_final_stats=1 "$work" \
    >"build-fuzz/fuzz_$target.log" 2>&1 || status=$?
  tail -n 8 "build-fuzz/fuzz_$target.log"
  rm -rf "$work"
  if [ "$status" -ne 0 ]; then
    echo "fuzz_$target found a problem (log: build-fuzz/fuzz_$target.log, input in build-fuzz/artifacts/)"
    exit 1
  fi
done
echo "fuzzing: all targets ran clean"
