#include "platform/registry.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/char_class.h"
#include "platform/last_error.h"
#include "platform/sqlite_db.h"
#include "platform/text_encoding.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

constexpr const char kSchema[] =
    "CREATE TABLE IF NOT EXISTS reg_keys(fold TEXT PRIMARY KEY, path TEXT NOT NULL) WITHOUT ROWID;"
    "CREATE TABLE IF NOT EXISTS reg_values(key TEXT NOT NULL, fold TEXT NOT NULL, name TEXT NOT "
    "NULL, type INTEGER NOT NULL, data BLOB NOT NULL, PRIMARY KEY(key, fold)) WITHOUT ROWID;";

constexpr size_t kMaxKeyNameLength = 255;
constexpr size_t kMaxValueNameLength = 16383;

// What a queued write changes, so that reads see it before it is stored.
struct Effect {
  enum Kind { kCreateKey, kSetValue, kDeleteValue, kDeleteTree } kind;
  std::string key;   // folded key path
  std::string name;  // folded value name (values only)
  uint32_t type = REG_NONE;
  std::string data;
};

struct WriteOp {
  // One transaction's work; holds copies of everything it uses, since a
  // queued write runs later on the writer thread. SQLITE_ABORT: the key
  // is gone, nothing to write.
  std::function<int(sqlite3*)> body;
  std::vector<Effect> effects;
  std::string path;  // the store it was meant for
};

constexpr auto kFailFastPeriod = std::chrono::seconds(5);
constexpr int kWriterBusyMs = 500;
constexpr int kWriterRetryMinMs = 50, kWriterRetryMaxMs = 1000;

// The process's state of the store. Never destroyed, so that logging and
// settings still work from other objects' destructors at exit.
struct Store {
  std::mutex dbLock;  // guards db, the connection of the calling threads
  SqliteDb db{{kSchema, true, 10000, ERROR_REGISTRY_CORRUPT, true}};

  std::mutex stateLock;  // guards everything below
  std::condition_variable changed;
  StoreWaits waits;
  StoreHealth health;
  std::chrono::steady_clock::time_point failFastUntil{};
  std::deque<WriteOp> pending;
  pid_t writerPid = 0;  // the process whose writer thread runs
};

Store& S() {
  static Store* store = new Store;
  return *store;
}

bool Retryable(uint32_t err) {
  return err == ERROR_LOCK_VIOLATION || err == ERROR_DISK_FULL || err == ERROR_ACCESS_DENIED ||
         err == ERROR_PATH_NOT_FOUND || err == ERROR_WRITE_FAULT;
}

// Records what a store operation met. Called with stateLock held.
void NoteLocked(Store& s, uint32_t err, const std::string& aside, bool readOnly) {
  if (!aside.empty()) s.health.movedAsideTo = aside;
  if (readOnly) s.health.readOnly = true;
  if (!err) return;
  s.health.lastError = err;
  switch (err) {
    case ERROR_LOCK_VIOLATION:
      s.health.locked = true;
      s.failFastUntil = std::chrono::steady_clock::now() + kFailFastPeriod;
      break;
    case ERROR_DISK_FULL: s.health.full = true; break;
    case ERROR_ACCESS_DENIED: s.health.readOnly = true; break;
    case ERROR_PATH_NOT_FOUND: s.health.unavailable = true; break;
    default: break;
  }
}

// Runs `body` on the calling threads' connection with a wait of `waitMs`.
uint32_t RunOnCaller(bool write, int waitMs, const std::function<int(sqlite3*)>& body,
                     const std::string& path = Registry::DatabasePath()) {
  Store& s = S();
  uint32_t err;
  std::string aside;
  bool readOnly = false;
  {
    std::lock_guard<std::mutex> lock(s.dbLock);
    s.db.SetBusyTimeout(waitMs);
    if (!s.db.Ensure(path))
      err = GetLastError();
    else
      err = write ? s.db.Write(body) : s.db.Read(body);
    aside = s.db.setAsidePath();
    readOnly = s.db.readOnly();
    if (write && (err == ERROR_ACCESS_DENIED || err == ERROR_WRITE_FAULT)) s.db.Close();
  }
  std::lock_guard<std::mutex> lock(s.stateLock);
  NoteLocked(s, err, aside, readOnly);
  return err;
}

