#pragma once
// The characters a preset name never holds, wherever it comes from (the
// name box, a preset file, the store): "<", ">" and "*", which the preset
// lists put around and before the names they make up, and the characters a
// list cannot show as themselves: control characters (C0, DEL, C1), line
// and paragraph separators, and the invisible marks that turn the direction
// of text, with which one name can be made to look like another; and what
// is no character at all (surrogate halves an escape can make), which a
// stored name could not keep.
#include <string>
#include <string_view>

namespace tarnix {

bool IsMarkupNameChar(wchar_t c);  // "<", ">" or "*"
bool IsHiddenNameChar(wchar_t c);

bool HasMarkupNameChar(std::wstring_view name);
bool HasHiddenNameChar(std::wstring_view name);

// `name` with every character of either kind replaced by "_": a stored
// name as the lists show it, and as an export writes it.
std::wstring WithNameCharsReplaced(std::wstring_view name);

// The name box's refusal of a hidden character: "Preset name contains
// invalid character(s). Remove any of the following:\n\ncontrol characters
// and text direction marks" (the refusal of "<", ">" and "*" names those).
extern const wchar_t kHiddenNameCharsMessage[];
extern const wchar_t kMarkupNameCharsMessage[];

}  // namespace tarnix
