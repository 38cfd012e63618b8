#!/usr/bin/env bash
# Times the details pass of a whole `tarnix-cli search`: every symbol of the
# corpus with --details (versions, descriptions, undecorated C++ names)
# against the same search without it, side by side in one run, warm cache,
# and prints the ratio. With BEFORE=path/to/another/tarnix-cli (an older
# build), that one's --details run is timed too (BEFORE_RUNS times, default
# 1: it may be slow), and the files both builds write with --details are
# compared byte for byte for a few searches.
#   [BEFORE=OLD_CLI] bench/details_vs_before.sh CORPUS_DIR [RUNS]
# CORPUS_DIR is laid out by ../shared/bench/corpus.sh when it has no files.txt.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/.." && pwd)
corpus=${1:?usage: [BEFORE=OLD_CLI] details_vs_before.sh CORPUS_DIR [RUNS]}
runs=${2:-5}
shared=${TARNIX_SHARED:-$top/../shared}
[ -f "$corpus/files.txt" ] || bash "$shared/bench/corpus.sh" "$corpus"
cli=$top/build/release/src/tarnix-cli
[ -x "$cli" ] || (cd "$top" && cmake --preset release >/dev/null && cmake --build --preset release --target tarnix-cli)
before=${BEFORE:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A fresh home: the settings are the defaults (undecoration on), and the
# user's own settings are never read or written.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_STATE_HOME=$work/home/.state
mkdir -p "$HOME"

# search BINARY OUTPUT FOR [--details]
search() { "$1" search "$corpus" /isf 1 --for "$3" --quiet --output "$2" "${@:4}"; }
# timed TIMES_FILE BINARY OUTPUT FOR [--details]: the same search, timed;
# appends "wall_ms cpu_ms" of the run.
timed() {
  local out=$1
  shift
  /usr/bin/time -f '%e %U %S' -o "$work/one.t" \
    "$1" search "$corpus" /isf 1 --for "$3" --quiet --output "$2" "${@:4}"
  awk '{ printf "%d %d\n", $1 * 1000, ($2 + $3) * 1000 }' "$work/one.t" >> "$out"
}
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
col() { cut -d' ' -f"$1" < "$2" | median; }

search "$cli" "$work/warm.txt" '*' --details  # warm the cache
: > "$work/plain.t"; : > "$work/details.t"
for _ in $(seq "$runs"); do
  timed "$work/plain.t" "$cli" "$work/plain.txt" '*'
  timed "$work/details.t" "$cli" "$work/details.txt" '*' --details
done
pw=$(col 1 "$work/plain.t"); pc=$(col 2 "$work/plain.t")
dw=$(col 1 "$work/details.t"); dc=$(col 2 "$work/details.t")

echo "images:   $(wc -l < "$corpus/files.txt")"
echo "results:  $(iconv -f UTF-16LE -t UTF-8 "$work/plain.txt" | tr '\r' '\n' | grep -c .)"
echo "search --for '*' --output:            median ${pw} ms wall, ${pc} ms cpu"
echo "search --for '*' --output --details:  median ${dw} ms wall, ${dc} ms cpu"
awk -v a="$dw" -v b="$pw" -v c="$dc" -v d="$pc" \
  'BEGIN { printf "ratio details/plain: %.2f wall, %.2f cpu\n", a / b, c / d }'

if [ -n "$before" ]; then
  : > "$work/before.t"
  for _ in $(seq "${BEFORE_RUNS:-1}"); do
    timed "$work/before.t" "$before" "$work/before.txt" '*' --details
  done
  bw=$(col 1 "$work/before.t"); bc=$(col 2 "$work/before.t")
  echo "before:   search --for '*' --output --details: median ${bw} ms wall, ${bc} ms cpu"
  awk -v a="$bw" -v b="$dw" -v c="$bc" -v d="$dc" \
    'BEGIN { printf "ratio before/now: %.1f wall, %.1f cpu\n", a / b, c / d }'
  # The same files, byte for byte: every symbol, a plain name, and C++ names
  # that the details pass undecorates.
  cmp -s "$work/before.txt" "$work/details.txt" && same="identical" || same="DIFFERENT"
  echo "--for '*' --details: $same"
  for f in 'createfile*' '*exception*' '*::*'; do
    search "$before" "$work/b.txt" "$f" --details
    search "$cli" "$work/n.txt" "$f" --details
    cmp -s "$work/b.txt" "$work/n.txt" && same="identical" || same="DIFFERENT"
    echo "--for '$f' --details: $same ($(stat -c %s "$work/n.txt") bytes)"
  done
fi
