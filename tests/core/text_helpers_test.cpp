#include <gtest/gtest.h>

#include "core/parse_error_code.h"
#include "core/text_format.h"
#include "core/value_escape.h"
#include "platform/last_error.h"

namespace tarnix {
namespace {

struct ParseCase {
  const wchar_t* text;
  bool ok;
  uint32_t value;  // the code, or the last error on failure
  ErrorCodeKind kind;
};

TEST(ParseErrorCode, AcceptsAndRefusesAsDocumented) {
  const std::wstring thousandDigits(1000, L'9');
  const ParseCase cases[] = {
      {L"", false, 4306, ErrorCodeKind::None},
      {L"12 34", false, 12027, ErrorCodeKind::None},
      {L"0x", false, 12027, ErrorCodeKind::None},
      {L"-", false, 12027, ErrorCodeKind::None},
      {L"+", false, 12027, ErrorCodeKind::None},
      {L"0x1FFFFFFFF", false, 5913, ErrorCodeKind::None},
      {L"4294967296", false, 5913, ErrorCodeKind::None},
      // Out of range is refused, however far: a number never wraps.
      {L"99999999999999999999", false, 5913, ErrorCodeKind::None},
      {L"0x1FFFFFFFFFFFFFFFF", false, 5913, ErrorCodeKind::None},
      {L"-4294967295", false, 5913, ErrorCodeKind::None},
      {L"-2147483649", false, 5913, ErrorCodeKind::None},
      {L"-0x80000001", false, 5913, ErrorCodeKind::None},
      {L"+4294967296", false, 5913, ErrorCodeKind::None},
      {thousandDigits.c_str(), false, 5913, ErrorCodeKind::None},
      {L"-2147483648", true, 0x80000000, ErrorCodeKind::Decimal},
      {L"-0x80000000", true, 0x80000000, ErrorCodeKind::Hexadecimal},
      {L"0xG1", false, 12027, ErrorCodeKind::None},
      {L"ffh", true, 255, ErrorCodeKind::Hexadecimal},
      {L"80070005h", true, 0x80070005, ErrorCodeKind::Hexadecimal},
      {L"80070005", true, 80070005, ErrorCodeKind::Decimal},
      {L"1A", true, 26, ErrorCodeKind::Hexadecimal},
      {L"-5", true, 0xFFFFFFFB, ErrorCodeKind::Decimal},
      {L"-1", true, 0xFFFFFFFF, ErrorCodeKind::Decimal},
      {L"+7", true, 7, ErrorCodeKind::Decimal},
      {L"-0x80004005", false, 5913, ErrorCodeKind::None},
      {L"0X80070005", true, 0x80070005, ErrorCodeKind::Hexadecimal},
      {L"4294967295", true, 0xFFFFFFFF, ErrorCodeKind::Decimal},
  };
  for (const auto& c : cases) {
    uint32_t code = 1;
    ErrorCodeKind kind = ErrorCodeKind::Decimal;
    SetLastError(0);
    bool ok = ParseErrorCode(c.text, code, kind);
    EXPECT_EQ(ok, c.ok) << c.text;
    EXPECT_EQ(kind, c.kind) << c.text;
    if (c.ok)
      EXPECT_EQ(code, c.value) << c.text;
    else
      EXPECT_EQ(GetLastError(), c.value) << c.text;
  }
}

TEST(FormatDuration, Examples) {
  EXPECT_EQ(FormatDuration(0), L"0s:000ms");
  EXPECT_EQ(FormatDuration(999), L"0s:999ms");
  EXPECT_EQ(FormatDuration(61001), L"1m:1s:001ms");
  EXPECT_EQ(FormatDuration(3600000), L"1h:0m:0s:000ms");
  EXPECT_EQ(FormatDuration(90061001), L"1d:1h:1m:1s:001ms");
  EXPECT_EQ(FormatDuration(86400000), L"1d:0h:0m:0s:000ms");
  EXPECT_EQ(FormatDuration(-1500), L"-1s:500ms");
  EXPECT_EQ(FormatDuration(INT64_MIN).substr(0, 1), L"-");
}

TEST(FormatByteSize, UnitsAndBoundaries) {
  EXPECT_EQ(FormatByteSize(0), L"0 Bytes");
  EXPECT_EQ(FormatByteSize(1), L"1 Byte");
  EXPECT_EQ(FormatByteSize(1023), L"1023 Bytes");
  EXPECT_EQ(FormatByteSize(1024), L"1.00 KB");
  EXPECT_EQ(FormatByteSize(1536), L"1.50 KB");
  EXPECT_EQ(FormatByteSize(1048576), L"1.00 MB");
  EXPECT_EQ(FormatByteSize(0x40000000ULL), L"1.00 GB");
  EXPECT_EQ(FormatByteSize(0x10000000000ULL), L"1.00 TB");
  EXPECT_EQ(FormatByteSize(0x4000000000000ULL), L"1.00 PB");
}

TEST(HtmlEscape, FourSpecials) {
  EXPECT_EQ(HtmlEscape(L"a<b>&\"c'"), L"a&lt;b&gt;&amp;&quot;c'");
  EXPECT_EQ(HtmlEscape(L""), L"");
}

TEST(ValueEscape, RoundTripsAndEdgeForms) {
  EXPECT_EQ(EscapeValue(L"\n\\", false), L"\\n\\\\");
  EXPECT_EQ(UnescapeValue(L"\\n\\\\"), L"\n\\");
  std::wstring all{L'\0', L'\a', L'\b', L'\n', L'\r', L'\t', L'\\', L'A', wchar_t(0x263A)};
  EXPECT_EQ(EscapeValue(all, false), L"\\0\\a\\b\\n\\r\t\\\\A\\x263a");
  EXPECT_EQ(EscapeValue(all, true), std::wstring(L"\\0\\a\\b\\n\\r\t\\\\A") + wchar_t(0x263A));
  EXPECT_EQ(UnescapeValue(EscapeValue(all, false)), all);
  EXPECT_EQ(UnescapeValue(L"\\t"), L"\t");
  EXPECT_EQ(UnescapeValue(L"\\x41zzzz"), L"Azzzz");     // stops at a non-digit
  EXPECT_EQ(UnescapeValue(L"\\xzzzz"), L"\\zzzz");      // no digit: backslash kept
  EXPECT_EQ(UnescapeValue(L"\\x41"), L"x41");           // fewer than four after x
  EXPECT_EQ(UnescapeValue(L"a\\"), L"a\\");             // final backslash kept
  EXPECT_EQ(UnescapeValue(L"\\q"), L"q");
}

}  // namespace
}  // namespace tarnix
