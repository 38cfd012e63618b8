#include "errcode/search_location.h"

#include <sys/stat.h>

#include <cerrno>

#include "platform/errno_map.h"
#include "platform/text_encoding.h"
#include "platform/win_errors.h"

namespace tarnix {

std::wstring WithTrailingSeparator(std::wstring_view folder) {
  std::wstring out(folder);
  if (!out.empty() && (out.back() == L'/' || out.back() == L'\\')) return out;
  const size_t last = out.find_last_of(L"/\\");
  out += last == std::wstring::npos ? L'/' : out[last];
  return out;
}

void SplitFilePath(std::wstring_view path, std::wstring& folder, std::wstring& name) {
  const size_t last = path.find_last_of(L"/\\");
  if (last == std::wstring_view::npos) {
    folder.clear();
    name = path;
    return;
  }
  folder = path.substr(0, last + 1);
  name = path.substr(last + 1);
}

uint32_t CheckSearchLocation(const SearchLocation& location) {
  const uint32_t kind = LocationKind(location.flags);
  if (kind != kLocationFolder && kind != kLocationFile) return ERROR_INVALID_DATATYPE;
  struct stat st;
  if (::stat(ToUtf8(location.path).c_str(), &st) != 0) return Win32FromErrno(errno);
  const bool folder = S_ISDIR(st.st_mode);
  return folder == (kind == kLocationFolder) ? ERROR_SUCCESS : ERROR_BAD_FORMAT;
}

const wchar_t* LocationKindName(uint32_t flags) {
  switch (LocationKind(flags)) {
    case kLocationFolder: return L"folder";
    case kLocationFile: return L"file";
    default: return L"item";
  }
}

}  // namespace tarnix
