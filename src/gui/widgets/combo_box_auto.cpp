#include "gui/widgets/combo_box_auto.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QLineEdit>

#include "gui/app/dialogs.h"
#include "gui/app/text_convert.h"
#include "platform/char_class.h"
#include "platform/last_error.h"
#include "platform/win_errors.h"
#include "tools/mru_history.h"

namespace tarnix::gui {

CComboBoxAuto::CComboBoxAuto(QWidget* parent) : QComboBox(parent) {
  setEditable(true);
  // The history decides what the list holds; Enter adds nothing by itself,
  // and no completion changes what the user typed.
  setInsertPolicy(QComboBox::NoInsert);
  setCompleter(nullptr);
  setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  setMinimumContentsLength(12);
  // When editing ends, QComboBox would pick the entry that matches the text
  // ignoring case: it would replace what the user typed with the entry's
  // spelling and hand its option to the owner as if the entry had been
  // chosen. Only choosing from the list does that.
  disconnect(lineEdit(), SIGNAL(editingFinished()), this, nullptr);
  view()->installEventFilter(this);
  connect(this, qOverload<int>(&QComboBox::activated), this, &CComboBoxAuto::OnActivated);
}

CComboBoxAuto::~CComboBoxAuto() = default;

bool CComboBoxAuto::Attach(bool caseSensitive, const std::wstring& key,
                           std::function<void(uint64_t)> optionCallback) {
  if (key.empty()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  optionCallback_ = std::move(optionCallback);
  history_ = std::make_unique<MruHistory>(key, caseSensitive, optionCallback_ != nullptr);
  history_->Load();
  Refill();
  return true;
}

void CComboBoxAuto::Refill() {
  const QString edit = currentText();
  {
    const QSignalBlocker block(this);
    clear();
    if (history_) {
      const auto& entries = history_->entries();
      for (size_t i = entries.size(); i-- > 0;)
        addItem(ToQ(entries[i].text), static_cast<qulonglong>(i));
    }
    setCurrentIndex(-1);
  }
  if (lineEdit()->text() != edit) setEditText(edit);
}

void CComboBoxAuto::AddToHistory(uint64_t option) {
  if (!history_) return;
  std::wstring text(TrimWhiteSpace(Text()));
  if (text.empty()) return;
  if (entryForm_) text = entryForm_(text);
  // A history that could not be stored still holds the entry for this run.
  if (!history_->Add(text, option)) AppDialogs().Beep(0);
  Refill();
  SetText(text);
}

void CComboBoxAuto::OnActivated(int index) {
  if (!history_ || index < 0) return;
  bool ok = false;
  const qulonglong at = itemData(index).toULongLong(&ok);
  const auto& entries = history_->entries();
  if (!ok || at >= entries.size()) return;
  if (optionCallback_) optionCallback_(entries[at].option);
}

bool CComboBoxAuto::RemoveHighlighted() {
  const QModelIndex current = view()->currentIndex();
  if (!history_ || !current.isValid()) return false;
  const int row = current.row();
  const bool removed = history_->Remove(FromQ(current.data(Qt::DisplayRole).toString()));
  // Whether or not it could be stored, the list shows the history as it is.
  Refill();
  if (count() == 0) {
    hidePopup();
  } else {
    view()->setCurrentIndex(model()->index(std::min(row, count() - 1), modelColumn()));
  }
  return removed;
}

bool CComboBoxAuto::eventFilter(QObject* watched, QEvent* event) {
  if (watched == view() && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
    if (!RemoveHighlighted()) AppDialogs().Beep(0);
    return true;
  }
  return QComboBox::eventFilter(watched, event);
}

std::wstring CComboBoxAuto::Text() const { return FromQ(currentText()); }

void CComboBoxAuto::SetText(const std::wstring& text) { setEditText(ToQ(text)); }

void CComboBoxAuto::SetMaxLength(int chars) { lineEdit()->setMaxLength(chars); }

}  // namespace tarnix::gui
