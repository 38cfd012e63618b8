#pragma once
// The program's windows by id. A window that another window opens
// ("Settings...", "Error Message Search...", "Try Regex Matches...") is
// registered once under its id with a factory; a command that opens it
// names the id, never the window class or the window that owns it. Until a
// window is registered, the commands that open it are greyed.
//
// A new window registers itself in RegisterProgramWindows
// (program_windows.cpp), the one place that includes every window:
//
//   RegisterWindow(WindowId::kTryRegex, [](const WindowRequest& r) {
//     return CTryRegexDlg::Show(r.owner, r.regex, r.caseSensitive, r.grammar);
//   });
//
// and another window opens it:
//
//   AddOpenCommand(*commands_, kCmdTryRegex, "Try &Regex Matches...\tCtrl+T", WindowId::kTryRegex,
//                  [this] { return RegexRequest(); }).Keys("Ctrl+T");
//   WindowRequest r(this);
//   r.page = SettingsPage::kErrorSearch;
//   OpenWindow(WindowId::kSettings, r);
#include <QPointer>
#include <QString>
#include <cstdint>
#include <functional>
#include <string>

#include "gui/app/command_set.h"

class QWidget;

namespace tarnix::gui {

enum class WindowId {
  kErrCodeSearch,   // CErrCodeSearchDlg
  kErrMsgSearch,    // CErrMsgSearchDlg
  kErrRanges,       // CErrRangesDlg
  kRegexComposer,   // CRegexComposerDlg
  kTryRegex,        // CTryRegexDlg
  kUndecorate,      // CUndecCppNameDlg
  kSettings,        // CSettingsSheet
  kHelp,            // CMoreInfoDlg
};

// The pages of the settings sheet.
enum class SettingsPage { kGeneral, kErrorSearch, kMessageBoxes };

// What the opening window hands over; each window takes what it needs.
struct WindowRequest {
  explicit WindowRequest(QWidget* owner = nullptr) : owner(owner) {}

  QWidget* owner = nullptr;
  // The regular-expression windows: the caller's expression, case flag and
  // grammar (0: the grammar setting).
  std::wstring regex;
  bool caseSensitive = false;
  uint32_t grammar = 0;
  // The composer's answer on OK: the composed expression and its case flag.
  std::function<void(const std::wstring& regex, bool caseSensitive)> composed;
  // The settings sheet's page.
  SettingsPage page = SettingsPage::kGeneral;
  // The help window's anchor ("regex", "plain_search", ...).
  QString anchor;
};

// Makes (or brings forward) the window for a request; answers it, or null
// when it was not opened (a modal window answers null once it closed).
using WindowFactory = std::function<QWidget*(const WindowRequest&)>;

// Registers `factory` under `id`, replacing one given before; an empty
// factory removes it (tests).
void RegisterWindow(WindowId id, WindowFactory factory);
bool WindowRegistered(WindowId id);
// Opens window `id`; null (and the error beep) when none is registered.
QWidget* OpenWindow(WindowId id, const WindowRequest& request);

// A command that opens window `id` with the request `request` makes; its
// enabled rule is whether the window is registered.
CommandSet::Builder AddOpenCommand(CommandSet& commands, int commandId, const char* caption, WindowId id,
                                   std::function<WindowRequest()> request);

// Registers every window of the program (the application calls it once;
// a lookup before that calls it too).
void RegisterProgramWindows();

}  // namespace tarnix::gui
