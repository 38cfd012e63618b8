// Built-in presets over a Windows root, and the preset export file.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <random>
#include <thread>

#include "core/err_code_presets.h"
#include "core/wformat.h"
#include "errcode/builtin_presets.h"
#include "errcode/preset_ini.h"
#include "errcode/preset_names.h"
#include "errcode_fixture.h"
#include "platform/file_output.h"
#include "platform/last_error.h"
#include "platform/win_errors.h"
#include "platform/windows_root.h"

namespace tarnix {
namespace {

using namespace tarnix::test;
namespace fs = std::filesystem;

std::vector<std::wstring> PresetNames(const std::vector<ErrorCodePreset>& presets) {
  std::vector<std::wstring> names;
  for (const auto& p : presets) names.push_back(p.name);
  return names;
}

TEST(BuiltInPresets, SixOnA64BitInstallationFewerWhereFoldersAreMissing) {
  TempDir drive("drive");
  for (const char* d : {"Windows/System32", "Windows/SysWOW64", "Program Files", "Program Files (x86)"})
    fs::create_directories(drive.path() / d);
  WindowsRootSearch where;
  where.setting = drive.path() / "Windows";
  const auto presets = BuiltInErrorCodePresets(WindowsRoot::Discover(where));
  EXPECT_EQ(PresetNames(presets),
            (std::vector<std::wstring>{L"System32 (No subfolders)", L"System32 (With subfolders)",
                                       L"Program Files, 32-bit (With subfolders)",
                                       L"Program Files, 64-bit (With subfolders)",
                                       L"Program Files, all bitness (With subfolders)",
                                       L"System32 & Program Files, all bitness (With subfolders)"}));
  const std::wstring sys = Wide(drive.path() / "Windows/System32") + L"/";
  const std::wstring pf = Wide(drive.path() / "Program Files") + L"/";
  const std::wstring pf86 = Wide(drive.path() / "Program Files (x86)") + L"/";
  for (const auto& p : presets) {
    EXPECT_EQ(p.flags, kPresetFlagBuiltIn);
    EXPECT_EQ(p.id, static_cast<uint32_t>(&p - presets.data()));
  }
  EXPECT_EQ(presets[0].items, (std::vector<SearchLocation>{{1, sys}}));
  EXPECT_EQ(presets[4].items, (std::vector<SearchLocation>{{0x8001, pf}, {0x8001, pf86}}));
  EXPECT_EQ(presets[5].items, (std::vector<SearchLocation>{{0x8001, sys}, {0x8001, pf}, {0x8001, pf86}}));

  // 32-bit, without Program Files: the presets that would be empty go.
  TempDir drive32("drive32");
  fs::create_directories(drive32.path() / "Windows/System32");
  where.setting = drive32.path() / "Windows";
  const auto small = BuiltInErrorCodePresets(WindowsRoot::Discover(where));
  EXPECT_EQ(PresetNames(small),
            (std::vector<std::wstring>{L"System32 (No subfolders)", L"System32 (With subfolders)",
                                       L"System32 & Program Files (With subfolders)"}));
  ASSERT_NE(FindPreset(small, kPresetSystem32AndProgramFiles), nullptr);
  EXPECT_EQ(FindPreset(small, kPresetProgramFiles32), nullptr);

  EXPECT_TRUE(BuiltInErrorCodePresets(WindowsRoot::Discover(WindowsRootSearch{})).empty());
}

ErrorCodePreset User(std::wstring name, uint32_t flags, std::vector<SearchLocation> items) {
  return {100, flags, std::move(name), std::move(items)};
}

TEST(PresetNames, ChecksBeforeSavingAndListTexts) {
  std::vector<ErrorCodePreset> presets = {{0, kPresetFlagBuiltIn, L"System32 (No subfolders)", {}},
                                          User(L"a", 0, {}), User(L"", kPresetFlagUnsaved, {})};
  std::wstring name = L" b ";
  EXPECT_EQ(CheckPresetName(name, presets, nullptr), L"");
  EXPECT_EQ(name, L"b");
  name = L"A";
  EXPECT_EQ(CheckPresetName(name, presets, nullptr), L"Preset with such name already exists.");
  name = L"A";
  EXPECT_EQ(CheckPresetName(name, presets, &presets[1]), L"");  // overwriting itself
  name = L"system32 (no subfolders)";
  EXPECT_EQ(CheckPresetName(name, presets, &presets[0]), L"Preset with such name already exists.");
  name = L"  ";
  EXPECT_EQ(CheckPresetName(name, presets, nullptr), L"Preset name cannot be empty.");
  name = std::wstring(257, L'x');
  EXPECT_EQ(CheckPresetName(name, presets, nullptr),
            L"Preset name is too long. Maximum allowed length is 256 characters.");
  name = L"a>b";
  EXPECT_EQ(CheckPresetName(name, presets, nullptr),
            L"Preset name contains invalid character(s). Remove any of the following:\n\n< > *");
  name = L"a\u202Eb\x1b";
  EXPECT_EQ(CheckPresetName(name, presets, nullptr),
            L"Preset name contains invalid character(s). Remove any of the following:\n\n"
            L"control characters and text direction marks");
  for (int i = 0; i < 63; ++i) presets.push_back(User(std::wstring(L"u") + std::to_wstring(i), 0, {}));
  name = L"one more";
  EXPECT_EQ(CheckPresetName(name, presets, nullptr),
            L"There are too many custom presets. Maximum allowed number is 64.");
  EXPECT_EQ(CheckPresetName(name, presets, &presets[1]), L"");

  presets.push_back(User(L"<Unsaved Preset 1>", 0, {}));
  EXPECT_EQ(PresetListText(presets[0], presets), L"System32 (No subfolders)");
  EXPECT_EQ(PresetListText(presets[1], presets), L"* a");
  EXPECT_EQ(PresetListText(presets[2], presets), L"* <Unsaved Preset 2>");
  EXPECT_EQ(PresetListText(User(L"", 0, {}), presets), L"* <Unnamed Preset 100>");
}

class PresetFileTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::wstring& text) {
    const fs::path p = dir_.path() / name;
    std::ofstream(p, std::ios::binary) << ToUtf8(text);
    return p.string();
  }
  TempDir dir_{"ini"};
};

