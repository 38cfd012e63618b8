#include "gui/app/tarnix_app.h"

#include <QApplication>
#include <QIcon>
#include <cstdlib>

#include "core/event_log.h"
#include "core/registry_settings.h"
#include "gui/app/dialogs.h"
#include "gui/app/text_convert.h"
#include "gui/mainwnd/tarnix_dlg.h"
#include "platform/last_error.h"
#include "platform/registry.h"
#include "platform/win_errors.h"

namespace tarnix::gui {
namespace {

CTarnixApp* g_app = nullptr;

// A lock that cannot be used is logged; the store it guards then runs
// unguarded.
std::unique_ptr<NamedLock> MakeLock(const char* name) {
  auto lock = std::make_unique<NamedLock>(name);
  if (lock->Acquire(0)) {
    lock->Release();
    return lock;
  }
  const uint32_t err = GetLastError();
  if (err == ERROR_TIMEOUT) return lock;  // another instance holds it: it works
  EventLog::LogFormat(L"specErr=%d", static_cast<int>(err));
  return nullptr;
}

}  // namespace

CTarnixApp::CTarnixApp(const QStringList& arguments) : mainThread_(std::this_thread::get_id()) {
  g_app = this;
  rangesLock_ = MakeLock(kErrMsgPresetsLockName);
  codesLock_ = MakeLock(kErrCodePresetsLockName);

  RegistrySettings store;
  settings_ = ProgramSettings::Load(store, [](const std::wstring& text) {
    EventLog::LogFormat(L"%ls", text.c_str());
    AppDialogs().Beep(mb::kIconError);
  });

  std::vector<std::wstring> args;
  for (const QString& a : arguments) args.push_back(FromQ(a));
  std::wstring whole;
  for (const auto& a : args) whole += (whole.empty() ? L"" : L" ") + a;
  (void)whole;
  commandLine_ = ParseCommandLine(args, [](const std::wstring& text) {
    EventLog::LogFormat(L"%ls", text.c_str());
    AppDialogs().Beep(mb::kIconError);
  });
}

CTarnixApp::~CTarnixApp() {
  if (g_app == this) g_app = nullptr;
}

CTarnixApp* CTarnixApp::Instance() { return g_app; }

void CTarnixApp::SetApplicationNames(QApplication& app) {
  app.setApplicationName(QStringLiteral("Tarnix"));
  app.setOrganizationName(ToQ(kMakerKey));
  app.setApplicationVersion(QString::fromWCharArray(EventLog::kVersion));
  app.setDesktopFileName(QStringLiteral("tarnix"));
  QIcon own;
  for (int size : {16, 32, 48, 64, 128, 256})
    own.addFile(QStringLiteral(":/icons/tarnix-%1.png").arg(size), QSize(size, size));
  app.setWindowIcon(QIcon::fromTheme(QStringLiteral("tarnix"), own));
}

QString CTarnixApp::MainWindowTitle() { return QStringLiteral("Tarnix - [64-bit]"); }

int CTarnixApp::Run() {
  CTarnixDlg dlg;
  mainWindow_ = &dlg;
  dlg.show();
  const int rc = QApplication::exec();
  mainWindow_ = nullptr;
  return rc;
}

std::string MissingDisplayMessage() {
  auto set = [](const char* name) {
    const char* v = std::getenv(name);
    return v && *v;
  };
  if (set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY")) return {};
  return "tarnix: no graphical display was found (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
         "Start it from a desktop session, or run it without a screen with "
         "QT_QPA_PLATFORM=offscreen.\n"
         "For searches without a window, use tarnix-cli (tarnix-cli --help).\n";
}

}  // namespace tarnix::gui
