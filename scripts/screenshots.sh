#!/usr/bin/env bash
# Builds the release configuration and writes a PNG of every window of the
# desktop program into build/screenshots/ (offscreen, DejaVu fonts): on a
# 1280x800 screen in the light palette and in a dark one, on a 1024x768
# and an 800x600 screen, on a 1920x1080 screen at 150 % and at 200 %.
#   scripts/screenshots.sh [--appstream]
# --appstream then copies the pictures the AppStream file names into
# res/screenshots/, where the software centre's entry finds them.
set -euo pipefail
cd "$(dirname "$0")/.."
appstream=0
[ "${1:-}" = --appstream ] && appstream=1
scripts/setup.sh test
cmake --preset release -DTARNIX_TESTS=ON >/dev/null
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
# The offscreen platform's screen, WIDTHxHEIGHT.
screen() {
  printf '{"screens":[{"name":"S","x":0,"y":0,"width":%s,"height":%s,"logicalDpiX":96,"logicalDpiY":96}]}' \
    "${1%x*}" "${1#*x}" > "$home/screen-$1.json"
  echo "offscreen:configfile=$home/screen-$1.json"
}
run() {
  local size=$1; shift
  rm -rf "$home/config" "$home/state"
  env HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_STATE_HOME="$home/state" \
      XDG_RUNTIME_DIR="$home/run" QT_QPA_PLATFORM="$(screen "$size")" LANG=C.UTF-8 TZ=UTC "$@" >/dev/null
}
mkdir -p "$home/run" && chmod 700 "$home/run"
run 1280x800 "$shots" "$out" "$samples"
run 1280x800 "$shots" "$out" "$samples" --dark
run 1024x768 "$shots" "$out/1024x768" "$samples"
run 800x600 "$shots" "$out/800x600" "$samples"
run 1920x1080 env QT_SCALE_FACTOR=1.5 "$shots" "$out/150" "$samples"
run 1920x1080 env QT_SCALE_FACTOR=2 "$shots" "$out/200" "$samples"
echo "$(find "$out" -name '*.png' | wc -l) pictures in $out/" >&2
if [ "$appstream" = 1 ]; then
  # The software centre's pictures show a short folder that stays the same
  # from run to run rather than this checkout's build folder.
  fixed=${TMPDIR:-/tmp}/tarnix-pictures
  rm -rf "$fixed"
  mkdir -p "$fixed/samples"
  build/release/tests/tarnix-make-samples "$fixed/samples" >/dev/null
  run 1280x800 "$shots" "$fixed/out" "$fixed/samples" MainWindow ErrCodeSearch ImageInfo
  mkdir -p res/screenshots
  for name in $(grep -o '/[a-z0-9-]*\.png' res/io.github.tarnix.Tarnix.metainfo.xml.in); do
    cp "$fixed/out$name" res/screenshots/
  done
  rm -rf "$fixed"
  echo "AppStream pictures in res/screenshots/: $(ls res/screenshots | tr '\n' ' ')" >&2
fi
