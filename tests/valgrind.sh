#!/usr/bin/env bash
# Runs every test program of a build once under valgrind memcheck; fails on any
# memory error or leak. Usage: tests/valgrind.sh [build-dir]
# Death tests fork: the child runs under memcheck too, and an error there turns its
# exit status into 99, which fails the death test's expected status.
set -euo pipefail
build=${1:-build}
failed=0
mapfile -t programs < <(find "$build/tests" -maxdepth 1 -type f -executable -name '*_test' | sort)
[ ${#programs[@]} -gt 0 ] || { echo "no test programs under $build/tests"; exit 1; }
for program in "${programs[@]}"; do
  echo "== valgrind $(basename "$program")"
  if ! valgrind --quiet --error-exitcode=99 --leak-check=full --show-leak-kinds=definite,indirect \
      --suppressions="$(dirname "$0")/valgrind.supp" \
      --errors-for-leak-kinds=definite,indirect --child-silent-after-fork=yes \
      "$program" --gtest_brief=1 >"$build/valgrind-$(basename "$program").log" 2>&1; then
    tail -n 30 "$build/valgrind-$(basename "$program").log"
    failed=1
  fi
done
[ "$failed" -eq 0 ] && echo "valgrind: no leak and no error" || { echo "valgrind: failures above"; exit 1; }
