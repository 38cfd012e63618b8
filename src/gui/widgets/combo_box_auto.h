#pragma once
// An editable combo box whose drop-down list is a persistent
// most-recently-used history (MruHistory), newest first. With an option
// callback every entry keeps an option value, handed back when the user
// chooses the entry. Delete in the open list removes the highlighted entry.
#include <QComboBox>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace tarnix {
class MruHistory;
}

namespace tarnix::gui {

class CComboBoxAuto : public QComboBox {
  Q_OBJECT
 public:
  explicit CComboBoxAuto(QWidget* parent = nullptr);
  ~CComboBoxAuto() override;

  // Loads the history "MRU_<key>" and fills the list. False for an empty
  // key (ERROR_INVALID_PARAMETER).
  bool Attach(bool caseSensitive, const std::wstring& key,
              std::function<void(uint64_t)> optionCallback = nullptr);
  // Adds the edit text, trimmed, as the newest entry with `option`, stores
  // the history and shows the trimmed text. Empty text adds nothing.
  void AddToHistory(uint64_t option = 0);

  // How an entry is written before it is added (the folder box keeps
  // "/a/b" and "/a/b/" as one entry); null keeps the trimmed text.
  void SetEntryForm(std::function<std::wstring(std::wstring_view)> form) { entryForm_ = std::move(form); }

  std::wstring Text() const;
  void SetText(const std::wstring& text);
  // The most characters the edit takes.
  void SetMaxLength(int chars);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Refill();
  void OnActivated(int index);
  bool RemoveHighlighted();

  std::unique_ptr<MruHistory> history_;
  std::function<void(uint64_t)> optionCallback_;
  std::function<std::wstring(std::wstring_view)> entryForm_;
};

}  // namespace tarnix::gui
