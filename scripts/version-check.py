#!/usr/bin/python3
"""Compares the file version and description that Tarnix's version reader
finds in each image with what Debian's python3-pefile reads from it.

Usage: scripts/version-check.py [FILES_TXT] [BUILD_DIR]
  FILES_TXT  a list of image paths, one a line (default /work/corpus/files.txt)
  BUILD_DIR  a configured build folder (default build/release)

The reader is asked for English (US), as the program's callers ask for the
user's default language; pefile's string table of English (US) is taken when
there is one, else its first. Prints the disagreements and the agreement
figure. Needs python3-pefile (apt-get install python3-pefile) and a C++
compiler.
"""
import os
import subprocess
import sys
import tempfile

import pefile

DUMPER = r'''
#include <cstdio>
#include <iostream>
#include <string>
#include "pe/version_info.h"
#include "platform/last_error.h"
#include "platform/text_encoding.h"
using namespace tarnix;
static std::string Clean(const std::wstring& s) {
  std::string u = ToUtf8(s);
  for (char& c : u) if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  return u;
}
int main() {
  std::string path;
  while (std::getline(std::cin, path)) {
    std::wstring description, fileVersion;
    VersionInfoRequest r;
    r.language = 0x409;
    r.description = &description;
    r.fileVersion = &fileVersion;
    int result = ReadVersionInfo(FromUtf8(path), r);
    std::printf("%s\t%d\t%u\t%s\t%s\n", path.c_str(), result,
                result < 0 ? GetLastError() : 0u, Clean(fileVersion).c_str(),
                Clean(description).c_str());
  }
}
'''


def ours(paths, build):
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    subprocess.run(["cmake", "--build", build, "--target", "tarnix_pe", "-j2"], check=True,
                   stdout=subprocess.DEVNULL)
    with tempfile.TemporaryDirectory() as tmp:
        src = os.path.join(tmp, "dump.cpp")
        exe = os.path.join(tmp, "dump")
        with open(src, "w") as f:
            f.write(DUMPER)
        libs = [os.path.join(build, "src", "libtarnix_%s.a" % n) for n in ("pe", "core", "platform")]
        subprocess.run(["c++", "-std=c++20", "-O2", "-I", os.path.join(root, "src"), src, *libs,
                        "-lpthread", "-o", exe], check=True)
        out = subprocess.run([exe], input="\n".join(paths) + "\n", capture_output=True,
                             text=True, check=True).stdout
    table = {}
    for line in out.splitlines():
        path, result, error, version, description = line.split("\t")
        table[path] = (int(result), int(error), version, description)
    return table


def clean(s):
    s = s.decode("utf-8", "replace") if isinstance(s, bytes) else s
    return s.replace("\t", " ").replace("\n", " ").replace("\r", " ")


def theirs(path):
    """(version, description), or None when pefile finds no version strings."""
    try:
        pe = pefile.PE(path, fast_load=True)
        pe.parse_data_directories(
            directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
    except pefile.PEFormatError:
        return None
    tables = []
    for infos in getattr(pe, "FileInfo", []) or []:
        for info in infos:
            if getattr(info, "Key", b"") == b"StringFileInfo":
                tables.extend(info.StringTable)
    if not tables:
        return None
    chosen = next((t for t in tables if t.LangID[:4].lower() == b"0409"), tables[0])
    entries = {k: v for k, v in chosen.entries.items()}
    return (clean(entries.get(b"FileVersion", b"")), clean(entries.get(b"FileDescription", b"")))


def main():
    files = sys.argv[1] if len(sys.argv) > 1 else "/work/corpus/files.txt"
    build = sys.argv[2] if len(sys.argv) > 2 else "build/release"
    with open(files) as f:
        paths = [p.strip() for p in f if p.strip()]
    mine = ours(paths, build)
    agree = 0
    withVersion = 0
    for path in paths:
        result, error, version, description = mine[path]
        expected = theirs(path)
        got = None if result < 0 or (not version and not description) else (version, description)
        if expected is not None:
            withVersion += 1
        if got == expected:
            agree += 1
        else:
            print("DIFFER %s\n  tarnix: %s (result %d, error %d)\n  pefile: %s"
                  % (path, got, result, error, expected))
    results = [mine[p][0] for p in paths]
    print("reader results: %d found in English (US), %d fall-back or none, %d failed"
          % (results.count(1), results.count(0), results.count(-1)))
    print("agreement: %d of %d images (%.2f%%); %d have version strings per pefile"
          % (agree, len(paths), 100.0 * agree / max(1, len(paths)), withVersion))


if __name__ == "__main__":
    main()
