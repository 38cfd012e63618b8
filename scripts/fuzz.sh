#!/usr/bin/env bash
# Builds the fuzz configuration and runs one libFuzzer target for a while.
# Usage: scripts/fuzz.sh TARGET SECONDS [LIBFUZZER OPTION...]
#   (e.g. scripts/fuzz.sh pe_reader_fuzz 600, scripts/fuzz.sh matcher_fuzz 600 -max_len=100000)
# The corpus grows in build/fuzz-corpus/TARGET; crashes land in
# build/fuzz-crashes/TARGET. The image reader's corpus starts from the
# sample images of tarnix-make-samples when it is empty.
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:?usage: scripts/fuzz.sh TARGET SECONDS}
seconds=${2:?usage: scripts/fuzz.sh TARGET SECONDS}
shift 2
scripts/setup.sh fuzz
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)" --target "$target"
corpus=build/fuzz-corpus/$target
crashes=build/fuzz-crashes/$target
mkdir -p "$corpus" "$crashes"
if [ "$target" = pe_reader_fuzz ] && [ -z "$(ls -A "$corpus")" ]; then
  cmake --preset release >/dev/null
  cmake --build --preset release -j "$(nproc)" --target tarnix-make-samples
  build/release/tests/tarnix-make-samples "$corpus"
fi
exec "build/fuzz/fuzz/$target" -max_total_time="$seconds" \
  -artifact_prefix="$crashes/" -print_final_stats=1 "$@" "$corpus"
