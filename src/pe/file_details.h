#pragma once
// What a results list shows beside an image or module: its file version
// and description, read from its version resource in the user's language
// without loading it. The symbol results, the Error Code Search results,
// the image information window and tarnix-cli all read them here.
#include <cstdint>
#include <string>

namespace tarnix {

// A file version that is not known: shown as an empty text.
inline constexpr uint64_t kVersionUnknown = ~uint64_t{0};

struct FileDetails {
  uint64_t version = kVersionUnknown;  // four 16-bit parts, high first
  std::wstring description;            // line breaks turned into blanks
};

// How a list shows a file that has no version information at all: with
// nothing (the symbol results), or as the error of a file whose version
// information cannot be read (the Error Code Search results).
enum class MissingVersion { kEmpty, kError };

// Reads the details of `path` in `language`. A version resource that
// cannot be read gives the description "<error: (%s) %s>" and no version.
FileDetails ReadFileDetails(const std::wstring& path, uint16_t language,
                            MissingVersion missing = MissingVersion::kEmpty);

// "<error: (%s) %s>" with the error text of `error`.
std::wstring VersionErrorText(uint32_t error);

// "%u.%u.%u.%u" of the four parts, high to low; empty when unknown.
std::wstring FileVersionText(uint64_t version);

}  // namespace tarnix
