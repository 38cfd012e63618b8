#include "platform/event_store.h"

#include <atomic>
#include <mutex>

#include "platform/last_error.h"
#include "platform/sqlite_db.h"
#include "platform/text_encoding.h"
#include "platform/time_utils.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

constexpr const char kSchema[] =
    "CREATE TABLE IF NOT EXISTS events(id INTEGER PRIMARY KEY, type INTEGER NOT NULL, category "
    "INTEGER NOT NULL, event_id INTEGER NOT NULL, source TEXT NOT NULL, time INTEGER NOT NULL, "
    "strings BLOB NOT NULL);";

std::atomic<uint64_t> g_maxRecords{kEventStoreMaxRecords};

// The process's connection, never destroyed (see the registry's).
std::mutex g_dbMutex;
SqliteDb& Db() {
  static SqliteDb* db = new SqliteDb({kSchema, false, 10000, ERROR_EVENTLOG_FILE_CORRUPT});
  return *db;
}

uint32_t Run(bool write, const std::function<int(sqlite3*)>& body) {
  LastErrorKeeper keep;
  std::lock_guard<std::mutex> lock(g_dbMutex);
  SqliteDb& db = Db();
  if (!db.Ensure(EventStore::DatabasePath())) return GetLastError();
  return write ? db.Write(body) : db.Read(body);
}

// Insertion strings: UTF-8, each followed by a zero byte.
std::string PackStrings(const std::vector<std::wstring>& strings) {
  std::string out;
  for (const auto& s : strings) {
    std::string u = ToUtf8(s);
    for (char& c : u)
      if (c == 0) c = ' ';
    out += u;
    out += '\0';
  }
  return out;
}

std::vector<std::wstring> UnpackStrings(const std::string& blob) {
  std::vector<std::wstring> out;
  size_t start = 0;
  while (start < blob.size()) {
    size_t end = blob.find('\0', start);
    if (end == std::string::npos) end = blob.size();
    out.push_back(FromUtf8(std::string_view(blob).substr(start, end - start)));
    start = end + 1;
  }
  return out;
}

}  // namespace

std::string EventStore::DatabasePath() {
  return XdgFolder("XDG_STATE_HOME", ".local/state") + "/Tarnix/events.sqlite";
}

void EventStore::SetMaxRecordsForTesting(uint64_t maxRecords) { g_maxRecords = maxRecords; }

uint32_t EventStore::Report(const EventRecord& record) {
  const std::string source = ToUtf8(record.sourceName);
  const std::string strings = PackStrings(record.strings);
  const int64_t time =
      record.timeGenerated ? record.timeGenerated : FileTimeToUnixSeconds(NowFileTime());
  return Run(true, [&](sqlite3* db) {
    SqliteStmt s(db,
                 "INSERT INTO events(type, category, event_id, source, time, strings) "
                 "VALUES(?1, ?2, ?3, ?4, ?5, ?6)");
    if (!s.ok()) return s.prepareResult();
    s.BindInt64(1, record.eventType);
    s.BindInt64(2, record.category);
    s.BindInt64(3, record.eventId);
    s.BindText(4, source);
    s.BindInt64(5, time);
    s.BindBlob(6, strings.data(), strings.size());
    int rc = s.Step();
    if (rc != SQLITE_DONE) return rc;
    const int64_t id = sqlite3_last_insert_rowid(db);
    const int64_t max = static_cast<int64_t>(g_maxRecords.load());
    if (id <= max) return SQLITE_OK;
    SqliteStmt d(db, "DELETE FROM events WHERE id <= ?1");
    if (!d.ok()) return d.prepareResult();
    d.BindInt64(1, id - max);
    return d.Step();
  });
}

uint32_t EventStore::Reader::Next(std::vector<EventRecord>& out, size_t maxRecords, size_t maxBytes) {
  out.clear();
  if (maxRecords == 0) maxRecords = 1;
  uint32_t err = Run(false, [&](sqlite3* db) {
    const char* sql =
        forwards_ ? "SELECT id, type, category, event_id, source, time, strings FROM events "
                    "WHERE id > ?1 ORDER BY id ASC LIMIT ?2"
                  : "SELECT id, type, category, event_id, source, time, strings FROM events "
                    "WHERE id < ?1 ORDER BY id DESC LIMIT ?2";
    SqliteStmt s(db, sql);
    if (!s.ok()) return s.prepareResult();
    s.BindInt64(1, started_ ? static_cast<int64_t>(cursor_) : (forwards_ ? 0 : INT64_MAX));
    s.BindInt64(2, static_cast<int64_t>(maxRecords));
    size_t bytes = 0;
    int rc;
    while ((rc = s.Step()) == SQLITE_ROW) {
      EventRecord r;
      r.recordNumber = static_cast<uint64_t>(s.Int64(0));
      r.eventType = static_cast<uint16_t>(s.Int64(1));
      r.category = static_cast<uint16_t>(s.Int64(2));
      r.eventId = static_cast<uint32_t>(s.Int64(3));
      std::string source = s.Text(4);
      r.timeGenerated = s.Int64(5);
      std::string blob = s.Blob(6);
      bytes += source.size() + blob.size() + 32;
      r.sourceName = FromUtf8(source);
      r.strings = UnpackStrings(blob);
      out.push_back(std::move(r));
      if (bytes >= maxBytes) break;
    }
    return rc == SQLITE_ROW ? SQLITE_OK : rc;
  });
  if (err) return err;
  if (out.empty()) return ERROR_HANDLE_EOF;
  started_ = true;
  cursor_ = out.back().recordNumber;
  return ERROR_SUCCESS;
}

uint32_t EventStore::Clear() {
  return Run(true, [](sqlite3* db) { return sqlite3_exec(db, "DELETE FROM events", nullptr, nullptr, nullptr); });
}

uint32_t EventStore::Count(uint64_t& count) {
  count = 0;
  return Run(false, [&](sqlite3* db) {
    SqliteStmt s(db, "SELECT count(*) FROM events");
    int rc = s.Step();
    if (rc == SQLITE_ROW) count = static_cast<uint64_t>(s.Int64(0));
    return rc;
  });
}

bool EventStore::CheckIntegrity() {
  std::string result;
  uint32_t err = Run(false, [&](sqlite3* db) {
    SqliteStmt s(db, "PRAGMA integrity_check");
    int rc;
    while ((rc = s.Step()) == SQLITE_ROW) result += s.Text(0);
    return rc;
  });
  return !err && result == "ok";
}

}  // namespace tarnix
