#include "errmsg/message_code_index.h"

#include <algorithm>

#include "platform/system_messages.h"

namespace tarnix {

bool SystemMessageCodes(uint32_t language, std::vector<uint32_t>& codes) {
  return ListSystemMessageCodes(language, codes);
}

std::vector<uint32_t> MergeModuleCodes(const std::vector<uint32_t>& system,
                                       const MessageModule* module) {
  if (!module) return system;
  std::vector<uint32_t> own;
  module->CollectMessageIds(own);
  std::sort(own.begin(), own.end());
  own.erase(std::unique(own.begin(), own.end()), own.end());
  std::vector<uint32_t> merged;
  merged.reserve(system.size() + own.size());
  std::set_union(system.begin(), system.end(), own.begin(), own.end(),
                 std::back_inserter(merged));
  return merged;
}

}  // namespace tarnix