uint32_t Read(const std::function<int(sqlite3*)>& body) {
  LastErrorKeeper keep;
  Store& s = S();
  int waitMs;
  {
    std::lock_guard<std::mutex> lock(s.stateLock);
    waitMs = std::chrono::steady_clock::now() < s.failFastUntil ? 0 : static_cast<int>(s.waits.readMs);
  }
  return RunOnCaller(false, waitMs, body);
}

// The writer thread: writes the queued operations in order, waiting and
// trying again while the store is locked, full or cannot be written.
void WriterLoop() {
  Store& s = S();
  SqliteDb db({kSchema, true, kWriterBusyMs, ERROR_REGISTRY_CORRUPT, false});
  int retryMs = kWriterRetryMinMs;
  std::unique_lock<std::mutex> lock(s.stateLock);
  for (;;) {
    s.changed.wait(lock, [&] { return !s.pending.empty(); });
    const std::function<int(sqlite3*)> body = s.pending.front().body;
    const std::string path = s.pending.front().path;
    lock.unlock();
    uint32_t err = db.Ensure(path) ? db.Write(body) : GetLastError();
    const std::string aside = db.setAsidePath();
    // Opened while it could not be written: open it anew for the next try.
    if (err == ERROR_ACCESS_DENIED || err == ERROR_WRITE_FAULT) db.Close();
    lock.lock();
    NoteLocked(s, err, aside, false);
    if (err && Retryable(err)) {
      s.changed.wait_for(lock, std::chrono::milliseconds(retryMs));
      retryMs = std::min(retryMs * 2, kWriterRetryMaxMs);
      continue;
    }
    // Written, or refused for good (a key deleted meanwhile is no loss).
    if (err && err != ERROR_GEN_FAILURE) ++s.health.droppedWrites;
    s.pending.pop_front();
    retryMs = kWriterRetryMinMs;
    s.changed.notify_all();
  }
}

// Queues `op` (stateLock held). ERROR_NOT_ENOUGH_QUOTA when the queue is full.
uint32_t EnqueueLocked(Store& s, WriteOp op) {
  if (s.pending.size() >= kPendingWritesMax) return ERROR_NOT_ENOUGH_QUOTA;
  s.pending.push_back(std::move(op));
  if (s.writerPid != getpid()) {
    // First queued write of this process (or of a forked child).
    s.writerPid = getpid();
    std::thread(WriterLoop).detach();
  }
  s.changed.notify_all();
  return ERROR_SUCCESS;
}

// Writes `op` now, or queues it (`queued` true: the body's results belong
// to the writer thread from then on, and the caller must not look at them).
uint32_t Write(WriteOp op, bool& queued) {
  LastErrorKeeper keep;
  Store& s = S();
  StoreWaits waits;
  queued = false;
  op.path = Registry::DatabasePath();
  {
    std::lock_guard<std::mutex> lock(s.stateLock);
    waits = s.waits;
    // Writes keep their order: once one waits in the queue, the rest follow it.
    if (waits.deferBusyWrites && !s.pending.empty()) {
      queued = true;
      return EnqueueLocked(s, std::move(op));
    }
  }
  const uint32_t err = RunOnCaller(true, static_cast<int>(waits.writeMs), op.body, op.path);
  if (err && waits.deferBusyWrites && Retryable(err)) {
    std::lock_guard<std::mutex> lock(s.stateLock);
    queued = true;
    return EnqueueLocked(s, std::move(op));
  }
  return err;
}

uint32_t Write(WriteOp op) {
  bool queued;
  return Write(std::move(op), queued);
}

bool KeyCovers(const std::string& tree, const std::string& key) {
  return key == tree || (key.size() > tree.size() && key.compare(0, tree.size(), tree) == 0 &&
                         key[tree.size()] == '\\');
}

// Walks the queued writes for this store, newest effect first, until
// `decide` answers 0 or 1; -1 when none decided.
int PendingDecides(const std::function<int(const Effect&)>& decide) {
  Store& s = S();
  std::lock_guard<std::mutex> lock(s.stateLock);
  if (s.pending.empty()) return -1;
  const std::string path = Registry::DatabasePath();
  for (auto op = s.pending.rbegin(); op != s.pending.rend(); ++op) {
    if (op->path != path) continue;
    for (auto e = op->effects.rbegin(); e != op->effects.rend(); ++e) {
      const int answer = decide(*e);
      if (answer >= 0) return answer;
    }
  }
  return -1;
}

