#pragma once
// The settings sheet's "General" page: the help zoom, the history length,
// the online search query, the search's regex grammar and empty-string
// rule, the status output, undecoration and its flags, the report options
// and whether searches use the symbol cache. Its rules are
// GeneralPageInput's (tools/settings_pages.h).
#include "gui/settings/settings_page.h"
#include "tools/settings_pages.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace tarnix::gui {

class LinkLabel;
class UndecorationFlagsLink;

class CSettingsGeneral : public SettingsPageWidget {
  Q_OBJECT
 public:
  explicit CSettingsGeneral(QWidget* parent = nullptr);

  bool Confirm() override;
  void Show(const GeneralPageInput& in);
  GeneralPageInput Read() const;

  // What tests fill in.
  QLineEdit* helpZoom() const { return helpZoom_; }
  QLineEdit* mruEntries() const { return mru_; }
  QLineEdit* onlineSearchUrl() const { return url_; }
  QLineEdit* statusOutputSize() const { return statusSize_; }
  QComboBox* grammar() const { return grammar_; }
  UndecorationFlagsLink* undecorationFlags() const { return flags_; }
  LinkLabel* tryLink() const { return try_; }
  QCheckBox* cacheSymbols() const { return cacheSymbols_; }

 private:
  void TryOnlineSearch();
  QWidget* Field(int field) const;

  QLineEdit* helpZoom_ = nullptr;
  QLineEdit* mru_ = nullptr;
  QLineEdit* url_ = nullptr;
  LinkLabel* try_ = nullptr;
  QCheckBox* emptyMatchesAll_ = nullptr;
  QComboBox* grammar_ = nullptr;
  QLineEdit* statusSize_ = nullptr;
  QCheckBox* clearOutput_ = nullptr;
  QCheckBox* undecorate_ = nullptr;
  UndecorationFlagsLink* flags_ = nullptr;
  QCheckBox* errorBeep_ = nullptr;
  QCheckBox* onlineLinks_ = nullptr;
  QCheckBox* statusInReport_ = nullptr;
  QCheckBox* autoScroll_ = nullptr;
  QCheckBox* cacheSymbols_ = nullptr;
};

}  // namespace tarnix::gui
