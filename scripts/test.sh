#!/usr/bin/env bash
# Sets up the machine if needed, builds the release and the sanitizer
# (ASan + UBSan) configurations and runs the whole test suite in both.
# Exits non-zero on any build or test failure.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh test
jobs=$(nproc)
werror=OFF; [ "${CI:-}" = "true" ] && werror=ON
status=0
for preset in release asan; do
  echo "== $preset: configure and build" >&2
  cmake --preset "$preset" -DTARNIX_WERROR=$werror -DTARNIX_TESTS=ON >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  echo "== $preset: tests" >&2
  ctest --preset "$preset" -j "$jobs" || status=1
done
exit $status
