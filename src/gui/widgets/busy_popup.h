#pragma once
// Long work under the busy-progress popup. The work (sorting, reloading,
// copying, saving, exporting) runs on a worker thread while the GUI thread
// keeps turning its event loop, so every window repaints; after a delay the
// "please wait" popup appears over the owner window with its bar and Cancel.
// Meanwhile the windows that were open take no input (clicks, keys,
// shortcuts, their Close), as when the work held the GUI thread.
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

class QWidget;

namespace tarnix::gui {

struct BusyTexts {
  QString text1 = QStringLiteral("Please wait...");
  QString text2 = QStringLiteral("Processing");
  QString caption = QStringLiteral("Tarnix");
  QString cancelText;  // "&Cancel" when empty
  uint32_t flags = 0;  // kBusyCancelDisabled, kBusyCancelCloses (tools/busy_progress.h)
  uint64_t range = 0;  // 0: the bar runs as a marquee
  uint64_t position = 0;
};

struct BusyChannel;

// The popup as the work sees it. Every method may be called from the worker
// thread; updates reach the popup in order, the latest of each kind
// winning, without holding up the work.
class BusyProgress {
 public:
  explicit BusyProgress(std::shared_ptr<BusyChannel> channel);
  ~BusyProgress();
  BusyProgress(const BusyProgress&) = delete;
  BusyProgress& operator=(const BusyProgress&) = delete;

  void SetRange(uint64_t range);
  void SetPosition(uint64_t position);
  // Null texts stay as they are.
  void SetTexts(const QString* text1, const QString* text2, const QString* caption,
                const QString* cancelText);
  void EnableCancel(bool enable);
  // True once the user pressed Cancel (or Escape, or closed the popup).
  bool Cancelled() const;

 private:
  std::shared_ptr<BusyChannel> channel_;
};

// Runs `work` on a worker thread and answers its result, with the worker's
// last error as this thread's last error (an exception the work throws is
// thrown here). The popup shows over `owner` (may be null) once `delayMs`
// have passed; work that ends sooner shows nothing. Never blocks the GUI
// event loop.
//
// One busy run at a time: a RunBusy while another runs (from a timer or a
// queued event of the event loop it turns) does not run its work and
// answers -1 with ERROR_BUSY (170), since two works at once would share the
// data the first one holds. -1 with ERROR_INVALID_PARAMETER without a work
// or off the GUI thread.
int RunBusy(QWidget* owner, const BusyTexts& texts, const std::function<int(BusyProgress&)>& work,
            int delayMs = 400);

// True while some popup of this process is showing (any thread may ask; the
// results details loader holds its batches back meanwhile).
bool BusyPopupShowing();
// True while a RunBusy runs (GUI thread).
bool BusyWorkRunning();

}  // namespace tarnix::gui
