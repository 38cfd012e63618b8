#include "gui/app/tarnix_app.h"

#include <QApplication>
#include <QIcon>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "core/event_log.h"
#include "core/program_windows_root.h"
#include "core/registry_settings.h"
#include "core/store_notes.h"
#include "gui/app/dialogs.h"
#include "gui/app/text_convert.h"
#include "gui/mainwnd/tarnix_dlg.h"
#include "pe/system_message_sources.h"
#include "platform/last_error.h"
#include "platform/registry.h"
#include "platform/text_encoding.h"
#include "platform/win_errors.h"

namespace tarnix::gui {
namespace {

CTarnixApp* g_app = nullptr;

// How long the window's thread waits for a locked store: reads, then writes
// (which then go to the store's queue).
constexpr uint32_t kWindowStoreReadWaitMs = 250;
constexpr uint32_t kWindowStoreWriteWaitMs = 100;

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
  std::vector<std::wstring> args;
  for (const QString& a : arguments) args.push_back(FromQ(a));
  Start(args);
}

CTarnixApp::CTarnixApp(int argc, char** argv) : mainThread_(std::this_thread::get_id()) {
  std::vector<std::wstring> args;
  for (int i = 1; i < argc; ++i) args.push_back(FromUtf8(argv[i]));
  Start(args);
}

void CTarnixApp::Start(const std::vector<std::wstring>& args) {
  g_app = this;
  // The window never waits on a store another program holds: reads give
  // up after a moment (the defaults apply), writes wait in a queue.
  StoreWaits waits;
  waits.readMs = kWindowStoreReadWaitMs;
  waits.writeMs = kWindowStoreWriteWaitMs;
  waits.deferBusyWrites = true;
  Registry::SetWaits(waits);
  rangesLock_ = MakeLock(kErrMsgPresetsLockName);
  codesLock_ = MakeLock(kErrCodePresetsLockName);

  RegistrySettings store;
  settings_ = ProgramSettings::Load(store, [](const std::wstring& text) {
    EventLog::LogFormat(L"%ls", text.c_str());
    AppDialogs().Beep(mb::kIconError);
  });

  InstallSystemMessageSources(ProgramWindowsRoot());
  rootWatch_ = SettingWatch([](SettingId id) {
    if (id == SettingId::kWindowsRoot) InstallSystemMessageSources(ProgramWindowsRoot());
  });

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
  // Settings writes still queued for a locked or full store get a last
  // chance; what cannot be saved is logged.
  const std::wstring unsaved = FinishStoreWrites();
  if (!unsaved.empty()) {
    EventLog::LogFormat(L"%ls", unsaved.c_str());
    std::fprintf(stderr, "tarnix: %s\n", ToUtf8(unsaved).c_str());
  }
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

namespace tarnix::gui {
namespace {

// "  TERM  text", the text wrapped at 79 columns below itself.
void AddDefinition(std::string& out, const std::string& term, const std::string& text) {
  constexpr size_t kColumn = 18, kWidth = 79;
  std::string line = "  " + term;
  line.resize(std::max(line.size() + 2, kColumn), ' ');
  size_t at = 0;
  while (at < text.size()) {
    size_t room = kWidth - line.size();
    size_t end = text.size();
    if (end - at > room) {
      end = text.rfind(' ', at + room);
      if (end == std::string::npos || end <= at) end = text.find(' ', at + room);
      if (end == std::string::npos) end = text.size();
    }
    line += text.substr(at, end - at);
    out += line + "\n";
    at = end < text.size() ? end + 1 : end;
    line.assign(kColumn, ' ');
  }
}

}  // namespace

std::string DesktopUsage() {
  std::string out =
      "usage: tarnix [FOLDER|FILE...] [--name TEXT] [--for TEXT] [/SWITCH VALUE...]\n"
      "       tarnix --help\n"
      "       tarnix --version\n"
      "Opens the main window. With a folder (or files of one folder) the window\n"
      "takes the folder and the criteria of the switches instead of the saved ones;\n"
      "/auto 1 starts the search at once.\n";
  AddDefinition(out, "FOLDER", "the folder to search");
  AddDefinition(out, "FILE", "files of one folder to search; their names become 'File Name'");
  AddDefinition(out, "--name TEXT", "'File Name', as tarnix-cli search takes it");
  AddDefinition(out, "--for TEXT", "'Search For', as tarnix-cli search takes it");
  for (const SwitchHelp& s : CommandLineSwitchHelp()) AddDefinition(out, "/" + s.name + " " + s.value, s.text);
  out +=
      "Switch names take any letter case, '-' works as '/', values are decimal.\n"
      "Qt's own options (-platform NAME, -style NAME, ...) are taken as well.\n"
      "Exit status: 0 when the window was closed, 1 when no display could be opened.\n";
  return out;
}

}  // namespace tarnix::gui
