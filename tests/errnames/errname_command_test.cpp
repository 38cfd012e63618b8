// tarnix-cli errname run as a user runs it; and every plainly numeric
// define of the installed headers looked up through it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <regex>
#include <sstream>
#include <string>

#include "support/cli_run.h"

namespace tarnix {
namespace {

using namespace tarnix::test;

TEST(ErrNameCommand, NamesAndCodesBothWays) {
  TempDir dir("errname");
  CliRun run = RunCli(dir, "errname", "ERROR_ACCESS_DENIED 0x80070005 3221225506");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "0x00000005\tERROR_ACCESS_DENIED\n0x80070005\tE_ACCESSDENIED\n0xC0000022\tSTATUS_ACCESS_DENIED\n");
  EXPECT_EQ(run.err, "");

  run = RunCli(dir, "errname", "0");
  EXPECT_EQ(run.status, 0);
  for (const char* name : {"ERROR_SUCCESS", "NO_ERROR", "S_OK", "STATUS_SUCCESS"})
    EXPECT_NE(run.out.find(std::string("0x00000000\t") + name + "\n"), std::string::npos) << name;
  EXPECT_LT(run.out.find("\tERROR_SUCCESS\n"), run.out.find("\tSTATUS_SUCCESS\n"));  // by name

  run = RunCli(dir, "errname", "--decode e_accessdenied -2147024891");
  EXPECT_EQ(run.status, 0);
  const std::string reading = "  HRESULT: severity 1, facility WIN32 (7), code 5 = ERROR_ACCESS_DENIED\n";
  EXPECT_EQ(run.out, "0x80070005\tE_ACCESSDENIED\n" + reading + "0x80070005\tE_ACCESSDENIED\n" + reading);
}

TEST(ErrNameCommand, EachFailedArgumentIsNamedWithItsReason) {
  TempDir dir("errname");
  CliRun run = RunCli(dir, "errname",
                      "'E_ACCESSDENIED ' '' 0x 0x1FFFFFFFF 99999999999999999999999 E_NO_SUCH_NAME 0x12345678 -0");
  EXPECT_EQ(run.status, 1);
  for (const char* line : {"'E_ACCESSDENIED ': neither a number nor an error name: it holds a blank\n",
                           "'': empty argument\n", "'0x': no hexadecimal digits after 0x\n",
                           "'0x1FFFFFFFF': the number does not fit in 32 bits\n",
                           "'99999999999999999999999': the number does not fit in 32 bits\n",
                           "'E_NO_SUCH_NAME': no such error name\n",
                           "'0x12345678': no error name has the value 0x12345678\n"})
    EXPECT_NE(run.err.find(std::string("tarnix-cli errname: ") + line), std::string::npos) << line << run.err;
  // "-0" is 0 and matched; only the names of 0 reach stdout.
  EXPECT_NE(run.out.find("0x00000000\tERROR_SUCCESS\n"), std::string::npos);
  EXPECT_EQ(run.out.find("0x1"), std::string::npos);

  // A value without a name still decodes, under the bare value.
  run = RunCli(dir, "errname", "--decode 0xD0000022");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "0xD0000022\n  HRESULT: severity 1, from NTSTATUS 0xC0000022 = STATUS_ACCESS_DENIED\n");

  EXPECT_EQ(RunCli(dir, "errname", "").status, 2);
  EXPECT_EQ(RunCli(dir, "errname", "--decoded 5").status, 2);
  EXPECT_EQ(RunCli(dir, "errname", "--help").status, 0);
}

