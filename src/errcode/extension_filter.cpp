#include "errcode/extension_filter.h"

#include <algorithm>

#include "platform/case_fold.h"

namespace tarnix {
namespace {
constexpr size_t kMaxExtensionLength = 259;
}

ExtensionFilter::ExtensionFilter(const std::vector<std::wstring>& extensions)
    : filtering_(!extensions.empty()) {
  for (const auto& e : extensions)
    if (e.size() < kMaxExtensionLength) extensions_.push_back(ToLowerCase(e));
}

bool ExtensionFilter::Passes(std::wstring_view fileName) const {
  if (!filtering_) return true;
  const size_t dot = fileName.rfind(L'.');
  if (dot == std::wstring_view::npos) return false;
  const std::wstring extension = ToLowerCase(fileName.substr(dot));
  return std::find(extensions_.begin(), extensions_.end(), extension) != extensions_.end();
}

}  // namespace tarnix
