#include "gui/app/desktop_actions.h"

#include <QCoreApplication>
#include <QApplication>
#include <QFileInfo>
#include <QWidget>

#include "core/error_text.h"
#include "core/event_log.h"
#include "core/setting_names.h"
#include "core/wformat.h"
#include "gui/app/dialogs.h"
#include "gui/app/online_search.h"
#include "gui/app/placement_binder.h"
#include "gui/app/tarnix_app.h"
#include "gui/app/text_convert.h"
#include "platform/last_error.h"

namespace tarnix::gui {

ProgramSettings& AppSettings() {
  if (CTarnixApp* app = CTarnixApp::Instance()) return app->settings();
  static ProgramSettings defaults;
  return defaults;
}

bool AppSettingsDeleted() {
  CTarnixApp* app = CTarnixApp::Instance();
  return app && app->settingsDeleted();
}

QString ErrorBoxText(const std::wstring& sentence, uint32_t error) {
  return ToQ(sentence + L"\n\n" + ErrorText(error));
}

void ShowErrorBox(QWidget* owner, const std::wstring& sentence, uint32_t error) {
  AppDialogs().MessageBox(owner, ErrorBoxText(sentence, error), QStringLiteral("Tarnix"), mb::kOk | mb::kIconError);
}

void ShowErrorBox(QWidget* owner, const std::wstring& text) {
  AppDialogs().MessageBox(owner, ToQ(text), QStringLiteral("Tarnix"), mb::kOk | mb::kIconError);
}

void CommandFailed(int site, const std::wstring& details) {
  EventLog::LogSiteFormat(site, L"%ls", details.c_str());
  AppDialogs().Beep(mb::kIconError);
}

bool OpenUrlOrSay(QWidget* owner, const QUrl& url) {
  uint32_t err = 0;
  if (AppDialogs().OpenUrl(url, err)) return true;
  ShowErrorBox(owner, WFormat(L"Failed to open URL:\n\n%ls", FromQ(url.toString()).c_str()), err);
  return false;
}

bool OpenOnlineSearchOrSay(QWidget* owner, const std::wstring& text) {
  uint32_t err = 0;
  if (OpenOnlineSearch(text, err)) return true;
  ShowErrorBox(owner, L"ERROR: Failed to open your web browser to perform online search.", err);
  return false;
}

namespace {

// The new instance's main window opens over this one's, cascaded: its
// placement is written for it (the main window this one asks from first).
void PlaceAnotherInstance(QWidget* owner) {
  QList<QWidget*> windows = QApplication::topLevelWidgets();
  if (owner) windows.prepend(owner->window());
  for (QWidget* w : windows)
    for (PlacementBinder* b : w->findChildren<PlacementBinder*>(Qt::FindDirectChildrenOnly))
      if (b->name() == setting::kMainWnd && w->isVisible()) {
        b->SaveForAnotherInstance();
        return;
      }
}

}  // namespace

bool StartInstance(QWidget* owner, uint32_t autoActions, const std::vector<std::wstring>& files,
                   const CommandLineValues& values, const std::wstring& folder) {
  auto args = ComposeArguments(autoActions, files, &values);
  uint32_t err = args ? 0 : GetLastError();
  if (args) {
    QStringList list;
    // Without files the folder goes first, so that the new instance takes
    // these criteria and not its stored ones.
    const QString f = ToQ(folder).trimmed();
    if (files.empty() && !f.isEmpty() && QFileInfo(f).isDir()) list.push_back(f);
    for (const auto& a : *args) list.push_back(ToQ(a));
    qint64 pid = 0;
    PlaceAnotherInstance(owner);
    if (AppDialogs().StartDetached(QCoreApplication::applicationFilePath(), list, pid, err)) return true;
  }
  ShowErrorBox(owner, L"ERROR: Failed to open another instance.", err);
  return false;
}

}  // namespace tarnix::gui
