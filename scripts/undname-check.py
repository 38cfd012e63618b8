#!/usr/bin/env python3
"""Compares `tarnix-cli undecorate --flags 0` with llvm-undname on a list of
decorated names (one a line, e.g. build/bench/undname_names.txt as
bench/undname_vs_llvm.sh leaves it).

The two are compared after the known differences of form are taken out:
blanks, "__ptr64" (llvm-undname never prints it) and llvm-undname's "ctor"/
"dtor" for the platform's "constructor"/"destructor". What still differs is
listed by group: conversion operators (printed the platform's way, without
a return type), names only one side undecorates, and the rest.

Usage: scripts/undname-check.py NAMES_FILE [TARNIX_CLI]
Exit status 0 when nothing but conversion operators differs.
"""
import collections
import re
import subprocess
import sys


def main():
    if len(sys.argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    names_file = sys.argv[1]
    cli = sys.argv[2] if len(sys.argv) > 2 else "build/release/src/tarnix-cli"
    data = open(names_file, "rb").read()
    names = data.decode("latin-1").split("\n")
    if names and names[-1] == "":
        names.pop()
    ours = subprocess.run([cli, "undecorate", "--flags", "0"], input=data,
                          capture_output=True).stdout.decode("latin-1").split("\n")
    raw = subprocess.run(["llvm-undname"], input=data, capture_output=True
                         ).stdout.decode("latin-1").split("\n")
    # llvm-undname echoes each name, then its text (none on failure), then a
    # blank line.
    theirs, i = [], 0
    while i < len(raw):
        if raw[i] == "":
            i += 1
            continue
        i += 1
        text = None
        if i < len(raw) and raw[i] != "":
            text = raw[i]
            i += 1
        theirs.append(text)
    if len(theirs) != len(names) or len(ours) < len(names):
        print("output lines do not pair up with the names", file=sys.stderr)
        return 2

    def norm(s):
        s = s.replace("__ptr64", "")
        s = re.sub(r" dtor'", " destructor'", s)
        s = re.sub(r" ctor", " constructor", s)
        return re.sub(r"\s+", "", s)

    groups = collections.defaultdict(list)
    for name, mine, other in zip(names, ours, theirs):
        failed = mine.startswith("<ERROR: ")
        if other is None and failed:
            groups["rejected by both"].append((name,))
        elif other is None:
            groups["undecorated here only"].append((name, mine))
        elif failed:
            groups["undecorated by llvm-undname only"].append((name, other))
        elif norm(mine) == norm(other):
            groups["same"].append((name,))
        elif re.search(r"::operator [a-z]", other) and "operator" in mine:
            groups["conversion operators"].append((name, mine, other))
        else:
            groups["different"].append((name, mine, other))
    print("%d names" % len(names))
    for key in ("same", "conversion operators", "rejected by both", "undecorated here only",
                "undecorated by llvm-undname only", "different"):
        rows = groups.get(key, [])
        print("%-34s %d" % (key + ":", len(rows)))
        if key in ("same", "rejected by both"):
            continue
        for row in rows[:5]:
            print("    " + "\n      ".join(row))
    return 0 if not groups.get("different") and not groups.get("undecorated by llvm-undname only") else 1


if __name__ == "__main__":
    sys.exit(main())
