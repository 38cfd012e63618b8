#pragma once
// The run bar of a search window: the "&SEARCH" button (which reads
// "Pau&se" and "Re&sume" while a search runs), "St&op", the progress bar
// and the progress text, drawn from the run's RunBarState. Bound to the
// window's Run once: the search button starts (the window's start), pauses
// or resumes the run, "St&op" stops it, and the bar follows the run's state.
//
//   bar_ = new SearchRunBar(this, QStringLiteral("Search Progress"), QStringLiteral("Current Path"));
//   bar_->Bind(run_, [this] { StartSearch(); });
#include <QTimer>
#include <QWidget>
#include <functional>

#include "run/run.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace tarnix::gui {

class SearchRunBar : public QWidget {
  Q_OBJECT
 public:
  // `progressName` is the accessible name of the progress bar,
  // `textName` that of the progress text ("Current File", "Current Path").
  explicit SearchRunBar(QWidget* parent = nullptr,
                        const QString& progressName = QStringLiteral("Search Progress"),
                        const QString& textName = QStringLiteral("Current File"));

  // Binds the bar to `run`: `start` is what the search button does while
  // the run is idle. When the workers do not end after "St&op", site
  // `stopSite` is logged with the error beep (0: neither).
  void Bind(Run& run, std::function<void()> start, int stopSite = 0);

  QPushButton* searchButton() const { return search_; }
  QPushButton* stopButton() const { return stop_; }
  QProgressBar* progressBar() const { return progress_; }
  QLabel* progressLabel() const { return text_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Show();

  Run* run_ = nullptr;
  std::function<void()> start_;
  int stopSite_ = 0;
  QPushButton* search_;
  QPushButton* stop_;
  QProgressBar* progress_;
  QLabel* text_;
  QTimer blink_;
  RunPhase shownPhase_ = RunPhase::kIdle;
};

}  // namespace tarnix::gui
