#pragma once
// The "Undecorate C++ Symbols" window: a decorated C++ name typed or
// pasted (with its history) and its undecorated form at once, with the
// undecoration flags of this window (from the program's setting when it
// opens; changing them here changes nothing else). Modeless; one per
// process, closing with the window it was opened from.
#include <QWidget>
#include <cstdint>

class QPlainTextEdit;

namespace tarnix::gui {

class CComboBoxAuto;
class ToolWindowClosing;
class UndecorationFlagsLink;

class CUndecCppNameDlg : public QWidget {
  Q_OBJECT
 public:
  static CUndecCppNameDlg* Show(QWidget* owner);
  static CUndecCppNameDlg* Instance();

  explicit CUndecCppNameDlg(QWidget* owner = nullptr);
  ~CUndecCppNameDlg() override;

  uint32_t flags() const;
  void SetFlags(uint32_t flags);
  CComboBoxAuto* input() const { return input_; }
  QPlainTextEdit* output() const { return output_; }
  UndecorationFlagsLink* flagsLink() const { return flagsLink_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void UndecorateShown();

  CComboBoxAuto* input_ = nullptr;
  UndecorationFlagsLink* flagsLink_ = nullptr;
  QPlainTextEdit* output_ = nullptr;
  ToolWindowClosing* closing_ = nullptr;
};

}  // namespace tarnix::gui
