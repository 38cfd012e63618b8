#pragma once
// Dialogs for tests: every message box, file dialog and desktop hand-off is
// recorded, and answered by the next queued answer of its kind (or by the
// handler a test sets). A call that nothing answers is unexpected: it fails
// the running test at once (the test goes on, answered with Cancel /
// false) and is recorded. The window tests' main installs one before any
// test runs, so no test ever shows a real modal dialog or waits for one.
#include <QDialog>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

#include "gui/app/dialogs.h"

namespace tarnix::gui::test {

struct MessageBoxCall {
  QString text;
  QString caption;
  uint32_t type = 0;
  bool withCheck = false;
};

struct FileDialogCall {
  enum Kind { kSave, kOpen, kFolder } kind = kSave;
  FileDialogRequest request;
};

class FakeDialogs final : public Dialogs {
 public:
  FakeDialogs();  // installs itself
  ~FakeDialogs() override;  // brings back the dialogs installed before

  // --- answers ---
  // The answer of the next message box; `check` ticks its check box.
  void AnswerMessageBox(int answer, bool check = false) { boxAnswers_.push_back({answer, check}); }
  // Answers every message box that has no queued answer.
  std::function<int(const MessageBoxCall&, bool& check)> onMessageBox;
  // The path (or paths) the next file dialog returns; an empty one cancels.
  void AnswerFile(const QString& path, int filterIndex = 0) { fileAnswers_.push_back({{path}, filterIndex}); }
  void AnswerFiles(const QStringList& paths) { fileAnswers_.push_back({paths, 0}); }
  // Runs the program's own modal dialogs: gets the dialog (shown, not
  // executed), works it as a user would (its buttons close it) and answers
  // dialog.result(). Without one, dialogs are rejected and recorded as
  // unexpected.
  std::function<int(QDialog&)> onExec;
  // Results of the desktop hand-offs.
  bool openUrlSucceeds = true;
  bool startSucceeds = true;
  bool propertiesAvailable = true;

  // --- what happened ---
  std::vector<MessageBoxCall> boxes;
  std::vector<FileDialogCall> fileDialogs;
  std::vector<QString> execs;  // class names of the dialogs run
  std::vector<QUrl> urls;
  std::vector<QString> shownInFileManager, propertiesShown;
  std::vector<QStringList> started;  // program followed by its arguments
  std::vector<uint32_t> beeps;
  QStringList unexpected;  // calls nothing answered
  // False: an unexpected call is only recorded (a test that checks for it
  // itself).
  bool failOnUnexpected = true;

  // --- Dialogs ---
  int MessageBox(QWidget* owner, const QString& text, const QString& caption,
                 uint32_t type) override;
  int MessageBoxWithCheck(QWidget* owner, const QString& text, const QString& caption,
                          uint32_t type, bool& checked) override;
  bool SaveFileName(QWidget* owner, FileDialogRequest& request, QString& path) override;
  bool OpenFileNames(QWidget* owner, FileDialogRequest& request, QStringList& paths) override;
  bool ExistingFolder(QWidget* owner, const QString& caption, const QString& start,
                      QString& folder) override;
  int Exec(QDialog& dialog) override;
  bool OpenUrl(const QUrl& url, uint32_t& error) override;
  bool ShowInFileManager(const QString& path, uint32_t& error) override;
  bool CanShowItemProperties() override { return propertiesAvailable; }
  bool ShowItemProperties(const QString& path, uint32_t& error) override;
  bool StartDetached(const QString& program, const QStringList& arguments, qint64& pid,
                     uint32_t& error) override;
  void Beep(uint32_t type) override { beeps.push_back(type); }

 private:
  int Box(const MessageBoxCall& call, bool& checked);
  void Unexpected(const QString& what);
  Dialogs* previous_ = nullptr;
  struct BoxAnswer {
    int answer;
    bool check;
  };
  struct FileAnswer {
    QStringList paths;
    int filterIndex;
  };
  std::deque<BoxAnswer> boxAnswers_;
  std::deque<FileAnswer> fileAnswers_;
};

}  // namespace tarnix::gui::test
