#pragma once
// How a typed folder is kept in the folder history: "/a/b" and "/a/b/" name
// the same folder, so both are kept as one entry ending in one separator.
#include <string>
#include <string_view>

namespace tarnix {

// `folder` with its trailing separators made exactly one; empty stays empty.
std::wstring FolderEntryForm(std::wstring_view folder);

}  // namespace tarnix
