#include "support/fake_dialogs.h"

#include <QTest>
#include <QWidget>

#include "platform/win_errors.h"

namespace tarnix::gui::test {

FakeDialogs::FakeDialogs() : previous_(InstalledAppDialogs()) { SetAppDialogs(this); }

FakeDialogs::~FakeDialogs() { SetAppDialogs(previous_); }

void FakeDialogs::Unexpected(const QString& what) {
  unexpected.push_back(what);
  if (failOnUnexpected)
    QTest::qFail(qPrintable(QStringLiteral("unexpected %1 (answered with Cancel)").arg(what)), __FILE__, __LINE__);
}

int FakeDialogs::Box(const MessageBoxCall& call, bool& checked) {
  boxes.push_back(call);
  if (!boxAnswers_.empty()) {
    BoxAnswer a = boxAnswers_.front();
    boxAnswers_.pop_front();
    checked = a.check;
    return a.answer;
  }
  if (onMessageBox) return onMessageBox(call, checked);
  Unexpected(QStringLiteral("message box: ") + call.text);
  checked = false;
  switch (call.type & mb::kButtonsMask) {
    case mb::kOk: return IDOK;
    case mb::kYesNo: return IDNO;
    default: return IDCANCEL;
  }
}

int FakeDialogs::MessageBox(QWidget*, const QString& text, const QString& caption, uint32_t type) {
  bool checked = false;
  return Box({text, caption, type, false}, checked);
}

int FakeDialogs::MessageBoxWithCheck(QWidget*, const QString& text, const QString& caption,
                                     uint32_t type, bool& checked) {
  return Box({text, caption, type, true}, checked);
}

bool FakeDialogs::SaveFileName(QWidget*, FileDialogRequest& request, QString& path) {
  fileDialogs.push_back({FileDialogCall::kSave, request});
  if (fileAnswers_.empty()) {
    Unexpected(QStringLiteral("save dialog: ") + request.caption);
    return false;
  }
  FileAnswer a = fileAnswers_.front();
  fileAnswers_.pop_front();
  if (a.paths.isEmpty() || a.paths.front().isEmpty()) return false;
  if (a.filterIndex > 0) request.filterIndex = a.filterIndex;
  path = a.paths.front();
  return true;
}

bool FakeDialogs::OpenFileNames(QWidget*, FileDialogRequest& request, QStringList& paths) {
  fileDialogs.push_back({FileDialogCall::kOpen, request});
  if (fileAnswers_.empty()) {
    Unexpected(QStringLiteral("open dialog: ") + request.caption);
    return false;
  }
  FileAnswer a = fileAnswers_.front();
  fileAnswers_.pop_front();
  if (a.paths.isEmpty() || a.paths.front().isEmpty()) return false;
  paths = a.paths;
  return true;
}

bool FakeDialogs::ExistingFolder(QWidget*, const QString& caption, const QString& start,
                                 QString& folder) {
  FileDialogRequest r;
  r.caption = caption;
  r.folder = start;
  fileDialogs.push_back({FileDialogCall::kFolder, r});
  if (fileAnswers_.empty()) {
    Unexpected(QStringLiteral("folder dialog: ") + caption);
    return false;
  }
  FileAnswer a = fileAnswers_.front();
  fileAnswers_.pop_front();
  if (a.paths.isEmpty() || a.paths.front().isEmpty()) return false;
  folder = a.paths.front();
  return true;
}

int FakeDialogs::Exec(QDialog& dialog) {
  execs.push_back(QString::fromLatin1(dialog.metaObject()->className()));
  if (!onExec) {
    Unexpected(QStringLiteral("dialog: ") + execs.back());
    return QDialog::Rejected;
  }
  dialog.setResult(QDialog::Rejected);
  dialog.show();
  // The test clicks the dialog's buttons as a user would; a dialog it
  // leaves open is closed as by its Close button.
  int result = onExec(dialog);
  if (dialog.isVisible()) {
    dialog.reject();
    result = QDialog::Rejected;
  }
  return result;
}

bool FakeDialogs::OpenUrl(const QUrl& url, uint32_t& error) {
  urls.push_back(url);
  if (!openUrlSucceeds) error = ERROR_NO_ASSOCIATION;
  return openUrlSucceeds;
}

bool FakeDialogs::ShowInFileManager(const QString& path, uint32_t&) {
  shownInFileManager.push_back(path);
  return true;
}

bool FakeDialogs::ShowItemProperties(const QString& path, uint32_t& error) {
  propertiesShown.push_back(path);
  if (!propertiesAvailable) error = ERROR_NOT_SUPPORTED;
  return propertiesAvailable;
}

bool FakeDialogs::StartDetached(const QString& program, const QStringList& arguments, qint64& pid,
                                uint32_t& error) {
  started.push_back(QStringList{program} + arguments);
  pid = startSucceeds ? 4242 : 0;
  if (!startSucceeds) error = ERROR_FILE_NOT_FOUND;
  return startSucceeds;
}

}  // namespace tarnix::gui::test
