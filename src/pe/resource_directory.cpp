#include "pe/resource_directory.h"

#include <unordered_set>

#include "platform/win_errors.h"

namespace tarnix {
namespace {

constexpr uint64_t kDirectoryHeaderSize = 16;
constexpr uint64_t kEntrySize = 8;
constexpr uint64_t kDataEntrySize = 16;
constexpr int kMaxDepth = 16;

char16_t FoldAscii(char16_t c) {
  return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
}

}  // namespace

bool ResourceId::operator==(const ResourceId& other) const {
  if (named != other.named) return false;
  if (!named) return id == other.id;
  if (name.size() != other.name.size()) return false;
  for (size_t i = 0; i < name.size(); ++i)
    if (FoldAscii(name[i]) != FoldAscii(other.name[i])) return false;
  return true;
}

ResourceDirectory::ResourceDirectory(const ResourceImage& image) : image_(image) {
  if (!image.hasResources()) {
    status_ = Status::kNoResources;
    return;
  }
  if (!image.MapRva(image.resourceRva(), root_) ||
      !image.view().Has(root_, kDirectoryHeaderSize))
    status_ = Status::kBadRoot;
}

bool ResourceDirectory::ReadEntries(uint32_t offset, std::vector<ResourceEntry>& entries) const {
  entries.clear();
  if (status_ != Status::kOk) return false;
  const BoundedView& view = image_.view();
  const uint64_t at = root_ + offset;
  uint16_t named = 0, numbered = 0;
  if (!view.Read(at + 12, named) || !view.Read(at + 14, numbered)) return false;
  const uint64_t count = uint64_t{named} + numbered;
  if (!view.Has(at + kDirectoryHeaderSize, count * kEntrySize)) return false;
  entries.resize(count);
  for (uint64_t i = 0; i < count; ++i) {
    const uint64_t e = at + kDirectoryHeaderSize + i * kEntrySize;
    view.Read(e, entries[i].nameField);
    view.Read(e + 4, entries[i].offsetField);
  }
  return true;
}

bool ResourceDirectory::ReadName(const ResourceEntry& entry, std::u16string& name) const {
  name.clear();
  const BoundedView& view = image_.view();
  const uint64_t at = root_ + (entry.nameField & 0x7FFFFFFFu);
  uint16_t length = 0;
  if (!view.Read(at, length) || !view.Has(at + 2, uint64_t{length} * 2)) return false;
  name.resize(length);
  for (uint16_t i = 0; i < length; ++i) {
    uint16_t c = 0;
    view.Read(at + 2 + uint64_t{i} * 2, c);
    name[i] = static_cast<char16_t>(c);
  }
  return true;
}

ResourceDirectory::Status ResourceDirectory::ReadData(uint32_t offset, ResourceData& data) const {
  if (status_ != Status::kOk) return status_;
  const BoundedView& view = image_.view();
  const uint64_t at = root_ + offset;
  if (!view.Has(at, kDataEntrySize)) return Status::kBadDirectory;
  view.Read(at, data.rva);
  view.Read(at + 4, data.size);
  view.Read(at + 8, data.codePage);
  uint64_t position = 0;
  if (!image_.MapRva(data.rva, position)) return Status::kNoSection;
  if (!view.Sub(position, data.size, data.bytes)) return Status::kBadData;
  return Status::kOk;
}

bool ResourceDirectory::FindChild(uint32_t dir, const ResourceId& id, ResourceEntry& found,
                                  bool& malformed) const {
  std::vector<ResourceEntry> entries;
  if (!ReadEntries(dir, entries)) {
    malformed = true;
    return false;
  }
  std::u16string name;
  for (const ResourceEntry& e : entries) {
    if (e.named() != id.named) continue;
    if (id.named) {
      if (!ReadName(e, name)) continue;  // an unreadable name matches nothing
      if (!(ResourceId(name) == id)) continue;
    } else if (e.id() != id.id) {
      continue;
    }
    found = e;
    return true;
  }
  return false;
}

bool ResourceDirectory::Find(const ResourceId& type, const ResourceId& name, uint16_t language,
                             ResourceData& data, uint32_t& error) const {
  if (status_ == Status::kNoResources) {
    error = ERROR_RESOURCE_DATA_NOT_FOUND;
    return false;
  }
  if (status_ != Status::kOk) {
    error = ERROR_INVALID_DATA;
    return false;
  }
  bool malformed = false;
  ResourceEntry typeEntry, nameEntry, langEntry;
  if (!FindChild(0, type, typeEntry, malformed) || !typeEntry.isDirectory()) {
    error = malformed ? ERROR_INVALID_DATA : ERROR_RESOURCE_TYPE_NOT_FOUND;
    return false;
  }
  if (!FindChild(typeEntry.target(), name, nameEntry, malformed) || !nameEntry.isDirectory()) {
    error = malformed ? ERROR_INVALID_DATA : ERROR_RESOURCE_NAME_NOT_FOUND;
    return false;
  }
  if (!FindChild(nameEntry.target(), ResourceId(language), langEntry, malformed) ||
      langEntry.isDirectory()) {
    error = malformed ? ERROR_INVALID_DATA : ERROR_RESOURCE_LANG_NOT_FOUND;
    return false;
  }
  if (ReadData(langEntry.target(), data) != Status::kOk) {
    error = ERROR_INVALID_DATA;
    return false;
  }
  data.language = language;
  error = ERROR_SUCCESS;
  return true;
}

std::vector<ResourceId> ResourceDirectory::Names(const ResourceId& type) const {
  std::vector<ResourceId> names;
  bool malformed = false;
  ResourceEntry typeEntry;
  std::vector<ResourceEntry> entries;
  if (!FindChild(0, type, typeEntry, malformed) || !typeEntry.isDirectory() ||
      !ReadEntries(typeEntry.target(), entries))
    return names;
  std::u16string text;
  for (const ResourceEntry& e : entries) {
    if (!e.isDirectory()) continue;
    if (!e.named())
      names.emplace_back(e.id());
    else if (ReadName(e, text))
      names.emplace_back(text);
  }
  return names;
}

std::vector<uint16_t> ResourceDirectory::Languages(const ResourceId& type,
                                                   const ResourceId& name) const {
  std::vector<uint16_t> languages;
  bool malformed = false;
  ResourceEntry typeEntry, nameEntry;
  std::vector<ResourceEntry> entries;
  if (!FindChild(0, type, typeEntry, malformed) || !typeEntry.isDirectory() ||
      !FindChild(typeEntry.target(), name, nameEntry, malformed) || !nameEntry.isDirectory() ||
      !ReadEntries(nameEntry.target(), entries))
    return languages;
  for (const ResourceEntry& e : entries)
    if (!e.named() && !e.isDirectory()) languages.push_back(e.id());
  return languages;
}

bool ResourceDirectory::HasType(const ResourceId& type) const {
  bool malformed = false;
  ResourceEntry entry;
  return FindChild(0, type, entry, malformed);
}

ResourceDirectory::Status ResourceDirectory::ForEachData(
    uint16_t type, const std::function<bool(const ResourceData&)>& visit) const {
  if (status_ != Status::kOk) return status_;
  std::vector<ResourceEntry> top;
  if (!ReadEntries(0, top)) return Status::kBadDirectory;

  std::unordered_set<uint32_t> walked;  // directories already walked
  // Directories may overlap one another; a sane tree has no more entries
  // than fit in the view once, so more than that is refused.
  uint64_t budget = image_.view().size() / kEntrySize + 1024;
  std::vector<uint32_t> path;           // directories on the current path
  bool stop = false;
  // Depth first, in directory order; answers the status that ends the walk.
  std::function<Status(const ResourceEntry&, uint16_t)> walk =
      [&](const ResourceEntry& entry, uint16_t language) -> Status {
    if (!entry.isDirectory()) {
      ResourceData data;
      Status s = ReadData(entry.target(), data);
      if (s != Status::kOk) return s;
      data.language = language;
      if (!visit(data)) stop = true;
      return Status::kOk;
    }
    const uint32_t dir = entry.target();
    for (uint32_t onPath : path)
      if (onPath == dir) return Status::kBadDirectory;
    if (path.size() >= kMaxDepth) return Status::kBadDirectory;
    if (!walked.insert(dir).second) return Status::kOk;
    std::vector<ResourceEntry> entries;
    if (!ReadEntries(dir, entries) || entries.size() > budget) return Status::kBadDirectory;
    budget -= entries.size();
    path.push_back(dir);
    for (const ResourceEntry& child : entries) {
      Status s = walk(child, child.named() ? language : child.id());
      if (s != Status::kOk) return s;
      if (stop) break;
    }
    path.pop_back();
    return Status::kOk;
  };

  path.push_back(0);
  walked.insert(0);
  for (const ResourceEntry& entry : top) {
    if (entry.named() || entry.id() != type) continue;
    Status s = walk(entry, 0);
    if (s != Status::kOk || stop) return s;
  }
  return Status::kOk;
}

}  // namespace tarnix
