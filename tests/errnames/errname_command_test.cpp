// tarnix-cli errname run as a user runs it; and every plainly numeric
// define of the installed headers looked up through it.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <string_view>

#include "support/cli_run.h"

namespace tarnix {
namespace {

using namespace tarnix::test;

TEST(ErrNameCommand, NamesAndCodesBothWays) {
  TempDir dir("errname");
  CliRun run = RunCli(dir, "errname", "ERROR_ACCESS_DENIED 0x80070005 3221225506");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "0x00000005\tERROR_ACCESS_DENIED\n0x80070005\tE_ACCESSDENIED\n0xC0000022\tSTATUS_"
            "ACCESS_DENIED\n");
  EXPECT_EQ(run.err, "");

  run = RunCli(dir, "errname", "0");
  EXPECT_EQ(run.status, 0);
  for (const char* name : {"ERROR_SUCCESS", "NO_ERROR", "S_OK", "STATUS_SUCCESS"})
    EXPECT_NE(run.out.find(std::string("0x00000000\t") + name + "\n"), std::string::npos) << name;
  EXPECT_LT(run.out.find("\tERROR_SUCCESS\n"), run.out.find("\tSTATUS_SUCCESS\n"));  // by name

  run = RunCli(dir, "errname", "--decode e_accessdenied -2147024891");
  EXPECT_EQ(run.status, 0);
  const std::string reading =
      "  HRESULT: severity 1, facility WIN32 (7), code 5 = ERROR_ACCESS_DENIED\n";
  EXPECT_EQ(run.out,
            "0x80070005\tE_ACCESSDENIED\n" + reading + "0x80070005\tE_ACCESSDENIED\n" + reading);
}

TEST(ErrNameCommand, EachFailedArgumentIsNamedWithItsReason) {
  TempDir dir("errname");
  CliRun run = RunCli(
      dir, "errname",
      "' 5' 'E_ACCESSDENIED ' 'E_ACCESS DENIED' '' 0x 0x1FFFFFFFF 99999999999999999999999 E_NO_SUCH_NAME "
      "0x12345678 -0 -4294967295 -2147483649");
  EXPECT_EQ(run.status, 1);
  for (const char* line :
       {"'E_ACCESS DENIED': neither a number nor an error name: it holds a blank\n",
        "'': empty argument\n", "'0x': no hexadecimal digits after 0x\n",
        "'0x1FFFFFFFF': out of range. An error code is a number from -2147483648 to 4294967295 "
        "(-0x80000000 to 0xFFFFFFFF).\n",
        "'99999999999999999999999': out of range.", "'-4294967295': out of range.",
        "'-2147483649': out of range.",
        "'E_NO_SUCH_NAME': no such error name\n",
        "'0x12345678': no error name has the value 0x12345678\n"})
    EXPECT_NE(run.err.find(std::string("tarnix-cli errname: ") + line), std::string::npos)
        << line << run.err;
  // "-0" is 0 and matched; only the names of 0 reach stdout.
  EXPECT_NE(run.out.find("0x00000000\tERROR_SUCCESS\n"), std::string::npos);
  // Blanks at the ends are skipped, as errcode and the window skip them.
  EXPECT_NE(run.out.find("0x00000005\tERROR_ACCESS_DENIED\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("0x80070005\tE_ACCESSDENIED\n"), std::string::npos) << run.out;
  EXPECT_EQ(run.err.find("' 5'"), std::string::npos) << run.err;
  EXPECT_EQ(run.out.find("0x1"), std::string::npos);

  // A value without a name still decodes, under the bare value.
  run = RunCli(dir, "errname", "--decode 0xD0000022");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out,
            "0xD0000022\n  HRESULT: severity 1, from NTSTATUS 0xC0000022 = STATUS_ACCESS_DENIED\n");

  EXPECT_EQ(RunCli(dir, "errname", "").status, 2);
  EXPECT_EQ(RunCli(dir, "errname", "--decoded 5").status, 2);
  EXPECT_EQ(RunCli(dir, "errname", "--help").status, 0);
}

// A cursor over one header line, for the few shapes of value the test reads.
struct Scan {
  std::string_view s;

  void Blanks() {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  }
  bool Take(std::string_view text) {
    Blanks();
    if (s.substr(0, text.size()) != text) return false;
    s.remove_prefix(text.size());
    return true;
  }
  std::string Name() {
    Blanks();
    size_t n = 0;
    while (n < s.size() && (std::isalnum(static_cast<unsigned char>(s[n])) || s[n] == '_')) ++n;
    if (n == 0 || std::isdigit(static_cast<unsigned char>(s[0]))) return {};
    std::string name(s.substr(0, n));
    s.remove_prefix(n);
    return name;
  }
  bool Number(uint64_t& value) {
    Blanks();
    const bool hex = s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X');
    size_t n = hex ? 2 : 0;
    while (n < s.size() && (hex ? std::isxdigit(static_cast<unsigned char>(s[n]))
                                : std::isdigit(static_cast<unsigned char>(s[n]))))
      ++n;
    if (n == (hex ? 2u : 0u)) return false;
    value = std::stoull(std::string(s.substr(0, n)), nullptr, hex ? 16 : 10);
    s.remove_prefix(n);
    while (!s.empty() && std::strchr("uUlL", s.front())) s.remove_prefix(1);
    return true;
  }
  bool AtEnd() {
    Blanks();
    return s.empty();
  }
};

// A plain number, bare or in __MSABI_LONG(), _HRESULT_TYPEDEF_() or a
// ((TYPE)N) cast.
bool PlainValue(std::string_view text, uint32_t& out) {
  Scan v{text};
  int closes = 0;
  if (v.Take("__MSABI_LONG(") || v.Take("_HRESULT_TYPEDEF_(")) {
    closes = 1;
  } else if (v.Take("((")) {
    const std::string type = v.Name();
    if (type != "HRESULT" && type != "NTSTATUS" && type != "SCODE" && type != "DWORD" &&
        type != "LONG")
      return false;
    if (!v.Take(")")) return false;
    closes = 1;
  }
  uint64_t value;
  if (!v.Number(value) || value > 0xFFFFFFFF) return false;
  for (; closes; --closes)
    if (!v.Take(")")) return false;
  out = static_cast<uint32_t>(value);
  return v.AtEnd();
}

// Every "#define NAME VALUE" of winerror.h and ntstatus.h whose VALUE is a
// plain number is an error name with that value, and so is every define
// made of one of those; facility numbers, severity values and the headers'
// own markers are not error names.
TEST(ErrNameCommand, EveryPlainlyNumericDefineOfTheHeadersResolves) {
  const std::filesystem::path include = "/usr/share/mingw-w64/include";
  if (!std::filesystem::exists(include / "winerror.h") ||
      !std::filesystem::exists(include / "ntstatus.h"))
    GTEST_SKIP() << "mingw-w64 headers not installed (Debian package mingw-w64-common)";

  std::map<std::string, uint32_t> expected;
  // Defines whose value is another define's: "A B", "(B + 4)", "HRESULT_FROM_WIN32(B)".
  struct Derived {
    std::string target;
    uint32_t add = 0;
    bool fromWin32 = false;
  };
  std::map<std::string, Derived> aliases;
  std::map<std::string, size_t> skipped;
  for (const char* header : {"winerror.h", "ntstatus.h"}) {
    std::ifstream in(include / header);
    for (std::string line; std::getline(in, line);) {
      Scan d{line};
      if (!d.Take("#") || !d.Take("define")) continue;
      const std::string name = d.Name();
      if (name.empty()) continue;
      const bool functionLike = !d.s.empty() && d.s.front() == '(';
      d.Blanks();
      while (!d.s.empty() && std::isspace(static_cast<unsigned char>(d.s.back())))
        d.s.remove_suffix(1);
      const std::string value(d.s);
      uint32_t number;
      Scan v{value};
      Derived derived;
      uint64_t add;
      if (functionLike) {
        ++skipped["function-like macro"];
      } else if (name[0] == '_') {
        ++skipped["marker of the header"];
      } else if (name.rfind("FACILITY_", 0) == 0) {
        ++skipped["facility number"];
      } else if (name.find("SEVERITY_") != std::string::npos) {
        ++skipped["severity value"];
      } else if (PlainValue(value, number)) {
        expected[name] = number;
      } else if (!(derived.target = Scan{value}.Name()).empty() &&
                 Scan{value.substr(derived.target.size())}.AtEnd()) {
        aliases[name] = derived;
      } else if (v.Take("(") && !(derived.target = v.Name()).empty() && v.Take("+") &&
                 v.Number(add) && v.Take(")") && v.AtEnd()) {
        derived.add = static_cast<uint32_t>(add);
        aliases[name] = derived;
      } else if ((v = Scan{value}).Take("HRESULT_FROM_WIN32(") &&
                 !(derived.target = v.Name()).empty() && v.Take(")") && v.AtEnd()) {
        derived.fromWin32 = true;
        aliases[name] = derived;
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
        if (a->second.fromWin32 && static_cast<int32_t>(value) > 0)
          value = (value & 0xFFFF) | 0x80070000u;
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
      found[line.substr(tab + 1)] =
          static_cast<uint32_t>(std::stoul(line.substr(0, tab), nullptr, 16));
    }
  }
  EXPECT_EQ(found, expected);

  size_t skippedCount = 0;
  std::cout << plainCount << " plainly numeric defines and " << expected.size() - plainCount
            << " defined by another (A B, (B + N), HRESULT_FROM_WIN32(B)) resolve through "
               "tarnix-cli errname\n";
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
