#pragma once
// The per-user cache of what searches read from images: for each file, by
// its full path, the snapshot of its bytes that any search reads
// (pe/image_snapshot.h), kept with the file's identity when it was read. A
// search takes a file's snapshot instead of the file when the identity is
// still the file's, so a second search of an unchanged folder opens no
// image. The cache is an SQLite database in WAL mode that several searches
// and programs share.
//
// The cache never fails a search: one that is damaged, locked, read-only,
// not a regular file, of another format or on a full disk is left alone
// (or made anew where that is safe) and said in one warning, and the search
// reads the files as it would without it.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "pe/image_snapshot.h"
#include "platform/mapped_file.h"

struct sqlite3;
struct sqlite3_stmt;

namespace tarnix {

// Where the cache lives: $XDG_CACHE_HOME/tarnix/symbols.db, else
// ~/.cache/tarnix/symbols.db.
std::string SymbolCachePath();

class SymbolCache {
 public:
  // Opens the cache at `path`, creating it when missing. `limitBytes` bounds
  // what it holds: the entries stored first go first.
  SymbolCache(std::string path, uint64_t limitBytes);
  ~SymbolCache();
  SymbolCache(const SymbolCache&) = delete;
  SymbolCache& operator=(const SymbolCache&) = delete;

  // False when the cache is left alone for this search.
  bool usable() const { return usable_.load(); }
  // The warning for the search's output, given once ("" when none).
  std::wstring TakeWarning();

  // On any thread: the snapshot kept for `path` when it was kept for the file
  // with identity `id`. Counts a lookup, and a hit when found.
  bool Find(const std::string& path, const FileIdentity& id, ImageSnapshot& out);
  // On any thread: hands the snapshot of `path` to the writer, which stores
  // it in batches on its own thread. Too much waiting to be written is
  // dropped, not waited for.
  void Keep(const std::string& path, const FileIdentity& id, const ImageSnapshot& snapshot);

  // Writes what waits, drops the oldest entries beyond the limit and records
  // the search's lookups and hits. The warning of a failure on the way is
  // then given by TakeWarning().
  void Finish();

  uint64_t lookups() const { return lookups_.load(); }
  uint64_t hits() const { return hits_.load(); }

  // What `tarnix-cli cache --stats` shows.
  struct Stats {
    uint64_t entries = 0;
    uint64_t bytes = 0;         // of the entries
    uint64_t fileBytes = 0;     // of the database file and its log
    uint64_t lookups = 0;       // of the last search that used it
    uint64_t hits = 0;
  };
  // False with `error` set when the cache cannot be read; a cache that does
  // not exist has no entries.
  static bool ReadStats(const std::string& path, Stats& stats, std::wstring& error);
  // Removes the cache's files. False with `error` set when one stays.
  static bool Clear(const std::string& path, std::wstring& error);

 private:
  struct Pending {
    std::string path;
    FileIdentity id;
    std::string entry;
  };

  // A read connection with its prepared lookup.
  struct Reader {
    sqlite3* db = nullptr;
    sqlite3_stmt* find = nullptr;
  };

  bool Open();
  bool OpenOnce(bool& damaged, bool& busy);
  Reader TakeReader();
  void GiveBackReader(Reader reader);
  void Disable(const std::wstring& reason);
  void WriterLoop();
  bool WriteBatch(std::vector<Pending>& batch);
  bool Trim();
  void RecordCounts();
  void Warn(std::wstring text);

  const std::string path_;
  const uint64_t limit_;
  std::atomic<bool> usable_{false};
  std::atomic<uint64_t> lookups_{0}, hits_{0};

  std::mutex warningLock_;
  std::wstring warning_;
  bool warned_ = false;

  sqlite3* writer_ = nullptr;  // the writer thread's (and Open's) connection
  std::mutex readersLock_;
  std::vector<Reader> readers_;  // idle read connections

  std::mutex queueLock_;
  std::condition_variable queueWake_;
  std::deque<Pending> queue_;
  size_t queuedBytes_ = 0;
  bool finishing_ = false;
  bool writerStarted_ = false;
  std::thread writerThread_;
  int64_t stored_ = 0;  // the order entries are stored in
};

}  // namespace tarnix
