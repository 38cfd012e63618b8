#pragma once
// The per-file lookup of the error code search: the file is loaded as a
// data file (mapped read-only, no code runs) and the code looked up as the
// platform's formatter does with a module and the system as sources: the
// module's own message table first, the system's after it.
#include <cstdint>
#include <string>

namespace tarnix {

enum class ModuleLookup {
  kFound,        // `text` holds the message of the module's own table
  kFoundSystem,  // `text` holds the system's message: the module has none
  kNotLoadable,  // not a module (or unreadable): skipped silently
  kNoMessage,    // no message; `error` says why
};

// `language` as the formatter takes it (0x400: the platform's order).
ModuleLookup LookupErrorCode(const std::wstring& path, uint32_t code, uint16_t language,
                             std::wstring& text, uint32_t& error);

// True for the formatter's errors that only mean "this module has no such
// message": they are not reported. ERROR_MR_MID_NOT_FOUND,
// ERROR_RESOURCE_DATA_NOT_FOUND, ERROR_RESOURCE_TYPE_NOT_FOUND,
// ERROR_RESOURCE_NAME_NOT_FOUND, ERROR_MUI_FILE_NOT_FOUND and
// ERROR_MUI_FILE_NOT_LOADED.
bool IsSilentLookupError(uint32_t error);

}  // namespace tarnix
