#pragma once
// The rows of the Error Code Search results list: one per hit, with its
// running number, the display text, the module and the module's details
// once the details pass has read them; and the texts the list copies and
// saves.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "errcode/error_code_search_request.h"
#include "pe/file_details.h"

namespace tarnix {

struct CodeResultRow {
  uint64_t number = 0;  // running number within the window
  ErrorCodeSearchResult result;
  std::wstring display;  // ResultDisplayText(result)
  uint64_t version = kVersionUnknown;
  std::wstring description;
};

// The columns of the list, in their default order.
enum CodeResultColumn : int {
  kCodeColumnMessage = 0,
  kCodeColumnModule,
  kCodeColumnVersion,
  kCodeColumnDescription,
  kCodeColumnSource,  // "Module" (its own message table) or "System" (the system's text)
  kCodeColumnCount
};
// The columns a stored layout from before the source column holds.
inline constexpr int kCodeColumnCountWithoutSource = kCodeColumnSource;
const wchar_t* CodeResultColumnTitle(int column);
std::wstring CodeResultField(const CodeResultRow& row, int column);

// What the copy commands put on the clipboard: whole rows ("%s\t%s\t%s\t%s":
// display text, module, version, description), only the messages (as the
// list shows them, without the code) or only the module paths; lines
// joined by "\r\n" with no break after the last.
enum class CodeResultCopy { kRows, kMessages, kModules };
std::wstring CodeResultRowsText(const std::vector<CodeResultRow>& rows, const std::vector<size_t>& selected,
                                CodeResultCopy what);

// Writes every row as "%s\t%s\t%s\t%s\r\n" to `path` (UTF-8 name) in
// UTF-16LE after its byte-order mark; an old file stays as it was unless
// everything was written. False with the last error set. `cancelled` is
// asked now and then; a cancelled save writes nothing (ERROR_CANCELLED).
bool SaveCodeResultRows(const std::string& path, const std::vector<CodeResultRow>& rows,
                        const std::function<bool()>& cancelled = nullptr);

// The stored column layout ("ErrCodeSrchResultsCols"): pairs of signed
// 32-bit little-endian column and pixel width, in shown order. Decoding
// refuses anything but each column once with a width in 0..32767; a layout
// of the four columns before the source column gets it at its end, at
// `sourceWidth`.
std::vector<uint8_t> EncodeCodeResultColumns(const std::vector<int32_t>& order,
                                             const std::vector<int32_t>& widths);
bool DecodeCodeResultColumns(const std::vector<uint8_t>& stored, std::vector<int32_t>& order,
                             std::vector<int32_t>& widths, int32_t sourceWidth = 80);

}  // namespace tarnix
