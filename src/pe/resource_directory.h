#pragma once
// The resource directory of a mapped image: a three-level tree of type,
// name and language, walked through bounds-checked reads only. Offsets of
// subdirectories and names are relative to the directory's root; every one
// is checked against the view before it is read, and walks refuse cycles.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "pe/bounded_view.h"
#include "pe/resource_image.h"

namespace tarnix {

inline constexpr uint16_t kResourceTypeMessageTable = 11;  // RT_MESSAGETABLE
inline constexpr uint16_t kResourceTypeVersion = 16;       // RT_VERSION

// A resource type or name: a number, or a text (compared ignoring case).
struct ResourceId {
  ResourceId() = default;
  ResourceId(uint16_t number) : id(number) {}  // NOLINT: ids read like numbers
  explicit ResourceId(std::u16string text) : named(true), name(std::move(text)) {}

  bool named = false;
  uint16_t id = 0;
  std::u16string name;

  bool operator==(const ResourceId& other) const;
};

// One entry of a directory as stored.
struct ResourceEntry {
  uint32_t nameField = 0;    // id, or (top bit set) offset of the name
  uint32_t offsetField = 0;  // data entry, or (top bit set) subdirectory

  bool named() const { return (nameField & 0x80000000u) != 0; }
  uint16_t id() const { return static_cast<uint16_t>(nameField); }
  bool isDirectory() const { return (offsetField & 0x80000000u) != 0; }
  uint32_t target() const { return offsetField & 0x7FFFFFFFu; }
};

// A leaf of the tree: the bytes of one resource.
struct ResourceData {
  uint32_t rva = 0;
  uint32_t size = 0;
  uint32_t codePage = 0;
  uint16_t language = 0;
  BoundedView bytes;
};

class ResourceDirectory {
 public:
  enum class Status {
    kOk,
    kNoResources,   // the image has no resource directory
    kBadRoot,       // the directory's address does not map or the root does not fit
    kBadDirectory,  // a directory or entry does not fit in the view, or the tree is cyclic
    kNoSection,     // a data entry's address is in no section
    kBadData,       // a resource's bytes do not fit in the view
  };

  // `image` must outlive this object.
  explicit ResourceDirectory(const ResourceImage& image);

  // Whether the root could be located (kOk), or why not.
  Status status() const { return status_; }

  // The entries of the directory at `offset` (relative to the root), named
  // entries first. False when the directory does not fit in the view.
  bool ReadEntries(uint32_t offset, std::vector<ResourceEntry>& entries) const;
  // The name of a named entry.
  bool ReadName(const ResourceEntry& entry, std::u16string& name) const;
  // The data entry at `offset` (relative to the root) and its bytes.
  Status ReadData(uint32_t offset, ResourceData& data) const;

  // Finds the resource of `type`, `name` and exactly `language`. On failure
  // answers false with `error` set: ERROR_RESOURCE_DATA_NOT_FOUND (no
  // resource directory), ERROR_RESOURCE_TYPE_NOT_FOUND,
  // ERROR_RESOURCE_NAME_NOT_FOUND, ERROR_RESOURCE_LANG_NOT_FOUND, or
  // ERROR_INVALID_DATA when the tree is malformed on the way.
  bool Find(const ResourceId& type, const ResourceId& name, uint16_t language,
            ResourceData& data, uint32_t& error) const;
  // The names of `type`, in directory order (empty when the type is absent).
  std::vector<ResourceId> Names(const ResourceId& type) const;
  // The languages of `type` / `name`, in directory order.
  std::vector<uint16_t> Languages(const ResourceId& type, const ResourceId& name) const;
  // True when the tree has an entry for `type`.
  bool HasType(const ResourceId& type) const;

  // Visits every data entry below the top-level entry numbered `type`, depth
  // first in directory order, at any depth. The visitor answers true to go
  // on. A directory that appears twice on one path (a cycle) or a tree
  // deeper than 16 levels ends the walk with kBadDirectory; a directory
  // reached again by another path is not walked twice.
  Status ForEachData(uint16_t type,
                     const std::function<bool(const ResourceData&)>& visit) const;

 private:
  // The subdirectory below `dir` whose entry matches `id`; false if none.
  bool FindChild(uint32_t dir, const ResourceId& id, ResourceEntry& found, bool& malformed) const;

  const ResourceImage& image_;
  uint64_t root_ = 0;  // view offset of the root directory
  Status status_ = Status::kOk;
};

}  // namespace tarnix
