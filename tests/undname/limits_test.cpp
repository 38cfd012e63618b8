// Hostile names finish with text or the undecoration failure: nesting,
// back-references and length are all capped.
#include <gtest/gtest.h>

#include <string>

#include "platform/last_error.h"
#include "platform/win_errors.h"
#include "undname/demangler.h"
#include "undname/undecorate.h"

namespace tarnix {
namespace {

std::string Repeat(std::string_view s, std::size_t n) {
  std::string out;
  out.reserve(s.size() * n);
  for (std::size_t i = 0; i < n; ++i) out += s;
  return out;
}

void ExpectFails(const std::string& name, uint32_t flags = 0) {
  SetLastError(0);
  EXPECT_FALSE(Undecorate(name, flags)) << name.substr(0, 80);
  EXPECT_EQ(GetLastError(), ERROR_UNDECORATION_FAILED) << name.substr(0, 80);
}

TEST(UndecorateLimits, NestingBeyondTheCapFailsWithinItWorks) {
  // Pointers, templates, nested symbols, function types, arrays.
  ExpectFails("?x@@3" + Repeat("PA", 100000) + "HA");
  ExpectFails("?x@@3" + Repeat("V?$A@", 50000) + "H" + Repeat("@", 100000) + "A");
  ExpectFails("?x@@3" + Repeat("P6A", 50000) + "H" + Repeat("XZ", 50000) + "A");
  ExpectFails(Repeat("?", 1 << 20));
  ExpectFails("?x@" + Repeat("??", 100000));
  ExpectFails("?x@@3V?$A@" + Repeat("$1?", 100000));
  ExpectFails("?x@@3" + Repeat("$$BY0A@", 100000) + "HA");

  // Real names nest a few dozen levels: well inside the cap.
  const int depth = 20;
  const std::string deep = "?x@@3" + Repeat("V?$A@", depth) + "H" + Repeat("@@", depth) + "A";
  const auto text = Undecorate(deep, 0);
  ASSERT_TRUE(text);
  EXPECT_EQ(text->substr(0, 16), "class A<class A<");
}

TEST(UndecorateLimits, BackReferencesOutOfRangeOrExplodingFail) {
  ExpectFails("?f@@YAX" + Repeat("9", 1 << 20) + "@Z");       // no such argument
  ExpectFails("?f@" + Repeat("9", 1 << 20) + "@YAXXZ");       // no such name
  ExpectFails("?x@@3" + Repeat("P", 10) + "A" + Repeat("0", 1000) + "A");
  // Every back-reference copies a long type: the output cap stops it.
  const std::string long_class = "V" + std::string(4000, 'a') + "@@";
  ExpectFails("?f@@YAX" + long_class + Repeat("0", 1 << 20) + "@Z");
  // A number too large for 64 bits.
  ExpectFails("?x@@3V?$A@$0" + std::string(40, 'P') + "@@@A");
}

TEST(UndecorateLimits, MegabyteNamesFinish) {
  // A name longer than the output cap fails; one just inside it undecorates.
  ExpectFails("?" + std::string(2 << 20, 'a') + "@@3HA");
  const auto ok = Undecorate("?" + std::string(100000, 'a') + "@@3HA", 0);
  ASSERT_TRUE(ok);
  EXPECT_EQ(ok->size(), 100004u);
  // Long runs of every kind of garbage.
  for (char c : {'@', '$', 'A', 'P', 'Y', '0', '_', '\xff'}) ExpectFails("?" + std::string(1 << 20, c));
  ExpectFails("??_C@_0" + std::string(1 << 20, 'A'));
}

}  // namespace
}  // namespace tarnix