// What the queued writes say about a value: 1 it holds `type`/`data`, 0 it
// is gone, -1 they do not touch it.
int PendingValue(const std::string& key, const std::string& name, uint32_t& type, std::string& data) {
  return PendingDecides([&](const Effect& e) {
    if (e.kind == Effect::kDeleteTree && KeyCovers(e.key, key)) return 0;
    if (e.key != key || e.name != name) return -1;
    if (e.kind == Effect::kDeleteValue) return 0;
    if (e.kind != Effect::kSetValue) return -1;
    type = e.type;
    data = e.data;
    return 1;
  });
}

// The same for a key: 1 it exists, 0 it is gone, -1 not touched.
int PendingKey(const std::string& key) {
  return PendingDecides([&](const Effect& e) {
    if (e.kind == Effect::kDeleteTree && KeyCovers(e.key, key)) return 0;
    return (e.kind == Effect::kCreateKey || e.kind == Effect::kSetValue) && e.key == key ? 1 : -1;
  });
}

// Checks a sub-key path ("A\\B\\C", one trailing backslash allowed) and
// gives its UTF-8 form, its folded form and the folded form of every parent.
uint32_t NormalizeKey(std::wstring_view subKey, std::string& path, std::string& fold,
                      std::vector<std::pair<std::string, std::string>>* prefixes) {
  if (!subKey.empty() && subKey.back() == L'\\') subKey.remove_suffix(1);
  std::wstring p;
  size_t start = 0;
  while (start <= subKey.size() && !subKey.empty()) {
    size_t end = subKey.find(L'\\', start);
    if (end == std::wstring_view::npos) end = subKey.size();
    std::wstring_view part = subKey.substr(start, end - start);
    if (part.empty()) return ERROR_BAD_PATHNAME;
    if (part.size() > kMaxKeyNameLength) return ERROR_INVALID_PARAMETER;
    if (!p.empty()) p += L'\\';
    p += part;
    if (prefixes) prefixes->emplace_back(ToUtf8(p), ToUtf8(FoldCase(p)));
    start = end + 1;
  }
  path = ToUtf8(p);
  fold = ToUtf8(FoldCase(p));
  return ERROR_SUCCESS;
}

bool KeyExists(sqlite3* db, const std::string& fold, int& rc) {
  if (fold.empty()) {
    rc = SQLITE_OK;
    return true;  // HKEY_CURRENT_USER itself
  }
  SqliteStmt s(db, "SELECT 1 FROM reg_keys WHERE fold=?1");
  s.BindText(1, fold);
  rc = s.Step();
  if (rc == SQLITE_ROW) {
    rc = SQLITE_OK;
    return true;
  }
  if (rc == SQLITE_DONE) rc = SQLITE_OK;
  return false;
}


// Inserts or replaces one value of the key `key` (folded).
int UpsertValue(sqlite3* db, const std::string& key, const std::string& nameFold, const std::string& name,
                uint32_t type, const void* data, size_t size) {
  SqliteStmt s(db,
               "INSERT INTO reg_values(key, fold, name, type, data) VALUES(?1, ?2, ?3, ?4, ?5) "
               "ON CONFLICT(key, fold) DO UPDATE SET name=excluded.name, type=excluded.type, "
               "data=excluded.data");
  if (!s.ok()) return s.prepareResult();
  s.BindText(1, key);
  s.BindText(2, nameFold);
  s.BindText(3, name);
  s.BindInt64(4, type);
  s.BindBlob(5, data, size);
  return s.Step();
}

// Reads one value; SQLITE_OK with `found` false when it is missing.
int SelectValue(sqlite3* db, const std::string& key, const std::string& nameFold, bool& found,
                uint32_t& type, std::string& data) {
  SqliteStmt s(db, "SELECT type, data FROM reg_values WHERE key=?1 AND fold=?2");
  if (!s.ok()) return s.prepareResult();
  s.BindText(1, key);
  s.BindText(2, nameFold);
  const int rc = s.Step();
  found = rc == SQLITE_ROW;
  if (!found) return rc == SQLITE_DONE ? SQLITE_OK : rc;
  type = static_cast<uint32_t>(s.Int64(0));
  data = s.Blob(1);
  return SQLITE_OK;
}

// The value as this process sees it: the queued writes first, then the store.
uint32_t VisibleValue(const std::string& key, const std::string& nameFold, bool& found, uint32_t& type,
                      std::string& data) {
  const int pending = PendingValue(key, nameFold, type, data);
  if (pending >= 0) {
    found = pending == 1;
    return ERROR_SUCCESS;
  }
  found = false;
  return Read([&](sqlite3* db) {
    int rc;
    if (!KeyExists(db, key, rc)) return rc;
    return SelectValue(db, key, nameFold, found, type, data);
  });
}

}  // namespace

