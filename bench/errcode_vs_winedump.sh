#!/usr/bin/env bash
# Looks one error code up in every image of a corpus of real PE files twice,
# and times both:
#   1. tarnix-cli errcode CODE --in CORPUS --subfolders (one run over the tree);
#   2. a loop that runs Wine's winedump -j resource on each file and picks the
#      same message out of its dump: the module's own message table (name 1)
#      in the language the formatter chooses (neutral, then English (US),
#      English, then the first present), else the system's text from kernelbase.dll.
# Then checks that both give the same text for every module.
#
# Usage: bench/errcode_vs_winedump.sh CORPUS [CODE]
#   CORPUS holds x86_64-windows/ and i386-windows/ and files.txt (see
#   ../shared/bench/corpus.sh); x86_64-windows/ serves as System32, so its
#   kernelbase.dll answers system messages.
#   TARNIX_CLI (default build/release/src/tarnix-cli), WINEDUMP (default winedump).
set -euo pipefail
corpus=$(cd "${1:?usage: errcode_vs_winedump.sh CORPUS [CODE]}" && pwd)
code=${2:-5}
cli=${TARNIX_CLI:-$(dirname "$0")/../build/release/src/tarnix-cli}
winedump=${WINEDUMP:-winedump}
command -v "$winedump" >/dev/null || { echo "winedump not found (Debian: wine64-tools)" >&2; exit 2; }
[ -x "$cli" ] || { echo "tarnix-cli not found at $cli" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A Windows folder whose System32 is the corpus's 64-bit folder.
mkdir -p "$work/Windows"
ln -s "$corpus/x86_64-windows" "$work/Windows/System32"
export LANG=C LC_ALL=C

now() { date +%s.%N; }

t0=$(now)
TARNIX_WINDOWS_ROOT="$work/Windows" "$cli" errcode "$code" --in "$corpus" --subfolders --ext '*' \
  > "$work/tarnix.tsv" 2> "$work/tarnix.err" || true
t1=$(now)

cat > "$work/pick.py" <<'PY'
import re, sys
code, kernelbase = int(sys.argv[1], 0), sys.argv[2]
entry = re.compile(r'^\s+([0-9a-fA-F]{8}) L?"(.*)"\s*$')
table = re.compile(r'^\s*MESSAGETABLE Name=0001 Language=([0-9a-fA-F]{4}):')

def decode(s):
    out, i = [], 0
    while i < len(s):
        c = s[i]
        if c != '\\' or i + 1 == len(s):
            out.append(c); i += 1; continue
        n = s[i + 1]
        if n == 'x':
            j = i + 2
            while j < len(s) and j < i + 6 and s[j] in '0123456789abcdefABCDEF': j += 1
            out.append(chr(int(s[i + 2:j], 16)) if j > i + 2 else 'x'); i = j; continue
        out.append({'n': '\n', 'r': '\r', 't': '\t', '0': '\0'}.get(n, n)); i += 2
    return ''.join(out)

def pick(tables):
    # tables: language -> text of the code, in directory order (None: table without it)
    for lang in (0x0000, 0x0409, 0x0009):
        if lang in tables: return tables[lang]
    return next(iter(tables.values())) if tables else None

def scan(lines):
    files, name, tables, lang = {}, None, {}, None
    for line in lines:
        if line.startswith('@@FILE '):
            if name is not None: files[name] = tables
            name, tables, lang = line[7:].rstrip('\n'), {}, None
            continue
        m = table.match(line)
        if m:
            lang = int(m.group(1), 16); tables[lang] = None; continue
        m = entry.match(line)
        if m and lang is not None:
            if int(m.group(1), 16) == code: tables[lang] = decode(m.group(2))
            continue
        if line.strip() and not line.startswith('    '): lang = None
    if name is not None: files[name] = tables
    return files

files = scan(sys.stdin)
system = pick(files.get(kernelbase, {}))
for name, tables in files.items():
    text = pick(tables) if tables else None
    if text is None: text = system   # the module's table lacks it: the system's text
    if text is None: continue
    print('%s\t%s' % (name, text.replace('\r', ' ').replace('\n', ' ')))
PY

t2=$(now)
while IFS= read -r f; do
  echo "@@FILE $f"
  "$winedump" -j resource "$f" 2>/dev/null | grep -E '^\s*MESSAGETABLE |^\s+[0-9a-fA-F]{8} L?"|^\s*[A-Z]' || true
done < "$corpus/files.txt" | python3 "$work/pick.py" "$code" "$corpus/x86_64-windows/kernelbase.dll" \
  > "$work/winedump.tsv"
t3=$(now)

# tarnix: "CODE = TEXT<TAB>PATH"; winedump side: "PATH<TAB>TEXT".
awk -F'\t' '{ t = $1; sub(/^[^ ]* = /, "", t); print $2 "\t" t }' "$work/tarnix.tsv" \
  | sort > "$work/tarnix.sorted"
sort "$work/winedump.tsv" > "$work/winedump.sorted"
system_text=$(awk -F'\t' -v k="$corpus/x86_64-windows/kernelbase.dll" '$1 == k { print $2 }' "$work/winedump.sorted")
own=$(awk -F'\t' -v s="$system_text" '$2 != s' "$work/winedump.sorted" | wc -l)

echo "code $code over $(wc -l < "$corpus/files.txt") files of $corpus"
echo "tarnix-cli errcode:  $(wc -l < "$work/tarnix.sorted") modules reported in $(echo "$t1 - $t0" | bc) s"
echo "winedump per file:   $(wc -l < "$work/winedump.sorted") modules reported in $(echo "$t3 - $t2" | bc) s"
echo "system text: \"$system_text\"; modules with a different own text: $own"
tail -1 "$work/tarnix.err"
if diff "$work/winedump.sorted" "$work/tarnix.sorted" > "$work/diff.txt"; then
  echo "texts: identical for every module"
else
  echo "texts: $(grep -c '^[<>]' "$work/diff.txt") differing lines (< winedump, > tarnix):"
  head -40 "$work/diff.txt"
  exit 1
fi
