#!/usr/bin/python3
"""Compares every message of the message tables in a list of images, as
Tarnix's message-table lookup formats it, with an independent decoding of the
same tables from the resource tree that Debian's python3-pefile reads.

Usage: scripts/message-table-check.py [FILES_TXT] [BUILD_DIR]
  FILES_TXT  a list of image paths, one a line (default /work/corpus/files.txt)
  BUILD_DIR  a configured build folder (default build/release)

Each module's table is taken in the language the lookup chooses when asked
for the user's default with LANG=C: neutral, then English (US), then the
first present. Prints the disagreements and the agreement figure.
"""
import os
import struct
import subprocess
import sys
import tempfile

import pefile

DUMPER = r'''
#include <cstdio>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include "pe/message_module.h"
#include "platform/last_error.h"
#include "platform/text_encoding.h"
using namespace tarnix;
int main() {
  std::string line, current;
  std::unique_ptr<MessageModule> module;
  while (std::getline(std::cin, line)) {
    std::istringstream in(line);
    unsigned long id = 0;
    std::string path;
    in >> id;
    std::getline(in >> std::ws, path);
    if (path != current) {
      module = std::make_unique<MessageModule>();
      module->Load(FromUtf8(path));
      current = path;
    }
    std::wstring text;
    bool found = module->Format(static_cast<uint32_t>(id), 0x400, text);
    std::string out;
    for (char c : ToUtf8(text)) out += c == '\n' ? std::string("\\n") : c == '\r' ? std::string("\\r") : std::string(1, c);
    std::printf("%lu\t%d\t%s\n", id, found ? 1 : 0, found ? out.c_str() : std::to_string(GetLastError()).c_str());
  }
}
'''


def formatted(stored):
    """The text the formatter makes of a stored message, inserts ignored."""
    out = []
    i = 0
    while i < len(stored):
        c = stored[i]
        if c == "%" and i + 1 < len(stored):
            n = stored[i + 1]
            if n in "123456789":
                out.append(c)
                i += 1
                continue
            i += 2
            if n == "0":
                break
            out.append({"n": "\r\n", "r": "\r", "t": "\t"}.get(n, n))
            continue
        out.append(c)
        i += 1
    return "".join(out)


def tables(path):
    """{id: text} of the module's message table, or None."""
    try:
        pe = pefile.PE(path, fast_load=True)
        pe.parse_data_directories(directories=[2])
    except pefile.PEFormatError:
        return None
    for t in getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None).entries if hasattr(pe, "DIRECTORY_ENTRY_RESOURCE") else []:
        if t.id != 11:
            continue
        names = [n for n in t.directory.entries if n.id == 1]
        if not names:
            return None
        langs = names[0].directory.entries
        pick = next((l for want in (0, 0x409) for l in langs if l.id == want), langs[0])
        d = pick.data.struct
        data = pe.get_data(d.OffsetToData, d.Size)
        messages = {}
        for b in range(struct.unpack_from("<I", data, 0)[0]):
            low, high, at = struct.unpack_from("<III", data, 4 + 12 * b)
            for i in range(low, high + 1):
                length, flags = struct.unpack_from("<HH", data, at)
                raw = data[at + 4:at + length]
                if flags & 1:
                    text = raw.decode("utf-16-le", "replace").split("\0")[0]
                elif flags & 2:
                    text = raw.split(b"\0")[0].decode("utf-8", "replace")
                else:
                    text = raw.split(b"\0")[0].decode("cp1252", "replace")
                messages.setdefault(i, formatted(text))
                at += length
        return messages
    return None


def main():
    files = sys.argv[1] if len(sys.argv) > 1 else "/work/corpus/files.txt"
    build = sys.argv[2] if len(sys.argv) > 2 else "build/release"
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    with open(files) as f:
        paths = [p.strip() for p in f if p.strip()]
    expected = {}
    for path in paths:
        t = tables(path)
        if t:
            expected[path] = t
    subprocess.run(["cmake", "--build", build, "--target", "tarnix_pe", "-j2"], check=True,
                   stdout=subprocess.DEVNULL)
    with tempfile.TemporaryDirectory() as tmp:
        src, exe = os.path.join(tmp, "dump.cpp"), os.path.join(tmp, "dump")
        with open(src, "w") as f:
            f.write(DUMPER)
        libs = [os.path.join(build, "src", "libtarnix_%s.a" % n) for n in ("pe", "core", "platform")]
        subprocess.run(["c++", "-std=c++20", "-O2", "-I", os.path.join(root, "src"), src, *libs,
                        "-lpthread", "-o", exe], check=True)
        queries = "".join("%d %s\n" % (i, p) for p, t in expected.items() for i in t)
        env = dict(os.environ, LANG="C")
        env.pop("LC_ALL", None)
        env.pop("LC_MESSAGES", None)
        out = subprocess.run([exe], input=queries, capture_output=True, text=True, check=True,
                             env=env).stdout.splitlines()
    agree = total = 0
    pairs = [(p, i) for p, t in expected.items() for i in t]
    for (path, i), line in zip(pairs, out):
        total += 1
        _, found, text = line.split("\t", 2)
        want = expected[path][i].replace("\n", "\\n").replace("\r", "\\r")
        if found == "1" and text == want:
            agree += 1
        else:
            print("DIFFER %s %d\n  tarnix: %r\n  pefile: %r" % (path, i, text, want))
    print("agreement: %d of %d messages in %d modules with message tables" % (agree, total, len(expected)))


if __name__ == "__main__":
    main()
