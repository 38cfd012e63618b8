#include "core/err_code_presets.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "core/registry_settings.h"
#include "core/setting_names.h"
#include "platform/event_store.h"
#include "platform/last_error.h"
#include "platform/named_lock.h"
#include "platform/text_encoding.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

// Builds stored bytes by hand.
struct Blob {
  std::vector<uint8_t> b;
  Blob& U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
    return *this;
  }
  Blob& Text(const std::u16string& s) {
    U32(static_cast<uint32_t>(s.size()));
    for (char16_t c : s) {
      b.push_back(static_cast<uint8_t>(c));
      b.push_back(static_cast<uint8_t>(c >> 8));
    }
    return *this;
  }
};

uint32_t DecodeError(const std::vector<uint8_t>& b) {
  std::vector<ErrCodePresetRecord> out;
  if (DecodeErrCodePresets(b.data(), b.size(), out)) return 0;
  EXPECT_TRUE(out.empty());
  return GetLastError();
}

ErrCodePresetRecord Preset(const std::wstring& name, int items = 1) {
  ErrCodePresetRecord p;
  p.name = name;
  for (int i = 0; i < items; ++i)
    p.items.push_back({kPresetItemFolder | kPresetItemSubfolders, L"C:\\Dir" + std::to_wstring(i) + L"\\"});
  return p;
}

TEST(ErrCodePresets, EncodeAndDecodeRoundTrip) {
  std::vector<ErrCodePresetRecord> in{Preset(L"Sys \u0436 \U0001F600", 2), Preset(L"", 0)};
  in[1].items.push_back({kPresetItemFile, L"C:\\a.dll"});
  in[1].flags = 0x4;
  std::vector<uint8_t> blob;
  ASSERT_TRUE(EncodeErrCodePresets(in, blob));
  std::vector<ErrCodePresetRecord> out;
  ASSERT_TRUE(DecodeErrCodePresets(blob.data(), blob.size(), out));
  EXPECT_EQ(out, in);

  // The exact layout of one small record.
  Blob expect;
  expect.U32(1).U32(0x4).Text(u"N").U32(1).U32(2).Text(u"p");
  ErrCodePresetRecord one;
  one.flags = 0x4;
  one.name = L"N";
  one.items = {{kPresetItemFile, L"p"}};
  ASSERT_TRUE(EncodeErrCodePresets({one}, blob));
  EXPECT_EQ(blob, expect.b);
}

TEST(ErrCodePresets, ReadingCleansNamesAndFlags) {
  Blob b;
  b.U32(1).U32(0x10 | 0x80 | 0x100).Text(u"<a>*\x1b\u202E\t").U32(0);
  std::vector<ErrCodePresetRecord> out;
  ASSERT_TRUE(DecodeErrCodePresets(b.b.data(), b.b.size(), out));
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].name, L"_a_____");
  EXPECT_EQ(out[0].flags, 0x100u);
}

TEST(ErrCodePresets, BadBlobsFailWithTheirCodes) {
  EXPECT_EQ(DecodeError({}), ERROR_BAD_LENGTH);
  EXPECT_EQ(DecodeError(Blob().U32(0).b), 0u);
  EXPECT_EQ(DecodeError(Blob().U32(65).b), ERROR_TOO_MANY_NAMES);
  EXPECT_EQ(DecodeError(Blob().U32(1).U32(0).Text(std::u16string(257, u'n')).U32(0).b),
            ERROR_INVALID_NAME_LENGTH);
  EXPECT_EQ(DecodeError(Blob().U32(1).U32(0).Text(std::u16string(256, u'n')).U32(0).b), 0u);
  EXPECT_EQ(DecodeError(Blob().U32(1).U32(0).Text(u"n").U32(1025).b), ERROR_TOO_MANY_CMDS);
  EXPECT_EQ(DecodeError(Blob().U32(1).U32(0).Text(u"n").U32(1).U32(3).Text(u"p").b), ERROR_INVALID_FLAGS);
  EXPECT_EQ(DecodeError(Blob().U32(1).U32(0).Text(u"n").U32(1).U32(0x8000).Text(u"p").b), ERROR_INVALID_FLAGS);
  EXPECT_EQ(DecodeError(Blob().U32(1).U32(0).Text(u"n").U32(1).U32(1).Text(std::u16string(521, u'p')).b),
            ERROR_INVALID_NAME_LENGTH);
  EXPECT_EQ(DecodeError(Blob().U32(2).U32(0).Text(u"n").U32(0).b), ERROR_BAD_FORMAT);
  EXPECT_EQ(DecodeError(Blob().U32(1).U32(0).Text(u"n").U32(0).U32(0).b), ERROR_CHECKSUM_MISMATCH);

  // A valid blob cut anywhere: inside a record, or between records.
  std::vector<uint8_t> whole;
  ASSERT_TRUE(EncodeErrCodePresets({Preset(L"abc", 2), Preset(L"d", 1)}, whole));
  const size_t firstEnd = 4 + 4 + 4 + 6 + 4 + 2 * (4 + 4 + 2 * 8);
  for (size_t cut = 0; cut < whole.size(); ++cut) {
    std::vector<uint8_t> part(whole.begin(), whole.begin() + static_cast<ptrdiff_t>(cut));
    EXPECT_EQ(DecodeError(part), cut == 4 || cut == firstEnd ? ERROR_BAD_FORMAT : ERROR_BAD_LENGTH) << cut;
  }
}

