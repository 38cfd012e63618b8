// The settings store when another program holds it locked, when its disk is
// full or read-only, or when it was damaged: the program keeps going on
// defaults, never waits long, loses nothing it could save and says what
// happened once.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "core/registry_settings.h"
#include "core/store_notes.h"
#include "platform/last_error.h"
#include "platform/registry.h"
#include "platform/win_errors.h"
#include "support/cli_run.h"
#include "support/env_value.h"
#include "support/small_fs.h"
#include "support/temp_dir.h"

namespace tarnix {
namespace {

using Clock = std::chrono::steady_clock;

int64_t MsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// A second connection to the store, as another program would hold one.
class OtherConnection {
 public:
  OtherConnection() {
    EXPECT_EQ(sqlite3_open(Registry::DatabasePath().c_str(), &db_), SQLITE_OK);
  }
  ~OtherConnection() {
    Exec("ROLLBACK");
    sqlite3_close_v2(db_);
  }
  int Exec(const char* sql) { return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr); }
  // A write transaction that is not committed.
  void HoldWriteLock() {
    ASSERT_EQ(Exec("BEGIN IMMEDIATE"), SQLITE_OK);
    ASSERT_EQ(Exec("INSERT OR IGNORE INTO reg_keys VALUES('other', 'Other')"), SQLITE_OK);
  }
  // Nobody else may even read.
  void HoldExclusiveLock() {
    ASSERT_EQ(Exec("PRAGMA locking_mode=EXCLUSIVE"), SQLITE_OK);
    ASSERT_EQ(Exec("BEGIN EXCLUSIVE"), SQLITE_OK);
    ASSERT_EQ(Exec("INSERT OR IGNORE INTO reg_keys VALUES('other', 'Other')"), SQLITE_OK);
  }
  // A read transaction that stays open.
  void HoldSharedLock() {
    ASSERT_EQ(Exec("BEGIN"), SQLITE_OK);
    ASSERT_EQ(Exec("SELECT count(*) FROM reg_values"), SQLITE_OK);
  }

 private:
  sqlite3* db_ = nullptr;
};

// The value as stored in the file, read by a fresh connection.
int64_t StoredDword(const std::string& name) {
  sqlite3* db = nullptr;
  sqlite3_open(Registry::DatabasePath().c_str(), &db);
  sqlite3_stmt* s = nullptr;
  int64_t v = -1;
  const std::string sql = "SELECT data FROM reg_values WHERE name='" + name + "'";
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) == SQLITE_OK && sqlite3_step(s) == SQLITE_ROW &&
      sqlite3_column_bytes(s, 0) == 4) {
    const auto* p = static_cast<const uint8_t*>(sqlite3_column_blob(s, 0));
    v = p[0] | p[1] << 8 | p[2] << 16 | static_cast<int64_t>(p[3]) << 24;
  }
  sqlite3_finalize(s);
  sqlite3_close_v2(db);
  return v;
}

class StoreConditions : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(settings_.SetDword(L"Before", 7));  // the store exists
    Registry::ResetHealthForTesting();
  }
  void Waits(uint32_t readMs, uint32_t writeMs, bool defer) {
    StoreWaits w;
    w.readMs = readMs;
    w.writeMs = writeMs;
    w.deferBusyWrites = defer;
    Registry::SetWaits(w);
  }
  // A store in a folder of its own that no connection of this process has
  // open (another program can only lock a store exclusively while nobody
  // else has it open), holding "Before" = 7.
  void UseFreshStore() {
    home_ = std::make_unique<test::TempDir>("store");
    config_ = std::make_unique<test::EnvValue>("XDG_CONFIG_HOME", home_->path().c_str());
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) _exit(RegistrySettings().SetDword(L"Before", 7) ? 0 : 1);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  bool Said(const char* kind) {
    for (const StoreNote& n : TakeStoreNotes())
      if (n.kind.rfind(kind, 0) == 0) return true;
    return false;
  }
  RegistrySettings settings_;
  std::unique_ptr<test::TempDir> home_;
  std::unique_ptr<test::EnvValue> config_;
};

TEST_F(StoreConditions, AWriteLockQueuesWritesThatReadsSeeAndThatLandLater) {
  Waits(250, 100, true);
  auto other = std::make_unique<OtherConnection>();
  other->HoldWriteLock();
  auto start = Clock::now();
  for (uint32_t i = 0; i < 50; ++i) ASSERT_TRUE(settings_.SetDword(L"Queued", i));
  EXPECT_TRUE(settings_.SetText(L"Text", L"new"));
  EXPECT_LT(MsSince(start), 1000);  // one short wait, not one per write
  EXPECT_EQ(settings_.GetDword(L"Queued", 0), 49u);  // this process sees its writes
  EXPECT_EQ(settings_.GetText(L"Text", L""), L"new");
  EXPECT_EQ(settings_.GetDword(L"Before", 0), 7u);    // other values are still read
  EXPECT_EQ(StoredDword("Queued"), -1);
  EXPECT_FALSE(Registry::FlushWrites(200));
  EXPECT_GT(Registry::Health().pendingWrites, 0u);
  EXPECT_TRUE(Said("locked"));
  EXPECT_FALSE(Said("locked"));  // once

  other.reset();  // the other program lets go
  EXPECT_TRUE(Registry::FlushWrites(5000));
  EXPECT_EQ(StoredDword("Queued"), 49);
  EXPECT_EQ(FinishStoreWrites(100), L"");
}

TEST_F(StoreConditions, WithoutQueueingAWriteGivesUpAfterItsWait) {
  Waits(250, 200, false);
  OtherConnection other;
  other.HoldWriteLock();
  const auto start = Clock::now();
  EXPECT_FALSE(settings_.SetDword(L"Sync", 1));
  EXPECT_EQ(GetLastError(), static_cast<uint32_t>(ERROR_LOCK_VIOLATION));
  EXPECT_LT(MsSince(start), 2000);
  EXPECT_EQ(settings_.GetDword(L"Sync", 5), 5u);
}

