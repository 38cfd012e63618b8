#!/usr/bin/env bash
# Times `tarnix-cli undecorate` against `llvm-undname` as whole processes over
# the same input: the decorated export names (leading "?") of every image of
# a corpus. Prints both times and the ratio llvm-undname / tarnix-cli.
#
# Usage: bench/undname_vs_llvm.sh CORPUS_DIR [RUNS]
#   CORPUS_DIR  folder with files.txt (one image path a line); when it has no
#               files.txt, the corpus script (TARNIX_CORPUS_SCRIPT, default
#               ../shared/bench/corpus.sh beside the checkout) lays it out.
#   RUNS        timed runs of each tool (default 10).
# Environment: TARNIX_CLI (default build/release/src/tarnix-cli).
set -euo pipefail
corpus=${1:?usage: undname_vs_llvm.sh CORPUS_DIR [RUNS]}
runs=${2:-10}
root=$(cd "$(dirname "$0")/.." && pwd)
cli=${TARNIX_CLI:-$root/build/release/src/tarnix-cli}
for tool in llvm-readobj llvm-undname; do
  command -v "$tool" >/dev/null || { echo "needs $tool (Debian package llvm)" >&2; exit 2; }
done
[ -x "$cli" ] || { echo "no tarnix-cli at $cli (build the release preset)" >&2; exit 2; }
if [ ! -f "$corpus/files.txt" ]; then
  bash "${TARNIX_CORPUS_SCRIPT:-$root/../shared/bench/corpus.sh}" "$corpus"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The name list is kept beside the build and made again when the corpus list changes.
mkdir -p "$root/build/bench"
names=$root/build/bench/undname_names.txt
if [ ! -s "$names" ] || [ "$corpus/files.txt" -nt "$names" ]; then
  while read -r image; do
    llvm-readobj --coff-exports "$image" 2>/dev/null || true
  done < "$corpus/files.txt" | sed -n -E 's/^[[:space:]]+Name: (\?.*)$/\1/p' > "$names.tmp"
  mv "$names.tmp" "$names"
fi
count=$(wc -l < "$names")
echo "$count decorated export names from $(wc -l < "$corpus/files.txt") images"
[ "$count" -gt 0 ] || { echo "no decorated names found" >&2; exit 1; }

# Same work for both: every name undecorated once, output to a file.
# Both exit non-zero when some name does not undecorate; that is expected here.
"$cli" undecorate --flags 0 < "$names" > "$work/tarnix.out" || true
llvm-undname < "$names" > "$work/llvm.out" 2>&1 || true
echo "tarnix-cli lines: $(wc -l < "$work/tarnix.out"), failures: $(grep -c '^<ERROR: ' "$work/tarnix.out" || true)"

if command -v hyperfine >/dev/null; then
  # hyperfine subtracts the shell's own start-up from both.
  hyperfine -i --warmup 2 --runs "$runs" --export-json "$work/h.json" \
    -n tarnix-cli "$cli undecorate --flags 0 < $names > /dev/null" \
    -n llvm-undname "llvm-undname < $names > /dev/null" >/dev/null 2>&1
  python3 - "$work/h.json" <<'PY'
import json, sys
r = {x["command"]: x for x in json.load(open(sys.argv[1]))["results"]}
t, l = r["tarnix-cli"], r["llvm-undname"]
print("tarnix-cli   mean %.1f ms (sd %.1f)" % (t["mean"] * 1e3, t["stddev"] * 1e3))
print("llvm-undname mean %.1f ms (sd %.1f)" % (l["mean"] * 1e3, l["stddev"] * 1e3))
print("ratio llvm-undname / tarnix-cli: %.2f" % (l["mean"] / t["mean"]))
PY
else
  timeit() {  # total seconds of $runs runs of the command in "$@"
    local start end
    start=$(date +%s.%N)
    for ((i = 0; i < runs; i++)); do "$@" < "$names" > /dev/null 2>&1 || true; done
    end=$(date +%s.%N)
    echo "$end - $start" | bc -l
  }
  t=$(timeit "$cli" undecorate --flags 0)
  l=$(timeit llvm-undname)
  printf 'tarnix-cli   %.1f ms per run\nllvm-undname %.1f ms per run\n' \
    "$(echo "$t * 1000 / $runs" | bc -l)" "$(echo "$l * 1000 / $runs" | bc -l)"
  printf 'ratio llvm-undname / tarnix-cli: %.2f\n' "$(echo "$l / $t" | bc -l)"
fi
