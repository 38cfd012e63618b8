// Several processes writing the settings store at once, and writers killed
// in the middle of a write: nothing written may be lost or torn.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <random>
#include <set>
#include <thread>

#include "core/err_code_presets.h"
#include "core/registry_settings.h"
#include "platform/registry.h"

namespace tarnix {
namespace {

ErrCodePresetRecord Preset(const std::wstring& name, const std::wstring& path) {
  ErrCodePresetRecord p;
  p.name = name;
  p.items = {{kPresetItemFolder | kPresetItemSubfolders, path}};
  return p;
}

constexpr int kRounds = 2;
constexpr int kPresetsPerSide = 30;  // both sides together stay within 64

std::wstring PathOf(const std::wstring& side, int round, int i) {
  return L"C:\\" + side + L"\\" + std::to_wstring(round) + L"\\" + std::to_wstring(i) + L"\\";
}

// Saves this side's presets, round after round, with a setting per preset.
int WriteSide(const std::wstring& side) {
  RegistrySettings settings;
  int failures = 0;
  for (int round = 0; round < kRounds; ++round) {
    for (int i = 0; i < kPresetsPerSide; ++i) {
      if (!ErrCodePresetStore::SaveOne(Preset(side + std::to_wstring(i), PathOf(side, round, i)))) ++failures;
      if (!settings.SetDword(side + L"Counter", static_cast<uint32_t>(round * kPresetsPerSide + i))) ++failures;
      if (!settings.SetText(L"LastWriter", side)) ++failures;
    }
  }
  return failures;
}

TEST(StoreConcurrency, TwoProcessesWriteSettingsAndPresets) {
  ASSERT_TRUE(ErrCodePresetStore::DeleteAll());
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) _exit(WriteSide(L"child") == 0 ? 0 : 1);
  EXPECT_EQ(WriteSide(L"parent"), 0);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);

  std::vector<ErrCodePresetRecord> presets;
  ASSERT_TRUE(ErrCodePresetStore::ReadAll(presets));
  EXPECT_EQ(presets.size(), 2u * kPresetsPerSide);
  std::set<std::wstring> names;
  for (const auto& p : presets) names.insert(p.name);
  for (const std::wstring side : {L"child", L"parent"}) {
    for (int i = 0; i < kPresetsPerSide; ++i) {
      const std::wstring name = side + std::to_wstring(i);
      EXPECT_TRUE(names.count(name)) << "lost " << std::string(name.begin(), name.end());
      for (const auto& p : presets) {
        if (p.name == name) {
          EXPECT_EQ(p.items[0].path, PathOf(side, kRounds - 1, i));
        }
      }
    }
    EXPECT_EQ(RegistrySettings().GetDword(side + L"Counter", 0), kRounds * kPresetsPerSide - 1u);
  }
  std::string report;
  EXPECT_TRUE(Registry::CheckIntegrity(&report)) << report;
}

// The writer: announces each step on `announce`, then writes the step's
// counter, blob and preset list, each in its own transaction.
[[noreturn]] void KeepWriting(int announce, uint32_t first) {
  RegistrySettings settings;
  settings.GetDword(L"KillCounter", 0);  // open the store before the first step
  for (uint32_t step = first;; ++step) {
    if (write(announce, &step, sizeof step) != sizeof step) _exit(2);
    settings.SetDword(L"KillCounter", step);
    std::vector<uint8_t> blob(4096, static_cast<uint8_t>(step));
    std::memcpy(blob.data(), &step, sizeof step);
    settings.SetBinary(L"KillBlob", blob.data(), blob.size());
    ErrCodePresetStore::WriteAll({Preset(L"k" + std::to_wstring(step), L"C:\\")});
  }
}

struct Stored {
  uint32_t counter = 0, blob = 0, preset = 0;
};

// Reads the three values, checking that each is whole.
Stored ReadStored() {
  Stored s;
  RegistrySettings settings;
  s.counter = settings.GetDword(L"KillCounter", UINT32_MAX);
  std::vector<uint8_t> blob;
  EXPECT_TRUE(settings.GetBinary(L"KillBlob", blob));
  EXPECT_EQ(blob.size(), 4096u);
  if (blob.size() == 4096) {
    std::memcpy(&s.blob, blob.data(), sizeof s.blob);
    for (size_t i = 4; i < blob.size(); ++i)
      if (blob[i] != static_cast<uint8_t>(s.blob)) {
        ADD_FAILURE() << "torn blob at " << i;
        break;
      }
  }
  std::vector<ErrCodePresetRecord> presets;
  EXPECT_TRUE(ErrCodePresetStore::ReadAll(presets));
  EXPECT_EQ(presets.size(), 1u);
  if (presets.size() == 1) s.preset = static_cast<uint32_t>(std::stoul(presets[0].name.substr(1)));
  return s;
}

TEST(StoreConcurrency, KilledWritersLeaveOldOrNewValues) {
  RegistrySettings settings;
  ASSERT_TRUE(settings.SetDword(L"KillCounter", 0));
  std::vector<uint8_t> zero(4096, 0);
  ASSERT_TRUE(settings.SetBinary(L"KillBlob", zero.data(), zero.size()));
  ASSERT_TRUE(ErrCodePresetStore::WriteAll({Preset(L"k0", L"C:\\")}));

  const unsigned seed = std::random_device{}();
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> delayUs(0, 100000);
  SCOPED_TRACE("seed " + std::to_string(seed));
  Stored prev;
  int kills = 0, progressed = 0;
  for (int round = 0; round < 40; ++round) {
    int announce[2];
    ASSERT_EQ(pipe(announce), 0);
    const uint32_t first = prev.counter + 1;
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      close(announce[0]);
      KeepWriting(announce[1], first);
    }
    close(announce[1]);
    // Time the kill from the writer's first step, however long it took to
    // start (sanitizers make that slow).
    uint32_t last = prev.counter, step;
    if (read(announce[0], &step, sizeof step) == sizeof step) last = step;
    std::this_thread::sleep_for(std::chrono::microseconds(delayUs(random)));
    kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    ++kills;
    while (read(announce[0], &step, sizeof step) == sizeof step) last = step;
    close(announce[0]);

    std::string report;
    ASSERT_TRUE(Registry::CheckIntegrity(&report)) << report;
    Stored now = ReadStored();
    // Each value is its old one, or one of the steps the writer had begun.
    auto plausible = [&](uint32_t value, uint32_t old) {
      return value == old || (value >= first && value <= last && value + 1 >= last);
    };
    EXPECT_TRUE(plausible(now.counter, prev.counter)) << now.counter << " " << last;
    EXPECT_TRUE(plausible(now.blob, prev.blob)) << now.blob << " " << last;
    EXPECT_TRUE(plausible(now.preset, prev.preset)) << now.preset << " " << last;
    EXPECT_GE(now.counter, now.blob);
    EXPECT_GE(now.blob, now.preset);
    if (now.counter != prev.counter) ++progressed;
    prev = now;
    if (HasFailure()) break;
  }
  EXPECT_EQ(kills, 40);
  EXPECT_GT(progressed, 0);
  std::printf("%d writers killed, %d of them after completed writes; last step %u\n", kills, progressed,
              prev.counter);
}

}  // namespace
}  // namespace tarnix
