// The error name table: lookups both ways, letter case, aliases, and the
// shape of every name.
#include "errnames/error_names.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "core/parse_error_code.h"

namespace tarnix {
namespace {

std::vector<std::string> NamesOf(uint32_t value) {
  std::vector<std::string> names;
  for (const ErrorName* n : ErrorNamesOf(value)) names.push_back(n->name);
  return names;
}

uint32_t ValueOf(const wchar_t* name) {
  const ErrorName* n = FindErrorName(name);
  EXPECT_NE(n, nullptr) << "no name " << std::string(name, name + std::wcslen(name));
  return n ? n->value : 0xDEADBEEF;
}

TEST(ErrorNames, BothWaysForTheThreeKinds) {
  const ErrorName* win32 = FindErrorName(L"ERROR_ACCESS_DENIED");
  ASSERT_NE(win32, nullptr);
  EXPECT_EQ(win32->value, 5u);
  EXPECT_EQ(win32->kind, ErrorNameKind::kWin32);
  EXPECT_EQ(FindErrorName(L"error_access_denied"), win32);
  EXPECT_EQ(FindErrorName(L"Error_Access_Denied"), win32);

  EXPECT_EQ(NamesOf(0x80070005), std::vector<std::string>{"E_ACCESSDENIED"});
  EXPECT_EQ(FindErrorName(L"E_ACCESSDENIED")->kind, ErrorNameKind::kHresult);
  EXPECT_EQ(NamesOf(0xC0000022), std::vector<std::string>{"STATUS_ACCESS_DENIED"});
  EXPECT_EQ(FindErrorName(L"status_access_denied")->kind, ErrorNameKind::kNtStatus);

  // Zero has a name of every kind, listed in name order.
  const std::vector<std::string> zero = NamesOf(0);
  for (const char* expected : {"ERROR_SUCCESS", "NO_ERROR", "S_OK", "STATUS_SUCCESS"})
    EXPECT_NE(std::find(zero.begin(), zero.end(), expected), zero.end()) << expected;
  EXPECT_TRUE(std::is_sorted(zero.begin(), zero.end()));

  EXPECT_TRUE(ErrorNamesOf(0x12345678).empty());
}

TEST(ErrorNames, AliasesAndExpressionsResolveToTheirValues) {
  EXPECT_EQ(ValueOf(L"WSAEINTR"), 10004u);                      // (WSABASEERR + 4)
  EXPECT_EQ(ValueOf(L"E_NOT_SUFFICIENT_BUFFER"), 0x8007007Au);  // HRESULT_FROM_WIN32(122)
  EXPECT_EQ(ValueOf(L"SEC_E_NO_SPM"), ValueOf(L"SEC_E_INTERNAL_ERROR"));
  EXPECT_EQ(ValueOf(L"DNS_ERROR_RCODE_LAST"), ValueOf(L"DNS_ERROR_RCODE_BADTIME"));
  EXPECT_EQ(ValueOf(L"DS_S_SUCCESS"), 0u);
  EXPECT_EQ(ValueOf(L"ERROR_AUTODATASEG_EXCEEDS_64k"), ValueOf(L"ERROR_AUTODATASEG_EXCEEDS_64K"));
  // Facility numbers and severities are not error codes.
  EXPECT_EQ(FindErrorName(L"FACILITY_WIN32"), nullptr);
  EXPECT_EQ(FindErrorName(L"STATUS_SEVERITY_ERROR"), nullptr);
  EXPECT_STREQ(NtStatusFacilityName(2), "RPC_RUNTIME");
  EXPECT_EQ(NtStatusFacilityName(7), nullptr);
}

TEST(ErrorNames, OnlyTheExactSpellingMatches) {
  for (const wchar_t* text : {L"", L"E_ACCESSDENIED ", L" E_ACCESSDENIED", L"E_ACCESSDENIE",
                              L"E_ACCESSDENIEDX", L"E_ACCESS\u00C9DENIED"}) {
    EXPECT_EQ(FindErrorName(text), nullptr);
  }
  EXPECT_EQ(FindErrorName(std::wstring_view(L"E_FAIL\0X", 8)), nullptr);
  EXPECT_EQ(FindErrorName(std::wstring(100000, L'E')), nullptr);
  // A letter beyond ASCII that folds to an ASCII one is not that letter.
  EXPECT_EQ(FindErrorName(L"E_FA\u0130L"), nullptr);
}

TEST(ErrorNames, EveryEntryIsFoundAndNoNameReadsAsANumber) {
  size_t count = 0;
  for (const ErrorName& n : AllErrorNames()) {
    ++count;
    const std::wstring wide(n.name, n.name + std::strlen(n.name));
    EXPECT_EQ(FindErrorName(wide), &n) << n.name;
    const auto same = ErrorNamesOf(n.value);
    EXPECT_NE(std::find(same.begin(), same.end(), &n), same.end()) << n.name;
    // The code box reads numbers first: a name shaped like one would be lost.
    uint32_t code;
    ErrorCodeKind kind;
    EXPECT_FALSE(ParseErrorCode(wide, code, kind)) << n.name;
  }
  EXPECT_GT(count, 5000u);
}

}  // namespace
}  // namespace tarnix