// Every "#define NAME VALUE" of winerror.h and ntstatus.h whose VALUE is a
// plain number (bare, or in __MSABI_LONG(), _HRESULT_TYPEDEF_() or a
// ((TYPE)N) cast) is an error name with that value, and so is every define
// made of one of those; facility numbers, severity values and the headers'
// own markers are not error names.
TEST(ErrNameCommand, EveryPlainlyNumericDefineOfTheHeadersResolves) {
  const std::filesystem::path include = "/usr/share/mingw-w64/include";
  if (!std::filesystem::exists(include / "winerror.h") || !std::filesystem::exists(include / "ntstatus.h"))
    GTEST_SKIP() << "mingw-w64 headers not installed (Debian package mingw-w64-common)";

  const std::regex define(R"(^\s*#\s*define\s+([A-Za-z_][A-Za-z0-9_]*)(\(?)\s*(.*?)\s*$)");
  const std::regex plain(
      R"(^(?:__MSABI_LONG\(|_HRESULT_TYPEDEF_\(|\(\((?:HRESULT|NTSTATUS|SCODE|DWORD|LONG)\)\s*)?)"
      R"((0[xX][0-9A-Fa-f]+|[0-9]+)[uUlL]*\)*$)");
  std::map<std::string, uint32_t> expected;
  // Defines whose value is another define's: "A B", "(B + 4)", "HRESULT_FROM_WIN32(B)".
  struct Derived {
    std::string target;
    uint32_t add = 0;
    bool fromWin32 = false;
  };
  std::map<std::string, Derived> aliases;
  const std::regex alias(R"(^([A-Za-z_][A-Za-z0-9_]*)$)");
  const std::regex plus(R"(^\(\s*([A-Za-z_][A-Za-z0-9_]*)\s*\+\s*([0-9]+)\s*\)$)");
  const std::regex fromWin32(R"(^HRESULT_FROM_WIN32\(\s*([A-Za-z_][A-Za-z0-9_]*)\s*\)$)");
  std::map<std::string, size_t> skipped;
  for (const char* header : {"winerror.h", "ntstatus.h"}) {
    std::ifstream in(include / header);
    for (std::string line; std::getline(in, line);) {
      std::smatch d, v;
      if (!std::regex_match(line, d, define)) continue;
      const std::string name = d[1], value = d[3];
      if (d[2].length()) {
        ++skipped["function-like macro"];
      } else if (name[0] == '_') {
        ++skipped["marker of the header"];
      } else if (name.rfind("FACILITY_", 0) == 0) {
        ++skipped["facility number"];
      } else if (name.find("SEVERITY_") != std::string::npos) {
        ++skipped["severity value"];
      } else if (std::regex_match(value, v, plain)) {
        expected[name] = static_cast<uint32_t>(std::stoull(v[1].str(), nullptr, 0));
      } else if (std::regex_match(value, v, alias)) {
        aliases[name] = {v[1]};
      } else if (std::regex_match(value, v, plus)) {
        aliases[name] = {v[1], static_cast<uint32_t>(std::stoul(v[2]))};
      } else if (std::regex_match(value, v, fromWin32)) {
        aliases[name] = {v[1], 0, true};
      } else {
        ++skipped["a value the test does not read: " + value];
      }
    }
  }
  // Resolved in rounds: a define may name one that is itself derived.
  const size_t plainCount = expected.size();
  for (bool more = true; more;) {
    more = false;
    for (auto a = aliases.begin(); a != aliases.end();) {
      if (auto target = expected.find(a->second.target); target != expected.end()) {
        uint32_t value = target->second + a->second.add;
        if (a->second.fromWin32 && static_cast<int32_t>(value) > 0) value = (value & 0xFFFF) | 0x80070000u;
        expected[a->first] = value;
        a = aliases.erase(a);
        more = true;
      } else {
        ++a;
      }
    }
  }
  EXPECT_TRUE(aliases.empty()) << aliases.begin()->first << " names no define with a value";
  ASSERT_GT(expected.size(), 5000u);

  TempDir dir("errname");
  std::map<std::string, uint32_t> found;
  auto it = expected.begin();
  while (it != expected.end()) {
    std::string args;
    for (int i = 0; i < 500 && it != expected.end(); ++i, ++it) args += " " + it->first;
    const CliRun run = RunCli(dir, "errname", args);
    EXPECT_EQ(run.status, 0) << run.err;
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);) {
      const size_t tab = line.find('\t');
      ASSERT_EQ(tab, 10u) << line;
      found[line.substr(tab + 1)] = static_cast<uint32_t>(std::stoul(line.substr(0, tab), nullptr, 16));
    }
  }
  EXPECT_EQ(found, expected);

  size_t skippedCount = 0;
  std::cout << plainCount << " plainly numeric defines and " << expected.size() - plainCount
            << " defined by another (A B, (B + N), HRESULT_FROM_WIN32(B)) resolve through tarnix-cli errname\n";
  for (const auto& [reason, count] : skipped) {
    std::cout << "  skipped " << count << ": " << reason << "\n";
    skippedCount += count;
  }
  RecordProperty("plain", static_cast<int>(plainCount));
  RecordProperty("derived", static_cast<int>(expected.size() - plainCount));
  RecordProperty("skipped", static_cast<int>(skippedCount));
}

}  // namespace
}  // namespace tarnix
