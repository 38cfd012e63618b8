#pragma once
// The settings sheet's "Error Search" page: the Error Message Search
// window's results capacity and overflow warning, the Error Code Search
// window's status output and the file extensions it searches. Its rules
// are ErrorSearchPageInput's (tools/settings_pages.h).
#include "gui/settings/settings_page.h"
#include "tools/settings_pages.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace tarnix::gui {

class CSettingsErrSearch : public SettingsPageWidget {
  Q_OBJECT
 public:
  explicit CSettingsErrSearch(QWidget* parent = nullptr);

  bool Confirm() override;
  void Show(const ErrorSearchPageInput& in);
  ErrorSearchPageInput Read() const;

  QLineEdit* resultsSize() const { return resultsSize_; }
  QLineEdit* codeOutputSize() const { return codeOutputSize_; }
  QComboBox* fileExts() const { return exts_; }

 private:
  QLineEdit* resultsSize_ = nullptr;
  QCheckBox* warnOverflow_ = nullptr;
  QLineEdit* codeOutputSize_ = nullptr;
  QCheckBox* clearOutput_ = nullptr;
  QComboBox* exts_ = nullptr;
};

}  // namespace tarnix::gui
