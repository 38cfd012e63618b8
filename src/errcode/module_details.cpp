#include "errcode/module_details.h"

#include "core/error_text.h"
#include "core/wformat.h"
#include "pe/version_info.h"
#include "platform/last_error.h"
#include "platform/win_errors.h"

namespace tarnix {

ModuleDetails ReadModuleDetails(const std::wstring& path, uint16_t language) {
  ModuleDetails details;
  FixedFileInfo fixed;
  std::wstring description;
  VersionInfoRequest request;
  request.language = language;
  request.fixedInfo = &fixed;
  request.description = &description;
  const int read = ReadVersionInfo(path, request);
  if (read < 0 || !(request.found & (kVersionFixedInfo | kVersionDescription))) {
    uint32_t error = read < 0 ? GetLastError() : ERROR_RESOURCE_TYPE_NOT_FOUND;
    if (error == ERROR_SUCCESS) error = ERROR_RESOURCE_TYPE_NOT_FOUND;
    details.description = WFormat(L"<error: (%ls) %ls>", ErrorCodeToText(error).c_str(),
                                  ErrorDescription(error).c_str());
    return details;
  }
  if (request.found & kVersionFixedInfo)
    details.version = (uint64_t{fixed.fileVersionMS} << 32) | fixed.fileVersionLS;
  if (request.found & kVersionDescription) details.description = description;
  return details;
}

std::wstring FileVersionText(uint64_t version) {
  if (version == kUnknownFileVersion) return {};
  return WFormat(L"%u.%u.%u.%u", unsigned(version >> 48 & 0xFFFF), unsigned(version >> 32 & 0xFFFF),
                 unsigned(version >> 16 & 0xFFFF), unsigned(version & 0xFFFF));
}

}  // namespace tarnix
