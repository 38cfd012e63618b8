#include "platform/char_class.h"

#include <gtest/gtest.h>

#include <clocale>

namespace tarnix {
namespace {

TEST(CharClass, AlphaNumericAcrossScripts) {
  for (wchar_t c : {L'a', L'Z', L'0', L'9', L'\u00E9', L'\u00DF', L'\u0416', L'\u05D0',
                    L'\u0663', L'\u4E2D', L'\u3042', L'\u00B2', L'\u0301', L'\uFF21'})
    EXPECT_TRUE(IsCharAlphaNumeric(c)) << std::hex << static_cast<unsigned>(c);
  for (wchar_t c : {L' ', L'_', L'-', L'.', L'\u00A0', L'\u00D7', L'\u2014', L'\u3000',
                    L'\uFF0E', L'\0'})
    EXPECT_FALSE(IsCharAlphaNumeric(c)) << std::hex << static_cast<unsigned>(c);
  EXPECT_TRUE(IsCharAlphaNumeric(static_cast<wchar_t>(0x1D400)));  // mathematical bold A
  EXPECT_TRUE(IsWordChar(L'_'));
}

TEST(CharClass, WhiteSpace) {
  for (wchar_t c : {L' ', L'\t', L'\n', L'\r', L'\v', L'\f', L'\u00A0', L'\u2003', L'\u3000'})
    EXPECT_TRUE(IsWhiteSpace(c));
  for (wchar_t c : {L'a', L'\0', L'\u200B', L'_'}) EXPECT_FALSE(IsWhiteSpace(c));
}

TEST(CharClass, CaseFoldingIgnoresTheLocale) {
  // The answer must not change with the process locale.
  const char* saved = std::setlocale(LC_ALL, nullptr);
  std::string keep = saved ? saved : "C";
  for (const char* loc : {"C", "tr_TR.UTF-8", "C.UTF-8"}) {
    std::setlocale(LC_ALL, loc);
    EXPECT_TRUE(EqualIgnoreCase(L'a', L'A'));
    EXPECT_TRUE(EqualIgnoreCase(L'I', L'i'));
    EXPECT_TRUE(EqualIgnoreCase(L'\u00C9', L'\u00E9'));
    EXPECT_TRUE(EqualIgnoreCase(L'\u03A3', L'\u03C3'));
    EXPECT_TRUE(EqualIgnoreCase(L'\u03C2', L'\u03C3'));  // final sigma
    EXPECT_TRUE(EqualIgnoreCase(L'\u0416', L'\u0436'));
    EXPECT_TRUE(EqualIgnoreCase(L'\u212A', L'k'));  // Kelvin sign
    EXPECT_TRUE(EqualIgnoreCase(L'\uFF21', L'\uFF41'));
    EXPECT_TRUE(EqualIgnoreCase(L'\u0100', L'\u0101'));
    EXPECT_FALSE(EqualIgnoreCase(L'\u0100', L'\u0102'));
    EXPECT_FALSE(EqualIgnoreCase(L'a', L'b'));
    EXPECT_FALSE(EqualIgnoreCase(L'1', L'!'));
    EXPECT_FALSE(EqualIgnoreCase(L'@', L'`'));
  }
  std::setlocale(LC_ALL, keep.c_str());
}

}  // namespace
}  // namespace tarnix
