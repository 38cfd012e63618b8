#!/usr/bin/env bash
# Builds one configuration (default: release). Usage: scripts/build.sh [PRESET]
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-release}
# A whole configuration holds the tests and benchmarks: their tools too.
case "$preset" in fuzz) scripts/setup.sh fuzz ;; *) scripts/setup.sh test ;; esac
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j "$(nproc)"