std::string Registry::DatabasePath() {
  return XdgFolder("XDG_CONFIG_HOME", ".config") + "/" + ToUtf8(kMakerKey) + "/Tarnix/registry.sqlite";
}

uint32_t RegKey::Open(std::wstring_view subKey) {
  open_ = false;
  std::string path, fold;
  uint32_t err = NormalizeKey(subKey, path, fold, nullptr);
  if (err) return err;
  bool exists = false;
  const int pending = fold.empty() ? -1 : PendingKey(fold);
  if (pending >= 0) {
    exists = pending == 1;
  } else {
    err = Read([&](sqlite3* db) {
      int rc;
      exists = KeyExists(db, fold, rc);
      return rc;
    });
    if (err) return err;
  }
  if (!exists) return ERROR_FILE_NOT_FOUND;
  path_ = std::move(path);
  fold_ = std::move(fold);
  open_ = true;
  return ERROR_SUCCESS;
}

uint32_t RegKey::Create(std::wstring_view subKey) {
  open_ = false;
  std::string path, fold;
  std::vector<std::pair<std::string, std::string>> prefixes;
  uint32_t err = NormalizeKey(subKey, path, fold, &prefixes);
  if (err) return err;
  WriteOp op;
  for (const auto& [p, f] : prefixes) op.effects.push_back({Effect::kCreateKey, f, {}, REG_NONE, {}});
  op.body = [prefixes](sqlite3* db) {
    SqliteStmt s(db, "INSERT OR IGNORE INTO reg_keys(fold, path) VALUES(?1, ?2)");
    if (!s.ok()) return s.prepareResult();
    for (const auto& [p, f] : prefixes) {
      sqlite3_reset(s.get());
      s.BindText(1, f);
      s.BindText(2, p);
      int rc = s.Step();
      if (rc != SQLITE_DONE) return rc;
    }
    return SQLITE_OK;
  };
  err = Write(std::move(op));
  if (err) return err;
  path_ = std::move(path);
  fold_ = std::move(fold);
  open_ = true;
  return ERROR_SUCCESS;
}

uint32_t RegKey::Query(std::wstring_view name, uint32_t* type, uint8_t* data, uint32_t* size) const {
  if (!open_) return ERROR_INVALID_HANDLE;
  if (data && !size) return ERROR_INVALID_PARAMETER;
  uint32_t storedType = REG_NONE;
  std::string blob;
  bool found = false;
  uint32_t err = VisibleValue(fold_, ToUtf8(FoldCase(name)), found, storedType, blob);
  if (err) return err;
  if (!found) return ERROR_FILE_NOT_FOUND;
  if (type) *type = storedType;
  const uint32_t needed = static_cast<uint32_t>(blob.size());
  if (!data) {
    if (size) *size = needed;
    return ERROR_SUCCESS;
  }
  if (*size < needed) {
    *size = needed;
    return ERROR_MORE_DATA;
  }
  std::copy(blob.begin(), blob.end(), data);
  *size = needed;
  return ERROR_SUCCESS;
}

uint32_t RegKey::QueryAll(std::wstring_view name, uint32_t& type, std::vector<uint8_t>& data) const {
  // The value may change between the size query and the read; try again then.
  for (int attempt = 0; attempt < 8; ++attempt) {
    uint32_t size = 0;
    uint32_t err = Query(name, &type, nullptr, &size);
    if (err) return err;
    data.resize(size);
    err = Query(name, &type, data.empty() ? reinterpret_cast<uint8_t*>(&size) : data.data(), &size);
    if (err == ERROR_MORE_DATA) continue;
    if (err) return err;
    data.resize(size);
    return ERROR_SUCCESS;
  }
  return ERROR_MORE_DATA;
}

uint32_t RegKey::Set(std::wstring_view name, uint32_t type, const uint8_t* data, uint32_t size) const {
  if (size && !data) return ERROR_INVALID_PARAMETER;
  RegValueWrite one{std::wstring(name), type, {}};
  if (size) one.data.assign(data, data + size);
  return SetMany({one});
}

