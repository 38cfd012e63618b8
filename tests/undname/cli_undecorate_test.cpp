// tarnix-cli undecorate, run as a process: arguments, standard input and the
// error line.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "core/error_text.h"
#include "platform/text_encoding.h"
#include "support/temp_dir.h"

namespace tarnix {
namespace {

struct CliRun {
  int status = -1;
  std::string out;
};

// Runs the CLI through the shell with `args`, feeding `input` on stdin.
CliRun RunCli(const std::string& args, const std::string& input) {
  test::TempDir dir("cli");
  const auto in_path = dir.path() / "in.txt";
  std::ofstream(in_path, std::ios::binary) << input;
  const std::string cmd = std::string("'") + TARNIX_CLI_PATH + "' undecorate " + args + " < '" + in_path.string() + "'";
  CliRun r;
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return r;
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
  const int st = pclose(p);
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return r;
}

std::string ErrorLine(uint32_t code) {
  return "<ERROR: (" + ToUtf8(ErrorCodeToText(code)) + ") " + ToUtf8(ErrorDescription(code)) + ">";
}

TEST(CliUndecorate, StdinGivesOneLinePerNameWithTheErrorForm) {
  const CliRun r = RunCli("", "?x@@3HA\r\n?bad\n\n  ?f@@YAXXZ  \n?_Doraise@bad_cast@std@@MEBAXXZ");
  EXPECT_EQ(r.status, 1);  // one name failed
  EXPECT_EQ(r.out, "int x\n" + ErrorLine(12175) +
                       "\n\nvoid f(void)\n"
                       "protected: virtual void std::bad_cast::_Doraise(void)const \n");
  EXPECT_NE(ErrorLine(12175).find("(12175) "), std::string::npos);
}

TEST(CliUndecorate, FlagsInDecimalOrHexAndNamesAsArguments) {
  const char* m = "?_Doraise@bad_cast@std@@MEBAXXZ";
  const CliRun hex = RunCli(std::string("--flags 0x1000 ") + m, "");
  const CliRun dec = RunCli(std::string("--flags 4096 ") + m + " ?y@@3HA", "");
  EXPECT_EQ(hex.status, 0);
  EXPECT_EQ(hex.out, "std::bad_cast::_Doraise\n");
  EXPECT_EQ(dec.out, "std::bad_cast::_Doraise\ny\n");
  EXPECT_EQ(RunCli(std::string("--flags 0 ") + m, "").out,
            "protected: virtual void __cdecl std::bad_cast::_Doraise(void)const __ptr64\n");
  EXPECT_EQ(RunCli("--flags zz ?x@@3HA", "").status, 2);
  EXPECT_EQ(RunCli("--flags", "").status, 2);
  EXPECT_EQ(RunCli("--flags 0x100000000 ?x@@3HA", "").status, 2);
}

TEST(CliUndecorate, LongInputStreamsThrough) {
  std::string input;
  for (int i = 0; i < 20000; ++i) input += "?x" + std::to_string(i) + "@@3HA\n";
  const CliRun r = RunCli("", input);
  EXPECT_EQ(r.status, 0);
  std::size_t lines = 0;
  for (char c : r.out) lines += c == '\n';
  EXPECT_EQ(lines, 20000u);
  EXPECT_EQ(r.out.substr(0, 9), "int x0\nin");
  EXPECT_NE(r.out.find("int x19999\n"), std::string::npos);
}

}  // namespace
}  // namespace tarnix
