#pragma once
// Every message box, file dialog and desktop hand-off (browser, file
// manager, another process, beep) of the desktop program goes through one
// Dialogs object, so that tests answer them and no test ever blocks on a
// real modal dialog. The program installs QtDialogs; tests install a fake.
//
// Message boxes take the platform's MB_* type bits and answer the
// platform's dialog results, so that the engine's questions (which carry
// those bits) pass through unchanged.
#include <QString>
#include <QStringList>
#include <QUrl>
#include <cstdint>

class QDialog;
class QWidget;

namespace tarnix::gui {

// Message box types (the low bits choose the buttons, the next the icon,
// the next the default button).
namespace mb {
inline constexpr uint32_t kOk = 0x0;
inline constexpr uint32_t kOkCancel = 0x1;
inline constexpr uint32_t kYesNoCancel = 0x3;
inline constexpr uint32_t kYesNo = 0x4;
inline constexpr uint32_t kButtonsMask = 0xF;
inline constexpr uint32_t kIconError = 0x10;        // MB_ICONHAND
inline constexpr uint32_t kIconQuestion = 0x20;
inline constexpr uint32_t kIconWarning = 0x30;      // MB_ICONEXCLAMATION
inline constexpr uint32_t kIconInformation = 0x40;  // MB_ICONASTERISK
inline constexpr uint32_t kIconMask = 0xF0;
inline constexpr uint32_t kDefButton2 = 0x100;
inline constexpr uint32_t kDefButton3 = 0x200;
inline constexpr uint32_t kDefButtonMask = 0xF00;
}  // namespace mb

// Dialog results.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// The check box of a confirmable message box.
extern const char kDontShowAgainText[];  // "In the future, do not show me this dialog"

// A file dialog request. `filter` is in the platform's form, pairs of
// description and patterns each ended by "|" ("Text File (*.txt)|*.txt|All
// Files (*.*)|*.*|"); `filterIndex` is 1-based and is updated to the
// filter the user chose.
struct FileDialogRequest {
  QString caption;
  QString folder;    // where the dialog starts; empty: the last place
  QString fileName;  // proposed name (save dialogs)
  QString filter;
  QString defaultExtension;  // without the dot; appended when the name has none
  int filterIndex = 1;
};

class Dialogs {
 public:
  virtual ~Dialogs() = default;

  // A message box with the program's caption unless `caption` is given.
  // Answers IDOK, IDCANCEL, IDYES or IDNO (the Close button answers
  // IDCANCEL where there is a Cancel button, else IDOK or IDNO).
  virtual int MessageBox(QWidget* owner, const QString& text, const QString& caption,
                         uint32_t type) = 0;
  // The same box with the check box kDontShowAgainText; `checked` says
  // whether the user ticked it.
  virtual int MessageBoxWithCheck(QWidget* owner, const QString& text, const QString& caption,
                                  uint32_t type, bool& checked) = 0;

  // File dialogs: false when the user cancelled.
  virtual bool SaveFileName(QWidget* owner, FileDialogRequest& request, QString& path) = 0;
  virtual bool OpenFileNames(QWidget* owner, FileDialogRequest& request, QStringList& paths) = 0;
  virtual bool ExistingFolder(QWidget* owner, const QString& caption, const QString& start,
                              QString& folder) = 0;

  // Runs one of the program's own modal dialogs and answers its result
  // (QDialog::Accepted or Rejected). Tests fill the dialog's widgets and
  // answer instead of showing it.
  virtual int Exec(QDialog& dialog) = 0;

  // Hands a URL (web page or file) to the desktop. False with the platform
  // error code in `error` when nothing could take it.
  virtual bool OpenUrl(const QUrl& url, uint32_t& error) = 0;
  // Shows `path` selected in the file manager (the freedesktop
  // FileManager1 interface), else opens its folder.
  virtual bool ShowInFileManager(const QString& path, uint32_t& error) = 0;
  // The file manager's properties of `path`, where it offers them.
  virtual bool CanShowItemProperties() = 0;
  virtual bool ShowItemProperties(const QString& path, uint32_t& error) = 0;
  // Starts another program without waiting for it; its process id in `pid`.
  virtual bool StartDetached(const QString& program, const QStringList& arguments, qint64& pid,
                             uint32_t& error) = 0;

  // The sound of a message box icon (mb::kIcon...; 0 the simple beep).
  virtual void Beep(uint32_t type) = 0;
};

// The program's Dialogs. Until one is installed, a QtDialogs.
Dialogs& AppDialogs();
// Installs `dialogs` (not owned; null brings back the default).
void SetAppDialogs(Dialogs* dialogs);
// The installed dialogs; null while the default serves.
Dialogs* InstalledAppDialogs();

// The platform form of a file-dialog filter as Qt's name filters:
// "Text File (*.txt)|*.txt|" gives "Text File (*.txt)".
QStringList QtNameFilters(const QString& platformFilter);
// The patterns of filter `index` (1-based) of a platform filter ("*.txt").
QStringList FilterPatterns(const QString& platformFilter, int index);

}  // namespace tarnix::gui
