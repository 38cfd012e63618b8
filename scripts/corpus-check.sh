#!/usr/bin/env bash
# Optional check on real images: for every image listed in CORPUS/files.txt,
# compares the imports, exports and delay-load imports that
# `tarnix-cli symbols` lists with what `llvm-readobj --coff-imports
# --coff-exports` lists, and the forwarder texts with `llvm-objdump -p`.
# Prints the share of images on which they agree.
# Usage: scripts/corpus-check.sh CORPUS        (lay CORPUS out with
#        ../shared/bench/corpus.sh CORPUS; llvm comes with scripts/setup.sh test)
set -euo pipefail
cd "$(dirname "$0")/.."
corpus=${1:?usage: scripts/corpus-check.sh CORPUS}
list="$corpus/files.txt"
[ -f "$list" ] || { echo "corpus-check: $list not found; lay it out with shared/bench/corpus.sh" >&2; exit 2; }
scripts/setup.sh test
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target tarnix-cli >/dev/null
cli=$PWD/build/release/src/tarnix-cli
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One normalised line per symbol: I/IO imports, D/DO delay-load imports,
# E/EO exports, F forwarders ("F ordinal text").
cat > "$work/tarnix.awk" <<'AWK'
BEGIN { FS = "\t" }
$1 == "Import"                      { print "I\t" $2 "\t" $3 "\t" $5 }
$1 == "Import (Ordinal)"            { print "IO\t" $2 "\t" $4 }
$1 == "Delay-Load Import"           { print "D\t" $2 "\t" $3 "\t" $5 }
$1 == "Delay-Load Import (Ordinal)" { print "DO\t" $2 "\t" $4 }
$1 == "Export"                      { print "E\t" $4 "\t" $3 }
$1 == "Export (Ordinal)"            { print "EO\t" $4 }
$1 == "Export Forwarded"            { print "F\t" $4 "\t" $3 }
AWK
cat > "$work/readobj.awk" <<'AWK'
function symbol(kind, line,    rest, num) {
  rest = line; sub(/^ *Symbol: /, "", rest)
  if (!match(rest, / ?\([0-9]+\)$/)) return
  num = substr(rest, RSTART, RLENGTH); gsub(/[ ()]/, "", num)
  rest = substr(rest, 1, RSTART - 1)
  if (rest == "") print kind "O\t" mod "\t" num; else print kind "\t" mod "\t" rest "\t" num
}
/^Import \{/      { sec = "I"; next }
/^DelayImport \{/ { sec = "D"; next }
/^Export \{/      { sec = "E"; ord = ""; name = ""; rva = ""; next }
/^\}/ {
  if (sec == "E" && rva != "0x0") { if (name == "") print "EO\t" ord; else print "E\t" ord "\t" name }
  sec = ""; next
}
sec != "E" && /^  Name: / { mod = substr($0, 9); next }
sec == "I" && /^  Symbol: /   { symbol("I", $0); next }
sec == "D" && /^    Symbol: / { symbol("D", $0); next }
sec == "E" && /^  Ordinal: /  { ord = substr($0, 12); next }
sec == "E" && /^  Name: /     { name = substr($0, 9); next }
sec == "E" && /^  RVA: /      { rva = substr($0, 8); next }
AWK
# llvm-objdump -p: the forwarder texts always; with full=1 (when
# llvm-readobj cannot read the image) the imports and exports as well. It
# runs unnamed export entries together on one line, hence the tokens.
cat > "$work/objdump.awk" <<'AWK'
function rva(t) { return t ~ /^0x[0-9a-f]+$/ || t == "0" }
/^The Import Tables:/ { sec = "I"; next }
/^Export Table:/      { sec = "E"; next }
sec == "E" && /^ Ordinal +RVA +Name/ { table = 1; next }
table && /^$/ { table = 0; sec = "" }
full && sec == "I" && /^    DLL Name: / { mod = substr($0, 15); next }
full && sec == "I" && /^ +[0-9]+( |$)/ && mod != "" {
  if (NF == 1) print "IO\t" mod "\t" $1; else print "I\t" mod "\t" $2 "\t" $1
  next
}
table {
  n = split($0, t, " ")
  for (i = 1; i <= n; ) {
    ord = t[i]
    if (i + 1 <= n && rva(t[i + 1])) {
      zero = t[i + 1] == "0"; i += 2
      if (i <= n && !(t[i] ~ /^[0-9]+$/ && i + 1 <= n && rva(t[i + 1]))) {
        name = t[i]; for (i++; i <= n; i++) name = name " " t[i]
        if (full && !zero) print "E\t" ord "\t" name
      } else if (full && !zero) print "EO\t" ord
      continue
    }
    rest = ""; for (i++; i <= n; i++) rest = rest (rest == "" ? "" : " ") t[i]
    text = rest; sub(/.*\(forwarded to /, "", text); sub(/\)$/, "", text)
    name = rest; sub(/ ?\(forwarded to .*$/, "", name)
    print "F\t" ord "\t" text
    if (full) { if (name == "") print "EO\t" ord; else print "E\t" ord "\t" name }
  }
}
AWK

check() {
  local f=$1 out
  out=$work/$(printf '%s' "$f" | md5sum | cut -c1-16)
  "$cli" symbols "$f" 2>/dev/null | LC_ALL=C awk -f "$work/tarnix.awk" | LC_ALL=C sort > "$out.t" || true
  local how=agree full=0
  if ! llvm-readobj --coff-imports --coff-exports "$f" > "$out.r" 2>/dev/null; then
    how=agree-objdump; full=1  # llvm-readobj cannot read it: llvm-objdump alone
  fi
  { [ $full = 1 ] || LC_ALL=C awk -f "$work/readobj.awk" "$out.r"
    llvm-objdump -p "$f" 2>/dev/null | LC_ALL=C awk -v full=$full -f "$work/objdump.awk"; } |
    LC_ALL=C sort > "$out.l" || true
  if cmp -s "$out.t" "$out.l"; then
    echo "$how $(wc -l < "$out.t") $f"
  else
    echo "DIFFER $(wc -l < "$out.t") $f"
    diff "$out.l" "$out.t" | head -6 | sed 's/^/    /' > "$out.d"
  fi
}
export -f check
export work cli
xargs -a "$list" -d '\n' -P "$(nproc)" -n 1 bash -c 'check "$0"' > "$work/results.txt"

total=$(wc -l < "$work/results.txt")
agree=$(grep -c '^agree' "$work/results.txt" || true)
fallback=$(grep -c '^agree-objdump ' "$work/results.txt" || true)
symbols=$(awk '{ n += $2 } END { print n + 0 }' "$work/results.txt")
{ grep '^DIFFER ' "$work/results.txt" || true; } | head -20 | while read -r _ _ f; do
  echo "differs: $f  (< llvm, > tarnix)"
  cat "$work/$(printf '%s' "$f" | md5sum | cut -c1-16).d"
done
{ grep '^agree-objdump ' "$work/results.txt" || true; } | while read -r _ _ f; do
  echo "llvm-readobj cannot read $f; compared with llvm-objdump -p alone"
done
awk -v a="$agree" -v t="$total" -v s="$symbols" -v o="$fallback" 'BEGIN {
  printf "corpus-check: %d of %d images agree (%.2f%%; %d of them checked with llvm-objdump alone); %d symbols compared\n", a, t, t ? 100 * a / t : 0, o, s }'
[ "$agree" -eq "$total" ]
