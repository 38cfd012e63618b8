#pragma once
// The "Try Regex Matches" window: an expression with its "||" components,
// a case flag and a grammar tried on lines of text, one result per line.
// The evaluation (tools/regex_trial.h) runs off the window's thread with the
// searches' own engine; every change starts a new one and only the newest
// is shown. Modeless, one per process.
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <string>

class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QTimer;

namespace tarnix {
class RegexTrialRunner;
struct RegexTrialResult;
}  // namespace tarnix

namespace tarnix::gui {

class CComboBoxAuto;
class ToolWindowClosing;

class CTryRegexDlg : public QWidget {
  Q_OBJECT
 public:
  // Opens the window (or brings the open one forward) over `owner`'s window
  // with the expression (cut to 1040 characters), case flag and grammar (0:
  // the grammar setting), and evaluates at once.
  static CTryRegexDlg* Show(QWidget* owner, const std::wstring& regex, bool caseSensitive, uint32_t grammar);
  static CTryRegexDlg* Instance();

  explicit CTryRegexDlg(QWidget* parent = nullptr);
  ~CTryRegexDlg() override;

  void SetInput(const std::wstring& regex, bool caseSensitive, uint32_t grammar);
  // Appends `paths` as lines of the text and evaluates.
  void AppendLines(const QStringList& paths);

  // What tests and the screenshot tool look at.
  CComboBoxAuto* expressionBox() const { return regex_; }
  QCheckBox* caseBox() const { return case_; }
  QComboBox* grammarBox() const { return grammar_; }
  QPlainTextEdit* textBox() const { return text_; }
  QPlainTextEdit* resultsBox() const { return results_; }
  QLabel* statusLine() const { return status_; }
  bool statusIsError() const { return statusError_; }
  // Evaluations handed to the worker and shown.
  uint64_t submitted() const { return submitted_; }
  uint64_t shown() const { return shown_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildControls();
  void Evaluate();
  void ShowResult(const RegexTrialResult& result);
  void SetStatus(const QString& text, bool error);
  void FollowScroll(QPlainTextEdit* from, QPlainTextEdit* to);

  ToolWindowClosing* closing_ = nullptr;
  CComboBoxAuto* regex_ = nullptr;
  QCheckBox* case_ = nullptr;
  QComboBox* grammar_ = nullptr;
  QLabel* status_ = nullptr;
  QPlainTextEdit* text_ = nullptr;
  QPlainTextEdit* results_ = nullptr;
  QTimer* busy_ = nullptr;
  bool statusError_ = false;
  bool filling_ = false;
  uint64_t submitted_ = 0;
  uint64_t shown_ = 0;
  std::unique_ptr<RegexTrialRunner> runner_;
};

}  // namespace tarnix::gui
