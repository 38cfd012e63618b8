#pragma once
// What every window does the same way when it hands something to the
// desktop or reports a failure to the user:
//
//   ShowErrorBox(this, L"ERROR: Failed to save ...:\n\n" + path, GetLastError());
//   OpenUrlOrSay(this, QUrl::fromLocalFile(page));
//   OpenOnlineSearchOrSay(this, L"CreateFileW");
//   StartInstance(this, kAutoForeground | kAutoStartSearch, {module}, values);
#include <QString>
#include <QUrl>
#include <cstdint>
#include <string>
#include <vector>

#include "core/program_settings.h"
#include "symbolsearch/command_line.h"

class QWidget;

namespace tarnix::gui {

// The settings snapshot of the running program (defaults when there is no
// application object, as in some tests).
ProgramSettings& AppSettings();
// True once "Delete App's Temp Files && Registry Settings..." ran: nothing
// may write settings again in this run.
bool AppSettingsDeleted();

// An error box (caption "Tarnix", error icon) whose text is `sentence`, an
// empty line and the error text "(%s) %s" of `error`.
void ShowErrorBox(QWidget* owner, const std::wstring& sentence, uint32_t error);
// The same box with `text` alone (a message that needs no error code).
void ShowErrorBox(QWidget* owner, const std::wstring& text);
// The text of that box.
QString ErrorBoxText(const std::wstring& sentence, uint32_t error);

// A command that failed without a box: `details` logged with its site,
// and the error beep.
void CommandFailed(int site, const std::wstring& details);

// Hands `url` to the desktop; says "Failed to open URL:" with the error
// when nothing takes it.
bool OpenUrlOrSay(QWidget* owner, const QUrl& url);

// Opens the browser on the online search for `text` (the "OnlineSearchURL"
// template); says "ERROR: Failed to open your web browser to perform online
// search." with the error when it cannot.
bool OpenOnlineSearchOrSay(QWidget* owner, const std::wstring& text);

// Starts another instance of the program with `values` as its switches,
// `files` (or, without files, `folder` when it is a folder) as what it
// searches, and `autoActions`; says "ERROR: Failed to open another
// instance." with the error when it cannot.
bool StartInstance(QWidget* owner, uint32_t autoActions, const std::vector<std::wstring>& files,
                   const CommandLineValues& values, const std::wstring& folder = {});

}  // namespace tarnix::gui
