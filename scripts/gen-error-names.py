#!/usr/bin/env python3
"""Writes src/errnames/error_name_table.inc: every error name with a plain
numeric value in the public-domain mingw-w64 headers winerror.h and
ntstatus.h (Debian package mingw-w64-common), with its 32-bit value and
whether it is a Win32 code, an HRESULT or an NTSTATUS; and the NTSTATUS
facility names of ntstatus.h.

A value is read when it is a number (decimal or hexadecimal, with or without
U/L suffixes), another name of the headers (an alias), one of the wrappers
__MSABI_LONG(...), _HRESULT_TYPEDEF_(...) or HRESULT_FROM_WIN32(...), a cast
to HRESULT, SCODE, NTSTATUS, LONG or DWORD, or NAME + NUMBER. Anything else
is reported as skipped, never guessed. Facility numbers, severity values and
the headers' own guard macros are not error codes and are left out.

Usage (from the repository root):
  scripts/gen-error-names.py                 write the table
  scripts/gen-error-names.py --check         compare the committed table with
                                             a fresh one (exit 1 when they
                                             differ, 77 when the headers are
                                             not installed)
  scripts/gen-error-names.py --report        also list every skipped define
Options: --include DIR (default /usr/share/mingw-w64/include), --output FILE.
"""
import argparse
import os
import re
import sys

HEADERS = ("winerror.h", "ntstatus.h")
DEFAULT_INCLUDE = "/usr/share/mingw-w64/include"
DEFAULT_OUTPUT = os.path.join("src", "errnames", "error_name_table.inc")

WIN32, HRESULT, NTSTATUS = "kWin32", "kHresult", "kNtStatus"
# Casts and wrappers whose argument is the value; the kind they give it.
CASTS = {"HRESULT": HRESULT, "SCODE": HRESULT, "NTSTATUS": NTSTATUS,
         "LONG": None, "DWORD": None}
WRAPPERS = {"__MSABI_LONG": None, "_HRESULT_TYPEDEF_": HRESULT}
NAME_RE = re.compile(r"[A-Za-z_][A-Za-z0-9_]*")
NUMBER_RE = re.compile(r"(0[xX][0-9A-Fa-f]+|[0-9]+)[uUlL]*")
# A name the program would read as a number (ParseErrorCode) would never be
# found by its name.
NUMBER_LIKE_RE = re.compile(r"[+-]?(0[xX][0-9A-Fa-f]+|[0-9A-Fa-f]+[hH]?)")


class Unreadable(Exception):
    pass


def strip_comments(text):
    out, i, n = [], 0, len(text)
    while i < n:
        if text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            out.append("\n" * text.count("\n", i, end) or " ")
            i = end
        elif text.startswith("//", i):
            end = text.find("\n", i)
            i = n if end < 0 else end
        elif text[i] == '"':
            end = i + 1
            while end < n and text[end] != '"':
                end += 2 if text[end] == "\\" else 1
            out.append(text[i:end + 1])
            i = end + 1
        else:
            out.append(text[i])
            i += 1
    return "".join(out)


def tokenize(value):
    tokens, i = [], 0
    while i < len(value):
        c = value[i]
        if c.isspace():
            i += 1
            continue
        m = NUMBER_RE.match(value, i) if c.isdigit() else NAME_RE.match(value, i)
        if m:
            tokens.append(m.group(0))
            i = m.end()
        elif c in "()+":
            tokens.append(c)
            i += 1
        else:
            raise Unreadable("operator '%s'" % c)
    return tokens


