#include "pe/file_details.h"

#include "core/error_text.h"
#include "core/wformat.h"
#include "pe/version_info.h"
#include "platform/last_error.h"
#include "platform/win_errors.h"

namespace tarnix {

FileDetails ReadFileDetails(const std::wstring& path, uint16_t language, MissingVersion missing) {
  FileDetails details;
  FixedFileInfo fixed;
  std::wstring description;
  VersionInfoRequest request;
  request.language = language;
  request.fixedInfo = &fixed;
  request.description = &description;
  const int read = ReadVersionInfo(path, request);
  const bool none = !(request.found & (kVersionFixedInfo | kVersionDescription));
  if (read < 0 || (none && missing == MissingVersion::kError)) {
    uint32_t error = read < 0 ? GetLastError() : ERROR_RESOURCE_TYPE_NOT_FOUND;
    if (error == ERROR_SUCCESS) error = ERROR_RESOURCE_TYPE_NOT_FOUND;
    details.description = VersionErrorText(error);
    return details;
  }
  if (request.found & kVersionFixedInfo)
    details.version = (uint64_t{fixed.fileVersionMS} << 32) | fixed.fileVersionLS;
  for (wchar_t& c : description)
    if (c == L'\r' || c == L'\n') c = L' ';
  details.description = std::move(description);
  return details;
}

std::wstring VersionErrorText(uint32_t error) {
  return WFormat(L"<error: (%ls) %ls>", ErrorCodeToText(error).c_str(), ErrorDescription(error).c_str());
}

std::wstring FileVersionText(uint64_t version) {
  if (version == kVersionUnknown) return {};
  return WFormat(L"%u.%u.%u.%u", unsigned(version >> 48 & 0xFFFF), unsigned(version >> 32 & 0xFFFF),
                 unsigned(version >> 16 & 0xFFFF), unsigned(version & 0xFFFF));
}

}  // namespace tarnix
