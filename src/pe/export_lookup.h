#pragma once
// Looking up one export of an image by name or by ordinal, as the loader
// does for an import, and where an address of the image lies in its file.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "pe/mapped_image.h"

namespace tarnix {

struct ExportEntry {
  uint32_t ordinal = 0;   // Base included; 0 past 0xFFFFFFFF
  uint32_t rva = 0;       // the export address table's entry
  std::string name;       // empty when the entry is exported by ordinal only
  // The address lies in the export directory: the entry is forwarded, and
  // `forwarder` holds its text ("MODULE.Name", "MODULE.#12"); empty when
  // the text is cut off by the end of the image or unreasonably long.
  bool forwarded = false;
  std::string forwarder;
};

// The export named `name` (compared as stored, case-sensitively, as the
// loader compares). False with ERROR_PROC_NOT_FOUND when the image has no
// such export (or no export table).
bool FindExportByName(const MappedImage& image, std::string_view name, ExportEntry& out);

// The export with ordinal `ordinal`. False with ERROR_PROC_NOT_FOUND for an
// ordinal below Base or beyond the export address table, or an entry of 0.
bool FindExportByOrdinal(const MappedImage& image, uint32_t ordinal, ExportEntry& out);

// Where an address of the image lies: its section's characteristics
// (kScnMem* bits), and its file offset when the section holds file bytes
// there. Nothing at all when no section holds it.
struct ImagePlace {
  uint32_t characteristics = 0;
  std::optional<uint32_t> fileOffset;
};
std::optional<ImagePlace> PlaceOf(const MappedImage& image, uint32_t rva);

}  // namespace tarnix