TEST_F(PresetFileTest, ExportWritesUserPresetsAndImportRestoresThem) {
  std::vector<ErrorCodePreset> presets = {
      {0, kPresetFlagBuiltIn, L"System32 (No subfolders)", {{1, L"/w/System32/"}}},
      User(L"Tools", 0x4, {{0x8001, L"C:\\Tools\\"}, {2, L"/opt/a|b.dll"}}),
      User(L"", 0, {{1, L"/x/"}}),
      User(L"Draft", kPresetFlagUnsaved, {}),
  };
  const auto sections = ErrorCodePresetSections(presets);
  ASSERT_EQ(sections.size(), 4u);
  EXPECT_EQ(sections[0], (PresetSection{L"ConfigECSPs", {{L"Version", L"1"}}}));
  EXPECT_EQ(sections[1], (PresetSection{L"Preset0",
                                        {{L"Name", L"Tools"},
                                         {L"Flags", L"4"},
                                         {L"PathItem0", L"32769|C:\\Tools\\"},
                                         {L"PathItem1", L"2|/opt/a|b.dll"}}}));
  EXPECT_EQ(sections[2].pairs[0].value, L"Unnamed preset");
  EXPECT_EQ(sections[3].pairs[0].value, L"Unnamed preset (2)");
  EXPECT_EQ(sections[3].pairs[1].value, L"16");
  // A path is written whole, whatever it holds (a fuzz run found one with
  // NUL characters cut short).
  const std::wstring odd(L"/n\0l/\x1b", 6);
  EXPECT_EQ(ErrorCodePresetSections({User(L"Odd", 0, {{1, odd}})})[1].pairs[2].value, L"1|" + odd);

  const std::string file = (dir_.path() / "out.ini").string();
  ASSERT_EQ(ExportErrorCodePresets(file, presets), 1);
  EXPECT_EQ(ExportErrorCodePresets(file, {presets[0]}), 0);  // only built-in ones

  ErrCodePresetStore::WriteAll({{0, L"Old", {{1, L"/old/"}}}});
  bool changed = false;
  ASSERT_TRUE(ImportErrorCodePresets(file, changed));
  EXPECT_TRUE(changed);
  std::vector<ErrCodePresetRecord> stored;
  ASSERT_TRUE(ErrCodePresetStore::ReadAll(stored));
  ASSERT_EQ(stored.size(), 3u);
  EXPECT_EQ(stored[0], (ErrCodePresetRecord{4, L"Tools", {{0x8001, L"C:\\Tools\\"}, {2, L"/opt/a|b.dll"}}}));
  EXPECT_EQ(stored[1].name, L"Unnamed preset");
  EXPECT_EQ(stored[2].flags, 0u);  // the unsaved mark is not imported
}

