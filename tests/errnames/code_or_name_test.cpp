// An error code typed as a number or as a name: the code box and the
// command line's arguments.
#include "errnames/code_or_name.h"

#include <gtest/gtest.h>

#include "platform/last_error.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

TEST(CodeOrName, NumbersFirstThenNamesInAnyCase) {
  CodeOrName r;
  ASSERT_TRUE(ReadCodeOrName(L"5", r));
  EXPECT_EQ(r.code, 5u);
  EXPECT_EQ(r.kind, ErrorCodeKind::Decimal);
  EXPECT_EQ(r.name, nullptr);
  ASSERT_TRUE(ReadCodeOrName(L"-0", r));
  EXPECT_EQ(r.code, 0u);

  // A Win32 name is shown as its decimal number, the others in hexadecimal,
  // as the number would be typed.
  ASSERT_TRUE(ReadCodeOrName(L"error_access_denied", r));
  EXPECT_EQ(r.code, 5u);
  EXPECT_EQ(r.kind, ErrorCodeKind::Decimal);
  EXPECT_STREQ(r.name->name, "ERROR_ACCESS_DENIED");
  ASSERT_TRUE(ReadCodeOrName(L"E_ACCESSDENIED", r));
  EXPECT_EQ(r.code, 0x80070005u);
  EXPECT_EQ(r.kind, ErrorCodeKind::Hexadecimal);
  ASSERT_TRUE(ReadCodeOrName(L"STATUS_ACCESS_DENIED", r));
  EXPECT_EQ(r.code, 0xC0000022u);
  EXPECT_EQ(r.kind, ErrorCodeKind::Hexadecimal);
}

TEST(CodeOrName, FailuresSayWhy) {
  struct Case {
    const wchar_t* text;
    uint32_t error;
  };
  for (const Case& c :
       {Case{L"", ERROR_NOTHING_ENTERED}, Case{L"E_NO_SUCH_NAME", ERROR_NOT_FOUND},
        Case{L"E_ACCESSDENIED ", ERROR_BAD_NUMBER_TEXT},  // read as it stands
        Case{L"0x", ERROR_BAD_NUMBER_TEXT}, Case{L"0x1FFFFFFFF", ERROR_VALUE_TOO_LARGE},
        Case{L"FFFFFFFFFF", ERROR_VALUE_TOO_LARGE},  // a number, not a name
        Case{L"E-FAIL", ERROR_BAD_NUMBER_TEXT}}) {
    CodeOrName r;
    SetLastError(0);
    EXPECT_FALSE(ReadCodeOrName(c.text, r)) << c.text;
    EXPECT_EQ(GetLastError(), c.error) << c.text;
    EXPECT_EQ(r.name, nullptr);
  }
}

TEST(CodeOrName, CodeBoxTrimsAndShowsTheSpellingBack) {
  CodeOrName r;
  std::wstring shown;
  ASSERT_TRUE(ReadCodeBox(L"  0x5  ", r, shown));
  EXPECT_EQ(shown, L"0x5");
  EXPECT_EQ(r.kind, ErrorCodeKind::Hexadecimal);
  ASSERT_TRUE(ReadCodeBox(L"\te_accessdenied ", r, shown));
  EXPECT_EQ(shown, L"E_ACCESSDENIED");
  EXPECT_EQ(r.code, 0x80070005u);

  EXPECT_FALSE(ReadCodeBox(L"  E_NOPE ", r, shown));
  const uint32_t error = GetLastError();
  EXPECT_EQ(error, ERROR_NOT_FOUND);
  EXPECT_EQ(CodeBoxErrorMessage(L"  E_NOPE ", error), L"Unknown error name: E_NOPE");
  EXPECT_FALSE(ReadCodeBox(L"   ", r, shown));
  EXPECT_EQ(CodeBoxErrorMessage(L"   ", GetLastError()), L"Provide an error code to search for.");
  EXPECT_FALSE(ReadCodeBox(L"12 34", r, shown));
  // The reader's own reason, never an internal code (nor the Internet
  // module's text for that number).
  EXPECT_EQ(CodeBoxErrorMessage(L"12 34", GetLastError()),
            L"Failed to read provided error code:\n\nThe text holds characters that are not part of a number.");
}

}  // namespace
}  // namespace tarnix
