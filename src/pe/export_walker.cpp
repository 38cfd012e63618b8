// The export directory: the export address table in ordinal order, the
// name pointer table and the name-ordinal table that ties names to entries.
// A function whose address lies inside the export directory is forwarded:
// the address holds the forwarder text ("MODULE.Name" or "MODULE.#12").
#include <algorithm>

#include "pe/symbol_walks.h"

namespace tarnix {
namespace {

struct ExportDirectory {
  DataDirectory dir;
  std::string_view module;
  uint32_t base = 0;
  uint32_t functionCount = 0;  // the entries of the address table in the view
  bool tableTooLong = false;   // NumberOfFunctions runs past the view
  uint64_t functions = 0;      // view offset of the export address table
  uint32_t nameCount = 0;
  std::optional<uint64_t> names;         // name pointer table
  std::optional<uint64_t> nameOrdinals;  // name-ordinal table
};

// Reads the directory; nothing when the image exports nothing.
std::optional<ExportDirectory> ReadDirectory(const ImageInfo& image) {
  ExportDirectory e;
  e.dir = image.Directory(pe::kDirExport);
  if (!e.dir.present()) return std::nullopt;
  const SectionMap& sections = image.sections();
  std::optional<uint64_t> at = sections.ToOffset(e.dir.rva);
  if (!at) return std::nullopt;
  const ImageView& view = image.view();
  std::optional<uint32_t> name = view.Read<uint32_t>(*at + pe::kExpName);
  std::optional<uint32_t> base = view.Read<uint32_t>(*at + pe::kExpBase);
  std::optional<uint32_t> functionCount = view.Read<uint32_t>(*at + pe::kExpNumberOfFunctions);
  std::optional<uint32_t> nameCount = view.Read<uint32_t>(*at + pe::kExpNumberOfNames);
  std::optional<uint32_t> functions = view.Read<uint32_t>(*at + pe::kExpAddressOfFunctions);
  std::optional<uint32_t> names = view.Read<uint32_t>(*at + pe::kExpAddressOfNames);
  std::optional<uint32_t> ordinals = view.Read<uint32_t>(*at + pe::kExpAddressOfNameOrdinals);
  if (!name || !base || !functionCount || !nameCount || !functions || !names || !ordinals)
    return std::nullopt;
  if (*functions == 0) return std::nullopt;
  std::optional<uint64_t> table = sections.ToOffset(*functions);
  if (!table) return std::nullopt;
  e.module = StringAtRva(image, *name);
  e.base = *base;
  e.functions = *table;
  // Entries past the view's end cannot be read: the walk faults there.
  uint64_t room = *table < view.size() ? (view.size() - *table) / 4 : 0;
  e.functionCount = static_cast<uint32_t>(std::min<uint64_t>(*functionCount, room));
  e.nameCount = *nameCount;
  if (e.nameCount != 0) {
    e.names = sections.ToOffset(*names);
    e.nameOrdinals = sections.ToOffset(*ordinals);
  }
  e.tableTooLong = *functionCount > room;
  return e;
}

// index[i] = the first position of i in the name-ordinal table, or -1: the
// name index of the function at address-table entry i. Built once per
// image; ordinals are 16-bit, so the table never exceeds 65536 entries.
void BuildNameIndex(const ImageView& view, const ExportDirectory& e, std::vector<int32_t>& index) {
  index.assign(std::min<uint32_t>(e.functionCount, 0x10000), -1);
  if (!e.nameOrdinals || index.empty()) return;
  for (uint32_t j = 0; j < e.nameCount; ++j) {
    std::optional<uint16_t> i = view.Read<uint16_t>(*e.nameOrdinals + 2ull * j);
    if (!i) return;
    if (*i < index.size() && index[*i] < 0) index[*i] = static_cast<int32_t>(j);
  }
}

}  // namespace

uint64_t CountExports(const WalkContext& c) {
  DataDirectory dir = c.image.Directory(pe::kDirExport);
  if (!dir.present()) return 0;
  std::optional<uint64_t> at = c.image.sections().ToOffset(dir.rva);
  if (!at) return 0;
  const ImageView& view = c.image.view();
  uint32_t count = view.TryRead<uint32_t>(*at + pe::kExpNumberOfFunctions).value_or(0);
  uint32_t functions = view.TryRead<uint32_t>(*at + pe::kExpAddressOfFunctions).value_or(0);
  std::optional<uint64_t> table = functions ? c.image.sections().ToOffset(functions) : std::nullopt;
  if (!table || *table >= view.size()) return 0;
  return std::min<uint64_t>(count, (view.size() - *table) / 4);
}

WalkResult WalkExports(WalkContext& c) {
  const ImageView& view = c.image.view();
  std::optional<ExportDirectory> e = ReadDirectory(c.image);
  if (!e || view.faulted()) return WalkResult::kDone;
  BuildNameIndex(view, *e, c.nameIndex);
  if (view.faulted()) return WalkResult::kDone;
  const SectionMap& sections = c.image.sections();
  c.image.props().binding = kBindingNone;  // exports have no binding
  const ImageProperties& props = c.image.props();

  for (uint32_t i = 0; i < e->functionCount; ++i) {
    uint32_t rva = *view.TryRead<uint32_t>(e->functions + 4ull * i);
    if (rva == 0) {
      c.sink.SkipSymbols(1);
      continue;
    }
    // Base plus the index, without wrapping: past 0xFFFFFFFF an entry has
    // no ordinal (0). Without a name either, nothing can reach it.
    const uint64_t wide = uint64_t{e->base} + i;
    const uint32_t ordinal = wide <= 0xFFFFFFFFu ? static_cast<uint32_t>(wide) : 0;
    int32_t nameIndex = i < c.nameIndex.size() ? c.nameIndex[i] : -1;
    if (wide > 0xFFFFFFFFu && nameIndex < 0) {
      c.sink.SkipSymbols(1);
      continue;
    }
    for (int pass = 0; pass < 2; ++pass) {
      int answer = 0;
      if (pass == 0 && c.rules.exports) {
        if (nameIndex < 0) {
          if (c.rules.exportOrdinals)
            answer = c.sink.MatchOrdinal(props, ordinal, kKindExportOrdinal, e->module, -1);
        } else if (e->names) {
          std::optional<uint32_t> nameRva = view.Read<uint32_t>(*e->names + 4ull * nameIndex);
          std::optional<uint64_t> at = nameRva ? sections.ToOffset(*nameRva) : std::nullopt;
          std::optional<std::string_view> name = at ? view.String(*at) : std::nullopt;
          if (name)
            answer = c.sink.MatchNamed(props, kKindExport, *name, e->module, ordinal, nameIndex);
        }
      } else if (pass == 1 && c.rules.forwarded && rva - e->dir.rva < e->dir.size) {
        std::optional<uint64_t> at = sections.ToOffset(rva);
        std::optional<std::string_view> forwarder = at ? view.String(*at) : std::nullopt;
        if (forwarder)
          answer = c.sink.MatchNamed(props, kKindExportForwarded, *forwarder, e->module, ordinal,
                                     nameIndex);
      }
      if (answer < 0) return WalkResult::kStop;
      if (answer > 0 && c.rules.modulesOnly) {
        c.sink.SkipSymbols(e->functionCount - i - 1);
        return WalkResult::kDone;
      }
      if (view.faulted()) return WalkResult::kDone;
    }
  }
  // Reading on would have left the view.
  if (e->tableTooLong) view.Fault();
  return WalkResult::kDone;
}

}  // namespace tarnix
