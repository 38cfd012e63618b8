#pragma once
// The application object: one per process, made right after the
// QApplication. It holds what every window shares (the settings snapshot,
// the parsed command line, the cross-process locks that guard the preset
// stores, the main window), loads the settings, parses the command line and
// runs the main window until it closes.
#include <QString>
#include <QStringList>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/program_settings.h"
#include "core/setting_changes.h"
#include "platform/named_lock.h"
#include "symbolsearch/command_line.h"

class QWidget;
class QApplication;

namespace tarnix::gui {

class CTarnixApp {
 public:
  // `arguments` are the program's arguments without the program name (as
  // Qt leaves them once it has taken its own).
  explicit CTarnixApp(const QStringList& arguments);
  // The same from the process's argument vector (after QApplication took
  // its own options out of it), byte for byte: a path that is not valid
  // UTF-8 is kept as the file system names it, as tarnix-cli does.
  CTarnixApp(int argc, char** argv);
  ~CTarnixApp();
  CTarnixApp(const CTarnixApp&) = delete;
  CTarnixApp& operator=(const CTarnixApp&) = delete;

  // The one instance; null before it is made.
  static CTarnixApp* Instance();

  // The application's names and icon on the QApplication: application
  // "Tarnix", organisation the maker key, desktop file "tarnix".
  static void SetApplicationNames(QApplication& app);

  // Shows the main window and runs the event loop until it closes.
  int Run();

  ProgramSettings& settings() { return settings_; }
  const CommandLineState& commandLine() const { return commandLine_; }
  // True when the command line named a folder: the main window then takes
  // its criteria from the command line instead of the stored settings.
  bool commandLineHasCriteria() const { return !commandLine_.folder.empty(); }

  // The guards of the error-range presets and of the error code search
  // presets; null when the lock could not be made.
  NamedLock* errorRangePresetsLock() { return rangesLock_.get(); }
  NamedLock* errorCodePresetsLock() { return codesLock_.get(); }

  QWidget* mainWindow() const { return mainWindow_; }
  void setMainWindow(QWidget* w) { mainWindow_ = w; }
  std::thread::id mainThread() const { return mainThread_; }

  // After "Delete App's Temp Files && Registry Settings..." nothing may
  // write settings again in this run (placements of closing windows).
  void SetSettingsDeleted() { settingsDeleted_ = true; }
  bool settingsDeleted() const { return settingsDeleted_; }

  // The title of every main window: "Tarnix - [64-bit]".
  static QString MainWindowTitle();

 private:
  void Start(const std::vector<std::wstring>& args);

  std::thread::id mainThread_;
  ProgramSettings settings_;
  CommandLineState commandLine_;
  // The program's error texts come from the Windows folder's message
  // tables from the start, whichever window asks first.
  SettingWatch rootWatch_;
  std::unique_ptr<NamedLock> rangesLock_;
  std::unique_ptr<NamedLock> codesLock_;
  QWidget* mainWindow_ = nullptr;
  bool settingsDeleted_ = false;
};

// "This program needs a graphical display ..." when neither an X11 nor a
// Wayland display is set and no Qt platform was chosen; empty when the
// program can try to open its window.
std::string MissingDisplayMessage();

// `tarnix --help`: the command line, every switch with what it sets.
std::string DesktopUsage();

}  // namespace tarnix::gui
