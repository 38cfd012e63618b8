#include <gtest/gtest.h>

#include "support/env_value.h"

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "core/error_text.h"
#include "pe/message_module.h"
#include "pe/message_table.h"
#include "pe/message_text.h"
#include "pe/system_message_sources.h"
#include "platform/languages.h"
#include "platform/last_error.h"
#include "platform/text_encoding.h"
#include "platform/win_errors.h"
#include "platform/windows_root.h"
#include "resource_fixture.h"
#include "support/temp_dir.h"

namespace tarnix {
namespace {

using namespace tarnix::test;

BoundedView View(const std::string& bytes) {
  return BoundedView(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

std::optional<std::wstring> Lookup(const std::string& table, uint32_t id) {
  std::wstring text;
  if (!MessageTable(View(table)).Find(id, text)) return std::nullopt;
  return text;
}

using test::EnvValue;

TEST(MessageTable, DecodesEveryEntryKind) {
  const std::string table = MessageTableBytes(
      {{5, 7, {MessageEntry(u"Access is denied.\r\n"), MessageEntry8("Euro \x80 sign", 0),
               MessageEntry8("gr\xC3\xBC\xC3\x9F", 2)}},
       {0x80070000, 0x80070000, {MessageEntry(u"HRESULT")}}});
  EXPECT_EQ(Lookup(table, 5), L"Access is denied.\r\n");
  EXPECT_EQ(Lookup(table, 6), L"Euro \x20AC sign");
  EXPECT_EQ(Lookup(table, 7), L"gr\x00FC\x00DF");
  EXPECT_EQ(Lookup(table, 0x80070000), L"HRESULT");
  EXPECT_EQ(Lookup(table, 4), std::nullopt);
  EXPECT_EQ(Lookup(table, 8), std::nullopt);

  std::vector<uint32_t> ids;
  MessageTable(View(table)).ForEach([&](uint32_t id, const std::wstring&) {
    ids.push_back(id);
    return true;
  });
  EXPECT_EQ(ids, (std::vector<uint32_t>{5, 6, 7, 0x80070000}));
}

TEST(MessageTable, MalformedTablesGiveAbsentEntriesNotCrashes) {
  // Overlapping blocks: the first one holding an id answers; an inverted
  // block holds nothing.
  std::string overlap = MessageTableBytes({{1, 2, {MessageEntry(u"one"), MessageEntry(u"two")}},
                                           {2, 3, {MessageEntry(u"TWO"), MessageEntry(u"three")}},
                                           {9, 8, {MessageEntry(u"inverted")}}});
  EXPECT_EQ(Lookup(overlap, 2), L"two");
  EXPECT_EQ(Lookup(overlap, 3), L"three");
  EXPECT_EQ(Lookup(overlap, 8), std::nullopt);
  EXPECT_EQ(Lookup(overlap, 9), std::nullopt);
  int visits = 0;
  MessageTable(View(overlap)).ForEach([&](uint32_t, const std::wstring&) { return ++visits, true; });
  EXPECT_EQ(visits, 3);  // 1, 2 and 3 once each

  // Entries' offset past the resource; a block count far beyond the data.
  std::string pastEnd = MessageTableBytes({{1, 1, {MessageEntry(u"x")}}});
  Put32(pastEnd, 12, 0x7FFFFFF0);
  EXPECT_EQ(Lookup(pastEnd, 1), std::nullopt);
  std::string manyBlocks = MessageTableBytes({{1, 1, {MessageEntry(u"x")}}});
  Put32(manyBlocks, 0, 0xFFFFFFFF);
  EXPECT_EQ(Lookup(manyBlocks, 1), L"x");
  EXPECT_EQ(Lookup(manyBlocks, 0x12345678), std::nullopt);

  // An entry of length 0 ends the block; one longer than the data is absent.
  std::string zero = MessageTableBytes({{1, 3, {MessageEntry(u"a"), MessageEntry(u"b")}}});
  const size_t second = 16 + MessageEntry(u"a").size();
  Put16(zero, second, 0);
  EXPECT_EQ(Lookup(zero, 1), L"a");
  EXPECT_EQ(Lookup(zero, 2), std::nullopt);
  EXPECT_EQ(Lookup(zero, 3), std::nullopt);
  std::string tooLong = MessageTableBytes({{1, 1, {MessageEntry(u"a")}}});
  Put16(tooLong, 16, 0x400);
  EXPECT_EQ(Lookup(tooLong, 1), std::nullopt);

  // An odd UTF-16 length drops the half character; a missing terminator ends
  // the text at the entry's end.
  std::string odd = MessageTableBytes({{1, 1, {MessageEntry(u"ab")}}});
  Put16(odd, 16, 4 + 3);
  EXPECT_EQ(Lookup(odd, 1), L"a");
  std::string unterminated(4, '\0');
  unterminated += "ABCD";
  Put16(unterminated, 0, 8);
  EXPECT_EQ(Lookup(MessageTableBytes({{1, 1, {unterminated}}}), 1), L"ABCD");

  // Too short to hold even the block count.
  EXPECT_EQ(Lookup("\x01\x00", 0), std::nullopt);
}

TEST(MessageText, ProcessesEscapesAndKeepsInserts) {
  EXPECT_EQ(FormatMessageText(L"File %1 not found.%n"), L"File %1 not found.\r\n");
  EXPECT_EQ(FormatMessageText(L"100%% done%.%!%t%r"), L"100% done.!\t\r");
  EXPECT_EQ(FormatMessageText(L"Cut here%0 not shown"), L"Cut here");
  EXPECT_EQ(FormatMessageText(L"%12!s! and %"), L"%12!s! and %");
}

// A folder with modules built from resources.
class Modules {
 public:
  std::wstring Add(const std::string& relative, const std::vector<Resource>& resources) {
    std::filesystem::path p = dir_.path() / relative;
    std::filesystem::create_directories(p.parent_path());
    dir_.Write(relative, BuildImage(resources).bytes);
    return FromUtf8(p.string());
  }
  std::wstring AddRaw(const std::string& relative, const std::string& bytes) {
    std::filesystem::path p = dir_.path() / relative;
    std::filesystem::create_directories(p.parent_path());
    dir_.Write(relative, bytes);
    return FromUtf8(p.string());
  }
  const std::filesystem::path& path() const { return dir_.path(); }

 private:
  TempDir dir_{"modules"};
};

struct Answer {
  bool found;
  uint32_t error;
  std::wstring text;
};

Answer Format(const std::wstring& path, uint32_t code, uint16_t language) {
  MessageModule module;
  if (!module.Load(path)) return {false, GetLastError(), {}};
  Answer a;
  a.found = module.Format(code, language, a.text);
  a.error = GetLastError();
  return a;
}

std::vector<Resource> Tables(std::initializer_list<std::pair<uint16_t, std::u16string>> tables) {
  std::vector<Resource> out;
  for (const auto& [language, text] : tables)
    out.push_back(MessageTableResource(language, {{5, 5, {MessageEntry(text)}}}));
  return out;
}

TEST(MessageModule, SpecificLanguageMustBePresent) {
  Modules m;
  const std::wstring path = m.Add("both.dll", Tables({{0x409, u"Denied."}, {0x407, u"Verweigert."}}));
  EXPECT_EQ(Format(path, 5, 0x407).text, L"Verweigert.");
  EXPECT_EQ(Format(path, 5, 0x409).text, L"Denied.");
  Answer french = Format(path, 5, 0x40C);
  EXPECT_FALSE(french.found);
  EXPECT_EQ(french.error, ERROR_RESOURCE_LANG_NOT_FOUND);
  // A table in the primary language (neutral sublanguage) answers its
  // specific languages, as the platform's resource loader does.
  const std::wstring primary = m.Add("primary.dll", Tables({{0x409, u"Denied."}, {0x0007, u"Verweigert."}}));
  EXPECT_EQ(Format(primary, 5, 0x407).text, L"Verweigert.");
  EXPECT_EQ(Format(primary, 5, 0x807).text, L"Verweigert.");
  EXPECT_EQ(Format(primary, 5, 0x809).error, ERROR_RESOURCE_LANG_NOT_FOUND);
  Answer missing = Format(path, 6, 0x409);
  EXPECT_FALSE(missing.found);
  EXPECT_EQ(missing.error, ERROR_MR_MID_NOT_FOUND);
}

TEST(MessageModule, DefaultLanguageFollowsThePlatformOrder) {
  Modules m;
  const std::wstring both = m.Add("both.dll", Tables({{0x409, u"Denied."}, {0x407, u"Verweigert."}}));
  const std::wstring neutral =
      m.Add("neutral.dll", Tables({{0x409, u"Denied."}, {0x0000, u"Neutral."}}));
  const std::wstring germanOnly = m.Add("de.dll", Tables({{0x407, u"Verweigert."}}));
  {
    EnvValue lang("LANG", "de_DE.UTF-8");
    EXPECT_EQ(Format(both, 5, 0x400).text, L"Verweigert.");
    EXPECT_EQ(Format(both, 5, 0).text, L"Verweigert.");
    EXPECT_EQ(Format(neutral, 5, 0x400).text, L"Neutral.");  // neutral comes first
    EnvValue all("LC_ALL", "C");  // LC_ALL decides over LANG
    EXPECT_EQ(Format(both, 5, 0x400).text, L"Denied.");
  }
  // English (US) before any other language, any language as the last resort.
  EnvValue lang("LANG", "ja_JP.UTF-8");
  if (SystemDefaultLanguage() != 0x407) {
    EXPECT_EQ(Format(both, 5, 0x400).text, L"Denied.");
  }
  EXPECT_EQ(Format(germanOnly, 5, 0x400).text, L"Verweigert.");
}

TEST(MessageModule, MissingTablesAndNonModules) {
  Modules m;
  Answer none = Format(m.Add("none.dll", {}), 5, 0x400);
  EXPECT_EQ(none.error, ERROR_RESOURCE_DATA_NOT_FOUND);
  Answer noType = Format(m.Add("strings.dll", {Resource{6, 1, 0x409, "abcd", {}}}), 5, 0x400);
  EXPECT_EQ(noType.error, ERROR_RESOURCE_TYPE_NOT_FOUND);
  Answer noName = Format(m.Add("name2.dll", {Resource{11, 2, 0x409, MessageTableBytes({}), {}}}), 5, 0x400);
  EXPECT_EQ(noName.error, ERROR_RESOURCE_NAME_NOT_FOUND);
  for (const std::string& bytes : {std::string(), std::string("just text, not an image"),
                                   std::string(4096, 'M')}) {
    MessageModule module;
    EXPECT_FALSE(module.Load(m.AddRaw("text.dll", bytes)));
    EXPECT_EQ(GetLastError(), ERROR_BAD_EXE_FORMAT);
  }
  MessageModule module;
  EXPECT_FALSE(module.Load(FromUtf8((m.path() / "absent.dll").string())));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST(MessageModule, SatelliteAnswersForAModuleWithoutTable) {
  Modules m;
  const std::wstring main = m.Add("lib.dll", {Resource{6, 1, 0x409, "abcd", {}}});
  m.Add("de-DE/lib.dll.mui", Tables({{0x407, u"Verweigert."}}));
  m.Add("en-US/lib.dll.mui", Tables({{0x409, u"Denied."}}));
  {
    EnvValue lang("LANG", "de_DE.UTF-8");
    EXPECT_EQ(Format(main, 5, 0x400).text, L"Verweigert.");
    EXPECT_EQ(Format(main, 5, 0x409).text, L"Denied.");
    Answer absentCode = Format(main, 6, 0x400);
    EXPECT_EQ(absentCode.error, ERROR_MR_MID_NOT_FOUND);
  }
  EXPECT_EQ(Format(main, 5, 0x400).text, L"Denied.");  // LANG=C: English
  // A language without a satellite: the module's own answer.
  EXPECT_EQ(Format(main, 5, 0x40C).error, ERROR_RESOURCE_TYPE_NOT_FOUND);

  // Neither the user's nor English: any satellite present answers.
  const std::wstring other = m.Add("other.dll", {});
  m.Add("fr-FR/other.dll.mui", Tables({{0x40C, u"Refus\u00E9."}}));
  EXPECT_EQ(Format(other, 5, 0x400).text, L"Refus\u00E9.");

  // Satellites named in lower case are found too.
  const std::wstring upper = m.Add("Upper.DLL", {});
  m.Add("en-US/upper.dll.mui", Tables({{0x409, u"Lower."}}));
  EXPECT_EQ(Format(upper, 5, 0x400).text, L"Lower.");
}

TEST(MessageModule, SatelliteErrorsWhereThePlatformGivesThem) {
  Modules m;
  // A module that says its resources live in a satellite, without one.
  const std::wstring mui = m.Add("mui.dll", {Resource{0, 1, 0x409, "cfg", u"MUI"}});
  EXPECT_EQ(Format(mui, 5, 0x400).error, ERROR_MUI_FILE_NOT_FOUND);
  // A satellite that is not an image.
  const std::wstring broken = m.Add("broken.dll", {});
  m.AddRaw("en-US/broken.dll.mui", "not an image at all");
  Answer a = Format(broken, 5, 0x400);
  EXPECT_FALSE(a.found);
  EXPECT_EQ(a.error, ERROR_MUI_FILE_NOT_LOADED);
}

TEST(SystemMessages, SystemModulesThenOwnDescriptions) {
  Modules m;
  m.Add("KernelBase.dll", Tables({{0x409, u"Access is denied.\r\n"}}));
  m.Add("kernel32.dll", {MessageTableResource(0x409, {{6, 6, {MessageEntry(u"The handle is invalid.%n")}},
                                                       {5, 5, {MessageEntry(u"kernel32 text")}}})});
  m.Add("wininet.dll", {MessageTableResource(0x409, {{12002, 12002, {MessageEntry(u"The operation timed out")}}})});
  InstallSystemMessageSources(FromUtf8(m.path().string()));
  EXPECT_EQ(ErrorDescription(5), L"Access is denied.");         // kernelbase first
  EXPECT_EQ(ErrorDescription(6), L"The handle is invalid.");    // then kernel32
  EXPECT_EQ(ErrorDescription(0x80070005), L"Access is denied.");  // facility 7
  EXPECT_EQ(ErrorDescription(12002), L"The operation timed out");
  EXPECT_EQ(ErrorDescription(ERROR_MUI_FILE_NOT_FOUND),
            L"The language resource file could not be found.");  // own description
  EXPECT_EQ(ErrorDescription(1234567), L"Error 1234567");

  // The engine's lookup: the module's table first, then the system's.
  const std::wstring own = m.Add("sub/own.dll", Tables({{0x409, u"Own text."}}));
  const std::wstring plain = m.Add("sub/plain.dll", {});
  MessageModule module, other;
  ASSERT_TRUE(module.Load(own));
  ASSERT_TRUE(other.Load(plain));
  std::wstring text;
  EXPECT_TRUE(FormatModuleOrSystemMessage(&module, 5, 0x400, text));
  EXPECT_EQ(text, L"Own text.");
  EXPECT_TRUE(FormatModuleOrSystemMessage(&other, 5, 0x400, text));
  EXPECT_EQ(text, L"Access is denied.\r\n");
  EXPECT_TRUE(FormatModuleOrSystemMessage(&module, 6, 0x400, text));
  EXPECT_EQ(text, L"The handle is invalid.\r\n");
  EXPECT_FALSE(FormatModuleOrSystemMessage(&module, 7777777, 0x400, text));
  EXPECT_EQ(GetLastError(), ERROR_MR_MID_NOT_FOUND);

  InstallSystemMessageSources(L"");
  EXPECT_EQ(ErrorDescription(5), L"Access is denied.");  // the own description
  EXPECT_EQ(ErrorDescription(12002), L"The request timed out.");
}

TEST(SystemMessages, WindowsRootGivesTheSystemFolder) {
  Modules m;
  m.Add("Windows/System32/kernelbase.dll", Tables({{0x409, u"64-bit text"}}));
  m.Add("Windows/SysWOW64/kernelbase.dll", Tables({{0x409, u"32-bit text"}}));
  WindowsRootSearch where;
  where.environment = m.path() / "Windows";
  InstallSystemMessageSources(WindowsRoot::Discover(where));
  EXPECT_EQ(ErrorDescription(5), L"64-bit text");
  InstallSystemMessageSources(WindowsRoot::Discover(WindowsRootSearch{}));
  EXPECT_EQ(ErrorDescription(5), L"Access is denied.");
}

}  // namespace
}  // namespace tarnix
