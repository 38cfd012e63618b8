#include "core/err_code_presets.h"

#include <algorithm>

#include "core/event_log.h"
#include "core/preset_name_chars.h"
#include "core/registry_settings.h"
#include "core/setting_names.h"
#include "platform/char_class.h"
#include "platform/last_error.h"
#include "platform/named_lock.h"
#include "platform/text_encoding.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

// Bounds-checked little-endian reads over the stored bytes.
class BlobReader {
 public:
  BlobReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool U32(uint32_t& v) {
    if (size_ - pos_ < 4) return false;
    v = static_cast<uint32_t>(data_[pos_]) | static_cast<uint32_t>(data_[pos_ + 1]) << 8 |
        static_cast<uint32_t>(data_[pos_ + 2]) << 16 | static_cast<uint32_t>(data_[pos_ + 3]) << 24;
    pos_ += 4;
    return true;
  }
  bool Text(uint32_t units, std::wstring& out) {
    if ((size_ - pos_) / 2 < units) return false;
    std::u16string u(units, u'\0');
    for (uint32_t i = 0; i < units; ++i, pos_ += 2)
      u[i] = static_cast<char16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
    out = FromUtf16(u);
    return true;
  }
  bool atEnd() const { return pos_ == size_; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void PutText(std::vector<uint8_t>& out, const std::u16string& u) {
  PutU32(out, static_cast<uint32_t>(u.size()));
  for (char16_t c : u) {
    out.push_back(static_cast<uint8_t>(c & 0xFF));
    out.push_back(static_cast<uint8_t>(c >> 8));
  }
}

bool Fail(uint32_t code) {
  SetLastError(code);
  return false;
}

bool ValidKind(uint32_t flags) {
  uint32_t kind = flags & 0xF;
  return kind == kPresetItemFolder || kind == kPresetItemFile;
}

// Store operations without the lock.
bool ReadUnlocked(std::vector<ErrCodePresetRecord>& out) {
  out.clear();
  RegistrySettings settings;
  int probe = RegistrySettings::Probe(settings.subKey(), setting::kErrCodeSrchPresets);
  if (probe == 0) {
    SetLastError(ERROR_SUCCESS);
    return true;
  }
  if (probe < 0) return false;
  std::vector<uint8_t> data;
  if (!settings.GetBinary(setting::kErrCodeSrchPresets, data)) {
    if (GetLastError() == ERROR_FILE_NOT_FOUND) {  // removed since the probe
      SetLastError(ERROR_SUCCESS);
      return true;
    }
    return false;
  }
  return DecodeErrCodePresets(data.data(), data.size(), out);
}

bool WriteUnlocked(const std::vector<ErrCodePresetRecord>& presets) {
  std::vector<uint8_t> data;
  if (!EncodeErrCodePresets(presets, data)) return false;
  return RegistrySettings().SetBinary(setting::kErrCodeSrchPresets, data.data(), data.size());
}

// Runs `body` under the presets lock.
template <typename Body>
bool Locked(uint32_t timeoutMs, Body body) {
  NamedLock lock(kErrCodePresetsLockName);
  if (!lock.Acquire(timeoutMs)) {
    EventLog::LogSite(415);
    return false;
  }
  bool ok = body();
  LastErrorKeeper keep;
  lock.Release();
  return ok;
}

}  // namespace

bool DecodeErrCodePresets(const uint8_t* data, size_t size, std::vector<ErrCodePresetRecord>& out) {
  out.clear();
  std::vector<ErrCodePresetRecord> presets;
  BlobReader r(data, size);
  uint32_t count = 0;
  if (!r.U32(count)) return Fail(ERROR_BAD_LENGTH);
  if (count > kMaxErrCodePresets) return Fail(ERROR_TOO_MANY_NAMES);
  for (uint32_t i = 0; i < count; ++i) {
    if (r.atEnd()) return Fail(ERROR_BAD_FORMAT);
    ErrCodePresetRecord p;
    uint32_t nameLength = 0, itemCount = 0;
    if (!r.U32(p.flags) || !r.U32(nameLength)) return Fail(ERROR_BAD_LENGTH);
    if (nameLength > kMaxErrCodePresetNameLength) return Fail(ERROR_INVALID_NAME_LENGTH);
    if (!r.Text(nameLength, p.name)) return Fail(ERROR_BAD_LENGTH);
    p.flags &= ~(kPresetFlagUnsaved | kPresetFlagBuiltIn);
    p.name = WithNameCharsReplaced(p.name);
    if (!r.U32(itemCount)) return Fail(ERROR_BAD_LENGTH);
    if (itemCount > kMaxErrCodePresetItems) return Fail(ERROR_TOO_MANY_CMDS);
    p.items.reserve(itemCount);
    for (uint32_t j = 0; j < itemCount; ++j) {
      ErrCodePresetItem item;
      uint32_t pathLength = 0;
      if (!r.U32(item.flags)) return Fail(ERROR_BAD_LENGTH);
      if (!ValidKind(item.flags)) return Fail(ERROR_INVALID_FLAGS);
      if (!r.U32(pathLength)) return Fail(ERROR_BAD_LENGTH);
      if (pathLength > kMaxErrCodePresetPathLength) return Fail(ERROR_INVALID_NAME_LENGTH);
      if (!r.Text(pathLength, item.path)) return Fail(ERROR_BAD_LENGTH);
      p.items.push_back(std::move(item));
    }
    presets.push_back(std::move(p));
  }
  if (!r.atEnd()) return Fail(ERROR_CHECKSUM_MISMATCH);
  out = std::move(presets);
  SetLastError(ERROR_SUCCESS);
  return true;
}

bool EncodeErrCodePresets(const std::vector<ErrCodePresetRecord>& presets, std::vector<uint8_t>& out) {
  out.clear();
  if (presets.size() > kMaxErrCodePresets) return Fail(ERROR_TOO_MANY_NAMES);
  std::vector<uint8_t> data;
  PutU32(data, static_cast<uint32_t>(presets.size()));
  for (const auto& p : presets) {
    std::u16string name = ToUtf16(p.name);
    if (name.size() > kMaxErrCodePresetNameLength) return Fail(ERROR_INVALID_NAME_LENGTH);
    if (p.items.size() > kMaxErrCodePresetItems) return Fail(ERROR_TOO_MANY_CMDS);
    PutU32(data, p.flags);
    PutText(data, name);
    PutU32(data, static_cast<uint32_t>(p.items.size()));
    for (const auto& item : p.items) {
      if (!ValidKind(item.flags)) return Fail(ERROR_INVALID_FLAGS);
      std::u16string path = ToUtf16(item.path);
      if (path.size() > kMaxErrCodePresetPathLength) return Fail(ERROR_INVALID_NAME_LENGTH);
      PutU32(data, item.flags);
      PutText(data, path);
    }
  }
  out = std::move(data);
  SetLastError(ERROR_SUCCESS);
  return true;
}

bool ErrCodePresetStore::ReadAll(std::vector<ErrCodePresetRecord>& out, uint32_t lockTimeoutMs) {
  out.clear();
  return Locked(lockTimeoutMs, [&] { return ReadUnlocked(out); });
}

bool ErrCodePresetStore::WriteAll(const std::vector<ErrCodePresetRecord>& presets, uint32_t lockTimeoutMs) {
  return Locked(lockTimeoutMs, [&] { return WriteUnlocked(presets); });
}

bool ErrCodePresetStore::SaveOne(const ErrCodePresetRecord& preset, uint32_t lockTimeoutMs) {
  return SaveOne(preset, preset.name, lockTimeoutMs);
}

bool ErrCodePresetStore::SaveOne(const ErrCodePresetRecord& preset, const std::wstring& replacing,
                                 uint32_t lockTimeoutMs) {
  return Locked(lockTimeoutMs, [&] {
    std::vector<ErrCodePresetRecord> presets;
    if (!ReadUnlocked(presets)) return false;
    auto find = [&](const std::wstring& name) {
      return std::find_if(presets.begin(), presets.end(),
                          [&](const ErrCodePresetRecord& p) { return EqualsNoCase(p.name, name); });
    };
    auto old = find(replacing);
    auto same = find(preset.name);
    if (old != presets.end()) {
      *old = preset;
      if (same != presets.end() && same != old) presets.erase(same);
    } else if (same != presets.end()) {
      *same = preset;
    } else {
      presets.push_back(preset);
    }
    return WriteUnlocked(presets);
  });
}

bool ErrCodePresetStore::RemoveOne(const std::wstring& name, uint32_t lockTimeoutMs) {
  return Locked(lockTimeoutMs, [&] {
    std::vector<ErrCodePresetRecord> presets;
    if (!ReadUnlocked(presets)) return false;
    const size_t before = presets.size();
    std::erase_if(presets, [&](const ErrCodePresetRecord& p) { return EqualsNoCase(p.name, name); });
    return presets.size() == before || WriteUnlocked(presets);
  });
}

bool ErrCodePresetStore::DeleteAll(uint32_t lockTimeoutMs) {
  return Locked(lockTimeoutMs, [&] {
    if (RegistrySettings().DeleteValue(setting::kErrCodeSrchPresets)) return true;
    if (GetLastError() != ERROR_FILE_NOT_FOUND && GetLastError() != ERROR_PATH_NOT_FOUND) return false;
    SetLastError(ERROR_SUCCESS);
    return true;
  });
}

}  // namespace tarnix