uint32_t RegKey::SetMany(const std::vector<RegValueWrite>& values) const {
  if (!open_) return ERROR_INVALID_HANDLE;
  struct Row {
    std::string fold, name;
    uint32_t type;
    std::string data;
  };
  std::vector<Row> rows;
  WriteOp op;
  for (const RegValueWrite& v : values) {
    if (v.name.size() > kMaxValueNameLength || v.data.size() > UINT32_MAX) return ERROR_INVALID_PARAMETER;
    Row r{ToUtf8(FoldCase(v.name)), ToUtf8(v.name), v.type, std::string(v.data.begin(), v.data.end())};
    op.effects.push_back({Effect::kSetValue, fold_, r.fold, r.type, r.data});
    rows.push_back(std::move(r));
  }
  auto keyGone = std::make_shared<bool>(false);
  op.body = [key = fold_, rows = std::move(rows), keyGone](sqlite3* db) {
    int rc;
    if (!KeyExists(db, key, rc)) {
      *keyGone = rc == SQLITE_OK;
      return *keyGone ? SQLITE_ABORT : rc;
    }
    for (const Row& r : rows) {
      rc = UpsertValue(db, key, r.fold, r.name, r.type, r.data.data(), r.data.size());
      if (rc != SQLITE_DONE) return rc;
    }
    return SQLITE_OK;
  };
  bool queued;
  const uint32_t err = Write(std::move(op), queued);
  if (!queued && *keyGone) return ERROR_KEY_DELETED;
  return err;
}

uint32_t RegKey::Update(std::wstring_view name, uint32_t type, const RegUpdateFn& update,
                        std::vector<uint8_t>* stored) const {
  if (!open_) return ERROR_INVALID_HANDLE;
  if (name.size() > kMaxValueNameLength || !update) return ERROR_INVALID_PARAMETER;
  const std::string nameFold = ToUtf8(FoldCase(name));
  const std::string nameUtf8 = ToUtf8(name);
  struct Outcome {
    bool keyGone = false, changed = false;
    std::vector<uint8_t> data;
  };
  auto outcome = std::make_shared<Outcome>();
  WriteOp op;
  op.body = [key = fold_, nameFold, nameUtf8, type, update, outcome](sqlite3* db) {
    *outcome = Outcome{};
    int rc;
    if (!KeyExists(db, key, rc)) {
      outcome->keyGone = rc == SQLITE_OK;
      return outcome->keyGone ? SQLITE_ABORT : rc;
    }
    bool found = false;
    uint32_t oldType = REG_NONE;
    std::string old;
    if ((rc = SelectValue(db, key, nameFold, found, oldType, old)) != SQLITE_OK) return rc;
    std::vector<uint8_t> out;
    if (!update(found, oldType, std::vector<uint8_t>(old.begin(), old.end()), out)) return SQLITE_OK;
    if (out.size() > UINT32_MAX) return SQLITE_TOOBIG;
    rc = UpsertValue(db, key, nameFold, nameUtf8, type, out.data(), out.size());
    outcome->changed = true;
    outcome->data = std::move(out);
    return rc;
  };
  // What reads see if the write has to wait: the update applied to the
  // value as this process sees it now.
  {
    bool found = false;
    uint32_t oldType = REG_NONE;
    std::string old;
    VisibleValue(fold_, nameFold, found, oldType, old);
    std::vector<uint8_t> out;
    if (update(found, oldType, std::vector<uint8_t>(old.begin(), old.end()), out))
      op.effects.push_back({Effect::kSetValue, fold_, nameFold, type, std::string(out.begin(), out.end())});
    else
      return ERROR_CANCELLED;
  }
  const std::string expected = op.effects.back().data;
  bool queued;
  const uint32_t err = Write(std::move(op), queued);
  if (err) return err;
  if (queued) {
    // What reads see until the writer thread stores it.
    if (stored) stored->assign(expected.begin(), expected.end());
    return ERROR_SUCCESS;
  }
  if (outcome->keyGone) return ERROR_KEY_DELETED;
  if (!outcome->changed) return ERROR_CANCELLED;  // the stored value made the update moot
  if (stored) *stored = outcome->data;
  return ERROR_SUCCESS;
}

