#!/usr/bin/env bash
# A folder of 100,000 empty ".dll" files: every file gives one status line
# ("Warning: Searching file: ..."). Times `tarnix-cli search` over it (the
# lines printed to stderr, as a user sees them), then the window's search of
# the same folder with tarnix-gui-timing (which also runs the CLI side by
# side and prints the ratio).
#   bench/status_lines_100k.sh [COUNT] [RUNS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/.." && pwd)
count=${1:-100000}
runs=${2:-3}
build=$top/build/release
cli=$build/src/tarnix-cli
timing=$build/bench/tarnix-gui-timing
[ -x "$cli" ] || (cd "$top" && cmake --preset release >/dev/null && cmake --build --preset release -j2 --target tarnix-cli)
work=$(mktemp -d)
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/files" "$HOME"
(cd "$work/files" && seq 1 "$count" | sed 's/$/.dll/' | xargs touch)

ms() { date +%s%N; }
best=
for _ in $(seq "$runs"); do
  start=$(ms)
  "$cli" search "$work/files" > /dev/null 2> "$work/stderr.txt" || true
  t=$(( ($(ms) - start) / 1000000 ))
  [ -z "$best" ] || [ "$t" -lt "$best" ] && best=$t
done
lines=$(grep -c 'Searching file' "$work/stderr.txt" || true)
echo "files:                 $count"
echo "tarnix-cli search:     ${best} ms (best of $runs, $lines status lines on stderr)"

if [ -x "$timing" ]; then
  QT_QPA_PLATFORM=offscreen timeout 900 "$timing" search "$work/files" "$cli" 2>/dev/null
else
  echo "window: build tarnix-gui-timing (cmake --build --preset release --target tarnix-gui-timing)"
fi
