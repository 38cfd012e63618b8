#!/usr/bin/env bash
# What `tarnix-cli search` holds and prints where every file gives a status
# line: a folder of COUNT empty ".dll" files (200,000 by default; one error
# line each), and a tree holding a link to "/" (the whole file system walked
# once, every loop and second way to a folder reported). Prints the peak
# memory (/usr/bin/time's maximum resident set size), the wall time and how
# many lines went to stderr. BEFORE=OLD_CLI runs an older build the same way.
#   [BEFORE=OLD_CLI] bench/search_memory_scale.sh [COUNT]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/.." && pwd)
count=${1:-200000}
cli=$top/build/release/src/tarnix-cli
[ -x "$cli" ] || (cd "$top" && cmake --preset release >/dev/null && cmake --build --preset release -j2 --target tarnix-cli)
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (Debian package time)" >&2; exit 77; }
work=$(mktemp -d)
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state XDG_RUNTIME_DIR=$work/run
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/files" "$work/root" "$HOME" "$XDG_RUNTIME_DIR"
(cd "$work/files" && seq 1 "$count" | sed 's/$/.dll/' | xargs touch)
ln -s / "$work/root/link-to-root"

# run LABEL CLI ARGS...: one search, its figures on one line.
run() {
  local label=$1 bin=$2
  shift 2
  /usr/bin/time -f '%M %e' -o "$work/time.txt" timeout 1200 "$bin" search "$@" \
    > /dev/null 2> "$work/stderr.txt" || true
  read -r kb seconds < <(tail -n 1 "$work/time.txt")
  printf '%-34s peak %6d MB  %7.2f s  %8d stderr lines\n' "$label" $((kb / 1024)) "$seconds" \
    "$(wc -l < "$work/stderr.txt")"
}

for name in now ${BEFORE:+before}; do
  bin=$cli
  [ "$name" = before ] && bin=$BEFORE
  run "$name: $count empty files" "$bin" "$work/files" --name '*.dll' --for x
  run "$name: $count empty files, --quiet" "$bin" "$work/files" --name '*.dll' --for x --quiet
  run "$name: a link to /" "$bin" "$work/root" /isf 1 --name '*.dll' --for x
done
