#pragma once
// "Choose Preset Name": asks "Provide preset name:" with a proposed name.
#include <QDialog>
#include <string>

class QLineEdit;

namespace tarnix::gui {

class CPresetNameDlg : public QDialog {
  Q_OBJECT
 public:
  // Runs the box through AppDialogs().Exec; true with the typed name (as
  // typed) on OK.
  static bool Ask(QWidget* owner, const std::wstring& proposed, std::wstring& name);

  CPresetNameDlg(QWidget* parent, const std::wstring& proposed);
  std::wstring name() const;

 private:
  QLineEdit* edit_;
};

}  // namespace tarnix::gui