TEST(ErrCodePresets, EncoderRefusesWhatCouldNotBeRead) {
  std::vector<uint8_t> blob;
  std::vector<ErrCodePresetRecord> many(65, Preset(L"x"));
  EXPECT_FALSE(EncodeErrCodePresets(many, blob));
  EXPECT_EQ(GetLastError(), ERROR_TOO_MANY_NAMES);
  EXPECT_FALSE(EncodeErrCodePresets({Preset(std::wstring(257, L'n'))}, blob));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_NAME_LENGTH);
  // Length counts UTF-16 units: 128 characters outside the BMP are 256.
  std::wstring wide;
  for (int i = 0; i < 128; ++i) wide += L'\U0001F600';
  EXPECT_TRUE(EncodeErrCodePresets({Preset(wide)}, blob));
  EXPECT_FALSE(EncodeErrCodePresets({Preset(wide + L"x")}, blob));
  EXPECT_FALSE(EncodeErrCodePresets({Preset(L"n", 1025)}, blob));
  EXPECT_EQ(GetLastError(), ERROR_TOO_MANY_CMDS);
  ErrCodePresetRecord bad = Preset(L"n");
  bad.items[0].flags = 0;
  EXPECT_FALSE(EncodeErrCodePresets({bad}, blob));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_FLAGS);
}

TEST(ErrCodePresetStore, SaveReplacesByNameIgnoringCase) {
  std::vector<ErrCodePresetRecord> got{Preset(L"stale")};
  ASSERT_TRUE(ErrCodePresetStore::ReadAll(got));
  EXPECT_TRUE(got.empty());
  ASSERT_TRUE(ErrCodePresetStore::SaveOne(Preset(L"One", 1)));
  ASSERT_TRUE(ErrCodePresetStore::SaveOne(Preset(L"Two", 1)));
  ASSERT_TRUE(ErrCodePresetStore::SaveOne(Preset(L"ONE", 3)));
  ASSERT_TRUE(ErrCodePresetStore::ReadAll(got));
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0], Preset(L"ONE", 3));
  EXPECT_EQ(got[1].name, L"Two");

  std::vector<ErrCodePresetRecord> full;
  for (int i = 0; i < 64; ++i) full.push_back(Preset(L"P" + std::to_wstring(i)));
  ASSERT_TRUE(ErrCodePresetStore::WriteAll(full));
  EXPECT_FALSE(ErrCodePresetStore::SaveOne(Preset(L"P64")));
  EXPECT_EQ(GetLastError(), ERROR_TOO_MANY_NAMES);
  EXPECT_TRUE(ErrCodePresetStore::SaveOne(Preset(L"p63", 2)));  // replacing still works
  ASSERT_TRUE(ErrCodePresetStore::ReadAll(got));
  EXPECT_EQ(got.size(), 64u);

  ASSERT_TRUE(ErrCodePresetStore::DeleteAll());
  ASSERT_TRUE(ErrCodePresetStore::DeleteAll());
  ASSERT_TRUE(ErrCodePresetStore::ReadAll(got));
  EXPECT_TRUE(got.empty());
}

TEST(ErrCodePresetStore, DamagedStoreIsReportedAndKept) {
  const uint8_t junk[] = {1, 0, 0, 0, 9};
  RegistrySettings s;
  ASSERT_TRUE(s.SetBinary(setting::kErrCodeSrchPresets, junk, sizeof junk));
  std::vector<ErrCodePresetRecord> got;
  EXPECT_FALSE(ErrCodePresetStore::ReadAll(got));
  EXPECT_EQ(GetLastError(), ERROR_BAD_LENGTH);
  EXPECT_FALSE(ErrCodePresetStore::SaveOne(Preset(L"x")));
  std::vector<uint8_t> still;
  ASSERT_TRUE(s.GetBinary(setting::kErrCodeSrchPresets, still));
  EXPECT_EQ(still, std::vector<uint8_t>(junk, junk + 5));
}

TEST(ErrCodePresetStore, BusyLockFailsAndIsLogged) {
  // Another thread holds the lock for the whole test.
  std::promise<void> taken, done;
  std::thread holder([&] {
    NamedLock held(kErrCodePresetsLockName);
    EXPECT_TRUE(held.Acquire(0));
    taken.set_value();
    done.get_future().wait();
  });
  taken.get_future().wait();
  std::vector<ErrCodePresetRecord> got;
  EXPECT_FALSE(ErrCodePresetStore::ReadAll(got, 30));
  EXPECT_EQ(GetLastError(), ERROR_TIMEOUT);
  EventStore::Reader reader(false);
  std::vector<EventRecord> newest;
  ASSERT_EQ(reader.Next(newest, 1, SIZE_MAX), 0u);
  ASSERT_EQ(newest[0].strings.size(), 1u);
  EXPECT_TRUE(ToUtf8(newest[0].strings[0]).ends_with("(1460) [415]")) << ToUtf8(newest[0].strings[0]);
  EXPECT_FALSE(ErrCodePresetStore::SaveOne(Preset(L"x"), 30));
  done.set_value();
  holder.join();
}

}  // namespace
}  // namespace tarnix
