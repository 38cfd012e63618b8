#pragma once
// The most-recently-used history of a search box: texts, oldest first, each
// optionally with a 64-bit option value (the search windows keep the states
// of their three check boxes in it), stored in the settings store as one
// binary value "MRU_<key>".
//
// Stored form, entries oldest first: [option value, 8 bytes, only when the
// history has options] + length in UTF-16 units (4 bytes) + the UTF-16
// units without terminator, all little-endian. Reading stops at the first
// entry that does not fit in the value.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/registry_settings.h"

namespace tarnix {

struct MruEntry {
  uint64_t option = 0;
  std::wstring text;
  bool operator==(const MruEntry&) const = default;
};

class MruHistory {
 public:
  // `key` is the owner's ("EMS", "TRx", ...). Duplicates are recognised
  // ignoring case unless `caseSensitive`.
  MruHistory(std::wstring_view key, bool caseSensitive, bool withOptions,
             RegistrySettings store = RegistrySettings());

  // "MRU_" followed by the key.
  const std::wstring& valueName() const { return valueName_; }
  bool withOptions() const { return withOptions_; }

  // Reads the stored history (nothing stored, or a value that is not
  // binary, is an empty history), keeping
  // the newest "MRU_NumEntries" entries.
  void Load();
  // Writes the history; false with the last error when the store refused.
  bool Store() const;

  // Adds `text` trimmed of white space as the newest entry with `option`:
  // an equal entry moves to the newest place and takes the option; a new
  // one is appended and the oldest beyond "MRU_NumEntries" (read now) go.
  // The stored history is read, changed and written in one transaction, so
  // entries another instance added meanwhile are kept (and show up here).
  // False when the trimmed text is empty (ERROR_EMPTY_TEXT, nothing
  // changed) or the store refused (the entry is then kept in memory).
  bool Add(std::wstring_view text, uint64_t option);
  // Removes the entry whose text is exactly `text` from the stored history
  // (in one transaction, as Add). False when there is none
  // (ERROR_FILE_NOT_FOUND) or the store refused.
  bool Remove(std::wstring_view text);

  // Oldest first.
  const std::vector<MruEntry>& entries() const { return entries_; }
  // How many entries an addition keeps: "MRU_NumEntries", 1..64, else 24.
  uint32_t maximum() const;

  static std::vector<uint8_t> Encode(const std::vector<MruEntry>& entries, bool withOptions);
  static std::vector<MruEntry> Decode(const uint8_t* data, size_t size, bool withOptions);

 private:
  // Applies `change` to the stored entries in one transaction and takes the
  // result; `change` answers false when it changes nothing.
  bool Update(const std::function<bool(std::vector<MruEntry>&)>& change);

  RegistrySettings store_;
  std::wstring valueName_;
  bool caseSensitive_;
  bool withOptions_;
  std::vector<MruEntry> entries_;
};

}  // namespace tarnix
