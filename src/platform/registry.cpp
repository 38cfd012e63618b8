#include "platform/registry.h"

#include <mutex>

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

// The process's connection; one user at a time. Never destroyed, so that
// logging and settings still work from other objects' destructors at exit.
std::mutex g_dbMutex;
SqliteDb& Db() {
  static SqliteDb* db = new SqliteDb({kSchema, true, 10000, ERROR_REGISTRY_CORRUPT});
  return *db;
}

uint32_t Run(bool write, const std::function<int(sqlite3*)>& body) {
  LastErrorKeeper keep;
  std::lock_guard<std::mutex> lock(g_dbMutex);
  SqliteDb& db = Db();
  if (!db.Ensure(Registry::DatabasePath())) return GetLastError();
  return write ? db.Write(body) : db.Read(body);
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
  err = Run(false, [&](sqlite3* db) {
    int rc;
    exists = KeyExists(db, fold, rc);
    return rc;
  });
  if (err) return err;
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
  err = Run(true, [&](sqlite3* db) {
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
  });
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
  const std::string nameFold = ToUtf8(FoldCase(name));
  uint32_t err = Run(false, [&](sqlite3* db) {
    SqliteStmt s(db, "SELECT type, data FROM reg_values WHERE key=?1 AND fold=?2");
    if (!s.ok()) return s.prepareResult();
    s.BindText(1, fold_);
    s.BindText(2, nameFold);
    int rc = s.Step();
    if (rc == SQLITE_ROW) {
      found = true;
      storedType = static_cast<uint32_t>(s.Int64(0));
      blob = s.Blob(1);
      return SQLITE_OK;
    }
    return rc;
  });
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
  if (!open_) return ERROR_INVALID_HANDLE;
  if (name.size() > kMaxValueNameLength) return ERROR_INVALID_PARAMETER;
  if (size && !data) return ERROR_INVALID_PARAMETER;
  const std::string nameUtf8 = ToUtf8(name);
  const std::string nameFold = ToUtf8(FoldCase(name));
  bool keyGone = false;
  uint32_t err = Run(true, [&](sqlite3* db) {
    int rc;
    if (!KeyExists(db, fold_, rc)) {
      keyGone = rc == SQLITE_OK;
      return keyGone ? SQLITE_ABORT : rc;
    }
    SqliteStmt s(db,
                 "INSERT INTO reg_values(key, fold, name, type, data) VALUES(?1, ?2, ?3, ?4, ?5) "
                 "ON CONFLICT(key, fold) DO UPDATE SET name=excluded.name, type=excluded.type, "
                 "data=excluded.data");
    if (!s.ok()) return s.prepareResult();
    s.BindText(1, fold_);
    s.BindText(2, nameFold);
    s.BindText(3, nameUtf8);
    s.BindInt64(4, type);
    s.BindBlob(5, data, size);
    return s.Step();
  });
  if (keyGone) return ERROR_KEY_DELETED;
  return err;
}

uint32_t RegKey::DeleteValue(std::wstring_view name) const {
  if (!open_) return ERROR_INVALID_HANDLE;
  const std::string nameFold = ToUtf8(FoldCase(name));
  int changes = 0;
  uint32_t err = Run(true, [&](sqlite3* db) {
    SqliteStmt s(db, "DELETE FROM reg_values WHERE key=?1 AND fold=?2");
    if (!s.ok()) return s.prepareResult();
    s.BindText(1, fold_);
    s.BindText(2, nameFold);
    int rc = s.Step();
    changes = sqlite3_changes(db);
    return rc;
  });
  if (err) return err;
  return changes ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

uint32_t Registry::DeleteTree(std::wstring_view subKey) {
  std::string path, fold;
  uint32_t err = NormalizeKey(subKey, path, fold, nullptr);
  if (err) return err;
  if (fold.empty()) return ERROR_ACCESS_DENIED;  // never the whole hive
  bool exists = false;
  // Keys below "k" sort between "k\" and "k]" (']' follows '\').
  const std::string lo = fold + "\\", hi = fold + "]";
  err = Run(true, [&](sqlite3* db) {
    int rc;
    exists = KeyExists(db, fold, rc);
    if (rc != SQLITE_OK || !exists) return rc;
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
  });
  if (err) return err;
  return exists ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

uint32_t Registry::ListValues(std::vector<RegValue>& out) {
  out.clear();
  return Run(false, [&](sqlite3* db) {
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
  uint32_t err = Run(false, [&](sqlite3* db) {
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

}  // namespace tarnix
