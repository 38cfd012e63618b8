#include "symbolsearch/symbol_cache.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <utility>

#include "core/wformat.h"
#include "platform/sqlite_db.h"
#include "platform/text_encoding.h"

namespace tarnix {
namespace {

// The layout of the database; a file of an older layout is made anew, one
// of a newer layout (a newer program's) is left alone.
constexpr int kFormat = 1;

constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS entries("
    " path BLOB NOT NULL UNIQUE, device INTEGER, inode INTEGER, size INTEGER,"
    " mtime INTEGER, ctime INTEGER, stored INTEGER, bytes INTEGER, data BLOB);"
    "CREATE INDEX IF NOT EXISTS entries_stored ON entries(stored);"
    "CREATE TABLE IF NOT EXISTS meta(key TEXT PRIMARY KEY, value INTEGER);";

// How long a search waits for a lock another program holds: a lookup that
// would wait longer reads the file instead; the writer, off the readers'
// threads, waits longer before it gives up a batch.
constexpr int kReadWaitMs = 100;
constexpr int kWriteWaitMs = 2000;
// Entries waiting for the writer: beyond this, new ones are not kept.
constexpr size_t kMaxQueuedBytes = 64u << 20;
constexpr size_t kBatchEntries = 256;
constexpr size_t kBatchBytes = 8u << 20;
// Nothing larger is kept, whatever the limit (SQLite's own bound is 1 GB).
constexpr uint64_t kMaxEntryBytes = 256u << 20;

// Pages are read from a mapping of the file, not copied by read calls.
constexpr const char* kConnectionPragmas = "PRAGMA mmap_size=268435456";

int Exec(sqlite3* db, const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }

std::wstring SqliteReason(int rc) {
  switch (rc & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return L"another program holds it locked";
    case SQLITE_READONLY:
    case SQLITE_PERM: return L"it is read-only";
    case SQLITE_FULL: return L"the disk is full";
    case SQLITE_CANTOPEN: return L"it cannot be opened";
    default: return WFormat(L"SQLite error %d, %ls", rc, FromUtf8(sqlite3_errstr(rc)).c_str());
  }
}

bool Damaged(int rc) { return (rc & 0xFF) == SQLITE_CORRUPT || (rc & 0xFF) == SQLITE_NOTADB; }

// 0 when `path` is missing or a regular file, else the reason to leave it.
const wchar_t* NotRegular(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) return nullptr;
  return S_ISREG(st.st_mode) ? nullptr : L"it is not a regular file";
}

const wchar_t* FilesNotRegular(const std::string& path) {
  for (const char* suffix : {"", "-wal", "-shm"})
    if (const wchar_t* reason = NotRegular(path + suffix)) return reason;
  return nullptr;
}

bool RemoveFiles(const std::string& path) {
  bool ok = true;
  for (const char* suffix : {"", "-wal", "-shm", "-journal"})
    if (unlink((path + suffix).c_str()) != 0 && errno != ENOENT) ok = false;
  return ok;
}

int64_t IntOf(sqlite3* db, const char* sql, int& rc) {
  SqliteStmt s(db, sql);
  rc = s.Step();
  if (rc != SQLITE_ROW) return 0;
  rc = SQLITE_OK;
  return s.Int64(0);
}

sqlite3* OpenConnection(const std::string& path, int flags, int waitMs, int& rc) {
  sqlite3* db = nullptr;
  rc = sqlite3_open_v2(path.c_str(), &db, flags | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_NOFOLLOW, nullptr);
  if (rc != SQLITE_OK) {
    sqlite3_close_v2(db);
    return nullptr;
  }
  sqlite3_busy_timeout(db, waitMs);
  return db;
}

}  // namespace

std::string SymbolCachePath() { return XdgFolder("XDG_CACHE_HOME", ".cache") + "/tarnix/symbols.db"; }

SymbolCache::SymbolCache(std::string path, uint64_t limitBytes)
    : path_(std::move(path)), limit_(limitBytes) {
  usable_ = Open();
}

SymbolCache::~SymbolCache() {
  Finish();
  for (Reader& r : readers_) {
    sqlite3_finalize(r.find);
    sqlite3_close_v2(r.db);
  }
  sqlite3_close_v2(writer_);
}

void SymbolCache::Warn(std::wstring text) {
  std::lock_guard<std::mutex> lock(warningLock_);
  if (warned_ || !warning_.empty()) return;
  warning_ = std::move(text);
}

std::wstring SymbolCache::TakeWarning() {
  std::lock_guard<std::mutex> lock(warningLock_);
  if (warning_.empty()) return {};
  warned_ = true;
  return std::exchange(warning_, std::wstring());
}

void SymbolCache::Disable(const std::wstring& reason) {
  usable_ = false;
  Warn(WFormat(L"Warning: The symbol cache \"%ls\" is not used: %ls.", FromUtf8(path_).c_str(),
               reason.c_str()));
}

bool SymbolCache::Open() {
  if (const wchar_t* reason = FilesNotRegular(path_)) {
    Disable(reason);
    return false;
  }
  const std::string::size_type slash = path_.rfind('/');
  if (slash != std::string::npos && slash > 0 && !MakeFolders(path_.substr(0, slash))) {
    Disable(L"its folder cannot be made");
    return false;
  }
  // Some lock conflicts (two programs making the file at once, one of them
  // turning it to WAL) are answered at once, without the busy wait: they are
  // tried again for a while.
  auto attempt = [this](bool& damaged) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWriteWaitMs);
    for (;;) {
      bool busy = false;
      if (OpenOnce(damaged, busy)) return true;
      if (!busy) return false;
      if (std::chrono::steady_clock::now() >= until) {
        Disable(SqliteReason(SQLITE_BUSY));
        return false;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  };
  bool damaged = false;
  if (attempt(damaged)) return true;
  if (!damaged) return false;
  // A damaged cache holds nothing worth keeping: it is made anew.
  sqlite3_close_v2(writer_);
  writer_ = nullptr;
  if (!RemoveFiles(path_)) {
    Disable(L"it is damaged and cannot be removed");
    return false;
  }
  damaged = false;
  if (!attempt(damaged)) {
    if (damaged) Disable(L"it is damaged");
    return false;
  }
  Warn(WFormat(L"Warning: The symbol cache \"%ls\" was damaged; it was made anew.", FromUtf8(path_).c_str()));
  return true;
}

bool SymbolCache::OpenOnce(bool& damaged, bool& busy) {
  int rc = SQLITE_OK;
  // Two programs that make the cache at the same moment wait for each other
  // here; a cache that exists is opened without waiting for its writers.
  writer_ = OpenConnection(path_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, kWriteWaitMs, rc);
  auto fail = [&](int code) {
    if (Damaged(code)) damaged = true;
    else if ((code & 0xFF) == SQLITE_BUSY || (code & 0xFF) == SQLITE_LOCKED) busy = true;
    else Disable(SqliteReason(code));
    sqlite3_close_v2(writer_);
    writer_ = nullptr;
    return false;
  };
  if (!writer_) return fail(rc);
  if (sqlite3_db_readonly(writer_, "main") == 1) return fail(SQLITE_READONLY);
  // An entry fits a page or two of a new file; pages are read in place.
  rc = Exec(writer_, "PRAGMA page_size=16384");
  if (rc == SQLITE_OK) rc = Exec(writer_, kConnectionPragmas);
  if (rc == SQLITE_OK) rc = Exec(writer_, "PRAGMA cache_size=-16384");
  if (rc == SQLITE_OK) rc = Exec(writer_, "PRAGMA journal_mode=WAL");
  if (rc == SQLITE_OK) rc = Exec(writer_, "PRAGMA synchronous=NORMAL");
  if (rc != SQLITE_OK) return fail(rc);
  const int64_t version = IntOf(writer_, "PRAGMA user_version", rc);
  if (rc != SQLITE_OK) return fail(rc);
  const int64_t tables = IntOf(writer_, "SELECT count(*) FROM sqlite_master", rc);
  if (rc != SQLITE_OK) return fail(rc);
  if (version > kFormat) {
    Disable(L"a newer version of the program keeps it");
    sqlite3_close_v2(writer_);
    writer_ = nullptr;
    return false;
  }
  if (version < kFormat) {
    rc = Exec(writer_, "BEGIN IMMEDIATE");
    if (rc == SQLITE_OK) rc = Exec(writer_, "DROP TABLE IF EXISTS entries; DROP TABLE IF EXISTS meta");
    if (rc == SQLITE_OK) rc = Exec(writer_, kSchema);
    if (rc == SQLITE_OK) rc = Exec(writer_, ("PRAGMA user_version=" + std::to_string(kFormat)).c_str());
    if (rc == SQLITE_OK) rc = Exec(writer_, "COMMIT");
    if (rc != SQLITE_OK) {
      Exec(writer_, "ROLLBACK");
      return fail(rc);
    }
    if (tables > 0)
      Warn(WFormat(L"Warning: The symbol cache \"%ls\" was of an older format; it was made anew.",
                   FromUtf8(path_).c_str()));
  }
  // Damage shows once pages are read.
  IntOf(writer_, "SELECT count(*) FROM meta", rc);
  if (rc != SQLITE_OK) return fail(rc);
  return true;
}

SymbolCache::Reader SymbolCache::TakeReader() {
  {
    std::lock_guard<std::mutex> lock(readersLock_);
    if (!readers_.empty()) {
      Reader r = readers_.back();
      readers_.pop_back();
      return r;
    }
  }
  int rc = SQLITE_OK;
  Reader r;
  r.db = OpenConnection(path_, SQLITE_OPEN_READWRITE, kReadWaitMs, rc);
  if (r.db) rc = Exec(r.db, kConnectionPragmas);
  if (r.db && rc == SQLITE_OK)
    rc = sqlite3_prepare_v3(r.db, "SELECT device, inode, size, mtime, ctime, data FROM entries WHERE path = ?", -1,
                            SQLITE_PREPARE_PERSISTENT, &r.find, nullptr);
  if (rc != SQLITE_OK) {
    if (Damaged(rc)) Disable(L"it is damaged");
    sqlite3_finalize(r.find);
    sqlite3_close_v2(r.db);
    return Reader();
  }
  return r;
}

void SymbolCache::GiveBackReader(Reader reader) {
  sqlite3_reset(reader.find);
  std::lock_guard<std::mutex> lock(readersLock_);
  readers_.push_back(reader);
}

bool SymbolCache::Find(const std::string& path, const FileIdentity& id, ImageSnapshot& out) {
  if (!usable_) return false;
  ++lookups_;
  Reader reader = TakeReader();
  if (!reader.db) return false;
  sqlite3_stmt* s = reader.find;
  bool found = false;
  sqlite3_bind_blob64(s, 1, path.data(), path.size(), SQLITE_STATIC);
  const int rc = sqlite3_step(s);
  if (rc == SQLITE_ROW) {
    FileIdentity kept;
    kept.device = static_cast<uint64_t>(sqlite3_column_int64(s, 0));
    kept.inode = static_cast<uint64_t>(sqlite3_column_int64(s, 1));
    kept.size = static_cast<uint64_t>(sqlite3_column_int64(s, 2));
    kept.modifiedNs = sqlite3_column_int64(s, 3);
    kept.changedNs = sqlite3_column_int64(s, 4);
    if (kept == id) {
      const void* data = sqlite3_column_blob(s, 5);
      const int bytes = sqlite3_column_bytes(s, 5);
      found = data && DecodeSnapshot(std::string_view(static_cast<const char*>(data), static_cast<size_t>(bytes)), out) &&
              out.fileSize == id.size;
    }
  } else if (Damaged(rc)) {
    Disable(L"it is damaged");
  }
  sqlite3_clear_bindings(s);
  GiveBackReader(reader);
  if (found) ++hits_;
  return found;
}

void SymbolCache::Keep(const std::string& path, const FileIdentity& id, const ImageSnapshot& snapshot) {
  if (!usable_) return;
  Pending p{path, id, {}};
  EncodeSnapshot(snapshot, p.entry);
  if (p.entry.size() > limit_ || p.entry.size() > kMaxEntryBytes) return;
  std::lock_guard<std::mutex> lock(queueLock_);
  if (finishing_ || queuedBytes_ + p.entry.size() > kMaxQueuedBytes) return;
  queuedBytes_ += p.entry.size();
  queue_.push_back(std::move(p));
  if (!writerStarted_) {
    writerStarted_ = true;
    writerThread_ = std::thread([this] { WriterLoop(); });
  }
  queueWake_.notify_one();
}

void SymbolCache::WriterLoop() {
  std::vector<Pending> batch;
  for (;;) {
    {
      std::unique_lock<std::mutex> lock(queueLock_);
      queueWake_.wait(lock, [&] { return !queue_.empty() || finishing_; });
      // A few more entries make a fuller batch.
      if (!finishing_ && queue_.size() < kBatchEntries / 4)
        queueWake_.wait_for(lock, std::chrono::milliseconds(50), [&] { return finishing_; });
      if (queue_.empty() && finishing_) return;
      size_t bytes = 0;
      while (!queue_.empty() && batch.size() < kBatchEntries && bytes < kBatchBytes) {
        bytes += queue_.front().entry.size();
        batch.push_back(std::move(queue_.front()));
        queue_.pop_front();
      }
      queuedBytes_ -= bytes;
    }
    if (usable_ && !WriteBatch(batch)) {
      // Nothing more is written in this search.
      std::lock_guard<std::mutex> lock(queueLock_);
      queue_.clear();
      queuedBytes_ = 0;
    }
    batch.clear();
  }
}

bool SymbolCache::WriteBatch(std::vector<Pending>& batch) {
  int rc = Exec(writer_, "BEGIN IMMEDIATE");
  if (rc == SQLITE_OK) {
    SqliteStmt s(writer_,
                 "INSERT OR REPLACE INTO entries(path, device, inode, size, mtime, ctime, stored, bytes, data) "
                 "VALUES(?, ?, ?, ?, ?, ?, (SELECT coalesce(max(stored), 0) + 1 FROM entries), ?, ?)");
    rc = s.prepareResult();
    for (size_t i = 0; rc == SQLITE_OK && i < batch.size(); ++i) {
      const Pending& p = batch[i];
      sqlite3_reset(s.get());
      s.BindBlob(1, p.path.data(), p.path.size());
      s.BindInt64(2, static_cast<int64_t>(p.id.device));
      s.BindInt64(3, static_cast<int64_t>(p.id.inode));
      s.BindInt64(4, static_cast<int64_t>(p.id.size));
      s.BindInt64(5, p.id.modifiedNs);
      s.BindInt64(6, p.id.changedNs);
      s.BindInt64(7, static_cast<int64_t>(p.entry.size()));
      s.BindBlob(8, p.entry.data(), p.entry.size());
      rc = s.Step();
      if (rc == SQLITE_DONE) rc = SQLITE_OK;
    }
  }
  if (rc == SQLITE_OK) rc = Exec(writer_, "COMMIT");
  if (rc != SQLITE_OK) {
    Exec(writer_, "ROLLBACK");
    // Another program writing at length costs this batch, not the cache.
    if ((rc & 0xFF) == SQLITE_BUSY) return true;
    Disable(Damaged(rc) ? std::wstring(L"it is damaged") : SqliteReason(rc));
    return false;
  }
  return Trim();
}

bool SymbolCache::Trim() {
  int rc = SQLITE_OK;
  const int64_t total = IntOf(writer_, "SELECT total(bytes) FROM entries", rc);
  if (rc != SQLITE_OK || static_cast<uint64_t>(total) <= limit_) return true;
  // Down to nine tenths of the limit, so that the next batches need no trim.
  const uint64_t target = limit_ - limit_ / 10;
  uint64_t left = static_cast<uint64_t>(total);
  int64_t last = 0;
  {
    SqliteStmt s(writer_, "SELECT stored, bytes FROM entries ORDER BY stored");
    while (left > target && s.Step() == SQLITE_ROW) {
      last = s.Int64(0);
      left -= std::min<uint64_t>(left, static_cast<uint64_t>(s.Int64(1)));
    }
  }
  SqliteStmt del(writer_, "DELETE FROM entries WHERE stored <= ?");
  del.BindInt64(1, last);
  rc = del.Step();
  if (rc != SQLITE_DONE && (rc & 0xFF) != SQLITE_BUSY) {
    Disable(SqliteReason(rc));
    return false;
  }
  return true;
}

void SymbolCache::RecordCounts() {
  if (!writer_ || !usable_) return;
  if (Exec(writer_, "BEGIN IMMEDIATE") != SQLITE_OK) return;
  SqliteStmt s(writer_, "INSERT OR REPLACE INTO meta(key, value) VALUES(?, ?)");
  int rc = s.prepareResult();
  const std::pair<const char*, uint64_t> counts[] = {{"lookups", lookups_.load()}, {"hits", hits_.load()}};
  for (const auto& [key, value] : counts) {
    if (rc != SQLITE_OK) break;
    sqlite3_reset(s.get());
    s.BindText(1, key);
    s.BindInt64(2, static_cast<int64_t>(value));
    rc = s.Step() == SQLITE_DONE ? SQLITE_OK : SQLITE_ERROR;
  }
  Exec(writer_, rc == SQLITE_OK ? "COMMIT" : "ROLLBACK");
}

void SymbolCache::Finish() {
  {
    std::lock_guard<std::mutex> lock(queueLock_);
    if (finishing_) return;
    finishing_ = true;
  }
  queueWake_.notify_all();
  if (writerThread_.joinable()) writerThread_.join();
  // A limit lowered since the cache was filled holds from this search on,
  // also when it wrote nothing.
  if (usable_ && writer_) Trim();
  RecordCounts();
}

bool SymbolCache::ReadStats(const std::string& path, Stats& stats, std::wstring& error) {
  stats = Stats();
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) return true;  // no cache yet
  if (const wchar_t* reason = FilesNotRegular(path)) {
    error = reason;
    return false;
  }
  for (const char* suffix : {"", "-wal"})
    if (stat((path + suffix).c_str(), &st) == 0) stats.fileBytes += static_cast<uint64_t>(st.st_size);
  int rc = SQLITE_OK;
  sqlite3* db = OpenConnection(path, SQLITE_OPEN_READWRITE, kWriteWaitMs, rc);
  if (!db) db = OpenConnection(path, SQLITE_OPEN_READONLY, kWriteWaitMs, rc);
  if (!db) {
    error = SqliteReason(rc);
    return false;
  }
  const int64_t version = IntOf(db, "PRAGMA user_version", rc);
  if (rc == SQLITE_OK && version == kFormat) {
    stats.entries = static_cast<uint64_t>(IntOf(db, "SELECT count(*) FROM entries", rc));
    if (rc == SQLITE_OK) stats.bytes = static_cast<uint64_t>(IntOf(db, "SELECT total(bytes) FROM entries", rc));
    if (rc == SQLITE_OK)
      stats.lookups = static_cast<uint64_t>(IntOf(db, "SELECT coalesce(max(value), 0) FROM meta WHERE key = 'lookups'", rc));
    if (rc == SQLITE_OK)
      stats.hits = static_cast<uint64_t>(IntOf(db, "SELECT coalesce(max(value), 0) FROM meta WHERE key = 'hits'", rc));
  } else if (rc == SQLITE_OK && version != 0) {
    error = L"it is of another format";
    rc = SQLITE_ERROR;
  }
  sqlite3_close_v2(db);
  if (rc != SQLITE_OK && error.empty()) error = Damaged(rc) ? std::wstring(L"it is damaged") : SqliteReason(rc);
  return rc == SQLITE_OK;
}

bool SymbolCache::Clear(const std::string& path, std::wstring& error) {
  if (RemoveFiles(path)) return true;
  error = WFormat(L"%ls", FromUtf8(std::strerror(errno)).c_str());
  return false;
}

}  // namespace tarnix
