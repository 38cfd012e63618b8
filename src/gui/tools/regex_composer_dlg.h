#pragma once
// The "Regex Composer" window: up to five words, each with a condition on
// either side and optional anchors, combined by the "For matching of:" mode
// into a regular expression (tools/regex_composer.h), shown as it is typed.
// Modal; opened with the caller's expression, which it reads back into the
// rows when it has one of the composer's shapes.
#include <QDialog>
#include <array>
#include <string>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace tarnix::gui {

class CommandSet;

class CRegexComposerDlg : public QDialog {
  Q_OBJECT
 public:
  enum Command { kCmdOk = 1, kCmdClose, kCmdClearWords, kCmdClearConditions, kCmdClearAll, kCmdTryRegex, kCmdRegexHelp };

  // Runs the window through AppDialogs().Exec; on OK answers true with the
  // composed expression and the case flag.
  static bool Run(QWidget* owner, std::wstring& regex, bool& caseSensitive);

  CRegexComposerDlg(QWidget* parent, const std::wstring& regex, bool caseSensitive);
  ~CRegexComposerDlg() override;

  const std::wstring& regex() const { return regex_; }
  bool caseSensitive() const;

  // What tests and the screenshot tool look at.
  struct Row {
    QCheckBox* beginning = nullptr;
    QComboBox* left = nullptr;
    QLineEdit* word = nullptr;
    QComboBox* right = nullptr;
    QCheckBox* ending = nullptr;
  };
  const Row& row(int i) const { return rows_[static_cast<size_t>(i)]; }
  QComboBox* modeBox() const { return mode_; }
  QCheckBox* caseBox() const { return case_; }
  QLineEdit* preview() const { return preview_; }
  const CommandSet& commands() const { return *commands_; }
  // The selected condition index of a LEFT or RIGHT box; -1 for none.
  static int Condition(const QComboBox* box);

 public slots:
  void accept() override;

 private:
  void BuildControls();
  void BuildCommands();
  void FillConditions(int mode);
  bool SetCondition(QComboBox* box, int index);  // false: not offered
  int Mode() const;
  bool Compose(std::wstring& out) const;
  void UpdatePreview();
  void Decompose(const std::wstring& regex);
  void ClearWords();
  void ClearConditions();

  std::array<Row, 5> rows_;
  QComboBox* mode_ = nullptr;
  QCheckBox* case_ = nullptr;
  QLineEdit* preview_ = nullptr;
  CommandSet* commands_ = nullptr;
  std::wstring regex_;
  bool filling_ = false;
};

}  // namespace tarnix::gui