class Expr:
    """Parses one define's value into a tree; names are resolved later."""

    def __init__(self, tokens):
        self.tokens, self.pos = tokens, 0

    def peek(self, k=0):
        return self.tokens[self.pos + k] if self.pos + k < len(self.tokens) else None

    def take(self, want=None):
        t = self.peek()
        if t is None or (want is not None and t != want):
            raise Unreadable("expected %s" % (want or "a value"))
        self.pos += 1
        return t

    def parse(self):
        node = self.sum()
        if self.peek() is not None:
            raise Unreadable("unexpected '%s'" % self.peek())
        return node

    def sum(self):
        node = self.primary()
        while self.peek() == "+":
            self.take("+")
            node = ("add", node, self.primary())
        return node

    def primary(self):
        t = self.take()
        if t == "(":
            if self.peek() in CASTS and self.peek(1) == ")":
                cast = self.take()
                self.take(")")
                return ("cast", CASTS[cast], self.primary())
            if NAME_RE.fullmatch(self.peek() or "") and self.peek(1) == ")" and \
                    self.peek(2) not in (None, ")", "+"):
                raise Unreadable("cast to %s" % self.peek())
            node = self.sum()
            self.take(")")
            return node
        if NUMBER_RE.fullmatch(t):
            digits = t.rstrip("uUlL")
            return ("num", int(digits, 16) if digits[:2].lower() == "0x" else int(digits))
        if NAME_RE.fullmatch(t):
            if self.peek() == "(":
                if t in WRAPPERS:
                    self.take("(")
                    node = self.sum()
                    self.take(")")
                    return ("cast", WRAPPERS[t], node)
                if t == "HRESULT_FROM_WIN32":
                    self.take("(")
                    node = self.sum()
                    self.take(")")
                    return ("from_win32", node)
                raise Unreadable("macro %s(...)" % t)
            return ("name", t)
        raise Unreadable("unexpected '%s'" % t)


def skip_reason(name):
    if name.startswith("_"):
        return "a guard or marker of the header, not an error code"
    if name.startswith("FACILITY_"):
        return "a facility number, not an error code"
    if "SEVERITY_" in name:
        return "a severity value, not an error code"
    return None


def read_defines(include):
    """Yields (header, line number, name, parameters or None, value text)."""
    for header in HEADERS:
        path = os.path.join(include, header)
        with open(path, encoding="latin-1") as f:
            text = strip_comments(f.read()).replace("\\\n", " ")
        for number, line in enumerate(text.split("\n"), 1):
            m = re.match(r"\s*#\s*define\s+([A-Za-z_][A-Za-z0-9_]*)(\([^)]*\))?(.*)$", line)
            if m:
                yield header, number, m.group(1), m.group(2), m.group(3).strip()


def collect(include):
    # origin: where each name was defined; a tree of None marks a name whose
    # value was not read or is defined twice, so names made of it fail too.
    trees, origin, skipped, facilities = {}, {}, [], []
    for header, number, name, params, value in read_defines(include):
        where = "%s:%d" % (header, number)
        if params is not None:
            skipped.append((where, name, "a function-like macro"))
            continue
        reason = skip_reason(name)
        if header == "ntstatus.h" and name.startswith("FACILITY_") and NUMBER_RE.fullmatch(value):
            digits = value.rstrip("uUlL")
            facilities.append((int(digits, 16) if digits[:2].lower() == "0x" else int(digits),
                               name[len("FACILITY_"):]))
            reason = "an NTSTATUS facility number (kept as a facility name)"
        if reason is None and not value:
            reason = "no value"
        if reason:
            skipped.append((where, name, reason))
            continue
        try:
            tree = Expr(tokenize(value)).parse()
        except Unreadable as e:
            skipped.append((where, name, "value not read (%s): %s" % (e, value)))
            trees[name] = None
            origin[name] = where
            continue
        if name in trees:
            if trees[name] != tree:
                skipped.append((where, name, "defined again with another value"))
                trees[name] = None
            continue
        trees[name] = tree
        origin[name] = where
    return trees, origin, skipped, sorted(facilities)


class Resolver:
    def __init__(self, trees, origin):
        self.trees, self.origin, self.done, self.busy = trees, origin, {}, set()

    def resolve(self, name):
        """(value, kind or None); raises Unreadable."""
        if name in self.done:
            return self.done[name]
        if name not in self.trees:
            raise Unreadable("%s is not defined in the headers" % name)
        if self.trees[name] is None:
            raise Unreadable("%s has no value that was read" % name)
        if name in self.busy:
            raise Unreadable("%s refers to itself" % name)
        self.busy.add(name)
        try:
            value, kind = self.evaluate(self.trees[name])
        finally:
            self.busy.discard(name)
        if value < 0 or value > 0xFFFFFFFF:
            raise Unreadable("value 0x%X does not fit in 32 bits" % value)
        if self.origin[name].startswith("ntstatus.h:"):
            kind = NTSTATUS
        self.done[name] = (value, kind)
        return value, kind

    def evaluate(self, node):
        op = node[0]
        if op == "num":
            return node[1], None
        if op == "name":
            return self.resolve(node[1])
        if op == "cast":
            value, kind = self.evaluate(node[2])
            return value, node[1] or kind
        if op == "add":
            left, kind = self.evaluate(node[1])
            right, _ = self.evaluate(node[2])
            return left + right, kind
        if op == "from_win32":
            value, _ = self.evaluate(node[1])
            if value > 0x7FFFFFFF or value == 0:
                return value, HRESULT
            return (value & 0xFFFF) | 0x80070000, HRESULT
        raise Unreadable("unknown node")


