#include "platform/system_messages.h"

#include <algorithm>
#include <iterator>
#include <mutex>

#include "platform/last_error.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

struct OwnText {
  uint32_t code;
  const wchar_t* text;
};

// One line for every code the program itself raises, in the program's own
// words, sorted by code. Used when no message table answers.
constexpr OwnText kOwnTexts[] = {
    {ERROR_SUCCESS, L"The operation completed successfully."},
    {ERROR_INVALID_FUNCTION, L"The function is not supported here."},
    {ERROR_FILE_NOT_FOUND, L"The file could not be found."},
    {ERROR_PATH_NOT_FOUND, L"The path could not be found."},
    {ERROR_TOO_MANY_OPEN_FILES, L"Too many files are open."},
    {ERROR_ACCESS_DENIED, L"Access is denied."},
    {ERROR_INVALID_HANDLE, L"The handle is not valid."},
    {ERROR_NOT_ENOUGH_MEMORY, L"There is not enough memory to finish the operation."},
    {ERROR_INVALID_BLOCK, L"A data block lies outside the data that holds it."},
    {ERROR_BAD_FORMAT, L"The file is not in a format that can be read."},
    {ERROR_INVALID_ACCESS, L"The data does not have the expected key or signature."},
    {ERROR_INVALID_DATA, L"The data is not valid."},
    {ERROR_OUTOFMEMORY, L"There is not enough memory to finish the operation."},
    {ERROR_NO_MORE_FILES, L"There are no more files."},
    {ERROR_BAD_UNIT, L"The written length differs from the measured length."},
    {ERROR_NOT_READY, L"The device is not ready."},
    {ERROR_BAD_LENGTH, L"A length in the data is not valid."},
    {ERROR_SEEK, L"Moving the file position failed."},
    {ERROR_WRITE_FAULT, L"Writing to the file failed."},
    {ERROR_READ_FAULT, L"Reading from the file failed."},
    {ERROR_GEN_FAILURE, L"The operation failed."},
    {ERROR_SHARING_VIOLATION, L"Another process is using the file."},
    {ERROR_LOCK_VIOLATION, L"Another process has locked a part of the file."},
    {ERROR_HANDLE_EOF, L"The end of the file was reached."},
    {ERROR_HANDLE_DISK_FULL, L"The disk is full."},
    {ERROR_NOT_SUPPORTED, L"The request is not supported."},
    {ERROR_TOO_MANY_CMDS, L"There are too many items."},
    {ERROR_NETNAME_DELETED, L"The network name is no longer available."},
    {ERROR_NETWORK_ACCESS_DENIED, L"Network access is denied."},
    {ERROR_TOO_MANY_NAMES, L"There are too many names."},
    {ERROR_FILE_EXISTS, L"The file exists."},
    {ERROR_ALREADY_ASSIGNED, L"The work is already running."},
    {ERROR_INVALID_PARAMETER, L"A parameter is not valid."},
    {ERROR_BROKEN_PIPE, L"The pipe has been ended."},
    {ERROR_BUFFER_OVERFLOW, L"The data ends in a piece too small to hold another block."},
    {ERROR_DISK_FULL, L"There is not enough space on the disk."},
    {ERROR_INVALID_CATEGORY, L"The category is not valid."},
    {ERROR_INSUFFICIENT_BUFFER, L"The data area is too small."},
    {ERROR_INVALID_NAME, L"The file name, folder name or volume label syntax is not valid."},
    {ERROR_MOD_NOT_FOUND, L"The module could not be found."},
    {ERROR_PROC_NOT_FOUND, L"The procedure could not be found."},
    {ERROR_DIR_NOT_EMPTY, L"The folder is not empty."},
    {ERROR_BUSY, L"The resource is in use."},
    {ERROR_ALREADY_EXISTS, L"The file or folder already exists."},
    {ERROR_INVALID_FLAG_NUMBER, L"The kind of an item is not valid."},
    {ERROR_BAD_EXE_FORMAT, L"The file is not a valid executable image."},
    {ERROR_FILENAME_EXCED_RANGE, L"The file name or path is too long."},
    {ERROR_FILE_TOO_LARGE, L"The file is too large."},
    {ERROR_PIPE_NOT_CONNECTED, L"No process is on the other end of the pipe."},
    {ERROR_MORE_DATA, L"More data is available."},
    {ERROR_NO_MORE_ITEMS, L"There are no more items."},
    {ERROR_DIRECTORY, L"The name is not a valid folder name."},
    {ERROR_INVALID_EXCEPTION_HANDLER, L"The image is malformed: reading it touched memory outside the file."},
    {ERROR_MR_MID_NOT_FOUND, L"No message text exists for this code in the message table."},
    {ERROR_CHECKSUM_MISMATCH, L"The data does not match its recorded length or checksum."},
    {ERROR_INVALID_ADDRESS, L"The address is not inside any section."},
    {ERROR_INVALID_FLAGS, L"The flags are not valid."},
    {ERROR_NO_ASSOCIATION, L"No program is associated with this file or address."},
    {ERROR_NOT_FOUND, L"The item was not found."},
    {ERROR_CANCELLED, L"The operation was cancelled."},
    {ERROR_INVALID_NAME_LENGTH, L"A name or path is too long."},
    {ERROR_INVALID_NE_IMAGE, L"The file is a 16-bit (NE) image."},
    {ERROR_INVALID_RESOURCE, L"The resource directory is malformed."},
    {ERROR_INVALID_WINDOW_HANDLE, L"The receiver of the messages has closed."},
    {ERROR_TIMEOUT, L"The wait timed out."},
    {ERROR_INCORRECT_SIZE, L"The result does not fit in 32 bits."},
    {ERROR_INVALID_FIELD, L"A block's length is too small to hold the block."},
    {ERROR_CANNOT_COMPOSE, L"The command line cannot be composed from these items."},
    {ERROR_FILE_TOO_SMALL, L"The file is too small to be an image."},
    {ERROR_INVALID_DATATYPE, L"The data type is not valid."},
    {ERROR_RESOURCE_DATA_NOT_FOUND, L"The image holds no resource data."},
    {ERROR_RESOURCE_TYPE_NOT_FOUND, L"The resource type is not in the image."},
    {ERROR_RESOURCE_NAME_NOT_FOUND, L"The resource name is not in the image."},
    {ERROR_RESOURCE_LANG_NOT_FOUND, L"The resource language is not in the image."},
    {ERROR_NOT_ENOUGH_QUOTA, L"The message queue is full."},
    {ERROR_UNSUPPORTED_VERSION, L"The data has a version that is not supported."},
    {ERROR_BAD_VERSION_KEY, L"The version resource has an unexpected key."},
    {ERROR_CANT_RESOLVE_FILENAME, L"The name cannot be resolved: its links lead too far or round in a circle."},
    {ERROR_EMPTY_NAME, L"The name is empty."},
    {ERROR_NOT_ABSOLUTE_PATH, L"The path must be absolute."},
    {ERROR_RVA_OUT_OF_RANGE, L"The relative virtual address is out of range."},
    {ERROR_BAD_PATH_ITEM, L"The path is not valid."},
    {ERROR_SEPARATOR_MISSING, L"The value lacks its separator character."},
    {ERROR_UNKNOWN_ID, L"The identifier is not known."},
    {ERROR_NOTHING_ENTERED, L"Nothing was provided."},
    {ERROR_VALUE_TOO_LARGE, L"The number is out of range."},
    {ERROR_TOO_MANY_ITEMS, L"There are too many items in the list."},
    {ERROR_EMPTY_TEXT, L"The text is empty."},
    {ERROR_NAME_TOO_LONG, L"The name is too long."},
    {ERROR_NO_SUCH_BUILD, L"This build of the program has no such variant."},
    {ERROR_INVALID_NAME_CHARS, L"The name holds characters that are not allowed."},
    {ERROR_INTERNET_TIMEOUT, L"The request timed out."},
    {ERROR_BAD_NUMBER_TEXT, L"The text holds characters that are not part of a number."},
    {ERROR_UNDECORATION_FAILED, L"The name could not be undecorated."},
    {ERROR_NOT_AN_IMAGE, L"The data is not a PE image."},
    {ERROR_NO_PROCESS_ID, L"The new process has no identifier."},
    {ERROR_MUI_FILE_NOT_FOUND, L"The language resource file could not be found."},
    {ERROR_MUI_FILE_NOT_LOADED, L"The language resource file could not be loaded."},
    {ERROR_BAD_VERSION_TABLE, L"The version string table is malformed."},
    {ERROR_NAME_ALREADY_USED, L"The name is already used."},
    {ERROR_TOO_MANY_PRESETS, L"There are too many presets."},
};

