#include <gtest/gtest.h>

#include <set>

#include "core/error_text.h"
#include "errmsg/describe_range_list.h"
#include "errmsg/error_range.h"
#include "errmsg/facility_table.h"
#include "errmsg/range_code.h"
#include "errmsg/range_set.h"

namespace tarnix {
namespace {

ErrorRange R(uint32_t from, uint32_t to, uint32_t flags = 0, std::wstring lib = L"",
             std::wstring name = L"") {
  return ErrorRange{from, to, flags, std::move(lib), std::move(name)};
}

TEST(RangeText, CodesAndRanges) {
  EXPECT_EQ(ErrorCodeToText(65535), L"65535");
  EXPECT_EQ(ErrorCodeToText(65536), L"0x00010000");
  EXPECT_EQ(ErrorCodeToText(0xFFFFFFFF), L"-1");
  EXPECT_EQ(ErrorCodeToText(0xFFFFFFF6), L"0xFFFFFFF6");

  EXPECT_EQ(ErrorRangeToText(R(0, 11999)), L"Win32:[0 to 11999]");
  EXPECT_EQ(ErrorRangeToText(R(12000, 12175, 1, L"wininet.dll")),
            L"Win32:[12000 to 12175]:Sys=\"wininet.dll\"");
  EXPECT_EQ(ErrorRangeToText(R(0x80070000, 0x8007FFFF, 0x102, L"/x/a.dll")),
            L"HRESULT:[0x80070000 to 0x8007FFFF]:Abs=\"/x/a.dll\"");
  EXPECT_EQ(ErrorRangeToText(R(0xFFFFFFF0, 5, 0x705, L"m")),
            L"<0x700>:[0xFFFFFFF0 to 0x00000005]:<0x5>=\"m\"");
  // A range that reaches the top stays hexadecimal at both ends.
  EXPECT_EQ(ErrorRangeToText(R(0xC0000000, 0xFFFFFFFF, 0x100)), L"HRESULT:[0xC0000000 to 0xFFFFFFFF]");
  // Kind 0 shows no module even when a name is left over.
  EXPECT_EQ(ErrorRangeToText(R(1, 2, 0, L"stale.dll")), L"Win32:[1 to 2]");
  const ErrorRange two[] = {R(1, 2), R(3, 4, 0x100)};
  EXPECT_EQ(RangeListToText(two), L"Win32:[1 to 2]; HRESULT:[3 to 4]");
  EXPECT_EQ(RangeListToText({}), L"");

  EXPECT_EQ(RangeDisplayName(R(0, 1, 0x100)), L"HRESULT Errors");
  EXPECT_EQ(RangeDisplayName(R(0, 1, 0x300)), L"Win32 Errors");
  EXPECT_EQ(RangeDisplayName(R(0, 1, 0, L"", L"Mine")), L"Mine");
}

TEST(ParseRangeCode, Inputs) {
  uint32_t v = 77;
  EXPECT_FALSE(ParseRangeCode(L"0x", v));
  EXPECT_EQ(v, 0u);
  EXPECT_TRUE(ParseRangeCode(L" 0X1f", v));
  EXPECT_EQ(v, 31u);
  EXPECT_TRUE(ParseRangeCode(L"-5", v));
  EXPECT_EQ(v, 0xFFFFFFFBu);
  EXPECT_TRUE(ParseRangeCode(L"-1", v));
  EXPECT_EQ(v, 0xFFFFFFFFu);
  EXPECT_TRUE(ParseRangeCode(L"\t\r\n 12abc", v));  // trailing characters ignored
  EXPECT_EQ(v, 12u);
  EXPECT_TRUE(ParseRangeCode(L"0x80070005", v));
  EXPECT_EQ(v, 0x80070005u);
  EXPECT_TRUE(ParseRangeCode(L"4294967295", v));
  EXPECT_EQ(v, 0xFFFFFFFFu);
  EXPECT_TRUE(ParseRangeCode(L"-2147483648", v));
  EXPECT_EQ(v, 0x80000000u);
  // Numbers never wrap: below -2147483648 is out of range as above 0xFFFFFFFF.
  for (const wchar_t* bad : {L"", L"   ", L"abc", L"-", L"0xg", L"0x ", L"4294967296",
                             L"0x100000000", L"-4294967295", L"-2147483649"}) {
    v = 9;
    EXPECT_FALSE(ParseRangeCode(bad, v)) << bad;
    EXPECT_EQ(v, 0u) << bad;
  }
}

TEST(RangeCount, WrappingRangeCountsAndOverlaps) {
  const ErrorRange wrap = R(0xFFFFFFF0, 0x0000000F);
  EXPECT_TRUE(RangeWraps(wrap));
  EXPECT_EQ(RangeCodeCount(wrap), 32u);
  EXPECT_TRUE(RangesOverlap(wrap, R(5, 6)));
  EXPECT_TRUE(RangesOverlap(R(5, 6), wrap));
  EXPECT_TRUE(RangesOverlap(wrap, R(0xFFFFFFFF, 0xFFFFFFFF)));
  EXPECT_FALSE(RangesOverlap(wrap, R(16, 0xFFFFFFEF)));
  EXPECT_TRUE(RangesOverlap(wrap, R(0x10, 0xFFFFFFF0)));  // touches the last code
  EXPECT_TRUE(RangesOverlap(wrap, R(0xFFFFFFFE, 1)));      // two wrapping ranges
  EXPECT_FALSE(RangesOverlap(R(0, 9), R(10, 20)));
  EXPECT_TRUE(RangesOverlap(R(0, 10), R(10, 20)));
  EXPECT_EQ(RangeCodeCount(R(0, 0xFFFFFFFF)), 0x100000000u);
  EXPECT_EQ(RangeCodeCount(R(7, 7)), 1u);
  const ErrorRange list[] = {wrap, R(0, 0xFFFFFFFF)};
  EXPECT_EQ(RangeListCodeCount(list), 0x100000020u);

  // The spans cover exactly the counted codes, in search order.
  RangeSpans s = SpansOfRange(wrap);
  ASSERT_EQ(s.count, 2u);
  EXPECT_EQ(s.spans[0].from, 0xFFFFFFF0u);
  EXPECT_EQ(s.spans[0].to, 0xFFFFFFFFu);
  EXPECT_EQ(s.spans[1].from, 0u);
  EXPECT_EQ(s.spans[1].to, 15u);
  EXPECT_TRUE(RangeContains(wrap, 0));
  EXPECT_FALSE(RangeContains(wrap, 16));
  EXPECT_EQ(SpansOfRange(R(3, 9)).count, 1u);
}

TEST(FacilityTable, RowsAndLookup) {
  EXPECT_EQ(std::size(FacilityTable), 55u);
  std::set<uint32_t> numbers;
  for (const Facility& f : FacilityTable) numbers.insert(f.number);
  EXPECT_EQ(numbers.size(), 55u);
  EXPECT_EQ(FacilityTable[52].number, 42u);  // out of numeric order, as listed
  EXPECT_STREQ(FindFacility(7)->symbolicName, L"FACILITY_WIN32");
  EXPECT_STREQ(FindFacility(84)->displayName, L"Mobile Broadband");
  EXPECT_EQ(FindFacility(5), nullptr);
  EXPECT_EQ(CodeFacility(0x80070005), 7u);
  EXPECT_EQ(CodeFacility(0xFFFFFFFF), 0x7FFu);
}

TEST(BuiltInRangeSets, SizesNamesAndRanges) {
  const RangeSetMap sets = BuildBuiltInRangeSets();
  ASSERT_EQ(sets.size(), 8u);
  const size_t sizes[] = {3, 24, 55, 71, 27, 58, 74, 5};
  for (int id = 0; id < 8; ++id) {
    EXPECT_EQ(sets.at(id).ranges.size(), sizes[id]) << id;
    EXPECT_EQ(sets.at(id).setFlags, kRangeSetBuiltIn);
  }
  EXPECT_EQ(sets.at(0).name, L"Win32 Error Codes");
  EXPECT_EQ(sets.at(7).name, L"Win32 Error Codes & Full HRESULT Warning/Error Range");
  EXPECT_EQ(sets.at(0).ranges[2], R(12000, 12175, 1, L"wininet.dll", L"WinInet Errors"));
  EXPECT_EQ(sets.at(0).ranges[1], R(12176, 15999));

  // Facility 15, the 14th row of the table.
  EXPECT_EQ(sets.at(2).ranges[13], R(0x800F0000, 0x800FFFFF, 0x100, L"", L"Setup API Errors"));
  // Set 1 in its own order: ..., 9, 19, 23, 11, ...
  EXPECT_EQ(sets.at(1).ranges[8].codeFrom, 0x80130000u);
  EXPECT_EQ(sets.at(1).ranges[23].codeFrom, 0x80500000u);
  // Extended rows: trailing zero digits (at most four) become F.
  EXPECT_EQ(sets.at(3).ranges[55], R(0xC0260000, 0xC026FFFF, 0x100, L"", L"Extended Graphics Errors"));
  EXPECT_EQ(sets.at(3).ranges[58], R(0x8DEAD000, 0x8DEADFFF, 0x100, L"", L"'DEAD' Errors"));
  EXPECT_EQ(sets.at(3).ranges[70].rangeName, L"Media Server Warnings");
  EXPECT_EQ(sets.at(7).ranges[3], R(0x80000000, 0xBFFFFFFF, 0x100, L"", L"HRESULT Errors"));
  EXPECT_EQ(sets.at(7).ranges[4], R(0xC0000000, 0xFFFFFFFF, 0x100, L"", L"HRESULT Extended Errors"));
  // Combined sets are set 0 followed by the HRESULT set.
  EXPECT_EQ(sets.at(6).ranges[3], sets.at(3).ranges[0]);
  EXPECT_EQ(sets.at(4).ranges.back(), sets.at(1).ranges.back());

  // Callers get copies: changing one leaves the cache alone.
  RangeSetMap mine = BuildBuiltInRangeSets();
  mine[0].ranges.clear();
  EXPECT_EQ(BuildBuiltInRangeSets().at(0).ranges.size(), 3u);
}

TEST(DescribeRangeList, ExactNearAndCustom) {
  const RangeSetMap sets = BuildBuiltInRangeSets();
  EXPECT_EQ(DescribeRangeList({}, {}), L"Empty Range");
  EXPECT_EQ(DescribeRangeList(sets.at(5).ranges, {}), L"Win32 & HRESULT (General) Error Codes");

  std::vector<ErrorRange> first10(sets.at(2).ranges.begin(), sets.at(2).ranges.begin() + 10);
  EXPECT_EQ(DescribeRangeList(first10, {}), L"HRESULT Codes (General) -- * (partial)");

  std::vector<ErrorRange> win32 = sets.at(0).ranges;
  win32[2].rangeName = L"Internet";
  EXPECT_EQ(DescribeRangeList(win32, {}), L"Win32 Error Codes -- * (modified)");
  win32 = sets.at(0).ranges;
  win32[2].libraryName = L"other.dll";
  EXPECT_EQ(DescribeRangeList(win32, {}), L"Win32 Error Codes -- * (different modules)");
  win32[2].libraryName = L"WININET.DLL";  // names compare ignoring case
  EXPECT_EQ(DescribeRangeList(win32, {}), L"Win32 Error Codes");

  EXPECT_EQ(DescribeRangeList(std::vector<ErrorRange>{R(1, 2)}, {}), L"Custom Range");
  std::vector<ErrorRange> flagsDiffer = sets.at(0).ranges;
  flagsDiffer[0].flags = 0x100;
  EXPECT_EQ(DescribeRangeList(flagsDiffer, {}), L"Custom Range");

  // User presets follow the built-in sets; an exact match ends the search.
  RangeSet mine{{R(1, 2), R(3, 4)}, L"Mine", 0};
  const RangeSet presets[] = {mine};
  EXPECT_EQ(DescribeRangeList(std::vector<ErrorRange>{R(1, 2), R(3, 4)}, presets), L"Mine");
  EXPECT_EQ(DescribeRangeList(std::vector<ErrorRange>{R(1, 2)}, presets), L"Mine -- * (partial)");
  RangeSet set0copy{sets.at(0).ranges, L"Copy of Win32", 0};
  const RangeSet withCopy[] = {set0copy};
  EXPECT_EQ(DescribeRangeList(sets.at(0).ranges, withCopy), L"Win32 Error Codes");
}

}  // namespace
}  // namespace tarnix
