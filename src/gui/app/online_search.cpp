#include "gui/app/online_search.h"

#include "gui/app/dialogs.h"
#include "gui/app/tarnix_app.h"
#include "gui/app/text_convert.h"
#include "results/html_report.h"

namespace tarnix::gui {

QUrl OnlineSearchQueryUrl(const std::wstring& text) {
  CTarnixApp* app = CTarnixApp::Instance();
  const std::wstring url =
      OnlineSearchUrl(app ? app->settings().onlineSearchUrl : std::wstring(kDefaultOnlineSearchUrl), text);
  return QUrl(ToQ(url), QUrl::StrictMode);
}

bool OpenOnlineSearch(const std::wstring& text, uint32_t& error) {
  return AppDialogs().OpenUrl(OnlineSearchQueryUrl(text), error);
}

}  // namespace tarnix::gui
