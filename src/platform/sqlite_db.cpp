#include "platform/sqlite_db.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <set>

#include "platform/errno_map.h"
#include "platform/last_error.h"
#include "platform/win_errors.h"

namespace tarnix {

SqliteStmt::SqliteStmt(sqlite3* db, const char* sql) {
  prepareRc_ = sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr);
  if (prepareRc_ != SQLITE_OK) {
    sqlite3_finalize(stmt_);
    stmt_ = nullptr;
  }
}

SqliteStmt::~SqliteStmt() { sqlite3_finalize(stmt_); }

void SqliteStmt::BindText(int i, const std::string& s) {
  sqlite3_bind_text(stmt_, i, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
}

void SqliteStmt::BindBlob(int i, const void* data, size_t size) {
  // A zero-length blob must still be a blob, not NULL.
  static const char kEmpty = 0;
  sqlite3_bind_blob64(stmt_, i, size ? data : &kEmpty, size, SQLITE_TRANSIENT);
}

void SqliteStmt::BindInt64(int i, int64_t v) { sqlite3_bind_int64(stmt_, i, v); }

int SqliteStmt::Step() { return stmt_ ? sqlite3_step(stmt_) : prepareRc_; }

int64_t SqliteStmt::Int64(int col) const { return sqlite3_column_int64(stmt_, col); }

std::string SqliteStmt::Text(int col) const {
  const unsigned char* p = sqlite3_column_text(stmt_, col);
  int n = sqlite3_column_bytes(stmt_, col);
  return p ? std::string(reinterpret_cast<const char*>(p), static_cast<size_t>(n)) : std::string();
}

std::string SqliteStmt::Blob(int col) const {
  const void* p = sqlite3_column_blob(stmt_, col);
  int n = sqlite3_column_bytes(stmt_, col);
  return p ? std::string(static_cast<const char*>(p), static_cast<size_t>(n)) : std::string();
}

namespace {

// Paths already reported as damaged by this process (reported once each).
std::mutex g_reportedMutex;
std::set<std::string> g_reported;

void ReportSetAside(const std::string& path, const std::string& aside) {
  std::lock_guard<std::mutex> lock(g_reportedMutex);
  if (!g_reported.insert(path).second) return;
  std::fprintf(stderr,
               "tarnix: %s is damaged or not a database; it was moved to %s and a new one was "
               "created.\n",
               path.c_str(), aside.c_str());
}

std::string TimeStamp() {
  time_t now = time(nullptr);
  struct tm t {};
  gmtime_r(&now, &t);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y%m%dT%H%M%SZ", &t);
  return buf;
}

// Held while a damaged file is inspected and moved, so two processes never
// move each other's fresh database.
class FolderLock {
 public:
  explicit FolderLock(const std::string& path) {
    fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ >= 0) {
      while (flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
      }
    }
  }
  ~FolderLock() {
    if (fd_ >= 0) close(fd_);
  }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

 private:
  int fd_ = -1;
};

int Exec(sqlite3* db, const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }

}  // namespace

bool SqliteDb::IsCorrupt(int rc) {
  int primary = rc & 0xFF;
  return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

uint32_t SqliteDb::Win32FromSqlite(int rc) const {
  switch (rc & 0xFF) {
    case SQLITE_OK:
    case SQLITE_DONE:
    case SQLITE_ROW: return ERROR_SUCCESS;
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return ERROR_LOCK_VIOLATION;
    case SQLITE_NOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH: return ERROR_ACCESS_DENIED;
    case SQLITE_FULL: return ERROR_DISK_FULL;
    case SQLITE_CANTOPEN: return ERROR_PATH_NOT_FOUND;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB: return options_.corruptError;
    case SQLITE_IOERR: return ERROR_WRITE_FAULT;
    case SQLITE_TOOBIG: return ERROR_NOT_ENOUGH_MEMORY;
    default: return ERROR_GEN_FAILURE;
  }
}

SqliteDb::~SqliteDb() {
  // A handle inherited through fork() belongs to the parent; closing it here
  // could checkpoint or remove files under the parent's feet.
  if (db_ && pid_ == getpid()) sqlite3_close_v2(db_);
}

void SqliteDb::CloseFile() {
  if (db_ && pid_ == getpid()) sqlite3_close_v2(db_);
  db_ = nullptr;
}

bool SqliteDb::Ensure(const std::string& path) {
  if (db_ && pid_ == getpid() && path_ == path) return true;
  if (db_ && pid_ != getpid()) db_ = nullptr;  // the parent's handle: leave it alone
  CloseFile();
  path_ = path;
  pid_ = getpid();
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (OpenFile()) return true;
    if (GetLastError() != options_.corruptError) return false;
    if (!SetAside()) return false;
  }
  return false;
}

