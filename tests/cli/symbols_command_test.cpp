// tarnix-cli symbols, run as a user runs it.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "support/cli_run.h"
#include "support/pe_builder.h"
#include "support/temp_dir.h"

namespace tarnix::test {
namespace {

CliRun Symbols(const TempDir& dir, const std::string& args) { return RunCli(dir, "symbols", args); }

TEST(SymbolsCommand, ListsEverySymbolTabSeparated) {
  TempDir dir;
  PeBuilder b(PeBuilder::Kind::kPe32);
  b.Import({"KERNEL32.dll", {ImportSymbol::Named("CreateFileW", 0xC3), ImportSymbol::Ordinal(17)},
            0xFFFFFFFF});
  b.Exports({"lib.dll", 1, {{1, "Caf\xE9", ""}, {2, "", "NTDLL.RtlBeta"}}});
  b.DelayImport({"SHELL32.dll", {ImportSymbol::Named("ShellExecuteW", 9)}});
  std::filesystem::path image = dir.Write("lib.dll", b.Build().bytes);
  CliRun run = Symbols(dir, image.string());
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out,
            "Import\tKERNEL32.dll\tCreateFileW\t0\t195\tBound\n"
            "Import (Ordinal)\tKERNEL32.dll\t#17\t17\t\tBound\n"
            "Export\tlib.dll\tCaf\xC3\xA9\t1\t0\t\n"  // Windows-1252 shown as UTF-8
            "Export (Ordinal)\tlib.dll\t#2\t2\t\t\n"
            "Export Forwarded\tlib.dll\tNTDLL.RtlBeta\t2\t\t\n"
            "Delay-Load Import\tSHELL32.dll\tShellExecuteW\t0\t9\tUnbound\n");
}

TEST(SymbolsCommand, RefusedFilesAndUsage) {
  TempDir dir;
  std::filesystem::path text = dir.Write("notes.txt", std::string(100, 'x'));
  std::filesystem::path image =
      dir.Write("a.dll", PeBuilder().Exports({"a.dll", 1, {{1, "F", ""}}}).Build().bytes);
  CliRun run = Symbols(dir, text.string() + " " + image.string());
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "Export\ta.dll\tF\t1\t0\t\n");
  EXPECT_EQ(run.err, text.string() + ": (198:193) The file is not a valid executable image.\n");

  EXPECT_EQ(Symbols(dir, "").status, 2);
  EXPECT_EQ(Symbols(dir, "--bogus " + image.string()).status, 2);
}

}  // namespace
}  // namespace tarnix::test
