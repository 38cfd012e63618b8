#!/usr/bin/env python3
"""scripts/gen-error-names.py on small headers made for the purpose: what
it reads, what it refuses to guess, and its --check mode."""
import contextlib
import importlib.util
import io
import os
import sys
import tempfile
import unittest

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts",
                      "gen-error-names.py")
spec = importlib.util.spec_from_file_location("gen_error_names", SCRIPT)
gen = importlib.util.module_from_spec(spec)
spec.loader.exec_module(gen)

WINERROR = """
#ifndef _WINERROR_
#define _WINERROR_
#define FACILITY_WIN32 7
#define SEVERITY_ERROR 1
#define ERROR_A __MSABI_LONG(5)
#define ERROR_B 6
#define E_A _HRESULT_TYPEDEF_(0x80070005L)
#define S_B ((HRESULT)0x00000001)
#define XACT_E_FIRST 0x8004D000
#define ALIAS_A ERROR_A
#define ALIAS_OF_ALIAS ALIAS_A
#define WSABASEERR 10000
#define WSAEINTR (WSABASEERR + 4)
#define E_FROM HRESULT_FROM_WIN32(ERROR_A)
#define E_FROM_NEGATIVE HRESULT_FROM_WIN32(E_A)
#define EXPR_OR (0x1 | 0x2)
#define EXPR_SHIFT (1 << 4)
#define BAD_CAST ((BOGUS)5)
#define TOO_BIG 0x100000000
#define TWICE 1
#define TWICE 2
#define SAME_TWICE 3
#define SAME_TWICE 3
#define TO_NOWHERE UNDEFINED_NAME
#define LOOP_A LOOP_B
#define LOOP_B LOOP_A
#define OF_BAD (BAD_CAST + 1)
#define FUNC(x) (x)
#define DEAD 0x5
/*#define COMMENTED 6*/
/* a comment
#define IN_COMMENT 7
*/
#define AFTER_COMMENT 8 // trailing comment
#endif
"""

NTSTATUS = """
#define FACILITY_DEBUGGER 0x1
#define FACILITY_RPC_RUNTIME 0x2
#define STATUS_SEVERITY_ERROR 0x3
#define STATUS_X ((NTSTATUS)0xC0000022L)
#define STATUS_ZERO ((NTSTATUS)0x00000000L)
"""


class Generator(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        for name, text in (("winerror.h", WINERROR), ("ntstatus.h", NTSTATUS)):
            with open(os.path.join(self.dir.name, name), "w") as f:
                f.write(text)

    def tearDown(self):
        self.dir.cleanup()

    def test_reads_values_and_never_guesses(self):
        rows, skipped, facilities = gen.build(self.dir.name)
        self.assertEqual(rows, [
            ("AFTER_COMMENT", 8, gen.WIN32),
            ("ALIAS_A", 5, gen.WIN32),
            ("ALIAS_OF_ALIAS", 5, gen.WIN32),
            ("ERROR_A", 5, gen.WIN32),
            ("ERROR_B", 6, gen.WIN32),
            ("E_A", 0x80070005, gen.HRESULT),
            ("E_FROM", 0x80070005, gen.HRESULT),
            ("E_FROM_NEGATIVE", 0x80070005, gen.HRESULT),
            ("SAME_TWICE", 3, gen.WIN32),
            ("STATUS_X", 0xC0000022, gen.NTSTATUS),
            ("STATUS_ZERO", 0, gen.NTSTATUS),
            ("S_B", 1, gen.HRESULT),
            ("WSABASEERR", 10000, gen.WIN32),
            ("WSAEINTR", 10004, gen.WIN32),
            ("XACT_E_FIRST", 0x8004D000, gen.HRESULT),
        ])
        self.assertEqual(facilities, [(1, "DEBUGGER"), (2, "RPC_RUNTIME")])
        reasons = {name: reason for _, name, reason in skipped}
        for name, words in (("EXPR_OR", "operator '|'"), ("EXPR_SHIFT", "operator '<'"),
                            ("BAD_CAST", "cast to BOGUS"), ("TOO_BIG", "32 bits"),
                            ("TWICE", "another value"), ("TO_NOWHERE", "not defined"),
                            ("LOOP_A", "refers to itself"), ("OF_BAD", "BAD_CAST has no value"),
                            ("FUNC", "function-like"), ("DEAD", "reads as a number"),
                            ("FACILITY_WIN32", "facility"), ("SEVERITY_ERROR", "severity"),
                            ("STATUS_SEVERITY_ERROR", "severity"), ("_WINERROR_", "guard")):
            self.assertIn(name, reasons)
            self.assertIn(words, reasons[name], name)
        self.assertNotIn("COMMENTED", reasons)
        self.assertNotIn("IN_COMMENT", reasons)

    def test_report_lists_what_was_skipped(self):
        rows, skipped, _ = gen.build(self.dir.name)
        err = io.StringIO()
        with contextlib.redirect_stderr(err):
            gen.report(rows, skipped, False)
        text = err.getvalue()
        self.assertIn("15 names: 8 Win32, 5 HRESULT, 2 NTSTATUS\n", text)
        self.assertIn("      8  value not read\n", text)
        self.assertIn("skipped winerror.h:19 BAD_CAST: value not read (cast to BOGUS): ((BOGUS)5)", text)
        self.assertIn("skipped winerror.h:20 TOO_BIG: value not read (value 0x100000000", text)
        self.assertIn("skipped winerror.h:28 OF_BAD: value not read (BAD_CAST has no value that was read)",
                      text)

    def run_main(self, *args):
        argv = sys.argv
        sys.argv = [SCRIPT, "--include", self.dir.name] + list(args)
        err = io.StringIO()
        try:
            with contextlib.redirect_stderr(err), contextlib.redirect_stdout(io.StringIO()):
                return gen.main(), err.getvalue()
        finally:
            sys.argv = argv

    def test_check_compares_with_the_written_table(self):
        out = os.path.join(self.dir.name, "table.inc")
        self.assertEqual(self.run_main("--output", out)[0], 0)
        with open(out) as f:
            text = f.read()
        self.assertIn('{"E_A", 0x80070005, ErrorNameKind::kHresult},', text)
        self.assertIn('{2, "RPC_RUNTIME"},', text)
        self.assertEqual(self.run_main("--output", out, "--check")[0], 0)
        with open(out, "w") as f:
            f.write(text.replace("0x80070005", "0x80070006", 1))
        status, err = self.run_main("--output", out, "--check")
        self.assertEqual(status, 1)
        self.assertIn("differs", err)

        os.remove(os.path.join(self.dir.name, "ntstatus.h"))
        status, err = self.run_main("--output", out, "--check")
        self.assertEqual(status, 77)
        self.assertIn("ntstatus.h not found", err)


if __name__ == "__main__":
    unittest.main()
