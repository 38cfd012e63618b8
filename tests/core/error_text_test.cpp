#include "core/error_text.h"

#include <gtest/gtest.h>

#include "platform/last_error.h"
#include "platform/system_messages.h"

namespace tarnix {
namespace {

TEST(ErrorCodeToText, SignedDecimalRangeElseHex) {
  EXPECT_EQ(ErrorCodeToText(0), L"0");
  EXPECT_EQ(ErrorCodeToText(5), L"5");
  EXPECT_EQ(ErrorCodeToText(65535), L"65535");
  EXPECT_EQ(ErrorCodeToText(65536), L"0x00010000");
  EXPECT_EQ(ErrorCodeToText(0xFFFFFFFF), L"-1");
  EXPECT_EQ(ErrorCodeToText(0xFFFFFFF7), L"-9");
  EXPECT_EQ(ErrorCodeToText(0xFFFFFFF6), L"0xFFFFFFF6");
  EXPECT_EQ(ErrorCodeToText(0x80070005), L"0x80070005");
}

class ErrorDescriptionTest : public testing::Test {
 protected:
  void TearDown() override {
    SetSystemMessageProvider(nullptr);
    SetInternetMessageProvider(nullptr);
  }
};

TEST_F(ErrorDescriptionTest, OwnTextsAndFallbacks) {
  EXPECT_EQ(ErrorDescription(0), L"");
  EXPECT_EQ(ErrorDescription(5), L"Access is denied.");
  EXPECT_EQ(ErrorDescription(1234567), L"Error 1234567");
  EXPECT_EQ(ErrorDescription(0xFFFFFFFE), L"Error -2");
  EXPECT_EQ(ErrorText(5), L"(5) Access is denied.");
  // A sentence that more text follows ends with one full stop, never two.
  EXPECT_EQ(ErrorSentence(5), L"(5) Access is denied.");
  EXPECT_EQ(ErrorSentence(1234567), L"(0x0012D687) Error 1234567.");
}

TEST_F(ErrorDescriptionTest, SystemTextIsMadeOneSafeLine) {
  SetSystemMessageProvider([](uint32_t code, uint32_t, std::wstring& t) {
    if (code == 77) t = L"  First line\r\nsecond %1 line, 100% sure.\r\n";
    if (code == 193) t = L"Bad EXE format for %1.\r\n";
    if (code == 194) t = L"%1 is not a valid Win32 application.\r\n";
    if (code == 195) t = L"The value %2!d! is bad in %1";
    return code >= 193 || code == 77;
  });
  // Inserts that nothing fills are left out; a lone "%" is made safe.
  EXPECT_EQ(ErrorDescription(77), L"First line second line, 100@ sure.");
  EXPECT_EQ(ErrorText(193), L"(193) Bad EXE format.");
  EXPECT_EQ(ErrorDescription(194), L"is not a valid Win32 application.");
  EXPECT_EQ(ErrorDescription(195), L"The value is bad");
}

TEST_F(ErrorDescriptionTest, InternetRangeUsesItsOwnSource) {
  SetSystemMessageProvider([](uint32_t, uint32_t, std::wstring& t) {
    t = L"system";
    return true;
  });
  SetInternetMessageProvider([](uint32_t code, uint32_t, std::wstring& t) {
    t = L"internet " + std::to_wstring(code);
    return true;
  });
  EXPECT_EQ(ErrorDescription(12002), L"internet 12002");
  EXPECT_EQ(ErrorDescription(12175), L"internet 12175");
  EXPECT_EQ(ErrorDescription(11999), L"system");
  EXPECT_EQ(ErrorDescription(12176), L"system");
  EXPECT_EQ(ErrorDescription(2), L"system");
}

TEST_F(ErrorDescriptionTest, BlankTextGivesErrorNumber) {
  SetSystemMessageProvider([](uint32_t, uint32_t, std::wstring& t) {
    t = L" \r\n ";
    return true;
  });
  EXPECT_EQ(ErrorDescription(42), L"Error 42");
}

TEST_F(ErrorDescriptionTest, PreservesLastError) {
  SetLastError(1234);
  ErrorDescription(5);
  ErrorDescription(99999999);
  ErrorText(2);
  EXPECT_EQ(GetLastError(), 1234u);
}

}  // namespace
}  // namespace tarnix