TEST_F(PresetFileTest, AFailedExportKeepsTheOldFile) {
  const std::vector<ErrorCodePreset> presets = {User(L"Tools", 0, {{1, L"/t/"}})};
  const std::string file = Write("keep.ini", L"old");
  FileOutput::FailWritesAfterForTesting(0, ERROR_DISK_FULL);
  EXPECT_EQ(ExportErrorCodePresets(file, presets), -1);
  FileOutput::FailWritesAfterForTesting(-1, 0);
  EXPECT_EQ(GetLastError(), ERROR_DISK_FULL);
  std::ifstream in(file, std::ios::binary);
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), {}), "old");
  ASSERT_EQ(ExportErrorCodePresets(file, presets), 1);
}

TEST_F(PresetFileTest, VersionTwoFailsWith1828AndChangesNothing) {
  const std::vector<ErrCodePresetRecord> before = {{0, L"Keep", {{1, L"/keep/"}}}};
  ASSERT_TRUE(ErrCodePresetStore::WriteAll(before));
  const std::string file =
      Write("v2.ini", L"[ConfigECSPs]\nVersion=2\n[Preset0]\nName=New\nFlags=0\nPathItem0=1|/new/\n");
  bool changed = true;
  EXPECT_FALSE(ImportErrorCodePresets(file, changed));
  EXPECT_EQ(GetLastError(), 1828u);
  EXPECT_FALSE(changed);
  std::vector<ErrCodePresetRecord> stored;
  ASSERT_TRUE(ErrCodePresetStore::ReadAll(stored));
  EXPECT_EQ(stored, before);

  std::vector<ErrCodePresetRecord> read;
  EXPECT_FALSE(ReadErrorCodePresetFile((dir_.path() / "absent.ini").string(), read));
  EXPECT_EQ(GetLastError(), 2u);
}

// An import killed at any moment leaves the presets stored before it or
// those of the file, never a part of them.
TEST_F(PresetFileTest, AKilledImportLeavesTheOldOrTheNewSet) {
  auto file = [&](const wchar_t* prefix) {
    std::wstring text = L"[ConfigECSPs]\nVersion=1\n";
    for (int p = 0; p < 64; ++p) {
      text += WFormat(L"[Preset%d]\nName=%ls%d\nFlags=0\n", p, prefix, p);
      for (int i = 0; i < 200; ++i) text += WFormat(L"PathItem%d=1|/%ls/%d/%d/\n", i, prefix, p, i);
    }
    return Write(ToUtf8(prefix) + ".ini", text);
  };
  const std::string a = file(L"a"), b = file(L"b");
  std::vector<ErrCodePresetRecord> setA, setB;
  ASSERT_TRUE(ReadErrorCodePresetFile(a, setA));
  ASSERT_TRUE(ReadErrorCodePresetFile(b, setB));
  const std::vector<ErrCodePresetRecord> old = {{0, L"Old1", {{1, L"/o1/"}}}, {0, L"Old2", {{2, L"/o2"}}},
                                                {0, L"Old3", {{1, L"/o3/"}}}};
  ASSERT_TRUE(ErrCodePresetStore::WriteAll(old));

  std::mt19937 random(7);
  std::uniform_int_distribution<int> delayMs(0, 60);
  int kills = 0;
  for (int round = 0; round < 12; ++round) {
    int started[2];
    ASSERT_EQ(pipe(started), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      close(started[0]);
      for (int i = 0;; ++i) {
        if (i == 0) (void)!write(started[1], "s", 1);
        bool changed = false;
        ImportErrorCodePresets(i % 2 ? b : a, changed);
      }
    }
    close(started[1]);
    char c;
    ASSERT_EQ(read(started[0], &c, 1), 1);
    close(started[0]);
    std::this_thread::sleep_for(std::chrono::milliseconds(delayMs(random)));
    kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    kills += WIFSIGNALED(status);

    std::vector<ErrCodePresetRecord> stored;
    ASSERT_TRUE(ErrCodePresetStore::ReadAll(stored));
    EXPECT_TRUE(stored == old || stored == setA || stored == setB)
        << "round " << round << ": " << stored.size() << " preset(s) stored";
  }
  EXPECT_EQ(kills, 12);
}

