#pragma once
// How a modeless tool window opens and closes, the same way for every one:
// one instance per process (opening it again brings the open one forward),
// parented to the window it was opened from (else the main window) so that
// it stays over it, deleted when closed; Escape closes it as its close
// button does (asking first while its search runs); and it closes with its
// owner without asking.
//
//   static QPointer<CErrCodeSearchDlg> g_window;
//   return OpenOnce(g_window, owner, [](QWidget* parent) { return new CErrCodeSearchDlg(parent); });
//
//   closing_ = new ToolWindowClosing(this);          // in the constructor
//   if (!MayCloseSearchWindow(this, run_.active(), *closing_)) return event->ignore();  // closeEvent
#include <QObject>
#include <QPointer>
#include <QWidget>

namespace tarnix::gui {

// The parent of a tool window opened from `owner`: the owner's window,
// else the main window.
QWidget* ToolWindowParent(QWidget* owner);
// Shows `window` (restored when minimised), raises and activates it.
void BringForward(QWidget* window);

// The open window of `slot`, or a new one made by `make(parent)`; shown and
// brought forward.
template <class W, class Make>
W* OpenOnce(QPointer<W>& slot, QWidget* owner, Make make) {
  if (!slot) {
    slot = make(ToolWindowParent(owner));
    slot->setAttribute(Qt::WA_DeleteOnClose);
  }
  BringForward(slot);
  return slot;
}

// A tool window's first size (`width` x `height`), centred over its owner,
// or on its screen when it has none; the saved placement wins later.
void PlaceToolWindow(QWidget* window, QWidget* owner, int width, int height);

// Escape closes the window; the window closes with its owner (its parent
// window). While the owner handles its own close, ownerClosing() is true,
// so the window's close does not ask.
class ToolWindowClosing final : public QObject {
  Q_OBJECT
 public:
  explicit ToolWindowClosing(QWidget* window);
  ~ToolWindowClosing() override;
  bool ownerClosing() const { return ownerClosing_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* window_;
  QPointer<QWidget> owner_;
  bool ownerClosing_ = false;
};

// Whether a search window may close now: yes while nothing runs or while
// its owner closes it; else the user is asked whether to close it anyway.
bool MayCloseSearchWindow(QWidget* window, bool searching, const ToolWindowClosing& closing);

}  // namespace tarnix::gui