TEST_F(StoreConditions, AnExclusiveLockGivesDefaultsAtOnce) {
  Waits(250, 100, true);
  UseFreshStore();
  OtherConnection other;
  other.HoldExclusiveLock();
  const auto start = Clock::now();
  EXPECT_EQ(settings_.GetDword(L"Before", 3), 3u);  // waits once, then the default
  for (int i = 0; i < 200; ++i) EXPECT_EQ(settings_.GetDword(L"Before", 3), 3u);
  EXPECT_LT(MsSince(start), 1500);
  EXPECT_TRUE(settings_.SetDword(L"Later", 9));  // queued
  EXPECT_EQ(settings_.GetDword(L"Later", 0), 9u);
  EXPECT_TRUE(Registry::Health().locked);
  const std::wstring unsaved = FinishStoreWrites(300);
  EXPECT_NE(unsaved.find(L"could not be saved"), std::wstring::npos);
}

TEST_F(StoreConditions, AReaderHoldingItsSnapshotBlocksNothing) {
  Waits(250, 100, false);
  OtherConnection other;
  other.HoldSharedLock();
  EXPECT_TRUE(settings_.SetDword(L"Shared", 4));
  EXPECT_EQ(StoredDword("Shared"), 4);
  EXPECT_FALSE(Registry::Health().locked);
}

TEST_F(StoreConditions, TheCliFinishesASearchWhileTheStoreIsLockedAndSaysSo) {
  test::TempDir dir;
  dir.Write("a.dll", "not an image");
  UseFreshStore();
  OtherConnection other;
  other.HoldExclusiveLock();
  const auto start = Clock::now();
  const test::CliRun run = test::RunCli(dir, "search", "'" + dir.path().string() + "' --quiet");
  EXPECT_LT(MsSince(start), 5000);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("is locked by another program"), std::string::npos) << run.err;
  size_t said = 0;
  for (size_t at = 0; (at = run.err.find("is locked", at)) != std::string::npos; ++at) ++said;
  EXPECT_EQ(said, 1u);
}

TEST_F(StoreConditions, ADamagedStoreIsMovedAsideAndSaidOnce) {
  test::TempDir home;
  test::EnvValue config("XDG_CONFIG_HOME", home.path().c_str());
  std::filesystem::create_directories(std::filesystem::path(Registry::DatabasePath()).parent_path());
  std::ofstream(Registry::DatabasePath()) << std::string(8192, 'x');
  EXPECT_EQ(settings_.GetDword(L"Anything", 11), 11u);
  EXPECT_TRUE(settings_.SetDword(L"Anything", 12));
  EXPECT_EQ(settings_.GetDword(L"Anything", 11), 12u);
  const std::vector<StoreNote> notes = TakeStoreNotes();
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_EQ(notes[0].kind.rfind("damaged:", 0), 0u);
  EXPECT_TRUE(std::filesystem::exists(notes[0].kind.substr(8)));
  EXPECT_TRUE(notes[0].firstTime);
  EXPECT_TRUE(MarkStoreNoteShown(notes[0].kind));
  EXPECT_TRUE(TakeStoreNotes().empty());
}

TEST_F(StoreConditions, AFullDiskKeepsTheSessionsChangesUntilThereIsSpace) {
  test::SmallFileSystem fs(512 * 1024);
  if (!fs.ok()) GTEST_SKIP() << fs.reason();
  test::EnvValue config("XDG_CONFIG_HOME", fs.path().c_str());
  Waits(250, 100, true);
  ASSERT_TRUE(settings_.SetDword(L"First", 1));
  fs.Fill();
  std::vector<uint8_t> big(256 * 1024, 0x5A);
  EXPECT_TRUE(settings_.SetBinary(L"Big", big.data(), big.size()));  // queued
  std::vector<uint8_t> back;
  EXPECT_TRUE(settings_.GetBinary(L"Big", back));
  EXPECT_EQ(back, big);
  EXPECT_FALSE(Registry::FlushWrites(300));
  EXPECT_TRUE(Said("full"));
  std::filesystem::remove(fs.path() / "filler");
  EXPECT_TRUE(Registry::FlushWrites(5000));
  EXPECT_EQ(settings_.GetDword(L"First", 0), 1u);
}

TEST_F(StoreConditions, AReadOnlyStoreRunsOnWhatItHasAndSaysSo) {
  test::SmallFileSystem fs(1024 * 1024);
  if (!fs.ok()) GTEST_SKIP() << fs.reason();
  test::EnvValue config("XDG_CONFIG_HOME", fs.path().c_str());
  Waits(250, 100, true);
  // Made by another process, so that nothing here holds it open when the
  // file system becomes read-only.
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) _exit(RegistrySettings().SetDword(L"Kept", 5) ? 0 : 1);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(fs.SetReadOnly(true));
  Registry::ResetHealthForTesting();
  const uint32_t kept = settings_.GetDword(L"Kept", 0);
  EXPECT_TRUE(kept == 5 || kept == 0) << kept;  // read, or the default when it cannot be opened
  settings_.SetDword(L"Kept", 6);
  EXPECT_EQ(settings_.GetDword(L"Kept", 0), 6u);  // this session keeps its change
  EXPECT_TRUE(Said("read-only") || Said("unavailable"));
  EXPECT_FALSE(Registry::FlushWrites(200));
  ASSERT_TRUE(fs.SetReadOnly(false));
  EXPECT_TRUE(Registry::FlushWrites(5000));
}

}  // namespace
}  // namespace tarnix