TEST_F(PresetFileTest, EveryImportCheckHasItsCode) {
  const std::wstring head = L"[ConfigECSPs]\r\nVersion=1\r\n";
  const std::wstring longName(257, L'n');
  const std::wstring longPath(521, L'p');
  const struct {
    std::wstring body;
    uint32_t error;
  } cases[] = {
      {L"[Other]\nVersion=1\n", 11},
      {head, 11},  // no preset: importing it would remove every stored one
      {head + L"[Other]\nName=a\nFlags=0\n", 11},
      {L"[ConfigECSPs]\nVersion=1.0\n", 1828},
      {head + L"[Preset0]\nFlags=0\n", 11},
      {head + L"[Preset0]\nName=a\n", 11},
      {head + L"[Preset0]\nName=a\nFlags=x1\n", 11},
      {head + L"[Preset0]\nName=a\nFlags=0\nPathItem0=one|/x/\n", 11},
      {head + L"[Preset0]\nName=   \nFlags=0\n", 2115},
      {head + L"[Preset0]\nName=" + longName + L"\nFlags=0\n", 8348},
      {head + L"[Preset0]\nName=a*b\nFlags=0\n", 9954},
      // Control characters and text direction marks, as the file escapes
      // them or as they stand: ESC, CR, LF, TAB, NUL, U+202E.
      {head + L"[Preset0]\nName=a\x1b[31mb\nFlags=0\n", 9954},
      {head + L"[Preset0]\nName=a\\rb\nFlags=0\n", 9954},
      {head + L"[Preset0]\nName=a\\nb\nFlags=0\n", 9954},
      {head + L"[Preset0]\nName=a\tb\nFlags=0\n", 9954},
      {head + L"[Preset0]\nName=a\\0b\nFlags=0\n", 9954},
      {head + L"[Preset0]\nName=gpj.\\x202Eexe\nFlags=0\n", 9954},
      {head + L"[Preset0]\nName=Same\nFlags=0\n[preset1]\nName= same \nFlags=0\n", 15119},
      {head + L"[Preset0]\nName=a\nFlags=0\nPathItem0=3|/x/\n", 186},
      {head + L"[Preset0]\nName=a\nFlags=0\nPathItem0=2|" + longPath + L"\n", 206},
      {head + L"[Preset0]\nName=a\nFlags=0\nPathItem0=/x/\n", 3902},
      // Lengths are counted as the store counts them, in UTF-16 units.
      {head + L"[Preset0]\nName=" + std::wstring(129, L'\U0001F600') + L"\nFlags=0\n", 8348},
      {head + L"[Preset0]\nName=a\nFlags=0\nPathItem0=2|" + std::wstring(261, L'\U0001F600') + L"\n", 206},
  };
  for (const auto& c : cases) {
    std::vector<ErrCodePresetRecord> read;
    EXPECT_FALSE(ReadErrorCodePresetFile(Write("case.ini", c.body), read)) << ToUtf8(c.body);
    EXPECT_EQ(GetLastError(), c.error) << ToUtf8(c.body);
  }

  std::wstring many = head + L"[Preset0]\nName=a\nFlags=0\n";
  for (int i = 0; i < 1025; ++i) many += std::wstring(L"PathItem") + std::to_wstring(i) + L"=1|/x/\n";
  std::vector<ErrCodePresetRecord> read;
  EXPECT_FALSE(ReadErrorCodePresetFile(Write("many.ini", many), read));
  EXPECT_EQ(GetLastError(), 8248u);
  std::wstring crowd = head;
  for (int i = 0; i < 65; ++i)
    crowd += std::wstring(L"[Preset") + std::to_wstring(i) + L"]\nName=p" + std::to_wstring(i) + L"\nFlags=0\n";
  EXPECT_FALSE(ReadErrorCodePresetFile(Write("crowd.ini", crowd), read));
  EXPECT_EQ(GetLastError(), 15140u);

  // Accepted (values are escaped in the file): keys in any case, the built-in and unsaved bits dropped, the
  // name and path trimmed, a folder given its trailing separator.
  ASSERT_TRUE(ReadErrorCodePresetFile(
      Write("ok.ini", head + L"[PRESET7]\nname= Mine \nFLAGS=144\npathitem0=32769| /data/x \n"
                             L"PathItemB=2|C:\\\\a.dll\nPathItemC=1|C:\\\\Win\n"),
      read));
  ASSERT_EQ(read.size(), 1u);
  EXPECT_EQ(read[0].flags, 0u);
  EXPECT_EQ(read[0].name, L"Mine");
  EXPECT_EQ(read[0].items, (std::vector<SearchLocation>{{0x8001, L"/data/x/"}, {2, L"C:\\a.dll"}, {1, L"C:\\Win\\"}}));
}

}  // namespace
}  // namespace tarnix