constexpr bool OwnTextsSorted() {
  for (size_t i = 1; i < std::size(kOwnTexts); ++i)
    if (kOwnTexts[i - 1].code >= kOwnTexts[i].code) return false;
  return true;
}
static_assert(OwnTextsSorted(), "the own texts are looked up by binary search");

std::mutex g_providerLock;  // guards both providers and the catalog
SystemMessageProvider g_system;
SystemMessageProvider g_internet;
SystemMessageCatalog g_catalog;

bool Ask(const SystemMessageProvider& p, uint32_t code, uint32_t langId,
         std::wstring& text) {
  SystemMessageProvider copy;
  {
    std::lock_guard<std::mutex> lock(g_providerLock);
    copy = p;
  }
  return copy && copy(code, langId, text);
}

}  // namespace

void SetSystemMessageProvider(SystemMessageProvider provider) {
  std::lock_guard<std::mutex> lock(g_providerLock);
  g_system = std::move(provider);
  g_catalog = {};
}

void SetSystemMessageCatalog(SystemMessageCatalog catalog) {
  std::lock_guard<std::mutex> lock(g_providerLock);
  g_catalog = std::move(catalog);
}

bool ListSystemMessageCodes(uint32_t langId, std::vector<uint32_t>& codes) {
  codes.clear();
  SystemMessageCatalog catalog;
  bool hasProvider = false;
  {
    std::lock_guard<std::mutex> lock(g_providerLock);
    catalog = g_catalog;
    hasProvider = static_cast<bool>(g_system);
  }
  if (hasProvider) {
    if (!catalog.codes) return false;
    catalog.codes(langId, codes);
  }
  for (const OwnText& own : kOwnTexts) codes.push_back(own.code);
  // The facility-7 HRESULTs are answered with the text of their Win32 code.
  const size_t direct = codes.size();
  for (size_t i = 0; i < direct; ++i)
    if (codes[i] <= 0xFFFF) codes.push_back(0x80070000u | codes[i]);
  std::sort(codes.begin(), codes.end());
  codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
  return true;
}

