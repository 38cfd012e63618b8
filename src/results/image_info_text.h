#pragma once
// What the image information window shows for one result, without the
// window: the labels of the result's kind, the classification of its symbol
// (function or global variable, with the access of its section), the title,
// the bitness label and the information text, block by block. The window
// and `tarnix-cli info` show exactly what BuildImageInfo answers.
#include <cstdint>
#include <optional>
#include <string>

#include "pe/image_properties.h"
#include "results/result_entry.h"
#include "symbolsearch/module_resolver.h"
#include "symbolsearch/symbol_locator.h"

namespace tarnix {

// The window's labels for a result kind.
struct ImageInfoKindLabels {
  std::wstring groupCaption;            // "C Import From"; "Unknown: 0x%X" for other kinds
  const wchar_t* typeTerm = nullptr;    // "Imported", ...; null when the kind has none
  const wchar_t* moduleLabel = nullptr; // "Module From" or "Module To"; null when none
};
ImageInfoKindLabels KindLabelsOf(uint32_t kind);

// "Read/Write/Execute" ... "None" (long) or "R/W/X" ... "0" (short) of
// SectionAccess bits.
const wchar_t* AccessText(uint32_t access, bool shortForm);

// A symbol is a function when its section is readable and executable but
// not writable, otherwise a global variable; unknown ("Function", access
// "?") when it could not be located.
struct SymbolClass {
  std::wstring type;         // "C Function", "Global C++ Variable", "Function", ...
  std::wstring titlePrefix;  // "WinAPI: " or "Global (R/W): "
  std::wstring access;       // the long access text, or "?"
};
SymbolClass ClassifySymbol(uint32_t kind, std::optional<uint32_t> access);

// Colours as the platform gives them, 0x00BBGGRR.
inline constexpr uint32_t kBitness32Colour = 0x0606BF;  // dark red
inline constexpr uint32_t kBitness64Colour = 0xD77800;  // blue

// "32-bit" (dark red), "64-bit" (blue), "ROM" (the default colour), or
// empty for any other ImageType.
struct BitnessLabel {
  const wchar_t* text = L"";
  std::optional<uint32_t> colour;  // none: the default text colour
};
BitnessLabel BitnessLabelOf(uint32_t imageType);

// What the window needs of one result. ImageInfoSubjectOf takes it from a
// results list record.
struct ImageInfoSubject {
  std::wstring imagePath;
  std::wstring name;           // as listed (undecorated when the details pass did it)
  std::wstring decoratedName;  // the name as stored, when the list shows another
  std::wstring module;
  uint32_t kind = 0;  // ResultKind
  ImageProperties properties;
  uint32_t ordinal = 0;           // 0 when none
  int32_t nameIndexOrHint = -1;   // -1 when none
  uint32_t searchFor = 1;         // 1 WinAPIs, 2 Import Libs (SearchFor): a
                                  // result of the latter describes its module
};
ImageInfoSubject ImageInfoSubjectOf(const ResultEntry& entry, uint32_t searchFor);

struct ImageInfoOptions {
  uint32_t undecorationFlags = 0x2;  // the setting "UndecorCppNamesFlags"
  uint16_t language = 0x0409;        // the user's default language
};

struct ImageInfoContent {
  std::wstring title;
  ImageInfoKindLabels labels;
  std::wstring imagePath;   // "&Image:"
  std::wstring moduleName;  // "&Module Name:"
  // "&Resolves To:": the path, or "<Error: (%s) %s>"; empty for results
  // without a module (images).
  std::wstring resolvesTo;
  std::wstring resolvedPath;  // the path alone; empty when not resolved
  std::wstring text;          // the information text, trimmed
  BitnessLabel bitness;
  uint64_t fileVersion = kVersionUnknown;  // read again with the version block
  SymbolLocation location;
};

// Resolves the module, locates the symbol and reads the image's version
// resource again, then builds everything the window shows.
ImageInfoContent BuildImageInfo(const ImageInfoSubject& subject, const ModuleResolver& resolver,
                                const ImageInfoOptions& options);

}  // namespace tarnix