bool SqliteDb::OpenFile() {
  std::string::size_type slash = path_.rfind('/');
  if (slash != std::string::npos && slash > 0 && !MakeFolders(path_.substr(0, slash))) return false;
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(path_.c_str(), &db,
                           SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    sqlite3_close_v2(db);
    SetLastError(Win32FromSqlite(rc));
    return false;
  }
  sqlite3_busy_timeout(db, busyTimeoutMs_);
  rc = Exec(db, "PRAGMA journal_mode=WAL");
  if (rc == SQLITE_OK)
    rc = Exec(db, options_.fullSync ? "PRAGMA synchronous=FULL" : "PRAGMA synchronous=NORMAL");
  if (rc == SQLITE_OK) rc = Exec(db, options_.schema);
  if (rc == SQLITE_OK) rc = Exec(db, "SELECT count(*) FROM sqlite_master");
  if (rc != SQLITE_OK) {
    sqlite3_close_v2(db);
    SetLastError(Win32FromSqlite(rc));
    return false;
  }
  db_ = db;
  return true;
}

bool SqliteDb::SetAside() {
  CloseFile();
  FolderLock lock(path_ + ".lock");
  // Another process may have replaced the file while this one waited.
  {
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path_.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    bool bad = true;
    if (rc == SQLITE_OK) {
      sqlite3_busy_timeout(db, busyTimeoutMs_);
      SqliteStmt check(db, "PRAGMA quick_check(1)");
      if (check.ok() && check.Step() == SQLITE_ROW && check.Text(0) == "ok") bad = false;
    } else if ((rc & 0xFF) == SQLITE_CANTOPEN) {
      bad = false;  // gone: a fresh one will be created
    }
    sqlite3_close_v2(db);
    if (!bad) return true;
  }
  std::string aside = path_ + ".corrupt-" + TimeStamp();
  std::string candidate = aside;
  for (int n = 1; access(candidate.c_str(), F_OK) == 0 && n < 100; ++n)
    candidate = aside + "-" + std::to_string(n);
  aside = candidate;
  if (rename(path_.c_str(), aside.c_str()) != 0 && errno != ENOENT) {
    SetLastErrorFromErrno();
    return false;
  }
  for (const char* suffix : {"-wal", "-shm", "-journal"}) {
    std::string from = path_ + suffix;
    if (access(from.c_str(), F_OK) == 0) rename(from.c_str(), (aside + suffix).c_str());
  }
  setAside_ = aside;
  if (options_.reportSetAside) ReportSetAside(path_, aside);
  return true;
}

uint32_t SqliteDb::Run(const std::function<int(sqlite3*)>& body, bool write) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (!db_) {
      if (!Ensure(path_)) return GetLastError();
    }
    int rc = SQLITE_OK;
    if (write) rc = Exec(db_, "BEGIN IMMEDIATE");
    if (rc == SQLITE_OK) {
      rc = body(db_);
      if (rc == SQLITE_DONE || rc == SQLITE_ROW) rc = SQLITE_OK;
      if (write) {
        if (rc == SQLITE_OK) rc = Exec(db_, "COMMIT");
        if (rc != SQLITE_OK) Exec(db_, "ROLLBACK");
      }
    }
    if (rc == SQLITE_OK) return ERROR_SUCCESS;
    if (!IsCorrupt(rc) || attempt > 0) return Win32FromSqlite(rc);
    if (!SetAside()) return GetLastError();
    if (!OpenFile()) return GetLastError();
  }
  return ERROR_GEN_FAILURE;
}

void SqliteDb::SetBusyTimeout(int ms) {
  if (ms == busyTimeoutMs_) return;
  busyTimeoutMs_ = ms;
  if (db_ && pid_ == getpid()) sqlite3_busy_timeout(db_, ms);
}

bool SqliteDb::readOnly() const { return db_ && sqlite3_db_readonly(db_, "main") == 1; }

uint32_t SqliteDb::Write(const std::function<int(sqlite3*)>& body) { return Run(body, true); }
uint32_t SqliteDb::Read(const std::function<int(sqlite3*)>& body) { return Run(body, false); }

std::string XdgFolder(const char* var, const char* homeRelative) {
  const char* v = std::getenv(var);
  if (v && v[0] == '/') return v;
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return std::string(home) + "/" + homeRelative;
  const char* tmp = std::getenv("TMPDIR");
  return std::string(tmp && tmp[0] == '/' ? tmp : "/tmp");
}

bool MakeFolders(const std::string& dir) {
  if (dir.empty()) return true;
  struct stat st {};
  if (stat(dir.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return true;
    SetLastError(ERROR_PATH_NOT_FOUND);
    return false;
  }
  std::string::size_type slash = dir.rfind('/');
  if (slash != std::string::npos && slash > 0 && !MakeFolders(dir.substr(0, slash))) return false;
  if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
    SetLastErrorFromErrno();
    return false;
  }
  return true;
}

}  // namespace tarnix
