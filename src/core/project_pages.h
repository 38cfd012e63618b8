#pragma once
// The addresses of the project's own pages: its home, where feedback goes,
// and where updates are announced. "%NAME%", "%VER%" and "%DESC%" stand for
// the percent-encoded program name, version and a short system description.
#include "tarnix_version.h"

namespace tarnix {

inline constexpr wchar_t kHomePageUrl[] = L"" TARNIX_HOMEPAGE_URL;
inline constexpr wchar_t kFeedbackUrlTemplate[] =
    L"https://github.com/search?type=issues&q=%NAME%+%VER%+%DESC%";
inline constexpr wchar_t kUpdatesUrlTemplate[] =
    L"https://github.com/search?type=repositories&q=%NAME%+%VER%";

}  // namespace tarnix
