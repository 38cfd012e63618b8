#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "core/registry_settings.h"
#include "errmsg/range_preset_file.h"
#include "errmsg/range_preset_store.h"
#include "platform/file_output.h"
#include "platform/last_error.h"
#include "platform/named_lock.h"
#include "platform/win_errors.h"
#include "support/temp_dir.h"
#include "tarnix_version.h"

namespace tarnix {
namespace {

class RangePresetStoreTest : public testing::Test {
 protected:
  void SetUp() override {
    RegistrySettings().DeleteValue(setting::kErrMsgSrchPresets);
    RegistrySettings().DeleteValue(setting::kErrMsgSrchRanges);
  }
  std::vector<RangeSet> Stored() {
    std::vector<RangeSet> out;
    EXPECT_TRUE(RangePresetStore::ReadAll(out));
    return out;
  }
};

RangeSet Preset(std::wstring name, uint32_t from) {
  return RangeSet{{{from, from + 9, 0, L"", L"r"}}, std::move(name), 0};
}

TEST_F(RangePresetStoreTest, SaveReplaceDelete) {
  EXPECT_TRUE(Stored().empty());
  RangeSet a = Preset(L"Alpha", 1);
  a.setFlags = kRangeSetUnsaved | 0x20;
  ASSERT_TRUE(RangePresetStore::SaveOne(a));
  ASSERT_TRUE(RangePresetStore::SaveOne(Preset(L"Beta", 2)));
  ASSERT_TRUE(RangePresetStore::SaveOne(Preset(L"ALPHA", 3)));  // replaces, ignoring case
  std::vector<RangeSet> s = Stored();
  ASSERT_EQ(s.size(), 2u);
  EXPECT_EQ(s[0].name, L"ALPHA");
  EXPECT_EQ(s[0].ranges[0].codeFrom, 3u);
  EXPECT_EQ(s[0].setFlags, 0u);
  EXPECT_EQ(s[1].name, L"Beta");

  ASSERT_TRUE(RangePresetStore::DeleteOne(L"beta"));
  ASSERT_TRUE(RangePresetStore::DeleteOne(L"not there"));
  EXPECT_EQ(Stored().size(), 1u);

  const RangeSetMap sets = RangeSetsWithPresets(Stored());
  EXPECT_EQ(sets.size(), 9u);
  EXPECT_EQ(sets.at(kFirstUserPresetId).name, L"ALPHA");

  // A 65th preset is refused and the 64 stay.
  std::vector<RangeSet> many;
  for (int i = 0; i < 64; ++i) many.push_back(Preset(L"p" + std::to_wstring(i), i));
  ASSERT_TRUE(RangePresetStore::WriteAll(many));
  EXPECT_FALSE(RangePresetStore::SaveOne(Preset(L"one more", 0)));
  EXPECT_EQ(GetLastError(), ERROR_TOO_MANY_NAMES);
  EXPECT_EQ(Stored().size(), 64u);
}

TEST_F(RangePresetStoreTest, BadValuesAndTheLock) {
  const uint8_t broken[] = {1, 0, 0, 0};
  ASSERT_TRUE(RegistrySettings().SetBinary(setting::kErrMsgSrchPresets, broken, sizeof broken));
  std::vector<RangeSet> out;
  EXPECT_FALSE(RangePresetStore::ReadAll(out));
  EXPECT_EQ(GetLastError(), ERROR_BAD_LENGTH);
  // A store that can't be read is not overwritten by saving one preset.
  EXPECT_FALSE(RangePresetStore::SaveOne(Preset(L"x", 1)));
  EXPECT_FALSE(RangePresetStore::ReadAll(out));
  ASSERT_TRUE(RangePresetStore::WriteAll({}));

  std::vector<ErrorRange> ranges;
  EXPECT_FALSE(ReadStoredRanges(ranges));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  const std::vector<ErrorRange> set7 = BuildBuiltInRangeSets().at(7).ranges;
  ASSERT_TRUE(WriteStoredRanges(set7));
  ASSERT_TRUE(ReadStoredRanges(ranges));
  EXPECT_EQ(ranges, set7);

  // While another holder has the lock, operations give up after their wait.
  std::atomic<bool> held{false}, done{false};
  std::thread holder([&] {
    NamedLock lock(kErrMsgPresetsLockName);
    ASSERT_TRUE(lock.Acquire(1000));
    held = true;
    while (!done) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    lock.Release();
  });
  while (!held) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_FALSE(RangePresetStore::SaveOne(Preset(L"x", 1), 50));
  EXPECT_EQ(GetLastError(), ERROR_TIMEOUT);
  EXPECT_FALSE(WriteStoredRanges(set7, 50));
  done = true;
  holder.join();
  EXPECT_TRUE(RangePresetStore::SaveOne(Preset(L"x", 1), 1000));
}

TEST_F(RangePresetStoreTest, ExportAndImportFiles) {
  test::TempDir dir("presets");
  const std::string path = (dir.path() / "ranges.ini").string();
  std::vector<RangeSet> presets = {Preset(L"One", 1), Preset(L"Two \u0416", 2)};
  presets[1].ranges.push_back({12000, 12175, 1, L"wininet.dll", L"Line\nbreak | bar"});
  ASSERT_TRUE(ExportRangePresets(path, presets, L"today"));

  // The file starts with the byte-order mark and the header comment.
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), {});
  const std::u16string start = u"; This file was created by Tarnix v." TARNIX_VERSION_FULL "\r\n";
  ASSERT_GT(bytes.size(), 2 + 2 * start.size());
  EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
  EXPECT_EQ(bytes.substr(2, 2 * start.size()),
            std::string(reinterpret_cast<const char*>(start.data()), 2 * start.size()));