std::vector<uint16_t> SystemMessageLanguages() {
  SystemMessageCatalog catalog;
  {
    std::lock_guard<std::mutex> lock(g_providerLock);
    if (!g_system) return {};
    catalog = g_catalog;
  }
  std::vector<uint16_t> languages;
  if (catalog.languages) catalog.languages(languages);
  std::sort(languages.begin(), languages.end());
  languages.erase(std::unique(languages.begin(), languages.end()), languages.end());
  return languages;
}

void SetInternetMessageProvider(SystemMessageProvider provider) {
  std::lock_guard<std::mutex> lock(g_providerLock);
  g_internet = std::move(provider);
}

const wchar_t* OwnErrorDescription(uint32_t code) {
  auto it = std::lower_bound(
      std::begin(kOwnTexts), std::end(kOwnTexts), code,
      [](const OwnText& t, uint32_t c) { return t.code < c; });
  return it != std::end(kOwnTexts) && it->code == code ? it->text : nullptr;
}

bool FormatSystemMessage(uint32_t code, uint32_t langId, std::wstring& text) {
  text.clear();
  if (Ask(g_system, code, langId, text)) return true;
  // An HRESULT of facility 7 wraps a Win32 code, and the system answers it
  // with that code's text.
  const bool wrapsWin32 = (code & 0xFFFF0000u) == 0x80070000u;
  if (wrapsWin32 && Ask(g_system, code & 0xFFFF, langId, text)) return true;
  const wchar_t* own = OwnErrorDescription(code);
  if (!own && wrapsWin32) own = OwnErrorDescription(code & 0xFFFF);
  if (own) {
    text = own;
    SetLastError(ERROR_SUCCESS);
    return true;
  }
  text.clear();
  SetLastError(ERROR_MR_MID_NOT_FOUND);
  return false;
}

bool FormatInternetMessage(uint32_t code, uint32_t langId, std::wstring& text) {
  text.clear();
  if (Ask(g_internet, code, langId, text)) return true;
  if (const wchar_t* own = OwnErrorDescription(code)) {
    text = own;
    return true;
  }
  SetLastError(ERROR_MR_MID_NOT_FOUND);
  return false;
}

}  // namespace tarnix
