#include "tools/mru_history.h"

#include <algorithm>

#include "core/program_settings.h"
#include "platform/case_fold.h"
#include "platform/char_class.h"
#include "platform/last_error.h"
#include "platform/registry.h"
#include "platform/text_encoding.h"
#include "platform/win_errors.h"

namespace tarnix {

namespace {

void PutLe(std::vector<uint8_t>& out, uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

uint64_t GetLe(const uint8_t* p, int bytes) {
  uint64_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= static_cast<uint64_t>(p[i]) << (8 * i);
  return v;
}

}  // namespace

MruHistory::MruHistory(std::wstring_view key, bool caseSensitive, bool withOptions,
                       RegistrySettings store)
    : store_(std::move(store)),
      valueName_(L"MRU_" + std::wstring(key)),
      caseSensitive_(caseSensitive),
      withOptions_(withOptions) {}

uint32_t MruHistory::maximum() const { return ReadMruNumEntries(store_); }

std::vector<uint8_t> MruHistory::Encode(const std::vector<MruEntry>& entries, bool withOptions) {
  std::vector<uint8_t> out;
  for (const MruEntry& e : entries) {
    const std::u16string units = ToUtf16(e.text);
    if (withOptions) PutLe(out, e.option, 8);
    PutLe(out, units.size(), 4);
    for (char16_t u : units) PutLe(out, u, 2);
  }
  return out;
}

std::vector<MruEntry> MruHistory::Decode(const uint8_t* data, size_t size, bool withOptions) {
  std::vector<MruEntry> entries;
  const size_t head = withOptions ? 12 : 4;
  size_t pos = 0;
  while (size - pos >= head) {
    MruEntry e;
    if (withOptions) e.option = GetLe(data + pos, 8);
    const uint64_t length = GetLe(data + pos + head - 4, 4);
    // Compared with what is left before anything is allocated, so a
    // damaged length cannot ask for gigabytes.
    if (length > (size - pos - head) / 2) break;
    pos += head;
    std::u16string units(static_cast<size_t>(length), u'\0');
    for (size_t i = 0; i < units.size(); ++i, pos += 2)
      units[i] = static_cast<char16_t>(GetLe(data + pos, 2));
    e.text = FromUtf16(units);
    entries.push_back(std::move(e));
  }
  return entries;
}

void MruHistory::Load() {
  entries_.clear();
  // Only a binary value is a history; any other kind reads as none.
  RegKey key;
  uint32_t type = REG_NONE;
  std::vector<uint8_t> bytes;
  if (key.Open(store_.subKey()) || key.QueryAll(valueName_, type, bytes) || type != REG_BINARY)
    return;
  entries_ = Decode(bytes.data(), bytes.size(), withOptions_);
  const size_t max = maximum();
  if (entries_.size() > max) entries_.erase(entries_.begin(), entries_.end() - max);
}

bool MruHistory::Store() const {
  const std::vector<uint8_t> bytes = Encode(entries_, withOptions_);
  return store_.SetBinary(valueName_, bytes.data(), bytes.size());
}

namespace {

// The history after adding `text` with `option` to `entries`: an equal
// entry (as `caseSensitive` says) moves to the newest place as it is spelt
// and takes the option; the oldest beyond `max` go.
void AddEntry(std::vector<MruEntry>& entries, const std::wstring& text, uint64_t option, bool caseSensitive,
              size_t max) {
  const auto same = std::find_if(entries.begin(), entries.end(), [&](const MruEntry& e) {
    return caseSensitive ? e.text == text : EqualsIgnoreCase(e.text, text);
  });
  MruEntry entry{option, text};
  if (same != entries.end()) {
    entry.text = std::move(same->text);
    entries.erase(same);
  }
  entries.push_back(std::move(entry));
  if (entries.size() > max) entries.erase(entries.begin(), entries.end() - static_cast<std::ptrdiff_t>(max));
}

}  // namespace

bool MruHistory::Update(const std::function<bool(std::vector<MruEntry>&)>& change) {
  // Read, changed and written in one transaction, so that another instance
  // adding at the same moment keeps its entry too.
  const bool withOptions = withOptions_;
  RegUpdateFn update = [withOptions, change](bool found, uint32_t type, const std::vector<uint8_t>& data,
                                             std::vector<uint8_t>& out) {
    std::vector<MruEntry> entries;
    if (found && type == REG_BINARY) entries = Decode(data.data(), data.size(), withOptions);
    if (!change(entries)) return false;
    out = Encode(entries, withOptions);
    return true;
  };
  RegKey key;
  std::vector<uint8_t> stored;
  uint32_t err = key.Create(store_.subKey());
  if (!err) err = key.Update(valueName_, REG_BINARY, update, &stored);
  if (err == ERROR_SUCCESS) {
    entries_ = Decode(stored.data(), stored.size(), withOptions_);
  } else {
    // The store cannot take it: the change still holds for this window.
    change(entries_);
  }
  SetLastError(err == ERROR_CANCELLED ? ERROR_SUCCESS : err);
  return err == ERROR_SUCCESS || err == ERROR_CANCELLED;
}

bool MruHistory::Add(std::wstring_view text, uint64_t option) {
  const std::wstring trimmed(TrimWhiteSpace(text));
  if (trimmed.empty()) {
    SetLastError(ERROR_EMPTY_TEXT);
    return false;
  }
  const uint64_t value = withOptions_ ? option : 0;
  const bool caseSensitive = caseSensitive_;
  const size_t max = maximum();
  return Update([=](std::vector<MruEntry>& entries) {
    AddEntry(entries, trimmed, value, caseSensitive, max);
    return true;
  });
}

bool MruHistory::Remove(std::wstring_view text) {
  const auto it = std::find_if(entries_.begin(), entries_.end(),
                               [&](const MruEntry& e) { return e.text == text; });
  if (it == entries_.end()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return false;
  }
  const std::wstring gone(text);
  return Update([gone](std::vector<MruEntry>& entries) {
    const auto at = std::find_if(entries.begin(), entries.end(),
                                 [&](const MruEntry& e) { return e.text == gone; });
    if (at == entries.end()) return false;
    entries.erase(at);
    return true;
  });
}

}  // namespace tarnix
