#!/usr/bin/env bash
# Times a whole `tarnix-cli search` against the minimal reference scanner
# (floor_scan.c: open, map, walk the import and export name tables) on the
# same images, side by side in one run, warm cache, and checks that Tarnix
# finds every name the scanner finds.
#   bench/search_vs_floor.sh CORPUS_DIR [RUNS]
# CORPUS_DIR is laid out by ../shared/bench/corpus.sh when it has no files.txt.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/.." && pwd)
corpus=${1:?usage: search_vs_floor.sh CORPUS_DIR [RUNS]}
runs=${2:-7}
shared=${TARNIX_SHARED:-$top/../shared}
[ -f "$corpus/files.txt" ] || bash "$shared/bench/corpus.sh" "$corpus"
cli=$top/build/release/src/tarnix-cli
[ -x "$cli" ] || (cd "$top" && cmake --preset release >/dev/null && cmake --build --preset release --target tarnix-cli)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cc -O2 -o "$work/floor_scan" "$shared/bench/floor_scan.c"

floor() { "$work/floor_scan" createfile "$corpus/files.txt" > "$work/floor.out" 2>/dev/null; }
tarnix() {
  "$cli" search "$corpus" /isf 1 /li 7 --for createfile --undecorate "${UNDECORATE:-0}" --quiet \
    --columns 0,4,3 > "$work/tarnix.out"
}
ms() { date +%s%N; }
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

floor; tarnix  # warm the cache
: > "$work/f.t"; : > "$work/t.t"; : > "$work/u.t"
for _ in $(seq "$runs"); do
  s=$(ms); floor; e=$(ms); echo $(( (e - s) / 1000000 )) >> "$work/f.t"
  s=$(ms); UNDECORATE=0 tarnix; e=$(ms); echo $(( (e - s) / 1000000 )) >> "$work/t.t"
  s=$(ms); UNDECORATE=1 tarnix; e=$(ms); echo $(( (e - s) / 1000000 )) >> "$work/u.t"
done
f=$(median < "$work/f.t"); t=$(median < "$work/t.t"); u=$(median < "$work/u.t")

# Every (image, name) the scanner prints must be among Tarnix's results.
cut -f1,2 "$work/floor.out" | sort -u > "$work/floor.pairs"
UNDECORATE=0 tarnix
awk -F'\t' '{print $2 $3 "\t" $1}' "$work/tarnix.out" | sort -u > "$work/tarnix.pairs"
missing=$(comm -23 "$work/floor.pairs" "$work/tarnix.pairs" | wc -l)

echo "images:              $(wc -l < "$corpus/files.txt")"
echo "floor_scan matches:  $(wc -l < "$work/floor.out")   median ${f} ms"
echo "tarnix-cli results:  $(wc -l < "$work/tarnix.out")   median ${t} ms (undecoration off)"
echo "tarnix-cli, undecoration on: median ${u} ms"
awk -v f="$f" -v t="$t" -v u="$u" 'BEGIN { printf "ratio tarnix/floor: %.2f (undecorated: %.2f)\n", t / f, u / f }'
echo "names floor_scan found that tarnix-cli did not: $missing"
