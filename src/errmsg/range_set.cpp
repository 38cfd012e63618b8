#include "errmsg/range_set.h"

#include "core/wformat.h"

namespace tarnix {
namespace {

// Set 1 in its own order: the facilities most searched.
constexpr uint32_t kBasicFacilities[] = {0, 1, 2, 3, 4, 7, 8, 9, 19, 23, 11, 12,
                                         15, 17, 13, 25, 36, 37, 38, 39, 52, 60, 61, 80};

std::vector<ErrorRange> Win32Ranges() {
  return {
      {0, 11999, kRangeCodeWin32, L"", L""},
      {12176, 15999, kRangeCodeWin32, L"", L""},
      {12000, 12175, kRangeCodeWin32 | kRangeModuleSystem, L"wininet.dll", L"WinInet Errors"},
  };
}

std::vector<ErrorRange> GeneralHresultRanges() {
  std::vector<ErrorRange> out;
  out.reserve(kFacilityCount);
  for (const Facility& f : FacilityTable) out.push_back(HresultFacilityRange(f.number));
  return out;
}

std::vector<ErrorRange> ExtendedRanges() {
  std::vector<ErrorRange> out = GeneralHresultRanges();
  for (const auto& row : ExtendedHresultRanges)
    if (row.name) out.push_back(ExtendedRowRange(row));
  return out;
}

std::vector<ErrorRange> Join(std::vector<ErrorRange> a, const std::vector<ErrorRange>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

RangeSet BuiltIn(const wchar_t* name, std::vector<ErrorRange> ranges) {
  return RangeSet{std::move(ranges), name, kRangeSetBuiltIn};
}

RangeSetMap MakeBuiltInSets() {
  std::vector<ErrorRange> basic;
  for (uint32_t f : kBasicFacilities) basic.push_back(HresultFacilityRange(f));
  const std::vector<ErrorRange> win32 = Win32Ranges();
  const std::vector<ErrorRange> general = GeneralHresultRanges();
  const std::vector<ErrorRange> extended = ExtendedRanges();
  std::vector<ErrorRange> full = win32;
  full.push_back({0x80000000, 0xBFFFFFFF, kRangeCodeHresult, L"", L"HRESULT Errors"});
  full.push_back({0xC0000000, 0xFFFFFFFF, kRangeCodeHresult, L"", L"HRESULT Extended Errors"});

  RangeSetMap sets;
  sets[0] = BuiltIn(L"Win32 Error Codes", win32);
  sets[1] = BuiltIn(L"HRESULT Codes (Basic)", basic);
  sets[2] = BuiltIn(L"HRESULT Codes (General)", general);
  sets[3] = BuiltIn(L"HRESULT Codes (Extended)", extended);
  sets[4] = BuiltIn(L"Win32 & HRESULT (Basic) Error Codes", Join(win32, basic));
  sets[5] = BuiltIn(L"Win32 & HRESULT (General) Error Codes", Join(win32, general));
  sets[6] = BuiltIn(L"Win32 & HRESULT (Extended) Error Codes", Join(win32, extended));
  sets[7] = BuiltIn(L"Win32 Error Codes & Full HRESULT Warning/Error Range", std::move(full));
  return sets;
}

}  // namespace

ErrorRange HresultFacilityRange(uint32_t facility) {
  const uint32_t from = 0x80000000u | ((facility & 0x7FF) << 16);
  const Facility* f = FindFacility(facility);
  return ErrorRange{from, from | 0xFFFF, kRangeCodeHresult, L"",
                    f ? WFormat(L"%ls Errors", f->displayName) : DefaultRangeName(kRangeCodeHresult)};
}

ErrorRange ExtendedRowRange(const ExtendedHresultRow& row) {
  uint32_t to = row.startCode;
  for (int digit = 0; digit < 4; ++digit) {
    const uint32_t mask = 0xFu << (4 * digit);
    if (to & mask) break;
    to |= mask;
  }
  return ErrorRange{row.startCode, to, kRangeCodeHresult, L"", row.name ? row.name : L""};
}

RangeSetMap BuildBuiltInRangeSets() {
  static const RangeSetMap cached = MakeBuiltInSets();  // initialised once, thread-safe
  return cached;
}

}  // namespace tarnix
