#pragma once
// One page of the settings sheet: it shows the values in effect, and on
// OK or Apply checks what the user entered and writes it through the
// settings setters. A page that refuses focuses the field and says why.
#include <QWidget>
#include <functional>
#include <string>

class QVBoxLayout;

namespace tarnix::gui {

class SettingsPageWidget : public QWidget {
  Q_OBJECT
 public:
  using QWidget::QWidget;
  // Checks and stores the page; false (nothing of the page stored, the
  // field focused, its message shown) when a field is not valid.
  virtual bool Confirm() = 0;

  // How the sheet brings this page forward before it refuses.
  void SetBringForward(std::function<void()> show) { bringForward_ = std::move(show); }

 protected:
  // Lays the page out: the layout answered holds its controls at the top;
  // "De&faults..." stands at the bottom right and, after asking, calls
  // `reset`.
  QVBoxLayout* LayOutWithDefaults(std::function<void()> reset);
  // Brings the page forward, focuses `field` (its text selected) and shows
  // `message` in the error box.
  void Refuse(QWidget* field, const std::wstring& message);

 private:
  std::function<void()> bringForward_;
};

}  // namespace tarnix::gui
