#pragma once
// Where a result's symbol lives on this machine: the module it comes from
// resolved (module_resolver.h), the export found there by name or ordinal
// and its forwarders followed to the module and symbol that really hold it,
// then the symbol's address, file offset and the memory protection of its
// section. Exports are looked up in the image itself.
#include <cstdint>
#include <optional>
#include <string>

#include "symbolsearch/module_resolver.h"

namespace tarnix {

// What is asked about one result (taken from its record).
struct SymbolQuery {
  std::wstring imagePath;
  uint32_t imageType = 0;  // ImageType of the image
  uint32_t kind = 0;       // ResultKind
  std::wstring module;     // the record's module
  std::wstring name;       // as stored: decorated, "#12", or a forwarder text
  uint32_t ordinal = 0;    // 0 when the record has none
};

// Memory protection of a section, as the window shows it.
enum SectionAccess : uint32_t {
  kAccessRead = 0x1,
  kAccessWrite = 0x2,
  kAccessExecute = 0x4,
};

struct SymbolLocation {
  // The module: the path its name resolves to (the image itself for
  // exports), or the error it could not be resolved with.
  bool moduleResolved = false;
  std::wstring modulePath;
  uint32_t moduleError = 0;

  // The symbol, after its forwarders: located when its export entry was
  // found, else `locateError` says why.
  bool located = false;
  uint32_t locateError = 0;
  std::wstring symbolPath;  // the file that holds it
  std::wstring finalName;   // its name there; "#12" when exported by ordinal only
  std::wstring forwardedTo; // the last forwarder followed ("NTDLL.RtlAllocateHeap")
  uint32_t forwards = 0;    // how many forwarders were followed
  uint32_t rva = 0;         // the mapped offset
  std::optional<uint32_t> fileOffset;  // none when the file holds no bytes there
  std::optional<uint32_t> access;      // SectionAccess bits; none when no section holds it
};

// Forwarders followed before the chain counts as a loop.
inline constexpr uint32_t kMaxForwards = 16;

// Locates `query`'s symbol. Never fails as a whole: what could not be found
// is said by the flags and errors of the answer (ERROR_PROC_NOT_FOUND for a
// name or ordinal the module does not export, ERROR_CANT_RESOLVE_FILENAME
// for forwarders that loop or go deeper than kMaxForwards, the module's
// errors for a forwarder's target, ERROR_BAD_EXE_FORMAT for a file that is
// no image, ERROR_INVALID_EXCEPTION_HANDLER for one that shrank while read).
SymbolLocation LocateSymbol(const ModuleResolver& resolver, const SymbolQuery& query);

// The SectionAccess bits of section characteristics.
uint32_t SectionAccessOf(uint32_t characteristics);

}  // namespace tarnix
