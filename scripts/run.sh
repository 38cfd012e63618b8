#!/usr/bin/env bash
# The main job: sets up the machine if needed, builds the release
# configuration, writes the sample images into build/release/samples and
# lists every symbol in them with `tarnix-cli symbols`.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)"
samples=build/release/samples
build/release/tests/tarnix-make-samples "$samples"
build/release/src/tarnix-cli symbols "$samples"/*
