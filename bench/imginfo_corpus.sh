#!/usr/bin/env bash
# Module resolution and symbol location over the corpus laid out as a
# Windows folder (x86_64-windows as System32, i386-windows as SysWOW64, its
# apisetschema.dll as the API set schema): the share of the imports of
# every image whose module resolves and whose symbol is located, then a
# sample of the located symbols checked against llvm-objdump: the export's
# RVA from the export table (-p), and the bytes at the file offset against
# the section contents at image base + RVA (-s, read once per file).
#   bench/imginfo_corpus.sh CORPUS_DIR
# CORPUS_DIR is laid out by ../shared/bench/corpus.sh when it has no files.txt.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/.." && pwd)
corpus=${1:?usage: imginfo_corpus.sh CORPUS_DIR}
shared=${TARNIX_SHARED:-$top/../shared}
[ -f "$corpus/files.txt" ] || bash "$shared/bench/corpus.sh" "$corpus"
corpus=$(cd "$corpus" && pwd)
bench=$top/build/release/bench/imginfo_corpus_bench
[ -x "$bench" ] || (cd "$top" && cmake --preset release >/dev/null &&
                    cmake --build --preset release -j2 --target imginfo_corpus_bench)
command -v llvm-objdump >/dev/null || { echo "llvm-objdump missing (scripts/setup.sh test)"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/Windows"
ln -s "$corpus/x86_64-windows" "$work/Windows/System32"
ln -s "$corpus/i386-windows" "$work/Windows/SysWOW64"

TARNIX_CORPUS=$corpus TARNIX_WINDOWS_ROOT=$work/Windows TARNIX_IMGINFO_SAMPLE=$work/sample.tsv \
  "$bench" --benchmark_min_time=1

python3 - "$work/sample.tsv" <<'PY'
import re, subprocess, sys
exports, bases, contents = {}, {}, {}
def table(path):
    if path not in exports:
        out = subprocess.run(["llvm-objdump", "-p", path], capture_output=True, text=True).stdout
        bases[path] = int(re.search(r"^ImageBase\s+([0-9a-fA-F]+)", out, re.M).group(1), 16)
        names = {}
        for m in re.finditer(r"^\s+(\d+)\s+0x([0-9a-f]+)\s+(\S+)\s*$", out, re.M):
            names.setdefault(m.group(3), int(m.group(2), 16))
        exports[path] = names
    return exports[path]
def sections(path):
    # Every section's contents as llvm-objdump -s shows them, by address.
    if path not in contents:
        out = subprocess.run(["llvm-objdump", "-s", path], capture_output=True, text=True).stdout
        segments = []
        for line in out.splitlines():
            if line.startswith("Contents of section"):
                segments.append([None, bytearray()])
                continue
            m = re.match(r"^ ([0-9a-f]+) ((?:[0-9a-f]{2,8} ?){1,4})", line)
            if m and segments:
                if segments[-1][0] is None:
                    segments[-1][0] = int(m.group(1), 16)
                segments[-1][1] += bytes.fromhex(m.group(2).replace(" ", ""))
        contents[path] = [(start, bytes(data)) for start, data in segments if start is not None]
    return contents[path]
def dumped(path, address, n=16):
    for start, data in sections(path):
        if start <= address < start + len(data):
            return data[address - start:address - start + n]
    return b""
rows = [l.rstrip("\n").split("\t") for l in open(sys.argv[1]) if l.strip()]
rva_ok = bytes_ok = 0
bad = []
for path, name, rva, offset in rows:
    rva, offset = int(rva), int(offset)
    if table(path).get(name) == rva:
        rva_ok += 1
    else:
        bad.append(f"RVA {path} {name}: tarnix {rva:#x}, llvm-objdump {table(path).get(name)}")
    with open(path, "rb") as f:
        f.seek(offset)
        ours = f.read(16)
    theirs = dumped(path, bases[path] + rva)
    if theirs and ours[:len(theirs)] == theirs:
        bytes_ok += 1
    else:
        bad.append(f"bytes {path} {name} at {offset:#x}: {ours.hex()} vs {theirs.hex()}")
print(f"llvm-objdump check of {len(rows)} located symbols in {len(contents)} files: "
      f"RVA agrees {rva_ok}, bytes at the file offset agree {bytes_ok}")
for b in bad[:20]:
    print("  " + b)
sys.exit(1 if bad else 0)
PY
