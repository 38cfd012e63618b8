#include "core/text_pool.h"

#include <gtest/gtest.h>

#include <random>

#include "core/compact_text.h"

namespace tarnix {
namespace {

TEST(CompactText, EveryValueComesBackAndBytesOrderAsValues) {
  std::vector<uint32_t> values = {0, 1, 0x7F, 0x80, 0x7FF, 0x800, 0xD800, 0xDC80, 0xDFFF, 0xFFFF, 0x10000,
                                  0x10FFFF, 0x110000, 0x1FFFFF, 0x200000, 0x3FFFFFF, 0x4000000, 0x7FFFFFFF};
  std::mt19937 rng(3);
  for (int i = 0; i < 2000; ++i) values.push_back(rng() >> (rng() % 31));
  std::string prev;
  std::sort(values.begin(), values.end());
  for (uint32_t v : values) {
    const std::wstring text(1, static_cast<wchar_t>(v));
    std::string bytes;
    AppendCompactText(bytes, text);
    std::wstring back;
    AppendDecodedText(back, bytes);
    ASSERT_EQ(back, text) << std::hex << v;
    ASSERT_LE(prev, bytes) << std::hex << v;
    prev = bytes;
  }
  // A cut sequence ends the text where it breaks.
  std::wstring back;
  AppendDecodedText(back, std::string("ab\xE2\x98", 4));
  EXPECT_EQ(back, L"ab");
  EXPECT_TRUE(IsAsciiBytes("plain text, long enough for a word"));
  EXPECT_FALSE(IsAsciiBytes("plain text, long enough\xC3\xA9"));
}

TEST(TextPool, EachTextOnceDenseIdsAnyLength) {
  TextPool pool;
  EXPECT_EQ(pool.size(), 1u);
  EXPECT_EQ(pool.Intern(L""), TextPool::kEmpty);
  const uint32_t a = pool.Intern(L"CreateFileW");
  EXPECT_EQ(a, 1u);
  EXPECT_EQ(pool.Intern(L"CreateFileW"), a);
  EXPECT_NE(pool.Intern(L"createfilew"), a);
  // Enough texts to grow the look-up table and fill several blocks, and
  // texts longer than a block.
  for (int i = 0; i < 200000; ++i) ASSERT_EQ(pool.Intern(L"name" + std::to_wstring(i)), uint32_t(i + 3));
  const std::wstring huge(700000, L'\x263a');
  const uint32_t h = pool.Intern(huge);
  const uint32_t after = pool.Intern(L"after the huge one");
  for (int i = 0; i < 200000; i += 1999) ASSERT_EQ(pool.Text(uint32_t(i + 3)), L"name" + std::to_wstring(i));
  EXPECT_EQ(pool.Text(h), huge);
  EXPECT_EQ(pool.Intern(huge), h);
  EXPECT_EQ(pool.Text(after), L"after the huge one");
  EXPECT_GT(pool.memoryUsed(), huge.size() * 3);
  pool.Clear();
  EXPECT_EQ(pool.size(), 1u);
  EXPECT_EQ(pool.Intern(L"x"), 1u);
}

}  // namespace
}  // namespace tarnix
