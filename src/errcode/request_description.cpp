#include "core/wformat.h"
#include "errcode/error_code_search_request.h"

namespace tarnix {

std::wstring DescribeErrorCodeSearchRequest(const ErrorCodeSearchRequest& r) {
  std::wstring paths;
  for (size_t i = 0; i < r.locations.size(); ++i) {
    if (i) paths += L", ";
    paths += WFormat(L"path=\"%ls\", flags=0x%X, order=%d", r.locations[i].path.c_str(),
                     r.locations[i].flags, static_cast<int>(i));
  }
  std::wstring extensions;
  for (size_t i = 0; i < r.fileExtensions.size(); ++i) {
    if (i) extensions += L";";
    extensions += r.fileExtensions[i];
  }
  return WFormat(
      L"pStop=0x%p (val=%d), hWnd=0x%p, srchErrCode=%u (type:%d), paths[%zu]={%ls}, "
      L"fileExts[%zu]={%ls}",
      static_cast<void*>(r.stop), r.stop ? static_cast<int>(r.stop->load()) : 0,
      static_cast<void*>(r.window), r.code, static_cast<int>(r.kind), r.locations.size(),
      paths.c_str(), r.fileExtensions.size(), extensions.c_str());
}

}  // namespace tarnix
