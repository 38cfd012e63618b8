// The import directory: one 20-byte descriptor per imported module, each
// with its import name table (by name or by ordinal).
#include "pe/symbol_walks.h"

namespace tarnix {
namespace {

// The view offset of the first import descriptor, if the image has imports.
std::optional<uint64_t> FirstDescriptor(const ImageInfo& image) {
  DataDirectory dir = image.Directory(pe::kDirImport);
  if (!dir.present()) return std::nullopt;
  return image.sections().ToOffset(dir.rva);
}

}  // namespace

template <class W>
uint64_t CountImports(const WalkContext& c) {
  std::optional<uint64_t> first = FirstDescriptor(c.image);
  if (!first) return 0;
  const ImageView& view = c.image.view();
  uint64_t count = 0;
  for (uint64_t d = *first;; d += pe::kImportDescriptorSize) {
    std::optional<uint32_t> name = view.TryRead<uint32_t>(d + pe::kImpName);
    if (!name || *name == 0) break;
    if (c.rules.libraries) {
      ++count;
      continue;
    }
    uint32_t names = view.TryRead<uint32_t>(d + pe::kImpOriginalFirstThunk).value_or(0);
    std::optional<uint64_t> at = names ? c.image.sections().ToOffset(names) : std::nullopt;
    if (at) count += CountThunks<W>(view, *at);
  }
  return count;
}

template <class W>
WalkResult WalkImports(WalkContext& c) {
  std::optional<uint64_t> first = FirstDescriptor(c.image);
  if (!first) return WalkResult::kDone;
  const ImageView& view = c.image.view();
  ImageProperties& props = c.image.props();
  for (uint64_t d = *first;; d += pe::kImportDescriptorSize) {
    std::optional<uint32_t> name = view.Read<uint32_t>(d + pe::kImpName);
    if (!name || *name == 0) break;
    std::optional<uint32_t> names = view.Read<uint32_t>(d + pe::kImpOriginalFirstThunk);
    std::optional<uint32_t> stamp = view.Read<uint32_t>(d + pe::kImpTimeDateStamp);
    if (!names || !stamp) break;
    props.binding = BindingOf(*stamp);
    props.computed |= kComputedBinding;
    std::string_view module = StringAtRva(c.image, *name);
    if (view.faulted()) break;

    if (c.rules.libraries) {
      if (c.sink.MatchModule(props, kKindImportedLibrary, module) < 0) return WalkResult::kStop;
      continue;
    }
    // Without an import name table the descriptor holds nothing to read: the
    // import address table may already be bound to addresses.
    if (*names == 0) continue;
    std::optional<uint64_t> at = c.image.sections().ToOffset(*names);
    if (!at) continue;
    const SectionMap& sections = c.image.sections();
    if (WalkNameTable<W>(c, *at, module, kKindImport, kKindImportOrdinal, c.rules.importNames,
                         [&](uint64_t rva) { return sections.ToOffset(rva); }) ==
        WalkResult::kStop)
      return WalkResult::kStop;
    if (view.faulted()) break;
  }
  return WalkResult::kDone;
}

template uint64_t CountImports<pe::Pe32>(const WalkContext&);
template uint64_t CountImports<pe::Pe64>(const WalkContext&);
template WalkResult WalkImports<pe::Pe32>(WalkContext&);
template WalkResult WalkImports<pe::Pe64>(WalkContext&);

}  // namespace tarnix
