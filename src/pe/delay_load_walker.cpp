// The delay-load import directory: one 32-byte descriptor per delay-loaded
// module. Descriptors whose Attributes are 0 come from the old format of
// Visual C++ 6 and hold virtual addresses instead of RVAs.
#include "pe/symbol_walks.h"

namespace tarnix {
namespace {

std::optional<uint64_t> FirstDescriptor(const ImageInfo& image) {
  DataDirectory dir = image.Directory(pe::kDirDelayImport);
  if (!dir.present()) return std::nullopt;
  return image.sections().ToOffset(dir.rva);
}

// One descriptor's addresses as RVAs.
template <class W>
struct DelayDescriptor {
  DelayDescriptor(const ImageInfo& image, bool oldFormat) : image_(image), old_(oldFormat) {}

  // An address of the descriptor or its name table as an RVA: old-format
  // addresses are virtual and lose the image base (in the image's width).
  uint64_t Rva(uint64_t address) const {
    if (!old_) return address;
    return static_cast<typename W::Address>(address - image_.headers().imageBase);
  }
  std::optional<uint64_t> ToOffset(uint64_t address) const {
    return image_.sections().ToOffset(Rva(address));
  }

  const ImageInfo& image_;
  bool old_;
};

}  // namespace

template <class W>
uint64_t CountDelayLoads(const WalkContext& c) {
  std::optional<uint64_t> first = FirstDescriptor(c.image);
  if (!first) return 0;
  const ImageView& view = c.image.view();
  uint64_t count = 0;
  for (uint64_t d = *first;; d += pe::kDelayDescriptorSize) {
    std::optional<uint32_t> iat = view.TryRead<uint32_t>(d + pe::kDelayImportAddressTable);
    if (!iat || *iat == 0) break;
    if (c.rules.libraries) {
      ++count;
      continue;
    }
    DelayDescriptor<W> desc(c.image, view.TryRead<uint32_t>(d + pe::kDelayAttributes) == 0u);
    std::optional<uint64_t> names =
        desc.ToOffset(view.TryRead<uint32_t>(d + pe::kDelayImportNameTable).value_or(0));
    if (names && desc.ToOffset(*iat)) count += CountThunks<W>(view, *names);
  }
  return count;
}

template <class W>
WalkResult WalkDelayLoads(WalkContext& c) {
  std::optional<uint64_t> first = FirstDescriptor(c.image);
  if (!first) return WalkResult::kDone;
  const ImageView& view = c.image.view();
  ImageProperties& props = c.image.props();
  for (uint64_t d = *first;; d += pe::kDelayDescriptorSize) {
    std::optional<uint32_t> iat = view.Read<uint32_t>(d + pe::kDelayImportAddressTable);
    if (!iat || *iat == 0) break;
    std::optional<uint32_t> attributes = view.Read<uint32_t>(d + pe::kDelayAttributes);
    std::optional<uint32_t> name = view.Read<uint32_t>(d + pe::kDelayName);
    std::optional<uint32_t> nameTable = view.Read<uint32_t>(d + pe::kDelayImportNameTable);
    std::optional<uint32_t> stamp = view.Read<uint32_t>(d + pe::kDelayTimeDateStamp);
    if (!attributes || !name || !nameTable || !stamp) break;
    props.binding = BindingOf(*stamp);
    props.computed |= kComputedBinding;
    DelayDescriptor<W> desc(c.image, *attributes == 0);
    std::string_view module = StringAtRva(c.image, desc.Rva(*name));
    if (view.faulted()) break;

    if (c.rules.libraries) {
      if (c.sink.MatchModule(props, kKindDelayImportedLibrary, module) < 0)
        return WalkResult::kStop;
      continue;
    }
    std::optional<uint64_t> at = desc.ToOffset(*nameTable);
    if (!at || !desc.ToOffset(*iat)) continue;
    // Names are searched only in unbound descriptors.
    bool names = c.rules.delayNames && props.binding == kBindingUnbound;
    if (WalkNameTable<W>(c, *at, module, kKindDelayImport, kKindDelayImportOrdinal, names,
                         [&](uint64_t address) { return desc.ToOffset(address); }) ==
        WalkResult::kStop)
      return WalkResult::kStop;
    if (view.faulted()) break;
  }
  return WalkResult::kDone;
}

template uint64_t CountDelayLoads<pe::Pe32>(const WalkContext&);
template uint64_t CountDelayLoads<pe::Pe64>(const WalkContext&);
template WalkResult WalkDelayLoads<pe::Pe32>(WalkContext&);
template WalkResult WalkDelayLoads<pe::Pe64>(WalkContext&);

}  // namespace tarnix
