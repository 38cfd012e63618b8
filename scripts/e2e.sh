#!/usr/bin/env bash
# Drives the real tarnix window through its accessibility tree on a headless X server
# (the drivers in tests/e2e, run by the gui-drive harness in ../shared/gui-drive).
#
#   scripts/e2e.sh [--build-dir DIR] [--no-build] [DRIVER...]
#
# DRIVER is a name from tests/e2e (search_results, accessible_names, menus); default: all.
# Builds tarnix, tarnix-cli and tarnix-make-samples first unless --no-build, makes the
# sample images, runs each driver and prints a summary.
# Exit: 0 all passed, 1 some failed, 77 skipped (no Xvfb, dogtail, pyatspi or gui-drive).
set -uo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
build_dir=build/release
build=1
drivers=()
while [ $# -gt 0 ]; do
  case "$1" in
    --build-dir) build_dir=$2; shift 2 ;;
    --no-build) build=0; shift ;;
    -h|--help) sed -n '2,10p' "$0"; exit 0 ;;
    -*) echo "e2e: unknown option $1" >&2; exit 2 ;;
    *) drivers+=("$1"); shift ;;
  esac
done
case "$build_dir" in /*) ;; *) build_dir=$ROOT/$build_dir ;; esac
[ ${#drivers[@]} -eq 0 ] && drivers=(search_results accessible_names menus)

GUI_DRIVE=${TARNIX_GUI_DRIVE:-$ROOT/../shared/gui-drive}
skip() { echo "e2e: SKIPPED: $*" >&2; exit 77; }
[ -x "$GUI_DRIVE/run-gui.sh" ] || skip "no gui-drive harness at $GUI_DRIVE (set TARNIX_GUI_DRIVE)"
GUI_DRIVE=$(cd "$GUI_DRIVE" && pwd)
command -v Xvfb >/dev/null || skip "Xvfb is not installed (Debian package xvfb)"
for tool in xdotool import openbox dbus-daemon; do
  command -v "$tool" >/dev/null || skip "$tool is not installed"
done
[ -x /usr/libexec/at-spi-bus-launcher ] || skip "the AT-SPI bus is not installed (at-spi2-core)"
/usr/bin/python3 -c 'import dogtail, pyatspi' 2>/dev/null ||
  skip "Debian's /usr/bin/python3 cannot import dogtail and pyatspi (python3-dogtail, python3-pyatspi)"

if [ "$build" = 1 ]; then
  if [ ! -f "$build_dir/CMakeCache.txt" ]; then
    [ "$build_dir" = "$ROOT/build/release" ] || { echo "e2e: $build_dir is not configured" >&2; exit 1; }
    cmake --preset release >/dev/null || exit 1
  fi
  cmake --build "$build_dir" --target tarnix tarnix-cli tarnix-make-samples -j "$(nproc)" >/dev/null ||
    { echo "e2e: build failed" >&2; exit 1; }
fi
GUI=$build_dir/src/gui/tarnix
CLI=$build_dir/src/tarnix-cli
MAKE_SAMPLES=$build_dir/tests/tarnix-make-samples
for f in "$GUI" "$CLI" "$MAKE_SAMPLES"; do
  [ -x "$f" ] || { echo "e2e: $f is missing (build first)" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/tarnix-e2e.XXXXXX")
trap 'rm -rf "$work"' EXIT
samples=$work/samples
"$MAKE_SAMPLES" "$samples" >/dev/null || { echo "e2e: could not make the sample images" >&2; exit 1; }

failed=0
summary=()
for d in "${drivers[@]}"; do
  driver=$ROOT/tests/e2e/$d.py
  [ -f "$driver" ] || { echo "e2e: no driver $driver" >&2; exit 2; }
  out=$work/$d
  mkdir -p "$out"
  start=$(date +%s.%N)
  TARNIX_CLI=$CLI TARNIX_GUI_DRIVE=$GUI_DRIVE OUT=$out \
    "$GUI_DRIVE/run-gui.sh" "$driver" -- "$GUI" "$samples" >"$out/run.log" 2>&1
  rc=$?
  secs=$(awk -v a="$(date +%s.%N)" -v b="$start" 'BEGIN{printf "%.1f", a-b}')
  why=$(sed -n 's/^\[drive *[0-9.]*s\] \(FAIL .*\)$/\1/p' "$out/run.log" | tail -n1)
  if [ "$rc" = 0 ]; then
    summary+=("PASS  $d  ${secs}s")
  else
    failed=1
    # keep what the failed drive left (logs, screenshots, read.json)
    keep=$(mktemp -d "${TMPDIR:-/tmp}/tarnix-e2e-failed.XXXXXX")
    cp -r "$out/." "$keep/" 2>/dev/null
    summary+=("FAIL  $d  ${secs}s  rc=$rc ${why:-(see $keep/run.log)}  [$keep]")
    sed 's/^/    /' "$out/run.log" | tail -n 15 >&2
  fi
done
echo "e2e summary:"
printf '  %s\n' "${summary[@]}"
exit $failed
