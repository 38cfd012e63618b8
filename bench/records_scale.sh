#!/usr/bin/env bash
# Results at the scale of a whole Windows folder, side by side in one run
# with an older build of tarnix-cli (BEFORE), on ten hard-linked copies of
# the corpus (some 14,000 images and 2.7 million results for every symbol).
#   BEFORE=OLD_CLI [BEFORE_GUI=OLD_GUI_TIMING] bench/records_scale.sh CORPUS_DIR [COPIES]
# Prints, for now and before: the time and peak memory of the search that
# writes each result as it comes, of --sort 0 (Function Name) and --sort 4
# (Folder), of --details (and its time and peak memory against the
# streaming search's, the median of PAIRS alternating pairs); the bytes per result the sorted search keeps
# (its peak memory less the streaming search's, per result); and the
# window's timing (tarnix-gui-timing search) on the same folder.
# With COMPARE=1 it first checks that both builds write the same bytes on
# CORPUS_DIR itself: tab-separated and JSON output of every column, the text
# export, the HTML report (its date and run times set aside), and the
# sorted output of every column both ways with --details.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/.." && pwd)
corpus=${1:?usage: BEFORE=OLD_CLI bench/records_scale.sh CORPUS_DIR [COPIES]}
copies=${2:-10}
shared=${TARNIX_SHARED:-$top/../shared}
[ -f "$corpus/files.txt" ] || bash "$shared/bench/corpus.sh" "$corpus"
cli=$top/build/release/src/tarnix-cli
gui=$top/build/release/bench/tarnix-gui-timing
before=${BEFORE:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_STATE_HOME=$work/home/.state
mkdir -p "$HOME"
all=0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15

if [ "${COMPARE:-0}" = 1 ] && [ -n "$before" ]; then
  same() { cmp -s "$1" "$2" && echo identical || echo DIFFERENT; }
  run() { "$1" search "$corpus" /isf 1 --for '' --quiet --columns $all "${@:2}"; }
  run "$before" > "$work/b" && run "$cli" > "$work/n"
  echo "tsv, every column ($(wc -l < "$work/n") lines): $(same "$work/b" "$work/n")"
  run "$before" --format json > "$work/b" && run "$cli" --format json > "$work/n"
  echo "json: $(same "$work/b" "$work/n")"
  run "$before" --output "$work/b.txt" && run "$cli" --output "$work/n.txt"
  echo "text export: $(same "$work/b.txt" "$work/n.txt")"
  run "$before" --details --output "$work/b.txt" && run "$cli" --details --output "$work/n.txt"
  echo "text export with --details: $(same "$work/b.txt" "$work/n.txt")"
  # The report's date and run times differ from run to run.
  norm() { sed -E 's/Generated: <\/td><td>[^<]*/Generated: X/; s/(Finished<\/span> in )[^<]*/\1X/; s/^Search Finished in .*/Search Finished in X/' "$1"; }
  run "$before" --details --output "$work/b.html" && run "$cli" --details --output "$work/n.html"
  norm "$work/b.html" > "$work/b" && norm "$work/n.html" > "$work/n"
  echo "HTML report with --details: $(same "$work/b" "$work/n")"
  for c in $(seq 0 15); do
    for d in asc desc; do
      run "$before" --details --sort "$c:$d" > "$work/b" && run "$cli" --details --sort "$c:$d" > "$work/n"
      echo "--details --sort $c:$d: $(same "$work/b" "$work/n")"
    done
  done
fi

big=$work/copies
mkdir -p "$big"
for n in $(seq 0 $((copies - 1))); do cp -al "$corpus" "$big/c$n"; done

# timed LABEL BINARY ARGS...: wall seconds and peak resident KiB of a
# search for every symbol of the copies.
timed() {
  local label=$1 bin=$2
  shift 2
  /usr/bin/time -f '%e %M' -o "$work/t" "$bin" search "$big" /isf 1 --for '' --quiet "$@" > /dev/null 2> "$work/err" || true
  read -r secs kib < "$work/t"
  printf '%-44s %7.2f s %9d KiB\n' "$label" "$secs" "$kib"
  echo "$secs $kib" > "$work/last"
}
"$cli" search "$big" /isf 1 --for '' --quiet > /dev/null 2>&1  # warm the cache
results=$("$cli" search "$big" /isf 1 --for '' --quiet | wc -l)
echo "images: $(( $(wc -l < "$corpus/files.txt") * copies )), results: $results"
for who in now before; do
  bin=$cli
  [ $who = before ] && bin=$before
  [ -n "$bin" ] || continue
  timed "$who: search (streaming)" "$bin"
  read -r _ stream < "$work/last"
  cp "$work/last" "$work/stream"
  timed "$who: search --sort 0" "$bin" --sort 0
  read -r _ sorted < "$work/last"
  awk -v a="$sorted" -v b="$stream" -v n="$results" -v w="$who" \
    'BEGIN { printf "%s: --sort 0 keeps %.1f bytes per result\n", w, (a - b) * 1024 / n }'
  timed "$who: search --sort 4" "$bin" --sort 4
  timed "$who: search --details" "$bin" --details
  # One pair of runs moves with the machine's load: the ratios are the
  # median of PAIRS (default 5) alternating pairs.
  : > "$work/ratios"
  for _ in $(seq "${PAIRS:-5}"); do
    timed "$who: search (streaming)" "$bin" > /dev/null
    read -r ss sk < "$work/last"
    timed "$who: search --details" "$bin" --details > /dev/null
    read -r ds dk < "$work/last"
    awk -v a="$ds" -v b="$ss" -v c="$dk" -v d="$sk" 'BEGIN { printf "%.4f %.4f\n", a / b, c / d }' >> "$work/ratios"
  done
  sort -n -k1,1 "$work/ratios" | awk -v w="$who" '{ t[NR] = $1 } END { m = t[int((NR + 1) / 2)];
    printf "%s: --details takes %.2fx the streaming search'"'"'s time (median of %d pairs; %.2f..%.2f)\n", w, m, NR, t[1], t[NR] }'
  sort -n -k2,2 "$work/ratios" | awk -v w="$who" '{ k[NR] = $2 } END {
    printf "%s: --details takes %.2fx its peak memory (median)\n", w, k[int((NR + 1) / 2)] }'
done
if [ -x "$gui" ]; then
  echo "now, the window:"
  QT_QPA_PLATFORM=offscreen "$gui" search "$big" "$cli" 2>/dev/null
fi
if [ -n "${BEFORE_GUI:-}" ]; then
  echo "before, the window:"
  QT_QPA_PLATFORM=offscreen "$BEFORE_GUI" search "$big" "$before" 2>/dev/null
fi
