#include "results/result_field.h"

#include <gtest/gtest.h>

#include <ctime>
#include <fstream>
#include <iterator>

#include "platform/locale_format.h"
#include "platform/text_encoding.h"
#include "results/result_column.h"
#include "results/text_export.h"
#include "support/env_value.h"
#include "support/temp_dir.h"

namespace tarnix {
namespace {

ResultEntry Sample() {
  ResultEntry e;
  e.id = 1;
  e.result.file = L"/win/System32/kernel32.dll";
  e.result.name = L"CreateFileW";
  e.result.module = L"KERNEL32.dll";
  e.result.kind = kKindExport;
  e.result.ordinal = 17;
  e.result.nameIndexOrHint = 3;
  e.result.properties.imageType = kImageType64;
  e.result.properties.subsystemBit = 0x8;
  e.result.properties.characteristics = 0x2000000 | 0x1 | 0x40000000000ULL;
  e.result.properties.directories = 0x1000 | 0x4000 | 0x2000000000ULL | 0x200000000000ULL;
  e.result.properties.binding = kBindingNone;
  e.fileVersion = (10ULL << 48) | (0ULL << 32) | (19041ULL << 16) | 1;
  e.description = L"Windows NT BASE API Client DLL";
  return e;
}

std::wstring Field(int32_t col, const ResultEntry& e, bool verbose = false, bool full = true) {
  std::wstring out;
  EXPECT_TRUE(FormatResultField(col, e, verbose, full, L" | ", out));
  return out;
}

// Build times show four-digit years: a two-digit "80" cannot tell 1980
// from 2080, and time stamps reach 2106.
TEST(ResultField, BuildTimeHasFourDigitYears) {
  {
    test::EnvValue tz("TZ", "UTC");
    tzset();
    ResultEntry e = Sample();
    e.result.properties.timeStamp = 3480843909u;  // 2080-04-20 13:05:09
    EXPECT_EQ(Field(kColBuildTime, e), L"04/20/2080 13:05:09");
    e.result.properties.timeStamp = 325083909u;  // 1980-04-20 13:05:09
    EXPECT_EQ(Field(kColBuildTime, e, true), L"04/20/1980 13:05:09");
    e.result.properties.timeStamp = 4102542245u;  // 2100-01-02 03:04:05
    EXPECT_EQ(Field(kColBuildTime, e), L"01/02/2100 03:04:05");
  }
  tzset();  // the run's own zone again

  // Other locales keep their order and separators.
  EXPECT_EQ(FourDigitYearFormat("%d.%m.%y %H:%M"), "%d.%m.%Y %H:%M");
  EXPECT_EQ(FourDigitYearFormat("%D %r"), "%m/%d/%Y %r");
  EXPECT_EQ(FourDigitYearFormat("%C%y-%m-%d %g"), "%Y-%m-%d %G");
  EXPECT_EQ(FourDigitYearFormat("%Oy %EY %Ey %%y %Y"), "%Y %EY %Ey %%y %Y");
}

TEST(ResultField, ExportTexts) {
  ResultEntry e = Sample();
  EXPECT_EQ(Field(kColFunctionName, e), L"CreateFileW");
  EXPECT_EQ(Field(kColMatchedIn, e), L"Export");
  EXPECT_EQ(Field(kColImageName, e), L"kernel32.dll");
  EXPECT_EQ(Field(kColFolder, e), L"/win/System32/");
  EXPECT_EQ(Field(kColType, e), L"64-bit");
  EXPECT_EQ(Field(kColBinding, e), L"");
  EXPECT_EQ(Field(kColSubsystem, e), L"Console");
  EXPECT_EQ(Field(kColSubsystem, e, true), L"Console (IMAGE_SUBSYSTEM_WINDOWS_CUI)");
  EXPECT_EQ(Field(kColCharacteristics, e),
            L"Data Execution Prevention, DEP | Dynamic Link Library, DLL | 0x40000000000");
  EXPECT_EQ(Field(kColDirectories, e), L"Export Directory | Resource Directory");
  EXPECT_EQ(Field(kColResources, e, true), L"Version Info (RT_VERSION) | Other");
  EXPECT_EQ(Field(kColVersion, e), L"10.0.19041.1");
  EXPECT_EQ(Field(kColOrdinal, e), L"17");
  EXPECT_EQ(Field(kColHint, e), L"3");

  e.result.kind = 99;
  e.result.properties.imageType = 7;
  e.result.properties.binding = 9;
  e.result.properties.subsystemBit = 0x4000;
  e.result.properties.characteristics = 0;
  e.fileVersion = kVersionUnknown;
  EXPECT_EQ(Field(kColMatchedIn, e), L"Unrecognized value: 0x63");
  EXPECT_EQ(Field(kColType, e), L"Unrecognized type: 0x7");
  EXPECT_EQ(Field(kColBinding, e), L"Unrecognized binding: 0x9");
  EXPECT_EQ(Field(kColSubsystem, e), L"Unrecognized: 0x4000");
  EXPECT_EQ(Field(kColCharacteristics, e), L"-");
  EXPECT_EQ(Field(kColVersion, e), L"");

  std::wstring out;
  EXPECT_FALSE(FormatResultField(16, e, false, true, L" | ", out));
}

TEST(ResultField, ModulesOnlyLeavesSymbolFieldsEmpty) {
  ResultEntry e = Sample();
  EXPECT_EQ(Field(kColFunctionName, e, false, false), L"");
  EXPECT_EQ(Field(kColOrdinal, e, false, false), L"");
  EXPECT_EQ(Field(kColHint, e, false, false), L"");
  e.result.ordinal = 0;
  e.result.nameIndexOrHint = -1;
  EXPECT_EQ(Field(kColOrdinal, e), L"");
  EXPECT_EQ(Field(kColHint, e), L"");
}

TEST(ResultField, ListTextsAreShorter) {
  ResultEntry e = Sample();
  std::wstring out;
  ASSERT_TRUE(ListDisplayText(kColCharacteristics, e, true, out));
  EXPECT_EQ(out, L"DEP | Dll | 0x40000000000");
  ASSERT_TRUE(ListDisplayText(kColResources, e, true, out));
  EXPECT_EQ(out, L"Ver | Other");
  e.result.kind = 99;
  ASSERT_TRUE(ListDisplayText(kColMatchedIn, e, true, out));
  EXPECT_EQ(out, L"0x63");

  // A path that does not fit the list's buffer shows "-" there, but the
  // export keeps the whole folder.
  e.result.file = L"/" + std::wstring(600, L'd') + L"/x.dll";
  ASSERT_TRUE(ListDisplayText(kColFolder, e, true, out));
  EXPECT_EQ(out, L"-");
  EXPECT_EQ(Field(kColFolder, e), L"/" + std::wstring(600, L'd') + L"/");

  // Names as long as an image may make them show their start in the list;
  // the export keeps them whole.
  e.result.name = std::wstring(65536, L'n');
  e.result.module = std::wstring(65536, L'm');
  ASSERT_TRUE(ListDisplayText(kColFunctionName, e, true, out));
  EXPECT_EQ(out, std::wstring(1024, L'n') + L"...");
  ASSERT_TRUE(ListDisplayText(kColModule, e, true, out));
  EXPECT_EQ(out, std::wstring(1024, L'm') + L"...");
  EXPECT_EQ(Field(kColFunctionName, e), e.result.name);
}

std::string ReadAll(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(TextExport, Utf16WithMarkTabsAndCrLf) {
  test::TempDir dir;
  auto path = (dir.path() / "r.txt").string();
  ResultsModel none;
  ASSERT_EQ(WriteResultsText(path, none, DefaultResultColumns(), true), 1);
  EXPECT_EQ(ReadAll(path), std::string("\xFF\xFE", 2));

  ResultsModel two;
  ResultEntry second = Sample();
  second.result.name = L"Z\x263A";
  two.Add(Sample().result);
  two.Add(second.result);
  ASSERT_EQ(WriteResultsText(path, two, {kColFunctionName, kColOrdinal}, true), 1);
  std::string bytes = ReadAll(path);
  std::u16string text;
  for (size_t i = 2; i + 1 < bytes.size(); i += 2)
    text += char16_t(uint8_t(bytes[i]) | (uint8_t(bytes[i + 1]) << 8));
  EXPECT_EQ(FromUtf16(text), L"CreateFileW\t17\r\nZ\x263A\t17");

  // Cancelled and failed exports leave the old file as it was, and make
  // none where there was none.
  EXPECT_EQ(WriteResultsText(path, two, {0}, true, [](size_t i) { return i == 1; }), -2);
  EXPECT_EQ(ReadAll(path), bytes);
  EXPECT_EQ(WriteResultsText(path, two, {0, 42}, true), -1);
  EXPECT_EQ(ReadAll(path), bytes);
  const auto fresh = (dir.path() / "fresh.txt").string();
  EXPECT_EQ(WriteResultsText(fresh, two, {0}, true, [](size_t i) { return i == 1; }), -2);
  EXPECT_FALSE(std::filesystem::exists(fresh));
  EXPECT_EQ(WriteResultsText((dir.path() / "no/such/dir.txt").string(), two, {0}, true), -1);
}

TEST(TextExport, NoFieldBreaksARow) {
  ResultEntry e = Sample();
  e.result.file = L"/a\nb/ker\nnel\t.dll";
  e.result.name = L"back\\slash\rCR";
  std::wstring line;
  ASSERT_TRUE(ResultExportLine(e, {kColFunctionName, kColImageName, kColFolder}, true, line));
  EXPECT_EQ(line, L"back\\\\slash\\rCR\tker\\nnel\\t.dll\t/a\\nb/");
}

}  // namespace
}  // namespace tarnix
