#!/usr/bin/env bash
# Times a whole `tarnix-cli search` against the minimal reference scanner
# (floor_scan.c: open, map, walk the import and export name tables) on the
# same images, side by side in one run, warm cache, and checks that Tarnix
# finds every name the scanner finds. The search reads images on its
# default number of threads (one per processor, up to 8); `--jobs 1` is
# timed too.
#
# Then, where FUSE can be used, the same search with one reader and with
# four on a folder where every file read is slow: slow_fs.c mounts the
# corpus read-only and sleeps SLOW_US microseconds (default 1000) before
# every read it answers, so that every page a mapping faults in waits, as on
# a network share or WSL's /mnt/c. The kernel keeps no page from one open
# to the next, so every run reads everything again.
#   bench/search_vs_floor.sh CORPUS_DIR [RUNS] [SLOW_RUNS]
# CORPUS_DIR is laid out by ../shared/bench/corpus.sh when it has no files.txt.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/.." && pwd)
corpus=$(cd "${1:?usage: search_vs_floor.sh CORPUS_DIR [RUNS] [SLOW_RUNS]}" && pwd)
runs=${2:-7}
slowRuns=${3:-3}
shared=${TARNIX_SHARED:-$top/../shared}
[ -f "$corpus/files.txt" ] || bash "$shared/bench/corpus.sh" "$corpus"
cli=$top/build/release/src/tarnix-cli
[ -x "$cli" ] || (cd "$top" && cmake --preset release >/dev/null && cmake --build --preset release --target tarnix-cli)
work=$(mktemp -d)
mounted=""
cleanup() {
  [ -z "$mounted" ] || fusermount3 -u "$mounted" 2>/dev/null || umount "$mounted" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
cc -O2 -o "$work/floor_scan" "$shared/bench/floor_scan.c"

floor() { "$work/floor_scan" createfile "$corpus/files.txt" > "$work/floor.out" 2>/dev/null; }
# tarnix FOLDER OUT [OPTIONS...]
tarnix() {
  "$cli" search "$1" /isf 1 /li 7 --for createfile --quiet --columns 0,4,3 "${@:3}" > "$2"
}
ms() { date +%s%N; }
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
# timed FILE COMMAND...: appends the command's wall milliseconds to FILE.
timed() {
  local file=$1 s e
  shift
  s=$(ms); "$@"; e=$(ms)
  echo $(( (e - s) / 1000000 )) >> "$file"
}

floor; tarnix "$corpus" "$work/tarnix.out" --undecorate 0  # warm the cache
: > "$work/f.t"; : > "$work/t.t"; : > "$work/u.t"; : > "$work/one.t"
for _ in $(seq "$runs"); do
  timed "$work/f.t" floor
  timed "$work/t.t" tarnix "$corpus" "$work/tarnix.out" --undecorate 0
  timed "$work/u.t" tarnix "$corpus" "$work/tarnix.u" --undecorate 1
  timed "$work/one.t" tarnix "$corpus" "$work/tarnix.1" --undecorate 0 --jobs 1
done
f=$(median < "$work/f.t"); t=$(median < "$work/t.t"); u=$(median < "$work/u.t"); one=$(median < "$work/one.t")

# Every (image, name) the scanner prints must be among Tarnix's results.
cut -f1,2 "$work/floor.out" | sort -u > "$work/floor.pairs"
awk -F'\t' '{print $2 $3 "\t" $1}' "$work/tarnix.out" | sort -u > "$work/tarnix.pairs"
missing=$(comm -23 "$work/floor.pairs" "$work/tarnix.pairs" | wc -l)

echo "images:              $(wc -l < "$corpus/files.txt")"
echo "floor_scan matches:  $(wc -l < "$work/floor.out")   median ${f} ms"
echo "tarnix-cli results:  $(wc -l < "$work/tarnix.out")   median ${t} ms (undecoration off, default readers)"
echo "tarnix-cli, undecoration on: median ${u} ms"
echo "tarnix-cli --jobs 1, undecoration off: median ${one} ms"
# The ratio of each run to the floor run just before it, then the median:
# a machine whose speed drifts moves both alike.
pair() { paste "$1" "$work/f.t" | awk '{print $1 / $2}' | median; }
printf "ratio tarnix/floor, median of the run-by-run ratios: %.2f (undecoration on: %.2f; one reader: %.2f)\n" \
  "$(pair "$work/t.t")" "$(pair "$work/u.t")" "$(pair "$work/one.t")"
awk -v f="$f" -v t="$t" -v u="$u" -v o="$one" 'BEGIN {
  printf "ratio of the medians: %.2f (undecoration on: %.2f; one reader: %.2f)\n", t / f, u / f, o / f }'
echo "names floor_scan found that tarnix-cli did not: $missing"
cmp -s "$work/tarnix.out" "$work/tarnix.1" && echo "one reader and the default write the same bytes: yes" ||
  echo "one reader and the default write the same bytes: NO"

# Slow reads: --jobs 1 against --jobs 4 on the corpus behind slow_fs.
. "$here/slow_mount.sh"
: > "$work/s1.t"; : > "$work/s4.t"
for _ in $(seq "$slowRuns"); do
  timed "$work/s1.t" tarnix "$work/slow" "$work/slow.1" --undecorate 0 --jobs 1
  timed "$work/s4.t" tarnix "$work/slow" "$work/slow.4" --undecorate 0 --jobs 4
done
s1=$(median < "$work/s1.t"); s4=$(median < "$work/s4.t")
echo "slow reads (${slowUs} us before every read): --jobs 1 median ${s1} ms, --jobs 4 median ${s4} ms"
awk -v a="$s1" -v b="$s4" 'BEGIN { printf "gain of --jobs 4 over --jobs 1 on slow reads: %.2fx\n", a / b }'
cmp -s "$work/slow.1" "$work/slow.4" && echo "one reader and four write the same bytes: yes" ||
  echo "one reader and four write the same bytes: NO"
