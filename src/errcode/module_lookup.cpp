#include "errcode/module_lookup.h"

#include "pe/message_module.h"
#include "platform/last_error.h"
#include "platform/system_messages.h"
#include "platform/win_errors.h"

namespace tarnix {

ModuleLookup LookupErrorCode(const std::wstring& path, uint32_t code, uint16_t language,
                             std::wstring& text, uint32_t& error) {
  text.clear();
  error = ERROR_SUCCESS;
  MessageModule module;
  if (!module.Load(path)) {
    error = GetLastError();
    return ModuleLookup::kNotLoadable;
  }
  // The formatter's order, the module's own table first; which of the two
  // answered is told apart.
  const bool own = module.Format(code, language, text);
  if (!own && !FormatSystemMessage(code, language, text)) {
    error = GetLastError();
    if (error == ERROR_SUCCESS) error = ERROR_MR_MID_NOT_FOUND;
    text.clear();
    return ModuleLookup::kNoMessage;
  }
  if (text.empty()) {
    // The formatter said yes but gave nothing: reported as a bad answer.
    error = ERROR_INVALID_ADDRESS;
    return ModuleLookup::kNoMessage;
  }
  return own ? ModuleLookup::kFound : ModuleLookup::kFoundSystem;
}

bool IsSilentLookupError(uint32_t error) {
  switch (error) {
    case ERROR_MR_MID_NOT_FOUND:
    case ERROR_RESOURCE_DATA_NOT_FOUND:
    case ERROR_RESOURCE_TYPE_NOT_FOUND:
    case ERROR_RESOURCE_NAME_NOT_FOUND:
    case ERROR_MUI_FILE_NOT_FOUND:
    case ERROR_MUI_FILE_NOT_LOADED:
      return true;
    default:
      return false;
  }
}

}  // namespace tarnix