def build(include):
    trees, origin, skipped, facilities = collect(include)
    resolver = Resolver(trees, origin)
    rows = []
    for name in trees:
        if trees[name] is None:
            continue
        if NUMBER_LIKE_RE.fullmatch(name):
            skipped.append((origin[name], name, "reads as a number"))
            continue
        try:
            value, kind = resolver.resolve(name)
        except Unreadable as e:
            skipped.append((origin[name], name, "value not read (%s)" % e))
            continue
        if kind is None:
            kind = WIN32 if value <= 0xFFFF else HRESULT
        rows.append((name, value, kind))
    rows.sort(key=lambda r: r[0])
    return rows, skipped, facilities


def render(rows, facilities):
    out = ["// Generated by scripts/gen-error-names.py from the mingw-w64 headers",
           "// winerror.h and ntstatus.h. Do not edit; run the script instead.",
           "// clang-format off",
           "inline constexpr ErrorName kErrorNameTable[] = {"]
    for name, value, kind in rows:
        out.append('{"%s", 0x%08X, ErrorNameKind::%s},' % (name, value, kind))
    out.append("};")
    out.append("inline constexpr NtStatusFacility kNtStatusFacilityTable[] = {")
    for number, name in facilities:
        out.append('{%d, "%s"},' % (number, name))
    out.append("};")
    return "\n".join(out) + "\n"


def report(rows, skipped, listAll):
    kinds = {}
    for _, _, kind in rows:
        kinds[kind] = kinds.get(kind, 0) + 1
    print("%d names: %d Win32, %d HRESULT, %d NTSTATUS" %
          (len(rows), kinds.get(WIN32, 0), kinds.get(HRESULT, 0), kinds.get(NTSTATUS, 0)),
          file=sys.stderr)
    reasons = {}
    for _, _, reason in skipped:
        key = "value not read" if reason.startswith("value not read") else reason
        reasons[key] = reasons.get(key, 0) + 1
    print("%d defines skipped:" % len(skipped), file=sys.stderr)
    for reason, count in sorted(reasons.items(), key=lambda r: -r[1]):
        print("  %5d  %s" % (count, reason), file=sys.stderr)
    for where, name, reason in skipped:
        if listAll or not reason.startswith(("a guard", "a facility", "a severity",
                                             "a function-like", "an NTSTATUS facility")):
            print("  skipped %s %s: %s" % (where, name, reason), file=sys.stderr)


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--include", default=DEFAULT_INCLUDE)
    ap.add_argument("--output", default=DEFAULT_OUTPUT)
    ap.add_argument("--check", action="store_true")
    ap.add_argument("--report", action="store_true")
    args = ap.parse_args()

    missing = [h for h in HEADERS if not os.path.isfile(os.path.join(args.include, h))]
    if missing:
        print("skipped: %s not found in %s (install mingw-w64-common)" %
              (", ".join(missing), args.include), file=sys.stderr)
        return 77 if args.check else 1
    rows, skipped, facilities = build(args.include)
    text = render(rows, facilities)
    if args.check:
        try:
            with open(args.output, encoding="utf-8") as f:
                committed = f.read()
        except OSError as e:
            print("cannot read %s: %s" % (args.output, e), file=sys.stderr)
            return 1
        if committed != text:
            old = set(committed.splitlines())
            new = set(text.splitlines())
            for line in sorted(old - new)[:20]:
                print("- " + line, file=sys.stderr)
            for line in sorted(new - old)[:20]:
                print("+ " + line, file=sys.stderr)
            print("%s differs from the headers in %s: run scripts/gen-error-names.py" %
                  (args.output, args.include), file=sys.stderr)
            return 1
        print("%s matches the headers in %s (%d names)" % (args.output, args.include, len(rows)))
        return 0
    report(rows, skipped, args.report)
    tmp = args.output + ".tmp"
    with open(tmp, "w", encoding="utf-8", newline="\n") as f:
        f.write(text)
    os.replace(tmp, args.output)
    return 0


if __name__ == "__main__":
    sys.exit(main())
