#!/usr/bin/env bash
# Builds the release configuration and writes a PNG of every window of the
# desktop program into build/screenshots/ (offscreen, fixed sizes, DejaVu
# fonts): once in the light palette, once in a dark one, and once at 200 %.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target tarnix-screenshots tarnix-make-samples
out=build/screenshots
samples=build/screenshots/samples
rm -rf "$out"
mkdir -p "$samples"
build/release/tests/tarnix-make-samples "$samples" >/dev/null
# A home of its own, so that no stored placement or history changes the pictures.
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
shots=build/release/tests/tarnix-screenshots
run() {
  rm -rf "$home/config" "$home/state"
  env HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_STATE_HOME="$home/state" \
      XDG_RUNTIME_DIR="$home/run" QT_QPA_PLATFORM=offscreen LANG=C.UTF-8 TZ=UTC "$@" >/dev/null
}
mkdir -p "$home/run" && chmod 700 "$home/run"
run "$shots" "$out" "$samples"
run "$shots" "$out" "$samples" --dark
run env QT_SCALE_FACTOR=2 "$shots" "$out/200" "$samples"
echo "$(find "$out" -name '*.png' | wc -l) pictures in $out/" >&2
