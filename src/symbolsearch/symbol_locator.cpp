#include "symbolsearch/symbol_locator.h"

#include <utility>
#include <vector>

#include "core/event_log.h"
#include "core/wformat.h"
#include "pe/export_lookup.h"
#include "pe/image_properties.h"
#include "pe/mapped_image.h"
#include "pe/pe_format.h"
#include "pe/result_kind.h"
#include "platform/case_fold.h"
#include "platform/fault_guard.h"
#include "platform/last_error.h"
#include "platform/text_encoding.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

// What to look for in a module: a name, or an ordinal.
struct Target {
  std::string name;
  std::optional<uint32_t> ordinal;

  std::string Key() const { return ordinal ? std::string(1, '#').append(std::to_string(*ordinal)) : name; }
};

// The ordinal of an ordinal text ("#12", or "12"); nothing when it is none.
template <class Char>
std::optional<uint32_t> OrdinalOfText(std::basic_string_view<Char> text) {
  if (!text.empty() && text[0] == Char('#')) text.remove_prefix(1);
  if (text.empty() || text.size() > 10) return std::nullopt;
  uint64_t value = 0;
  for (Char c : text) {
    if (c < Char('0') || c > Char('9')) return std::nullopt;
    value = value * 10 + static_cast<uint64_t>(c - Char('0'));
  }
  if (value > 0xFFFFFFFFull) return std::nullopt;
  return static_cast<uint32_t>(value);
}

// "MODULE.Name" or "MODULE.#12", split at the first dot as the loader does.
bool SplitForwarder(std::string_view text, std::wstring& module, Target& target) {
  const size_t dot = text.find('.');
  if (dot == std::string_view::npos || dot == 0 || dot + 1 == text.size()) return false;
  module = FromCp1252(text.substr(0, dot));
  const std::string_view symbol = text.substr(dot + 1);
  target = Target();
  if (symbol[0] == '#') {
    target.ordinal = OrdinalOfText(symbol);
    return target.ordinal.has_value();
  }
  target.name = symbol;
  return true;
}

bool IsExportKind(uint32_t kind) {
  return (kind >= kKindExport && kind <= kKindExportForwardedCpp) || kind == kKindExportOrdinal;
}

bool IsImportKind(uint32_t kind) {
  return kind == kKindImport || kind == kKindImportCpp || kind == kKindDelayImport ||
         kind == kKindDelayImportCpp || kind == kKindImportOrdinal ||
         kind == kKindDelayImportOrdinal;
}

bool IsOrdinalKind(uint32_t kind) {
  return kind == kKindImportOrdinal || kind == kKindDelayImportOrdinal || kind == kKindExportOrdinal;
}

}  // namespace

uint32_t SectionAccessOf(uint32_t characteristics) {
  uint32_t access = 0;
  if (characteristics & pe::kScnMemRead) access |= kAccessRead;
  if (characteristics & pe::kScnMemWrite) access |= kAccessWrite;
  if (characteristics & pe::kScnMemExecute) access |= kAccessExecute;
  return access;
}

SymbolLocation LocateSymbol(const ModuleResolver& resolver, const SymbolQuery& q) {
  SymbolLocation loc;
  auto fail = [&loc](uint32_t error) {
    loc.locateError = error;
    return loc;
  };
  const bool forwardedKind = q.kind == kKindExportForwarded || q.kind == kKindExportForwardedCpp;
  Target target;
  std::wstring path;
  if (IsExportKind(q.kind)) {
    loc.moduleResolved = true;
    loc.modulePath = q.imagePath;
  } else if (IsImportKind(q.kind)) {
    if (!resolver.Resolve(q.imagePath, q.imageType, q.module, loc.modulePath)) {
      loc.moduleError = GetLastError();
      return loc;
    }
    loc.moduleResolved = true;
  } else {
    return fail(ERROR_INVALID_PARAMETER);  // libraries and images have no symbol
  }
  path = loc.modulePath;

  if (q.ordinal != 0 && (IsOrdinalKind(q.kind) || IsExportKind(q.kind))) {
    target.ordinal = q.ordinal;  // an export's own entry, whatever its name
  } else if (IsOrdinalKind(q.kind)) {
    target.ordinal = OrdinalOfText(std::wstring_view(q.name));
    if (!target.ordinal) return fail(ERROR_PROC_NOT_FOUND);
  } else if (forwardedKind) {
    // No ordinal to find the entry by: its forwarder text says where it goes.
    std::wstring module;
    if (!SplitForwarder(ToCp1252(q.name), module, target)) return fail(ERROR_INVALID_DATA);
    loc.forwardedTo = q.name;
    loc.forwards = 1;
    std::wstring next;
    if (!resolver.Resolve(path, q.imageType, module, next)) return fail(GetLastError());
    path = std::move(next);
  } else {
    target.name = ToCp1252(q.name);
  }

  std::vector<std::pair<std::wstring, std::string>> visited;
  for (;;) {
    std::pair<std::wstring, std::string> step(ToLowerCase(path), target.Key());
    for (const auto& seen : visited)
      if (seen == step) return fail(ERROR_CANT_RESOLVE_FILENAME);
    if (visited.size() > kMaxForwards) return fail(ERROR_CANT_RESOLVE_FILENAME);
    visited.push_back(std::move(step));

    MappedImage image;
    if (!image.Open(ToUtf8(path))) return fail(GetLastError());
    FaultGuard guard(image.data(), image.size());
    ExportEntry entry;
    const bool found = target.ordinal ? FindExportByOrdinal(image, *target.ordinal, entry)
                                      : FindExportByName(image, target.name, entry);
    const uint32_t error = GetLastError();
    std::optional<ImagePlace> place;
    if (found && !entry.forwarded) place = PlaceOf(image, entry.rva);
    if (guard.faulted()) {
      // The file shrank while it was read.
      EventLog::LogSiteFormat(941, L"path=\"%ls\"", path.c_str());
      return fail(ERROR_INVALID_EXCEPTION_HANDLER);
    }
    if (!found) return fail(error);

    if (!entry.forwarded) {
      loc.located = true;
      loc.symbolPath = path;
      loc.finalName =
          entry.name.empty() ? WFormat(L"#%u", entry.ordinal) : FromCp1252(entry.name);
      loc.rva = entry.rva;
      if (place) {
        loc.fileOffset = place->fileOffset;
        loc.access = SectionAccessOf(place->characteristics);
      }
      return loc;
    }
    loc.forwardedTo = FromCp1252(entry.forwarder);
    ++loc.forwards;
    std::wstring module;
    if (!SplitForwarder(entry.forwarder, module, target)) return fail(ERROR_INVALID_DATA);
    std::wstring next;
    if (!resolver.Resolve(path, q.imageType, module, next)) return fail(GetLastError());
    path = std::move(next);
  }
}

}  // namespace tarnix
