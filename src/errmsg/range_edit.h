#pragma once
// The range editor's rules without its widgets: the flags of the edit
// panel, the code the HRESULT bit boxes make, the list commands (duplicate,
// replicate, move, remove) over the selected rows, and the module a picked
// file becomes.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "errmsg/error_range.h"

namespace tarnix {

// Flags = (Type item data & 0xF00) | (module kind & 0xF).
inline uint32_t EditPanelFlags(uint32_t typeData, uint32_t moduleKind) {
  return (typeData & kRangeCodeKindMask) | (moduleKind & kRangeModuleKindMask);
}

// The bits 27..31 the five HRESULT boxes stand for, top first: S, R, C, N, X.
inline constexpr uint32_t kHresultHighBits[5] = {1u << 31, 1u << 30, 1u << 29, 1u << 28, 1u << 27};
// Code From of the bit boxes: the facility bits at 16..26 and the checked
// bits among 27..31.
inline uint32_t HresultBitsCode(uint32_t highBits, uint32_t facility) {
  return (highBits & 0xF8000000u) | ((facility & 0x7FFu) << 16);
}

// Each of `rows` (ascending) copied directly after itself; `rows` becomes
// the copies. False (nothing changed) when the list would exceed 1024.
bool DuplicateRanges(std::vector<ErrorRange>& list, std::vector<size_t>& rows);
// Copies of `rows` in order, as one block after the last of them; `rows`
// becomes the copies. False when the list would exceed 1024.
bool ReplicateRanges(std::vector<ErrorRange>& list, std::vector<size_t>& rows);
// Moves `rows` one row up or down (a row at the edge stays, and so do the
// rows that would pass it); `rows` follows them. False when nothing moved.
bool MoveRanges(std::vector<ErrorRange>& list, std::vector<size_t>& rows, bool up);
void RemoveRanges(std::vector<ErrorRange>& list, const std::vector<size_t>& rows);

// A picked module file: directly in `systemDir` (ignoring case, no further
// separator) it is kind 1 with the bare file name, otherwise kind 2 with
// the full path.
// The picker's check of a module: it loads as an image and answers message
// 1 in the user's language with some text (its own table or the system's).
// False with the last error set.
bool ProbeRangeModuleMessages(const std::wstring& path);

void PickedRangeModule(const std::wstring& path, const std::filesystem::path& systemDir, uint32_t& kind,
                       std::wstring& name);

}  // namespace tarnix
