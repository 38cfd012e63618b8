#pragma once
// The Application event log: records kept in one SQLite database,
// $XDG_STATE_HOME/Tarnix/events.sqlite, shared by every process of the user.
// The log keeps the newest 100,000 records; older ones are dropped as new
// ones arrive.
#include <cstdint>
#include <string>
#include <vector>

namespace tarnix {

inline constexpr uint16_t EVENTLOG_ERROR_TYPE = 0x0001;
inline constexpr uint16_t EVENTLOG_WARNING_TYPE = 0x0002;
inline constexpr uint16_t EVENTLOG_INFORMATION_TYPE = 0x0004;
inline constexpr uint16_t EVENTLOG_AUDIT_SUCCESS = 0x0008;
inline constexpr uint16_t EVENTLOG_AUDIT_FAILURE = 0x0010;

inline constexpr uint64_t kEventStoreMaxRecords = 100000;

struct EventRecord {
  uint64_t recordNumber = 0;   // increases with every record written
  uint16_t eventType = 0;
  uint16_t category = 0;
  uint32_t eventId = 0;
  std::wstring sourceName;
  int64_t timeGenerated = 0;   // seconds since 1970-01-01 UTC
  std::vector<std::wstring> strings;  // insertion strings
};

class EventStore {
 public:
  // The database file of this user.
  static std::string DatabasePath();

  // Appends one record (its record number and, when 0, its time are filled
  // in) and drops the oldest records beyond the bound. Returns a Win32 code.
  static uint32_t Report(const EventRecord& record);

  // Sequential reading: forwards from the oldest record or backwards from
  // the newest. Next() fills up to `maxRecords` records (at least one when
  // any is left) whose total text does not exceed about `maxBytes`; it
  // answers ERROR_HANDLE_EOF at the end and another Win32 code on failure.
  class Reader {
   public:
    explicit Reader(bool forwards) : forwards_(forwards) {}
    uint32_t Next(std::vector<EventRecord>& out, size_t maxRecords, size_t maxBytes);

   private:
    bool forwards_;
    bool started_ = false;
    uint64_t cursor_ = 0;  // last record number returned
  };

  // Removes every record (for tests and for the user's "clear").
  static uint32_t Clear();
  static uint32_t Count(uint64_t& count);
  static bool CheckIntegrity();

  // The bound on the number of records (tests lower it).
  static void SetMaxRecordsForTesting(uint64_t maxRecords);
};

}  // namespace tarnix
