#pragma once
// One SQLite database file shared by every instance of the program: opened in
// WAL mode with a busy timeout, created when missing, and set aside (renamed
// with a time stamp) and made anew when it is corrupt or not a database.
// Used by the registry and the event store.
#include <sqlite3.h>
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>

namespace tarnix {

// A prepared statement, finalized at the end of its scope.
class SqliteStmt {
 public:
  SqliteStmt() = default;
  SqliteStmt(sqlite3* db, const char* sql);
  ~SqliteStmt();
  SqliteStmt(const SqliteStmt&) = delete;
  SqliteStmt& operator=(const SqliteStmt&) = delete;

  bool ok() const { return stmt_ != nullptr; }
  int prepareResult() const { return prepareRc_; }
  sqlite3_stmt* get() const { return stmt_; }

  void BindText(int i, const std::string& s);
  void BindBlob(int i, const void* data, size_t size);
  void BindInt64(int i, int64_t v);
  // sqlite3_step; SQLITE_ROW, SQLITE_DONE or an error.
  int Step();
  int64_t Int64(int col) const;
  std::string Text(int col) const;
  std::string Blob(int col) const;

 private:
  sqlite3_stmt* stmt_ = nullptr;
  int prepareRc_ = SQLITE_MISUSE;
};

class SqliteDb {
 public:
  struct Options {
    const char* schema;       // CREATE ... IF NOT EXISTS statements
    bool fullSync;            // synchronous=FULL (else NORMAL)
    int busyTimeoutMs;
    uint32_t corruptError;    // Win32 code reported for a corrupt file
    bool reportSetAside = true;  // say on stderr (once per path) that a file was set aside
  };

  explicit SqliteDb(Options options) : options_(options), busyTimeoutMs_(options.busyTimeoutMs) {}
  ~SqliteDb();
  SqliteDb(const SqliteDb&) = delete;
  SqliteDb& operator=(const SqliteDb&) = delete;

  // Makes sure the database at `path` is open in this process (reopening it
  // after a fork or when the path changed). False with the last error set.
  bool Ensure(const std::string& path);
  sqlite3* handle() const { return db_; }
  const std::string& path() const { return path_; }

  // Closes the file; the next use opens it again (a file that was opened
  // read-only stays so until then).
  void Close() { CloseFile(); }

  // How long the next statements wait for a lock another connection holds
  // (SQLITE_BUSY after that); applies to opening too.
  void SetBusyTimeout(int ms);
  // Where a damaged file was last moved to by this object; empty if never.
  const std::string& setAsidePath() const { return setAside_; }
  // True when the open file can only be read (its permissions or its file
  // system's).
  bool readOnly() const;

  // Runs `body` inside one write transaction (BEGIN IMMEDIATE ... COMMIT).
  // `body` returns an SQLite result code; anything but SQLITE_OK or
  // SQLITE_DONE rolls back. A corrupt file found on the way is set aside and
  // the body is run once more on a fresh database. Returns a Win32 code.
  uint32_t Write(const std::function<int(sqlite3*)>& body);
  // The same for reading, without a transaction.
  uint32_t Read(const std::function<int(sqlite3*)>& body);

  // The Win32 code for an SQLite result.
  uint32_t Win32FromSqlite(int rc) const;

  static bool IsCorrupt(int rc);

 private:
  bool OpenFile();
  void CloseFile();
  bool SetAside();
  uint32_t Run(const std::function<int(sqlite3*)>& body, bool write);

  Options options_;
  int busyTimeoutMs_;
  std::string setAside_;
  sqlite3* db_ = nullptr;
  std::string path_;
  pid_t pid_ = 0;
};

// $VAR when it is an absolute path, else $HOME/<fallback>; the folder of a
// per-user file. Falls back to the temp folder when there is no home.
std::string XdgFolder(const char* var, const char* homeRelative);

// Creates `dir` and its parents (mode 0700 for new folders). False with the
// last error set.
bool MakeFolders(const std::string& dir);

}  // namespace tarnix
