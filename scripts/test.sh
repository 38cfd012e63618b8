#!/usr/bin/env bash
# Sets up the machine if needed, builds the release and the sanitizer
# (ASan + UBSan) configurations and runs the whole test suite in both, then
# runs the tests of the threaded search engines under ThreadSanitizer.
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
# ThreadSanitizer: only the libraries and the five test programs that hold
# the threaded engines' tests (no windows, no benchmarks: about 230 of the
# tree's translation units) and only those tests (under two minutes of
# tests), each bounded, so that CI stays well within its time on two cores.
# TARNIX_TSAN=0 leaves it out.
if [ "${TARNIX_TSAN:-1}" != 0 ]; then
  echo "== tsan: the search engines and their threads" >&2
  cmake --preset tsan -DTARNIX_WERROR=$werror -DTARNIX_TESTS=ON >/dev/null
  cmake --build --preset tsan -j "$jobs" --target test_core test_platform test_symbolsearch test_errcode test_cli
  ctest --preset tsan -j "$jobs" --timeout 600 \
    -R '^(OrderedReaders|ReaderCount|MessagePoster|WorkerGroup|SearchWorker|ParallelSearch|SymbolCache|ErrorCode(Search|Walk)[A-Za-z]*|SearchCommand[A-Za-z]*)\.' \
    || status=1
fi
exit $status
