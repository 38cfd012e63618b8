// The names added to the lines of a message search.
#include "errnames/message_line_names.h"

#include <gtest/gtest.h>

namespace tarnix {
namespace {

TEST(MessageLineNames, OnlyResultLinesGetTheirNames) {
  EXPECT_EQ(WithErrorNames(L"5\t= Access is denied."),
            L"5\t= Access is denied.\tERROR_ACCESS_DENIED");
  EXPECT_EQ(WithErrorNames(L"0x80070005\t= Access is denied."),
            L"0x80070005\t= Access is denied.\tE_ACCESSDENIED");
  EXPECT_EQ(WithErrorNames(L"-2147024891\t= x"),
            L"-2147024891\t= x");  // not the program's own form
  EXPECT_EQ(WithErrorNames(L"0x00000005\t= x"), L"0x00000005\t= x");
  EXPECT_EQ(WithErrorNames(L"0x12345678\t= No name."), L"0x12345678\t= No name.");
  for (const wchar_t* other : {L"Code\tWin32 Errors", L"Code\t\tHRESULT Errors [FACILITY_WIN32]",
                               L"", L"ERROR: Module=\"x.dll\": (126) gone", L"\t= 5"})
    EXPECT_EQ(WithErrorNames(other), other);
}

}  // namespace
}  // namespace tarnix
