#include "gui/app/qt_dialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusReply>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>

#include "platform/win_errors.h"

namespace tarnix::gui {
namespace {

Dialogs* g_installed = nullptr;

QMessageBox::Icon IconOf(uint32_t type) {
  switch (type & mb::kIconMask) {
    case mb::kIconError: return QMessageBox::Critical;
    case mb::kIconQuestion: return QMessageBox::Question;
    case mb::kIconWarning: return QMessageBox::Warning;
    case mb::kIconInformation: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

struct ButtonSet {
  QList<QPair<QMessageBox::StandardButton, int>> buttons;  // button, dialog result
  int closeResult = IDOK;
};

ButtonSet ButtonsOf(uint32_t type) {
  switch (type & mb::kButtonsMask) {
    case mb::kOkCancel:
      return {{{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}}, IDCANCEL};
    case mb::kYesNoCancel:
      return {{{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}},
              IDCANCEL};
    case mb::kYesNo:
      return {{{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}}, IDNO};
    default:
      return {{{QMessageBox::Ok, IDOK}}, IDOK};
  }
}

int RunBox(QWidget* owner, const QString& text, const QString& caption, uint32_t type,
           bool* checked) {
  QMessageBox box(owner);
  box.setWindowTitle(caption.isEmpty() ? QStringLiteral("Tarnix") : caption);
  box.setText(text);
  box.setIcon(IconOf(type));
  box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  ButtonSet set = ButtonsOf(type);
  QList<QAbstractButton*> made;
  for (const auto& b : set.buttons) made.push_back(box.addButton(b.first));
  int def = (type & mb::kDefButtonMask) == mb::kDefButton3 ? 2
            : (type & mb::kDefButtonMask) == mb::kDefButton2 ? 1
                                                            : 0;
  if (def < made.size()) box.setDefaultButton(qobject_cast<QPushButton*>(made[def]));
  QCheckBox* check = nullptr;
  if (checked) {
    check = new QCheckBox(QString::fromUtf8(kDontShowAgainText), &box);
    box.setCheckBox(check);
  }
  box.exec();
  if (check) *checked = check->isChecked();
  QAbstractButton* clicked = box.clickedButton();
  for (int i = 0; i < made.size(); ++i)
    if (made[i] == clicked) return set.buttons[i].second;
  return set.closeResult;
}

QString WithDefaultExtension(const QString& path, const QString& ext) {
  if (ext.isEmpty() || !QFileInfo(path).suffix().isEmpty()) return path;
  return path + QLatin1Char('.') + ext;
}

// Runs the desktop's opener on `target`. Openers that hand the request on
// end at once with their answer; one that runs the program itself (a plain
// desktop with $BROWSER) is still running after a moment, and then it took
// the request. It is left to run; the program's end does not end what it
// started.
bool RunOpener(const QString& opener, const QString& target, uint32_t& error) {
  constexpr int kAnswerWaitMs = 1000;
  auto* p = new QProcess;
  p->setProgram(opener);
  p->setArguments({target});
  p->setStandardInputFile(QProcess::nullDevice());
  p->setStandardOutputFile(QProcess::nullDevice());
  p->setStandardErrorFile(QProcess::nullDevice());
  p->start();
  if (!p->waitForStarted(3000)) {
    delete p;
    error = ERROR_FILE_NOT_FOUND;
    return false;
  }
  if (!p->waitForFinished(kAnswerWaitMs)) {
    p->setParent(QCoreApplication::instance());
    QObject::connect(p, &QProcess::finished, p, &QObject::deleteLater);
    return true;
  }
  const int code = p->exitStatus() == QProcess::NormalExit ? p->exitCode() : -1;
  delete p;
  if (code == 0) return true;
  // 2: the file is not there; 3: no program for it; 4: the program failed.
  error = code == 2 ? ERROR_FILE_NOT_FOUND : ERROR_NO_ASSOCIATION;
  return false;
}

}  // namespace

const char kDontShowAgainText[] = "In the future, do not show me this dialog";

Dialogs& AppDialogs() {
  static QtDialogs real;
  return g_installed ? *g_installed : real;
}

void SetAppDialogs(Dialogs* dialogs) { g_installed = dialogs; }

Dialogs* InstalledAppDialogs() { return g_installed; }

QStringList QtNameFilters(const QString& platformFilter) {
  QStringList parts = platformFilter.split(QLatin1Char('|'));
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString desc = parts[i];
    int paren = desc.indexOf(QLatin1Char('('));
    if (paren > 0) desc = desc.left(paren).trimmed();
    QString patterns = parts[i + 1];
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    out.push_back(desc + QStringLiteral(" (") + patterns + QLatin1Char(')'));
  }
  return out;
}

QStringList FilterPatterns(const QString& platformFilter, int index) {
  QStringList parts = platformFilter.split(QLatin1Char('|'));
  int at = (index - 1) * 2 + 1;
  if (index < 1 || at >= parts.size()) return {};
  return parts[at].split(QLatin1Char(';'), Qt::SkipEmptyParts);
}

int QtDialogs::MessageBox(QWidget* owner, const QString& text, const QString& caption,
                          uint32_t type) {
  return RunBox(owner, text, caption, type, nullptr);
}

int QtDialogs::MessageBoxWithCheck(QWidget* owner, const QString& text, const QString& caption,
                                   uint32_t type, bool& checked) {
  return RunBox(owner, text, caption, type, &checked);
}

namespace {

// A file dialog of the request, run; false when the user cancelled. The
// chosen filter goes back into the request.
bool RunFileDialog(QWidget* owner, FileDialogRequest& request, QFileDialog::AcceptMode mode,
                   QStringList& chosen) {
  QFileDialog dlg(owner, request.caption, request.folder);
  dlg.setAcceptMode(mode);
  dlg.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile : QFileDialog::ExistingFiles);
  const QStringList filters = QtNameFilters(request.filter);
  dlg.setNameFilters(filters);
  if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
    dlg.selectNameFilter(filters[request.filterIndex - 1]);
  if (mode == QFileDialog::AcceptSave) {
    if (!request.defaultExtension.isEmpty()) dlg.setDefaultSuffix(request.defaultExtension);
    if (!request.fileName.isEmpty()) dlg.selectFile(request.fileName);
  }
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return false;
  request.filterIndex = static_cast<int>(filters.indexOf(dlg.selectedNameFilter())) + 1;
  chosen = dlg.selectedFiles();
  return true;
}

}  // namespace

bool QtDialogs::SaveFileName(QWidget* owner, FileDialogRequest& request, QString& path) {
  QStringList chosen;
  if (!RunFileDialog(owner, request, QFileDialog::AcceptSave, chosen)) return false;
  path = WithDefaultExtension(chosen.front(), request.defaultExtension);
  return true;
}

bool QtDialogs::OpenFileNames(QWidget* owner, FileDialogRequest& request, QStringList& paths) {
  return RunFileDialog(owner, request, QFileDialog::AcceptOpen, paths);
}

bool QtDialogs::ExistingFolder(QWidget* owner, const QString& caption, const QString& start,
                               QString& folder) {
  folder = QFileDialog::getExistingDirectory(owner, caption, start);
  return !folder.isEmpty();
}

int QtDialogs::Exec(QDialog& dialog) { return dialog.exec(); }

bool QtDialogs::OpenUrl(const QUrl& url, uint32_t& error) {
  if (!url.isValid()) {
    error = ERROR_INVALID_PARAMETER;
    return false;
  }
  // The desktop's opener says whether something took the request: it ends
  // at once with 0 when a program took it, with 3 or 4 when none did or it
  // failed (Qt's own call only knows that the opener started).
  const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
  if (opener.isEmpty()) {
    if (QDesktopServices::openUrl(url)) return true;
    error = ERROR_NO_ASSOCIATION;
    return false;
  }
  return RunOpener(opener, url.isLocalFile() ? url.toLocalFile() : url.toString(QUrl::FullyEncoded), error);
}

namespace {

// org.freedesktop.FileManager1 on the session bus, when a file manager
// offers it.
bool CallFileManager(const char* method, const QString& path) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected() || !bus.interface()) return false;
  const QString service = QStringLiteral("org.freedesktop.FileManager1");
  QDBusReply<bool> registered = bus.interface()->isServiceRegistered(service);
  if (!registered.isValid() || !registered.value()) {
    // A file manager may be started on demand by the bus.
    QDBusReply<QStringList> activatable = bus.interface()->call(QStringLiteral("ListActivatableNames"));
    if (!activatable.isValid() || !activatable.value().contains(service)) return false;
  }
  QDBusInterface fm(service, QStringLiteral("/org/freedesktop/FileManager1"), service, bus);
  if (!fm.isValid()) return false;
  QDBusMessage reply = fm.call(QString::fromLatin1(method),
                               QStringList{QUrl::fromLocalFile(path).toString()}, QString());
  return reply.type() != QDBusMessage::ErrorMessage;
}

}  // namespace

bool QtDialogs::ShowInFileManager(const QString& path, uint32_t& error) {
  if (CallFileManager("ShowItems", path)) return true;
  QFileInfo info(path);
  QString folder = info.isDir() ? info.absoluteFilePath() : info.absolutePath();
  return OpenUrl(QUrl::fromLocalFile(folder), error);
}

bool QtDialogs::CanShowItemProperties() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected() || !bus.interface()) return false;
  QDBusReply<bool> registered =
      bus.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.FileManager1"));
  return registered.isValid() && registered.value();
}

bool QtDialogs::ShowItemProperties(const QString& path, uint32_t& error) {
  if (CallFileManager("ShowItemProperties", path)) return true;
  error = ERROR_NOT_SUPPORTED;
  return false;
}

bool QtDialogs::StartDetached(const QString& program, const QStringList& arguments, qint64& pid,
                              uint32_t& error) {
  QProcess process;
  process.setProgram(program);
  process.setArguments(arguments);
  if (process.startDetached(&pid)) return true;
  error = QFileInfo::exists(program) ? ERROR_ACCESS_DENIED : ERROR_FILE_NOT_FOUND;
  return false;
}

void QtDialogs::Beep(uint32_t) { QApplication::beep(); }

}  // namespace tarnix::gui
