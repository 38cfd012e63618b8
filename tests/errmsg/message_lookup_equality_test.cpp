// The search that visits only the codes the message tables hold must post
// exactly what the walk over every code posts: generated tables with
// overlapping blocks, facility-7 codes, codes near 0xFFFFFFFF, ranges that
// wrap, modules with and without a table and one that cannot be loaded.
#include <gtest/gtest.h>

#include <random>

#include "message_search_fixture.h"

namespace tarnix {
namespace {

using namespace tarnix::test;

const char16_t* const kTexts[] = {
    u"Access is denied.\r\n", u"The file 5 was not found.", u"access%nsecond line",
    u"Code 0x8007 of its own.", u"  Padded denied text  ", u"plain", u"-1 stands here.",
    u"Denied, not accessible."};

// Blocks of 1..24 ids starting in one of the areas where codes have texts.
std::vector<MessageBlock> RandomBlocks(std::mt19937& rng, int count,
                                       const std::vector<uint32_t>& areas) {
  std::vector<MessageBlock> blocks;
  for (int b = 0; b < count; ++b) {
    const uint32_t area = areas[rng() % areas.size()];
    const uint32_t low = area + rng() % 0x200;
    const uint32_t size = 1 + rng() % 24;
    const uint32_t high = low + size - 1 < low ? 0xFFFFFFFF : low + size - 1;
    MessageBlock block{low, high, {}};
    for (uint64_t id = low; id <= high; ++id)
      block.entries.push_back(MessageEntry(kTexts[rng() % std::size(kTexts)]));
    blocks.push_back(block);
  }
  return blocks;
}

TEST(MessageLookup, TableCodesPostWhatEveryCodePosts) {
  const std::vector<uint32_t> systemAreas = {0, 0x100, 0x600, 0x80070000, 0xFFFFFE00,
                                             0xC0000000};
  for (uint32_t seed = 1; seed <= 3; ++seed) {
    std::mt19937 rng(seed);
    SystemFolder system({MessageTableResource(0x409, RandomBlocks(rng, 12, systemAreas))});
    system.Add("kernel32.dll", {MessageTableResource(0x409, RandomBlocks(rng, 3, {0, 0x400}))});
    const std::filesystem::path own = system.Add(
        "own.dll", {MessageTableResource(0x409, RandomBlocks(rng, 6, {0, 0x200, 0xC0000000}))});
    const std::filesystem::path plain = system.Add("plain.dll", {});
    const std::wstring ownPath = FromUtf8(own.string());
    const std::vector<ErrorRange> ranges = {
        Range(0, 0x7FF),
        Range(0xFFFFFF00, 0x100, 0, {}, L"Wrapping"),
        Range(0x80070000, 0x800702FF, kRangeCodeHresult),
        Range(0, 0x3FF, kRangeModuleAbsolute, ownPath, L"Own"),
        Range(0x100, 0x2FF, kRangeModuleAbsolute, FromUtf8(plain.string()), L"No table"),
        Range(0xC0000000, 0xC00003FF, kRangeCodeHresult | kRangeModuleSystem, L"OWN.dll"),
        Range(5, 9, kRangeModuleAbsolute, FromUtf8((system.path() / "gone.dll").string())),
        Range(0xFFFFFFF0, 0xFFFFFFFF, 0, {}, L"Negative"),
    };
    struct Word {
      const wchar_t* text;
      bool regex, caseSensitive, wholeWords;
    };
    const Word words[] = {{L"access", false, false, false}, {L"denied", false, true, true},
                          {L"5", false, false, false},      {L"0x8007*", false, false, false},
                          {L"-1", false, false, true},      {L"^(4|-)||line", true, false, false},
                          {L"ACC", true, true, false},      {L"x?0", false, false, false}};
    uint64_t found = 0;
    for (const Word& w : words) {
      MessageSearchParams p;
      p.word = w.text;
      p.regex = w.regex;
      p.caseSensitive = w.caseSensitive;
      p.wholeWords = w.wholeWords;
      p.ranges = ranges;
      p.systemFolder = system.path();
      p.lookup = MessageLookup::kTableCodes;
      const SearchOutcome fast = RunSearch(p);
      p.lookup = MessageLookup::kEveryCode;
      const SearchOutcome every = RunSearch(p);
      SCOPED_TRACE(testing::Message() << "seed " << seed << ", word " << ToUtf8(w.text));
      EXPECT_TRUE(fast.completed);
      EXPECT_TRUE(every.completed);
      EXPECT_EQ(fast.lines, every.lines);
      EXPECT_EQ(fast.matches, every.matches);
      EXPECT_EQ(fast.processed, every.processed);
      EXPECT_EQ(fast.processed, RangeListCodeCount(ranges));
      found += fast.matches;
    }
    EXPECT_GT(found, 100u);  // the words do find something
  }
}

}  // namespace
}  // namespace tarnix
