// The export directory read for one lookup: the name pointer table is
// searched by halves (it is sorted, as the loader expects), then from end
// to end in case a linker left it unsorted.
#include "pe/export_lookup.h"

#include <algorithm>
#include <cstring>

#include "pe/pe_format.h"
#include "platform/last_error.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

// Forwarder texts longer than this are not taken as forwarders.
constexpr size_t kMaxForwarderLength = 1024;

struct Exports {
  DataDirectory dir;
  uint32_t base = 0;
  uint64_t functions = 0;  // view offset of the export address table
  uint32_t functionCount = 0;
  std::optional<uint64_t> names, nameOrdinals;
  uint32_t nameCount = 0;  // entries of both name tables inside the view
};

// How many 4-byte (or `width`-byte) entries of a table at `at` lie in the view.
uint32_t EntriesInView(const ImageView& view, uint64_t at, uint32_t count, uint32_t width) {
  if (at >= view.size()) return 0;
  return static_cast<uint32_t>(std::min<uint64_t>(count, (view.size() - at) / width));
}

std::optional<Exports> ReadExports(const MappedImage& image) {
  Exports e;
  e.dir = image.Directory(pe::kDirExport);
  if (!e.dir.present()) return std::nullopt;
  const SectionMap& sections = image.sections();
  const ImageView& view = image.view();
  std::optional<uint64_t> at = sections.ToOffset(e.dir.rva);
  if (!at) return std::nullopt;
  auto field = [&](uint32_t offset) { return view.TryRead<uint32_t>(*at + offset); };
  std::optional<uint32_t> base = field(pe::kExpBase), functionCount = field(pe::kExpNumberOfFunctions),
                          nameCount = field(pe::kExpNumberOfNames),
                          functions = field(pe::kExpAddressOfFunctions),
                          names = field(pe::kExpAddressOfNames),
                          ordinals = field(pe::kExpAddressOfNameOrdinals);
  if (!base || !functionCount || !nameCount || !functions || !names || !ordinals || *functions == 0)
    return std::nullopt;
  std::optional<uint64_t> table = sections.ToOffset(*functions);
  if (!table) return std::nullopt;
  e.base = *base;
  e.functions = *table;
  e.functionCount = EntriesInView(view, *table, *functionCount, 4);
  if (*nameCount != 0 && *names != 0 && *ordinals != 0) {
    e.names = sections.ToOffset(*names);
    e.nameOrdinals = sections.ToOffset(*ordinals);
  }
  if (e.names && e.nameOrdinals)
    e.nameCount = std::min(EntriesInView(view, *e.names, *nameCount, 4),
                           EntriesInView(view, *e.nameOrdinals, *nameCount, 2));
  return e;
}

std::optional<std::string_view> NameAt(const MappedImage& image, const Exports& e, uint32_t j) {
  std::optional<uint32_t> rva = image.view().TryRead<uint32_t>(*e.names + 4ull * j);
  std::optional<uint64_t> at = rva ? image.sections().ToOffset(*rva) : std::nullopt;
  if (!at) return std::nullopt;
  return image.view().String(*at);
}

// Fills `out` from address-table entry `index`; false when it exports nothing.
bool EntryAt(const MappedImage& image, const Exports& e, uint32_t index, ExportEntry& out) {
  if (index >= e.functionCount) return false;
  const uint32_t rva = *image.view().TryRead<uint32_t>(e.functions + 4ull * index);
  if (rva == 0) return false;
  out = ExportEntry();
  const uint64_t ordinal = uint64_t{e.base} + index;
  out.ordinal = ordinal <= 0xFFFFFFFFu ? static_cast<uint32_t>(ordinal) : 0;  // no ordinal reaches it
  out.rva = rva;
  if (rva - e.dir.rva < e.dir.size) {
    // The address holds the forwarder text.
    out.forwarded = true;
    std::optional<uint64_t> at = image.sections().ToOffset(rva);
    std::optional<std::string_view> text = at ? image.view().String(*at) : std::nullopt;
    if (text && text->size() <= kMaxForwarderLength) out.forwarder = *text;
  }
  return true;
}

bool NotFound() {
  SetLastError(ERROR_PROC_NOT_FOUND);
  return false;
}

bool Found() {
  SetLastError(ERROR_SUCCESS);
  return true;
}

int CompareBytes(std::string_view a, std::string_view b) {
  const size_t n = std::min(a.size(), b.size());
  if (int c = n ? std::memcmp(a.data(), b.data(), n) : 0) return c;
  return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

}  // namespace

bool FindExportByName(const MappedImage& image, std::string_view name, ExportEntry& out) {
  std::optional<Exports> e = ReadExports(image);
  if (!e || e->nameCount == 0 || name.empty()) return NotFound();
  auto take = [&](uint32_t j) {
    const uint16_t index = *image.view().TryRead<uint16_t>(*e->nameOrdinals + 2ull * j);
    if (!EntryAt(image, *e, index, out)) return false;
    out.name = name;
    return true;
  };
  uint32_t low = 0, high = e->nameCount;
  while (low < high) {
    const uint32_t mid = low + (high - low) / 2;
    std::optional<std::string_view> at = NameAt(image, *e, mid);
    if (!at) break;
    const int c = CompareBytes(*at, name);
    if (c == 0) return take(mid) ? Found() : NotFound();
    if (c < 0)
      low = mid + 1;
    else
      high = mid;
  }
  for (uint32_t j = 0; j < e->nameCount; ++j) {
    std::optional<std::string_view> at = NameAt(image, *e, j);
    if (at && *at == name && take(j)) return Found();
  }
  return NotFound();
}

bool FindExportByOrdinal(const MappedImage& image, uint32_t ordinal, ExportEntry& out) {
  std::optional<Exports> e = ReadExports(image);
  if (!e || ordinal < e->base) return NotFound();
  const uint64_t index = uint64_t{ordinal} - e->base;
  if (index >= e->functionCount || !EntryAt(image, *e, static_cast<uint32_t>(index), out))
    return NotFound();
  // Its name: the first name whose ordinal-table entry is this index.
  for (uint32_t j = 0; j < e->nameCount; ++j) {
    if (*image.view().TryRead<uint16_t>(*e->nameOrdinals + 2ull * j) != index) continue;
    if (std::optional<std::string_view> name = NameAt(image, *e, j)) out.name = *name;
    break;
  }
  return Found();
}

std::optional<ImagePlace> PlaceOf(const MappedImage& image, uint32_t rva) {
  const SectionMap::Section* s = image.sections().Holding(rva);
  if (!s) return std::nullopt;
  ImagePlace place;
  place.characteristics = s->characteristics;
  // Past the section's raw data the address has no bytes in the file
  // (uninitialised data).
  const uint64_t into = uint64_t{rva} - s->virtualAddress;
  const uint64_t offset = into + s->pointerToRawData;
  if (into < s->sizeOfRawData && offset < image.fileSize() && offset <= 0xFFFFFFFFull)
    place.fileOffset = static_cast<uint32_t>(offset);
  return place;
}

}  // namespace tarnix
