// Images made by a real linker (LLVM's lld-link, for both bitnesses): plain
// imports, delay-load imports by name and by ordinal, named, C++ and
// forwarded exports. The sample images of the other tests are built by hand;
// these check the reader against what a toolchain writes. Skipped when clang,
// lld-link or llvm-dlltool is missing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "support/cli_run.h"
#include "support/temp_dir.h"

namespace tarnix::test {
namespace {

bool HaveTool(const char* name) {
  return std::system(("command -v " + std::string(name) + " >/dev/null 2>&1").c_str()) == 0;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::stringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

constexpr char kAppSource[] = R"(#ifdef _M_IX86
#define WINAPI __stdcall
#else
#define WINAPI
#endif
int TargetFunc(int);
int TargetOrdinal(int);
unsigned WINAPI GetTickCount(void);
void *WINAPI __delayLoadHelper2(void *d, void *f) { (void)d; (void)f; return 0; }
int Use(int x) { return TargetFunc(x) + TargetOrdinal(x) + (int)GetTickCount(); }
int WINAPI Entry(void *a, unsigned b, void *c) { (void)a; (void)b; (void)c; return 1; }
)";

class LinkerImages : public testing::TestWithParam<bool> {};

TEST_P(LinkerImages, EverySymbolIsRead) {
  for (const char* tool : {"clang", "lld-link", "llvm-dlltool"})
    if (!HaveTool(tool)) GTEST_SKIP() << tool << " is not installed";
  const bool x86 = GetParam();
  TempDir dir;
  dir.Write("app.c", kAppSource);
  dir.Write("target.def", "LIBRARY target.dll\nEXPORTS\n  TargetFunc\n  TargetOrdinal @7 NONAME\n");
  // 32-bit __stdcall names carry their argument size, which -k drops again.
  dir.Write("kernel.def", x86 ? "LIBRARY kernel.dll\nEXPORTS\n  GetTickCount@0\n"
                              : "LIBRARY kernel.dll\nEXPORTS\n  GetTickCount\n");
  dir.Write("app.def",
            "LIBRARY app.dll\nEXPORTS\n  Use\n  ?Alias@@YAHH@Z=Use\n  Ticks=kernel.GetTickCount\n");
  const std::string machine = x86 ? "i386 -k" : "i386:x86-64";
  const std::string script =
      "cd '" + dir.path().string() + "' && " + "llvm-dlltool -m " + machine +
      " -d target.def -l target.lib && " + "llvm-dlltool -m " + machine + " -d kernel.def -l kernel.lib && " +
      "clang --target=" + (x86 ? "i686" : "x86_64") + "-pc-windows-msvc -O1 -c app.c -o app.obj && " +
      "lld-link /dll /machine:" + (x86 ? "x86 /entry:Entry@12" : "x64 /entry:Entry") +
      " /nodefaultlib /def:app.def /out:app.dll app.obj target.lib kernel.lib /delayload:target.dll" +
      " >build.log 2>&1";
  ASSERT_EQ(std::system(script.c_str()), 0) << "the toolchain failed; see build.log in " << dir.path();

  CliRun run = RunCli(dir, "symbols", (dir.path() / "app.dll").string());
  ASSERT_EQ(run.status, 0) << run.err;
  const auto lines = Lines(run.out);
  ASSERT_EQ(lines.size(), 7u) << run.out;
  EXPECT_EQ(lines[0], "Import\tkernel.dll\tGetTickCount\t0\t0\tUnbound");
  EXPECT_EQ(lines[1], "Export\tapp.dll\t?Alias@@YAHH@Z\t1\t0\t");
  EXPECT_EQ(lines[2], "Export\tapp.dll\tTicks\t2\t1\t");
  // lld puts an underscore before a 32-bit forwarder's module; the image
  // holds what it holds.
  EXPECT_EQ(lines[3],
            std::string("Export Forwarded\tapp.dll\t") + (x86 ? "_" : "") + "kernel.GetTickCount\t2\t1\t");
  EXPECT_EQ(lines[4], "Export\tapp.dll\tUse\t3\t2\t");
  EXPECT_EQ(lines[5], "Delay-Load Import\ttarget.dll\tTargetFunc\t0\t0\tUnbound");
  EXPECT_EQ(lines[6], "Delay-Load Import (Ordinal)\ttarget.dll\t#7\t7\t\tUnbound");

  // The C++ export is found through its undecorated text (the default flags
  // leave out the calling convention).
  CliRun cpp = RunCli(dir, "search",
                      dir.path().string() + " --name app.dll --for 'int Alias(int)' --columns 0,1 --quiet");
  EXPECT_EQ(cpp.out, "?Alias@@YAHH@Z\tExport (C++)\n") << cpp.err;
}

INSTANTIATE_TEST_SUITE_P(Bitness, LinkerImages, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "x86" : "x64"; });

}  // namespace
}  // namespace tarnix::test