  ASSERT_TRUE(RangePresetStore::SaveOne(Preset(L"Old", 9)));
  std::vector<RangeSet> imported;
  ASSERT_TRUE(ImportRangePresets(path, imported));
  EXPECT_EQ(imported, presets);
  EXPECT_EQ(Stored(), presets);  // the old preset is gone

  // A bad file leaves the stored presets alone.
  std::ofstream(dir.path() / "bad.ini") << "[ConfigERPs]\nVersion=2\n";
  EXPECT_FALSE(ImportRangePresets((dir.path() / "bad.ini").string(), imported));
  EXPECT_EQ(GetLastError(), ERROR_UNSUPPORTED_VERSION);
  EXPECT_EQ(Stored(), presets);
  EXPECT_FALSE(ImportRangePresets((dir.path() / "missing.ini").string(), imported));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RangePresetFileFailure(false, "/x/missing.ini", ERROR_FILE_NOT_FOUND),
            L"Failed to read presets from the following file:\n\n/x/missing.ini\n\n(2) " +
                std::wstring(L"The file could not be found."));

  // An export that fails leaves no file behind, and keeps the one it was to
  // replace.
  const std::string nowhere = (dir.path() / "no" / "such" / "folder.ini").string();
  EXPECT_FALSE(ExportRangePresets(nowhere, presets, L"today"));
  EXPECT_FALSE(std::filesystem::exists(nowhere));
  auto fileBytes = [&] {
    std::ifstream f(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(f)), {});
  };
  const std::string before = fileBytes();
  FileOutput::FailWritesAfterForTesting(0, ERROR_DISK_FULL);
  const std::vector<RangeSet> other = {Preset(L"Other", 5)};
  EXPECT_FALSE(ExportRangePresets(path, other, L"today"));
  FileOutput::FailWritesAfterForTesting(-1, 0);
  EXPECT_EQ(GetLastError(), ERROR_DISK_FULL);
  EXPECT_EQ(fileBytes(), before);
}

}  // namespace
}  // namespace tarnix
