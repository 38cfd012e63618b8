#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "errmsg/range_list_blob.h"
#include "errmsg/range_preset_blob.h"
#include "errmsg/range_set.h"
#include "platform/last_error.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

// Builds stored bytes by hand, field by field.
struct Bytes {
  std::vector<uint8_t> b;
  Bytes& U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
    return *this;
  }
  Bytes& Str(const std::u16string& s) {
    U32(uint32_t(s.size()));
    for (char16_t c : s) {
      b.push_back(uint8_t(c));
      b.push_back(uint8_t(c >> 8));
    }
    return *this;
  }
};

uint32_t DecodeListError(const std::vector<uint8_t>& bytes) {
  std::vector<ErrorRange> list{ErrorRange{1, 2, 0, L"", L"kept"}};
  SetLastError(0);
  EXPECT_FALSE(DecodeRangeListBlob(bytes, list));
  EXPECT_EQ(list.size(), 1u);  // a failed read leaves the list alone
  return GetLastError();
}

uint32_t DecodePresetsError(const std::vector<uint8_t>& bytes) {
  std::vector<RangeSet> presets;
  SetLastError(0);
  EXPECT_FALSE(DecodeRangePresetsBlob(bytes, presets));
  EXPECT_TRUE(presets.empty());
  return GetLastError();
}

TEST(RangeListBlob, ExactLayoutAndRoundTrip) {
  const std::vector<ErrorRange> list = {
      {12000, 12175, 1, L"wininet.dll", L"WinInet Errors"},
      {0xFFFFFFF0, 15, 0x100, L"", L"Wrap \u0416 \U0001F600"},
  };
  std::vector<uint8_t> blob;
  ASSERT_TRUE(EncodeRangeListBlob(list, blob));
  Bytes expect;
  expect.U32(2).U32(12000).U32(12175).U32(1).Str(u"wininet.dll").Str(u"WinInet Errors");
  expect.U32(0xFFFFFFF0).U32(15).U32(0x100).Str(u"").Str(u"Wrap \u0416 \U0001F600");
  EXPECT_EQ(blob, expect.b);

  std::vector<ErrorRange> back;
  ASSERT_TRUE(DecodeRangeListBlob(blob, back));
  EXPECT_EQ(back, list);

  ASSERT_TRUE(EncodeRangeListBlob({}, blob));
  EXPECT_EQ(blob, Bytes().U32(0).b);
  ASSERT_TRUE(DecodeRangeListBlob(blob, back));
  EXPECT_TRUE(back.empty());
}

TEST(RangeListBlob, WriteRefusals) {
  std::vector<uint8_t> blob{9};
  std::vector<ErrorRange> many(1025);
  EXPECT_FALSE(EncodeRangeListBlob(many, blob));
  EXPECT_EQ(GetLastError(), ERROR_TOO_MANY_CMDS);
  many.resize(1024);
  EXPECT_TRUE(EncodeRangeListBlob(many, blob));

  blob = {9};
  EXPECT_FALSE(EncodeRangeListBlob(std::vector<ErrorRange>{{0, 1, 3, L"", L""}}, blob));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_FLAGS);
  EXPECT_FALSE(
      EncodeRangeListBlob(std::vector<ErrorRange>{{0, 1, 2, std::wstring(261, L'a'), L""}}, blob));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_NAME_LENGTH);
  EXPECT_FALSE(
      EncodeRangeListBlob(std::vector<ErrorRange>{{0, 1, 0, L"", std::wstring(257, L'a')}}, blob));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_NAME_LENGTH);
  EXPECT_EQ(blob, std::vector<uint8_t>{9});
}