uint32_t RegKey::DeleteValue(std::wstring_view name) const {
  if (!open_) return ERROR_INVALID_HANDLE;
  const std::string nameFold = ToUtf8(FoldCase(name));
  bool found = false;
  uint32_t type = REG_NONE;
  std::string data;
  uint32_t err = VisibleValue(fold_, nameFold, found, type, data);
  if (err) return err;
  if (!found) return ERROR_FILE_NOT_FOUND;
  WriteOp op;
  op.effects.push_back({Effect::kDeleteValue, fold_, nameFold, REG_NONE, {}});
  op.body = [key = fold_, nameFold](sqlite3* db) {
    SqliteStmt s(db, "DELETE FROM reg_values WHERE key=?1 AND fold=?2");
    if (!s.ok()) return s.prepareResult();
    s.BindText(1, key);
    s.BindText(2, nameFold);
    return s.Step();
  };
  return Write(std::move(op));
}

uint32_t Registry::DeleteTree(std::wstring_view subKey) {
  std::string path, fold;
  uint32_t err = NormalizeKey(subKey, path, fold, nullptr);
  if (err) return err;
  if (fold.empty()) return ERROR_ACCESS_DENIED;  // never the whole hive
  RegKey key;
  err = key.Open(subKey);
  if (err) return err;
  WriteOp op;
  op.effects.push_back({Effect::kDeleteTree, fold, {}, REG_NONE, {}});
  // Keys below "k" sort between "k\" and "k]" (']' follows '\').
  op.body = [fold, lo = fold + "\\", hi = fold + "]"](sqlite3* db) {
    int rc;
    SqliteStmt v(db, "DELETE FROM reg_values WHERE key=?1 OR (key>?2 AND key<?3)");
    if (!v.ok()) return v.prepareResult();
    v.BindText(1, fold);
    v.BindText(2, lo);
    v.BindText(3, hi);
    if ((rc = v.Step()) != SQLITE_DONE) return rc;
    SqliteStmt k(db, "DELETE FROM reg_keys WHERE fold=?1 OR (fold>?2 AND fold<?3)");
    if (!k.ok()) return k.prepareResult();
    k.BindText(1, fold);
    k.BindText(2, lo);
    k.BindText(3, hi);
    return k.Step();
  };
  return Write(std::move(op));
}

uint32_t Registry::ListValues(std::vector<RegValue>& out) {
  out.clear();
  return Read([&](sqlite3* db) {
    SqliteStmt s(db,
                 "SELECT k.path, v.name, v.type, v.data FROM reg_values v JOIN reg_keys k ON "
                 "k.fold=v.key ORDER BY v.key, v.fold");
    if (!s.ok()) return s.prepareResult();
    int rc;
    while ((rc = s.Step()) == SQLITE_ROW) {
      RegValue v;
      v.key = FromUtf8(s.Text(0));
      v.name = FromUtf8(s.Text(1));
      v.type = static_cast<uint32_t>(s.Int64(2));
      std::string blob = s.Blob(3);
      v.data.assign(blob.begin(), blob.end());
      out.push_back(std::move(v));
    }
    return rc;
  });
}

bool Registry::CheckIntegrity(std::string* report) {
  std::string result;
  uint32_t err = Read([&](sqlite3* db) {
    SqliteStmt s(db, "PRAGMA integrity_check");
    if (!s.ok()) return s.prepareResult();
    int rc;
    while ((rc = s.Step()) == SQLITE_ROW) {
      if (!result.empty()) result += '\n';
      result += s.Text(0);
    }
    return rc;
  });
  if (report) *report = err ? "error " + std::to_string(err) : result;
  return !err && result == "ok";
}

void Registry::SetWaits(const StoreWaits& waits) {
  Store& s = S();
  std::lock_guard<std::mutex> lock(s.stateLock);
  s.waits = waits;
}

StoreWaits Registry::Waits() {
  Store& s = S();
  std::lock_guard<std::mutex> lock(s.stateLock);
  return s.waits;
}

bool Registry::FlushWrites(uint32_t timeoutMs) {
  Store& s = S();
  std::unique_lock<std::mutex> lock(s.stateLock);
  s.changed.notify_all();  // the writer tries again at once
  return s.changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return s.pending.empty(); });
}

StoreHealth Registry::Health() {
  Store& s = S();
  std::lock_guard<std::mutex> lock(s.stateLock);
  StoreHealth h = s.health;
  h.path = DatabasePath();
  h.pendingWrites = s.pending.size();
  return h;
}

void Registry::ResetHealthForTesting() {
  Store& s = S();
  std::lock_guard<std::mutex> lock(s.stateLock);
  s.health = StoreHealth{};
  s.failFastUntil = {};
}

}  // namespace tarnix
