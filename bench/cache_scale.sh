#!/usr/bin/env bash
# The symbol cache, measured in one run: a search for a function (FOR,
# default "createfile", in exports, imports and delay loads; FOR='' is a
# search for every symbol) with the cache off (--no-cache), cold (emptied
# first) and warm (filled by the run before), on the corpus, on COPIES hard-linked copies of it, and on the
# corpus behind slow_fs.c (every read of file data waits SLOW_US
# microseconds, 1000 by default; listings and attributes answer at once).
# Each figure is the median of RUNS runs (default 3); each run's output is
# compared with the cache-free one. Also the cache's size per image.
#   bench/cache_scale.sh CORPUS_DIR [COPIES] [RUNS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/.." && pwd)
corpus=${1:?usage: bench/cache_scale.sh CORPUS_DIR [COPIES] [RUNS]}
copies=${2:-10}
runs=${3:-3}
shared=${TARNIX_SHARED:-$top/../shared}
[ -f "$corpus/files.txt" ] || bash "$shared/bench/corpus.sh" "$corpus"
cli=$top/build/release/src/tarnix-cli
work=$(mktemp -d)
mounted=
cleanup() {
  [ -z "$mounted" ] || fusermount3 -u "$mounted" 2>/dev/null || umount "$mounted" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_STATE_HOME=$work/home/.state
export XDG_CACHE_HOME=$work/home/.cache
mkdir -p "$HOME"

ms() { date +%s%N; }
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
# search FOLDER OUT [OPTIONS...]: wall milliseconds on stdout.
search() {
  local s e
  s=$(ms)
  "$cli" search "$1" /isf 1 /li 7 --for "${FOR-createfile}" --quiet "${@:3}" > "$2" 2> /dev/null || true
  e=$(ms)
  echo $(( (e - s) / 1000000 ))
}

# measure LABEL FOLDER: the three ways, RUNS times each.
measure() {
  local label=$1 folder=$2 off=() cold=() warm=() same=yes
  search "$folder" "$work/ref" --no-cache > /dev/null  # the file cache is warm for every way
  for _ in $(seq "$runs"); do
    off+=("$(search "$folder" "$work/out" --no-cache)")
    cmp -s "$work/ref" "$work/out" || same=NO
    "$cli" cache --clear > /dev/null
    cold+=("$(search "$folder" "$work/out")")
    cmp -s "$work/ref" "$work/out" || same=NO
    warm+=("$(search "$folder" "$work/out")")
    cmp -s "$work/ref" "$work/out" || same=NO
  done
  local o c w
  o=$(printf '%s\n' "${off[@]}" | median)
  c=$(printf '%s\n' "${cold[@]}" | median)
  w=$(printf '%s\n' "${warm[@]}" | median)
  echo "$label: --no-cache ${o} ms, cold ${c} ms, warm ${w} ms (medians of $runs)"
  awk -v o="$o" -v c="$c" -v w="$w" -v l="$label" 'BEGIN {
    printf "%s: warm/cold %.2f (%.1fx faster), warm/--no-cache %.2f, cold/--no-cache %.2f\n", l, w / c, c / w, w / o, c / o }'
  echo "$label: every output the same as --no-cache's: $same"
  "$cli" cache --stats | sed "s/^/$label: /"
}

echo "images in the corpus: $(wc -l < "$corpus/files.txt"); searching for \"${FOR-createfile}\""
measure corpus "$corpus"
big=$work/copies
mkdir -p "$big"
for n in $(seq 0 $((copies - 1))); do cp -al "$corpus" "$big/c$n"; done
measure "$copies copies" "$big"
rm -rf "$big"

. "$here/slow_mount.sh"
measure "slow reads (${slowUs} us before every read)" "$work/slow"