TEST(RangeListBlob, EveryReadCheck) {
  EXPECT_EQ(DecodeListError({}), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(DecodeListError({1, 0, 0}), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(DecodeListError(Bytes().U32(1025).b), ERROR_TOO_MANY_CMDS);
  EXPECT_EQ(DecodeListError(Bytes().U32(1).b), ERROR_BAD_LENGTH);
  EXPECT_EQ(DecodeListError(Bytes().U32(1).U32(1).U32(2).b), ERROR_BAD_LENGTH);
  EXPECT_EQ(DecodeListError(Bytes().U32(1).U32(1).U32(2).U32(0).b), ERROR_BAD_LENGTH);
  EXPECT_EQ(DecodeListError(Bytes().U32(1).U32(1).U32(2).U32(0).U32(3).b), ERROR_BAD_LENGTH);
  EXPECT_EQ(DecodeListError(Bytes().U32(1).U32(1).U32(2).U32(0).Str(u"").U32(1).b),
            ERROR_BAD_LENGTH);
  // Flags: module kind above 2, or code-kind bits 9-11.
  EXPECT_EQ(DecodeListError(Bytes().U32(1).U32(1).U32(2).U32(3).Str(u"").Str(u"").b),
            ERROR_INVALID_FLAGS);
  EXPECT_EQ(DecodeListError(Bytes().U32(1).U32(1).U32(2).U32(0x200).Str(u"").Str(u"").b),
            ERROR_INVALID_FLAGS);
  // Name limits: a length over the limit is refused before the data is read.
  EXPECT_EQ(DecodeListError(Bytes().U32(1).U32(1).U32(2).U32(1).U32(261).b),
            ERROR_INVALID_NAME_LENGTH);
  EXPECT_EQ(DecodeListError(Bytes().U32(1).U32(1).U32(2).U32(1).Str(u"a").U32(257).b),
            ERROR_INVALID_NAME_LENGTH);
  EXPECT_EQ(DecodeListError(Bytes().U32(1).U32(1).U32(2).U32(0).Str(u"").Str(u"").U32(0).b),
            ERROR_CHECKSUM_MISMATCH);
  EXPECT_EQ(DecodeListError({0, 0, 0, 0, 7}), ERROR_CHECKSUM_MISMATCH);
  // A huge count with little data fails cleanly, without a huge allocation.
  EXPECT_EQ(DecodeListError(Bytes().U32(1024).U32(1).b), ERROR_BAD_LENGTH);
  // Bits outside the checked ones are carried along.
  std::vector<ErrorRange> back;
  ASSERT_TRUE(DecodeRangeListBlob(Bytes().U32(1).U32(1).U32(2).U32(0x10102).Str(u"/a").Str(u"").b,
                                  back));
  EXPECT_EQ(back[0].flags, 0x10102u);
}

TEST(RangePresetsBlob, ExactLayoutAndRoundTrip) {
  const std::vector<RangeSet> presets = {
      {{{1, 2, 0x101, L"kernel32.dll", L"First"}, {3, 4, 0, L"", L""}},
       L"One",
       kRangeSetUnsaved | kRangeSetBuiltIn | 0x40},
      {{}, L"Empty \u00E9", 0},
  };
  std::vector<uint8_t> blob;
  ASSERT_TRUE(EncodeRangePresetsBlob(presets, blob));
  Bytes expect;
  expect.U32(2).U32(0x40).Str(u"One").U32(2);
  expect.U32(0x101).U32(1).U32(2).Str(u"First").Str(u"kernel32.dll");
  expect.U32(0).U32(3).U32(4).Str(u"").Str(u"");
  expect.U32(0).Str(u"Empty \u00E9").U32(0);
  EXPECT_EQ(blob, expect.b);

  std::vector<RangeSet> back;
  ASSERT_TRUE(DecodeRangePresetsBlob(blob, back));
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[0].setFlags, 0x40u);  // memory-only bits are not stored
  EXPECT_EQ(back[0].ranges, presets[0].ranges);
  EXPECT_EQ(back[0].name, L"One");
  EXPECT_EQ(back[1], presets[1]);
}

TEST(RangePresetsBlob, WriteRefusals) {
  std::vector<uint8_t> blob{9};
  std::vector<RangeSet> many(65);
  EXPECT_FALSE(EncodeRangePresetsBlob(many, blob));
  EXPECT_EQ(GetLastError(), ERROR_TOO_MANY_NAMES);
  many.resize(64);
  EXPECT_TRUE(EncodeRangePresetsBlob(many, blob));
  blob = {9};

  std::vector<RangeSet> one(1);
  one[0].ranges.resize(1025);
  EXPECT_FALSE(EncodeRangePresetsBlob(one, blob));
  EXPECT_EQ(GetLastError(), ERROR_TOO_MANY_CMDS);
  one[0].ranges = {{0, 1, 0x400, L"", L""}};
  EXPECT_FALSE(EncodeRangePresetsBlob(one, blob));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_FLAGS);
  one[0].ranges.clear();
  one[0].name.assign(257, L'n');
  EXPECT_FALSE(EncodeRangePresetsBlob(one, blob));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_NAME_LENGTH);
  EXPECT_EQ(blob, std::vector<uint8_t>{9});
}

TEST(RangePresetsBlob, EveryReadCheck) {
  EXPECT_EQ(DecodePresetsError({1, 2}), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(DecodePresetsError(Bytes().U32(65).b), ERROR_TOO_MANY_NAMES);
  EXPECT_EQ(DecodePresetsError(Bytes().U32(1).b), ERROR_BAD_LENGTH);
  EXPECT_EQ(DecodePresetsError(Bytes().U32(1).U32(0).U32(4).b),
            ERROR_BAD_LENGTH);
  EXPECT_EQ(DecodePresetsError(Bytes().U32(1).U32(0).U32(257).b), ERROR_INVALID_NAME_LENGTH);
  EXPECT_EQ(DecodePresetsError(Bytes().U32(1).U32(0).Str(u"p").b), ERROR_BAD_LENGTH);
  EXPECT_EQ(DecodePresetsError(Bytes().U32(1).U32(0).Str(u"p").U32(1025).b), ERROR_TOO_MANY_CMDS);
  EXPECT_EQ(DecodePresetsError(Bytes().U32(1).U32(0).Str(u"p").U32(1).U32(0).U32(1).b),
            ERROR_BAD_LENGTH);
  EXPECT_EQ(DecodePresetsError(Bytes().U32(1).U32(0).Str(u"p").U32(1).U32(5).U32(1).U32(2).b),
            ERROR_INVALID_FLAGS);
  EXPECT_EQ(
      DecodePresetsError(Bytes().U32(1).U32(0).Str(u"p").U32(1).U32(0).U32(1).U32(2).U32(257).b),
      ERROR_INVALID_NAME_LENGTH);
  EXPECT_EQ(DecodePresetsError(
                Bytes().U32(1).U32(0).Str(u"p").U32(1).U32(0).U32(1).U32(2).Str(u"").U32(261).b),
            ERROR_INVALID_NAME_LENGTH);
  EXPECT_EQ(DecodePresetsError(
                Bytes().U32(1).U32(0).Str(u"p").U32(1).U32(0).U32(1).U32(2).Str(u"").Str(u"").U32(0).b),
            ERROR_CHECKSUM_MISMATCH);
  EXPECT_EQ(DecodePresetsError(Bytes().U32(64).U32(0).Str(u"p").U32(1000).b), ERROR_BAD_LENGTH);
  std::vector<RangeSet> back;
  EXPECT_TRUE(DecodeRangePresetsBlob(Bytes().U32(0).b, back));
  EXPECT_TRUE(back.empty());
}

}  // namespace
}  // namespace tarnix
